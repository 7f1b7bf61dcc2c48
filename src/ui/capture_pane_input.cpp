// The capture pane's selection, clipboard and input: keys, mouse and the
// context menu.
#include "ui/capture_pane.h"

#include "core/pane/line_time_text.h"

#include "core/pane/pane_text.h"
#include "core/shown_text.h"
#include "ui/program_message.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSaveFile>
#include <QScrollBar>

#include <algorithm>
#include <limits>

namespace {

// A copy this large would need the selection's size in memory three times
// over (the bytes, then the clipboard's UTF-16 text).
qsizetype &clipboardLimitBytes()
{
    static qsizetype limit = qsizetype(256) << 20;
    return limit;
}

} // namespace

QByteArray CapturePane::selectedBytes() const
{
    return m_model ? m_selection.bytes(*m_model) : QByteArray();
}

void CapturePane::selectAll()
{
    showSelectionChange(m_selection.selectAll(textSize()));
}

void CapturePane::setSelection(qsizetype start, qsizetype end)
{
    showSelectionChange(m_selection.set(start, end, textSize()));
}

void CapturePane::clearSelection()
{
    showSelectionChange(m_selection.collapse(textSize()));
}

void CapturePane::showSelectionChange(bool changed)
{
    if (!changed)
        return;
    viewport()->update();
    emit selectionChanged();
    if (QAccessible::isActive() && textSize() <= std::numeric_limits<int>::max()) {
        QAccessibleTextSelectionEvent event(this, int(selectionStart()), int(selectionEnd()));
        event.setCursorPosition(int(cursorPosition()));
        QAccessible::updateAccessibility(&event);
    }
}

void CapturePane::setClipboardLimit(qsizetype bytes)
{
    clipboardLimitBytes() = bytes;
}

qsizetype CapturePane::clipboardLimit()
{
    return clipboardLimitBytes();
}

void CapturePane::copy()
{
    if (!hasSelection())
        return;
    if (m_selection.length() > clipboardLimit()) {
        offerToSaveSelection();
        return;
    }
    QGuiApplication::clipboard()->setText(QString::fromLatin1(copiedBytes()));
}

void CapturePane::offerToSaveSelection()
{
    const QString size = QLocale().formattedDataSize(m_selection.length());
    auto *box = new QMessageBox(QMessageBox::NoIcon, programTitle(),
                                tr("The selection holds %1, too much for the clipboard.").arg(size),
                                QMessageBox::Save | QMessageBox::Cancel, this);
    box->setObjectName(QStringLiteral("selectionTooLarge"));
    box->setInformativeText(tr("Save the selection to a file instead?"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QMessageBox::buttonClicked, this, [this, box](QAbstractButton *button) {
        if (box->standardButton(button) != QMessageBox::Save)
            return;
        auto *dialog = new QFileDialog(this, tr("Save Selection"));
        dialog->setObjectName(QStringLiteral("saveSelectionDialog"));
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &QFileDialog::fileSelected, this, &CapturePane::saveSelection);
        dialog->open();
    });
    box->open();
}

LineTimeForm CapturePane::copiedTimes() const
{
    return m_times.inCopies ? m_times.form : LineTimeForm::Off;
}

QByteArray CapturePane::copiedBytes() const
{
    if (!m_model || copiedTimes() == LineTimeForm::Off)
        return selectedBytes();
    return LineTimeText::copy(*m_model, m_selection.start(), m_selection.length(), copiedTimes());
}

bool CapturePane::saveSelection(const QString &path)
{
    if (!m_model || !hasSelection())
        return false;
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         (copiedTimes() == LineTimeForm::Off
                              ? m_model->writeTo(file, m_selection.start(), m_selection.length())
                              : LineTimeText::writeTo(*m_model, file, m_selection.start(),
                                                      m_selection.length(), copiedTimes()));
    if (written && file.commit())
        return true;
    showProgramMessage(this, tr("The selection could not be saved to %1.").arg(shownText(path)),
                       file.errorString());
    return false;
}

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

void CapturePane::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Find)) {
        emit findRequested();
        event->accept();
        return;
    }
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
