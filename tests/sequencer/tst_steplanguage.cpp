// The step language: its pure rules, and every command of the language run as a step
// through the runner, the line thread and the real serial driver on a simulated line.

#include "fakeconsole.h"

#include "boardsim/responder.h"
#include "boardsim/simline.h"
#include "sequencer/sequencerunner.h"
#include "sequencer/steplanguage.h"
#include "serial/linesettings.h"
#include "serial/portmap.h"
#include "serial/qtserialdriver.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

speed_t lineSpeed(const QString &device)
{
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return 0;
    termios tio{};
    const speed_t speed = ::tcgetattr(fd, &tio) == 0 ? ::cfgetospeed(&tio) : 0;
    ::close(fd);
    return speed;
}

// The line's rate as the kernel holds it, also a rate without a B constant (14400), which
// termios cannot report: the kernel's termios2 carries the rate as a number.
unsigned lineRate(const QString &device)
{
    struct KernelTermios2
    {
        tcflag_t c_iflag, c_oflag, c_cflag, c_lflag;
        cc_t c_line;
        cc_t c_cc[19];
        speed_t c_ispeed, c_ospeed;
    };
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return 0;
    KernelTermios2 tio{};
    const unsigned rate = ::ioctl(fd, _IOR('T', 0x2A, KernelTermios2), &tio) == 0 ? tio.c_ospeed : 0;
    ::close(fd);
    return rate;
}

// Ten steps; step 1 holds the command under test and links to step 2, the others are empty.
Sequence tenSteps(const QString &command)
{
    Sequence s;
    for (int i = 0; i < 10; ++i)
        s.append(QStringLiteral("100"), i == 0 ? command : QString(), QString::number(i + 2));
    return s;
}

// COM1 and COM3 on simulated lines, the console's main port on the real driver, a runner.
struct LineFixture
{
    QTemporaryDir dir;
    boardsim::SimLine com1;
    boardsim::SimLine com3;
    std::unique_ptr<FakeConsole> console;
    std::unique_ptr<SequenceRunner> runner;

    bool open()
    {
        const QString link1 = dir.filePath(QStringLiteral("COM1"));
        const QString link3 = dir.filePath(QStringLiteral("COM3"));
        if (!com1.open(link1) || !com3.open(link3))
            return false;
        com1.setBaud(0);
        com3.setBaud(0);
        auto map = std::make_shared<PortMap>();
        map->setEntries({{1, link1}, {3, link3}});
        console = std::make_unique<FakeConsole>(std::make_unique<QtSerialDriver>(map),
                                                  dir.filePath(QStringLiteral("test.INI")));
        runner = std::make_unique<SequenceRunner>(*console);
        return true;
    }

    // One step, as the Step button runs it; true once its job is over.
    bool step()
    {
        runner->step();
        return QTest::qWaitFor([&] { return !runner->busy(); }, 15000);
    }

    ~LineFixture()
    {
        runner.reset();
        console.reset();
    }
};

// What a line received once the bytes expected have come and nothing more follows.
QByteArray settledReceived(const boardsim::SimLine &line, qsizetype expected)
{
    line.waitForReceived(expected, 2s);
    QTest::qWait(30);
    return line.received();
}

} // namespace

class TestStepLanguage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void compareReply_data()
    {
        QTest::addColumn<QByteArray>("op");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("holds");
        QTest::newRow("EQ equal") << QByteArray("EQ") << QByteArray("OK") << QByteArray("OK") << true;
        QTest::newRow("EQ trailing blank differs") << QByteArray("EQ") << QByteArray("OK") << QByteArray("OK ") << false;
        QTest::newRow("EQ case-sensitive") << QByteArray("EQ") << QByteArray("ok") << QByteArray("OK") << false;
        QTest::newRow("NE") << QByteArray("NE") << QByteArray("OK") << QByteArray("NO") << true;
        QTest::newRow("NE equal") << QByteArray("NE") << QByteArray("OK") << QByteArray("OK") << false;
        QTest::newRow("GT text order") << QByteArray("GT") << QByteArray("7") << QByteArray("50") << true;
        QTest::newRow("GT not numeric") << QByteArray("GT") << QByteArray("10") << QByteArray("9") << false;
        QTest::newRow("GT equal") << QByteArray("GT") << QByteArray("AB") << QByteArray("AB") << false;
        QTest::newRow("GE equal") << QByteArray("GE") << QByteArray("AB") << QByteArray("AB") << true;
        QTest::newRow("GE after") << QByteArray("GE") << QByteArray("B") << QByteArray("AB") << true;
        QTest::newRow("GE before") << QByteArray("GE") << QByteArray("A") << QByteArray("AB") << false;
        QTest::newRow("LT prefix first") << QByteArray("LT") << QByteArray("AB") << QByteArray("ABC") << true;
        QTest::newRow("LT longer after") << QByteArray("LT") << QByteArray("ABC") << QByteArray("AB") << false;
        QTest::newRow("LT empty reply") << QByteArray("LT") << QByteArray() << QByteArray("0") << true;
        QTest::newRow("high bytes order after ASCII") << QByteArray("GT") << QByteArray("\xE9") << QByteArray("z") << true;
        QTest::newRow("no LE") << QByteArray("LE") << QByteArray("A") << QByteArray("B") << false;
        QTest::newRow("lower-case op") << QByteArray("eq") << QByteArray("A") << QByteArray("A") << false;
    }

    void compareReply()
    {
        QFETCH(QByteArray, op);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, value);
        QFETCH(bool, holds);
        QCOMPARE(CompareReply(op, reply, value, 4, 5), holds ? 4 : 5);
    }

    void testReplyBit_data()
    {
        QTest::addColumn<QByteArray>("op");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("bit");
        QTest::addColumn<bool>("holds");
        QTest::newRow("BS set") << QByteArray("BS") << QByteArray("0F") << 3 << true;
        QTest::newRow("BS clear") << QByteArray("BS") << QByteArray("F7") << 3 << false;
        QTest::newRow("BC set") << QByteArray("BC") << QByteArray("0F") << 3 << false;
        QTest::newRow("BC clear") << QByteArray("BC") << QByteArray("F7") << 3 << true;
        QTest::newRow("0x prefix and blanks") << QByteArray("BS") << QByteArray("  0x80") << 7 << true;
        QTest::newRow("lower-case hex") << QByteArray("BS") << QByteArray("a0") << 5 << true;
        QTest::newRow("stops at a non-hex character") << QByteArray("BS") << QByteArray("1G8") << 3 << false;
        QTest::newRow("no digits is 0") << QByteArray("BC") << QByteArray("zz") << 0 << true;
        QTest::newRow("empty reply is 0") << QByteArray("BS") << QByteArray() << 0 << false;
        QTest::newRow("bit 31") << QByteArray("BS") << QByteArray("80000000") << 31 << true;
        QTest::newRow("bit modulo 32") << QByteArray("BS") << QByteArray("2") << 33 << true;
        QTest::newRow("negative bit counts from the top") << QByteArray("BS") << QByteArray("80000000") << -1 << true;
        QTest::newRow("long reply keeps the low 32 bits") << QByteArray("BS") << QByteArray("1F00000001") << 0
                                                          << true;
        QTest::newRow("other op") << QByteArray("BX") << QByteArray("FF") << 0 << false;
    }

    void testReplyBit()
    {
        QFETCH(QByteArray, op);
        QFETCH(QByteArray, reply);
        QFETCH(int, bit);
        QFETCH(bool, holds);
        QCOMPARE(TestReplyBit(op, reply, bit, 6, 7), holds ? 6 : 7);
    }

    void jumpTargetsAreCorrected_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("corrected");
        QTest::newRow("inside") << 4 << 10 << 4;
        QTest::newRow("at the end") << 10 << 10 << 0;
        QTest::newRow("beyond") << 40 << 10 << 0;
        QTest::newRow("target 0 selects the second step") << -1 << 10 << 1;
        QTest::newRow("far below") << -7 << 10 << 1;
    }

    void jumpTargetsAreCorrected()
    {
        QFETCH(int, index);
        QFETCH(int, steps);
        QTEST(correctJumpTarget(index, steps), "corrected");
    }

    void theIntervalRule_data()
    {
        QTest::addColumn<QString>("delay");
        QTest::addColumn<int>("slider");
        QTest::addColumn<int>("interval");
        QTest::newRow("250 at 0.50") << "250" << 25 << 126;
        QTest::newRow("100 at slider 75") << "100" << 75 << 551;
        QTest::newRow("1000 at slider 0 truncates below 11") << "1000" << 0 << 10;
        QTest::newRow("0 at any scale") << "0" << 100 << 1;
        QTest::newRow("0 at the smallest scale") << "0" << 0 << 1;
        QTest::newRow("negative delay as 0") << "-300" << 50 << 1;
        QTest::newRow("lenient delay text") << " 40ms" << 50 << 41;
        QTest::newRow("no digits") << "soon" << 50 << 1;
        QTest::newRow("10 at scale 1") << "10" << 50 << 11;
        QTest::newRow("10 at scale 10") << "10" << 100 << 101;
        QTest::newRow("huge delay is capped") << "2000000000" << 100 << 2147483647;
    }

    void theIntervalRule()
    {
        QFETCH(QString, delay);
        QFETCH(int, slider);
        QTEST(int(stepInterval(delay, timeScaleForSlider(slider)).count()), "interval");
    }

    void theTimeScaleLabel_data()
    {
        QTest::addColumn<int>("slider");
        QTest::addColumn<QString>("label");
        QTest::newRow("0") << 0 << "0.01";
        QTest::newRow("1") << 1 << "0.02";
        QTest::newRow("49") << 49 << "0.98";
        QTest::newRow("50") << 50 << "1.00";
        QTest::newRow("75") << 75 << "5.50";
        QTest::newRow("100") << 100 << "10.00";
    }

    void theTimeScaleLabel()
    {
        QFETCH(int, slider);
        QTEST(timeScaleLabel(timeScaleForSlider(slider)), "label");
    }

    void theTimeScaleArgument_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<int>("position");
        QTest::newRow("in range") << "75" << 75;
        QTest::newRow("above 100") << "250" << 100;
        QTest::newRow("negative") << "-5" << 0;
        QTest::newRow("not a number") << "x" << 0;
    }

    void theTimeScaleArgument()
    {
        QFETCH(QString, argument);
        QTEST(sliderPositionForArgument(argument), "position");
    }

    // Every command of the language, as a step on the simulated line.
    void commandsOnTheLine_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("special");
        QTest::addColumn<QByteArray>("request");   // what the board waits for
        QTest::addColumn<QByteArray>("reply");     // and answers (sent at once when there is no request)
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("next");             // 1-based
        QTest::addColumn<QString>("response");
        QTest::addColumn<QStringList>("fields");   // status-field changes, in order
        QTest::addColumn<int>("slider");           // from 20
        QTest::addColumn<bool>("print");

        const QStringList none;
        // Default settings: comment ";", escape "~", print "$" / "#", special functions off.
        QTest::newRow("comment in the middle") << "ABC;any text;DEF" << false << QByteArray() << QByteArray()
                                               << QByteArray("ABCDEF") << 2 << "" << none << 20 << true;
        QTest::newRow("comment to the end") << "AB;rest" << false << QByteArray() << QByteArray() << QByteArray("AB")
                                            << 2 << "" << none << 20 << true;
        QTest::newRow("escapes") << "~065~066" << false << QByteArray() << QByteArray() << QByteArray("AB") << 2 << ""
                                 << none << 20 << true;
        QTest::newRow("escape consumes three characters")
            << "~7AB" << false << QByteArray() << QByteArray() << QByteArray("\x07") << 2 << "" << none << 20 << true;
        QTest::newRow("escape modulo 256, CR at the end")
            << "~999~13" << false << QByteArray() << QByteArray() << QByteArray("\xE7\x0D") << 2 << "" << none << 20
            << true;
        QTest::newRow("print on, print off") << "L01$[4]#[4]" << false << QByteArray("L01") << QByteArray("0104WXYZ")
                                             << QByteArray("L01") << 2 << "0104 " << QStringList{"SB5=RXOK", "SB5=RXOK"}
                                             << 20 << false;
        QTest::newRow("three of four characters") << "[4]" << false << QByteArray() << QByteArray("abc") << QByteArray()
                                                  << 2 << "abc " << QStringList{"SB5=RXCNT"} << 20 << true;
        QTest::newRow("four of four characters") << "[4]" << false << QByteArray() << QByteArray("abcd") << QByteArray()
                                                 << 2 << "abcd " << QStringList{"SB5=RXOK"} << 20 << true;
        QTest::newRow("brackets are never sent") << "A]B" << false << QByteArray() << QByteArray() << QByteArray("AB")
                                                 << 2 << "" << none << 20 << true;
        QTest::newRow("EQ holds") << "[C(2,EQ,OK,5,6)]" << false << QByteArray() << QByteArray("OK") << QByteArray() << 5
                                  << "OK " << none << 20 << true;
        QTest::newRow("EQ fails") << "[C(2,EQ,OK,5,6)]" << false << QByteArray() << QByteArray("NO") << QByteArray()
                                  << 6 << "NO " << none << 20 << true;
        QTest::newRow("EQ with a blank in the value")
            << "[C(2,EQ,OK ,5,6)]" << false << QByteArray() << QByteArray("OK") << QByteArray() << 6 << "OK " << none
            << 20 << true;
        QTest::newRow("GT compares text") << "[C(2,GT,50,3,4)]" << false << QByteArray() << QByteArray("7")
                                          << QByteArray() << 3 << "7 " << none << 20 << true;
        QTest::newRow("BS bit 3 of 0F") << "[B(2,BS,3,7,8)]" << false << QByteArray() << QByteArray("0F") << QByteArray()
                                        << 7 << "0F " << none << 20 << true;
        QTest::newRow("BC bit 3 of 0F") << "[B(2,BC,3,7,8)]" << false << QByteArray() << QByteArray("0F") << QByteArray()
                                        << 8 << "0F " << none << 20 << true;
        QTest::newRow("BC bit 3 of F7") << "[B(2,BC,3,7,8)]" << false << QByteArray() << QByteArray("F7") << QByteArray()
                                        << 7 << "F7 " << none << 20 << true;
        QTest::newRow("targets of 0 select step 2") << "[C(1,EQ,X,0,0)]" << false << QByteArray() << QByteArray("Q")
                                                    << QByteArray() << 2 << "Q " << none << 20 << true;
        QTest::newRow("target past the end selects step 1")
            << "[c(1,EQ,Q,11,2)]" << false << QByteArray() << QByteArray("Q") << QByteArray() << 1 << "Q " << none << 20
            << true;
        QTest::newRow("condition then more bytes")
            << "L01[C(4,EQ,0104,3,4)]~013" << false << QByteArray("L01") << QByteArray("0104") << QByteArray("L01\r") << 3
            << "0104 " << none << 20 << true;
        QTest::newRow("special functions off: sends TS=75")
            << "{TS=75}" << false << QByteArray() << QByteArray() << QByteArray("TS=75") << 2 << "" << none << 20 << true;

        // Special functions on, with "{" and "}".
        QTest::newRow("TS=75") << "{TS=75}" << true << QByteArray() << QByteArray() << QByteArray() << 2 << "" << none
                               << 75 << true;
        QTest::newRow("TS=250") << "{TS=250}" << true << QByteArray() << QByteArray() << QByteArray() << 2 << "" << none
                                << 100 << true;
        QTest::newRow("BR=19200") << "{BR=19200}" << true << QByteArray() << QByteArray() << QByteArray() << 2 << ""
                                  << QStringList{"SB2=19200"} << 20 << true;
        QTest::newRow("CP=COM3 then L01") << "{CP=COM3}L01" << true << QByteArray() << QByteArray() << QByteArray() << 2
                                          << "" << QStringList{"SB1=COM3"} << 20 << true;
        QTest::newRow("BR=9600 and TS=50") << "{BR=9600}{TS=50}" << true << QByteArray() << QByteArray() << QByteArray()
                                           << 2 << "" << QStringList{"SB2=9600"} << 50 << true;
        QTest::newRow("unknown function") << "{XY=1}" << true << QByteArray() << QByteArray() << QByteArray("XY=1") << 2
                                          << "" << none << 20 << true;
        QTest::newRow("four characters or fewer") << "{TS}" << true << QByteArray() << QByteArray() << QByteArray("TS")
                                                  << 2 << "" << none << 20 << true;
        QTest::newRow("argument to the end without a stop")
            << "A{TS=30" << true << QByteArray() << QByteArray() << QByteArray("A") << 2 << "" << none << 30 << true;
    }

    void commandsOnTheLine()
    {
        QFETCH(QString, command);
        QFETCH(bool, special);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, sent);

        LineFixture f;
        QVERIFY(f.open());
        StepLanguage language;
        language.specialEnabled = special;
        f.runner->setLanguage(language);
        f.runner->setSliderPosition(20);
        f.runner->replaceSequence(tenSteps(command));
        QVERIFY(f.console->openPort());
        if (!request.isEmpty())
            f.com1.setResponder(std::make_shared<boardsim::ScriptedResponder>(
                QList<boardsim::ScriptStep>{{request, reply}}));
        else if (!reply.isEmpty())
            f.com1.send(reply);
        f.console->fieldHistory.clear();

        QVERIFY(f.step());
        QCOMPARE(settledReceived(f.com1, sent.size()), sent);
        QTEST(f.runner->currentStep() + 1, "next");
        QTEST(f.runner->sequence().ResponseLB.at(0), "response");
        QTEST(f.console->fieldHistory, "fields");
        QTEST(f.runner->sliderPosition(), "slider");
        QCOMPARE(f.runner->scaleLabel(), timeScaleLabel(timeScaleForSlider(f.runner->sliderPosition())));
        QTEST(f.runner->printEnabled(), "print");

        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        if (tag == QLatin1String("BR=19200")) {
            QCOMPARE(lineSpeed(f.com1.devicePath()), speed_t(B19200));
            QCOMPARE(f.console->connected, QStringLiteral("Port Open - COM1,19200,N-8-1,NO FLOW"));
        } else if (tag == QLatin1String("CP=COM3 then L01")) {
            QCOMPARE(settledReceived(f.com3, 3), QByteArray("L01"));
            QCOMPARE(f.console->connected, QStringLiteral("Port Open - COM3,9600,N-8-1,NO FLOW"));
        } else if (tag == QLatin1String("TS=75")) {
            QCOMPARE(f.runner->scaleLabel(), QStringLiteral("5.50"));
        }
    }

    // Printing switched off by one step stays off for the next.
    void printingStaysOffForTheFollowingSteps()
    {
        LineFixture f;
        QVERIFY(f.open());
        Sequence s;
        s.append(QStringLiteral("0"), QStringLiteral("#"), QStringLiteral("2"));
        s.append(QStringLiteral("0"), QStringLiteral("[2]"), QStringLiteral("3"));
        s.append(QStringLiteral("0"), QStringLiteral("$[2]"), QStringLiteral("1"));
        f.runner->replaceSequence(s);
        QVERIFY(f.console->openPort());
        f.com1.send("AABB");
        QVERIFY(f.step());
        QVERIFY(f.step());
        QVERIFY(f.step());
        QCOMPARE(f.runner->sequence().ResponseLB, QStringList({"", "", "BB "}));
        QCOMPARE(f.console->activity, QStringLiteral("RXOK"));
    }

    // Notation characters of the operator's choice, and notations switched off.
    void theNotationCharactersAreSettings_data()
    {
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("escape");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("other characters") << "!" << "^" << "A!hidden!^066;" << QByteArray("AB;");
        QTest::newRow("comment and escape off") << "" << "" << "A;B~065" << QByteArray("A;B~065");
        QTest::newRow("only the first character counts") << ";x" << "~y" << "A;x;~066" << QByteArray("AB");
    }

    void theNotationCharactersAreSettings()
    {
        QFETCH(QString, comment);
        QFETCH(QString, escape);
        QFETCH(QString, command);
        QFETCH(QByteArray, sent);
        LineFixture f;
        QVERIFY(f.open());
        StepLanguage language;
        language.commentChar = comment;
        language.escapeChar = escape;
        f.runner->setLanguage(language);
        f.runner->replaceSequence(tenSteps(command));
        QVERIFY(f.step());
        QCOMPARE(settledReceived(f.com1, sent.size()), sent);
    }

    // A port that cannot be opened: nothing is sent, the step does not advance, and each
    // try says so in the connection field.
    void aPortThatCannotBeOpenedRunsNothing()
    {
        LineFixture f;
        QVERIFY(f.open());
        f.console->portField = QStringLiteral("COM9");
        f.runner->replaceSequence(tenSteps(QStringLiteral("L01")));
        f.runner->chooseStep(4);
        QVERIFY(f.step());
        QVERIFY(f.step());
        QCOMPARE(f.runner->currentStep(), 4);
        QVERIFY(!f.runner->runStarted());
        QCOMPARE(f.console->connected, QStringLiteral("Port Closed"));
        QTest::qWait(30);
        QCOMPARE(f.com1.received(), QByteArray());
    }

    // A rate that names no rate of the driver in "BR=": the field shows it, the port is
    // not opened at a rate other than the one shown, and the run stops there saying why.
    void anUnknownRateLeavesThePortClosed()
    {
        LineFixture f;
        QVERIFY(f.open());
        StepLanguage language;
        language.specialEnabled = true;
        f.runner->setLanguage(language);
        f.runner->replaceSequence(tenSteps(QStringLiteral("{BR=12345}L01")));
        QVERIFY(f.console->openPort());
        QVERIFY(f.step());
        QCOMPARE(f.console->baudField, QStringLiteral("12345"));
        QCOMPARE(f.console->connected, QStringLiteral("Port Closed"));
        QCOMPARE(f.console->connectedToolTip, rateRefusalHint(QStringLiteral("12345")));
        QCOMPARE(f.console->activity, rateRefusalHint(QStringLiteral("12345")));
        QVERIFY(!f.console->mainPort().portIsOpen());
        QTest::qWait(30);
        QCOMPARE(f.com1.received(), QByteArray());
        QCOMPARE(f.runner->currentStep(), 0);
    }

    // "BR=14400", a rate the driver has though the menu does not offer it: the next step
    // goes out at 14400.
    void aRateOutsideTheMenuIsSet()
    {
        LineFixture f;
        QVERIFY(f.open());
        StepLanguage language;
        language.specialEnabled = true;
        f.runner->setLanguage(language);
        Sequence s;
        s.append(QStringLiteral("0"), QStringLiteral("{BR=14400}"), QStringLiteral("2"));
        s.append(QStringLiteral("0"), QStringLiteral("L01"), QStringLiteral("1"));
        f.runner->replaceSequence(s);
        QVERIFY(f.console->openPort());
        QVERIFY(f.step());
        QCOMPARE(f.console->connected, QStringLiteral("Port Open - COM1,14400,N-8-1,NO FLOW"));
        QCOMPARE(f.runner->currentStep(), 1);
        QVERIFY(f.step());
        QCOMPARE(settledReceived(f.com1, 3), QByteArray("L01"));
        QCOMPARE(lineRate(f.com1.devicePath()), 14400u);
    }
};

QTEST_GUILESS_MAIN(TestStepLanguage)
#include "tst_steplanguage.moc"
