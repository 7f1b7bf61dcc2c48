// Channels publish what they receive to a real mosquitto broker on
// 127.0.0.1: complete and in order, through the broker's absence and the
// program's restart, within the queue's bound; the broker's refusal is
// said; broker clients send out of a channel only when allowed; the numbers
// in lines go out on their own topic; TLS checks the broker against the CA.

#include "devices/capture_session.h"
#include "devices/setup_file.h"
#include "support/mosquitto_broker.h"
#include "support/pty_pair.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QByteArray numberedLine(int n)
{
    return "line " + QByteArray::number(n).rightJustified(6, '0');
}

// A capture node: a session whose channel 1 reads a pty and publishes.
struct PublishingNode
{
    CaptureSession session;
    QStringList notes;

    PublishingNode(const PtyPair &pty, const MqttSettings &settings)
    {
        session.setSignOnDefaults();
        QObject::connect(&session.publisher(), &MqttPublisher::noted,
                         [this](const QString &text) { notes << text; });
        const QString error = session.publisher().apply(settings);
        if (!error.isEmpty())
            qWarning("%s", qPrintable(error));
        session.channel(1).switchOnSerial(pty.slavePath(), session.serialSettings());
    }
    bool isOn() const { return session.channel(1).isOn(); }
    MqttPublisher::Status status() { return session.publisher().status(); }
};

MqttSettings settingsFor(quint16 port)
{
    MqttSettings settings;
    settings.publish = true;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = port;
    settings.node = QStringLiteral("bench");
    return settings;
}

// Lines `from`..`to` - 1, a few hundred per write, as a device sends them.
void sendLines(PtyPair &pty, int from, int to)
{
    QByteArray chunk;
    for (int n = from; n < to; ++n) {
        chunk += numberedLine(n) + "\r\n";
        if (chunk.size() > 4000 || n + 1 == to) {
            pty.write(chunk);
            chunk.clear();
        }
    }
}

// The lines a subscriber received, each once: a message whose sequence
// number is not above the last one's is a repeat QoS 1 allows.
QByteArrayList linesOnce(const QList<MqttTestSubscriber::Message> &messages,
                         qint64 *firstSequence = nullptr)
{
    QByteArrayList lines;
    qint64 last = 0;
    for (const MqttTestSubscriber::Message &message : messages) {
        const QJsonObject json = QJsonDocument::fromJson(message.payload).object();
        const qint64 sequence = json.value(QLatin1String("seq")).toInteger();
        if (sequence <= last)
            continue;
        if (firstSequence && last == 0)
            *firstSequence = sequence;
        last = sequence;
        lines << json.value(QLatin1String("line")).toString().toUtf8();
    }
    return lines;
}

// A setup file holding `[MQTT]` with these keys, read into settings.
MqttSettings settingsFromSetup(const QByteArray &keys)
{
    QTemporaryDir dir;
    QFile setup(dir.filePath(QStringLiteral("node.vterm")));
    if (!setup.open(QIODevice::WriteOnly))
        return {};
    setup.write("[MQTT]\n" + keys);
    setup.close();
    CaptureSession reader;
    if (!SetupFile::open(setup.fileName(), reader).clean())
        return {};
    return reader.mqttSettings();
}

// Runs openssl in `dir`; false when it fails.
bool runOpenssl(const QTemporaryDir &dir, const QString &arguments)
{
    QProcess openssl;
    openssl.setWorkingDirectory(dir.path());
    openssl.start(QStringLiteral("/usr/bin/openssl"), arguments.split(u' '));
    const bool ok = openssl.waitForFinished(30000) && openssl.exitCode() == 0;
    if (!ok)
        qWarning("openssl %s: %s", qPrintable(arguments),
                 openssl.readAllStandardError().constData());
    return ok;
}

// In `dir`: two CAs (ca, other-ca), and certificates ca signed for the
// broker (server, for 127.0.0.1) and for a client (client).
bool makeCertificates(const QTemporaryDir &dir)
{
    const QString key = QStringLiteral("-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes");
    QFile names(dir.filePath(QStringLiteral("server.ext")));
    if (!names.open(QIODevice::WriteOnly) || names.write("subjectAltName=IP:127.0.0.1\n") <= 0)
        return false;
    names.close();
    for (const QString ca : {QStringLiteral("ca"), QStringLiteral("other-ca")}) {
        if (!runOpenssl(dir, QStringLiteral("req -x509 %1 -keyout %2.key -out %2.crt -days 2 "
                                            "-subj /CN=%2")
                                 .arg(key, ca)))
            return false;
    }
    for (const QString name : {QStringLiteral("server"), QStringLiteral("client")}) {
        const QString cn = name == QLatin1String("server") ? QStringLiteral("127.0.0.1") : name;
        if (!runOpenssl(dir, QStringLiteral("req %1 -keyout %2.key -out %2.csr -subj /CN=%3")
                                 .arg(key, name, cn)) ||
            !runOpenssl(dir, QStringLiteral("x509 -req -in %1.csr -CA ca.crt -CAkey ca.key "
                                            "-CAcreateserial -out %1.crt -days 2%2")
                                 .arg(name, name == QLatin1String("server")
                                                ? QStringLiteral(" -extfile server.ext")
                                                : QString())))
            return false;
    }
    return true;
}

} // namespace

class TestMqttPublishing : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void everyLineArrivesInOrder_data();
    void everyLineArrivesInOrder();
    void refusedLogInIsSaid_data();
    void refusedLogInIsSaid();
    void brokerClientsSendOnlyWhenAllowed_data();
    void brokerClientsSendOnlyWhenAllowed();
    void numbersGoToTheValuesTopic();
    void tlsChecksTheBroker_data();
    void tlsChecksTheBroker();

private:
    std::unique_ptr<QTemporaryDir> m_state;
};

void TestMqttPublishing::init()
{
    if (!MosquittoBroker::isInstalled())
        QSKIP("mosquitto is not installed (tools/test.sh installs it)");
    // Each case's queue starts empty, in a state folder of its own.
    m_state = std::make_unique<QTemporaryDir>();
    qputenv("XDG_STATE_HOME", m_state->path().toLocal8Bit());
}

void TestMqttPublishing::everyLineArrivesInOrder_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("brokerAwayMidway"); // for 10 s, while lines keep coming
    // Away from the start: the node queues every line, ends, and a node
    // started again sends the queue once the broker is back.
    QTest::addColumn<bool>("brokerAwayFirst");
    QTest::addColumn<int>("queueMegabytes");

    QTest::newRow("100000 lines") << 100000 << false << false << 100;
    QTest::newRow("broker away 10 s") << 20000 << true << false << 100;
    QTest::newRow("node restarted with a queue") << 5000 << false << true << 100;
    QTest::newRow("full queue drops the oldest") << 30000 << false << true << 1;
}

void TestMqttPublishing::everyLineArrivesInOrder()
{
    QFETCH(int, lines);
    QFETCH(bool, brokerAwayMidway);
    QFETCH(bool, brokerAwayFirst);
    QFETCH(int, queueMegabytes);

    MosquittoBroker broker;
    QVERIFY(broker.start());
    MqttTestSubscriber subscriber;
    QVERIFY(subscriber.subscribe(broker.port(), "varnokterm/bench/1/rx"));
    if (brokerAwayFirst)
        broker.stop();

    PtyPair pty;
    MqttSettings settings = settingsFor(broker.port());
    settings.queueBytes = qint64(queueMegabytes) << 20;
    auto node = std::make_unique<PublishingNode>(pty, settings);
    QTRY_VERIFY(node->isOn());
    if (!brokerAwayFirst)
        QTRY_VERIFY(node->status().connected);
    sendLines(pty, 0, lines / 2);
    if (brokerAwayMidway)
        broker.stop();
    sendLines(pty, lines / 2, lines);
    if (brokerAwayMidway) {
        QTest::qWait(10000);
        QVERIFY(broker.start());
    }
    qint64 dropped = 0;
    if (brokerAwayFirst) {
        // Every line is in the queue (or dropped from it) before the node ends.
        QTRY_COMPARE_WITH_TIMEOUT(node->status().queued + node->status().dropped, qint64(lines),
                                  20000);
        dropped = node->status().dropped;
        // The count is said with the status's next report.
        if (queueMegabytes == 1)
            QTRY_VERIFY(
                node->notes.join(u'\n').contains(QLatin1String("oldest message(s) dropped")));
        const QString notes = node->notes.join(u'\n');
        const QString status = MqttPublisher::statusText(node->status());
        node.reset();
        if (queueMegabytes == 1) {
            QVERIFY(dropped > 0);
            QVERIFY(notes.contains(QLatin1String("oldest message(s) dropped")));
            QVERIFY(status.contains(QStringLiteral("dropped %1").arg(dropped)));
        }
        // The broker keeps the subscriber's session; it is back before the node.
        QVERIFY(broker.start());
        QVERIFY(subscriber.waitForSubscriptions(2, 10000));
        node = std::make_unique<PublishingNode>(pty, settings);
    }

    QVERIFY(subscriber.waitFor(lines - dropped, 60000));
    // Repeats count in that wait: the last lines may still be on their way.
    QTRY_COMPARE_WITH_TIMEOUT(linesOnce(subscriber.messages()).size(), qsizetype(lines - dropped),
                              20000);
    QTRY_COMPARE_WITH_TIMEOUT(node->status().queued, qint64(0), 20000);
    qint64 firstSequence = 0;
    const QByteArrayList received = linesOnce(subscriber.messages(), &firstSequence);
    QByteArrayList expected;
    for (int n = int(dropped); n < lines; ++n)
        expected << numberedLine(n);
    QCOMPARE(received.size(), expected.size());
    QCOMPARE(received, expected);
    QCOMPARE(firstSequence, dropped + 1); // the oldest went, counted
}

void TestMqttPublishing::refusedLogInIsSaid_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<bool>("connects");

    QTest::newRow("right password") << QByteArray("secret\n") << true;
    QTest::newRow("wrong password") << QByteArray("guess\n") << false;
}

void TestMqttPublishing::refusedLogInIsSaid()
{
    QFETCH(QByteArray, password);
    QFETCH(bool, connects);
    MosquittoBroker broker;
    QVERIFY(broker.start(QStringLiteral("capture"), QStringLiteral("secret")));
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("password")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(password) == password.size());
    file.close();
    MqttSettings settings = settingsFor(broker.port());
    settings.username = QStringLiteral("capture");
    settings.passwordFile = file.fileName();
    PtyPair pty;
    PublishingNode node(pty, settings);
    if (connects) {
        QTRY_VERIFY(node.status().connected);
    } else {
        QTRY_VERIFY(node.status().problem.contains(QLatin1String("refused")));
        QVERIFY(node.status().problem.contains(QLatin1String("not authorised")));
        QVERIFY(node.notes.join(u'\n').contains(QLatin1String("the broker refused")));
    }
}

void TestMqttPublishing::brokerClientsSendOnlyWhenAllowed_data()
{
    QTest::addColumn<QByteArray>("sendFromBroker"); // the setup key's value, or none
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("off unless set") << QByteArray() << QByteArray();
    QTest::newRow("set") << QByteArray("true") << QByteArray("hello");
}

void TestMqttPublishing::brokerClientsSendOnlyWhenAllowed()
{
    QFETCH(QByteArray, sendFromBroker);
    QFETCH(QByteArray, sent);
    MosquittoBroker broker;
    QVERIFY(broker.start());
    QTemporaryDir dir;
    QFile setup(dir.filePath(QStringLiteral("node.vterm")));
    QVERIFY(setup.open(QIODevice::WriteOnly));
    setup.write("[MQTT]\nPublish=true\nHost=127.0.0.1\nNode=bench\nPort=" +
                QByteArray::number(broker.port()) + '\n');
    if (!sendFromBroker.isEmpty())
        setup.write("SendFromBroker=" + sendFromBroker + '\n');
    setup.close();
    CaptureSession reader;
    QVERIFY(SetupFile::open(setup.fileName(), reader).clean());

    PtyPair pty;
    PublishingNode node(pty, reader.mqttSettings());
    QTRY_VERIFY(node.isOn());
    QTRY_VERIFY(node.status().connected);
    MqttTestSubscriber client;
    QVERIFY(client.subscribe(broker.port(), "varnokterm/bench/status", "client"));
    QVERIFY(client.waitFor(1, 5000)); // "online", retained
    QVERIFY(client.publish("varnokterm/bench/1/tx", "hello"));
    QCOMPARE(pty.readFor(1000), sent);
}

void TestMqttPublishing::numbersGoToTheValuesTopic()
{
    MosquittoBroker broker;
    QVERIFY(broker.start());
    MqttTestSubscriber subscriber;
    QVERIFY(subscriber.subscribe(broker.port(), "varnokterm/bench/1/values"));
    const MqttSettings settings =
        settingsFromSetup("Publish=true\nHost=127.0.0.1\nNode=bench\nPublishValues=true\nPort=" +
                          QByteArray::number(broker.port()) + '\n');
    QVERIFY(settings.publishValues);
    PtyPair pty;
    PublishingNode node(pty, settings);
    QTRY_VERIFY(node.isOn());
    QTRY_VERIFY(node.status().connected);
    pty.write("T=23.41C P=1013.2hPa\r\nno numbers here\r\nRH=nan\r\n");
    QVERIFY(subscriber.waitFor(2, 10000));
    QByteArrayList received;
    for (const MqttTestSubscriber::Message &message : subscriber.messages()) {
        QJsonObject json = QJsonDocument::fromJson(message.payload).object();
        QVERIFY(json.value(QLatin1String("seq")).toInteger() > 0);
        QVERIFY(json.value(QLatin1String("time")).toString().endsWith(u'Z'));
        json.remove(QLatin1String("seq"));
        json.remove(QLatin1String("time"));
        received << QJsonDocument(json).toJson(QJsonDocument::Compact);
    }
    const QByteArrayList expected = {
        R"({"channel":1,"node":"bench","units":{"P":"hPa","T":"C"},"values":{"P":1013.2,"T":23.41}})",
        R"({"channel":1,"node":"bench","values":{"RH":null}})",
    };
    QCOMPARE(received, expected);
}

void TestMqttPublishing::tlsChecksTheBroker_data()
{
    QTest::addColumn<QString>("caFile");
    QTest::addColumn<bool>("clientCertificate"); // the broker asks for it, the node has it
    QTest::addColumn<QString>("problem");        // empty: lines arrive

    QTest::newRow("CA file") << "ca.crt" << false << QString();
    QTest::newRow("client certificate") << "ca.crt" << true << QString();
    QTest::newRow("another CA") << "other-ca.crt" << false
                                << "checked against the CA file %1/other-ca.crt";
    QTest::newRow("CA file is a folder") << "." << false << "The CA file %1/. can't be used";
}

void TestMqttPublishing::tlsChecksTheBroker()
{
    QFETCH(QString, caFile);
    QFETCH(bool, clientCertificate);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    QVERIFY(makeCertificates(dir));
    MosquittoBroker broker;
    broker.setTls(dir.filePath(QStringLiteral("ca.crt")),
                  dir.filePath(QStringLiteral("server.crt")),
                  dir.filePath(QStringLiteral("server.key")), clientCertificate);
    QVERIFY(broker.start());
    MqttTestSubscriber subscriber;
    QVERIFY(subscriber.subscribe(broker.port(), "varnokterm/bench/1/rx"));
    MqttSettings settings = settingsFor(broker.tlsPort());
    settings.caFile = dir.filePath(caFile);
    if (clientCertificate) {
        settings.certFile = dir.filePath(QStringLiteral("client.crt"));
        settings.keyFile = dir.filePath(QStringLiteral("client.key"));
    }
    CaptureSession session;
    session.setSignOnDefaults();
    const QString error = session.publisher().apply(settings);
    if (problem.contains(QLatin1String("can't be used"))) {
        QVERIFY2(error.contains(problem.arg(dir.path())), qPrintable(error));
        return;
    }
    QCOMPARE(error, QString());
    if (!problem.isEmpty()) {
        QTRY_VERIFY(session.publisher().status().problem.contains(problem.arg(dir.path())));
        QVERIFY(session.publisher().status().problem.contains(QLatin1String("certificate")));
        return;
    }
    QTRY_VERIFY(session.publisher().status().connected);
    session.channel(1).receiveReplayed("over TLS\r\n");
    QVERIFY(subscriber.waitFor(1, 10000));
    QCOMPARE(linesOnce(subscriber.messages()), QByteArrayList{"over TLS"});
}

QTEST_MAIN(TestMqttPublishing)
#include "tst_mqtt_publishing.moc"
