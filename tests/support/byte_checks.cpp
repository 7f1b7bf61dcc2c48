#include "support/byte_checks.h"

#include <QFile>
#include <QRandomGenerator>

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(random.bounded(256));
    return bytes;
}

QByteArray differenceOf(const QByteArray &shown, const QByteArray &sent)
{
    qsizetype at = 0;
    while (at < shown.size() && at < sent.size() && shown[at] == sent[at])
        ++at;
    return "shown " + QByteArray::number(shown.size()) + " bytes, sent " +
           QByteArray::number(sent.size()) + ", first difference at " + QByteArray::number(at) +
           ": shown \"" + shown.mid(at, 12).toHex(' ') + "\" sent \"" +
           sent.mid(at, 12).toHex(' ') + "\"";
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
