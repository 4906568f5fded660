#include "boardsim/responder.h"
#include "boardsim/scriptfile.h"
#include "boardsim/simline.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;
using boardsim::Clock;
using boardsim::Direction;
using boardsim::RecordedByte;

namespace {

// The program's end of the line, opened the way a serial port opens it.
class Client
{
public:
    explicit Client(const QString &path, bool raw = true)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {
        termios tio{};
        if (m_fd >= 0 && raw && ::tcgetattr(m_fd, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~Client()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Client(const Client &) = delete;
    Client &operator=(const Client &) = delete;

    bool isOpen() const { return m_fd >= 0; }

    bool write(const QByteArray &bytes)
    {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // Up to count bytes: returns when they have all come or the wait has run out.
    QByteArray read(qsizetype count, std::chrono::milliseconds wait)
    {
        QByteArray bytes;
        const auto deadline = Clock::now() + wait;
        while (bytes.size() < count) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left <= 0ms)
                break;
            pollfd pfd{m_fd, POLLIN, 0};
            if (::poll(&pfd, 1, int(left.count())) <= 0 || !(pfd.revents & POLLIN))
                continue;
            char buffer[256];
            const ssize_t n = ::read(m_fd, buffer, size_t(std::min<qsizetype>(sizeof buffer, count - bytes.size())));
            if (n <= 0)
                break;
            bytes.append(buffer, n);
        }
        return bytes;
    }

    // The other end has closed the line: reads fail instead of finding nothing.
    bool lineGone()
    {
        char byte;
        const ssize_t n = ::read(m_fd, &byte, 1);
        return n == 0 || (n < 0 && errno != EAGAIN);
    }

private:
    int m_fd;
};

// A record without its times, e.g. "->A ->B <-A <-B", so order and direction compare at once.
QString shape(const QList<RecordedByte> &record)
{
    QStringList entries;
    for (const RecordedByte &entry : record)
        entries << (entry.direction == Direction::ToBoard ? QStringLiteral("->") : QStringLiteral("<-"))
                + QChar::fromLatin1(entry.byte);
    return entries.join(u' ');
}

QList<RecordedByte> fromBoard(const QList<RecordedByte> &record)
{
    QList<RecordedByte> sent;
    for (const RecordedByte &entry : record) {
        if (entry.direction == Direction::FromBoard)
            sent << entry;
    }
    return sent;
}

std::chrono::nanoseconds byteTime(int baud)
{
    return std::chrono::nanoseconds(10'000'000'000LL / baud);
}

std::shared_ptr<boardsim::Responder> scripted(const QByteArray &script,
                                              std::chrono::microseconds latency = 0us)
{
    return std::make_shared<boardsim::ScriptedResponder>(*boardsim::parseScript(script), false, latency);
}

constexpr auto ArrivalWait = 2000ms;   // generous: only a broken line ever waits it out
constexpr auto QuietWait = 150ms;      // how long "nothing more came" is watched

} // namespace

class TestSimLine : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void rawFromTheStart();
    void recordOrderAndDirections();
    void pacing_data();
    void pacing();
    void link_data();
    void link();
    void linkTakenOverIsLeft();
    void stopIsPrompt();
    void deviceVanishesAndComesBack();
};

void TestSimLine::answers_data()
{
    QTest::addColumn<QString>("responder");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("answer");

    // Bytes a cooked terminal or software flow control would change or swallow.
    const QByteArray binary("L0A\r\n\x11\x13\x00\x7f\xff", 10);
    QTest::newRow("echo passes every byte") << "echo" << binary << binary;
    QTest::newRow("silent") << "silent" << QByteArray("L0AU") << QByteArray();
    QTest::newRow("scripted") << "scripted" << QByteArray("L0AUR1") << QByteArray("OK0ADI16");
    QTest::newRow("bus: the quicker board answers first") << "bus" << QByteArray("U") << QByteArray("UDI16");
    QTest::newRow("no responder") << "none" << QByteArray("U") << QByteArray();
}

void TestSimLine::answers()
{
    QFETCH(QString, responder);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, answer);

    boardsim::SimLine line;
    if (responder == u"echo") {
        line.setResponder(std::make_shared<boardsim::EchoResponder>());
    } else if (responder == u"silent") {
        line.setResponder(std::make_shared<boardsim::SilentResponder>());
    } else if (responder == u"scripted") {
        line.setResponder(scripted("L0A => OK0A\nU => DI16"));
    } else if (responder == u"bus") {
        auto bus = std::make_shared<boardsim::ResponderChain>();
        bus->add(0x0A, scripted("U => DI16", 20ms));
        bus->add(std::make_shared<boardsim::EchoResponder>());
        line.setResponder(bus);
    }
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    Client client(line.devicePath());
    QVERIFY(client.isOpen());

    QVERIFY(client.write(sent));
    QVERIFY(line.waitForReceived(sent.size(), ArrivalWait));
    QCOMPARE(line.received(), sent);
    QCOMPARE(client.read(answer.size(), ArrivalWait), answer);
    QCOMPARE(client.read(1, QuietWait), QByteArray());
}

void TestSimLine::rawFromTheStart()
{
    // A program that opens the device and has not configured it yet: the line must not
    // echo, translate CR or LF, or wait for whole lines.
    boardsim::SimLine line;
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    Client client(line.devicePath(), false);
    QVERIFY(client.isOpen());

    line.send(QByteArray("A\rB\n"));
    QCOMPARE(client.read(4, ArrivalWait), QByteArray("A\rB\n"));
    QVERIFY(client.write("x\n"));
    QVERIFY(line.waitForReceived(2, ArrivalWait));
    QCOMPARE(line.received(), QByteArray("x\n"));
}

void TestSimLine::recordOrderAndDirections()
{
    constexpr auto latency = 5ms;
    boardsim::SimLine line;
    line.setResponder(std::make_shared<boardsim::EchoResponder>(latency));
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    Client client(line.devicePath());

    QVERIFY(client.write("AB"));
    QCOMPARE(client.read(2, ArrivalWait), QByteArray("AB"));
    const QList<RecordedByte> record = line.recorded();
    QCOMPARE(shape(record), QStringLiteral("->A ->B <-A <-B"));
    for (qsizetype i = 1; i < record.size(); ++i)
        QVERIFY(record.at(i).at >= record.at(i - 1).at);
    QVERIFY(record.at(2).at - record.at(0).at >= latency);

    line.clearRecord();
    QVERIFY(line.recorded().isEmpty());
    QVERIFY(line.received().isEmpty());
    line.send("Z");
    QCOMPARE(client.read(1, ArrivalWait), QByteArray("Z"));
    QCOMPARE(shape(line.recorded()), QStringLiteral("<-Z"));
    QVERIFY(line.recorded().constFirst().at > record.constLast().at);
}

void TestSimLine::pacing_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<bool>("echoed");   // answers to the program, or bytes pushed by send()
    QTest::addColumn<int>("count");

    QTest::newRow("send at 9600") << 9600 << false << 24;
    QTest::newRow("echo at 9600") << 9600 << true << 24;
    QTest::newRow("send at 1200") << 1200 << false << 4;
    QTest::newRow("send at 115200") << 115200 << false << 200;
}

void TestSimLine::pacing()
{
    QFETCH(int, baud);
    QFETCH(bool, echoed);
    QFETCH(int, count);

    boardsim::SimLine line;
    line.setBaud(baud);
    if (echoed)
        line.setResponder(std::make_shared<boardsim::EchoResponder>());
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    Client client(line.devicePath());

    QByteArray payload;
    for (int i = 0; i < count; ++i)
        payload += char('a' + i % 26);
    const auto started = Clock::now();
    if (echoed)
        QVERIFY(client.write(payload));
    else
        line.send(payload);
    QCOMPARE(client.read(count, 10s), payload);
    const auto elapsed = Clock::now() - started;

    // Lower bounds only: a loaded machine may be late, never early.
    const auto perByte = byteTime(baud);
    QVERIFY2(elapsed >= count * perByte,
             qPrintable(QStringLiteral("%1 bytes in %2 us").arg(count).arg(elapsed.count() / 1000)));
    const QList<RecordedByte> sent = fromBoard(line.recorded());
    for (qsizetype i = 1; i < sent.size(); ++i)
        QVERIFY2(sent.at(i).at - sent.at(i - 1).at >= perByte, qPrintable(QString::number(i)));
}

void TestSimLine::link_data()
{
    QTest::addColumn<QString>("existing");
    QTest::addColumn<bool>("opens");

    QTest::newRow("nothing there") << "none" << true;
    QTest::newRow("stale link") << "link" << true;
    QTest::newRow("a file is never replaced") << "file" << false;
}

void TestSimLine::link()
{
    QFETCH(QString, existing);
    QFETCH(bool, opens);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("COM3"));
    if (existing == u"link")
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), path));
    if (existing == u"file") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep");
    }

    boardsim::SimLine line;
    QCOMPARE(line.open(path), opens);
    if (!opens) {
        QVERIFY(!line.errorString().isEmpty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep"));
        return;
    }

    QCOMPARE(QFileInfo(path).symLinkTarget(), line.devicePath());
    QCOMPARE(line.linkPath(), path);
    {
        Client client(path);
        QVERIFY(client.write("x"));
        QVERIFY(line.waitForReceived(1, ArrivalWait));
    }
    line.stop();
    QVERIFY(!QFileInfo(path).isSymLink());
    QVERIFY(!QFileInfo::exists(path));
}

void TestSimLine::linkTakenOverIsLeft()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("COM3"));
    boardsim::SimLine first;
    boardsim::SimLine second;
    QVERIFY(first.open(path));
    QVERIFY(second.open(path));
    first.stop();
    QCOMPARE(QFileInfo(path).symLinkTarget(), second.devicePath());
    second.stop();
    QVERIFY(!QFileInfo(path).isSymLink());
}

void TestSimLine::stopIsPrompt()
{
    // Over three seconds of bytes queued at 300 baud: stop() must not wait for them.
    boardsim::SimLine line;
    line.setBaud(300);
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    Client client(line.devicePath());
    const QByteArray payload(100, 'q');
    line.send(payload);
    QCOMPARE(client.read(1, ArrivalWait), QByteArray("q"));

    line.stop();
    const qsizetype sentBeforeStop = fromBoard(line.recorded()).size();
    QVERIFY(sentBeforeStop >= 1);
    QVERIFY(sentBeforeStop < payload.size());
    client.read(payload.size(), 0ms);
    QVERIFY(client.lineGone());
    QVERIFY(!Client(line.devicePath()).isOpen());
    line.stop();

    // An idle line sleeps in poll with no timeout; stop() has to wake it.
    boardsim::SimLine idle;
    QVERIFY(idle.open());
    idle.stop();
    QVERIFY(!idle.isOpen());
}

// A pulled adapter: the program's open device fails, the link goes; plugged back in, a
// new device answers at the same link with the same responder, and the record goes on.
void TestSimLine::deviceVanishesAndComesBack()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("ttyUSB0"));
    boardsim::SimLine line;
    line.setBaud(0);
    line.setResponder(std::make_shared<boardsim::EchoResponder>());
    QVERIFY2(line.open(path), qPrintable(line.errorString()));
    const QString firstDevice = line.devicePath();
    Client before(path);
    QVERIFY(before.write("A"));
    QCOMPARE(before.read(1, ArrivalWait), QByteArray("A"));

    line.dropDevice();
    QVERIFY(line.isDropped());
    QVERIFY(!line.isOpen());
    QVERIFY(line.devicePath().isEmpty());
    QVERIFY(before.lineGone());
    QVERIFY(!QFileInfo(path).isSymLink());
    QVERIFY(!Client(path).isOpen());
    line.dropDevice();   // once gone, gone: nothing more happens
    QVERIFY(line.isDropped());

    QVERIFY2(line.restoreDevice(), qPrintable(line.errorString()));
    QVERIFY(!line.isDropped());
    QVERIFY(line.isOpen());
    QVERIFY(line.devicePath() != firstDevice);   // the old one is still held by `before`
    QCOMPARE(QFileInfo(path).symLinkTarget(), line.devicePath());
    Client after(path);
    QVERIFY(after.write("B"));
    QCOMPARE(after.read(1, ArrivalWait), QByteArray("B"));
    QCOMPARE(shape(line.recorded()), QStringLiteral("->A <-A ->B <-B"));
    QVERIFY(!line.restoreDevice());   // nothing to bring back

    line.dropDevice();
    line.stop();   // a dropped line stops for good
    QVERIFY(!line.restoreDevice());
    QVERIFY(!QFileInfo(path).isSymLink());
}

QTEST_GUILESS_MAIN(TestSimLine)
#include "tst_simline.moc"
