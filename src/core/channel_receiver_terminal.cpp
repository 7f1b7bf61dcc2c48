// The channel receiver's Terminal format: bytes fed to the screen, and the
// lines that scroll off its top kept in the pane as its history, with their
// looks, a batch's lines in one append.
#include "core/channel_receiver.h"

#include "core/line_break_rule.h"
#include "core/pane/pane_text.h"
#include "core/receive_tuning.h"

void ChannelReceiver::feedTerminal(QByteArrayView bytes, qint64 arrivalMs)
{
    m_terminalArrivalMs = arrivalMs;
    m_terminal.feed(bytes);
    showTerminalLines(); // a feed that changed nothing shown says nothing
}

void ChannelReceiver::keepTerminalLine(const TerminalLine &line)
{
    if (m_terminalLines.isEmpty())
        endOpenLine(m_terminalArrivalMs); // text of another format before it
    const qsizetype offset = m_terminalLines.size();
    const qsizetype start = m_pane.size() + offset;
    PaneStyles &styles = m_pane.styles();
    for (const TerminalRun &run : line.runs)
        styles.setStyleFrom(start + run.from, run.style);
    // Written in place: the bytes of a flood pass through here one by one.
    const size_t length = line.text.size();
    const char32_t *text = line.text.data();
    m_terminalLines.resize(offset + qsizetype(length));
    char *out = m_terminalLines.data() + offset;
    // Two plain loops the compiler turns into vector code: a line of
    // Latin-1 (nearly every one) is narrowed without a test per character.
    char32_t widest = 0;
    for (size_t i = 0; i < length; ++i)
        widest |= text[i];
    if (widest < 0x100) {
        for (size_t i = 0; i < length; ++i)
            out[i] = char(text[i]);
    } else {
        for (size_t i = 0; i < length; ++i) {
            const char32_t character = text[i];
            if (character < 0x100) {
                out[i] = char(character);
            } else {
                // The pane holds a byte per character: a stand-in, with the
                // character itself beside it for the view.
                styles.setCharacter(start + qsizetype(i), character);
                out[i] = '?';
            }
        }
    }
    if (!line.runs.isEmpty())
        styles.setStyleFrom(start + qsizetype(line.text.size()), TerminalStyle());
    m_terminalLines.append(LineBreakRule::bytesOf(m_pane.lineBreaks()));
    if (!receiveTuning().gatherTerminalLines)
        showTerminalLines();
}

void ChannelReceiver::showTerminalLines()
{
    if (m_terminalLines.isEmpty())
        return;
    appendShown(m_terminalLines, false, m_terminalArrivalMs);
    m_terminalLines.resize(0); // keeps its capacity for the next batch
    // A huge batch shouldn't keep its space around.
    if (m_terminalLines.capacity() > (1 << 20))
        m_terminalLines = QByteArray();
}

void ChannelReceiver::keepTerminalScreen()
{
    const int used = m_terminal.usedRows();
    for (int row = 0; row < used; ++row)
        keepTerminalLine(m_terminal.line(row));
    showTerminalLines();
    m_terminal.reset();
}
