// A flood's reads rest a moment between batches, and only a flood's: a
// trickle and a full batch keep the device's notifier on, and a rest never
// turns back on a reader that was paused for its own reasons meanwhile.
#include "devices/read_gathering.h"

#include <QSocketNotifier>
#include <QTest>

#include <sys/socket.h>
#include <unistd.h>

class TestReadGathering : public QObject
{
    Q_OBJECT

private slots:
    void restsOnlyAfterABusyBatch_data();
    void restsOnlyAfterABusyBatch();
};

void TestReadGathering::restsOnlyAfterABusyBatch_data()
{
    QTest::addColumn<qsizetype>("batch");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<bool>("rests");
    QTest::addColumn<bool>("onAfter");
    constexpr qsizetype bound = 64 * 1024;
    QTest::newRow("a lone byte is read as it comes") << qsizetype(1) << false << false << true;
    QTest::newRow("a batch at the bound: more waits") << bound << false << false << true;
    QTest::newRow("a busy batch rests, then reads on") << qsizetype(8192) << false << true << true;
    QTest::newRow("a reader paused meanwhile stays off")
        << qsizetype(8192) << true << true << false;
}

void TestReadGathering::restsOnlyAfterABusyBatch()
{
    QFETCH(qsizetype, batch);
    QFETCH(bool, paused);
    QFETCH(bool, rests);
    QFETCH(bool, onAfter);
    int fds[2] = {-1, -1};
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    {
        QSocketNotifier notifier(fds[0], QSocketNotifier::Read);
        ReadGathering gathering;
        gathering.afterBatch(&notifier, batch, 64 * 1024, [paused] { return !paused; });
        QCOMPARE(gathering.resting(), rests);
        QCOMPARE(notifier.isEnabled(), !rests);
        QTRY_VERIFY(!gathering.resting());
        QCOMPARE(notifier.isEnabled(), onAfter);
    }
    ::close(fds[0]);
    ::close(fds[1]);
}

QTEST_GUILESS_MAIN(TestReadGathering)
#include "tst_read_gathering.moc"
