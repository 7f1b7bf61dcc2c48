// The capture pane's input: keys, mouse and the context menu.
#include "ui/capture_pane.h"

#include "core/pane/pane_text.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

qsizetype CapturePane::moveByRows(qsizetype pos, int rows) const
{
    if (!m_model || m_layout.rowCount() == 0)
        return pos;
    const PaneLayout::CellPos cell = m_layout.cellOfPosition(*m_model, pos);
    const qint64 row = cell.row + rows;
    if (row < 0)
        return 0;
    if (row >= m_layout.rowCount())
        return m_model->size();
    return m_layout.positionAt(*m_model, row, cell.column);
}

bool CapturePane::triggerKeyCommand(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (event->matches(QKeySequence::Find))
        emit findRequested();
    else
        return false;
    event->accept();
    return true;
}

void CapturePane::keyPressEvent(QKeyEvent *event)
{
    if (triggerKeyCommand(event))
        return;
    QScrollBar *bar = verticalScrollBar();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int step = event->key() == Qt::Key_Up ? -1 : 1;
        if (shift) {
            showSelectionChange(
                m_selection.moveCursor(moveByRows(cursorPosition(), step), textSize()));
            scrollToPosition(cursorPosition());
        } else {
            bar->triggerAction(step < 0 ? QAbstractSlider::SliderSingleStepSub
                                        : QAbstractSlider::SliderSingleStepAdd);
        }
        break;
    }
    case Qt::Key_Left:
    case Qt::Key_Right: {
        if (!shift) {
            event->ignore();
            return;
        }
        const bool forward = event->key() == Qt::Key_Right;
        const qsizetype pos =
            m_model ? PaneSelection::step(*m_model, cursorPosition(), forward) : cursorPosition();
        showSelectionChange(m_selection.moveCursor(pos, textSize()));
        scrollToPosition(cursorPosition());
        break;
    }
    case Qt::Key_PageUp:
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Home:
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_End:
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CapturePane::mousePressEvent(QMouseEvent *event)
{
    if (!isEnabled() || !m_model || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const qsizetype pos = positionAt(event->position().toPoint());
    if (event->modifiers() & Qt::ShiftModifier)
        showSelectionChange(m_selection.moveCursor(pos, textSize()));
    else
        showSelectionChange(m_selection.set(pos, pos, textSize()));
    m_selecting = true;
    event->accept();
}

void CapturePane::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_selecting || !isEnabled() || !m_model || !(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    const QPoint point = event->position().toPoint();
    // Dragging past the top or bottom scrolls.
    if (point.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() >= viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    showSelectionChange(m_selection.moveCursor(positionAt(point), textSize()));
    event->accept();
}

void CapturePane::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_selecting || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_selecting = false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection() &&
        m_selection.length() <= clipboardLimit())
        clipboard->setText(QString::fromLatin1(copiedBytes()), QClipboard::Selection);
    event->accept();
}

void CapturePane::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!isEnabled() || !m_model || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // The byte under the pointer, not the nearest boundary.
    const QPoint point = event->position().toPoint();
    const qsizetype pos = positionAt(point - QPoint(qRound(m_glyphs.cellWidth() / 2), 0));
    showSelectionChange(m_selection.selectWordAt(*m_model, pos));
    m_selecting = false;
    event->accept();
}

QMenu *CapturePane::createContextMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    QAction *copyAction = menu->addAction(tr("&Copy"), this, &CapturePane::copy);
    copyAction->setObjectName(QStringLiteral("copyAction"));
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    QAction *selectAllAction = menu->addAction(tr("Select &All"), this, &CapturePane::selectAll);
    selectAllAction->setObjectName(QStringLiteral("selectAllAction"));
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    QAction *findAction = menu->addAction(tr("&Find..."), this, &CapturePane::findRequested);
    findAction->setObjectName(QStringLiteral("findAction"));
    findAction->setShortcut(QKeySequence::Find);
    if (!m_contextActions.isEmpty())
        menu->addSeparator();
    for (QAction *action : std::as_const(m_contextActions))
        if (action)
            menu->addAction(action);
    return menu;
}

void CapturePane::setContextActions(const QList<QAction *> &actions)
{
    m_contextActions.clear();
    for (QAction *action : actions)
        m_contextActions.append(action);
}

void CapturePane::contextMenuEvent(QContextMenuEvent *event)
{
    if (!isEnabled())
        return;
    QMenu *menu = createContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}
