#pragma once

#include "core/transmission.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <memory>

// A record of bytes that only grows at its end (until a Clear), from which
// transmissions are taken without copying: a snapshot shares the record's
// storage and keeps its length. The bytes a snapshot covers never change:
// taking back bytes it covers first gives the record a storage of its own.
class SharedBytes
{
public:
    SharedBytes();
    // A copy is a record of its own (its bytes start out shared, Qt-style).
    SharedBytes(const SharedBytes &other);
    SharedBytes &operator=(const SharedBytes &other);
    SharedBytes(SharedBytes &&) noexcept = default;
    SharedBytes &operator=(SharedBytes &&) noexcept = default;

    void append(QByteArrayView bytes);
    void append(char byte) { append(QByteArrayView(&byte, 1)); }
    void chop(qsizetype count);
    void clear();

    qsizetype size() const { return m_bytes->size(); }
    bool isEmpty() const { return m_bytes->isEmpty(); }
    QByteArrayView view() const { return *m_bytes; }
    // The whole record as it is now.
    Transmission snapshot() const { return Transmission(m_bytes, m_bytes->size()); }

    friend bool operator==(const SharedBytes &record, QByteArrayView bytes)
    {
        return record.view() == bytes;
    }

private:
    void ownStorage();

    std::shared_ptr<QByteArray> m_bytes;
};

// What the transmit line has typed since its Clear, and the bytes its hex
// pairs spell. The hex bytes of every line ended by Enter are kept, so
// reading them again at the next Enter costs only the new line.
//
// Enter records the line ending chosen at the time: CR, LF, CR LF or
// nothing. A backspace takes back one typed character, or the whole ending
// of the Enter it follows, as the transmit line takes back one line break.
class TransmitRecord : public SharedBytes
{
public:
    void chop(qsizetype count);
    void clear();
    void appendLineEnd(QByteArrayView ending);
    // One backspace: the last character, or the last Enter's whole ending.
    void takeBack();
    // The run of hex digits the record ends with; an Enter ends a run also
    // when it recorded nothing.
    QByteArrayView trailingRun() const;
    // The bytes of every run of hex digits in the record, as a snapshot.
    Transmission hexBytes();

private:
    // Where an Enter whose ending is not one byte long left the record.
    struct Break
    {
        qsizetype end;
        qsizetype width;
    };
    // The bytes of the runs in [from, to), which lies on run boundaries.
    QByteArray hexBytesOf(qsizetype from, qsizetype to) const;
    qsizetype lastBreakEnd() const { return m_breaks.isEmpty() ? 0 : m_breaks.last().end; }

    SharedBytes m_hex; // the bytes of the record up to m_hexRead
    qsizetype m_hexRead = 0;
    // Enters of CR LF or nothing, in order: one-byte endings need no entry,
    // as a backspace takes back one byte anyway.
    QList<Break> m_breaks;
};

// The bytes made from typed hex pairs since the last Clear, kept as the
// transmissions that sent them.
class HexRecord
{
public:
    void append(const Transmission &sent);
    void clear();
    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    const TransmissionList &pieces() const { return m_pieces; }
    QByteArray toByteArray() const { return joined(m_pieces); }

    friend bool operator==(const HexRecord &record, QByteArrayView bytes)
    {
        return record.toByteArray() == bytes;
    }

private:
    TransmissionList m_pieces;
    qsizetype m_size = 0;
};
