#pragma once

#include "sample_source.h"

#include <QObject>
#include <QTimer>

struct StreamTiming
{
    int lineIntervalMs = 100; // well inside the terminal's default 200 ms time-out
    int linesPerFrame = 30;   // 0: no frames
    int gapMs = 600;          // quiet time after each frame
};

// Paces one client's data: a CR LF line every interval, and after every few
// lines a binary frame followed by a quiet gap, so a time-out sees it on its
// own.
//
// Each line's LF goes out at the start of the next write, so every write of
// a line ends in CR: the bytes are plain CR LF lines, yet a terminal that
// shows data when a batch ends in CR ("After CR") shows each line as it comes.
class SampleStream : public QObject
{
    Q_OBJECT

public:
    SampleStream(const StreamTiming &timing, quint32 seed, QObject *parent = nullptr);

    // The first line comes at once.
    void start();
    void stop();

signals:
    void bytesReady(const QByteArray &bytes);

private:
    void step();
    // "\n" when the last line's LF is still owed, else nothing.
    QByteArray lineFeedDue();

    StreamTiming m_timing;
    SampleSource m_source;
    QTimer m_timer;
    int m_linesSinceFrame = 0;
    bool m_lineFeedDue = false; // the last line's LF has not gone out yet
};
