#include "core/transmit_record.h"

#include "core/hex_entry.h"

#include <algorithm>

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
    while (!m_breaks.isEmpty() && m_breaks.last().end > size())
        m_breaks.removeLast();
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
    m_breaks.clear();
}

void TransmitRecord::appendLineEnd(QByteArrayView ending)
{
    append(ending);
    if (ending.size() != 1)
        m_breaks.append({size(), ending.size()});
}

void TransmitRecord::takeBack()
{
    if (m_breaks.isEmpty() || m_breaks.last().end != size()) {
        chop(1);
        return;
    }
    const qsizetype width = m_breaks.takeLast().width;
    chop(width);
    // An empty ending separated runs that now join: read them again.
    if (size() <= m_hexRead && m_hexRead > 0) {
        m_hex.clear();
        m_hexRead = 0;
    }
}

QByteArrayView TransmitRecord::trailingRun() const
{
    return HexEntry::trailingRun(view().sliced(lastBreakEnd()));
}

QByteArray TransmitRecord::hexBytesOf(qsizetype from, qsizetype to) const
{
    // Empty endings split runs that touch; they are the only splits the
    // text itself doesn't show.
    const QByteArrayView text = view();
    QByteArray bytes;
    auto next = std::upper_bound(m_breaks.cbegin(), m_breaks.cend(), from,
                                 [](qsizetype pos, const Break &b) { return pos < b.end; });
    for (; next != m_breaks.cend() && next->end < to; ++next) {
        if (next->width != 0)
            continue;
        bytes += HexEntry::bytesOfText(text.sliced(from, next->end - from));
        from = next->end;
    }
    bytes += HexEntry::bytesOfText(text.sliced(from, to - from));
    return bytes;
}

Transmission TransmitRecord::hexBytes()
{
    // Runs of digits never reach across a line break (it separates them), so
    // the bytes read up to the last one stay valid. Only the text since the
    // last read is searched for it.
    const QByteArrayView text = view();
    qsizetype lastBreak = text.size();
    while (lastBreak > m_hexRead && text[lastBreak - 1] != '\r' && text[lastBreak - 1] != '\n')
        --lastBreak;
    lastBreak = std::max(lastBreak, lastBreakEnd());
    if (lastBreak > m_hexRead) {
        m_hex.append(hexBytesOf(m_hexRead, lastBreak));
        m_hexRead = lastBreak;
    }
    const QByteArray tail = hexBytesOf(m_hexRead, text.size());
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
