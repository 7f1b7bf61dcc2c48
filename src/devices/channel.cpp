#include "devices/channel.h"

#include "core/transmit_line.h"
#include "devices/control_lines.h"
#include "devices/serial_port_component.h"
#include "devices/socket_component.h"
#include "devices/telnet_com_port.h"
#include "devices/transmit_queue.h"

#include <QScopedValueRollback>

#include <algorithm>

namespace {

// How often a paused connection looks whether the spill file caught up.
constexpr int kSpillCheckMs = 2;

} // namespace

Channel::Channel(int number, bool offersTcp, QObject *parent)
    : QObject(parent)
    , m_number(number)
    , m_receiver(m_modes, m_module, m_pane)
    , m_link(number, offersTcp)
{
    setObjectName(QStringLiteral("channel%1").arg(number));
    m_pane.setParent(this);
    m_receiver.setParent(this);
    m_link.setParent(this);
    m_sendButtons.setParent(this);
    m_replayer.setParent(this);
    m_receiver.timer().setObjectName(QStringLiteral("Timer%1").arg(number));
    wireReceiveRoute();
    m_spillCatchUp.setInterval(kSpillCheckMs);
    connect(&m_spillCatchUp, &QTimer::timeout, this, &Channel::resumeOnceSpillCaughtUp);
    connect(&m_link, &ChannelLink::routeChanged, this, [this](ChannelLink::Route route) {
        const bool on = route != ChannelLink::Route::None;
        if (on) {
            m_receivedCount = 0;
            m_sentCount = 0;
        } else {
            m_sendButtons.stopAll();
            m_replayer.stop();
        }
        followLink();
        emit onChanged(on);
    });
    connect(&m_link, &ChannelLink::switchOnFailed, this,
            [this](const QString &text, const QString &detail) {
                followLink();
                emit failed(text, detail);
            });
    connect(&m_link, &ChannelLink::lost, this, &Channel::onLost);
    connect(&m_link, &ChannelLink::unsentDropped, this, [this](qint64 queued, qint64 held) {
        // Only what the device held was counted: the queue's part never
        // reached it.
        m_sentCount = std::max<qint64>(0, m_sentCount - held);
        emit sentDropped(queued, held);
    });
    connect(&m_link, &ChannelLink::waiting, this, &Channel::linkNoted);
    connect(&m_link, &ChannelLink::reconnected, this, &Channel::linkNoted);
    connect(&m_link, &ChannelLink::sent, this, [this](QByteArrayView bytes) {
        m_sentCount += bytes.size();
        if (m_transferring)
            return; // a protocol's frames are no text to show or log
        if (m_module.localEcho)
            m_receiver.showSent(bytes);
        emit bytesSent(bytes);
    });
    connect(&m_link, &ChannelLink::clientNoted, this, &Channel::linkNoted);
    connect(&m_link, &ChannelLink::remoteNoted, this, &Channel::remoteNoted);
    connect(&m_link, &ChannelLink::remoteNoted, this, &Channel::linkNoted);
    connect(&m_link, &ChannelLink::optionsChanged, this, &Channel::linkChanged);
    connect(&m_link, &ChannelLink::controlLinesChanged, this, &Channel::linkChanged);
    connect(&m_link, &ChannelLink::routeChanged, this, &Channel::linkChanged);
    connect(this, &Channel::linkNoted, this, &Channel::linkChanged); // waiting, or back
}

Channel::LinkAbilities Channel::linkAbilities() const
{
    const bool network = m_link.route() == ChannelLink::Route::Tcp;
    if (network && m_link.network() == ChannelLink::Network::Rfc2217) {
        const TelnetComPort &remote = *m_link.remotePort();
        const bool accepted = remote.state() == TelnetComPort::State::Accepted;
        return {false, remote.state() == TelnetComPort::State::Refused || remote.linesRefused(),
                accepted, tr("The remote port"), true};
    }
    return {m_link.route() == ChannelLink::Route::Tcp, m_link.controlLines().refused(),
            m_link.controlLines().isOpen(), m_link.serial().portName()};
}

qint64 Channel::transmitLimit() const
{
    return m_link.queue().limit();
}

void Channel::setPaneTimes(const PaneTimeChoice &choice)
{
    if (choice == m_paneTimes)
        return;
    m_paneTimes = choice;
    emit paneTimesChanged();
}

void Channel::wireReceiveRoute()
{
    connect(&m_link, &ChannelLink::received, this, &Channel::onReceived);
    // A terminal answers the device's status queries; a replay's queries
    // were answered when they were recorded.
    connect(&m_receiver, &ChannelReceiver::terminalAnswered, this, [this](const QByteArray &bytes) {
        if (!m_replaying)
            sendUntyped(Transmission(bytes));
    });
}

void Channel::onReceived(const QByteArray &batch, ChannelLink::Route from)
{
    // One clock read per batch, before anyone sees it: the time of every
    // line it starts, of its log entries and of a script's match in it.
    const ArrivalTime arrival = ArrivalClock::read();
    m_receivedCount += batch.size();
    if (m_transferring) {
        emit transferReceived(batch);
        return;
    }
    emit batchReceived(batch, arrival);
    m_plot.receive(batch, arrival.wallMs);
    if (from == ChannelLink::Route::Tcp)
        m_receiver.receiveSocket(batch, arrival.wallMs);
    else
        m_receiver.receiveSerial(batch, arrival.wallMs);
    if (m_module.zmodemAutoStart && !m_autoStartHeld && !m_replaying && m_zmodemSpotter.spot(batch))
        emit zmodemRequested();
    pauseWhileSpillBehind(from);
}

void Channel::pauseWhileSpillBehind(ChannelLink::Route from)
{
    // A serial port is never faster than a disk, and holding back its reads
    // could lose bytes: its appends wait a little instead (PaneStore).
    if (from != ChannelLink::Route::Tcp || m_spillCatchUp.isActive() || !m_pane.isSpillBehind())
        return;
    m_link.socket()->setReadingPaused(true);
    m_spillCatchUp.start();
}

void Channel::resumeOnceSpillCaughtUp()
{
    if (m_pane.catchUpSpill() && m_link.route() == ChannelLink::Route::Tcp)
        return;
    m_spillCatchUp.stop();
    if (SocketComponent *socket = m_link.socket())
        socket->setReadingPaused(false);
}

void Channel::onLost(const QString &text, const QString &detail)
{
    m_receiver.flushPending(); // nothing received is lost
    emit failed(text, detail);
}

void Channel::load(PaneOnLoad pane)
{
    m_link.close();
    m_receiver.timer().stop();
    m_modes.setLoadDefaults();
    if (pane == PaneOnLoad::Emptied) {
        m_pane.clear();
        m_plot.clear();
    }
}

void Channel::unload()
{
    m_link.close();
    m_receiver.timer().stop();
}

template <typename Value> void Channel::change(Value &field, Value value)
{
    if (field == value)
        return;
    field = value;
    emit modesChanged();
}

void Channel::setLineBreaks(LineBreaks rule)
{
    m_pane.setLineBreaks(rule);
    change(m_module.lineBreaks, rule);
}

void Channel::setLocalEcho(bool on)
{
    change(m_module.localEcho, on);
}

void Channel::setFormat(ReceiveFormat format)
{
    if (m_modes.format == ReceiveFormat::Terminal && format != ReceiveFormat::Terminal)
        m_receiver.keepTerminalScreen();
    // Said even when chosen again: the options show it afresh.
    m_modes.format = format;
    emit formatChanged();
    emit modesChanged();
}

void Channel::setDisplayMode(DisplayMode mode)
{
    change(m_modes.display, mode);
}

void Channel::setTransmitMode(TransmitMode mode)
{
    change(m_modes.transmit, mode);
}

void Channel::setHexEntry(bool on)
{
    change(m_modes.hexEntry, on);
}

void Channel::setTimeOut(qint16 ms)
{
    change(m_module.intTimeOut, ms);
}

void Channel::setAccumulate(AccumulateMode mode)
{
    change(m_module.addTo, mode);
}

void Channel::setLineEnding(LineEnding ending)
{
    change(m_module.lineEnding, ending);
}

void Channel::setZmodemAutoStart(bool on)
{
    change(m_module.zmodemAutoStart, on);
}

void Channel::setZmodemQuietSeconds(int seconds)
{
    change(m_module.zmodemQuietSeconds, seconds);
}

void Channel::setSignOnDefaults()
{
    ChannelModule defaults = m_module;
    defaults.setSignOnDefaults();
    setTimeOut(defaults.intTimeOut);
    setAccumulate(defaults.addTo);
}

void Channel::setChoices(const ChannelChoices &choices)
{
    if (choices.port == m_choices.port && choices.host == m_choices.host &&
        choices.socket == m_choices.socket && choices.on == m_choices.on)
        return;
    m_choices = choices;
    emit choicesChanged();
}

void Channel::setPortText(const QString &text)
{
    ChannelChoices choices = m_choices;
    choices.port = text;
    setChoices(choices);
}

void Channel::setHost(const QString &host)
{
    ChannelChoices choices = m_choices;
    choices.host = host;
    setChoices(choices);
}

void Channel::setSocket(const QString &socket)
{
    ChannelChoices choices = m_choices;
    choices.socket = socket;
    setChoices(choices);
}

void Channel::followLink()
{
    ChannelChoices choices = m_choices;
    choices.on = isOn();
    setChoices(choices);
}

void Channel::switchOn()
{
    const std::optional<ChannelLink::Network> network = ChannelLink::networkOfEntry(m_choices.port);
    if (network && offersTcp())
        switchOnNetwork(*network, m_choices.host, m_choices.socket, m_serialSettings);
    else
        switchOnSerial(m_choices.port, m_serialSettings);
    followLink();
}

QString Channel::listenBeyondLoopbackRefusal() const
{
    if (!offersTcp() || !m_choices.listensBeyondLoopback())
        return {};
    return QStringLiteral("Comm Port %1 would listen at %2 port %3, beyond this machine's "
                          "loopback: a client from elsewhere would get everything the channel "
                          "sends. To allow it, add --allow-listen-beyond-loopback.")
        .arg(m_number)
        .arg(m_choices.host, m_choices.socket);
}

void Channel::switchOnSerial(const QString &portText, const QString &settings)
{
    m_switchedOnSettings = settings;
    m_link.switchOnSerial(portText, settings);
}

void Channel::switchOnTcp(const QString &host, const QString &portText)
{
    m_link.switchOnTcp(host, portText);
}

void Channel::switchOnNetwork(ChannelLink::Network kind, const QString &host,
                              const QString &portText, const QString &settings)
{
    m_switchedOnSettings = settings;
    m_link.switchOnNetwork(kind, host, portText, settings);
}

void Channel::switchOff()
{
    m_link.close();
}

void Channel::type(QByteArrayView codes)
{
    send(TransmitLine::type(m_modes, m_modes.hexEntry, codes, m_module.lineEnding));
}

void Channel::sendKey(const QByteArray &bytes)
{
    send({Transmission(bytes)});
}

void Channel::repeat()
{
    send(TransmitLine::repeatRecord(m_modes, m_modes.hexEntry));
}

void Channel::send(const TransmissionList &transmissions)
{
    // Typed bytes would break a file transfer's frames.
    if (!isOn() || isWaiting() || m_transferring)
        return;
    qint64 refused = 0;
    for (const Transmission &bytes : transmissions) {
        if (bytes.isEmpty())
            continue;
        if (!m_link.send(bytes))
            refused += bytes.size();
    }
    if (refused > 0)
        emit transmitRefused(refused);
}

bool Channel::sendUntyped(const Transmission &bytes)
{
    return isOn() && m_link.send(bytes);
}

void Channel::clearTransmit()
{
    TransmitLine::clearRecords(m_modes);
}

void Channel::receiveReplayed(const QByteArray &bytes)
{
    // A recording's request is history: no sender waits for an answer.
    const QScopedValueRollback replaying(m_replaying, true);
    onReceived(bytes, ChannelLink::Route::Serial);
}

void Channel::clearReceived()
{
    m_replayer.stop();
    m_receiver.clearReceived();
    m_plot.clear();
}

#include "moc_channel.cpp"
