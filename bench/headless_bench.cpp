#include "headless_bench.h"

#include "bench_table.h"
#include "loopback_listener.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

namespace {

constexpr qint64 kRate = 1000 * 1000; // bytes per second

// The child's resident memory in MB, from /proc/PID/status.
double residentMB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

// What the files under `folder` take on disk, in bytes.
qint64 diskBytes(const QString &folder)
{
    qint64 total = 0;
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext())
        total += QFileInfo(files.next()).size();
    return total;
}

// One second of text: 64-byte lines, numbered so no two are alike.
QByteArray secondOfLines()
{
    QByteArray out;
    for (qsizetype i = 0; out.size() < kRate; ++i)
        out += "data " + QByteArray::number(i).rightJustified(57, '.') + "\r\n";
    out.truncate(kRate);
    return out;
}

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

void headlessBench(BenchTable &table, int seconds)
{
    const QString measure =
        QStringLiteral("headless run, 127.0.0.1 peer at 1 MB/s for %1 s, raw and log recordings: "
                       "resident memory and spill files at each tenth")
            .arg(seconds);
    QTemporaryDir dir;
    const LoopbackListener listener;
    const QString setup = dir.filePath(QStringLiteral("bench.vterm"));
    QFile setupFile(setup);
    if (!setupFile.open(QIODevice::WriteOnly) ||
        setupFile.write("[Channel1]\nOn=true\nPort=TCP\nHost=127.0.0.1\nSocket=" +
                        QByteArray::number(listener.port) + "\n") <= 0) {
        table.row(measure, QStringLiteral("the setup could not be written"));
        return;
    }
    setupFile.close();
    const QString cache = dir.filePath(QStringLiteral("cache"));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache); // where spill files would go
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../src/app/varnokterm"),
                  {QStringLiteral("--headless"), setup, QStringLiteral("--record"),
                   QStringLiteral("raw1:") + dir.filePath(QStringLiteral("raw.bin")),
                   QStringLiteral("--record"),
                   QStringLiteral("log:") + dir.filePath(QStringLiteral("capture.log"))});
    const int peer = program.waitForStarted() ? listener.accept(20000) : -1;
    if (peer < 0) {
        table.row(measure, QStringLiteral("the program did not connect"));
        return;
    }

    const QByteArray second = secondOfLines();
    QStringList memory;
    QList<double> samples;
    qint64 spillMost = 0;
    qint64 sent = 0;
    QElapsedTimer clock;
    clock.start();
    for (int tenth = 1; tenth <= 10; ++tenth) {
        const qint64 tenthEnds = qint64(seconds) * 100 * tenth;
        while (clock.elapsed() < tenthEnds) {
            // Paced by the clock: what is due by now goes out in 10 kB slices.
            const qint64 due = clock.elapsed() * kRate / 1000;
            while (sent + 10000 <= due) {
                if (!writeAll(peer, second.constData() + sent % kRate, 10000)) {
                    table.row(measure, QStringLiteral("the connection failed"));
                    return;
                }
                sent += 10000;
            }
            QThread::msleep(5);
            spillMost = std::max(spillMost, diskBytes(cache));
        }
        samples << residentMB(program.processId());
        memory << QString::number(samples.last(), 'f', 1);
    }
    // What is still on its way is recorded before the run is ended.
    const QString raw = dir.filePath(QStringLiteral("raw.bin"));
    QElapsedTimer drain;
    drain.start();
    while (QFileInfo(raw).size() < sent && drain.elapsed() < 60000)
        QThread::msleep(50);
    program.terminate();
    program.waitForFinished(60000);
    ::close(peer);
    const qint64 recorded = QFileInfo(raw).size();
    const double growth = samples.last() - samples.first();
    table.row(measure,
              QStringLiteral("RSS %1 MB (last tenth %2 MB above the first); spill files at most "
                             "%3 bytes; raw recording %4 of %5 bytes")
                  .arg(memory.join(QStringLiteral(", ")))
                  .arg(growth, 0, 'f', 1)
                  .arg(spillMost)
                  .arg(recorded)
                  .arg(sent),
              QStringLiteral("flat: RSS within 5 MB of the first tenth, no spill file"),
              growth <= 5 && spillMost == 0 && recorded == sent);
}
