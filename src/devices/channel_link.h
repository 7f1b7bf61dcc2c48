#pragma once

#include "core/transmission.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class SerialPortComponent;
class SocketComponent;
class TransmitQueue;

// One channel's port or connection: switching it on and off, handing on
// what arrives, and sending over the route chosen at switch-on. Channel 1
// may also use TCP; channel 2 is serial only.
//
// Failures come as signals, already in the operator's words, with the link
// closed by then: switchOnFailed() when a switch-on can't be made, lost()
// when a working port or connection fails.
class ChannelLink : public QObject
{
    Q_OBJECT

public:
    enum class Route
    {
        None,
        Serial,
        Tcp
    };

    ChannelLink(int number, bool offersTcp, QObject *parent = nullptr);
    ~ChannelLink() override; // closes the port and the connection

    // Each switch-on closes what was open first. `portText` is what the port
    // list shows: a port number (read by the leading-number rule) or a
    // device path starting with "/". The settings string is applied once the
    // port has opened.
    void switchOnSerial(const QString &portText, const QString &settings);
    // On at once: what is sent while the connection is being made is queued.
    void switchOnTcp(const QString &host, const QString &portText);
    // Closes the port and the connection; harmless when nothing is open.
    void close();

    // Sends over the route the channel was switched on with, as fast as the
    // device takes it. False when refused: more than the queue's limit would
    // then wait to go out. While off, nothing is sent (and nothing refused).
    bool send(const Transmission &bytes);
    TransmitQueue &queue() { return *m_queue; }
    Route route() const { return m_route; }
    bool offersTcp() const { return m_socket != nullptr; }

    SerialPortComponent &serial() { return *m_serial; }
    const SerialPortComponent &serial() const { return *m_serial; }
    SocketComponent *socket() { return m_socket; } // channel 1 only
    const SocketComponent *socket() const { return m_socket; }

signals:
    void received(const QByteArray &batch, ChannelLink::Route from);
    void routeChanged(ChannelLink::Route route);
    void switchOnFailed(const QString &text, const QString &detail);
    void lost(const QString &text, const QString &detail);

private:
    void setRoute(Route route);
    void onSerialFailed(const QString &reason);
    void onSocketFailed(const QString &reason);

    const int m_number;
    SerialPortComponent *m_serial = nullptr; // SaxComm / SaxComm1
    SocketComponent *m_socket = nullptr;     // sockMain
    TransmitQueue *m_queue = nullptr;
    Route m_route = Route::None;
};
