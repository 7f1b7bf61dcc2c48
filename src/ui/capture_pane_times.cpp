// The capture pane's line times: the gutter's text beside each line's
// first row, and a tooltip over the gutter with the full date and time.
#include "ui/capture_pane.h"

#include "core/pane/line_time_text.h"
#include "core/pane/pane_text.h"

#include <QHelpEvent>
#include <QToolTip>

void CapturePane::setTimeChoice(const PaneTimeChoice &choice)
{
    const bool newWidth = choice.form != m_times.form;
    m_times = choice;
    if (newWidth)
        relayoutForSize();
    viewport()->update();
}

QString CapturePane::gutterText(int row) const
{
    if (!m_model || m_times.form == LineTimeForm::Off || row < 0 || row >= m_layout.rowCount())
        return {};
    const qsizetype line = m_layout.lineOfRow(row);
    if (m_layout.firstRowOfLine(line) != row)
        return {};
    return LineTimeText::of(*m_model, line, m_times.form);
}

bool CapturePane::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip || !m_model || m_times.form == LineTimeForm::Off)
        return QAbstractScrollArea::viewportEvent(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const qint64 row = qint64(firstVisibleRow()) + help->pos().y() / m_glyphs.lineHeight();
    const bool inGutter = help->pos().x() < cellX(0) && row < rowCount();
    if (!inGutter) {
        QToolTip::hideText();
        return true;
    }
    const qsizetype line = m_layout.lineOfRow(int(row));
    QToolTip::showText(help->globalPos(),
                       LineTimeText::of(*m_model, line, LineTimeForm::WallClock, true).trimmed(),
                       viewport());
    return true;
}
