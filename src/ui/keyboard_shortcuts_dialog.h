#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QAction;
class QMenuBar;

// One shortcut of the window: where its command is ("File > Print") and
// its keys in the form the operator reads ("Ctrl+P").
struct ShortcutRow
{
    QString command;
    QString keys;

    bool operator==(const ShortcutRow &) const = default;
};

// Every action under the menu bar that carries a shortcut, in menu order,
// with the menu path as shown (mnemonic marks removed). Read from the
// actions themselves, so the list follows any change to them.
QList<ShortcutRow> shortcutRows(const QMenuBar *menuBar);
// The same for the actions of one place, their commands read "place > ...".
QList<ShortcutRow> shortcutRows(const QString &place, const QList<QAction *> &actions);

// A small window listing shortcut rows in a two-column table; Close or
// Escape closes it.
class KeyboardShortcutsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit KeyboardShortcutsDialog(const QList<ShortcutRow> &rows, QWidget *parent = nullptr);
};
