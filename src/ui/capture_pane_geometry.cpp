// The capture pane's rows at its width: wrapping again after a resize, a
// step at a time; scrolling, sideways too; and cell geometry.
#include "ui/capture_pane.h"

#include "core/pane/pane_text.h"

#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Wrapping lines again after a resize goes on in steps this long.
constexpr int kWrapStepMs = 4;
// The resize itself already walked every line's count: its first step only
// needs to reach the lines in view.
constexpr int kFirstWrapStepMs = 1;

int clampToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, 0, std::numeric_limits<int>::max()));
}

} // namespace

void CapturePane::relayoutForSize()
{
    const bool atBottom = isAtBottom();
    const int usable = viewport()->width() - 2 * kMargin - int(std::ceil(gutterWidth()));
    const int columns =
        std::max({1, int(std::floor(usable / m_glyphs.cellWidth())), m_leastColumns});
    if (columns == m_layout.columns() || !m_model) {
        m_layout.setColumns(columns);
        updateSidewaysRange();
        updateScrollRange(atBottom);
        viewport()->update();
        return;
    }
    // Keep the byte at the top in view while scrolled up.
    const qsizetype topPos = atBottom ? -1 : m_layout.positionAt(*m_model, firstVisibleRow(), 0);
    m_layout.setColumns(columns);
    updateSidewaysRange();
    wrapWaitingLines(atBottom, topPos, kFirstWrapStepMs);
}

void CapturePane::setLeastColumns(int columns)
{
    if (columns == m_leastColumns)
        return;
    m_leastColumns = columns;
    // Only a pane that may be wider than its view has the bar.
    setHorizontalScrollBarPolicy(columns > 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    relayoutForSize();
}

void CapturePane::updateSidewaysRange()
{
    QScrollBar *bar = horizontalScrollBar();
    const qreal wide = 2 * kMargin + gutterWidth() + m_layout.columns() * m_glyphs.cellWidth();
    const int beyond = std::max(0, int(std::ceil(wide)) - viewport()->width());
    bar->setRange(0, m_leastColumns > 0 ? beyond : 0);
    bar->setPageStep(viewport()->width());
    bar->setSingleStep(std::max(1, qRound(m_glyphs.cellWidth())));
}

void CapturePane::continueWrapping()
{
    if (!m_model || !m_layout.isWrapping())
        return;
    const bool atBottom = isAtBottom();
    wrapWaitingLines(atBottom, atBottom ? -1 : m_layout.positionAt(*m_model, firstVisibleRow(), 0),
                     kWrapStepMs);
}

void CapturePane::wrapWaitingLines(bool atBottom, qsizetype topPos, int stepMs)
{
    const auto keepPlace = [&] {
        updateScrollRange(atBottom);
        if (topPos >= 0)
            scrollToRow(m_layout.cellOfPosition(*m_model, topPos).row);
    };
    if (m_layout.isWrapping()) {
        // The lines shown first; the rest a step at a time, so a resize of
        // a pane of gigabytes never stalls the window.
        keepPlace();
        const qint64 first = firstVisibleRow();
        if (m_layout.wrapPending(*m_model, m_layout.lineOfRow(first),
                                 m_layout.lineOfRow(first + visibleRowCount()),
                                 QDeadlineTimer(stepMs)))
            m_wrapTimer.start();
    }
    keepPlace();
    viewport()->update();
}

void CapturePane::updateScrollRange(bool keepBottom)
{
    QScrollBar *bar = verticalScrollBar();
    const int page = visibleRowCount();
    const int maximum = std::max(0, shownRowCount() - page);
    bar->setRange(0, maximum);
    bar->setPageStep(page);
    bar->setSingleStep(1);
    if (keepBottom)
        bar->setValue(maximum);
}

void CapturePane::scrollToRow(qint64 row)
{
    verticalScrollBar()->setValue(clampToInt(row));
}

void CapturePane::scrollToPosition(qsizetype pos)
{
    if (!m_model)
        return;
    const qint64 row = m_layout.cellOfPosition(*m_model, pos).row;
    const int first = firstVisibleRow();
    const int page = visibleRowCount();
    if (row < first)
        scrollToRow(row);
    else if (row >= first + page)
        scrollToRow(row - page + 1);
    // Sideways, when the rows are wider than the view.
    const QRect cell = positionRect(pos);
    QScrollBar *bar = horizontalScrollBar();
    if (cell.left() < kMargin)
        bar->setValue(bar->value() + cell.left() - kMargin);
    else if (cell.right() >= viewport()->width() - kMargin)
        bar->setValue(bar->value() + cell.right() + 1 - viewport()->width() + kMargin);
}

bool CapturePane::isAtBottom() const
{
    return verticalScrollBar()->value() >= verticalScrollBar()->maximum();
}

int CapturePane::firstVisibleRow() const
{
    return verticalScrollBar()->value();
}

int CapturePane::visibleRowCount() const
{
    return std::max(1, viewport()->height() / m_glyphs.lineHeight());
}

int CapturePane::rowCount() const
{
    return clampToInt(m_layout.rowCount());
}

QString CapturePane::rowText(int row) const
{
    QString shown;
    if (!m_model)
        return shown;
    for (const PaneLayout::Cell &cell : m_layout.rowCells(*m_model, row)) {
        const QChar c = PaneLayout::displayChar(uchar(m_model->at(cell.pos)));
        shown.append(QString(cell.width, c));
    }
    return shown;
}

QRect CapturePane::cellRect(int row, int column) const
{
    const int x = qRound(cellX(column));
    const int right = qRound(cellX(column + 1));
    return QRect(x, (row - firstVisibleRow()) * m_glyphs.lineHeight(), right - x,
                 m_glyphs.lineHeight());
}

qsizetype CapturePane::positionAt(const QPoint &viewportPos) const
{
    if (!m_model)
        return 0;
    const qint64 row = qint64(firstVisibleRow()) +
                       qint64(std::floor(qreal(viewportPos.y()) / m_glyphs.lineHeight()));
    const int column = std::max(0, qRound((viewportPos.x() - cellX(0)) / m_glyphs.cellWidth()));
    return m_layout.positionAt(*m_model, row, column);
}

QRect CapturePane::positionRect(qsizetype pos) const
{
    if (!m_model)
        return cellRect(0, 0);
    const PaneLayout::CellPos cell = m_layout.cellOfPosition(*m_model, pos);
    return cellRect(clampToInt(cell.row), cell.column);
}

void CapturePane::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    relayoutForSize();
}

void CapturePane::scrollContentsBy(int, int)
{
    viewport()->update();
}
