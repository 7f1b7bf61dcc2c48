#include "core/sent_lines.h"

#include <QTest>

// Steps: "up", "down" or "find TERM"; each gives the line shown, or "-"
// when the step finds nothing.
class TestSentLines : public QObject
{
    Q_OBJECT

private slots:
    void walk_data();
    void walk();
    void keepsTheNewestOnly();
};

void TestSentLines::walk_data()
{
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("shown");
    const QString typed = QStringLiteral("typed");
    QTest::newRow("up goes back, newest first")
        << QStringList{"ls", "pwd", "uname"} << QStringList{"up", "up", "up", "up"}
        << QStringList{"uname", "pwd", "ls", "-"};
    QTest::newRow("down past the newest gives back the typed line")
        << QStringList{"ls", "pwd"} << QStringList{"up", "up", "down", "down", "down"}
        << QStringList{"pwd", "ls", "pwd", typed, "-"};
    QTest::newRow("nothing sent") << QStringList{} << QStringList{"up", "down", "find l"}
                                  << QStringList{"-", "-", "-"};
    QTest::newRow("a line sent again is kept once, as the newest")
        << QStringList{"ls", "pwd", "ls", "ls"} << QStringList{"up", "up", "up"}
        << QStringList{"ls", "pwd", "-"};
    QTest::newRow("empty lines are not kept")
        << QStringList{"ls", "", "pwd", ""} << QStringList{"up", "up", "up"}
        << QStringList{"pwd", "ls", "-"};
    QTest::newRow("find goes back through the lines holding the term, any case")
        << QStringList{"cat /etc/OS-release", "ls", "dmesg | grep os", "uptime"}
        << QStringList{"find os", "find os", "find os"}
        << QStringList{"dmesg | grep os", "cat /etc/OS-release", "-"};
    QTest::newRow("find goes on from where up stopped")
        << QStringList{"ip a", "ip r", "ls", "ip l"} << QStringList{"up", "up", "find ip", "down"}
        << QStringList{"ip l", "ls", "ip r", "ls"};
}

void TestSentLines::walk()
{
    QFETCH(QStringList, sent);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, shown);
    SentLines lines;
    for (const QString &line : sent)
        lines.add(line);
    QStringList seen;
    for (const QString &step : steps) {
        std::optional<QString> line;
        if (step == QLatin1String("up"))
            line = lines.older(QStringLiteral("typed"));
        else if (step == QLatin1String("down"))
            line = lines.newer();
        else
            line = lines.search(QStringLiteral("typed"), step.mid(5));
        seen << line.value_or(QStringLiteral("-"));
    }
    QCOMPARE(seen, shown);
}

void TestSentLines::keepsTheNewestOnly()
{
    SentLines lines;
    for (int i = 0; i < SentLines::kept + 20; ++i)
        lines.add(QString::number(i));
    lines.setLines(lines.lines()); // a saved history read back
    QCOMPARE(lines.lines().size(), SentLines::kept);
    QCOMPARE(lines.lines().constFirst(), QStringLiteral("20"));
    QCOMPARE(lines.older({}), QString::number(SentLines::kept + 19));
}

QTEST_GUILESS_MAIN(TestSentLines)
#include "tst_sent_lines.moc"
