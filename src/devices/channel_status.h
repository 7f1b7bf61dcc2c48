#pragma once

#include <QString>

class Channel;
class Recordings;

// The status line's words for one channel: its state ("Off", the device and
// its settings, "TCP host:port", "connecting..."), the bytes received and
// sent since it was switched on, and each file recording it with its size:
//     Comm Port 2: /dev/ttyUSB0 9600,n,8,1  RX 1,024  TX 12  ● run.log 3.1 kB
QString channelStatusText(const Channel &channel, const Recordings &recordings);

// The full paths of the files recording the channel, one per line.
QString channelRecordingPaths(const Channel &channel, const Recordings &recordings);
