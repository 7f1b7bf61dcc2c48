#include "core/log/timestamped_log.h"

#include <algorithm>
#include <limits>

LogLineSplitter &TimestampedLog::splitter(int channel, LogDirection direction)
{
    const auto key = std::make_pair(channel, direction);
    auto found = m_splitters.find(key);
    if (found == m_splitters.end())
        found = m_splitters.emplace(key, LogLineSplitter(channel, direction)).first;
    return found->second;
}

void TimestampedLog::add(int channel, LogDirection direction, QByteArrayView bytes,
                         const ArrivalTime &time)
{
    splitter(channel, direction).feed(bytes, time, m_nextOrder++, m_ready);
}

void TimestampedLog::note(int channel, QByteArrayView text, const ArrivalTime &time)
{
    m_ready.append(
        LogEntry{channel, LogDirection::Note, time.wallMs, m_nextOrder++, text.toByteArray()});
}

QByteArray TimestampedLog::take(qint64 steadyMs)
{
    for (auto &[key, splitter] : m_splitters)
        splitter.takeDue(steadyMs, m_ready);
    return release(false);
}

QByteArray TimestampedLog::takeAll()
{
    for (auto &[key, splitter] : m_splitters)
        splitter.takeAll(m_ready);
    return release(true);
}

std::optional<qint64> TimestampedLog::nextDueMs() const
{
    std::optional<qint64> due;
    for (const auto &[key, splitter] : m_splitters)
        if (splitter.hasPiece() && (!due || splitter.pieceDueMs() < *due))
            due = splitter.pieceDueMs();
    return due;
}

QByteArray TimestampedLog::release(bool everything)
{
    if (m_ready.isEmpty())
        return {};
    // Entries that started before every waiting piece can go; a piece's own
    // earlier lines share its order and come before it anyway.
    quint64 limit = std::numeric_limits<quint64>::max();
    if (!everything)
        for (const auto &[key, splitter] : m_splitters)
            if (splitter.hasPiece())
                limit = std::min(limit, splitter.pieceOrder());
    std::stable_sort(m_ready.begin(), m_ready.end(),
                     [](const LogEntry &a, const LogEntry &b) { return a.order < b.order; });
    qsizetype count = 0;
    qsizetype size = 0;
    while (count < m_ready.size() && m_ready.at(count).order <= limit)
        size += 40 + 4 * m_ready.at(count++).bytes.size();
    QByteArray text;
    text.reserve(size);
    for (qsizetype i = 0; i < count; ++i) {
        const LogEntry &entry = m_ready.at(i);
        const auto format = m_formats.find(entry.channel);
        m_text.append(text, entry,
                      format == m_formats.end() ? ReceiveFormat::Ascii : format->second);
    }
    m_ready.remove(0, count);
    return text;
}
