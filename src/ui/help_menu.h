#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class QAction;
class QMenu;
class QWidget;
class ManualWindow;

// Where the user manual may be, most likely first: the copy installed with
// the program (<prefix>/share/varnokterm/manual/manual.md, so /usr/bin finds
// /usr/share/varnokterm), the system's place, then the source tree's docs/
// for a program run from its build folder. The copy is the program's own,
// not the one under share/doc, which a system may leave out.
QStringList manualCandidates(const QString &programDir);
// The first candidate that exists, or an empty string.
QString findManual(const QStringList &candidates);

// The Help menu: User Manual (F1) opens the manual in the program's own
// window (ui/manual_window.h), or says where it was looked for; Keyboard
// Shortcuts lists the shortcuts of the window's menus as they are set on
// their actions now; About shows the About box through `showAbout`.
class HelpMenu : public QObject
{
    Q_OBJECT

public:
    HelpMenu(QWidget *window, QMenu *menu);

    QAction *aboutEntry() const { return m_about; }
    void openManual();
    void showShortcuts();

private:
    QWidget *m_window;
    QAction *m_about = nullptr;
    QPointer<ManualWindow> m_manual;
};
