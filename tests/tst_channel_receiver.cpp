#include "core/channel_receiver.h"
#include "core/pane/dump_rows.h"
#include "core/pane/pane_text.h"

#include <QTest>

namespace {

// One channel's receive side, as the main window wires it.
struct Channel
{
    ChannelModes modes;
    ChannelModule module;
    PaneText pane;
    ChannelReceiver receiver{modes, module, pane};

    Channel(DisplayMode disp, ReceiveFormat format, AccumulateMode addTo = AccumulateMode::AddOn)
    {
        modes.setLoadDefaults();
        modes.display = disp;
        modes.format = format;
        module.intTimeOut = 200;
        module.addTo = addTo;
    }
    QByteArray text() const { return pane.text(); }
};

constexpr DisplayMode RT = DisplayMode::RealTime;
constexpr DisplayMode TO = DisplayMode::TimeOut;
constexpr DisplayMode CR = DisplayMode::AfterCr;
constexpr ReceiveFormat A = ReceiveFormat::Ascii;
constexpr ReceiveFormat H = ReceiveFormat::Hex;
constexpr ReceiveFormat D = ReceiveFormat::Decimal;

} // namespace

class TestChannelReceiver : public QObject
{
    Q_OBJECT

private slots:
    void serialBatches_data();
    void serialBatches();
    void socketBatches_data();
    void socketBatches();
    void socketNumbersNeverRunTogether_data();
    void socketNumbersNeverRunTogether();
    void realTimeShowsEveryByteOnceWhateverTheSplit_data();
    void realTimeShowsEveryByteOnceWhateverTheSplit();
    void afterCrSplitOnlyChangesWhenItShows();
    void timeOutArmsTheChannelsOwnTimer();
    void tickShowsInTheFormatCurrentAtTheTick();
    void realTimeBatchAfterTimeOutShowsCollectedDataFirst();
    void realTimeThenAfterCrNeverShowsTwice();
    void emptyTickLeavesClearFirstPaneAlone();
    void clearWhileTickPendingDropsOnlyWhatWaited();
    void modeChangesLeaveBufferPaneAndTimerAlone();
    void zeroAndNegativeTimeOutShowWhenIdle_data();
    void zeroAndNegativeTimeOutShowWhenIdle();
    void flushPendingShowsWhatWaits();
    void longBuffersHaveNoLimit();
    void dumpRowsGrowAcrossBatches_data();
    void dumpRowsGrowAcrossBatches();
};

// Each row: display mode, format, accumulate mode, the pane's text before,
// the batches, whether the time-out ticks at the end, the pane's text after.
void TestChannelReceiver::serialBatches_data()
{
    QTest::addColumn<DisplayMode>("disp");
    QTest::addColumn<ReceiveFormat>("format");
    QTest::addColumn<AccumulateMode>("addTo");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArrayList>("batches");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<QByteArray>("after");
    constexpr AccumulateMode add = AccumulateMode::AddOn, clear = AccumulateMode::ClearFirst;
    using B = QByteArrayList;

    QTest::newRow("RT ASCII") << RT << A << add << QByteArray() << B{"A", "B"} << false
                              << QByteArray("AB");
    QTest::newRow("RT ASCII never clears")
        << RT << A << clear << QByteArray("x") << B{"A"} << false << QByteArray("xA");
    QTest::newRow("RT Hex one byte")
        << RT << H << add << QByteArray() << B{"A"} << false << QByteArray(" 41");
    QTest::newRow("RT Hex every byte of the batch")
        << RT << H << add << QByteArray() << B{"ABD"} << false << QByteArray(" 41 42 44");
    QTest::newRow("RT Decimal") << RT << D << add << QByteArray() << B{"A"} << false
                                << QByteArray("  65");
    QTest::newRow("RT Decimal every byte") << RT << D << add << QByteArray() << B{"A\0\xff"_qba}
                                           << false << QByteArray("  65  0  255");
    QTest::newRow("RT keeps control bytes")
        << RT << A << add << QByteArray() << B{"a\0\r\n"_qba} << false << "a\0\r\n"_qba;

    QTest::newRow("CR ASCII waits")
        << CR << A << add << QByteArray() << B{"AB"} << false << QByteArray();
    QTest::newRow("CR ASCII shows at CR")
        << CR << A << add << QByteArray() << B{"AB", "D\r"} << false << QByteArray("ABD\r");
    QTest::newRow("CR Hex") << CR << H << add << QByteArray() << B{"AB", "D\r"} << false
                            << QByteArray(" 41 42 44 0D");
    QTest::newRow("CR Decimal Clear First")
        << CR << D << clear << QByteArray("old") << B{"AB", "D\r"} << false
        << QByteArray(" 65 66 68 13");
    QTest::newRow("CR Add On keeps")
        << CR << A << add << QByteArray("old") << B{"x\r"} << false << QByteArray("oldx\r");
    QTest::newRow("CR LF in one batch waits")
        << CR << A << add << QByteArray() << B{"A\r\n"} << false << QByteArray();
    QTest::newRow("CR LF shown with the next CR")
        << CR << A << add << QByteArray() << B{"A\r\n", "B\r"} << false << QByteArray("A\r\nB\r");
    QTest::newRow("CR inside a batch doesn't flush")
        << CR << H << add << QByteArray() << B{"A\rB"} << false << QByteArray();

    QTest::newRow("TO waits for the tick")
        << TO << A << add << QByteArray() << B{"AB", "C"} << false << QByteArray();
    QTest::newRow("TO ASCII at the tick")
        << TO << A << add << QByteArray("x") << B{"AB", "C"} << true << QByteArray("xABC");
    QTest::newRow("TO Hex at the tick")
        << TO << H << add << QByteArray() << B{"AB"} << true << QByteArray(" 41 42");
    QTest::newRow("TO Decimal at the tick")
        << TO << D << add << QByteArray() << B{"AB"} << true << QByteArray(" 65 66");
    QTest::newRow("TO Clear First replaces")
        << TO << A << clear << QByteArray("old burst") << B{"new", " burst"} << true
        << QByteArray("new burst");
}

void TestChannelReceiver::serialBatches()
{
    QFETCH(DisplayMode, disp);
    QFETCH(ReceiveFormat, format);
    QFETCH(AccumulateMode, addTo);
    QFETCH(QByteArray, before);
    QFETCH(QByteArrayList, batches);
    QFETCH(bool, tick);
    QFETCH(QByteArray, after);

    Channel channel(disp, format, addTo);
    channel.pane.setText(before);
    for (const QByteArray &batch : batches)
        channel.receiver.receiveSerial(batch);
    if (tick)
        channel.receiver.tick();
    QCOMPARE(channel.text(), after);
    // What is shown has left the buffer; what waits is exactly the rest.
    if (after != before)
        QVERIFY(channel.receiver.pending().isEmpty());
    else
        QCOMPARE(channel.receiver.pending(), batches.join());
}

void TestChannelReceiver::socketBatches_data()
{
    QTest::addColumn<DisplayMode>("disp");
    QTest::addColumn<ReceiveFormat>("format");
    QTest::addColumn<QByteArrayList>("batches");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<QByteArray>("after");
    using B = QByteArrayList;

    QTest::newRow("RT Hex trailing space") << RT << H << B{"AB"} << false << QByteArray("41 42 ");
    QTest::newRow("RT Decimal") << RT << D << B{"AB"} << false << QByteArray("65 66 ");
    QTest::newRow("RT Decimal zero") << RT << D << B{"\0"_qba} << false << QByteArray("0 ");
    QTest::newRow("RT ASCII") << RT << A << B{"A", "B\r\n"} << false << QByteArray("AB\r\n");
    QTest::newRow("CR Hex") << CR << H << B{"AB", "\r"} << false << QByteArray("41 42 0D ");
    QTest::newRow("CR Decimal waits") << CR << D << B{"AB"} << false << QByteArray();
    QTest::newRow("TO Hex shown serial-style")
        << TO << H << B{"AB"} << true << QByteArray(" 41 42");
    QTest::newRow("TO Decimal shown serial-style")
        << TO << D << B{"AB"} << true << QByteArray(" 65 66");
}

void TestChannelReceiver::socketBatches()
{
    QFETCH(DisplayMode, disp);
    QFETCH(ReceiveFormat, format);
    QFETCH(QByteArrayList, batches);
    QFETCH(bool, tick);
    QFETCH(QByteArray, after);

    Channel channel(disp, format);
    for (const QByteArray &batch : batches)
        channel.receiver.receiveSocket(batch);
    if (tick)
        channel.receiver.tick();
    QCOMPARE(channel.text(), after);
}

// Each row: a first batch from the connection in one display mode and
// format (shown by a tick when `tick`), then a batch in another mode and
// format, and the pane's text after both: one space between numbers.
void TestChannelReceiver::socketNumbersNeverRunTogether_data()
{
    QTest::addColumn<DisplayMode>("firstDisp");
    QTest::addColumn<ReceiveFormat>("firstFormat");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<DisplayMode>("secondDisp");
    QTest::addColumn<ReceiveFormat>("secondFormat");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("time-out Hex, then real time")
        << TO << H << QByteArray("\x4f\xc9") << true << RT << H << QByteArray("\xc7\x26")
        << QByteArray(" 4F C9 C7 26 ");
    QTest::newRow("time-out Decimal, then real time")
        << TO << D << QByteArray("\x4f\xc9") << true << RT << D << QByteArray("\xc7\x26")
        << QByteArray(" 79 201 199 38 ");
    QTest::newRow("text ending in a digit, then Hex")
        << RT << A << QByteArray("T=23") << false << RT << H << QByteArray("A")
        << QByteArray("T=23 41 ");
    QTest::newRow("text ending in a hex letter, then Decimal")
        << RT << A << QByteArray("CAFE") << false << RT << D << QByteArray("A")
        << QByteArray("CAFE 65 ");
    QTest::newRow("text ending in a line break, then Hex")
        << RT << A << QByteArray("ok\r\n") << false << RT << H << QByteArray("A")
        << QByteArray("ok\r\n41 ");
    QTest::newRow("real-time pieces already apart") << RT << H << QByteArray("A") << false << RT
                                                    << D << QByteArray("B") << QByteArray("41 66 ");
    QTest::newRow("after CR Hex, then time-out") << CR << H << QByteArray("A\r") << false << TO << H
                                                 << QByteArray("B") << QByteArray("41 0D 42");
    QTest::newRow("after CR Decimal, then time-out")
        << CR << D << QByteArray("A\r") << false << TO << D << QByteArray("B")
        << QByteArray("65 13 66");
}

void TestChannelReceiver::socketNumbersNeverRunTogether()
{
    QFETCH(DisplayMode, firstDisp);
    QFETCH(ReceiveFormat, firstFormat);
    QFETCH(QByteArray, first);
    QFETCH(bool, tick);
    QFETCH(DisplayMode, secondDisp);
    QFETCH(ReceiveFormat, secondFormat);
    QFETCH(QByteArray, second);
    QFETCH(QByteArray, after);

    Channel channel(firstDisp, firstFormat);
    channel.receiver.receiveSocket(first);
    if (tick)
        channel.receiver.tick();
    channel.modes.display = secondDisp;
    channel.modes.format = secondFormat;
    channel.receiver.receiveSocket(second);
    if (secondDisp == TO)
        channel.receiver.tick();
    QCOMPARE(channel.text(), after);
}

void TestChannelReceiver::realTimeShowsEveryByteOnceWhateverTheSplit_data()
{
    QTest::addColumn<ReceiveFormat>("format");
    QTest::addColumn<bool>("socket");
    for (const ReceiveFormat format : {A, H, D}) {
        QTest::addRow("serial %s", keywordOf(format).data()) << format << false;
        QTest::addRow("socket %s", keywordOf(format).data()) << format << true;
    }
}

void TestChannelReceiver::realTimeShowsEveryByteOnceWhateverTheSplit()
{
    QFETCH(ReceiveFormat, format);
    QFETCH(bool, socket);
    const QByteArray data("\x00Hello\r\nworld\xa0\xff\x7f!"_qba);

    auto feed = [&](Channel &channel, QByteArrayView piece) {
        if (socket)
            channel.receiver.receiveSocket(piece);
        else
            channel.receiver.receiveSerial(piece);
    };
    Channel whole(RT, format);
    feed(whole, data);
    for (qsizetype a = 0; a <= data.size(); ++a) {
        for (qsizetype b = a; b <= data.size(); ++b) {
            Channel split(RT, format);
            feed(split, QByteArrayView(data).first(a));
            feed(split, QByteArrayView(data).sliced(a, b - a));
            feed(split, QByteArrayView(data).sliced(b));
            QCOMPARE(split.text(), whole.text());
        }
    }
}

void TestChannelReceiver::afterCrSplitOnlyChangesWhenItShows()
{
    const QByteArray data("ab\rcd\r\nef\r");
    for (const ReceiveFormat format : {A, H}) {
        Channel whole(CR, format);
        whole.receiver.receiveSerial(data);
        for (qsizetype cut = 0; cut <= data.size(); ++cut) {
            Channel split(CR, format);
            split.receiver.receiveSerial(QByteArrayView(data).first(cut));
            split.receiver.receiveSerial(QByteArrayView(data).sliced(cut));
            // The data ends with CR: however it was split, all of it is shown.
            QCOMPARE(split.text(), whole.text());
            QVERIFY(split.receiver.pending().isEmpty());
        }
    }
}

void TestChannelReceiver::timeOutArmsTheChannelsOwnTimer()
{
    Channel channel(TO, A);
    channel.module.intTimeOut = 2000;
    QVERIFY(!channel.receiver.timer().isActive());
    channel.receiver.receiveSerial("a");
    QVERIFY(channel.receiver.timer().isActive());
    QCOMPARE(channel.receiver.timer().interval(), 2000);
    QVERIFY(channel.receiver.timer().isSingleShot());

    // The time-out is read at every batch.
    channel.module.intTimeOut = 150;
    channel.receiver.receiveSerial("b");
    QCOMPARE(channel.receiver.timer().interval(), 150);
    QTRY_COMPARE(channel.text(), QByteArray("ab"));
    QVERIFY(!channel.receiver.timer().isActive());
}

void TestChannelReceiver::tickShowsInTheFormatCurrentAtTheTick()
{
    Channel channel(TO, A);
    channel.receiver.receiveSerial("AB");
    channel.modes.display = RT;
    channel.modes.format = H;
    QVERIFY(channel.receiver.timer().isActive()); // a mode change leaves it armed
    channel.receiver.tick();
    QCOMPARE(channel.text(), QByteArray(" 41 42"));
}

void TestChannelReceiver::realTimeBatchAfterTimeOutShowsCollectedDataFirst()
{
    Channel channel(TO, H);
    channel.receiver.receiveSerial("AB");
    channel.modes.display = RT;
    channel.receiver.receiveSerial("C");
    QCOMPARE(channel.text(), QByteArray(" 41 42 43"));
    channel.receiver.tick(); // the armed tick finds nothing left to show
    QCOMPARE(channel.text(), QByteArray(" 41 42 43"));
}

void TestChannelReceiver::realTimeThenAfterCrNeverShowsTwice()
{
    Channel channel(RT, A);
    channel.receiver.receiveSerial("first");
    channel.modes.display = CR;
    channel.receiver.receiveSerial(" second\r");
    QCOMPARE(channel.text(), QByteArray("first second\r"));
}

void TestChannelReceiver::emptyTickLeavesClearFirstPaneAlone()
{
    Channel channel(TO, A, AccumulateMode::ClearFirst);
    channel.receiver.receiveSerial("burst");
    channel.modes.display = RT;
    channel.receiver.receiveSerial("!");
    QCOMPARE(channel.text(), QByteArray("burst!"));
    channel.receiver.tick();
    QCOMPARE(channel.text(), QByteArray("burst!"));
}

void TestChannelReceiver::clearWhileTickPendingDropsOnlyWhatWaited()
{
    Channel channel(TO, A);
    channel.pane.setText("shown");
    channel.receiver.receiveSerial("waiting");
    channel.receiver.clearReceived();
    QVERIFY(channel.text().isEmpty());
    QVERIFY(channel.receiver.pending().isEmpty());
    QVERIFY(channel.receiver.timer().isActive()); // Clear leaves the timer alone
    channel.receiver.receiveSerial("after");
    channel.receiver.tick();
    QCOMPARE(channel.text(), QByteArray("after"));
}

void TestChannelReceiver::modeChangesLeaveBufferPaneAndTimerAlone()
{
    Channel channel(CR, A);
    channel.pane.setText("shown");
    channel.receiver.receiveSerial("waits");
    channel.modes.format = D;
    channel.modes.display = TO;
    QCOMPARE(channel.text(), QByteArray("shown"));
    QCOMPARE(channel.receiver.pending(), QByteArray("waits"));
    QVERIFY(!channel.receiver.timer().isActive());
}

void TestChannelReceiver::zeroAndNegativeTimeOutShowWhenIdle_data()
{
    QTest::addColumn<int>("timeOut");
    QTest::newRow("0") << 0;
    QTest::newRow("-1") << -1;
    QTest::newRow("-32768") << -32768;
}

void TestChannelReceiver::zeroAndNegativeTimeOutShowWhenIdle()
{
    QFETCH(int, timeOut);
    Channel channel(TO, A);
    channel.module.intTimeOut = qint16(timeOut);
    channel.receiver.receiveSerial("a");
    channel.receiver.receiveSerial("b");
    QVERIFY(channel.text().isEmpty()); // not inside the receive handler
    QTRY_COMPARE(channel.text(), QByteArray("ab"));
}

void TestChannelReceiver::flushPendingShowsWhatWaits()
{
    Channel serial(TO, H);
    serial.receiver.receiveSerial("AB");
    serial.receiver.flushPending();
    QCOMPARE(serial.text(), QByteArray(" 41 42"));

    Channel socket(CR, H);
    socket.receiver.receiveSocket("AB");
    socket.receiver.flushPending();
    QCOMPARE(socket.text(), QByteArray("41 42 "));

    Channel nothing(RT, A);
    nothing.pane.setText("kept");
    nothing.receiver.flushPending();
    QCOMPARE(nothing.text(), QByteArray("kept"));
}

void TestChannelReceiver::dumpRowsGrowAcrossBatches_data()
{
    QTest::addColumn<QByteArrayList>("batches");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("a row with control bytes")
        << QByteArrayList{QByteArray("Hello\r\n\0\1\2\3\4\5\6\7\x7f", 16)}
        << QByteArray(
               "00000000  48 65 6C 6C 6F 0D 0A 00  01 02 03 04 05 06 07 7F  Hello...........\n");
    QTest::newRow("a partial row goes on in the next batch")
        << QByteArrayList{"ABC", "DEFGHIJKLMNOPQ"}
        << QByteArray(
               "00000000  41 42 43 44 45 46 47 48  49 4A 4B 4C 4D 4E 4F 50  ABCDEFGHIJKLMNOP\n"
               "00000010  51 ");
}

void TestChannelReceiver::dumpRowsGrowAcrossBatches()
{
    QFETCH(QByteArrayList, batches);
    QFETCH(QByteArray, text);
    Channel ch(RT, ReceiveFormat::Dump);
    for (const QByteArray &batch : batches)
        ch.receiver.receiveSerial(batch);
    QCOMPARE(ch.text(), text);
    // The pane lays the dump view out this wide: a wider row would wrap.
    for (const QByteArray &row : text.split('\n'))
        QVERIFY(row.size() <= DumpRows::kRowColumns);
}

void TestChannelReceiver::longBuffersHaveNoLimit()
{
    Channel channel(CR, H);
    const QByteArray big(40000, 'x');
    channel.receiver.receiveSerial(big);
    channel.receiver.receiveSerial("\r");
    QCOMPARE(channel.text().size(), (big.size() + 1) * 3);
    QVERIFY(channel.text().endsWith(" 78 0D"));
}

QTEST_GUILESS_MAIN(TestChannelReceiver)
#include "tst_channel_receiver.moc"
