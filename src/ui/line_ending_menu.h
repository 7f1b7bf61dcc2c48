#pragma once

class CaptureSession;
class QMenu;

// The Setup menu's "Enter Sends" entry: for each channel, what its Enter key
// puts on the wire and in the transmit record (CR, LF, CR LF or nothing).
// The choice is the channel's and lasts the whole run.
QMenu *addLineEndingMenu(QMenu *setup, CaptureSession &session);
