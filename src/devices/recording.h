#pragma once

#include "core/log/timestamped_log.h"
#include "devices/file_writer.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class Channel;

// What a recording writes to its file.
enum class RecordKind
{
    Raw,   // every received byte, exactly as received
    Shown, // the text given to the pane, as given
    Log    // timestamped entries of received and sent lines, and notes on the links
};

// The kind a file's name asks for by its suffix, in any case: .bin raw
// bytes, .txt the text as shown, .log a log; nothing for another suffix or
// none, where the caller's choice stands.
std::optional<RecordKind> recordKindOfName(const QString &path);

// One file being recorded from one channel (or, for a log, from both):
// listens to the channels and hands what it makes of their data to its
// file writer.
class Recording : public QObject
{
    Q_OBJECT

public:
    Recording(RecordKind kind, const QList<Channel *> &channels, std::unique_ptr<FileWriter> writer,
              QObject *parent = nullptr);

    RecordKind kind() const { return m_kind; }
    QString path() const { return m_writer->path(); }
    qint64 fileSize() const { return m_writer->size(); }
    bool covers(const Channel &channel) const;
    FileWriter &writer() { return *m_writer; }

    // Takes no more data, writes what the log still holds and has the writer
    // finish the file (on its thread). Safe to call more than once.
    void stop();
    // Writes `note` as the channel's note line ('!') when this is a log
    // taking the channel; other recordings take no notes.
    void addNote(const Channel &channel, const QString &note);

signals:
    // The file can't take more: a write failed or the disk fell behind.
    void failed(const QString &reason);

private:
    void hook(Channel &channel);
    void write(const QByteArray &chunk);
    // `arrival`: a received batch's own time, or the time sent bytes or a
    // note were taken; the log reads no clock for a received batch.
    void logBytes(const Channel &channel, LogDirection direction, QByteArrayView bytes,
                  const ArrivalTime &arrival);
    void logNote(const Channel &channel, const QString &note);
    void writeDueEntries();
    void updateFormats();

    const RecordKind m_kind;
    const QList<Channel *> m_channels;
    std::unique_ptr<FileWriter> m_writer;
    QList<QMetaObject::Connection> m_hooks;
    std::optional<TimestampedLog> m_log;
    QTimer m_pieceTimer; // wakes when a waiting log piece becomes due
    bool m_stopped = false;
    bool m_overflowed = false;
};
