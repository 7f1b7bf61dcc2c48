// Every entry point that reads a file the operator names refuses what is
// not a regular file (a named pipe, a device, a folder, a socket, or a
// symbolic link to one) without blocking on it, and a file over its cap.
#include "automation/script_run.h"
#include "devices/capture_session.h"
#include "devices/file_sender.h"
#include "devices/file_transfer.h"
#include "devices/setup_file.h"
#include "support/pty_pair.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <fcntl.h>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

enum class Entry
{
    Script,
    RawReplay,
    LogReplay,
    SetupFile,
    SendFile,
    TransferSend
};

// What each entry point says about `path`: empty when it took the file.
QString openThrough(Entry entry, const QString &path)
{
    switch (entry) {
    case Entry::Script: {
        CaptureSession session;
        ScriptRun run{ScriptHost{&session, [](int, bool) { return QString(); }, {}}};
        return run.start(path);
    }
    case Entry::RawReplay:
    case Entry::LogReplay: {
        Channel channel(1, true);
        return channel.replayer().start({path});
    }
    case Entry::SetupFile:
        return SetupFile::read(path).error;
    case Entry::SendFile: {
        PtyPair pty;
        Channel channel(2, false);
        channel.switchOnSerial(pty.slavePath(), QStringLiteral("115200,n,8,1"));
        FileSender sender(channel);
        return sender.start(path) ? QString() : sender.error();
    }
    case Entry::TransferSend: {
        Channel channel(1, true);
        FileTransfer transfer(channel);
        return transfer.startSend(TransferProtocol::Zmodem, path) ? QString() : transfer.error();
    }
    }
    return {};
}

// A writer that comes and goes at a named pipe: an entry point that opens
// the pipe for reading gets an empty read instead of hanging the test, and
// the test then fails on what it says.
struct PipeWriterComesAndGoes
{
    std::atomic_bool stop = false;
    std::thread writer;

    explicit PipeWriterComesAndGoes(const QByteArray &pipe)
        : writer([this, pipe] {
            while (!stop) {
                const int fd = ::open(pipe.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0)
                    ::close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        })
    {}
    ~PipeWriterComesAndGoes()
    {
        stop = true;
        writer.join();
    }
};

bool makeSocket(const QByteArray &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd); // the socket file stays
    return bound;
}

} // namespace

Q_DECLARE_METATYPE(Entry)

class TestNamedFiles : public QObject
{
    Q_OBJECT

private slots:
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();
};

void TestNamedFiles::onlyRegularFilesAreRead_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("viaLink");
    QTest::addColumn<QString>("reason");
    const QList<std::pair<const char *, Entry>> entries{
        {"script.js", Entry::Script},     {"replay.bin", Entry::RawReplay},
        {"replay.log", Entry::LogReplay}, {"setup.ini", Entry::SetupFile},
        {"send.bin", Entry::SendFile},    {"zmodem.bin", Entry::TransferSend}};
    const QList<std::pair<const char *, const char *>> kinds{{"fifo", "named pipe (FIFO)"},
                                                             {"/dev/zero", "a device"},
                                                             {"folder", "a folder"},
                                                             {"socket", "a socket"}};
    for (const auto &[name, entry] : entries) {
        const QString suffix = QString::fromLatin1(name).section(QLatin1Char('.'), 1);
        for (const auto &[kind, reason] : kinds) {
            for (const bool viaLink : {false, true}) {
                // A replay takes only a recording's name: a device's own
                // name is refused for that, so only the link is tried.
                if (!viaLink && kind[0] == '/' &&
                    (entry == Entry::RawReplay || entry == Entry::LogReplay))
                    continue;
                QTest::addRow("%s %s%s", name, kind, viaLink ? " via a link" : "")
                    << entry << suffix << QString::fromLatin1(kind) << viaLink
                    << QString::fromLatin1(reason);
            }
        }
    }
    QTest::newRow("script.js over 1 MB") << Entry::Script << "js"
                                         << "large" << false << "larger than 1024 kB";
    QTest::newRow("setup.ini over 1 MB") << Entry::SetupFile << "ini"
                                         << "large" << false << "larger than 1024 kB";
}

void TestNamedFiles::onlyRegularFilesAreRead()
{
    QFETCH(Entry, entry);
    QFETCH(QString, suffix);
    QFETCH(QString, kind);
    QFETCH(bool, viaLink);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QString target = kind.startsWith(QLatin1Char('/')) ? kind : dir.filePath(kind + '.' + suffix);
    const QByteArray name = QFile::encodeName(target);
    if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(target));
    else if (kind == QLatin1String("socket"))
        QVERIFY(makeSocket(name));
    else if (kind == QLatin1String("large")) {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(1024 * 1024 + 1));
    }
    if (viaLink) {
        const QString link = dir.filePath(QStringLiteral("link.") + suffix);
        QVERIFY(QFile::link(target, link));
        target = link;
    }
    std::optional<PipeWriterComesAndGoes> writer;
    if (kind == QLatin1String("fifo"))
        writer.emplace(name);
    const QString error = openThrough(entry, target);
    QVERIFY2(error.contains(reason), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestNamedFiles)
#include "tst_named_files.moc"
