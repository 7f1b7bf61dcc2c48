#pragma once

#include <QAccessibleWidget>

class CapturePane;

// Lets screen readers read a capture pane: its text is the received bytes
// as Latin-1 characters, read-only and selectable.
class CapturePaneAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit CapturePaneAccessible(CapturePane *pane);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text type) const override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

private:
    CapturePane *pane() const;
};

// Registers the factory above with QAccessible (once per process).
void installCapturePaneAccessibleFactory();
