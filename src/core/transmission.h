#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <memory>

// Bytes to send. A transmission either owns its bytes or shares the first
// part of a record's storage (see TransmitRecord), so resending a long
// record costs no copy.
class Transmission
{
public:
    Transmission() = default;
    explicit Transmission(QByteArray bytes);
    // The first `length` bytes of `storage`, which never change afterwards.
    Transmission(std::shared_ptr<const QByteArray> storage, qsizetype length);

    qsizetype size() const { return m_length; }
    bool isEmpty() const { return m_length == 0; }
    // Valid until the storage's owner next appends to it.
    QByteArrayView view() const;
    QByteArray toByteArray() const { return view().toByteArray(); }

private:
    std::shared_ptr<const QByteArray> m_storage;
    qsizetype m_length = 0;
};

using TransmissionList = QList<Transmission>;

// All the bytes of `list`, joined (for checks and small sends).
QByteArray joined(const TransmissionList &list);
