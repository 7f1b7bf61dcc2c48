// The timestamped log's text: line ends, the 100 ms piece rule, escapes,
// formats, sent entries and the order of entries from several sources, all
// with given times.
#include "core/log/log_entry_text.h"
#include "core/log/timestamped_log.h"

#include <QDateTime>
#include <QTest>

namespace {

// One step of a row: bytes arriving, or the log asked for its text.
struct Step
{
    enum Kind
    {
        Add,
        Take,
        TakeAll
    } kind;
    qint64 ms; // since 2024-05-01 12:00:00.000 local time
    int channel = 1;
    LogDirection direction = LogDirection::Received;
    QByteArray bytes;
};

Step rx(qint64 ms, const QByteArray &bytes, int channel = 1)
{
    return {Step::Add, ms, channel, LogDirection::Received, bytes};
}

Step tx(qint64 ms, const QByteArray &bytes, int channel = 1)
{
    return {Step::Add, ms, channel, LogDirection::Sent, bytes};
}

Step note(qint64 ms, const QByteArray &text, int channel = 1)
{
    return {Step::Add, ms, channel, LogDirection::Note, text};
}

Step take(qint64 ms)
{
    return {Step::Take, ms};
}

Step takeAll()
{
    return {Step::TakeAll, 0};
}

// A log line at `ms` after the base time; `rest` is "1< ..." and so on.
QByteArray line(qint64 ms, const QByteArray &rest)
{
    return QByteArray("2024-05-01 12:00:") + QByteArray::number(ms / 1000).rightJustified(2, '0') +
           '.' + QByteArray::number(ms % 1000).rightJustified(3, '0') + ' ' + rest + '\n';
}

qint64 baseWallMs()
{
    return QDateTime(QDate(2024, 5, 1), QTime(12, 0)).toMSecsSinceEpoch();
}

} // namespace

Q_DECLARE_METATYPE(QList<Step>)
Q_DECLARE_METATYPE(ReceiveFormat)

class TestTimestampedLog : public QObject
{
    Q_OBJECT

private slots:
    void entries_data();
    void entries();
    void escapes_data();
    void escapes();
};

void TestTimestampedLog::entries_data()
{
    QTest::addColumn<ReceiveFormat>("format");
    QTest::addColumn<QList<Step>>("steps");
    QTest::addColumn<QByteArray>("text");
    const ReceiveFormat ascii = ReceiveFormat::Ascii;

    // "|" marks the end of each take's text.
    QTest::newRow("LF ends a line")
        << ascii << QList{rx(0, "ab\n"), take(0)} << line(0, "1< ab\\n") + "|";
    QTest::newRow("CR LF in one batch") << ascii << QList{rx(0, "ab\r\ncd\r\n"), take(0)}
                                        << line(0, "1< ab\\r\\n") + line(0, "1< cd\\r\\n") + "|";
    QTest::newRow("lone CR ends a line") << ascii << QList{rx(0, "ab\rcd\n"), take(0)}
                                         << line(0, "1< ab\\r") + line(0, "1< cd\\n") + "|";
    QTest::newRow("CR LF split across batches")
        << ascii << QList{rx(0, "ab\r"), take(10), rx(30, "\ncd\n"), take(30)}
        << "|" + line(0, "1< ab\\r\\n") + line(30, "1< cd\\n") + "|";
    QTest::newRow("CR at a batch end, other byte next")
        << ascii << QList{rx(0, "ab\r"), rx(30, "cd\n"), take(30)}
        << line(0, "1< ab\\r") + line(30, "1< cd\\n") + "|";
    QTest::newRow("CR at a batch end waits 150 ms for LF")
        << ascii << QList{rx(0, "ab\r"), take(149), rx(149, "\ncd\n"), take(149)}
        << "|" + line(0, "1< ab\\r\\n") + line(149, "1< cd\\n") + "|";
    QTest::newRow("CR at a batch end waits 150 ms, then LF alone")
        << ascii << QList{rx(0, "ab\r"), take(149), take(150), rx(200, "\n"), take(200)}
        << "|" + line(0, "1< ab\\r") + "|" + line(200, "1< \\n") + "|";
    QTest::newRow("a piece that gets a CR waits 150 ms from its first byte")
        << ascii << QList{rx(0, "ab"), rx(90, "c\r"), take(149), take(150)}
        << "|" + line(0, "1< abc\\r") + "|";
    QTest::newRow("piece due at 100 ms")
        << ascii << QList{rx(0, "abc"), take(99), take(100)} << "|" + line(0, "1< abc") + "|";
    QTest::newRow("line over batches keeps its first byte's time")
        << ascii << QList{rx(0, "ab"), take(50), rx(50, "cd"), rx(90, "e\nf"), take(95)}
        << "|" + line(0, "1< abcde\\n") + "|";
    QTest::newRow("late batch ends the waiting piece first")
        << ascii << QList{rx(0, "ab"), rx(250, "cd\n"), take(250)}
        << line(0, "1< ab") + line(250, "1< cd\\n") + "|";
    QTest::newRow("takeAll writes a young piece")
        << ascii << QList{rx(0, "ab"), takeAll()} << line(0, "1< ab") + "|";
    QTest::newRow("timestamps across a second")
        << ascii << QList{rx(999, "a\n"), rx(1000, "b\n"), rx(61, "c\n"), take(1000)}
        << line(999, "1< a\\n") + line(1000, "1< b\\n") + line(61, "1< c\\n") + "|";
    QTest::newRow("hex pairs") << ReceiveFormat::Hex
                               << QList{rx(0, QByteArray("AB\r\n\0\xff", 6)), takeAll()}
                               << line(0, "1< 41 42 0D 0A") + line(0, "1< 00 FF") + "|";
    QTest::newRow("decimal numbers")
        << ReceiveFormat::Decimal << QList{rx(0, QByteArray("AB\r\n\0\xff", 6)), takeAll()}
        << line(0, "1< 65 66 13 10") + line(0, "1< 0 255") + "|";
    QTest::newRow("sent bytes are > entries")
        << ascii << QList{tx(0, "A"), tx(40, "T"), tx(80, "\r"), take(149), take(150)}
        << "|" + line(0, "1> AT\\r") + "|";
    QTest::newRow("an earlier sent piece holds a later line back")
        << ascii << QList{tx(0, "AT"), rx(10, "OK\n"), take(10), take(100)}
        << "|" + line(0, "1> AT") + line(10, "1< OK\\n") + "|";
    QTest::newRow("received and sent in arrival order")
        << ascii << QList{tx(0, "AT\r\n"), rx(5, "OK\r\n"), tx(7, "ATI\r"), take(157)}
        << line(0, "1> AT\\r\\n") + line(5, "1< OK\\r\\n") + line(7, "1> ATI\\r") + "|";
    QTest::newRow("both channels by their first bytes")
        << ascii << QList{rx(0, "x", 2), rx(10, "a\n", 1), take(10), rx(20, "y\n", 2), take(20)}
        << "|" + line(0, "2< xy\\n") + line(10, "1< a\\n") + "|";
    QTest::newRow("both channels, a piece waiting on each")
        << ascii << QList{rx(0, "a", 1), rx(40, "b", 2), take(99), take(100), take(140)}
        << "|" + line(0, "1< a") + "|" + line(40, "2< b") + "|";
    QTest::newRow("a note waits for an earlier piece, in words whatever the format")
        << ReceiveFormat::Hex
        << QList{rx(0, "ab"), note(20, "lost /dev/x"), take(25), rx(30, "\n"), take(30)}
        << "|" + line(0, "1< 61 62 0A") + line(20, "1! lost /dev/x") + "|";
}

void TestTimestampedLog::entries()
{
    QFETCH(ReceiveFormat, format);
    QFETCH(QList<Step>, steps);
    QFETCH(QByteArray, text);

    TimestampedLog log;
    log.setFormat(1, format);
    QByteArray written;
    for (const Step &step : steps) {
        switch (step.kind) {
        case Step::Add:
            if (step.direction == LogDirection::Note)
                log.note(step.channel, step.bytes, ArrivalTime{step.ms, baseWallMs() + step.ms});
            else
                log.add(step.channel, step.direction, step.bytes,
                        ArrivalTime{step.ms, baseWallMs() + step.ms});
            break;
        case Step::Take:
            written += log.take(step.ms) + '|';
            break;
        case Step::TakeAll:
            written += log.takeAll() + '|';
            break;
        }
    }
    QCOMPARE(written, text);
}

void TestTimestampedLog::escapes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("printable ASCII as it is")
        << QByteArray(" Az09~\"'?") << QByteArray(" Az09~\"'?");
    QTest::newRow("named escapes") << QByteArray("\r\n\t\\") << QByteArray("\\r\\n\\t\\\\");
    QTest::newRow("other controls")
        << QByteArray("\0\x01\x1b\x7f", 4) << QByteArray("\\x00\\x01\\x1B\\x7F");
    QTest::newRow("bytes above 127")
        << QByteArray("\x80\xa0\xe9\xff") << QByteArray("\\x80\\xA0\\xE9\\xFF");
    QTest::newRow("digits after an escape stay plain") << QByteArray("\x01"
                                                                     "23")
                                                       << QByteArray("\\x0123");
}

void TestTimestampedLog::escapes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, text);
    QByteArray out("kept:");
    LogEntryText::appendEscaped(out, bytes);
    QCOMPARE(out, "kept:" + text);
}

QTEST_GUILESS_MAIN(TestTimestampedLog)
#include "tst_timestamped_log.moc"
