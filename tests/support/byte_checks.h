#pragma once

#include <QByteArray>

// Random test data, the same for the same seed.
QByteArray randomBytes(qsizetype size, quint32 seed);

// Where two byte texts first differ, for a readable failure message.
QByteArray differenceOf(const QByteArray &shown, const QByteArray &sent);
