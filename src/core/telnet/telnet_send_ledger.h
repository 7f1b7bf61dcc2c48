#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <deque>

// What the bytes still queued on a Telnet connection carry. Escaping doubles
// each 0xFF and commands carry no data, so a count of unsent bytes on the
// wire is not a count of unsent data: this maps one to the other.
//
// It keeps only what may still be queued: sent() forgets what has left.
class TelnetSendLedger
{
public:
    // Data as given (before escaping) and a command, in the order written.
    void data(QByteArrayView bytes);
    void command(qsizetype wireBytes);
    // The connection still holds `unsentWire` bytes: older pieces have left.
    void sent(qint64 unsentWire);
    // The data bytes in the last `unsentWire` bytes written. A 0xFF of which
    // only the first half left counts as unsent: the peer got no data byte.
    qint64 dataIn(qint64 unsentWire) const;
    void clear();

private:
    struct Piece
    {
        QByteArray data; // empty for a command
        qint64 wire = 0;
    };
    std::deque<Piece> m_pieces;
    qint64 m_wire = 0; // the wire bytes of every piece held
};
