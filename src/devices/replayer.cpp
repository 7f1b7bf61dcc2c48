#include "devices/replayer.h"

#include "core/log_reader.h"
#include "devices/channel.h"

#include <QFileInfo>

#include <algorithm>

namespace {

constexpr qint64 fastestChunk = 1 << 20; // per event: the window stays live
constexpr int rateTickMs = 10;
constexpr int heldRetryMs = 10;
constexpr qint64 largestLog = qint64(256) << 20; // read whole: its lines are timed

} // namespace

Replayer::Replayer(Channel &channel)
    : m_channel(channel)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Replayer::step);
}

QString Replayer::start(const ReplayRequest &request)
{
    if (m_running)
        return tr("Comm Port %1 is already replaying.").arg(m_channel.number());
    const QFileInfo info(request.path);
    const QString suffix = info.suffix().toLower();
    if (suffix != QLatin1String("bin") && suffix != QLatin1String("log"))
        return tr("%1 is not a recording: replay takes a raw recording (.bin) or a timestamped "
                  "log (.log).")
            .arg(info.fileName());
    if (request.into == ReplayRequest::Into::Device && !m_channel.isOn())
        return tr("Switch Comm Port %1 on first.").arg(m_channel.number());
    if (!request.fastest && suffix == QLatin1String("bin") && request.rawBytesPerSecond <= 0)
        return tr("Choose a rate above 0 bytes/s.");
    QFile file(request.path);
    if (!file.open(QIODevice::ReadOnly))
        return tr("%1 can't be read: %2").arg(info.fileName(), file.errorString());
    m_entries.clear();
    if (suffix == QLatin1String("log")) {
        if (file.size() > largestLog)
            return tr("%1 is larger than a log that can be replayed (256 MB).")
                .arg(info.fileName());
        const QByteArray text = file.readAll();
        LogReader::Reading reading = LogReader::entriesOfText(text, request.logFormat);
        if (!reading.error.isEmpty())
            return tr("%1 is not a recording: %2").arg(info.fileName(), reading.error);
        for (LogEntry &entry : reading.entries)
            if (entry.direction == LogDirection::Received)
                m_entries.append(std::move(entry));
    } else {
        m_raw.setFileName(request.path);
        if (!m_raw.open(QIODevice::ReadOnly))
            return tr("%1 can't be read: %2").arg(info.fileName(), m_raw.errorString());
    }
    m_request = request;
    m_running = true;
    m_next = 0;
    m_held.clear();
    m_doneBytes = 0;
    m_clock.start();
    m_timer.start(0);
    return {};
}

void Replayer::stop()
{
    if (m_running)
        end(false, tr("Replay of %1 stopped.").arg(QFileInfo(m_request.path).fileName()));
}

void Replayer::end(bool completed, const QString &text)
{
    m_running = false;
    m_timer.stop();
    m_raw.close();
    m_entries.clear();
    m_held.clear();
    emit finished(completed, text);
}

void Replayer::step()
{
    if (m_request.into == ReplayRequest::Into::Device && !m_channel.isOn()) {
        stop();
        return;
    }
    if (!m_held.isEmpty() && !deliver(std::exchange(m_held, {}))) {
        m_timer.start(heldRetryMs);
        return;
    }
    if (m_raw.isOpen())
        stepRaw();
    else
        stepLog();
}

void Replayer::stepRaw()
{
    // At a rate: what the time since the start allows, so the pace never drifts.
    const qint64 allowed =
        m_request.fastest
            ? fastestChunk
            : std::min(fastestChunk,
                       m_clock.elapsed() * m_request.rawBytesPerSecond / 1000 - m_doneBytes);
    if (allowed > 0) {
        // One buffer for every read: a fresh megabyte each time would cost
        // a page fault per page.
        m_buffer.resize(allowed);
        const qint64 read = m_raw.read(m_buffer.data(), allowed);
        if (read <= 0) {
            end(true, tr("Replay of %1 done.").arg(QFileInfo(m_request.path).fileName()));
            return;
        }
        m_buffer.resize(read);
        if (!deliver(m_buffer)) {
            m_timer.start(heldRetryMs);
            return;
        }
    }
    m_timer.start(m_request.fastest ? 0 : rateTickMs);
}

void Replayer::stepLog()
{
    const qint64 firstMs = m_entries.isEmpty() ? 0 : m_entries.first().wallMs;
    qint64 stepBytes = 0;
    while (m_next < m_entries.size() && stepBytes < fastestChunk) {
        const qint64 dueIn =
            m_request.fastest ? 0 : m_entries.at(m_next).wallMs - firstMs - m_clock.elapsed();
        if (dueIn > 0) {
            m_timer.start(int(std::min<qint64>(dueIn, 60'000)));
            return;
        }
        const QByteArray &bytes = m_entries.at(m_next++).bytes;
        stepBytes += bytes.size();
        if (!deliver(bytes)) {
            m_timer.start(heldRetryMs);
            return;
        }
    }
    if (m_next < m_entries.size()) {
        m_timer.start(0);
        return;
    }
    end(true, tr("Replay of %1 done.").arg(QFileInfo(m_request.path).fileName()));
}

bool Replayer::deliver(const QByteArray &bytes)
{
    if (m_request.into == ReplayRequest::Into::Pane) {
        m_channel.receiveReplayed(bytes);
    } else if (!m_channel.sendUntyped(Transmission(bytes))) {
        m_held = bytes;
        return false;
    }
    m_doneBytes += bytes.size();
    return true;
}

#include "moc_replayer.cpp"
