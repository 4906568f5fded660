// The firmware file's rules and the file grid: lines, types, the record check's pieces, the
// percentage, and the grid's order and date texts.

#include "testfiles.h"
#include "updater/firmwarefile.h"
#include "updater/firmwarefolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestFirmwareFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF") << QByteArray("A\r\nB\r\n") << QStringList{"A", "B"};
        QTest::newRow("LF, no end") << QByteArray("A\nB") << QStringList{"A", "B"};
        QTest::newRow("lone CR") << QByteArray("A\rB\r") << QStringList{"A", "B"};
        QTest::newRow("empty lines kept") << QByteArray("A\r\n\r\nB\n") << QStringList{"A", "", "B"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
    }
    void splitLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(Firmware::splitLines(bytes), lines);
    }

    void fileType_data()
    {
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QString>("type");
        QTest::newRow("as written") << "TYPE-ABCD-X" << "ABCD";
        QTest::newRow("lower case") << "TYPE-abcd-" << "ABCD";
        QTest::newRow("no dash after") << "TYPE-AB12" << "AB12";
        QTest::newRow("comment line") << ";TYPE-ABCD-X" << "ABCD";
        QTest::newRow("none") << ":00000001FF" << "0";
    }
    void fileType()
    {
        QFETCH(QString, firstLine);
        QFETCH(QString, type);
        QCOMPARE(Firmware::fileType({firstLine, QStringLiteral("TYPE-OTHER-")}), type);
    }

    void boardType_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("type");
        QTest::newRow("loader entry") << "0F:LUN_AT0F:V2.10:TYPE-ab12-X" << "AB12";
        QTest::newRow("no dash after the type") << "0F:LUN_AT0F:V2.10:TYPE-AB12" << "";
        QTest::newRow("normal board") << "1100:D4.7" << "";
        QTest::newRow("from the fifth character") << "1100ZZ-9" << "ZZ";
    }
    void boardType()
    {
        QFETCH(QString, entry);
        QFETCH(QString, type);
        QCOMPARE(Firmware::boardType(entry), type);
    }

    void percentAndTally()
    {
        QCOMPARE(Firmware::percentAfter(1, 200), 1);
        QCOMPARE(Firmware::percentAfter(3, 200), 2);
        QCOMPARE(Firmware::percentAfter(200, 200), 101);
        QCOMPARE(Firmware::percentAfter(1, 3), 34);
        Firmware::DownloadTally tally;
        QCOMPARE(tally.resultLine(), QStringLiteral("SUCCESS..."));
        tally.record(2, true);
        tally.record(17, false);
        tally.record(18, false);
        QCOMPARE(tally.resultLine(), QStringLiteral("FAILED: 2 OF 3 LINES NOT ACKNOWLEDGED (FIRST: LINE 17)"));
        QCOMPARE(Firmware::firstOverlongLine({QString(3000, 'x').prepend(';'), "ok", QString(2047, 'x')}, 2048), -1);
        QCOMPARE(Firmware::firstOverlongLine({"ok", QString(2048, 'x')}, 2048), 1);
    }

    // Three files stamped 1, 3 and 2 May are listed 3, 2, 1 May; equal stamps keep the
    // folder's order; a file that cannot be opened has no date and goes last.
    void gridNewestFirst()
    {
        QTemporaryDir dir;
        const QDateTime may1(QDate(2006, 5, 1), QTime(9, 5));
        const QDateTime may2(QDate(2006, 5, 2), QTime(22, 15));
        const QDateTime may3(QDate(2006, 5, 3), QTime(0, 30));
        const QList<QPair<QString, QDateTime>> files{
            {"a.hex", may1}, {"b.HEX", may3}, {"c.hex", may2}, {"d.hex", may2}, {"locked.hex", may3}};
        for (const auto &[name, stamp] : files) {
            writeFile(dir.filePath(name), ":00000001FF\n");
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
        }
        writeFile(dir.filePath("notes.txt"), "x");
        QFile::setPermissions(dir.filePath("locked.hex"), QFileDevice::WriteOwner);
        const bool lockHolds = !QFile(dir.filePath("locked.hex")).open(QIODevice::ReadOnly);

        const QStringList names = FirmwareFolder::hexFileNames(dir.path());
        QVERIFY(!names.contains("notes.txt"));
        const QList<FirmwareFolder::Row> rows = FirmwareFolder::newestFirst(FirmwareFolder::stampedRows(dir.path(), names));
        QStringList order;
        QStringList dates;
        for (const FirmwareFolder::Row &row : rows) {
            order.append(row.name);
            dates.append(FirmwareFolder::stampText(row.stamp));
        }
        if (lockHolds) {   // not when the tests run as root
            QCOMPARE(order, (QStringList{"b.HEX", "c.hex", "d.hex", "a.hex", "locked.hex"}));
            QCOMPARE(dates, (QStringList{"05/03/2006 12:30 AM", "05/02/2006 10:15 PM", "05/02/2006 10:15 PM",
                                         "05/01/2006 09:05 AM", ""}));
        } else {
            QCOMPARE(order, (QStringList{"b.HEX", "locked.hex", "c.hex", "d.hex", "a.hex"}));
            QCOMPARE(dates.constFirst(), QStringLiteral("05/03/2006 12:30 AM"));
        }
    }
};

QTEST_GUILESS_MAIN(TestFirmwareFile)
#include "tst_firmwarefile.moc"
