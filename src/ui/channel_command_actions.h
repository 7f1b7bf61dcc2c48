#pragma once

#include <QObject>

class Channel;
class QAction;
class QMenu;
class QWidget;

// The entries of one channel that the window's command menus list while its
// view is there: Capture's "Record Comm Port N..." (checked while that
// recording runs) and "Save Comm Port N Pane As...", File's "Send File to
// Comm Port N..." and "Receive File from Comm Port N...", Setup > Send
// Buttons > "Comm Port N..." with the pane's "Send Buttons...", and Setup >
// Enter Sends > "Comm Port N". Made by the channel's view and owned by it;
// the menu that lists an entry connects it to its command, so the entries
// leave the menus with the view. Names and texts are the same whichever view
// made them.
class ChannelCommandActions : public QObject
{
public:
    ChannelCommandActions(Channel &channel, QWidget *view);

    QAction *record() const { return m_record; }
    QAction *savePane() const { return m_savePane; }
    QAction *sendFile() const { return m_sendFile; }
    QAction *receiveFile() const { return m_receiveFile; }
    // The pane's entry, and Setup > Send Buttons' item, which triggers it.
    QAction *sendButtons() const { return m_sendButtons; }
    QAction *sendButtonsItem() const { return m_sendButtonsItem; }
    QMenu *enterSendsPart() const { return m_enterSendsPart; }

private:
    QAction *m_record;
    QAction *m_savePane;
    QAction *m_sendFile;
    QAction *m_receiveFile;
    QAction *m_sendButtons;
    QAction *m_sendButtonsItem;
    QMenu *m_enterSendsPart;
};
