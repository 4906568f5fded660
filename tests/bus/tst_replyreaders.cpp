// The reply readers on the in-memory line, which records every read: the attempt counts
// are checked exactly.

#include "bus/replyreaders.h"
#include "fakebus.h"

#include <QTest>

class TestReplyReaders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readReply_data();
    void readReply();
    void fourCharacterReaders_data();
    void fourCharacterReaders();
};

void TestReplyReaders::readReply_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QByteArray>("fed");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("received");
    QTest::addColumn<int>("reads");
    QTest::addColumn<int>("leftUnread");

    QTest::newRow("silent board: 30 reads, nothing") << true << QByteArray() << 4 << QByteArray() << 0 << 30 << 0;
    QTest::newRow("two, then 30 reads for each missing")
        << true << QByteArray("AB") << 4 << QByteArray("AB") << 2 << 2 + 60 << 0;
    QTest::newRow("count 0 reads nothing") << true << QByteArray("AB") << 0 << QByteArray() << 0 << 0 << 2;
    QTest::newRow("whole reply, one read each") << true << QByteArray("ABCD") << 4 << QByteArray("ABCD") << 4 << 4
                                                << 0;
    QTest::newRow("longer reply, rest stays") << true << QByteArray("ABCDEF") << 4 << QByteArray("ABCD") << 4 << 4
                                              << 2;
    QTest::newRow("a NUL that arrives counts") << true << QByteArray("\0B", 2) << 2 << QByteArray("\0B", 2) << 2
                                               << 2 << 0;
    QTest::newRow("byte FF is a character") << true << QByteArray("\xFF") << 1 << QByteArray("\xFF") << 1 << 1 << 0;
    QTest::newRow("port closed: nothing, at once") << false << QByteArray("AB") << 4 << QByteArray() << 0 << 0 << 2;
}

void TestReplyReaders::readReply()
{
    QFETCH(bool, open);
    QFETCH(QByteArray, fed);
    QFETCH(int, count);

    FakeBus bus(open);
    bus.line->feed(fed);
    const ReplyText reply = ReadReply(bus.com, count);
    QTEST(reply.text, "text");
    QTEST(reply.count, "received");
    QTEST(int(bus.reads()), "reads");
    QTEST(int(bus.line->unread()), "leftUnread");
}

void TestReplyReaders::fourCharacterReaders_data()
{
    QTest::addColumn<QByteArray>("fed");
    QTest::addColumn<QByteArray>("four");
    QTest::addColumn<QByteArray>("registerValue");

    QTest::newRow("register reply") << QByteArray("3C5E") << QByteArray("3C5E") << QByteArray("3C");
    QTest::newRow("short reply") << QByteArray("3C") << QByteArray("3C\0\0", 4) << QByteArray("3C");
    QTest::newRow("silent") << QByteArray() << QByteArray(4, '\0') << QByteArray(2, '\0');
    QTest::newRow("one character") << QByteArray("3") << QByteArray("3\0\0\0", 4) << QByteArray("3\0", 2);
}

void TestReplyReaders::fourCharacterReaders()
{
    QFETCH(QByteArray, fed);

    // Both readers make exactly four reads whatever comes, and leave nothing of the reply
    // on the line: the two dropped characters of a register reply are read, not skipped.
    FakeBus four;
    four.line->feed(fed);
    QTEST(ReadFourChars(four.com), "four");
    QCOMPARE(four.reads(), 4);
    QCOMPARE(four.line->unread(), 0);

    FakeBus reg;
    reg.line->feed(fed);
    QTEST(ReadRegisterReply(reg.com), "registerValue");
    QCOMPARE(reg.reads(), 4);
    QCOMPARE(reg.line->unread(), 0);
}

QTEST_GUILESS_MAIN(TestReplyReaders)
#include "tst_replyreaders.moc"
