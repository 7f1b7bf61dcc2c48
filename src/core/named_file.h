#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// Opens a file the operator (or a peer) named, for reading, so that nothing
// but a regular file is ever read. The name is opened without blocking
// (O_NONBLOCK, O_NOCTTY), then the descriptor's own kind decides (fstat: a
// symbolic link is followed and what it leads to counts): a named pipe, a
// device, a folder or a socket is refused before a single read, since a
// pipe with no writer would wait for ever and /dev/zero never ends. What is
// kept reads in the ordinary blocking way. A file larger than the caller's
// cap is refused unread.
//
// A refusal is in the operator's words ("It is a named pipe (FIFO), not a
// regular file."); the caller says which file and what it was for.
namespace NamedFile {

inline constexpr qint64 anySize = -1;

// Opens `path` into `file` (read-only; `file` owns the descriptor). An empty
// result, or why not.
QString open(QFile &file, const QString &path, qint64 largest = anySize);

struct Contents
{
    QByteArray bytes;
    QString error; // then no bytes
};
// The whole of a file of at most `largest` bytes.
Contents read(const QString &path, qint64 largest);

} // namespace NamedFile
