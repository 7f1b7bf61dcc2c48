#pragma once

#include <QString>

class Channel;
class Recordings;

// The status line's words for one channel: its state ("Off", with the
// settings of its own if it has them; the device, its settings in use and input lines, "TCP
// host:port", "connecting...", "waiting for" a device or "reconnecting to" a peer), the bytes
// received and sent since it was switched on, and each file recording it with its size:
//     Comm Port 2: /dev/ttyUSB0 9600,n,8,1  CTS=1 DSR=1 DCD=0 RI=0  RX 1,024  TX 12  ● run.log 3.1
//     kB
QString channelStatusText(const Channel &channel, const Recordings &recordings);

// The full paths of the files recording the channel, one per line.
QString channelRecordingPaths(const Channel &channel, const Recordings &recordings);
