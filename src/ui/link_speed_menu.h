#pragma once

#include <QObject>
#include <QString>

class Channel;
class QAction;
class QActionGroup;
class QMenu;
class QWidget;

// Link > Comm Port N > Speed: common speeds and "Other..." (any whole
// number the device takes) for the port in use, changed in place while it
// stays open (Channel::changeSettings): parity, data and stop bits are kept.
// The entry of the speed in use is checked. Enabled while the channel is on
// a serial device, local or behind an RFC 2217 server; a refusal is told in
// a message and the port keeps its speed.
class LinkSpeedMenu : public QObject
{
    Q_OBJECT

public:
    // The menu is a child of `owner` (the channel's view); questions and
    // messages stand over its window.
    LinkSpeedMenu(Channel &channel, QWidget *owner);

    QMenu *menu() const { return m_menu; }
    // Changes the speed as the entries do; true when the port took it.
    bool chooseSpeed(qint32 speed);
    // Shows the speed in use and whether the channel can change it now.
    void showState();

private:
    void askForOtherSpeed();

    Channel &m_channel;
    QWidget *m_owner;
    QMenu *m_menu;
    QActionGroup *m_speeds;
    QAction *m_other;
};
