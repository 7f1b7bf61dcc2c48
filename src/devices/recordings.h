#pragma once

#include "devices/file_writer.h"
#include "devices/recording.h"

#include <QObject>
#include <QString>

#include <array>
#include <memory>
#include <vector>

class Channel;

// Whose data a recording takes: one channel, or both into one log.
enum class RecordSource
{
    Channel1,
    Channel2,
    BothChannels
};

// The program's recordings: at most one per source. A channel's recording
// stops when the channel is switched off (for whatever reason); the
// both-channels log stops once neither channel is on. A recording may start
// while its channel is off, so it holds everything from the switch-on. A recording whose file
// fails stops on its own, and failed() says why; the others go on.
//
// Stopping is immediate for the channels; the file is written out, synced
// and closed on its writer's thread. waitForFiles() waits for that.
class Recordings : public QObject
{
    Q_OBJECT

public:
    Recordings(Channel &channel1, Channel &channel2, QObject *parent = nullptr);
    ~Recordings() override; // stops everything and waits for the files

    // Starts recording; an empty result, or why it can't start. A log of
    // both channels is always RecordKind::Log.
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
    static int indexOf(RecordSource source) { return int(source); }
    void onChannelChanged(Channel &channel, bool on);
    void onRecordingFailed(Recording *recording, const QString &reason);
    // Stops it and keeps it until its file is closed.
    void retire(std::unique_ptr<Recording> recording);
    void forget(Recording *finished);

    Channel &m_channel1;
    Channel &m_channel2;
    std::array<std::unique_ptr<Recording>, 3> m_active;
    std::array<quint64, 3> m_starts{}; // tells a recording from a later one of its source
    std::vector<std::unique_ptr<Recording>> m_closing; // files still being finished
    bool m_stuck = false;
    qint64 m_queueLimit = FileWriter::defaultQueueLimit;
};
