#pragma once

#include "core/channel_list.h"
#include "devices/file_writer.h"
#include "devices/recording.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class Channel;

// Whose data a recording takes: one channel's, or every channel's into one
// log.
class RecordSource
{
public:
    static constexpr RecordSource channel(int number) { return RecordSource(number); }
    static constexpr RecordSource allChannels() { return RecordSource(0); }

    bool isAllChannels() const { return m_channel == 0; }
    // The channel's number; 0 for all channels.
    int channelNumber() const { return m_channel; }
    bool takes(int channelNumber) const { return m_channel == 0 || m_channel == channelNumber; }
    friend constexpr bool operator==(RecordSource, RecordSource) = default;

private:
    constexpr explicit RecordSource(int channel)
        : m_channel(channel)
    {}
    int m_channel;
};

// The program's recordings: at most one per source, and one per file, whatever
// name reaches it (a hard link is the same file). A channel's recording
// stops when the channel is switched off (for whatever reason); the log of
// all channels stops once none is on. A recording may start
// while its channel is off, so it holds everything from the switch-on. A recording whose file
// fails stops on its own, and failed() says why; the others go on.
//
// Stopping is immediate for the channels; the file is written out, synced
// and closed on its writer's thread. waitForFiles() waits for that.
class Recordings : public QObject
{
    Q_OBJECT

public:
    // `channels` in the channel list's order.
    explicit Recordings(const QList<Channel *> &channels, QObject *parent = nullptr);
    ~Recordings() override; // stops everything and waits for the files

    // Starts recording; an empty result, or why it can't start. A log of
    // all channels is always RecordKind::Log.
    QString start(RecordSource source, RecordKind kind, const QString &path,
                  FileWriter::Existing existing);
    void stop(RecordSource source);
    void stopAll();
    // Blocks until every stopped recording's file is closed.
    void waitForFiles();
    // Waits at most `ms` in all; false when a file is still being written (a
    // disk that does not answer), and then stuckOnExit() stays true.
    bool waitForFiles(int ms);
    bool stuckOnExit() const { return m_stuck; }

    // Writes `note` into every log recording that takes one of the channels
    // numbered `channels`, once per file (as the first such channel's note).
    void noteInLogs(const QList<int> &channels, const QString &note);

    const Recording *recording(RecordSource source) const;
    bool isRecording(RecordSource source) const { return recording(source) != nullptr; }
    bool isAnyRecording() const;
    // The recordings taking a channel's data, channel first.
    QList<const Recording *> recordingsOf(const Channel &channel) const;

    // Tests make the disk fall behind sooner.
    void setQueueLimit(qint64 bytes) { m_queueLimit = bytes; }

signals:
    // A recording started or stopped.
    void changed();
    // A recording stopped because its file failed.
    void failed(const QString &path, const QString &reason);

private:
    static size_t indexOf(RecordSource source) { return size_t(source.channelNumber()); }
    void onChannelChanged(Channel &channel, bool on);
    void onRecordingFailed(Recording *recording, const QString &reason);
    // Stops it and keeps it until its file is closed.
    void retire(std::unique_ptr<Recording> recording);
    void forget(Recording *finished);

    QList<Channel *> m_channels;
    // By indexOf(): all channels first, then each channel.
    std::vector<std::unique_ptr<Recording>> m_active;
    std::vector<quint64> m_starts; // tells a recording from a later one of its source
    std::vector<std::unique_ptr<Recording>> m_closing; // files still being finished
    bool m_stuck = false;
    qint64 m_queueLimit = FileWriter::defaultQueueLimit;
};
