// The closing group: whichever owner gives a value, and in whatever order, the keys reach
// the file in the group's fixed order, the function keys last, and a key nobody gave is
// not written.

#include "settings/closinggroup.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

#include <QTemporaryDir>
#include <QTest>

class TestClosingGroup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesInTheFixedOrderWhateverOrderTheValuesCameIn()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("iovantor.INI"));

        ClosingGroup group;
        // As the terminal, the updater, the shell, the sequencer and the analog monitor give
        // them, with the function keys first and BAUDAX left out.
        group.setFunctionKeys([](SettingsFile &file) { file.writeString("F1TEXT", QStringLiteral("GO")); });
        group.set(key::KeySetSel, 2);
        group.set(key::CRLF, 1);
        group.set(key::STARTIN, QStringLiteral("/tmp"));
        group.set(key::BAUDX, 3);
        group.set(key::NagScreen, true);
        group.set(key::SFUNCTENAB, false);
        group.set(key::PrintON, QStringLiteral("$"));
        group.set(key::C, 0x8888);
        group.set(key::A, 0x1234);

        SettingsFile file(path);
        group.write(file);
        QVERIFY(file.commit());

        const SettingsFile written(path);
        QCOMPARE(written.keysIn(QStringLiteral("Tester")),
                 (QStringList{"A", "C", "PrintON", "BAUDX", "CRLF", "SFUNCTENAB", "STARTIN", "NagScreen",
                              "KeySetSel", "F1TEXT"}));
        QCOMPARE(written.readString("A", {}), QStringLiteral("4660"));
        QCOMPARE(written.readString("NagScreen", {}), QStringLiteral("1"));
        QCOMPARE(written.readString("SFUNCTENAB", {}), QStringLiteral("0"));
        QCOMPARE(written.readString("F1TEXT", {}), QStringLiteral("GO"));
    }
};

QTEST_GUILESS_MAIN(TestClosingGroup)
#include "tst_closinggroup.moc"
