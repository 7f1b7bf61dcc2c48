#include "devices/recordings.h"

#include <QElapsedTimer>

#include "devices/channel.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <sys/stat.h>

namespace {

// One name per file, however it was written.
QString fileKey(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// The same file: by name, or by its device and inode, which a hard link
// under another name shares.
bool sameFile(const QString &a, const QString &b)
{
    if (fileKey(a) == fileKey(b))
        return true;
    struct stat first
    {};
    struct stat second
    {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

QString kindName(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Raw:
        return Recordings::tr("raw bytes");
    case RecordKind::Shown:
        return Recordings::tr("text as shown");
    case RecordKind::Log:
        break;
    }
    return Recordings::tr("timestamped log");
}

} // namespace

Recordings::Recordings(const QList<Channel *> &channels, QObject *parent)
    : QObject(parent)
    , m_channels(channels)
    , m_active(size_t(channels.size()) + 1)
    , m_starts(size_t(channels.size()) + 1)
{
    for (Channel *channel : channels)
        connect(channel, &Channel::onChanged, this,
                [this, channel](bool on) { onChannelChanged(*channel, on); });
}

Recordings::~Recordings()
{
    stopAll();
    waitForFiles();
}

QString Recordings::start(RecordSource source, RecordKind kind, const QString &path,
                          FileWriter::Existing existing)
{
    if (indexOf(source) >= m_active.size())
        return tr("There is no Comm Port %1.").arg(source.channelNumber());
    if (const Recording *running = recording(source)) {
        if (source.isAllChannels())
            return tr("Both channels are already recorded to one log, %1: there is one such "
                      "log at a time.")
                .arg(running->path());
        return tr("Comm Port %1 is already recorded to %2 (%3): a channel has one recording at "
                  "a time, besides the log of both channels.")
            .arg(QString::number(source.channelNumber()), running->path(),
                 kindName(running->kind()));
    }
    for (const auto &active : m_active)
        if (active && sameFile(active->path(), path))
            return active->path() == path
                       ? tr("%1 is already being recorded to.").arg(path)
                       : tr("%1 is already being recorded to, as %2.").arg(path, active->path());

    auto writer = std::make_unique<FileWriter>(path);
    writer->setQueueLimit(m_queueLimit);
    const bool log = source.isAllChannels() || kind == RecordKind::Log;
    // A log cut short by a failure still ends with a whole entry.
    if (!writer->open(existing, log))
        return tr("%1 can't be opened for writing: %2").arg(path, writer->errorString());

    QList<Channel *> channels;
    for (Channel *channel : std::as_const(m_channels))
        if (source.takes(channel->number()))
            channels << channel;
    auto recording =
        std::make_unique<Recording>(log ? RecordKind::Log : kind, channels, std::move(writer));
    Recording *started = recording.get();
    connect(started, &Recording::failed, this,
            [this, started](const QString &reason) { onRecordingFailed(started, reason); });
    // Connected now: a failing writer may end before the failure is handled.
    connect(&started->writer(), &FileWriter::finished, this, [this, started] { forget(started); });
    m_active[indexOf(source)] = std::move(recording);
    ++m_starts[indexOf(source)];
    emit changed();
    return {};
}

void Recordings::noteInLogs(const QList<int> &channels, const QString &note)
{
    for (const auto &active : m_active) {
        if (!active || active->kind() != RecordKind::Log)
            continue;
        for (const Channel *channel : std::as_const(m_channels)) {
            if (channels.contains(channel->number()) && active->covers(*channel)) {
                active->addNote(*channel, note);
                break;
            }
        }
    }
}

const Recording *Recordings::recording(RecordSource source) const
{
    return indexOf(source) < m_active.size() ? m_active[indexOf(source)].get() : nullptr;
}

bool Recordings::isAnyRecording() const
{
    for (const auto &active : m_active)
        if (active)
            return true;
    return false;
}

QList<const Recording *> Recordings::recordingsOf(const Channel &channel) const
{
    QList<const Recording *> found;
    for (const auto &active : m_active)
        if (active && active->covers(channel))
            found << active.get();
    return found;
}

void Recordings::stop(RecordSource source)
{
    if (indexOf(source) >= m_active.size())
        return;
    std::unique_ptr<Recording> &active = m_active[indexOf(source)];
    if (!active)
        return;
    retire(std::move(active));
    emit changed();
}

void Recordings::stopAll()
{
    bool any = false;
    for (auto &active : m_active) {
        if (active) {
            retire(std::move(active));
            any = true;
        }
    }
    if (any)
        emit changed();
}

void Recordings::retire(std::unique_ptr<Recording> recording)
{
    recording->stop();
    m_closing.push_back(std::move(recording));
}

void Recordings::forget(Recording *finished)
{
    for (auto it = m_closing.begin(); it != m_closing.end(); ++it) {
        if (it->get() == finished) {
            // Not deleted at once: this runs in one of its writer's signals.
            it->release()->deleteLater();
            m_closing.erase(it);
            return;
        }
    }
}

void Recordings::waitForFiles()
{
    for (const auto &closing : m_closing)
        closing->writer().wait();
}

bool Recordings::waitForFiles(int ms)
{
    if (m_stuck)
        return false; // waited once already
    QElapsedTimer clock;
    clock.start();
    for (const auto &closing : m_closing) {
        if (!closing->writer().waitFor(int(qMax<qint64>(0, ms - clock.elapsed())))) {
            m_stuck = true;
            return false;
        }
    }
    return true;
}

void Recordings::onChannelChanged(Channel &channel, bool on)
{
    if (on)
        return;
    QList<RecordSource> ending{RecordSource::channel(channel.number())};
    if (std::none_of(m_channels.cbegin(), m_channels.cend(),
                     [](const Channel *other) { return other->isOn(); }))
        ending << RecordSource::allChannels();
    // Stopped once the current event is handled: a failing link shows what
    // still waited after it has switched off, and that belongs in the file.
    for (const RecordSource source : ending) {
        if (!isRecording(source))
            continue;
        const quint64 started = m_starts[indexOf(source)];
        QMetaObject::invokeMethod(
            this,
            [this, source, started] {
                if (m_starts[indexOf(source)] == started)
                    stop(source);
            },
            Qt::QueuedConnection);
    }
}

void Recordings::onRecordingFailed(Recording *recording, const QString &reason)
{
    const QString path = recording->path();
    for (auto &active : m_active) {
        if (active.get() == recording) {
            retire(std::move(active));
            emit changed();
            break;
        }
    }
    // Also when it had stopped already: finishing the file failed.
    emit failed(path, reason);
}

#include "moc_recordings.cpp"
