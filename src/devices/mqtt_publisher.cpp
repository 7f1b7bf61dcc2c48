#include "devices/mqtt_publisher.h"

#include "core/named_file.h"
#include "devices/channel.h"

#include <QDateTime>
#include <QDir>

#include <algorithm>

namespace {

// The one place a published message takes its arrival time from: read
// while the channel hands on the batch, so it is the batch's own time.
qint64 publishedBatchArrivalMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// A client id as a folder's name: anything but letters, digits, '.', '-'
// and '_' becomes '_'.
QString publisherFolderName(const QString &clientId)
{
    QString name = clientId;
    for (QChar &c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'.' && c != u'-' && c != u'_')
            c = u'_';
    }
    return name.startsWith(u'.') ? u'_' + name : name;
}

// The TLS files, checked here so that only regular files reach the
// library: empty, or which file can't be used and why.
QString publisherTlsProblem(const MqttSettings &settings)
{
    if (settings.caFile.isEmpty()) {
        if (settings.certFile.isEmpty() && settings.keyFile.isEmpty())
            return {};
        return MqttPublisher::tr("A client certificate needs TLS: name the CA file too.");
    }
    if (settings.certFile.isEmpty() != settings.keyFile.isEmpty())
        return MqttPublisher::tr("The client certificate and its key go together: name both.");
    const std::pair<QString, QString> files[] = {
        {settings.caFile, MqttPublisher::tr("CA file")},
        {settings.certFile, MqttPublisher::tr("certificate file")},
        {settings.keyFile, MqttPublisher::tr("key file")},
    };
    for (const auto &[path, what] : files) {
        QFile file;
        const QString problem = path.isEmpty() ? QString() : NamedFile::open(file, path);
        if (!problem.isEmpty())
            return MqttPublisher::tr("The %1 %2 can't be used: %3").arg(what, path, problem);
    }
    return {};
}

constexpr int publisherStatusMs = 250;
constexpr qint64 publisherPasswordFileLargest = 4096;

} // namespace

MqttPublisher::MqttPublisher(const QList<Channel *> &channels, QObject *parent)
    : QObject(parent)
    , m_channels(channels)
{
    m_statusTimer.setSingleShot(true);
    m_statusTimer.setInterval(publisherStatusMs);
    connect(&m_statusTimer, &QTimer::timeout, this, &MqttPublisher::reportStatus);
    m_acknowledgeTimer.setSingleShot(true);
    m_acknowledgeTimer.setInterval(0);
    connect(&m_acknowledgeTimer, &QTimer::timeout, this, &MqttPublisher::acknowledgeDelivered);
}

MqttPublisher::~MqttPublisher()
{
    stop();
}

QString MqttPublisher::apply(const MqttSettings &settings)
{
    stop();
    m_settings = settings;
    if (!settings.publish)
        return {};
    MqttClient::Options options;
    options.host = settings.host.trimmed();
    options.port = settings.port;
    options.clientId = settings.clientIdUsed();
    options.keepAliveSeconds = settings.keepAliveSeconds;
    options.caFile = settings.caFile;
    options.certFile = settings.certFile;
    options.keyFile = settings.keyFile;
    options.statusTopic = settings.statusTopic();
    options.username = settings.username;
    QString error;
    if (options.host.isEmpty())
        error = tr("No broker is named (Host).");
    if (error.isEmpty())
        error = publisherTlsProblem(settings);
    if (error.isEmpty() && !settings.passwordFile.isEmpty()) {
        const NamedFile::Contents file =
            NamedFile::read(settings.passwordFile, publisherPasswordFileLargest);
        if (!file.error.isEmpty())
            error =
                tr("The password file %1 can't be read: %2").arg(settings.passwordFile, file.error);
        options.password = file.bytes.split('\n').value(0);
        if (options.password.endsWith('\r'))
            options.password.chop(1);
    }
    if (settings.sendFromBroker)
        options.subscribeTopic = "varnokterm/" + settings.nodeName().toUtf8() + "/+/tx";
    const QString folder = MqttDiskQueue::folderFor(publisherFolderName(options.clientId));
    if (error.isEmpty()) {
        QDir().mkpath(folder);
        m_queueLock = std::make_unique<QLockFile>(folder + QStringLiteral(".lock"));
        m_queueLock->setStaleLockTime(0);
        if (!m_queueLock->tryLock())
            error = tr("The queue %1 is in use by another VarnokTerm with the client id %2.")
                        .arg(folder, options.clientId);
    }
    if (error.isEmpty())
        error = m_queue.open(folder, settings.queueBytes);
    if (!error.isEmpty()) {
        m_queueLock.reset();
        m_settings.publish = false;
        return error;
    }
    m_node = settings.nodeName().toUtf8();
    m_cutters = QList<MqttLineCutter>(m_channels.size());
    m_finders = QList<NumberFinder>(m_channels.size());
    for (Channel *channel : m_channels) {
        const int number = channel->number();
        // The numbers are found as the channel's plot finds them.
        m_finders[number - 1].setPattern(channel->plot().pattern());
        m_hooks << connect(channel, &Channel::batchReceived, this,
                           [this, number](const QByteArray &batch) {
                               onBatch(number, batch, publishedBatchArrivalMs());
                           });
        m_hooks << connect(channel, &Channel::onChanged, this, [this, number](bool on) {
            if (!on)
                onChannelClosed(number);
        });
    }
    m_client = std::make_unique<MqttClient>();
    connect(m_client.get(), &MqttClient::connected, this, &MqttPublisher::onConnected);
    connect(m_client.get(), &MqttClient::lost, this, &MqttPublisher::onLost);
    connect(m_client.get(), &MqttClient::delivered, this, &MqttPublisher::onDelivered);
    connect(m_client.get(), &MqttClient::messageArrived, this, &MqttPublisher::onMessageArrived);
    m_problem = tr("connecting to %1 port %2").arg(options.host).arg(options.port);
    m_nextUnconfirmed = m_queue.firstUnconfirmed();
    m_droppedReported = 0;
    m_client->open(options);
    if (m_queue.waiting() > 0)
        emit noted(tr("MQTT: %n message(s) from an earlier run wait in the queue.", nullptr,
                      int(std::min<qint64>(m_queue.waiting(), INT_MAX))));
    reportStatus();
    return {};
}

void MqttPublisher::stop()
{
    for (const QMetaObject::Connection &hook : std::as_const(m_hooks))
        disconnect(hook);
    m_hooks.clear();
    for (int number = 1; number <= m_cutters.size(); ++number)
        onChannelClosed(number); // a line without its end yet is kept, not lost
    m_cutters.clear();
    m_finders.clear();
    m_client.reset(); // disconnects, saying "offline"
    m_connected = false;
    if (m_acknowledgeTimer.isActive())
        acknowledgeDelivered();
    m_acknowledgeTimer.stop();
    m_queue.close();
    m_queueLock.reset();
    m_connected = false;
    m_inFlight = 0;
    m_deliveredAhead.clear();
    m_problem.clear();
    if (m_settings.publish) {
        m_settings.publish = false;
        reportStatus();
    }
}

void MqttPublisher::onBatch(int channel, const QByteArray &batch, qint64 arrivalMs)
{
    if (m_settings.form == MqttSettings::Form::Batches)
        m_queue.append(m_settings.receivedTopic(channel), batch);
    if (m_settings.form != MqttSettings::Form::Batches || m_settings.publishValues) {
        QList<MqttLineCutter::Line> lines;
        m_cutters[channel - 1].feed(batch, arrivalMs, lines);
        appendLines(channel, lines);
    }
    m_queue.flush();
    pump();
    if (!m_statusTimer.isActive())
        m_statusTimer.start();
}

void MqttPublisher::onChannelClosed(int channel)
{
    if (channel > m_cutters.size() || !m_queue.isOpen())
        return;
    QList<MqttLineCutter::Line> lines;
    m_cutters[channel - 1].takeRest(lines);
    appendLines(channel, lines);
    m_queue.flush();
    pump();
}

void MqttPublisher::appendLines(int channel, const QList<MqttLineCutter::Line> &lines)
{
    const QByteArray topic = m_settings.receivedTopic(channel);
    const QByteArray valuesTopic = m_settings.valuesTopic(channel);
    for (const MqttLineCutter::Line &line : lines) {
        if (m_settings.form == MqttSettings::Form::RawLines)
            m_queue.append(topic, line.bytes);
        else if (m_settings.form == MqttSettings::Form::JsonLines)
            m_queue.append(topic, mqttLineJson(line.arrivalMs, channel, m_node, m_queue.nextIndex(),
                                               line.bytes));
        if (!m_settings.publishValues)
            continue;
        const QList<FoundNumber> &numbers = m_finders[channel - 1].find(line.bytes);
        if (!numbers.isEmpty())
            m_queue.append(valuesTopic, mqttValuesJson(line.arrivalMs, channel, m_node,
                                                       m_queue.nextIndex(), numbers));
    }
}

void MqttPublisher::pump()
{
    while (m_connected && m_inFlight < sendWindow && m_queue.hasUntaken()) {
        QList<MqttDiskQueue::Message> messages =
            m_queue.take(std::min(sendBatch, sendWindow - m_inFlight));
        if (messages.isEmpty())
            break;
        m_inFlight += int(messages.size());
        m_client->publish(m_connection, std::move(messages), m_settings.qos);
    }
}

void MqttPublisher::onConnected(int connection)
{
    m_connection = connection;
    m_connected = true;
    m_inFlight = 0;
    m_problem.clear();
    m_queue.rewind();
    m_deliveredAhead.clear();
    m_nextUnconfirmed = m_queue.firstUnconfirmed();
    emit noted(tr("MQTT: connected to %1 port %2.").arg(m_settings.host).arg(m_settings.port));
    pump();
    reportStatus();
}

void MqttPublisher::onLost(const QString &reason, bool refused)
{
    const QString problem = refused ? tr("the broker refused the connection: %1").arg(reason)
                                    : tr("not connected: %1").arg(reason);
    const bool wasConnected = m_connected;
    m_connected = false;
    m_inFlight = 0;
    m_queue.rewind();
    if (problem != m_problem || wasConnected)
        emit noted(tr("MQTT: %1 (tried again each second).").arg(problem));
    m_problem = problem;
    reportStatus();
}

void MqttPublisher::onDelivered(const QList<qint64> &indexes)
{
    m_inFlight = std::max(0, m_inFlight - int(indexes.size()));
    // Messages the queue dropped while they were in flight count as done.
    m_nextUnconfirmed = std::max(m_nextUnconfirmed, m_queue.firstUnconfirmed());
    for (const qint64 index : indexes) {
        if (index == m_nextUnconfirmed && m_deliveredAhead.isEmpty()) {
            ++m_nextUnconfirmed; // the usual case: confirmed in order
        } else if (index > m_nextUnconfirmed) {
            m_deliveredAhead.insert(index);
        } else if (index == m_nextUnconfirmed) {
            ++m_nextUnconfirmed;
            while (m_deliveredAhead.remove(m_nextUnconfirmed))
                ++m_nextUnconfirmed;
        }
    }
    // Once per event loop pass, not once per message: the queue forgets
    // every message confirmed by then in one go.
    if (!m_acknowledgeTimer.isActive())
        m_acknowledgeTimer.start();
}

void MqttPublisher::acknowledgeDelivered()
{
    if (m_nextUnconfirmed > m_queue.firstUnconfirmed())
        m_queue.acknowledge(m_nextUnconfirmed - 1);
    pump();
    if (!m_statusTimer.isActive())
        m_statusTimer.start();
}

void MqttPublisher::onMessageArrived(const QByteArray &topic, const QByteArray &payload)
{
    for (Channel *channel : std::as_const(m_channels)) {
        if (m_settings.sendFromBroker && topic == m_settings.sendTopic(channel->number())) {
            if (!channel->sendUntyped(Transmission(payload)))
                emit noted(tr("MQTT: %n byte(s) from %1 were not sent: the channel is off or "
                              "its queue is full.",
                              nullptr, int(payload.size()))
                               .arg(QString::fromUtf8(topic)));
        }
    }
}

MqttPublisher::Status MqttPublisher::status() const
{
    Status status;
    status.on = m_settings.publish;
    status.connected = m_connected;
    status.queued = m_queue.isOpen() ? m_queue.waiting() : 0;
    status.dropped = m_queue.isOpen() ? m_queue.dropped() : 0;
    status.problem = m_queue.error().isEmpty() ? m_problem : m_queue.error();
    return status;
}

QString MqttPublisher::statusText(const Status &status)
{
    if (!status.on)
        return tr("MQTT: off");
    return tr("MQTT: %1, queued %2, dropped %3")
        .arg(status.connected ? tr("connected") : tr("not connected"))
        .arg(status.queued)
        .arg(status.dropped);
}

void MqttPublisher::reportStatus()
{
    if (m_queue.isOpen())
        m_queue.saveConfirmed();
    if (m_queue.isOpen() && m_queue.dropped() != m_droppedReported) {
        emit noted(tr("MQTT: the queue is full: %1 oldest message(s) dropped, %2 in all.")
                       .arg(m_queue.dropped() - m_droppedReported)
                       .arg(m_queue.dropped()));
        m_droppedReported = m_queue.dropped();
    }
    emit statusChanged();
}

#include "moc_mqtt_publisher.cpp"
