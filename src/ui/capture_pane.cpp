// The capture pane's model and its updates, at most once a frame; the
// widget's own events (font, palette, enabled, shortcuts).
#include "ui/capture_pane.h"

#include "core/pane/pane_text.h"
#include "ui/capture_pane_accessible.h"
#include "ui/pane_font.h"
#include "ui/program_message.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QScrollBar>

#include <limits>

namespace {

// At most one relayout and repaint per frame.
constexpr int kFrameMs = 16;
// Text appended past this is laid out as it comes rather than at the next
// frame: a source faster than the layout would otherwise leave a frame's
// worth of megabytes to lay out in one turn of the event loop.
constexpr qsizetype kLayOutAheadBytes = 1 << 20;

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
    // paintEvent() fills all it is asked to paint: no background fill first,
    // once a frame while text floods in.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // Filled with its palette's colour first, the scroll bar counts as
    // opaque: as it moves with each frame of a flood, the widgets behind it
    // need not paint again beneath it.
    verticalScrollBar()->setAutoFillBackground(true);

    m_frameTimer.setSingleShot(true);
    m_frameTimer.setInterval(kFrameMs);
    connect(&m_frameTimer, &QTimer::timeout, this, &CapturePane::flushPendingUpdate);
    m_wrapTimer.setSingleShot(true);
    connect(&m_wrapTimer, &QTimer::timeout, this, &CapturePane::continueWrapping);

    m_glyphs.rebuild(font());
    relayoutForSize();
}

CapturePane::~CapturePane() = default;

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
    // The file is given back; the status line counts what is not shown.
    const QString size = QLocale().formattedDataSize(model() ? model()->memoryCap() : 0, 0,
                                                     QLocale::DataSizeSIFormat);
    showProgramMessage(this,
                       tr("Older text of this pane cannot be moved to a temporary file, so the "
                          "file was removed. The pane keeps up to %1 of text in memory; past "
                          "that it shows no more (recordings keep everything) until Clear or "
                          "until a file can be written again.")
                           .arg(size),
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

void CapturePane::setInactive(bool inactive)
{
    if (inactive == m_inactive)
        return;
    m_inactive = inactive;
    viewport()->update();
}

#include "moc_capture_pane.cpp"
