#include "devices/replayer.h"

#include "core/named_file.h"
#include "devices/channel.h"

#include <QFileInfo>

#include <algorithm>
#include <climits>

namespace {

constexpr qint64 fastestChunk = 1 << 20; // per event: the window stays live
constexpr int rateTickMs = 10;
constexpr int heldRetryMs = 10;
constexpr qint64 logStepBytes = 256 << 10;        // a log's lines read per event
constexpr qint64 lineCost = 64;                   // a line read counts as this many bytes more
constexpr qint64 longestGapMs = 24 * 3600 * 1000; // a longer gap between lines is not waited

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
    m_file.close();
    m_log.reset();
    m_next.reset();
    const QString refusal = NamedFile::open(m_file, request.path);
    if (!refusal.isEmpty())
        return tr("%1 can't be read: %2").arg(info.fileName(), refusal);
    if (suffix == QLatin1String("log")) {
        // The first line is read now: a file that is no log is refused
        // before anything plays.
        m_log = std::make_unique<LogFileReader>(m_file, request.logFormat);
        m_next = m_log->next();
        if (!m_next) {
            const QString why =
                m_log->error().isEmpty() ? tr("The file holds no log lines.") : m_log->error();
            m_log.reset();
            m_file.close();
            return tr("%1 is not a recording: %2").arg(info.fileName(), why);
        }
    }
    m_request = request;
    m_running = true;
    m_nextDueMs.reset();
    m_paced = false;
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
    m_file.close();
    m_log.reset();
    m_next.reset();
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
    if (m_log)
        stepLog();
    else
        stepRaw();
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
        const qint64 read = m_file.read(m_buffer.data(), allowed);
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
    // The lines that are due go out together, one delivery per step; a step
    // reads a bounded number of lines, skipped ones too, whatever the log holds.
    QByteArray due;
    qint64 stepBytes = 0;
    qint64 waitMs = 0; // above 0: the next line's time has not come
    while (stepBytes < logStepBytes) {
        if (!m_next) {
            m_next = m_log->next();
            if (!m_next)
                break;
            m_nextDueMs.reset();
        }
        if (!m_nextDueMs) {
            stepBytes += lineCost + m_next->bytes.size();
            if (m_next->direction != LogDirection::Received ||
                (m_request.logChannel != 0 && m_next->channel != m_request.logChannel)) {
                m_next.reset();
                continue;
            }
            m_nextDueMs = m_request.fastest ? 0 : dueMsOf(m_next->wallMs);
        }
        waitMs = m_request.fastest ? 0 : *m_nextDueMs - m_clock.elapsed();
        if (waitMs > 0)
            break;
        due += std::exchange(m_next, std::nullopt)->bytes;
    }
    if (!due.isEmpty() && !deliver(due)) {
        m_timer.start(heldRetryMs);
        return;
    }
    if (waitMs > 0) {
        m_timer.start(int(std::min<qint64>(waitMs, 60'000)));
        return;
    }
    if (m_next || (m_log->error().isEmpty() && stepBytes >= logStepBytes)) {
        m_timer.start(0);
        return;
    }
    const QString name = QFileInfo(m_request.path).fileName();
    if (!m_log->error().isEmpty())
        end(false, tr("Replay of %1 stopped: %2").arg(name, m_log->error()));
    else
        end(true, tr("Replay of %1 done.").arg(name));
}

qint64 Replayer::dueMsOf(qint64 wallMs)
{
    if (!m_paced) {
        m_paced = true;
        m_baseMs = m_lastMs = wallMs;
        m_clock.start();
    }
    // A clock set back, or a stamp far ahead (a damaged line, year 9999),
    // would hold everything after it: the line plays right after the one
    // before, and the pace goes on from there.
    const qint64 gap = wallMs - m_lastMs;
    if (gap < 0 || gap > longestGapMs)
        m_baseMs += gap;
    if (gap > longestGapMs)
        emit noted(tr("Line %1 of %2 comes %n day(s) after the line before: it is played "
                      "without waiting.",
                      nullptr, int(std::min<qint64>(gap / longestGapMs, INT_MAX)))
                       .arg(m_log->lineNumber())
                       .arg(QFileInfo(m_request.path).fileName()));
    m_lastMs = wallMs;
    return wallMs - m_baseMs;
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
