#include "devices/recording.h"

#include "core/arrival_clock.h"
#include "devices/channel.h"

#include <QFileInfo>

std::optional<RecordKind> recordKindOfName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"bin")
        return RecordKind::Raw;
    if (suffix == u"txt")
        return RecordKind::Shown;
    if (suffix == u"log")
        return RecordKind::Log;
    return std::nullopt;
}

Recording::Recording(RecordKind kind, const QList<Channel *> &channels,
                     std::unique_ptr<FileWriter> writer, QObject *parent)
    : QObject(parent)
    , m_kind(kind)
    , m_channels(channels)
    , m_writer(std::move(writer))
{
    m_writer->setParent(nullptr); // owned here, whatever it was given
    if (kind == RecordKind::Log) {
        m_log.emplace();
        m_pieceTimer.setSingleShot(true);
        connect(&m_pieceTimer, &QTimer::timeout, this, &Recording::writeDueEntries);
    }
    connect(m_writer.get(), &FileWriter::failed, this, &Recording::failed);
    for (Channel *channel : channels)
        hook(*channel);
}

bool Recording::covers(const Channel &channel) const
{
    return m_channels.contains(&channel);
}

void Recording::hook(Channel &channel)
{
    switch (m_kind) {
    case RecordKind::Raw:
        m_hooks << connect(&channel, &Channel::batchReceived, this, &Recording::write);
        break;
    case RecordKind::Shown:
        m_hooks << connect(&channel.receiver(), &ChannelReceiver::shown, this,
                           [this](QByteArrayView piece) { write(piece.toByteArray()); });
        break;
    case RecordKind::Log:
        m_hooks << connect(&channel, &Channel::batchReceived, this,
                           [this, &channel](const QByteArray &batch, const ArrivalTime &arrival) {
                               logBytes(channel, LogDirection::Received, batch, arrival);
                           });
        m_hooks << connect(&channel, &Channel::bytesSent, this,
                           [this, &channel](QByteArrayView bytes) {
                               logBytes(channel, LogDirection::Sent, bytes, ArrivalClock::read());
                           });
        m_hooks << connect(&channel, &Channel::linkNoted, this,
                           [this, &channel](const QString &note) { logNote(channel, note); });
        break;
    }
}

void Recording::write(const QByteArray &chunk)
{
    if (m_stopped || m_overflowed || chunk.isEmpty())
        return;
    if (!m_writer->write(chunk)) {
        m_overflowed = true; // the file lacks data from here on: take no more
        emit failed(tr("the disk did not keep up: %1 MB were waiting to be written")
                        .arg(m_writer->queueLimit() >> 20));
    }
}

void Recording::updateFormats()
{
    for (const Channel *channel : m_channels)
        m_log->setFormat(channel->number(), channel->modes().format);
}

void Recording::logBytes(const Channel &channel, LogDirection direction, QByteArrayView bytes,
                         const ArrivalTime &arrival)
{
    if (m_stopped)
        return;
    m_log->add(channel.number(), direction, bytes, arrival);
    writeDueEntries();
}

void Recording::addNote(const Channel &channel, const QString &note)
{
    if (m_kind == RecordKind::Log && covers(channel))
        logNote(channel, note);
}

void Recording::logNote(const Channel &channel, const QString &note)
{
    if (m_stopped)
        return;
    m_log->note(channel.number(), note.toUtf8(), ArrivalClock::read());
    writeDueEntries();
}

void Recording::writeDueEntries()
{
    if (m_stopped)
        return;
    const qint64 now = ArrivalClock::steadyMs();
    updateFormats();
    write(m_log->take(now));
    // Wake again when the next waiting piece is due.
    if (const std::optional<qint64> due = m_log->nextDueMs()) {
        if (!m_pieceTimer.isActive())
            m_pieceTimer.start(int(qMax<qint64>(0, *due - now)));
    } else {
        m_pieceTimer.stop();
    }
}

void Recording::stop()
{
    if (m_stopped)
        return;
    if (m_log) {
        updateFormats();
        write(m_log->takeAll());
        m_pieceTimer.stop();
    }
    m_stopped = true;
    for (const QMetaObject::Connection &hook : std::as_const(m_hooks))
        disconnect(hook);
    m_hooks.clear();
    m_writer->finish();
}

#include "moc_recording.cpp"
