#include "ui/capture_pane_accessible.h"

#include "core/pane/pane_text.h"
#include "ui/capture_pane.h"

#include <algorithm>
#include <limits>

namespace {

QAccessibleInterface *capturePaneFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String("CapturePane"))
        return nullptr;
    if (auto *pane = qobject_cast<CapturePane *>(object))
        return new CapturePaneAccessible(pane);
    return nullptr;
}

int toOffset(qsizetype pos)
{
    return int(std::min<qsizetype>(pos, std::numeric_limits<int>::max()));
}

} // namespace

void installCapturePaneAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(capturePaneFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

CapturePaneAccessible::CapturePaneAccessible(CapturePane *pane)
    : QAccessibleWidget(pane, QAccessible::EditableText)
{}

CapturePane *CapturePaneAccessible::pane() const
{
    return static_cast<CapturePane *>(widget());
}

void *CapturePaneAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State CapturePaneAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.editable = false;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

QString CapturePaneAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value)
        return text(0, characterCount());
    return QAccessibleWidget::text(type);
}

void CapturePaneAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !pane()->hasSelection())
        return;
    *startOffset = toOffset(pane()->selectionStart());
    *endOffset = toOffset(pane()->selectionEnd());
}

int CapturePaneAccessible::selectionCount() const
{
    return pane()->hasSelection() ? 1 : 0;
}

void CapturePaneAccessible::addSelection(int startOffset, int endOffset)
{
    pane()->setSelection(startOffset, endOffset);
}

void CapturePaneAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        pane()->clearSelection();
}

void CapturePaneAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        pane()->setSelection(startOffset, endOffset);
}

int CapturePaneAccessible::cursorPosition() const
{
    return toOffset(pane()->cursorPosition());
}

void CapturePaneAccessible::setCursorPosition(int position)
{
    pane()->setSelection(position, position);
}

QString CapturePaneAccessible::text(int startOffset, int endOffset) const
{
    const PaneText *model = pane()->model();
    if (!model)
        return {};
    const qsizetype start = std::clamp<qsizetype>(startOffset, 0, model->size());
    const qsizetype end = std::clamp<qsizetype>(endOffset, start, model->size());
    return QString::fromLatin1(model->copy(start, end - start));
}

int CapturePaneAccessible::characterCount() const
{
    const PaneText *model = pane()->model();
    return model ? toOffset(model->size()) : 0;
}

QRect CapturePaneAccessible::characterRect(int offset) const
{
    const QRect rect = pane()->positionRect(offset);
    return QRect(pane()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int CapturePaneAccessible::offsetAtPoint(const QPoint &point) const
{
    return toOffset(pane()->positionAt(pane()->viewport()->mapFromGlobal(point)));
}

void CapturePaneAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    pane()->scrollToPosition(endIndex);
    pane()->scrollToPosition(startIndex);
}

QString CapturePaneAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    // One plain run: the pane has no formatting.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}
