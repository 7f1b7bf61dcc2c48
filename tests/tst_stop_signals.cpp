// SIGTERM, SIGINT and SIGHUP end the program like File > Exit.
#include "support/pty_pair.h"

#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A peer on 127.0.0.1 that keeps the accepted socket to itself, so it can
// tell an orderly close from a reset (Qt's sockets report both alike).
class RawPeer : public QTcpServer
{
public:
    RawPeer() { listen(QHostAddress::LocalHost, 0); }
    ~RawPeer() override
    {
        if (m_fd >= 0)
            ::close(int(m_fd));
    }
    bool waitForClient()
    {
        return QTest::qWaitFor([this] { return m_fd >= 0; }, 10000);
    }
    // How the connection ended: "closed", "reset", or "open" after the wait.
    QString waitForEnd(int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        char sink[4096];
        while (!deadline.hasExpired()) {
            pollfd readable{int(m_fd), POLLIN, 0};
            if (::poll(&readable, 1, 50) <= 0)
                continue;
            const ssize_t n = ::recv(int(m_fd), sink, sizeof sink, 0);
            if (n == 0)
                return QStringLiteral("closed");
            if (n < 0 && errno == ECONNRESET)
                return QStringLiteral("reset");
        }
        return QStringLiteral("open");
    }

protected:
    void incomingConnection(qintptr fd) override { m_fd = fd; }

private:
    qintptr m_fd = -1;
};

// The serial lock files on this machine.
QSet<QString> lockFiles()
{
    QSet<QString> files;
    for (const char *folder : {"/run/lock", "/var/lock"}) {
        const QDir dir(QString::fromLatin1(folder));
        for (const QString &name : dir.entryList({QStringLiteral("LCK..*")}, QDir::Files))
            files.insert(dir.canonicalPath() + u'/' + name);
    }
    return files;
}

} // namespace

class TestStopSignals : public QObject
{
    Q_OBJECT

private slots:
    void endsInOrder_data();
    void endsInOrder();
    void endsEvenWhenARecordingsDiskHangs();
};

void TestStopSignals::endsInOrder_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestStopSignals::endsInOrder()
{
    QFETCH(int, signalNumber);

    RawPeer peer;
    PtyPair pty;
    const QSet<QString> locksBefore = lockFiles();
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QString::fromLocal8Bit(qgetenv("VARNOK_TEST_BINARY_DIR")) +
                      QStringLiteral("/tests/signalled_program"),
                  {QString::number(peer.serverPort()), pty.slavePath()});
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(program.canReadLine(), 15000);
    QCOMPARE(program.readLine().trimmed(), QByteArray("ready"));
    QVERIFY(peer.waitForClient());
    const QSet<QString> locksWhileOpen = lockFiles() - locksBefore;

    const qint64 pid = program.processId();
    ::kill(pid_t(pid), signalNumber);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    // The peer saw the connection closed in order, not reset.
    QCOMPARE(peer.waitForEnd(), QStringLiteral("closed"));
    // Whatever lock the serial port took is gone. (Another test may have
    // taken the same device name since: a lock file names its holder.)
    for (const QString &lock : locksWhileOpen) {
        QFile file(lock);
        const bool ours =
            file.open(QIODevice::ReadOnly) && file.readLine().trimmed() == QByteArray::number(pid);
        QVERIFY2(!ours, qPrintable(lock));
    }
}

void TestStopSignals::endsEvenWhenARecordingsDiskHangs()
{
    // A named pipe whose reader never reads stands in for a disk that stops
    // answering: once its buffer is full, the recording's writes hang.
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("stuck")));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);

    RawPeer peer;
    PtyPair pty;
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QString::fromLocal8Bit(qgetenv("VARNOK_TEST_BINARY_DIR")) +
                      QStringLiteral("/tests/signalled_program"),
                  {QString::number(peer.serverPort()), pty.slavePath(), QFile::decodeName(fifo)});
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(program.canReadLine(), 15000);
    QCOMPARE(program.readLine().trimmed(), QByteArray("ready"));
    pty.write(QByteArray(256 * 1024, 'x')); // more than the pipe holds
    QTest::qWait(500);

    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    ::close(reader);
}

QTEST_GUILESS_MAIN(TestStopSignals)
#include "tst_stop_signals.moc"
