// The capture pane's Terminal format screen: shown as the last rows, below
// the text, following every change of the screen (CapturePanePainter paints
// its cells).
#include "ui/capture_pane.h"

#include "core/pane/pane_text.h"
#include "core/pane/terminal_screen.h"

#include <algorithm>

void CapturePane::setTerminal(TerminalScreen *screen)
{
    if (screen == m_terminal)
        return;
    const bool atBottom = isAtBottom();
    if (m_terminal)
        disconnect(m_terminal, nullptr, this, nullptr);
    m_terminal = screen;
    if (screen)
        connect(screen, &TerminalScreen::changed, this, &CapturePane::onTerminalChanged);
    updateScrollRange(atBottom);
    viewport()->update();
}

TerminalScreen *CapturePane::terminal() const
{
    return m_terminal;
}

int CapturePane::historyRowCount() const
{
    const int rows = rowCount();
    if (!m_terminal || !m_model)
        return rows;
    // The text ends with a line break (or is empty): its last line is empty,
    // and the screen's first row stands where it would be.
    const qsizetype lastLine = m_model->lineAt(std::min(m_laidOutSize, m_model->size()));
    const bool endsEmpty = m_model->lineStart(lastLine) >= m_laidOutSize;
    return std::max(0, endsEmpty ? rows - 1 : rows);
}

int CapturePane::shownRowCount() const
{
    return historyRowCount() + (m_terminal ? m_terminal->rows() : 0);
}

void CapturePane::onTerminalChanged()
{
    updateScrollRange(isAtBottom());
    viewport()->update();
}
