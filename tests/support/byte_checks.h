#pragma once

#include <QByteArray>
#include <QString>

// Random test data, the same for the same seed.
QByteArray randomBytes(qsizetype size, quint32 seed);

// Where two byte texts first differ, for a readable failure message.
QByteArray differenceOf(const QByteArray &shown, const QByteArray &sent);

// A file's bytes; "<unreadable>" when it can't be read.
QByteArray fileBytes(const QString &path);
