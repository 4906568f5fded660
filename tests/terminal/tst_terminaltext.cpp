// The terminal's logic, headless: how received bytes are cut and shown, the echoes of
// typed keys and macro bytes, the macro language, the virtual board and the log file.

#include "terminal/macro.h"
#include "terminal/terminallog.h"
#include "terminal/terminaltext.h"
#include "terminal/virtualboard.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using TerminalText::DisplayMode;
using Macro::Step;

Q_DECLARE_METATYPE(DisplayMode)

namespace {

Step send(char c)
{
    return {Step::Send, c, 0};
}

Step wait(int n)
{
    return {Step::Wait, 0, n};
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestTerminalText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void batchesEndAtCarriageReturnOrTheLimit_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QByteArray>>("batches");
        QTest::newRow("one line") << QByteArray("AB\r\n") << QList<QByteArray>{"AB\r", "\n"};
        QTest::newRow("hex case") << QByteArray("\x41\x0D\x80") << QList<QByteArray>{"\x41\x0D", "\x80"};
        QTest::newRow("no line end") << QByteArray("hello") << QList<QByteArray>{"hello"};
        QTest::newRow("two lines") << QByteArray("a\rbc\r") << QList<QByteArray>{"a\r", "bc\r"};
        QTest::newRow("nothing") << QByteArray() << QList<QByteArray>{};
        const QByteArray long600(600, 'x');
        QTest::newRow("600 bytes") << long600 << QList<QByteArray>{QByteArray(256, 'x'), QByteArray(256, 'x'), QByteArray(88, 'x')};
        QTest::newRow("CR as the 256th byte") << QByteArray(255, 'y') + "\rz"
                                             << QList<QByteArray>{QByteArray(255, 'y') + "\r", "z"};
        QTest::newRow("CR as the 257th byte") << QByteArray(256, 'y') + "\r"
                                             << QList<QByteArray>{QByteArray(256, 'y'), "\r"};
    }
    void batchesEndAtCarriageReturnOrTheLimit()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QByteArray>, batches);
        QCOMPARE(TerminalText::splitIntoBatches(bytes), batches);
    }

    // What a display mode shows (and logs) for received bytes, batch by batch.
    void receivedBytesAsShown_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<DisplayMode>("mode");
        QTest::addColumn<bool>("crlf");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain, CRLF off: one line break") << QByteArray("AB\r\n") << DisplayMode::Plain << false << "AB\n";
        QTest::newRow("plain, CRLF on: two line breaks") << QByteArray("AB\r\n") << DisplayMode::Plain << true << "AB\n\n";
        QTest::newRow("hex 41 0D 80") << QByteArray("\x41\x0D\x80") << DisplayMode::Hex << false << "41 0D 80 ";
        QTest::newRow("hex A B CR") << QByteArray("AB\r") << DisplayMode::Hex << true << "41 42 0D ";
        QTest::newRow("decimal") << QByteArray("\x00\x41\xFF", 3) << DisplayMode::Dec << false << "000 065 255 ";
        QTest::newRow("plain 8-bit") << QByteArray("\xE9") << DisplayMode::Plain << false << QString(QChar(0xE9));
    }
    void receivedBytesAsShown()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(DisplayMode, mode);
        QFETCH(bool, crlf);
        QFETCH(QString, shown);
        QString text;
        for (const QByteArray &batch : TerminalText::splitIntoBatches(bytes))
            text += TerminalText::formatReceived(batch, mode, crlf);
        QCOMPARE(text, shown);
    }

    void echoes_data()
    {
        QTest::addColumn<char>("byte");
        QTest::addColumn<DisplayMode>("mode");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("macroSingle");   // CRLF on, single view
        QTest::addColumn<QString>("macroSplit");
        QTest::newRow("0xE9 hex") << char(0xE9) << DisplayMode::Hex << "E9 " << "E9 " << "E9 ";
        QTest::newRow("A dec") << 'A' << DisplayMode::Dec << "065 " << "065 " << "065 ";
        QTest::newRow("A plain") << 'A' << DisplayMode::Plain << "A" << "A" << "A";
        QTest::newRow("NUL plain") << char(0) << DisplayMode::Plain << "_" << "." << ".";
        QTest::newRow("CR plain") << '\r' << DisplayMode::Plain << "\n" << ".\n" << ".";
        QTest::newRow("CR hex") << '\r' << DisplayMode::Hex << "0D " << "0D \n" << "0D ";
        QTest::newRow("ESC plain") << char(27) << DisplayMode::Plain << QString(QChar(27)) << "." << ".";
    }
    void echoes()
    {
        QFETCH(char, byte);
        QFETCH(DisplayMode, mode);
        QFETCH(QString, typed);
        QFETCH(QString, macroSingle);
        QFETCH(QString, macroSplit);
        QCOMPARE(TerminalText::typedEcho(byte, mode), typed);
        QCOMPARE(TerminalText::macroEcho(byte, mode, true, true), macroSingle);
        QCOMPARE(TerminalText::macroEcho(byte, mode, true, false), macroSplit);
        if (byte == '\r')
            QCOMPARE(TerminalText::macroEcho(byte, mode, false, true), macroSplit);
    }

    void upperCaseIsLettersOnly()
    {
        QCOMPARE(TerminalText::upperCase('a'), 'A');
        QCOMPARE(TerminalText::upperCase('z'), 'Z');
        QCOMPARE(TerminalText::upperCase('1'), '1');
        QCOMPARE(TerminalText::upperCase(char(0xE9)), char(0xE9));
        QCOMPARE(TerminalText::toBytes(QStringLiteral("A\u00E9\u20AC")), QByteArray("A\xE9?"));
    }

    void macros_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expanded");
        QTest::addColumn<QList<Step>>("plan");
        QTest::newRow("AB~013~65x[2]C") << QByteArray("AB~013~65x[2]C") << QByteArray("AB\r65x[2]C")
                                        << QList<Step>{send('A'), send('B'), send('\r'), send('6'), send('5'),
                                                       send('x'), wait(2), send('C')};
        QTest::newRow("~1 at the end") << QByteArray("X~1") << QByteArray("X~1") << QList<Step>{send('X'), send('~'), send('1')};
        QTest::newRow("~300 is a comma") << QByteArray("~300") << QByteArray(",") << QList<Step>{send(',')};
        QTest::newRow("~065") << QByteArray("~065[3]") << QByteArray("A[3]") << QList<Step>{send('A'), wait(3)};
        QTest::newRow("[0]") << QByteArray("[0]A") << QByteArray("[0]A") << QList<Step>{wait(0), send('A')};
        QTest::newRow("[]") << QByteArray("[]A") << QByteArray("[]A") << QList<Step>{wait(0), send('A')};
        QTest::newRow("unclosed [5") << QByteArray("A[5") << QByteArray("A[5") << QList<Step>{send('A'), wait(5)};
        QTest::newRow("lone ]") << QByteArray("A]B") << QByteArray("A]B") << QList<Step>{send('A'), send('B')};
        QTest::newRow("text after count") << QByteArray("[4 bytes]") << QByteArray("[4 bytes]") << QList<Step>{wait(4)};
        QTest::newRow("no number") << QByteArray("[x]") << QByteArray("[x]") << QList<Step>{wait(0)};
        QTest::newRow("negative") << QByteArray("[-3]") << QByteArray("[-3]") << QList<Step>{wait(Macro::UntilSilent)};
        QTest::newRow("huge") << QByteArray("[99999999999999]") << QByteArray("[99999999999999]")
                              << QList<Step>{wait(std::numeric_limits<int>::max())};
        QTest::newRow("escaped bracket waits") << QByteArray("~0911]") << QByteArray("[1]") << QList<Step>{wait(1)};
        QTest::newRow("~ before two chars") << QByteArray("~ab") << QByteArray("~ab") << QList<Step>{send('~'), send('a'), send('b')};
        QTest::newRow("~ then non-digits") << QByteArray("~abc") << QByteArray("abc") << QList<Step>{send('a'), send('b'), send('c')};
        QTest::newRow("~ then ~065") << QByteArray("~~065") << QByteArray("A") << QList<Step>{send('A')};
        QTest::newRow("NUL byte") << QByteArray("~000") << QByteArray(1, '\0') << QList<Step>{send('\0')};
    }
    void macros()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expanded);
        QFETCH(QList<Step>, plan);
        QCOMPARE(Macro::expandEscapes(text), expanded);
        QCOMPARE(Macro::plan(expanded), plan);
    }

    void countTextIsCutAt79Characters()
    {
        // Digits past the 79th character of the count text are not read.
        const QByteArray text = "[" + QByteArray(78, ' ') + "12]";
        QCOMPARE(Macro::plan(text), QList<Step>{wait(1)});
    }

    void virtualBoard_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("select, read, modify") << QByteArray("L80R5EM12R5ER5F")
                                              << QStringList{"8080", "8000", "8012", "8012", "8000"};
        QTest::newRow("other address") << QByteArray("L81R5E") << QStringList{};
        QTest::newRow("L80 then R5E") << QByteArray("L80R5E") << QStringList{"8080", "8000"};
        QTest::newRow("no L first") << QByteArray("80R5E") << QStringList{};
        QTest::newRow("third digit ignored") << QByteArray("L80R5E7") << QStringList{"8080", "8000"};
        QTest::newRow("modify second register") << QByteArray("L80R5FMA5R5ER5F")
                                                << QStringList{"8080", "8000", "80A5", "8000", "80A5"};
        QTest::newRow("other letter empties") << QByteArray("L8X0") << QStringList{};
        QTest::newRow("lower case is no command") << QByteArray("l80") << QStringList{};
    }
    void virtualBoard()
    {
        QFETCH(QByteArray, typed);
        QFETCH(QStringList, shown);
        VirtualBoard board;
        board.setEnabled(true);
        board.setAddress(QStringLiteral("80"));
        QStringList replies;
        for (char c : typed) {
            board.put(c);
            if (const auto reply = board.step())
                replies << *reply;
        }
        QCOMPARE(replies, shown);
    }

    void virtualBoardSlotHoldsOneCharacter()
    {
        VirtualBoard board;
        QVERIFY(!board.step());   // disabled
        board.setEnabled(true);
        board.put('L');
        board.put('8');   // replaces the L not yet taken
        QVERIFY(!board.step());
        QVERIFY(!board.step());   // empty slot
        for (char c : QByteArray("L80"))
            board.take(c);
        QCOMPARE(board.take('R'), std::nullopt);
    }

    void logWritesLineFeedsAsCarriageReturnLineFeed()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("vantor.log"));
        QFile::remove(path);
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("older contents that must go");
        }
        TerminalLog log;
        QVERIFY(log.start(path));
        QVERIFY(log.active());
        log.write(TerminalText::toBytes(TerminalText::formatReceived("OK\r\n", DisplayMode::Plain, true)));
        log.write('x');
        log.write(QByteArray("a\rb"));
        log.flush();
        QCOMPARE(readAll(path), QByteArray("OK\r\n\r\nxa\rb"));
        log.stop();
        QVERIFY(!log.active());
        log.write('y');   // nothing is written once stopped
        QCOMPARE(readAll(path), QByteArray("OK\r\n\r\nxa\rb"));
    }

    void logThatCannotBeCreatedStaysOff()
    {
        TerminalLog log;
        QString error;
        QVERIFY(!log.start(QStringLiteral("/nonexistent-folder/x/vantor.log"), &error));
        QVERIFY(!log.active());
        QVERIFY(!error.isEmpty());
    }

    void logLocation()
    {
        const TerminalLog::Location location = TerminalLog::locationOf(QStringLiteral("/home/op/logs/today.log"));
        QCOMPARE(location.drive, QString());
        QCOMPARE(location.dir, QStringLiteral("/home/op/logs/"));
        QTemporaryDir dir;
        const TerminalLog::Location here = TerminalLog::locationOf(dir.filePath(QStringLiteral("a.log")));
        QCOMPARE(TerminalLog::folderOf(here.drive, here.dir), dir.path() + QLatin1Char('/'));
        // The defaults name a Windows folder that is not there: the chooser picks its own.
        QCOMPARE(TerminalLog::folderOf(QStringLiteral("c:"), QStringLiteral("\\")), QString());
    }
};

QTEST_GUILESS_MAIN(TestTerminalText)
#include "tst_terminaltext.moc"
