#pragma once

#include "core/channel_state.h"
#include "core/log_entry.h"

#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QObject>
#include <QTimer>

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
};

// Plays a recording back on one channel, one replay at a time: the bytes a
// raw recording holds at a chosen rate, or the received lines ('<') of a
// timestamped log at their recorded pace (each line when its time comes,
// measured from the first line), or either as fast as the channel takes
// them. Into the pane, the bytes go where received bytes go (the pane with
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

signals:
    // `completed` false: stopped before the end; `text` says how it ended.
    void finished(bool completed, const QString &text);

private:
    void step();
    void stepRaw();
    void stepLog();
    // Hands bytes on; false when the transmit queue refused them (kept in m_held).
    bool deliver(const QByteArray &bytes);
    void end(bool completed, const QString &text);

    Channel &m_channel;
    ReplayRequest m_request;
    bool m_running = false;
    QFile m_raw;
    QList<LogEntry> m_entries;
    qsizetype m_next = 0; // the next log entry
    QByteArray m_held;    // refused by the transmit queue, to try again
    QByteArray m_buffer;  // a raw recording's bytes, read
    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_doneBytes = 0;
};
