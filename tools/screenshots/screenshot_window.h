#pragma once

#include "support/display_fixture.h"
#include "support/pty_pair.h"

#include <QPixmap>
#include <QSize>
#include <QTcpServer>

class QMenu;

// The real main window as the screenshots show it: channel 1 on TCP to a
// peer on 127.0.0.1 (so its IP and Socket fields show), channel 2 on a
// pseudo-terminal in Hex, both panes holding the demo peer's readings.
// Texts come in the language whose translation is installed when it is made.
class ScreenshotWindow
{
public:
    // False, with `why` set, when a channel could not be filled.
    bool fill(QString *why);
    // Channel 2 alone, in the Terminal format, on a pseudo-terminal playing
    // a board's coloured console; false, with `why` set, if it did not show.
    bool fillTerminal(QString *why);
    // One channel's frame as painted.
    QPixmap grabChannel(int number) const;
    void resize(QSize size);
    // The window as painted.
    QPixmap grab() const;
    // The window with one of its menu bar's menus open under its title
    // (a null pixmap if the menu did not open).
    QPixmap grabWithMenu(int menuIndex);
    // The window with a channel's port list dropped down (a null pixmap if
    // it did not open).
    QPixmap grabWithPortList(int channelNumber);

private:
    // The window with `popup`, open over it, drawn where it shows.
    QPixmap composedWith(QWidget *popup) const;

    QTcpServer m_peer; // channel 1's peer; its connection is its child
    PtyPair m_device;
    DisplayFixture m_fixture;
};
