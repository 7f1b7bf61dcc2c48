// The receive paths: batches from the serial port and the connection, split
// anyhow, with display modes, formats and accumulate modes changing between
// them, ticks, flushes and clears. Every received byte is shown once, in
// order, in the format current when it is shown: checked against a model
// after every step, and the pane's line index against the text.
#include "core/channel_receiver.h"
#include "core/pane/pane_text.h"
#include "fuzz_check.h"

#include <QByteArray>
#include <QCoreApplication>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

enum class Layout
{
    SerialRealTime,
    SerialFlush,
    Socket
};

// The channel as the operator should see it.
struct Model
{
    QByteArray waiting;
    QByteArray pane;
    bool lastFromSocket = false;
    bool timerArmed = false;

    void show(const ChannelModes &modes, Layout layout)
    {
        // Numbers from the connection come with their space after them; one
        // space keeps the first apart from a digit (hex or decimal) already
        // in the pane, so the two can be read back.
        if (layout == Layout::Socket && modes.format != ReceiveFormat::Ascii && !pane.isEmpty() &&
            std::isxdigit(uchar(pane.back())))
            pane += ' ';
        // Serial numbers come with their space before them; after a
        // connection number's own space, one space stays between the two.
        const bool spaced = layout != Layout::Socket && modes.format != ReceiveFormat::Ascii &&
                            pane.size() >= 2 && pane.back() == ' ' &&
                            std::isxdigit(uchar(pane.at(pane.size() - 2)));
        const qsizetype start = pane.size();
        for (const char c : waiting) {
            const uchar byte = uchar(c);
            if (modes.format == ReceiveFormat::Ascii) {
                pane.append(c);
            } else if (modes.format == ReceiveFormat::Decimal) {
                const QByteArray number = QByteArray::number(byte);
                if (layout == Layout::Socket)
                    pane += number + ' ';
                else if (layout == Layout::SerialRealTime)
                    pane += "  " + number;
                else
                    pane += ' ' + number;
            } else { // any other format word reads as Hex
                const QByteArray number =
                    QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
                pane += layout == Layout::Socket ? number + ' ' : ' ' + number;
            }
        }
        if (spaced && pane.size() > start)
            pane.remove(start, 1);
        waiting.clear();
    }
    void flush(const ChannelModes &modes, const ChannelModule &module, Layout layout)
    {
        if (module.addTo != AccumulateMode::AddOn)
            pane.clear();
        show(modes, layout);
    }
    void receive(const ChannelModes &modes, const ChannelModule &module, QByteArrayView batch,
                 bool socket)
    {
        lastFromSocket = socket;
        waiting += batch;
        if (modes.display == DisplayMode::RealTime)
            show(modes, socket ? Layout::Socket : Layout::SerialRealTime);
        else if (modes.display == DisplayMode::TimeOut)
            timerArmed = true; // each batch starts the quiet period again
        else if (modes.display != DisplayMode::TimeOut && waiting.endsWith('\r'))
            flush(modes, module, socket ? Layout::Socket : Layout::SerialFlush);
    }
};

// The pane's lines, found afresh: CR LF, LF and CR each end one.
void checkLines(const PaneText &pane)
{
    const QByteArray &text = pane.text();
    QList<qsizetype> starts{0};
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        if (text[i] == '\r' || text[i] == '\n')
            starts.append(i + 1);
    }
    check(pane.lineCount() == starts.size(), "line count");
    for (qsizetype line = 0; line < starts.size(); ++line) {
        check(pane.lineStart(line) == starts.at(line), "line start");
        check(pane.lineAt(starts.at(line)) == line, "line at a line start");
        const qsizetype end = pane.lineEnd(line);
        check(end >= starts.at(line) && end <= text.size(), "line end out of the text");
        if (line + 1 < starts.size())
            check(text[end] == '\r' || text[end] == '\n', "line end is no line break");
    }
}

class Reader
{
public:
    Reader(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    {}
    bool atEnd() const { return m_pos >= m_size; }
    uint8_t byte() { return atEnd() ? 0 : m_data[m_pos++]; }
    QByteArrayView bytes(size_t count)
    {
        count = std::min(count, m_size - m_pos);
        const QByteArrayView view(m_data + m_pos, qsizetype(count));
        m_pos += count;
        return view;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The receiver's time-out timer wants an application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    g_input = QByteArrayView(data, qsizetype(size));
    static const DisplayMode displays[] = {DisplayMode::RealTime, DisplayMode::TimeOut,
                                           DisplayMode::AfterCr};
    static const ReceiveFormat formats[] = {ReceiveFormat::Ascii, ReceiveFormat::Hex,
                                            ReceiveFormat::Decimal};

    ChannelModes modes;
    modes.setLoadDefaults();
    ChannelModule module;
    module.intTimeOut = 200;
    module.addTo = AccumulateMode::AddOn;
    PaneText pane;
    Model model;
    {
        ChannelReceiver receiver(modes, module, pane);
        Reader in(data, size);
        while (!in.atEnd()) {
            const uint8_t op = in.byte();
            switch (op % 8) {
            case 0:
            case 1: {
                const QByteArrayView batch = in.bytes(in.byte() % 64);
                model.receive(modes, module, batch, op % 8 == 1);
                if (op % 8 == 1)
                    receiver.receiveSocket(batch);
                else
                    receiver.receiveSerial(batch);
                break;
            }
            case 2:
                receiver.tick();
                model.timerArmed = false;
                if (!model.waiting.isEmpty())
                    model.flush(modes, module, Layout::SerialFlush);
                break;
            case 3: {
                receiver.flushPending();
                const bool socketAfterCr = model.lastFromSocket &&
                                           modes.display != DisplayMode::RealTime &&
                                           modes.display != DisplayMode::TimeOut;
                if (!model.waiting.isEmpty())
                    model.flush(modes, module,
                                socketAfterCr ? Layout::Socket : Layout::SerialFlush);
                break;
            }
            case 4:
                receiver.clearReceived();
                model.waiting.clear();
                model.pane.clear();
                break;
            case 5:
                modes.display = displays[in.byte() % 3];
                break;
            case 6:
                modes.format = formats[in.byte() % 3];
                break;
            case 7:
                module.addTo = (in.byte() & 1) ? AccumulateMode::AddOn : AccumulateMode::ClearFirst;
                module.intTimeOut = qint16(in.byte() << 8 | in.byte());
                break;
            }
            check(receiver.pending() == model.waiting, "waiting data differs from the model");
            check(pane.text() == model.pane, "pane differs from the model");
            // Armed by a batch in "Time Out" until it ticks, whatever the mode
            // changes to meanwhile.
            check(receiver.timer().isActive() == model.timerArmed, "time-out timer state");
        }
    }
    checkLines(pane);
    return 0;
}
