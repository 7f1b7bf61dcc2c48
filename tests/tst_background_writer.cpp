// The background writer on real files and pipes: a failure (a full device, a
// pipe whose reader went) reaches the owner on the owner's thread and leaves
// the program running, and an item refused at the queue limit leaves nothing
// queued.
#include "core/background_writer.h"

#include <QTest>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The step a user supplies: the item's bytes written in full to `fd`.
BackgroundWriter::Steps writeTo(int fd)
{
    return {[fd](const BackgroundWriter::Item &item) {
                for (qsizetype done = 0; done < item.bytes.size();) {
                    const ssize_t n = ::write(fd, item.bytes.constData() + done,
                                              size_t(item.bytes.size() - done));
                    if (n < 0 && errno == EINTR)
                        continue;
                    if (n <= 0)
                        return QString::fromLocal8Bit(std::strerror(n < 0 ? errno : ENOSPC));
                    done += n;
                }
                return QString();
            },
            [fd](bool) {
                ::close(fd);
                return QString();
            }};
}

} // namespace

class TestBackgroundWriter : public QObject
{
    Q_OBJECT

private slots:
    void failureReachesTheOwnersThread_data();
    void failureReachesTheOwnersThread();
    void refusedItemLeavesNothingQueued();
};

void TestBackgroundWriter::failureReachesTheOwnersThread_data()
{
    QTest::addColumn<bool>("pipe");
    QTest::addColumn<int>("error");
    QTest::newRow("/dev/full") << false << ENOSPC;
    QTest::newRow("pipe whose reader went (SIGPIPE)") << true << EPIPE;
}

void TestBackgroundWriter::failureReachesTheOwnersThread()
{
    QFETCH(bool, pipe);
    QFETCH(int, error);
    int fd = -1;
    if (pipe) {
        int ends[2];
        QCOMPARE(::pipe(ends), 0);
        ::close(ends[0]);
        fd = ends[1];
    } else {
        fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    }
    QVERIFY(fd >= 0);

    QObject owner;
    QStringList reasons;
    QList<QThread *> threads;
    BackgroundWriter writer(writeTo(fd), {&owner,
                                          [&](const QString &reason) {
                                              reasons << reason;
                                              threads << QThread::currentThread();
                                          },
                                          [&] {
                                              threads << QThread::currentThread();
                                          }});
    QVERIFY(writer.queue({QByteArray("reading 1\n")}));
    QVERIFY(writer.queue({QByteArray("reading 2\n")}));
    writer.finish();
    writer.wait();
    QVERIFY(threads.isEmpty()); // only through the owner's event queue
    QTRY_COMPARE(threads, QList<QThread *>({QThread::currentThread(), QThread::currentThread()}));
    QCOMPARE(reasons, QStringList{QString::fromLocal8Bit(std::strerror(error))});
    QString kept;
    QCOMPARE(writer.itemsDone(&kept), 0);
    QCOMPARE(kept, reasons.first());
}

void TestBackgroundWriter::refusedItemLeavesNothingQueued()
{
    // A full pipe holds the first write, as a disk that fell behind.
    int ends[2];
    QCOMPARE(::pipe(ends), 0);
    ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
    const QByteArray block(4096, '.');
    qsizetype filled = 0;
    for (ssize_t n = 0; n >= 0; filled += qMax<ssize_t>(n, 0))
        n = ::write(ends[1], block.constData(), size_t(block.size()));
    ::fcntl(ends[1], F_SETFL, 0);

    BackgroundWriter writer(writeTo(ends[1]));
    writer.setQueueLimit(10);
    QVERIFY(writer.queue({QByteArray("AAAAAA")}));
    QVERIFY(!writer.queue({QByteArray("BBBBBB")}));
    QVERIFY(writer.queue({QByteArray("CCCC")})); // fits only if the refused left nothing
    writer.finish();

    QByteArray read;
    char buffer[4096];
    for (ssize_t n = 1; n > 0; read.append(buffer, qMax<ssize_t>(n, 0)))
        n = ::read(ends[0], buffer, sizeof buffer); // to the end: the writer has closed
    ::close(ends[0]);
    QCOMPARE(read.size(), filled + 10);
    QCOMPARE(read.mid(filled), QByteArray("AAAAAACCCC"));
}

QTEST_GUILESS_MAIN(TestBackgroundWriter)
#include "tst_background_writer.moc"
