#include "ui/channel_status.h"

#include "devices/channel.h"
#include "devices/control_lines.h"
#include "devices/link_reconnect.h"
#include "devices/recordings.h"
#include "devices/serial_port_component.h"
#include "devices/socket_component.h"
#include "devices/telnet_com_port.h"

#include <QFileInfo>
#include <QLocale>
#include <QStringList>

namespace {

// Fixed English forms, whatever the system's locale: "1,024", "3.1 kB".
const QLocale &numberLocale()
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english;
}

// "CTS=1 DSR=1 DCD=0 RI=0", or that the device has none.
QString inputLinesText(const ControlLines &lines)
{
    if (lines.refused())
        return QStringLiteral("no control lines");
    const std::optional<InputLines> inputs = lines.inputs();
    if (!inputs)
        return {};
    return QStringLiteral("CTS=%1 DSR=%2 DCD=%3 RI=%4")
        .arg(int(inputs->cts))
        .arg(int(inputs->dsr))
        .arg(int(inputs->dcd))
        .arg(int(inputs->ri));
}

// The serial port behind an RFC 2217 connection, as a local one is shown:
// " 9600,n,8,1  CTS=1 DSR=0 DCD=0 RI=0", or why it is raw Telnet.
QString remotePortText(const TelnetComPort &remote)
{
    switch (remote.state()) {
    case TelnetComPort::State::Off:
    case TelnetComPort::State::Asking:
        return QStringLiteral(" asking for the COM port...");
    case TelnetComPort::State::Refused:
        return QStringLiteral(" raw Telnet (COM port option refused)");
    case TelnetComPort::State::Accepted:
        break;
    }
    QString text = QLatin1Char(' ') + remote.settingsText();
    if (remote.linesRefused())
        text += QStringLiteral("  no control lines");
    else if (const std::optional<InputLines> inputs = remote.inputs())
        text += QStringLiteral("  CTS=%1 DSR=%2 DCD=%3 RI=%4")
                    .arg(int(inputs->cts))
                    .arg(int(inputs->dsr))
                    .arg(int(inputs->dcd))
                    .arg(int(inputs->ri));
    if (!remote.lineErrors().isEmpty())
        text += QStringLiteral("  ") + remote.lineErrors();
    return text;
}

QString stateText(const Channel &channel)
{
    const ChannelLink &link = channel.link();
    const LinkReconnect &reconnect = link.reconnect();
    switch (link.route()) {
    case ChannelLink::Route::None:
        // Settings of its own are what it will switch on with, unlike the other channels.
        return channel.hasOwnSettings()
                   ? QStringLiteral("Off (own settings %1)").arg(channel.serialSettings())
                   : QStringLiteral("Off");
    case ChannelLink::Route::Serial: {
        if (reconnect.isWaiting()) {
            const QString held = reconnect.heldOff();
            return QStringLiteral("waiting for ") + reconnect.target() +
                   (held.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(held));
        }
        const QString lines = inputLinesText(link.controlLines());
        // The settings as the device reports them: a driver rounds a speed.
        const QString inUse = link.serial().settingsInUse();
        return link.serial().portName() + QLatin1Char(' ') +
               (inUse.isEmpty() ? channel.switchedOnSettings() : inUse) +
               (lines.isEmpty() ? QString() : QStringLiteral("  ") + lines);
    }
    case ChannelLink::Route::Tcp: {
        if (reconnect.isWaiting())
            return QStringLiteral("reconnecting to ") + reconnect.target();
        const SocketComponent &socket = *link.socket();
        if (link.network() == ChannelLink::Network::Listen) {
            const QString at =
                QStringLiteral("%1:%2").arg(socket.remoteHostName()).arg(socket.remotePortNumber());
            return socket.isConnected()
                       ? QStringLiteral("TCP %1, client %2").arg(at, socket.clientPeer())
                       : QStringLiteral("TCP listening on %1").arg(at);
        }
        const bool remote = link.network() == ChannelLink::Network::Rfc2217;
        const QString peer = QStringLiteral("%1 %2:%3")
                                 .arg(remote ? QStringLiteral("RFC 2217") : QStringLiteral("TCP"),
                                      socket.remoteHostName())
                                 .arg(socket.remotePortNumber());
        if (!socket.isConnected())
            return peer + QStringLiteral(" connecting...");
        return remote ? peer + remotePortText(*link.remotePort()) : peer;
    }
    }
    return {};
}

} // namespace

QString channelStatusText(const Channel &channel, const Recordings &recordings)
{
    QString text = QStringLiteral("Comm Port %1: %2  RX %3  TX %4")
                       .arg(channel.number())
                       .arg(stateText(channel), numberLocale().toString(channel.receivedCount()),
                            numberLocale().toString(channel.sentCount()));
    if (const qint64 notShown = channel.pane().notShown(); notShown > 0)
        text += QStringLiteral("  pane full: %1 bytes not shown")
                    .arg(numberLocale().toString(notShown));
    for (const Recording *recording : recordings.recordingsOf(channel))
        text += QStringLiteral("  \u25cf %1 %2")
                    .arg(QFileInfo(recording->path()).fileName(),
                         numberLocale().formattedDataSize(recording->fileSize(), 1,
                                                          QLocale::DataSizeSIFormat));
    return text;
}

QString channelRecordingPaths(const Channel &channel, const Recordings &recordings)
{
    QStringList paths;
    for (const Recording *recording : recordings.recordingsOf(channel))
        paths << recording->path();
    return paths.join(QLatin1Char('\n'));
}
