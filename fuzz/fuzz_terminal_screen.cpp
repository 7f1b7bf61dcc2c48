// The Terminal format's screen: whatever a device sends, split anywhere,
// gives the same screen, the same scrolled-off lines and the same answers
// as when it comes whole; no line or row is wider than the screen; the
// cursor stays on it; and lines kept in a pane (ChannelReceiver) hold as
// many characters as the lines that scrolled off, with a style for each.
//
// Input: one byte of piece size (1-64), then the device's bytes.
#include "core/channel_receiver.h"
#include "core/pane/pane_text.h"
#include "core/pane/terminal_screen.h"
#include "fuzz_check.h"

#include <QList>

#include <cstdint>

namespace {

struct TerminalRecord
{
    QList<TerminalLine> lines;
    QByteArray answers;
};

void recordTerminal(TerminalScreen &screen, TerminalRecord &record)
{
    QObject::connect(&screen, &TerminalScreen::scrolledOff,
                     [&record](const TerminalLine &line) { record.lines.append(line); });
    QObject::connect(&screen, &TerminalScreen::answered,
                     [&record](const QByteArray &bytes) { record.answers.append(bytes); });
}

bool sameLines(const QList<TerminalLine> &a, const QList<TerminalLine> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].text != b[i].text || a[i].runs.size() != b[i].runs.size())
            return false;
        for (qsizetype r = 0; r < a[i].runs.size(); ++r)
            if (a[i].runs[r].from != b[i].runs[r].from ||
                !(a[i].runs[r].style == b[i].runs[r].style))
                return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    g_input = QByteArrayView(data, qsizetype(size));
    if (size < 1)
        return 0;
    const qsizetype piece = 1 + data[0] % 64;
    const QByteArrayView bytes = g_input.sliced(1);

    TerminalScreen whole;
    TerminalRecord wholeRecord;
    recordTerminal(whole, wholeRecord);
    whole.feed(bytes);

    TerminalScreen split;
    TerminalRecord splitRecord;
    recordTerminal(split, splitRecord);
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        split.feed(bytes.sliced(at, std::min(piece, bytes.size() - at)));

    check(sameLines(wholeRecord.lines, splitRecord.lines), "scrolled-off lines differ when split");
    check(wholeRecord.answers == splitRecord.answers, "answers differ when split");
    for (int row = 0; row < whole.rows(); ++row) {
        check(whole.rowText(row) == split.rowText(row), "screen rows differ when split");
        check(whole.line(row).text.size() <= size_t(whole.columns()), "row wider than the screen");
    }
    check(whole.cursorRow() == split.cursorRow() && whole.cursorColumn() == split.cursorColumn(),
          "cursor differs when split");
    check(whole.cursorRow() >= 0 && whole.cursorRow() < whole.rows() && whole.cursorColumn() >= 0 &&
              whole.cursorColumn() <= whole.columns(),
          "cursor off the screen");
    for (const TerminalLine &line : wholeRecord.lines) {
        check(line.text.size() <= size_t(whole.columns()),
              "scrolled-off line wider than the screen");
        for (qsizetype r = 0; r < line.runs.size(); ++r)
            check(line.runs[r].from >= 0 && size_t(line.runs[r].from) < line.text.size() &&
                      (r == 0 || line.runs[r].from > line.runs[r - 1].from),
                  "a run outside its line or out of order");
    }

    // Into a pane: one byte per character, one line per line.
    ChannelModes modes;
    modes.format = ReceiveFormat::Terminal;
    ChannelModule module;
    PaneText pane;
    ChannelReceiver receiver(modes, module, pane);
    receiver.receiveSerial(bytes);
    qsizetype expected = 0;
    for (const TerminalLine &line : wholeRecord.lines)
        expected += qsizetype(line.text.size()) + 1; // and its line break
    check(pane.size() == expected, "the pane's text is not the scrolled-off lines");
    return 0;
}
