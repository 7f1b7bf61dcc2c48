#include "devices/channel_status.h"

#include "devices/channel.h"
#include "devices/recordings.h"
#include "devices/serial_port_component.h"
#include "devices/socket_component.h"

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

QString stateText(const Channel &channel)
{
    const ChannelLink &link = channel.link();
    switch (link.route()) {
    case ChannelLink::Route::None:
        return QStringLiteral("Off");
    case ChannelLink::Route::Serial:
        return link.serial().portName() + QLatin1Char(' ') + channel.serialSettings();
    case ChannelLink::Route::Tcp: {
        const SocketComponent &socket = *link.socket();
        const QString peer =
            QStringLiteral("TCP %1:%2").arg(socket.remoteHostName()).arg(socket.remotePortNumber());
        return socket.isConnected() ? peer : peer + QStringLiteral(" connecting...");
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
