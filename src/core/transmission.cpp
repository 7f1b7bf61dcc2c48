#include "core/transmission.h"

Transmission::Transmission(QByteArray bytes)
    : m_storage(std::make_shared<const QByteArray>(std::move(bytes)))
    , m_length(m_storage->size())
{}

Transmission::Transmission(std::shared_ptr<const QByteArray> storage, qsizetype length)
    : m_storage(std::move(storage))
    , m_length(length)
{}

QByteArrayView Transmission::view() const
{
    return m_storage ? QByteArrayView(m_storage->constData(), m_length) : QByteArrayView();
}

QByteArray joined(const TransmissionList &list)
{
    QByteArray bytes;
    for (const Transmission &t : list)
        bytes.append(t.view());
    return bytes;
}
