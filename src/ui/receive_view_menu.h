#pragma once

class CaptureSession;
class QMenu;

// The Setup menu's "Receive View" entry: for each channel, how its receive
// pane shows what it holds: Local Echo (what is sent shows too, marked), New
// Line On (which received bytes end a line) and Dump View (rows of 16 bytes;
// choosing a format option leaves it). Echo and New Line On are the
// channel's and last the whole run; Dump View is its receive format.
QMenu *addReceiveViewMenu(QMenu *setup, CaptureSession &session);
