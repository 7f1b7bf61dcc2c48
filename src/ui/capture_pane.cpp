// The capture pane's model and its updates, at most once a frame; wrapping
// again after a resize, a step at a time; scrolling and cell geometry.
#include "ui/capture_pane.h"

#include "core/pane_text.h"
#include "ui/capture_pane_accessible.h"
#include "ui/pane_font.h"
#include "ui/program_message.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// At most one relayout and repaint per frame.
constexpr int kFrameMs = 16;
// Wrapping lines again after a resize goes on in steps this long.
constexpr int kWrapStepMs = 4;
// The resize itself already walked every line's count: its first step only
// needs to reach the lines in view.
constexpr int kFirstWrapStepMs = 1;
// Text appended past this is laid out as it comes rather than at the next
// frame: a source faster than the layout would otherwise leave a frame's
// worth of megabytes to lay out in one turn of the event loop.
constexpr qsizetype kLayOutAheadBytes = 1 << 20;

int clampToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, 0, std::numeric_limits<int>::max()));
}

} // namespace

CapturePane::CapturePane(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    installCapturePaneAccessibleFactory();
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Always there, so wrapping never makes the bar come and go.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    setFont(paneFont());
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);

    m_frameTimer.setSingleShot(true);
    m_frameTimer.setInterval(kFrameMs);
    connect(&m_frameTimer, &QTimer::timeout, this, &CapturePane::flushPendingUpdate);
    m_wrapTimer.setSingleShot(true);
    connect(&m_wrapTimer, &QTimer::timeout, this, &CapturePane::continueWrapping);

    m_glyphs.rebuild(font());
    relayoutForSize();
}

CapturePane::~CapturePane() = default;

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

void CapturePane::setModel(PaneText *model)
{
    if (m_model == model)
        return;
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    m_frameTimer.stop();
    m_appendPending = false;
    m_resetPending = false;
    const bool hadSelection = m_selection.reset();
    m_selecting = false;
    if (model) {
        connect(model, &PaneText::appended, this, &CapturePane::onAppended);
        connect(model, &PaneText::reset, this, &CapturePane::onReset);
        connect(model, &QObject::destroyed, this, &CapturePane::onModelDestroyed);
        connect(model, &PaneText::spillFailed, this, &CapturePane::onSpillFailed);
        m_layout.rebuild(*model);
        model->releaseReadPages(0, model->size());
    } else {
        m_layout.clear();
    }
    m_shownSize = textSize();
    m_laidOutSize = m_shownSize;
    updateScrollRange(true);
    viewport()->update();
    if (hadSelection)
        emit selectionChanged();
}

PaneText *CapturePane::model() const
{
    return m_model.data();
}

qsizetype CapturePane::textSize() const
{
    return m_model ? m_model->size() : 0;
}

void CapturePane::onAppended()
{
    m_appendPending = true;
    if (!m_resetPending && m_model && m_model->size() - m_laidOutSize > kLayOutAheadBytes)
        layOutAppended();
    scheduleUpdate();
}

void CapturePane::layOutAppended()
{
    m_layout.append(*m_model);
    // Laying out read the new text once; what of it had already gone to the
    // spill file need not stay in memory.
    m_model->releaseReadPages(m_laidOutSize, m_model->size() - m_laidOutSize);
    m_laidOutSize = m_model->size();
}

void CapturePane::onReset()
{
    // The laid-out rows no longer match the text: drop them now, lay out anew
    // at the next frame.
    if (!m_resetPending)
        m_resetToBottom = isAtBottom();
    m_layout.clear();
    m_resetPending = true;
    m_selecting = false;
    if (m_selection.reset())
        emit selectionChanged();
    scheduleUpdate();
}

void CapturePane::onModelDestroyed()
{
    m_frameTimer.stop();
    m_appendPending = false;
    m_resetPending = false;
    m_layout.clear();
    m_shownSize = 0;
    m_laidOutSize = 0;
    const bool hadSelection = m_selection.reset();
    m_selecting = false;
    updateScrollRange(true);
    viewport()->update();
    if (hadSelection)
        emit selectionChanged();
}

void CapturePane::onSpillFailed(const QString &reason)
{
    showProgramMessage(this,
                       tr("Older text of this pane cannot be moved to a temporary file. The "
                          "pane keeps all of its text in memory."),
                       reason);
}

void CapturePane::scheduleUpdate()
{
    if (!m_frameTimer.isActive())
        m_frameTimer.start();
}

void CapturePane::flushPendingUpdate()
{
    m_frameTimer.stop();
    if (!m_appendPending && !m_resetPending)
        return;
    const bool reset = m_resetPending;
    const bool wasAtBottom = isAtBottom();
    m_appendPending = false;
    m_resetPending = false;
    if (!m_model)
        return;

    if (reset) {
        m_layout.rebuild(*m_model);
        m_model->releaseReadPages(0, m_model->size());
        m_laidOutSize = m_model->size();
        updateScrollRange(false);
        verticalScrollBar()->setValue(m_resetToBottom ? verticalScrollBar()->maximum() : 0);
        m_shownSize = m_model->size();
        if (QAccessible::isActive()) {
            QAccessibleEvent event(this, QAccessible::VisibleDataChanged);
            QAccessible::updateAccessibility(&event);
        }
    } else {
        layOutAppended();
        updateScrollRange(wasAtBottom);
        notifyInserted(m_shownSize);
        m_shownSize = m_model->size();
    }
    viewport()->update();
}

void CapturePane::notifyInserted(qsizetype from)
{
    if (!QAccessible::isActive() || !m_model || from >= m_model->size() ||
        m_model->size() > std::numeric_limits<int>::max())
        return;
    QAccessibleTextInsertEvent event(this, int(from), QString::fromLatin1(m_model->copy(from)));
    QAccessible::updateAccessibility(&event);
}

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
    const int maximum = std::max(0, rowCount() - page);
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

bool CapturePane::event(QEvent *event)
{
    // Keep Copy and Select All for the pane while it has the focus, even if
    // a window shortcut uses the same keys.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void CapturePane::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
        m_glyphs.rebuild(font());
        relayoutForSize();
        break;
    case QEvent::EnabledChange:
        m_selecting = false;
        viewport()->update();
        break;
    case QEvent::PaletteChange:
    case QEvent::ActivationChange:
        viewport()->update();
        break;
    default:
        break;
    }
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

void CapturePane::setInactive(bool inactive)
{
    if (inactive == m_inactive)
        return;
    m_inactive = inactive;
    viewport()->update();
}
