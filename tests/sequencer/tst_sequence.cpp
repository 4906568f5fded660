// The step lists under the editor's commands, lenient numbers and the step window.

#include "sequencer/sequence.h"

#include <QTest>

namespace {

// Steps 1..n, each linking to the one below (the last past the end).
Sequence chain(int n)
{
    Sequence s;
    for (int i = 0; i < n; ++i)
        s.append(QString::number((i + 1) * 10), QStringLiteral("C%1").arg(i + 1), QString::number(i + 2));
    return s;
}

} // namespace

class TestSequence : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void editingRenumbersTheLinksAfterTheChange_data()
    {
        QTest::addColumn<QString>("command");   // before:i, after:i, delete:i, append
        QTest::addColumn<QStringList>("firstLinks");   // links of steps 1.. before the command, empty: the chain
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QStringList>("times");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<int>("result");

        const QStringList chainLinks{"2", "3", "4", "5", "6"};
        QTest::newRow("insert before step 3") << "before:2" << QStringList() << QStringList{"2", "3", "4", "5", "6", "7"}
                                              << QStringList{"10", "20", "50", "30", "40", "50"}
                                              << QStringList{"C1", "C2", "", "C3", "C4", "C5"} << 2;
        QTest::newRow("insert after step 3") << "after:2" << QStringList() << QStringList{"2", "3", "4", "5", "6", "7"}
                                             << QStringList{"10", "20", "30", "30", "40", "50"}
                                             << QStringList{"C1", "C2", "C3", "", "C4", "C5"} << 3;
        QTest::newRow("delete step 3") << "delete:2" << QStringList() << QStringList{"2", "3", "4", "5"}
                                       << QStringList{"10", "20", "40", "50"} << QStringList{"C1", "C2", "C4", "C5"} << 2;
        QTest::newRow("delete the last step") << "delete:4" << QStringList() << QStringList{"2", "3", "4", "5"}
                                              << QStringList{"10", "20", "30", "40"}
                                              << QStringList{"C1", "C2", "C3", "C4"} << 3;
        QTest::newRow("a forward link before the insertion keeps its number")
            << "before:2" << QStringList{"5", "3", "4", "5", "6"} << QStringList{"5", "3", "4", "5", "6", "7"}
            << QStringList{"10", "20", "50", "30", "40", "50"} << QStringList{"C1", "C2", "", "C3", "C4", "C5"} << 2;
        QTest::newRow("a backward link after the insertion keeps its number")
            << "before:2" << QStringList{"2", "3", "4", "1", "6"} << QStringList{"2", "3", "4", "5", "1", "7"}
            << QStringList{"10", "20", "50", "30", "40", "50"} << QStringList{"C1", "C2", "", "C3", "C4", "C5"} << 2;
        QTest::newRow("append") << "append" << QStringList() << QStringList{"2", "3", "4", "5", "6", "7"}
                                << QStringList{"10", "20", "30", "40", "50", "100"}
                                << QStringList{"C1", "C2", "C3", "C4", "C5", ""} << 5;
        QTest::newRow("delete nothing selected") << "delete:-1" << QStringList() << chainLinks
                                                 << QStringList{"10", "20", "30", "40", "50"}
                                                 << QStringList{"C1", "C2", "C3", "C4", "C5"} << 0;
    }

    void editingRenumbersTheLinksAfterTheChange()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, firstLinks);
        Sequence s = chain(5);
        if (!firstLinks.isEmpty())
            s.EvNextSeq = firstLinks;
        int result = -1;
        const int at = command.section(u':', 1).toInt();
        if (command.startsWith(QLatin1String("before")))
            result = s.insertBefore(at);
        else if (command.startsWith(QLatin1String("after")))
            result = s.insertAfter(at);
        else if (command.startsWith(QLatin1String("delete")))
            result = s.removeStep(at);
        else {
            s.appendNewStep(QStringLiteral("100"));
            result = s.size() - 1;
        }
        QTEST(s.EvNextSeq, "links");
        QTEST(s.EvTime, "times");
        QTEST(s.EvCommand, "commands");
        QTEST(result, "result");
        QStringList numbers;
        for (int i = 1; i <= s.size(); ++i)
            numbers << QString::number(i);
        QCOMPARE(s.EvIndex, numbers);
        QCOMPARE(s.ResponseLB.size(), s.size());
    }

    void insertAfterMovesTheResponseToTheNewRow()
    {
        Sequence s = chain(3);
        s.ResponseLB = QStringList{"r1 ", "r2 ", "r3 "};
        s.insertAfter(1);
        QCOMPARE(s.ResponseLB, QStringList({"r1 ", " ", "r2 ", "r3 "}));
    }

    void editingAnEmptySequence()
    {
        Sequence appended;
        appended.appendNewStep(QStringLiteral("100"));
        QCOMPARE(appended.EvTime, QStringList{"100"});
        QCOMPARE(appended.EvNextSeq, QStringList{"2"});
        QCOMPARE(appended.ResponseLB, QStringList{QString()});

        Sequence before;
        QCOMPARE(before.insertBefore(-1), 0);
        QCOMPARE(before.EvTime, QStringList{"0"});
        QCOMPARE(before.EvNextSeq, QStringList{"2"});

        Sequence after;
        QCOMPARE(after.insertAfter(-1), 0);
        QCOMPARE(after.EvTime, QStringList{"0"});
        QCOMPARE(after.EvNextSeq, QStringList{"2"});

        Sequence one = chain(1);
        QCOMPARE(one.removeStep(0), 0);
        QVERIFY(one.isEmpty());
    }

    void lenientNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("digits") << "250" << 250;
        QTest::newRow("blanks, sign, rest ignored") << "  -12ms" << -12;
        QTest::newRow("plus") << "+7" << 7;
        QTest::newRow("no digits") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("sign only") << "-" << 0;
        QTest::newRow("blank after sign stops") << "- 5" << 0;
        QTest::newRow("too large saturates") << "99999999999" << 2147483647;
        QTest::newRow("too small saturates") << "-99999999999" << int(-2147483647 - 1);
    }

    void lenientNumbers()
    {
        QFETCH(QString, text);
        QTEST(lenientNumber(text), "value");
    }

    void theStepWindow_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("bottom");
        QTest::addColumn<int>("filled");
        QTest::newRow("full window") << 5 << 0 << 12 << 4 << 5;
        QTest::newRow("window not full: bottom is the step count") << 5 << 10 << 12 << 12 << 2;
        QTest::newRow("exactly full at the end") << 5 << 7 << 12 << 11 << 5;
    }

    void theStepWindow()
    {
        QFETCH(int, rows);
        QFETCH(int, top);
        QFETCH(int, steps);
        StepWindow w;
        w.rows = rows;
        w.top = top;
        w.refill(steps);
        QTEST(w.bottom, "bottom");
        QTEST(w.filledRows(steps), "filled");
    }

    void scrollingByOneRow()
    {
        StepWindow w;
        w.rows = 3;
        w.refill(5);
        QCOMPARE(w.bottom, 2);
        QVERIFY(!w.scrollUp(5));
        QVERIFY(w.scrollDown(5));
        QVERIFY(w.scrollDown(5));
        QCOMPARE(w.top, 2);
        QCOMPARE(w.bottom, 4);
        QVERIFY(!w.scrollDown(5));
        QCOMPARE(w.rowOf(3, 5), 1);
        QCOMPARE(w.rowOf(1, 5), -1);
        QVERIFY(w.scrollUp(5));
        QCOMPARE(w.top, 1);

        // An empty sequence leaves the bottom where it was.
        w.refill(0);
        QCOMPARE(w.bottom, 3);
    }

    void windowRowsForAFont_data()
    {
        QTest::addColumn<int>("rowHeight");
        QTest::addColumn<int>("columnsTop");
        QTest::addColumn<int>("limitTop");
        QTest::addColumn<int>("rows");
        // (rows + 1) * 20 + 4 + 40 <= 300 while rows + 1 <= 12
        QTest::newRow("twelve rows fit") << 20 << 40 << 300 << 12;
        QTest::newRow("just one more pixel") << 20 << 40 << 304 << 13;
        QTest::newRow("always at least one") << 200 << 40 << 100 << 1;
    }

    void windowRowsForAFont()
    {
        QFETCH(int, rowHeight);
        QFETCH(int, columnsTop);
        QFETCH(int, limitTop);
        QTEST(StepWindow::rowsFor(rowHeight, columnsTop, limitTop), "rows");
    }
};

QTEST_GUILESS_MAIN(TestSequence)
#include "tst_sequence.moc"
