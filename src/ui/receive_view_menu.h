#pragma once

class Channel;
class QMenu;
class QWidget;

// The Setup menu's "Receive View" entry: for each channel, how its receive
// pane shows what it holds: Local Echo (what is sent shows too, marked), New
// Line On (which received bytes end a line) and Dump View (rows of 16 bytes;
// choosing a format option leaves it). Echo and New Line On are the
// channel's and last the whole run; Dump View is its receive format.
// The entry is made empty; each channel's view lists its own part in it.
QMenu *addReceiveViewMenu(QMenu *setup);
// A channel's part of it, "Comm Port N", a child of `owner` (the view).
QMenu *makeReceiveViewPart(Channel &channel, QWidget *owner);
