#pragma once

class Channel;
class QMenu;
class QWidget;

// The Setup menu's "Enter Sends" entry: for each channel, what its Enter key
// puts on the wire and in the transmit record (CR, LF, CR LF or nothing).
// The choice is the channel's and lasts the whole run. The entry is made
// empty; each channel's view lists its own part in it.
QMenu *addLineEndingMenu(QMenu *setup);
// A channel's part of it, "Comm Port N", a child of `owner` (the view).
QMenu *makeEnterSendsPart(Channel &channel, QWidget *owner);
