#include "core/monitor/monitor_text.h"

#include "core/byte_text.h"
#include "core/line_end_bytes.h"
#include "core/pane/pane_text.h"
#include "core/pane/terminal_style.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

// Where the run that starts at `from` ends: one past its line end, or the
// end of `bytes`. A CR at the very end may still be followed by an LF.
qsizetype monitorRunEnd(QByteArrayView bytes, qsizetype from)
{
    const qsizetype at = from + firstLineEndByte(bytes.data() + from, bytes.size() - from);
    if (at == bytes.size())
        return at;
    return afterLineEnd(bytes.data(), at, bytes.size());
}

} // namespace

MonitorText::MonitorText(PaneText &pane)
    : m_pane(pane)
{}

int MonitorText::runColor(int channel)
{
    // Blue, red, green, magenta, cyan, brown, and the bright blue and red.
    static constexpr std::array<int, 8> colors{4, 1, 2, 5, 6, 3, 12, 9};
    return colors.at(size_t(channel - 1) % colors.size());
}

void MonitorText::setFormat(ReceiveFormat format)
{
    m_format = format == ReceiveFormat::Terminal ? ReceiveFormat::Ascii : format;
}

void MonitorText::clear()
{
    m_pane.clear();
    m_colouredChannel = 0;
    m_runChannel = 0;
    m_endsInCr = false;
}

qsizetype MonitorText::add(int channel, QByteArrayView bytes, qint64 wallMs)
{
    m_written = 0;
    if (bytes.isEmpty())
        return -1;
    m_firstMark = -1;
    m_firstAt = -1;
    const qsizetype from = m_pane.size();
    if (m_format == ReceiveFormat::Ascii)
        addAscii(channel, bytes, wallMs);
    else
        addFormatted(channel, bytes, wallMs);
    // A style change costs a search and a lookup: the runs take their
    // channel's colour only where the channel changes.
    if (m_firstMark >= 0 && channel != m_colouredChannel) {
        TerminalStyle runStyle;
        runStyle.flags = TerminalStyle::DefaultBackground;
        runStyle.foreground = TerminalStyle::paletteColor(runColor(channel));
        m_pane.styles().setStyleFrom(from + m_firstMark, runStyle);
        m_colouredChannel = channel;
    }
    const bool asReceived = m_format == ReceiveFormat::Ascii && m_pane.size() == from + m_written;
    return asReceived ? from + m_firstAt : -1;
}

void MonitorText::addFormatted(int channel, QByteArrayView bytes, qint64 wallMs)
{
    m_out.resize(0); // keeps its capacity for the next batch
    qsizetype at = 0;
    if (m_runChannel != channel) {
        endRun();
    } else if (m_endsInCr) {
        // The LF of a CR LF that came in two batches belongs to the run.
        if (bytes.front() == '\n') {
            appendBytes(bytes.first(1));
            at = 1;
        }
        endRun();
    }
    while (at < bytes.size()) {
        const qsizetype end = monitorRunEnd(bytes, at);
        if (m_runChannel == 0)
            startRun(channel);
        appendBytes(bytes.sliced(at, end - at));
        const char last = bytes[end - 1];
        m_endsInCr = last == '\r' && end == bytes.size();
        if (isLineEndByte(last) && !m_endsInCr)
            endRun();
        at = end;
    }
    m_pane.append(m_out, wallMs);
    m_written = m_out.size();
}

void MonitorText::addAscii(int channel, QByteArrayView bytes, qint64 wallMs)
{
    // Written in place at the pane's end where its last block has room for
    // the most a batch can take (a line break, then a run per byte, each with
    // its mark), else through m_out. The line starts go with it, so the pane
    // need not search the text for them.
    const qsizetype most = 1 + bytes.size() * (kAsciiMarkSize + 1);
    char *const place = m_pane.placeForAppend(most);
    if (!place)
        m_out.resize(most);
    char *const base = place ? place : m_out.data();
    char *out = base;
    m_lineStarts.clear();
    qsizetype at = 0;
    if (m_runChannel != 0 && (m_runChannel != channel || m_endsInCr)) {
        if (m_endsInCr && m_runChannel == channel && bytes.front() == '\n') {
            // The LF of a CR LF that came in two batches belongs to the run.
            m_firstAt = 0;
            *out++ = '\n';
            at = 1;
        } else if (!m_pane.isEmpty() && !isLineEndByte(m_pane.at(m_pane.size() - 1))) {
            *out++ = '\n'; // the run another channel cut off ends its line
            m_lineStarts.push_back(out - base);
        }
        m_runChannel = 0;
        m_endsInCr = false;
    }
    while (at < bytes.size()) {
        if (m_runChannel == 0) {
            if (m_firstMark < 0)
                m_firstMark = out - base;
            out[0] = char('0' + channel);
            out[1] = '<';
            out[2] = ' ';
            out += kAsciiMarkSize;
            m_runChannel = channel;
        }
        const qsizetype end = monitorRunEnd(bytes, at);
        if (m_firstAt < 0)
            m_firstAt = out - base;
        std::memcpy(out, bytes.data() + at, size_t(end - at));
        out += end - at;
        const char last = bytes[end - 1];
        m_endsInCr = last == '\r' && end == bytes.size();
        if (isLineEndByte(last)) {
            m_lineStarts.push_back(out - base);
            // A run that ends in a line end needs no line break of its own.
            if (!m_endsInCr)
                m_runChannel = 0;
        }
        at = end;
    }
    m_written = out - base;
    if (place)
        m_pane.appendPlaced(m_written, m_lineStarts, wallMs);
    else
        m_pane.appendLines(QByteArrayView(base, m_written), m_lineStarts, wallMs);
}

void MonitorText::startRun(int channel)
{
    if (m_firstMark < 0)
        m_firstMark = m_out.size();
    m_out.append(char('0' + channel));
    m_out.append('<');
    if (m_format == ReceiveFormat::Dump)
        m_out.append('\n');
    m_dump.restart();
    m_runChannel = channel;
    m_runBytes = 0;
    m_endsInCr = false;
}

void MonitorText::appendBytes(QByteArrayView bytes)
{
    if (m_firstAt < 0)
        m_firstAt = m_out.size();
    switch (m_format) {
    case ReceiveFormat::Hex:
        ByteText::appendHexPieces(m_out, bytes, " ", {});
        break;
    case ReceiveFormat::Decimal:
        ByteText::appendDecimalPieces(m_out, bytes, " ", {});
        break;
    case ReceiveFormat::Dump:
        m_dump.append(m_out, bytes, "\n");
        break;
    case ReceiveFormat::Ascii:
    case ReceiveFormat::Terminal:
        ByteText::appendBytes(m_out, bytes);
        break;
    }
    m_runBytes += bytes.size();
}

void MonitorText::endRun()
{
    if (m_runChannel == 0)
        return;
    // Hex and Decimal runs are a line each; a Dump run's last row is ended
    // unless it is a whole one.
    if (m_format != ReceiveFormat::Dump || m_runBytes % 16 != 0)
        m_out.append('\n');
    m_runChannel = 0;
    m_endsInCr = false;
}

void MonitorText::readBack(const PaneText &pane, qsizetype at, qsizetype size, QByteArray &out)
{
    out.resize(0);
    qsizetype skip = 0;   // of a mark still to pass
    bool afterCr = false; // the last byte taken is a CR
    pane.forEachChunk(at, -1, [&](QByteArrayView chunk) {
        qsizetype i = 0;
        while (i < chunk.size() && out.size() < size) {
            if (skip > 0) {
                const qsizetype passed = std::min(skip, chunk.size() - i);
                i += passed;
                skip -= passed;
                continue;
            }
            if (std::exchange(afterCr, false) && chunk[i] != '\n') {
                skip = kAsciiMarkSize; // the CR ended its run
                continue;
            }
            // The bytes up to and including the next CR or LF, within the batch.
            const QByteArrayView rest =
                chunk.sliced(i, std::min(chunk.size() - i, size - out.size()));
            const auto brk = std::find_if(rest.begin(), rest.end(), isLineEndByte);
            const qsizetype take = brk == rest.end() ? rest.size() : (brk - rest.begin()) + 1;
            out.append(rest.first(take));
            i += take;
            if (brk != rest.end() && out.size() < size) {
                skip = *brk == '\n' ? kAsciiMarkSize : 0;
                afterCr = *brk == '\r';
            }
        }
        return out.size() < size;
    });
}
