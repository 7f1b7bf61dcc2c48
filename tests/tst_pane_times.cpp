// The arrival time of each pane line: the batch of its first byte, however
// the receive path buffers; copies with the times before each line; times
// read back after the pane spilled its older text to its file.
#include "core/channel_receiver.h"
#include "core/pane/line_time_text.h"
#include "core/pane/pane_spill.h"
#include "core/pane/pane_text.h"
#include "core/pane/pane_times.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

using Batches = QList<QPair<QByteArray, qint64>>;
using Times = QList<qint64>;

class TestPaneTimes : public QObject
{
    Q_OBJECT

private slots:
    void lineTimeIsItsFirstBytesBatch_data();
    void lineTimeIsItsFirstBytesBatch();
    void copyWithTimes_data();
    void copyWithTimes();
    void timesSurviveSpill();
    void timesFollowBytesWhenBreaksChange();
    void storeAnswersEveryLine_data();
    void storeAnswersEveryLine();
};

void TestPaneTimes::lineTimeIsItsFirstBytesBatch_data()
{
    QTest::addColumn<DisplayMode>("display");
    QTest::addColumn<ReceiveFormat>("format");
    QTest::addColumn<Batches>("batches");
    QTest::addColumn<Times>("times");
    const DisplayMode rt = DisplayMode::RealTime;
    QTest::newRow("lines across batches")
        << rt << ReceiveFormat::Ascii << Batches{{"ab", 10}, {"c\r\nd", 20}, {"e\nf\n", 30}}
        << Times{10, 20, 30};
    QTest::newRow("line waits for its first byte")
        << rt << ReceiveFormat::Ascii << Batches{{"a\r", 10}, {"\n", 20}, {"b", 30}}
        << Times{10, 30};
    QTest::newRow("a break alone starts an empty line")
        << rt << ReceiveFormat::Ascii << Batches{{"a\n", 10}, {"\n", 20}, {"b", 30}}
        << Times{10, 20, 30};
    QTest::newRow("time-out shows late, dated by batch")
        << DisplayMode::TimeOut << ReceiveFormat::Ascii
        << Batches{{"x\n", 10}, {"y", 20}, {"z\nw", 30}} << Times{10, 20, 30};
    QTest::newRow("after CR, dated by batch")
        << DisplayMode::AfterCr << ReceiveFormat::Ascii
        << Batches{{"A", 10}, {"B\r", 20}, {"C", 30}, {"\r", 40}} << Times{10, 30};
}

void TestPaneTimes::lineTimeIsItsFirstBytesBatch()
{
    QFETCH(DisplayMode, display);
    QFETCH(ReceiveFormat, format);
    QFETCH(Batches, batches);
    QFETCH(Times, times);
    ChannelModes modes;
    modes.display = display;
    modes.format = format;
    ChannelModule module;
    PaneText pane;
    ChannelReceiver receiver(modes, module, pane);
    for (const auto &[bytes, ms] : batches)
        receiver.receiveSerial(bytes, ms);
    receiver.flushPending();
    Times got;
    for (qsizetype line = 0; line < pane.lineCount(); ++line)
        if (pane.lineTime(line) != PaneTimes::kNone)
            got << pane.lineTime(line);
    QCOMPARE(got, times);
}

void TestPaneTimes::copyWithTimes_data()
{
    QTest::addColumn<LineTimeForm>("form");
    QTest::addColumn<qsizetype>("pos");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<QByteArray>("copied");
    // Lines "ab", "cd", "ef" arriving at 1 000, 3 500 and 3 750 ms.
    QTest::newRow("since first, whole") << LineTimeForm::SinceFirst << qsizetype(0) << qsizetype(-1)
                                        << QByteArray("       +0.000 ab\r\n"
                                                      "       +2.500 cd\n"
                                                      "       +2.750 ef");
    QTest::newRow("since previous, from mid-line")
        << LineTimeForm::SincePrevious << qsizetype(1) << qsizetype(5)
        << QByteArray("       +0.000 b\r\n       +2.500 cd");
    const QString wall =
        QDateTime::fromMSecsSinceEpoch(3750).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    QTest::newRow("wall clock, with its date")
        << LineTimeForm::WallClock << qsizetype(7) << qsizetype(2) << (wall.toLatin1() + " ef");
}

void TestPaneTimes::copyWithTimes()
{
    QFETCH(LineTimeForm, form);
    QFETCH(qsizetype, pos);
    QFETCH(qsizetype, length);
    QFETCH(QByteArray, copied);
    PaneText pane;
    pane.append("ab\r", 1000);
    pane.append("\ncd\n", 3500);
    pane.append("ef", 3750);
    QCOMPARE(LineTimeText::copy(pane, pos, length, form), copied);
    QCOMPARE(pane.text(), QByteArray("ab\r\ncd\nef")); // the text itself has no times
}

void TestPaneTimes::timesSurviveSpill()
{
    QTemporaryDir folder;
    PaneSpill::setFolder(folder.path());
    PaneText pane;
    pane.setSpillThreshold(16 * 1024);
    const QByteArray line(99, 'x');
    constexpr qsizetype kLines = 5000; // 500 KB, far past the threshold
    // Each line a batch of its own, one of them 40 days late.
    const auto timeOf = [](qsizetype i) {
        return 1'000'000 + i * 7 + (i == 4500 ? qint64(40) * 24 * 3600 * 1000 : 0);
    };
    for (qsizetype i = 0; i < kLines; ++i)
        pane.append(line + '\n', timeOf(i));
    pane.finishSpilling();
    QVERIFY(pane.spilledSize() > 200 * 1024);
    for (const qsizetype i : {qsizetype(0), qsizetype(1234), qsizetype(4500), kLines - 1})
        QCOMPARE(pane.lineTime(i), timeOf(i));
    QVERIFY(pane.lineTimesMemory() <= 8 * kLines);
    pane.clear();
    QCOMPARE(pane.lineTime(0), PaneTimes::kNone);
}

// A new split of the lines dates each line by the line its first byte was in.
void TestPaneTimes::timesFollowBytesWhenBreaksChange()
{
    PaneText pane;
    pane.append("a\rb\n", 1000);
    pane.append("c\rd", 2000);
    QCOMPARE(Times({pane.lineTime(0), pane.lineTime(1), pane.lineTime(2), pane.lineTime(3)}),
             Times({1000, 1000, 2000, 2000}));
    pane.setLineBreaks(LineBreaks::Lf); // "a\rb\n" and "c\rd"
    QCOMPARE(pane.lineCount(), 2);
    QCOMPARE(Times({pane.lineTime(0), pane.lineTime(1), pane.lineTime(2)}),
             Times({1000, 2000, PaneTimes::kNone}));
    pane.setLineBreaks(LineBreaks::Any);
    QCOMPARE(Times({pane.lineTime(0), pane.lineTime(1), pane.lineTime(2), pane.lineTime(3)}),
             Times({1000, 1000, 2000, 2000}));
}

// The compact store against a plain list, through word and chunk
// boundaries (64 and 4096 lines), for runs of lines that share a time.
void TestPaneTimes::storeAnswersEveryLine_data()
{
    QTest::addColumn<QList<qsizetype>>("runs"); // lines per time, in turn
    QTest::newRow("one line each") << QList<qsizetype>(300, 1);
    QTest::newRow("runs across words") << QList<qsizetype>{1, 63, 2, 64, 65, 127, 1, 200};
    QTest::newRow("runs across chunks") << QList<qsizetype>{4095, 2, 4097, 8192, 1, 5000, 3};
}

void TestPaneTimes::storeAnswersEveryLine()
{
    QFETCH(QList<qsizetype>, runs);
    PaneTimes times;
    std::vector<qint64> plain;
    qint64 ms = 1000;
    for (const qsizetype run : runs) {
        ms += 7;
        times.extendTo(times.size() + run, ms);
        plain.insert(plain.end(), size_t(run), ms);
    }
    QCOMPARE(times.size(), qsizetype(plain.size()));
    for (qsizetype line = 0; line < times.size(); ++line)
        if (times.at(line) != plain[size_t(line)])
            QFAIL(qPrintable(QStringLiteral("line %1: %2, not %3")
                                 .arg(line)
                                 .arg(times.at(line))
                                 .arg(plain[size_t(line)])));
}

QTEST_GUILESS_MAIN(TestPaneTimes)
#include "tst_pane_times.moc"
