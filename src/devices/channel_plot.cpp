#include "devices/channel_plot.h"

#include "core/line_end_bytes.h"

#include <algorithm>
#include <cmath>

namespace {

// The first CR or LF in data[from, size), or size.
qsizetype nextPlotLineBreak(const char *data, qsizetype from, qsizetype size)
{
    return from + firstLineEndByte(data + from, size - from);
}

} // namespace

ChannelPlot::ChannelPlot(QObject *parent)
    : QObject(parent)
{}

void ChannelPlot::setOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    if (on)
        m_store.prepare();
    m_partial.clear();
    m_partialCut = false;
    emit onChanged(on);
}

void ChannelPlot::setFollowSeconds(int seconds)
{
    seconds = std::clamp(seconds, 0, kLongestFollow);
    if (seconds == m_followSeconds)
        return;
    m_followSeconds = seconds;
    emit followChanged();
}

QString ChannelPlot::setPattern(const QString &pattern)
{
    if (pattern == m_finder.pattern())
        return {};
    const QString error = m_finder.setPattern(pattern);
    if (error.isEmpty())
        emit patternChanged();
    return error;
}

void ChannelPlot::readLine(QByteArrayView line, qint64 ms)
{
    if (line.size() > kLongestLine)
        line = line.first(kLongestLine);
    if (line.isEmpty())
        return;
    const QList<FoundNumber> &numbers = m_finder.find(line);
    m_store.add(numbers, ms, m_finder.namesAsBefore());
}

void ChannelPlot::receive(QByteArrayView batch, qint64 arrivalMs)
{
    if (!m_on || batch.isEmpty())
        return;
    const qsizetype before = m_store.pointCount();
    const char *data = batch.data();
    const qsizetype size = batch.size();
    qsizetype start = 0;
    while (start < size) {
        // Most lines are shaped like the one before: one look at their
        // bytes finds both their numbers and their end.
        if (m_partial.isEmpty() && !m_partialCut) {
            const qsizetype shaped = m_finder.shapedLineAt(batch.sliced(start));
            if (shaped > 0 && isLineEndByte(data[start + shaped])) {
                const QList<FoundNumber> &numbers =
                    m_finder.findShaped(batch.sliced(start, shaped));
                m_store.add(numbers, arrivalMs, m_finder.namesAsBefore());
                start = afterLineEnd(data, start + shaped, size);
                continue;
            }
        }
        const qsizetype at = nextPlotLineBreak(data, start, size);
        if (at == size)
            break;
        if (m_partial.isEmpty() && !m_partialCut) {
            readLine(batch.sliced(start, at - start), arrivalMs);
        } else {
            if (!m_partialCut)
                m_partial.append(data + start,
                                 std::min(at - start, kLongestLine - m_partial.size()));
            readLine(m_partial, m_partialMs);
            m_partial.clear();
            m_partialCut = false;
        }
        // A CR LF ends one line: its LF starts no empty one to read.
        start = afterLineEnd(data, at, size);
    }
    if (start < size && !m_partialCut) {
        if (m_partial.isEmpty())
            m_partialMs = arrivalMs;
        m_partial.append(data + start, std::min(size - start, kLongestLine - m_partial.size()));
        m_partialCut = m_partial.size() >= kLongestLine;
    }
    m_store.catchUp();
    if (m_store.pointCount() != before)
        emit pointsAdded();
}

double ChannelPlot::latest(QByteArrayView name) const
{
    const int index = m_store.indexOf(name);
    return index < 0 ? std::nan("") : m_store.series(index).lastValue();
}

void ChannelPlot::clear()
{
    m_store.clear();
    m_finder.forgetHeader();
    m_partial.clear();
    m_partialCut = false;
    emit cleared();
}

#include "moc_channel_plot.cpp"
