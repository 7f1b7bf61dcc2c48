#pragma once

#include <QObject>
#include <QStringList>

class QAction;
class QMenu;
class QWidget;

// Where the user manual may be, most likely first: beside an installed
// program (<prefix>/share/doc/varnokterm/manual.md, so /usr/bin finds
// /usr/share/doc), the system's place, then the source tree's docs/ for a
// program run from its build folder.
QStringList manualCandidates(const QString &programDir);
// The first candidate that exists, or an empty string.
QString findManual(const QStringList &candidates);

// The Help menu: User Manual (F1) opens the manual with the desktop's viewer
// for it, or says where it was looked for when there is none; Keyboard
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
};
