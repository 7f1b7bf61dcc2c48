// Every entry point that reads a file the operator names refuses what is
// not a regular file (a named pipe, a device, a folder, a socket, or a
// symbolic link to one) without blocking on it, and a file over its cap.
#include "automation/script_run.h"
#include "devices/capture_session.h"
#include "devices/file_sender.h"
#include "devices/file_transfer.h"
#include "devices/setup_file.h"
#include "support/pty_pair.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

// Each entry point: what it says about a file, empty when it took it.
QString runScript(const QString &path)
{
    CaptureSession session;
    return ScriptRun{ScriptHost{&session}}.start(path);
}
QString replay(const QString &path)
{
    return Channel(1, true).replayer().start({path});
}
QString readSetup(const QString &path)
{
    return SetupFile::read(path).error;
}
QString sendFile(const QString &path)
{
    PtyPair pty;
    Channel channel(2, false);
    channel.switchOnSerial(pty.slavePath(), QStringLiteral("115200,n,8,1"));
    FileSender sender(channel);
    return sender.start(path) ? QString() : sender.error();
}
QString sendByZmodem(const QString &path)
{
    Channel channel(1, true);
    FileTransfer transfer(channel);
    return transfer.startSend(TransferProtocol::Zmodem, path) ? QString() : transfer.error();
}
// Each by a name it takes.
const QList<std::pair<const char *, QString (*)(const QString &)>> entries{
    {"script.js", runScript},   {"replay.bin", replay}, {"replay.log", replay},
    {"setup.vterm", readSetup}, {"send.bin", sendFile}, {"zmodem.bin", sendByZmodem}};

} // namespace

class TestNamedFiles : public QObject
{
    Q_OBJECT

private slots:
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();
};

void TestNamedFiles::onlyRegularFilesAreRead_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("viaLink");
    QTest::addColumn<QString>("reason");
    const QList<std::pair<const char *, const char *>> kinds{{"fifo", "named pipe (FIFO)"},
                                                             {"/dev/zero", "a device"},
                                                             {"folder", "a folder"},
                                                             {"socket", "a socket"}};
    for (int entry = 0; entry < entries.size(); ++entry) {
        const char *name = entries.at(entry).first;
        for (const auto &[kind, reason] : kinds) {
            // A device's own name is no recording's: only its link is replayed.
            for (const bool viaLink : {false, true})
                if (viaLink || kind[0] != '/' || !QByteArray(name).startsWith("replay"))
                    QTest::addRow("%s %s%s", name, kind, viaLink ? " via a link" : "")
                        << entry << kind << viaLink << reason;
        }
    }
    QTest::newRow("script.js over 1 MB") << 0 << "large" << false << "larger than 1024 kB";
    QTest::newRow("setup.vterm over 1 MB") << 3 << "large" << false << "larger than 1024 kB";
}

void TestNamedFiles::onlyRegularFilesAreRead()
{
    QFETCH(int, entry);
    QFETCH(QString, kind);
    QFETCH(bool, viaLink);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString suffix = QString::fromLatin1(entries.at(entry).first).section('.', 1);
    const QString path = kind.startsWith('/') ? kind : dir.filePath(kind + '.' + suffix);
    const QByteArray name = QFile::encodeName(path);
    // A writer comes and goes at a named pipe: an entry point that opened it
    // for reading gets an empty read instead of hanging the test.
    std::optional<std::jthread> writer;
    if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        writer.emplace([name](std::stop_token stop) {
            for (; !stop.stop_requested();
                 std::this_thread::sleep_for(std::chrono::milliseconds(10)))
                ::close(::open(name.constData(), O_WRONLY | O_NONBLOCK));
        });
    } else if (kind == QLatin1String("folder")) {
        QCOMPARE(::mkdir(name.constData(), 0700), 0);
    } else if (kind == QLatin1String("socket")) {
        sockaddr_un address{AF_UNIX, {}};
        qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(fd); // the socket file stays
    } else if (kind == QLatin1String("large")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(1024 * 1024 + 1));
    }
    const QString link = dir.filePath(QStringLiteral("link.") + suffix);
    QVERIFY(!viaLink || QFile::link(path, link));
    const QString error = entries.at(entry).second(viaLink ? link : path);
    QVERIFY2(error.contains(reason), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestNamedFiles)
#include "tst_named_files.moc"
