// The capture pane's painting: which rows are in view, handed to a
// CapturePanePainter in the colours of the pane's state.
#include "ui/capture_pane.h"

#include "core/pane/line_time_text.h"
#include "core/pane/pane_text.h"
#include "core/pane/terminal_screen.h"
#include "ui/capture_pane_painter.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

qreal CapturePane::cellX(int column) const
{
    return kMargin + gutterWidth() + column * m_glyphs.cellWidth() - horizontalScrollBar()->value();
}

qreal CapturePane::gutterWidth() const
{
    const int characters = LineTimeText::width(m_times.form);
    // One blank cell between the times and the text.
    return characters == 0 ? 0 : (characters + 1) * m_glyphs.cellWidth();
}

void CapturePane::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QPalette::ColorGroup group = !isEnabled() || m_inactive ? QPalette::Disabled
                                       : isActiveWindow()         ? QPalette::Active
                                                                  : QPalette::Inactive;
    const auto colors = CapturePanePainter::Colors::of(palette(), group);
    painter.fillRect(event->rect(), colors.base);
    if (!m_model || (m_layout.rowCount() == 0 && !m_terminal))
        return;
    painter.setFont(font());
    CapturePanePainter rows(painter, m_glyphs, colors,
                            {*m_model, m_layout, selectionStart(), selectionEnd()}, cellX(0),
                            gutterWidth());
    const int historyRows = historyRowCount();
    const int first = firstVisibleRow();
    const int top = event->rect().top() / m_glyphs.lineHeight();
    const int bottom = event->rect().bottom() / m_glyphs.lineHeight();
    for (int i = top; i <= bottom; ++i) {
        const qint64 row = qint64(first) + i;
        const int y = i * m_glyphs.lineHeight();
        if (m_terminal && row >= historyRows) {
            if (row - historyRows < m_terminal->rows())
                rows.addScreenRow(*m_terminal, int(row - historyRows), y);
            continue;
        }
        if (row >= m_layout.rowCount())
            break;
        if (const QString time = gutterText(int(row)); !time.isEmpty())
            rows.addTime(y, time);
        rows.addTextRow(row, y);
    }
    rows.finish();
}
