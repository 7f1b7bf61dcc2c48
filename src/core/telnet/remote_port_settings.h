#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>

// The settings of a serial port behind RFC 2217, as its server confirms
// them. The server answers each setting with the value it now uses, which
// may not be the one asked for (a port that can't take 7 data bits keeps
// 8), so the operator is shown the answers, and told when one differs.
// Values are compared by what they mean ("none" and an unknown parity code
// both read as none): an answer that reads like the request is no
// difference. A difference is told once, until the answer's meaning changes
// or the setting is asked for again: a server repeating its answer is not a
// stream of notes.
//
// Kept: the speed, data size, parity, stop size and flow control (the
// SET-CONTROL values 1 to 3); other commands are ignored.
class RemotePortSettings
{
public:
    // A value sent; an earlier answer to the same setting no longer holds.
    void asked(std::uint8_t command, QByteArrayView value);
    // The server's answer (the client's command number): words for the
    // operator when it means something else than what was asked and was not
    // told yet, an empty text when the setting shown may have changed and
    // there is nothing to tell, nothing when it answers no setting asked for
    // or repeats the last answer.
    std::optional<QString> answered(std::uint8_t command, QByteArrayView value);
    // "9600,n,8,1": the answers, and what was asked where no answer came yet.
    QString text() const;
    void clear() { m_fields.clear(); }

private:
    struct Field
    {
        QByteArray asked;
        QByteArray answered;
        QString told; // the meaning of the last difference told, until it changes
    };
    // Flow control is a SET-CONTROL value, kept under a key of its own.
    static constexpr std::uint8_t flowKey = 0;
    static int keyOf(std::uint8_t command, QByteArrayView value);
    QByteArray valueOf(std::uint8_t key) const;

    std::map<std::uint8_t, Field> m_fields;
};
