#include "core/channel_receiver.h"

#include "core/byte_text.h"
#include "core/pane/pane_text.h"

#include <algorithm>
#include <cstring>
#include <utility>

ChannelReceiver::ChannelReceiver(const ChannelModes &modes, const ChannelModule &module,
                                 PaneText &pane, QObject *parent)
    : QObject(parent)
    , m_modes(modes)
    , m_module(module)
    , m_pane(pane)
{
    m_timer.setSingleShot(true); // ticks once per quiet period
    m_timer.setInterval(3000);
    connect(&m_timer, &QTimer::timeout, this, &ChannelReceiver::tick);
    connect(&m_terminal, &TerminalScreen::scrolledOff, this, &ChannelReceiver::keepTerminalLine);
    // Before the screen's change is shown, its history is in the pane.
    connect(&m_terminal, &TerminalScreen::changed, this, &ChannelReceiver::showTerminalLines);
    connect(&m_terminal, &TerminalScreen::answered, this, &ChannelReceiver::terminalAnswered);
}

void ChannelReceiver::receiveSerial(QByteArrayView batch, qint64 arrivalMs)
{
    receive(batch, Source::Serial, arrivalMs);
}

void ChannelReceiver::receiveSocket(QByteArrayView batch, qint64 arrivalMs)
{
    receive(batch, Source::Socket, arrivalMs);
}

void ChannelReceiver::receive(QByteArrayView batch, Source source, qint64 arrivalMs)
{
    m_lastSource = source;
    const DisplayMode mode = m_modes.display;
    if (mode == DisplayMode::RealTime && m_pending.isEmpty()) {
        // The usual case: nothing waits, so the batch goes straight to the pane.
        show(batch, source == Source::Socket ? Layout::Socket : Layout::SerialRealTime, arrivalMs);
        return;
    }
    if (m_pending.isEmpty())
        m_batchStarts.clear();
    m_batchStarts.append({m_pending.size(), arrivalMs});
    ByteText::appendBytes(m_pending, batch);
    switch (mode) {
    case DisplayMode::RealTime:
        showBuffer(source == Source::Socket ? Layout::Socket : Layout::SerialRealTime);
        break;
    case DisplayMode::TimeOut:
        // Restart the quiet period. A time-out of 0 shows the data as soon as
        // the event loop is idle; a negative one can't be waited for.
        m_timer.start(qMax<int>(0, m_module.intTimeOut));
        break;
    case DisplayMode::AfterCr:
        if (m_pending.endsWith('\r'))
            flushBuffer(source == Source::Socket ? Layout::Socket : Layout::SerialFlush);
        break;
    }
}

void ChannelReceiver::tick()
{
    m_timer.stop();
    if (m_pending.isEmpty())
        return; // an empty flush must not clear what the pane shows meanwhile
    flushBuffer(Layout::SerialFlush);
}

void ChannelReceiver::flushPending()
{
    if (m_pending.isEmpty())
        return;
    const bool socketAfterCr =
        m_lastSource == Source::Socket && m_modes.display == DisplayMode::AfterCr;
    flushBuffer(socketAfterCr ? Layout::Socket : Layout::SerialFlush);
}

void ChannelReceiver::clearReceived()
{
    m_pane.clear();
    m_pending.clear();
    m_dump.restart();
    m_echoOpen = false;
    m_batchStarts.clear();
    m_terminal.reset();
}

bool ChannelReceiver::paneAtLineStart() const
{
    return m_pane.lineStart(m_pane.lineCount() - 1) == m_pane.size();
}

void ChannelReceiver::endOpenLine(qint64 arrivalMs)
{
    if (!paneAtLineStart())
        appendShown(LineBreakRule::bytesOf(m_pane.lineBreaks()), false, arrivalMs);
}

void ChannelReceiver::appendShown(QByteArrayView text, bool echo, qint64 arrivalMs)
{
    if (echo)
        m_pane.appendEcho(text);
    else
        m_pane.append(text, arrivalMs);
    emit shown(text);
}

void ChannelReceiver::showSent(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    if (!m_pending.isEmpty()) {
        m_timer.stop();
        flushPending(); // received earlier, so shown first
    }
    if (m_modes.format == ReceiveFormat::Terminal) {
        feedTerminal(bytes, PaneText::kNow); // where the cursor is, as a terminal echoes
        return;
    }
    if (!m_echoOpen)
        endOpenLine(PaneText::kNow);
    m_echoOpen = true;
    const QByteArrayView prefix("> ");
    if (m_modes.format != ReceiveFormat::Ascii) {
        m_scratch.resize(0);
        if (paneAtLineStart())
            m_scratch.append(prefix);
        if (m_modes.format == ReceiveFormat::Decimal)
            ByteText::appendDecimalPieces(m_scratch, bytes, " ", {});
        else
            ByteText::appendHexPieces(m_scratch, bytes, " ", {});
        appendShown(m_scratch, true, PaneText::kNow);
        return;
    }
    // Text: each line of it gets the prefix. A CR LF stays together.
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        if (paneAtLineStart())
            appendShown(prefix, true, PaneText::kNow);
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        if (end < bytes.size())
            end += bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
        appendShown(bytes.sliced(pos, end - pos), true, PaneText::kNow);
        pos = end;
    }
    m_echoOpen = !paneAtLineStart();
}

void ChannelReceiver::flushBuffer(Layout layout)
{
    if (m_module.addTo == AccumulateMode::ClearFirst)
        m_pane.clear();
    showBuffer(layout);
}

void ChannelReceiver::showBuffer(Layout layout)
{
    // Batch by batch, each with its time: the text is the same as in one go.
    const QByteArrayView buffer = m_pending;
    qsizetype from = 0;
    for (qsizetype i = 0; i < m_batchStarts.size() && from < buffer.size(); ++i) {
        const qsizetype to = i + 1 < m_batchStarts.size()
                                 ? std::clamp(m_batchStarts.at(i + 1).at, from, buffer.size())
                                 : buffer.size();
        show(buffer.sliced(from, to - from), layout, m_batchStarts.at(i).arrivalMs);
        from = to;
    }
    if (from < buffer.size())
        show(buffer.sliced(from), layout, PaneText::kNow);
    m_pending.clear();
    m_batchStarts.clear();
}

qsizetype ChannelReceiver::startPieces(Layout layout)
{
    m_scratch.resize(0); // keeps its capacity, unlike clear()
    const qsizetype size = m_pane.size();
    const auto digitAt = [this](qsizetype at) {
        return at >= 0 && ByteText::hexDigitValue(m_pane.at(at)) >= 0;
    };
    // Connection pieces start with their number. Right after a digit already
    // in the pane (from another layout, or from text) the two numbers would
    // run together and could not be read back.
    if (layout == Layout::Socket && digitAt(size - 1))
        m_scratch.append(' ');
    // Serial pieces start with their space. After a connection piece's
    // number and its space, one of the two is skipped: one space between numbers.
    const bool spaced =
        layout != Layout::Socket && size >= 2 && m_pane.at(size - 1) == ' ' && digitAt(size - 2);
    return spaced ? 1 : 0;
}

bool ChannelReceiver::showHexInPlace(QByteArrayView bytes, bool spaceAfter, qsizetype skipped,
                                     qint64 arrivalMs)
{
    // Written straight into the pane's last block where it has room, the
    // text is not copied there from the scratch space. Hex text holds no
    // line break: the pane learns of no line start in it.
    const qsizetype lead = m_scratch.size(); // the separating space startPieces wrote
    if (bytes.isEmpty() || (lead > 0 && skipped > 0))
        return false;
    char *const place = m_pane.placeForAppend(lead + bytes.size() * 3 + 1);
    if (!place)
        return false;
    std::memcpy(place, m_scratch.constData(), size_t(lead));
    const char *end = ByteText::writeHexPieces(place + lead, bytes, spaceAfter, skipped);
    const QByteArrayView text(place, end - place);
    // Before the pane takes it in: trimming its history may move its text.
    emit shown(text);
    m_pane.appendPlaced(text.size(), {}, arrivalMs);
    return true;
}

void ChannelReceiver::show(QByteArrayView bytes, Layout layout, qint64 arrivalMs)
{
    // Nothing shown still writes a number's separator (below), as always;
    // only shown bytes end an echoed line.
    if (!bytes.isEmpty() && std::exchange(m_echoOpen, false))
        endOpenLine(arrivalMs);
    qsizetype skipped = 0;
    switch (m_modes.format) {
    case ReceiveFormat::Ascii:
        m_pane.append(bytes, arrivalMs);
        emit shown(bytes);
        return;
    case ReceiveFormat::Terminal:
        feedTerminal(bytes, arrivalMs);
        return;
    case ReceiveFormat::Dump:
        if (bytes.isEmpty())
            return;
        if (m_pane.size() != m_dumpEnd)
            m_dump.breakRow(); // other text came after the row, or a clear
        if (!m_pane.isEmpty() && m_pane.size() != m_dumpEnd)
            endOpenLine(arrivalMs);
        m_scratch.resize(0);
        m_dump.append(m_scratch, bytes, LineBreakRule::bytesOf(m_pane.lineBreaks()));
        appendShown(m_scratch, false, arrivalMs);
        m_dumpEnd = m_pane.size();
        return; // a row's text is small: the scratch space stays small
    case ReceiveFormat::Decimal:
        skipped = startPieces(layout);
        if (layout == Layout::Socket)
            ByteText::appendDecimalPieces(m_scratch, bytes, {}, " ");
        else if (layout == Layout::SerialRealTime)
            ByteText::appendDecimalPieces(m_scratch, bytes, "  ", {});
        else
            ByteText::appendDecimalPieces(m_scratch, bytes, " ", {});
        break;
    case ReceiveFormat::Hex:
        skipped = startPieces(layout);
        if (showHexInPlace(bytes, layout == Layout::Socket, skipped, arrivalMs))
            return;
        if (layout == Layout::Socket)
            ByteText::appendHexPieces(m_scratch, bytes, {}, " ");
        else
            ByteText::appendHexPieces(m_scratch, bytes, " ", {});
        break;
    }
    const QByteArrayView text =
        QByteArrayView(m_scratch).sliced(std::min(skipped, m_scratch.size()));
    m_pane.append(text, arrivalMs);
    emit shown(text);
    // A huge flush shouldn't keep its scratch space around.
    if (m_scratch.capacity() > (1 << 20))
        m_scratch = QByteArray();
}

#include "moc_channel_receiver.cpp"
