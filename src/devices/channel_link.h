#pragma once

#include "core/transmission.h"
#include "devices/link_options.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class ControlLines;
class LinkReconnect;
class SerialPortComponent;
class SocketComponent;
class TcpListener;
class TelnetComPort;
class TransmitQueue;

// One channel's port or connection: switching it on and off, handing on
// what arrives, and sending over the route chosen at switch-on. A channel
// that offers the network may instead connect to a peer as a raw TCP client
// or to a serial port on another machine over RFC 2217 (TelnetComPort:
// the line settings, control lines and flow control then go to the server),
// or listen for one client at a time (TcpListener); while a listening
// channel has no client it counts as waiting and sends nothing.
//
// Failures come as signals, already in the operator's words, with the link
// closed by then: switchOnFailed() when a switch-on can't be made, lost()
// when a working port or connection fails. With the reconnect option, a
// working one that fails is waited for instead (waiting(), then
// reconnected()): the route stays, nothing is sent meanwhile, and the same
// device path is opened with the same settings, or the same peer connected,
// once it is there again. With the reconnect option, a switch-on to a
// device path where nothing is yet (an adapter not plugged in, a by-id name
// not there yet) waits for it the same way rather than failing.
//
// Bytes that send() took but the device never got when its port or
// connection failed (still queued, or still held by the port or socket) are
// dropped, never sent later: unsentDropped() says how many, before waiting()
// or lost().
class ChannelLink : public QObject
{
    Q_OBJECT

public:
    enum class Route
    {
        None,
        Serial,
        Tcp // a network connection of any kind
    };
    // What a network route speaks.
    enum class Network
    {
        Tcp,     // raw bytes
        Rfc2217, // Telnet with the COM-PORT-OPTION
        Listen,  // raw bytes with one client that connected to us
    };

    ChannelLink(int number, bool offersTcp, QObject *parent = nullptr);
    ~ChannelLink() override; // closes the port and the connection

    // Each switch-on closes what was open first. `portText` is what the port
    // list shows: a port number (read by the leading-number rule) or a
    // device path starting with "/". The settings string is applied once the
    // port has opened.
    void switchOnSerial(const QString &portText, const QString &settings);
    // On at once: what is sent while the connection is being made is queued.
    void switchOnTcp(const QString &host, const QString &portText)
    {
        switchOnNetwork(Network::Tcp, host, portText, {});
    }
    // The settings string goes to an RFC 2217 server once it accepts. To
    // listen, `host` is the local address: an address such as 127.0.0.1, or
    // "*" for every local address (never looked up as a name).
    void switchOnNetwork(Network kind, const QString &host, const QString &portText,
                         const QString &settings);
    Network network() const { return m_network; }
    // The port list's entries for the network kinds ("TCP", "RFC 2217"), in
    // the order listed, and the kind an entry names.
    static QStringList networkEntries();
    static std::optional<Network> networkOfEntry(const QString &portText);
    // Closes the port and the connection; harmless when nothing is open.
    void close();
    // New serial settings for the port in use, without closing it: an open
    // serial port is reconfigured in place, an RFC 2217 server is sent
    // them, and a port waited for reopens with them. Returns why they were
    // not taken (malformed, refused by the device, or a route without
    // serial settings), the port then keeping the ones it had; or an empty
    // text.
    QString changeSettings(const QString &settings);

    // Sends over the route the channel was switched on with, as fast as the
    // device takes it. True only when the bytes were queued to go out; false
    // while off or waiting (nothing is sent) and when more than the queue's
    // limit would then wait to go out.
    bool send(const Transmission &bytes);
    TransmitQueue &queue() { return *m_queue; }
    const TransmitQueue &queue() const { return *m_queue; }
    Route route() const { return m_route; }
    bool offersTcp() const { return m_socket != nullptr; }

    const LinkOptions &options() const { return m_options; }
    // Takes the options; what concerns an open serial port is applied to it
    // at once. Returns why the device refused the flow control (it then keeps
    // the one it had), or an empty text. Turning reconnect off while waiting
    // ends the wait as a loss.
    QString setOptions(const LinkOptions &options);

    // The port or connection failed and is being waited for, or a listening
    // channel has no client: nothing is sent meanwhile.
    bool isWaiting() const;
    const LinkReconnect &reconnect() const { return *m_reconnect; }
    const ControlLines &controlLines() const { return *m_lines; }
    // Holds Break on the serial port for 250 ms; false when it can't.
    bool sendBreak();

    // Stops reading the port or connection while `hold`, for a reader that
    // can't keep up: TCP then holds the peer back, and a serial port with
    // flow control the device. False when it can't be held: a serial port
    // without flow control (its driver would overrun unseen), or off.
    bool holdReading(bool hold);

    SerialPortComponent &serial() { return *m_serial; }
    const SerialPortComponent &serial() const { return *m_serial; }
    SocketComponent *socket() { return m_socket; } // channel 1 only
    const SocketComponent *socket() const { return m_socket; }
    // The serial port on the far side of an RFC 2217 connection; null for a
    // channel without the network.
    const TelnetComPort *remotePort() const { return m_telnet; }

signals:
    void received(const QByteArray &batch, ChannelLink::Route from);
    // Bytes handed to the port or connection, a bounded slice at a time (see
    // TransmitQueue::handedOver).
    void sent(QByteArrayView bytes);
    void routeChanged(ChannelLink::Route route);
    void switchOnFailed(const QString &text, const QString &detail);
    void lost(const QString &text, const QString &detail);
    // Bytes taken by send() were dropped with a failed port or connection:
    // `queued` were never handed over, `held` were (announced by sent()) but
    // the port or socket never wrote them. Comes first, before waiting() or
    // lost().
    void unsentDropped(qint64 queued, qint64 held);
    // Words for a log: the port or connection failed and is waited for; it
    // is back.
    void waiting(const QString &note);
    void reconnected(const QString &note);
    void optionsChanged();
    // Words for a log about a listening channel's clients: one came in, one
    // left, one more was turned away.
    void clientNoted(const QString &note);
    // Words for the status line and a log about the remote serial port: the
    // server refused the option, or the control lines.
    void remoteNoted(const QString &note);
    // The control lines were refused, or an input line changed.
    void controlLinesChanged();

private:
    struct Failure
    {
        QString text;
        QString detail;
        bool deviceRefused = false; // it opened, but refused the settings
    };

    void setRoute(Route route);
    // Opens the chosen port with the settings and options.
    std::optional<Failure> openSerial(const QString &portText, const QString &settings);
    void onSerialFailed(const QString &reason);
    void onSocketConnected();
    void onSocketFailed(const QString &reason);
    // A note on the link goes into the timestamped logs ("2! lost ..."),
    // which programs read: it stays in English whatever the window's language.
    static QString logNote(const char *text);

    // Losses (channel_link_losses.cpp). Drops what waits in the queue and
    // what the device held (`held`).
    qint64 dropUnsent(qint64 held);
    void startWaiting(const Failure &loss, const QString &note, qint64 dropped);
    // With reconnect on, a switch-on whose device path is missing waits for
    // it: true when it does, false when the failure is to be reported.
    bool waitForAbsentDevice(const Failure &failure, const QString &settings);
    void onReconnectDue();
    void switchOnListening(const QString &host, quint16 port);
    void onClientLeft(const QString &reason);

    const int m_number;
    SerialPortComponent *m_serial = nullptr; // SaxComm / SaxComm1
    SocketComponent *m_socket = nullptr;     // sockMain
    TelnetComPort *m_telnet = nullptr;
    TcpListener *m_listener = nullptr;
    Network m_network = Network::Tcp;
    TransmitQueue *m_queue = nullptr;
    ControlLines *m_lines = nullptr;
    LinkReconnect *m_reconnect = nullptr;
    Route m_route = Route::None;
    LinkOptions m_options;
    QString m_settings;     // the serial port's, for reopening it
    bool m_tcpMade = false; // the connection was made since the switch-on
    Failure m_loss;         // what is reported if the wait is given up
};
