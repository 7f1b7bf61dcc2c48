#include "support/mosquitto_broker.h"

#include "support/tcp_peer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QTest>

#include <mosquitto.h>
#include <pwd.h>
#include <unistd.h>

bool MosquittoBroker::isInstalled()
{
    return QFileInfo(QString::fromLatin1(program)).isExecutable();
}

bool MosquittoBroker::start(const QString &user, const QString &password)
{
    if (m_port == 0)
        m_port = TcpPeer::refusedPort();
    const QString config = m_dir.filePath(QStringLiteral("mosquitto.conf"));
    QFile file(config);
    if (m_port == 0 || !file.open(QIODevice::WriteOnly))
        return false;
    file.write(m_tlsListener);
    file.write(QStringLiteral("listener %1 127.0.0.1\n"
                              "persistence true\npersistence_location %2/\n"
                              "max_queued_messages 0\nmax_inflight_messages 0\n"
                              "log_dest none\n"
                              // Run as root, it would become the user "mosquitto",
                              // who can't write its sessions into this folder.
                              "user %3\n")
                   .arg(m_port)
                   .arg(m_dir.path(), QString::fromLocal8Bit(getpwuid(geteuid())->pw_name))
                   .toUtf8());
    if (user.isEmpty()) {
        file.write("allow_anonymous true\n");
    } else {
        const QString passwords = m_dir.filePath(QStringLiteral("passwords"));
        QFile::remove(passwords);
        if (QProcess::execute(
                QStringLiteral("/usr/bin/mosquitto_passwd"),
                {QStringLiteral("-c"), QStringLiteral("-b"), passwords, user, password}) != 0)
            return false;
        file.write("allow_anonymous false\npassword_file " + passwords.toUtf8() + '\n');
    }
    file.close();
    return TcpPeer::startServer(m_process, QString::fromLatin1(program),
                                {QStringLiteral("-c"), config}, m_port);
}

void MosquittoBroker::setTls(const QString &caFile, const QString &certFile, const QString &keyFile,
                             bool requireCertificate)
{
    m_tlsPort = TcpPeer::refusedPort();
    m_tlsListener = QStringLiteral("listener %1 127.0.0.1\ncafile %2\ncertfile %3\nkeyfile %4\n"
                                   "require_certificate %5\n")
                        .arg(m_tlsPort)
                        .arg(caFile, certFile, keyFile,
                             requireCertificate ? QStringLiteral("true") : QStringLiteral("false"))
                        .toUtf8();
}

void MosquittoBroker::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate(); // by its own process id; it saves its sessions
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

MosquittoBroker::~MosquittoBroker()
{
    stop();
}

MqttTestSubscriber::~MqttTestSubscriber()
{
    if (m_mosq) {
        mosquitto_disconnect(m_mosq);
        mosquitto_loop_stop(m_mosq, false);
        mosquitto_destroy(m_mosq);
    }
}

bool MqttTestSubscriber::subscribe(quint16 port, const QByteArray &topic,
                                   const QByteArray &clientId)
{
    mosquitto_lib_init();
    m_mosq = mosquitto_new(clientId.constData(), false, this);
    mosquitto_message_callback_set(
        m_mosq, [](mosquitto *, void *self, const mosquitto_message *message) {
            auto *subscriber = static_cast<MqttTestSubscriber *>(self);
            const QMutexLocker lock(&subscriber->m_mutex);
            subscriber->m_messages.append(
                {QByteArray(message->topic),
                 QByteArray(static_cast<const char *>(message->payload), message->payloadlen)});
        });
    mosquitto_subscribe_callback_set(m_mosq, [](mosquitto *, void *self, int, int, const int *) {
        auto *subscriber = static_cast<MqttTestSubscriber *>(self);
        const QMutexLocker lock(&subscriber->m_mutex);
        ++subscriber->m_subscriptions;
    });
    // Subscribed again on each connection, as mosquitto_sub does: the
    // session's messages wait at the broker either way.
    m_topic = topic;
    mosquitto_connect_callback_set(m_mosq, [](mosquitto *mosq, void *self, int rc) {
        if (rc == 0)
            mosquitto_subscribe(mosq, nullptr,
                                static_cast<MqttTestSubscriber *>(self)->m_topic.constData(), 1);
    });
    if (mosquitto_connect(m_mosq, "127.0.0.1", port, 60) != MOSQ_ERR_SUCCESS ||
        mosquitto_loop_start(m_mosq) != MOSQ_ERR_SUCCESS)
        return false;
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        {
            const QMutexLocker lock(&m_mutex);
            if (m_subscriptions > 0)
                return true;
        }
        QTest::qWait(10);
    }
    return false;
}

bool MqttTestSubscriber::publish(const QByteArray &topic, const QByteArray &payload)
{
    return mosquitto_publish(m_mosq, nullptr, topic.constData(), int(payload.size()),
                             payload.constData(), 1, false) == MOSQ_ERR_SUCCESS;
}

QList<MqttTestSubscriber::Message> MqttTestSubscriber::messages() const
{
    const QMutexLocker lock(&m_mutex);
    return m_messages;
}

qsizetype MqttTestSubscriber::count() const
{
    const QMutexLocker lock(&m_mutex);
    return m_messages.size();
}

bool MqttTestSubscriber::waitFor(qsizetype count, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (this->count() < count && !deadline.hasExpired())
        QTest::qWait(20);
    return this->count() >= count;
}

bool MqttTestSubscriber::waitForSubscriptions(int count, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        {
            const QMutexLocker lock(&m_mutex);
            if (m_subscriptions >= count)
                return true;
        }
        QTest::qWait(10);
    }
    return false;
}
