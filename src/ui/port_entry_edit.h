#pragma once

#include <QLineEdit>

// The editing field of a channel's port box. The box is narrow: an entry
// too long for it (a device path under /dev/serial/by-id) shows shortened
// in the middle with an ellipsis while the field has no focus, and whole
// in the field's tooltip. The text itself is never shortened: editing
// shows and changes all of it.
class PortEntryEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit PortEntryEdit(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Where the text goes: inside the line edit's own margins.
    QRect textArea() const;
    bool fits() const;
    void showWholeInTip();
};
