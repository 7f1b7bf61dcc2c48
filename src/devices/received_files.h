#pragma once

#include <QString>

#include <functional>

// What became of one file a transfer received.
struct ReceivedFile
{
    QString name;     // as the sender named it, under the receive folder ("sub/data.bin")
    QString placedAs; // where it is now, under the receive folder; empty when not moved
    QString problem;  // why it was not moved (it stays where it came in)
};

// Moves `staged`, a file a transfer received into its own folder, to `name`
// under `folder`. The name's folders are made inside `folder` one by one and
// never followed through a symbolic link, so the file can only land under
// `folder`: an absolute name, "..", or a symbolic link or file in the way
// leaves it where it is, with the reason. Where `name` is taken,
// `replace(name)` decides: true replaces what is there (a folder never),
// false keeps both, the received file under a free name ("data (2).bin"),
// shortened when the number would make it longer than a name may be.
ReceivedFile placeReceivedFile(const QString &staged, const QString &name, const QString &folder,
                               const std::function<bool(const QString &name)> &replace);

// The mode a new file gets here, read from a file made in `folder`: read and
// write as the user's umask allows, never executable, setuid or setgid.
// 0600 when `folder` takes no file.
unsigned newFileMode(const QString &folder);
