#pragma once

#include "core/channel_state.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>

class ChannelReceiver;
class QLineEdit;
class SerialPortComponent;
class SocketComponent;
struct ChannelControls;

// One channel's port or connection, from its load to its unload: switching it
// on and off, feeding what arrives to the receive path, and sending over the
// route chosen at switch-on. Channel 1 may also use TCP (give it the host and
// port fields); channel 2 is serial only.
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

    ChannelLink(int number, ChannelControls &controls, const QString &strSettings,
                ChannelModes &modes, ChannelModule &module, QLineEdit *txtHost = nullptr,
                QLineEdit *txtPort = nullptr, QObject *parent = nullptr);
    ~ChannelLink() override; // closes the port and the connection

    // The "On"/"Off" switch: index 0 is "On", 1 is "Off".
    void onSwitchClicked(int index);
    // Closes the port and the connection; harmless when nothing is open.
    void close();

    // Sends over the route the channel was switched on with.
    void send(const QByteArray &bytes);
    Route route() const { return m_route; }

    SerialPortComponent &serial() { return *m_serial; }
    SocketComponent *socket() { return m_socket; } // channel 1 only
    ChannelReceiver &receiver() { return *m_receiver; }

private:
    void switchOnSerial();
    void switchOnTcp();
    void setWorkingControlsEnabled(bool enabled);
    void showOff();
    void fail(const QString &text, const QString &detail = {});
    void onSerialFailed(const QString &reason);
    void onSocketFailed(const QString &reason);

    const int m_number;
    ChannelControls &m_controls;
    const QString &m_strSettings;
    ChannelModes &m_modes;
    QPointer<QLineEdit> m_txtHost;
    QPointer<QLineEdit> m_txtPort;
    SerialPortComponent *m_serial = nullptr; // SaxComm / SaxComm1
    SocketComponent *m_socket = nullptr;     // sockMain
    ChannelReceiver *m_receiver = nullptr;
    Route m_route = Route::None;
};
