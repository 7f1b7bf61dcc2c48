#pragma once

#include "core/channel_state.h"
#include "core/log/log_entry.h"
#include "core/log/log_reader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class Channel;

// What to replay, and how.
struct ReplayRequest
{
    enum class Into
    {
        Pane,  // through the channel's receive path, as if received
        Device // sent out of the channel, like a sent file
    };
    QString path; // a raw recording (.bin) or a timestamped log (.log)
    Into into = Into::Pane;
    bool fastest = false;           // else: a log at its recorded pace, raw at the rate
    qint64 rawBytesPerSecond = 960; // a raw recording's pace (9600 baud)
    ReceiveFormat logFormat = ReceiveFormat::Ascii; // how the log's bytes are written
    int logChannel = 0; // the channel whose lines a log plays; 0: every channel's
};

// Plays a recording back on one channel, one replay at a time: the bytes a
// raw recording holds at a chosen rate, or the received lines ('<') of a
// timestamped log (of every channel, or of one) at their recorded pace
// (each line when its time comes, measured from the first line), or either
// as fast as the channel takes them. A log's times are followed only
// forward and only by up to a day: a line stamped earlier than the one
// before, or more than a day later, plays right after it (the latter
// noted()), and the pace goes on from there.
//
// A file is read a piece at a time, so neither its size nor the window's
// thread, where the replay runs, is held by it; a log line that does not
// read stops the replay there, naming the line. Only a regular file is
// read (named_file.h). Into the pane, the bytes go where received bytes go (the pane with
// every view, recordings, scripts' expects); out of the channel, they are
// sent as untyped bytes and wait while the transmit queue is full.
// A replay stops at its end, at stop(), when the channel goes off, and when
// its pane is cleared; finished() follows every start that succeeded, once.
class Replayer : public QObject
{
    Q_OBJECT

public:
    explicit Replayer(Channel &channel);

    // Starts; an empty result, or why not (not a recording, unreadable, a
    // log line that does not read, nothing to send on a channel that is off).
    QString start(const ReplayRequest &request);
    void stop();
    bool isRunning() const { return m_running; }
    // Bytes replayed so far.
    qint64 doneBytes() const { return m_doneBytes; }
    // A log's text read and not yet played: bounded, whatever the log's size.
    qsizetype heldLogBytes() const { return m_log ? m_log->heldBytes() : 0; }

signals:
    // `completed` false: stopped before the end; `text` says how it ended.
    void finished(bool completed, const QString &text);
    // Something the operator should know while it goes on.
    void noted(const QString &text);

private:
    void step();
    void stepRaw();
    void stepLog();
    // When a log's entry is due, in ms of m_clock.
    qint64 dueMsOf(qint64 wallMs);
    // Hands bytes on; false when the transmit queue refused them (kept in m_held).
    bool deliver(const QByteArray &bytes);
    void end(bool completed, const QString &text);

    Channel &m_channel;
    ReplayRequest m_request;
    bool m_running = false;
    QFile m_file;
    std::unique_ptr<LogFileReader> m_log; // only for a log
    std::optional<LogEntry> m_next;       // read, not yet played
    std::optional<qint64> m_nextDueMs;    // once m_next is known to play
    bool m_paced = false;                 // a log's first line played: its times count
    qint64 m_baseMs = 0;                  // the wall time at m_clock's start
    qint64 m_lastMs = 0;                  // the last played line's wall time
    QByteArray m_held;                    // refused by the transmit queue, to try again
    QByteArray m_buffer;                  // a raw recording's bytes, read
    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_doneBytes = 0;
};
