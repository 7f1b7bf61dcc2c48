#include "channels/channel_receiver.h"

#include "channels/byte_text.h"
#include "channels/pane_text.h"

ChannelReceiver::ChannelReceiver(const ChannelModes &modes, ChannelModule &module,
                                 PaneText &pane, QObject *parent)
    : QObject(parent)
    , m_modes(modes)
    , m_module(module)
    , m_pane(pane)
{
    m_timer.setSingleShot(true); // ticks once per quiet period
    m_timer.setInterval(3000);
    connect(&m_timer, &QTimer::timeout, this, &ChannelReceiver::tick);
}

void ChannelReceiver::receiveSerial(QByteArrayView batch) { receive(batch, Source::Serial); }

void ChannelReceiver::receiveSocket(QByteArrayView batch) { receive(batch, Source::Socket); }

void ChannelReceiver::receive(QByteArrayView batch, Source source)
{
    m_lastSource = source;
    m_module.strBuffer.append(batch);
    switch (displayModeOf(m_modes.strDisp)) {
    case DisplayMode::RealTime:
        showBuffer(source == Source::Socket ? Layout::Socket : Layout::SerialRealTime);
        break;
    case DisplayMode::TimeOut:
        // Restart the quiet period. A time-out of 0 shows the data as soon as
        // the event loop is idle; a negative one can't be waited for.
        m_timer.start(qMax<int>(0, m_module.intTimeOut));
        break;
    case DisplayMode::AfterCr:
        if (m_module.strBuffer.endsWith('\r'))
            flushBuffer(source == Source::Socket ? Layout::Socket : Layout::SerialFlush);
        break;
    }
}

void ChannelReceiver::tick()
{
    m_timer.stop();
    if (m_module.strBuffer.isEmpty())
        return; // an empty flush must not clear what the pane shows meanwhile
    flushBuffer(Layout::SerialFlush);
}

void ChannelReceiver::flushPending()
{
    if (m_module.strBuffer.isEmpty())
        return;
    const bool socketAfterCr = m_lastSource == Source::Socket
                               && displayModeOf(m_modes.strDisp) == DisplayMode::AfterCr;
    flushBuffer(socketAfterCr ? Layout::Socket : Layout::SerialFlush);
}

void ChannelReceiver::clearReceived()
{
    m_pane.clear();
    m_module.strBuffer.clear();
}

void ChannelReceiver::flushBuffer(Layout layout)
{
    if (!keepsPaneText(m_module.strAddTo))
        m_pane.clear();
    showBuffer(layout);
}

void ChannelReceiver::showBuffer(Layout layout)
{
    QByteArray &buffer = m_module.strBuffer;
    switch (receiveFormatOf(m_modes.strFormat)) {
    case ReceiveFormat::Ascii:
        m_pane.append(buffer);
        break;
    case ReceiveFormat::Decimal:
        m_scratch.clear();
        if (layout == Layout::Socket)
            ByteText::appendDecimalPieces(m_scratch, buffer, {}, " ");
        else if (layout == Layout::SerialRealTime)
            ByteText::appendDecimalPieces(m_scratch, buffer, "  ", {});
        else
            ByteText::appendDecimalPieces(m_scratch, buffer, " ", {});
        m_pane.append(m_scratch);
        break;
    case ReceiveFormat::Hex:
        m_scratch.clear();
        if (layout == Layout::Socket)
            ByteText::appendHexPieces(m_scratch, buffer, {}, " ");
        else
            ByteText::appendHexPieces(m_scratch, buffer, " ", {});
        m_pane.append(m_scratch);
        break;
    }
    buffer.clear();
    // A huge capture shouldn't keep its scratch space around.
    if (m_scratch.capacity() > (1 << 20))
        m_scratch = QByteArray();
}
