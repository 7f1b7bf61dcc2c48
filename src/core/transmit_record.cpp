#include "core/transmit_record.h"

#include "core/hex_entry.h"

SharedBytes::SharedBytes()
    : m_bytes(std::make_shared<QByteArray>())
{}

SharedBytes::SharedBytes(const SharedBytes &other)
    : m_bytes(std::make_shared<QByteArray>(*other.m_bytes))
{}

SharedBytes &SharedBytes::operator=(const SharedBytes &other)
{
    if (this != &other)
        m_bytes = std::make_shared<QByteArray>(*other.m_bytes);
    return *this;
}

void SharedBytes::append(QByteArrayView bytes)
{
    // Snapshots cover only what is there now, so growing is safe for them.
    m_bytes->append(bytes);
}

void SharedBytes::chop(qsizetype count)
{
    ownStorage();
    m_bytes->chop(count);
}

void SharedBytes::clear()
{
    if (m_bytes.use_count() > 1)
        m_bytes = std::make_shared<QByteArray>();
    else
        m_bytes->clear();
}

void SharedBytes::ownStorage()
{
    if (m_bytes.use_count() > 1)
        m_bytes = std::make_shared<QByteArray>(m_bytes->constData(), m_bytes->size());
}

void TransmitRecord::chop(qsizetype count)
{
    SharedBytes::chop(count);
    if (size() < m_hexRead) {
        // A line break taken back: its line is read again at the next Enter.
        m_hex.clear();
        m_hexRead = 0;
    }
}

void TransmitRecord::clear()
{
    SharedBytes::clear();
    m_hex.clear();
    m_hexRead = 0;
}

Transmission TransmitRecord::hexBytes()
{
    // Runs of digits never reach across a line break (it separates them), so
    // the bytes read up to the last one stay valid.
    const QByteArrayView text = view();
    const qsizetype lastBreak = text.lastIndexOf('\r');
    if (lastBreak + 1 > m_hexRead) {
        m_hex.append(HexEntry::bytesOfText(text.sliced(m_hexRead, lastBreak + 1 - m_hexRead)));
        m_hexRead = lastBreak + 1;
    }
    const QByteArray tail = HexEntry::bytesOfText(text.sliced(m_hexRead));
    if (tail.isEmpty())
        return m_hex.snapshot();
    return Transmission(m_hex.view().toByteArray() + tail);
}

void HexRecord::append(const Transmission &sent)
{
    if (sent.isEmpty())
        return;
    m_pieces.append(sent);
    m_size += sent.size();
}

void HexRecord::clear()
{
    m_pieces.clear();
    m_size = 0;
}
