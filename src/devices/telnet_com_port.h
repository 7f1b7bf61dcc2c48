#pragma once

#include "core/telnet/remote_port_settings.h"
#include "core/telnet/telnet_send_ledger.h"
#include "core/telnet/telnet_session.h"
#include "devices/line_settings.h"
#include "devices/link_options.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <optional>

class SocketComponent;

// A serial port on another machine, reached over a Telnet connection with
// the COM-PORT-OPTION (RFC 2217): the socket carries the bytes, this class
// speaks Telnet on it (core/telnet/telnet_session.h does the parsing).
//
// What it promises:
// - Data bytes go out with 0xFF escaped and come in unescaped, in order.
// - Once the server accepts the option, the line settings, flow control,
//   DTR and RTS go to it, and every later change at once; until then (or
//   when it refuses) nothing but data is sent.
// - A server that refuses the option, or does not answer within answerMs,
//   leaves a working raw Telnet connection: state() says Refused and
//   noted() says so once.
// - DTR and RTS changes the server leaves unanswered for answerMs, or
//   answers with another value, are refused: noted() says so once, and no
//   more are sent on this connection (like a local device without lines).
// - The settings shown are the server's answers; an answer that means
//   another value than what was asked is noted() once, until it changes
//   (see RemotePortSettings).
// - The input lines are what the server last notified.
// - The answers waiting to go out are bounded: a server that sends requests
//   and does not read the answers (a flood of IAC DO for an option we
//   refuse) finds reading paused once more than maxUnsentAnswers of them
//   wait (at most one read's answers past it), so TCP holds it back, and
//   noted() says so once per connection. Reading goes on once the server
//   has read them down to half the bound. The connection is kept: a server
//   that is only slow loses nothing.
class TelnetComPort : public QObject
{
    Q_OBJECT

public:
    static constexpr int answerMs = 2000;
    static constexpr int breakMs = 250;
    static constexpr qint64 maxUnsentAnswers = qint64(256) << 10;

    enum class State
    {
        Off,
        Asking,
        Accepted,
        Refused
    };

    explicit TelnetComPort(SocketComponent &socket, QObject *parent = nullptr);

    // The connection was made: a fresh session asks for the option, and the
    // settings and options follow once it is accepted.
    void connected(const LineSettings &settings, const LinkOptions &options);
    // The connection is gone.
    void closed();
    // Bytes read from the socket; the data in them comes out of received().
    void receive(const QByteArray &bytes);
    void send(QByteArrayView data);
    // What changed against the options in use goes to the server.
    void setOptions(const LinkOptions &options);
    // New line settings for the remote port: sent at once once the option
    // is accepted (the connection stays), or with the others when it is.
    // The server's answers show in settingsText(), and an answer that
    // differs is noted() as with the first settings.
    void setLineSettings(const LineSettings &settings);
    // Holds Break for breakMs; false when the server has not accepted the
    // option or a Break is still held.
    bool sendBreak();

    // The data bytes among the last `unsentWire` bytes written to the
    // socket (escapes and commands are not data); until closed().
    qint64 unsentData(qint64 unsentWire) const { return m_ledger.dataIn(unsentWire); }

    State state() const { return m_state; }
    // "9600,n,8,1" as the server confirmed it (what was asked where it has
    // not answered yet).
    QString settingsText() const { return m_confirmed.text(); }
    bool linesRefused() const { return m_linesRefused; }
    std::optional<InputLines> inputs() const { return m_inputs; }
    // The line errors the server last notified ("overrun", "framing error"),
    // or an empty text.
    QString lineErrors() const { return m_lineErrors; }

signals:
    void received(const QByteArray &data);
    // The state, the inputs, the line errors or the refusal changed.
    void changed();
    // Words for the operator and the log, once per event.
    void noted(const QString &note);

private:
    void onServerReply(std::uint8_t code, const QByteArray &value);
    void onAccepted();
    void refuseOption(const QString &why);
    void sendCommand(std::uint8_t command, QByteArrayView value);
    void sendControl(std::uint8_t value);
    void sendLineSettings();
    void sendLines(bool dtr, bool rts);
    void onAnswerTimeout();
    void refuseLines(const QString &why);

    void write(const QByteArray &command);
    // Commands written and not yet taken by the system.
    qint64 unsentCommands() const;
    void holdReadingWhileAnswersUnread();

    SocketComponent &m_socket;
    TelnetSendLedger m_ledger;
    TelnetSession m_session;
    State m_state = State::Off;
    LineSettings m_settings;
    RemotePortSettings m_confirmed;
    LinkOptions m_options;
    QTimer m_answer; // the option's answer, then each DTR/RTS change's
    QTimer m_breakEnd;
    QList<std::uint8_t> m_unanswered; // DTR/RTS values sent, not yet answered
    std::optional<InputLines> m_inputs;
    QString m_lineErrors;
    bool m_linesRefused = false;
    bool m_holdingReads = false;
    bool m_holdNoted = false;    // once per connection
    bool m_refusalNoted = false; // once per connection
};
