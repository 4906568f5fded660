// The console against the simulated line: the real Qt Serial Port driver on a
// pseudo-terminal, and the program itself started and ended as an operator would.

#include "app/mainwindow.h"
#include "settings/settingsfile.h"
#include "boardsim/responder.h"
#include "boardsim/simline.h"
#include "startconsole.h"
#include "testfiles.h"
#include "serial/mainport.h"
#include "serial/tcom.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// The line's own settings, as the kernel holds them for the terminal device.
struct TerminalSettings
{
    speed_t speed = 0;
    bool twoStopBits = false;
};

TerminalSettings terminalSettings(const QString &device)
{
    TerminalSettings settings;
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return settings;
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0) {
        settings.speed = ::cfgetospeed(&tio);
        settings.twoStopBits = (tio.c_cflag & CSTOPB) != 0;
    }
    ::close(fd);
    return settings;
}

} // namespace

class TestConsoleEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static std::unique_ptr<TForm1> startOnLine(const QString &ini)
    {
        auto window = startConsole(ini);
        window->mainPort().line().waitIdle(5000);
        return window;
    }

    static QString connected(const TForm1 &window)
    {
        return window.findChild<QLabel *>(QStringLiteral("Connected"))->text();
    }

private Q_SLOTS:
    void relayControlOpensThePseudoTerminal_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("speed");
        QTest::addColumn<bool>("twoStopBits");
        QTest::newRow("stored defaults") << QByteArray() << "Port Open - COM1,9600,N-8-1,NO FLOW" << int(B9600)
                                         << false;
        QTest::newRow("19200, two stop bits")
            << QByteArray("BAUD=19200\r\nCOMSPEC=N-8-2\r\n") << "Port Open - COM1,19200,N-8-2,NO FLOW"
            << int(B19200) << true;
    }

    void relayControlOpensThePseudoTerminal()
    {
        QFETCH(QByteArray, settings);
        boardsim::SimLine line;
        const QString link = m_dir.filePath(QStringLiteral("COM1"));
        QVERIFY2(line.open(link), qPrintable(line.errorString()));
        line.setResponder(std::make_shared<boardsim::EchoResponder>());
        const QString ini = m_dir.filePath(QStringLiteral("relay.INI"));
        writeFile(ini, "[Ports]\r\nCOM1=" + link.toLocal8Bit() + "\r\n[Tester]\r\nStartProg=Relay Control\r\nHideRC=0\r\n"
                           + settings);

        auto window = startOnLine(ini);
        QTEST(connected(*window), "status");
        const TerminalSettings tio = terminalSettings(line.devicePath());
        QTEST(int(tio.speed), "speed");
        QTEST(tio.twoStopBits, "twoStopBits");

        // The line is really ours: bytes sent through the port reach the far end.
        window->mainPort().line().post([](LineContext &ctx) { ctx.com.comSendString("L01"); });
        QVERIFY(line.waitForReceived(3, 2s));
        QCOMPARE(line.received(), QByteArray("L01"));
    }

    void aPortHeldByAnotherProgramStaysClosed()
    {
        boardsim::SimLine line;
        const QString link = m_dir.filePath(QStringLiteral("held"));
        QVERIFY(line.open(link));
        QSerialPort other(line.devicePath());
        QVERIFY2(other.open(QIODevice::ReadWrite), qPrintable(other.errorString()));

        const QString ini = m_dir.filePath(QStringLiteral("held.INI"));
        writeFile(ini, "[Ports]\r\nCOM1=" + link.toLocal8Bit() + "\r\n[Tester]\r\nStartProg=Relay Control\r\nHideRC=0\r\n");
        auto window = startOnLine(ini);
        QCOMPARE(connected(*window), QStringLiteral("Port Closed"));
        QVERIFY(!window->mainPort().portIsOpen());
        const QString why = window->findChild<QLabel *>(QStringLiteral("Connected"))->toolTip();
        QVERIFY2(why.contains(QLatin1String("another program")), qPrintable(why));
    }

    // The program copied out of the build tree starts on its own settings file next to it,
    // and SIGTERM closes it through the close path, which writes the closing group.
    void theProgramRunsAnywhereAndSigtermWritesTheClosingGroup()
    {
        const QString folder = m_dir.filePath(QStringLiteral("installed"));
        QVERIFY(QDir().mkpath(folder));
        const QString program = folder + QStringLiteral("/iovantor");
        QVERIFY(QFile::copy(QStringLiteral(IOVANTOR_PROGRAM), program));
        const QString ini = folder + QStringLiteral("/iovantor.INI");
        writeFile(ini, "; hand-written\r\n[Ports]\r\nCOM1=/nonexistent/device\r\n[Tester]\r\nNagScreen=1\r\n");

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(program, {});
        QVERIFY(process.waitForStarted());
        // Start-up reads the settings on the second tick of its one-second timer.
        QTest::qWait(3000);
        QCOMPARE(process.state(), QProcess::Running);
        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);

        QFile file(ini);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        // The machine's own serial devices may have joined [Ports]; the hand-written lines stay.
        QVERIFY(written.startsWith("; hand-written\r\n[Ports]\r\nCOM1=/nonexistent/device\r\n"));
        QVERIFY(written.contains("\r\n[Tester]\r\nNagScreen=1\r\n"));
        const SettingsFile settings(ini);
        QCOMPARE(settings.readString(QStringLiteral("A"), {}), QStringLiteral("34952"));
        QCOMPARE(settings.readString(QStringLiteral("CFGSETSEL16"), {}), QStringLiteral("SET 16"));
    }
};

QTEST_MAIN(TestConsoleEndToEnd)
#include "tst_console_e2e.moc"
