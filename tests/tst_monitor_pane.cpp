// How the monitor writes several channels' batches into one pane: where a
// run is cut, each run's mark, and writing the pane again from the bytes
// kept (a format or channel choice), also once they are in the spill file.
#include "core/monitor/monitor_pane.h"

#include <QTest>

using MonitorBatches = QList<std::pair<int, QByteArray>>;

class TestMonitorPane : public QObject
{
    Q_OBJECT

private slots:
    void runsAndMarks_data();
    void runsAndMarks();
    void rewrittenFromSpilledBatches();
    void asciiReadBackFromThePane_data();
    void asciiReadBackFromThePane();
};

void TestMonitorPane::runsAndMarks_data()
{
    QTest::addColumn<MonitorBatches>("batches");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("hidden");
    QTest::addColumn<QByteArray>("text");
    const auto ascii = int(ReceiveFormat::Ascii);
    QTest::newRow("CR LF in two batches stays one run")
        << MonitorBatches{{1, "a\r"}, {1, "\nb\n"}} << ascii << 0 << QByteArray("1< a\r\n1< b\n");
    QTest::newRow("another channel cuts a line")
        << MonitorBatches{{1, "ab"}, {2, "c\n"}, {1, "d"}, {1, "e\n"}} << ascii << 0
        << QByteArray("1< ab\n2< c\n1< de\n");
    QTest::newRow("a lone CR ends a run") << MonitorBatches{{1, "a\rb\n"}, {1, "c\r"}, {2, "d"}}
                                          << ascii << 0 << QByteArray("1< a\r1< b\n1< c\r2< d");
    QTest::newRow("line ends only")
        << MonitorBatches{{2, "\n\n\r"}, {2, "\r\n\r"}, {1, "\r"}, {1, "\n"}} << ascii << 0
        << QByteArray("2< \n2< \n2< \r2< \r\n2< \r1< \r\n");
    QTest::newRow("hex: a line per run")
        << MonitorBatches{{1, "A\r\n"}, {2, "B"}, {1, "C"}} << int(ReceiveFormat::Hex) << 0
        << QByteArray("1< 41 0D 0A\n2< 42\n1< 43");
    QTest::newRow("a hidden channel neither shows nor cuts")
        << MonitorBatches{{1, "ab"}, {2, "c\n"}, {1, "d\n"}} << ascii << 2
        << QByteArray("1< abd\n");
    QTest::newRow("dump: the mark above the run's rows")
        << MonitorBatches{{3, "Hi"}, {1, "0123456789ABCDEFG"}} << int(ReceiveFormat::Dump) << 0
        << QByteArray("3<\n00000000  48 69 \n"
                      "1<\n00000000  30 31 32 33 34 35 36 37  38 39 41 42 43 44 45 46  "
                      "0123456789ABCDEF\n00000010  47 ");
}

void TestMonitorPane::runsAndMarks()
{
    QFETCH(MonitorBatches, batches);
    QFETCH(int, format);
    QFETCH(int, hidden);
    QFETCH(QByteArray, text);
    MonitorPane monitor;
    for (const auto &[channel, bytes] : batches)
        monitor.receive(channel, bytes, {0, 1000});
    // Chosen after the bytes came: the pane is written again from them.
    monitor.setFormat(ReceiveFormat(format));
    if (hidden != 0)
        monitor.setShown(hidden, false);
    QCOMPARE(monitor.text().text(), text);
    // The lines the monitor told the pane of are those the pane finds itself.
    PaneText searched;
    searched.setText(text);
    QCOMPARE(monitor.text().lineCount(), searched.lineCount());
    for (qsizetype line = 0; line < searched.lineCount(); ++line)
        QCOMPARE(monitor.text().lineStart(line), searched.lineStart(line));
    // Each run in its channel's colour, from its mark on.
    for (const qsizetype mark : {qsizetype(0), text.lastIndexOf('<') - 1})
        QCOMPARE(monitor.text().styles().styleAt(mark + 3).foreground,
                 TerminalStyle::paletteColor(MonitorText::runColor(text.at(mark) - '0')));
}

void TestMonitorPane::rewrittenFromSpilledBatches()
{
    const qsizetype defaultThreshold = PaneText::defaultSpillThreshold();
    PaneText::setDefaultSpillThreshold(64 * 1024);
    MonitorPane monitor;
    PaneText::setDefaultSpillThreshold(defaultThreshold);
    // Batches of many sizes, so records and bytes straddle the store's
    // blocks, at times that also go back (a clock set back).
    for (int i = 0; monitor.store().storedSize() < 512 * 1024; ++i)
        monitor.receive(1 + i % 2, QByteArray(1 + i * 7 % 3001, char('a' + i % 26)) + '\n',
                        {0, 5000 + i % 7 * 1000 - i});
    monitor.store().finishWrites();
    QVERIFY(monitor.store().spilledSize() > 0);
    const PaneText &text = monitor.text();
    const QByteArray live = text.text();
    QList<qint64> times;
    for (qsizetype line = 0; line + 1 < text.lineCount(); ++line)
        times.append(text.lineTime(line));
    monitor.setFormat(ReceiveFormat::Hex);
    monitor.setFormat(ReceiveFormat::Ascii);
    QCOMPARE(text.text(), live);
    for (qsizetype line = 0; line + 1 < text.lineCount(); ++line)
        QCOMPARE(text.lineTime(line), times.at(line));
}

void TestMonitorPane::asciiReadBackFromThePane_data()
{
    QTest::addColumn<MonitorBatches>("batches");
    QTest::newRow("CR LF in two batches, then a lone CR")
        << MonitorBatches{{1, "a\r"}, {1, "\nb\rc"}, {2, "\r\r\n"}, {1, "\n"}};
    QTest::newRow("line ends only") << MonitorBatches{{2, "\n\n\r"}, {2, "\r\n\r"}, {1, "\r"}};
    QTest::newRow("a CR at a batch's end, then another channel")
        << MonitorBatches{{1, "x\r"}, {2, "\ny\n"}, {1, "\nz"}};
}

// The ASCII bytes are kept only as where they lie in the pane, between the
// runs' marks: written again in another format and back, the pane must show
// every byte where it was.
void TestMonitorPane::asciiReadBackFromThePane()
{
    QFETCH(MonitorBatches, batches);
    MonitorPane monitor;
    QByteArray received;
    for (const auto &[channel, bytes] : batches) {
        monitor.receive(channel, bytes, {0, 1000});
        received += bytes;
    }
    const QByteArray live = monitor.text().text();
    monitor.setFormat(ReceiveFormat::Hex);
    QByteArray hexBytes;
    for (const QByteArray &line : monitor.text().text().split('\n'))
        hexBytes += QByteArray::fromHex(line.mid(3));
    QCOMPARE(hexBytes, received);
    monitor.setFormat(ReceiveFormat::Ascii);
    QCOMPARE(monitor.text().text(), live);
}

QTEST_GUILESS_MAIN(TestMonitorPane)
#include "tst_monitor_pane.moc"
