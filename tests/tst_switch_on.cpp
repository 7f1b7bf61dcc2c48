// Every kind of link comes on through every entry that switches a channel
// on: the window's On, a setup file, a script's on() and a headless run.
// Each entry hands the channel its choices and lets it decide the kind, so
// each row finds channel 1 on with the route its port entry names and the
// peer's bytes arriving.

#include "support/display_fixture.h"
#include "support/message_boxes.h"
#include "support/pty_pair.h"
#include "support/ser2net_server.h"
#include "support/tcp_peer.h"
#include "ui/script_commands.h"
#include "ui/setup_commands.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The far end of one kind of link, and channel 1's choices that reach it.
struct SwitchOnPeer
{
    QByteArray kind; // "serial", "TCP", "RFC 2217" or "TCP Listen"
    PtyPair pty;
    TcpPeer peer;
    Ser2NetServer ser2net;
    QTcpSocket client; // a TCP Listen channel's
    const quint16 listenPort = TcpPeer::refusedPort();
    QTemporaryDir dir;

    bool start()
    {
        return kind != "RFC 2217" ||
               ser2net.start(QStringLiteral("telnet(rfc2217)"), pty.slavePath());
    }
    quint16 socket() const
    {
        return kind == "TCP" ? peer.port() : kind == "RFC 2217" ? ser2net.port() : listenPort;
    }
    ChannelChoices choices() const
    {
        return {kind == "serial" ? pty.slavePath() : QString::fromLatin1(kind),
                QStringLiteral("127.0.0.1"), QString::number(socket()), true};
    }
    QString writeFile(const char *name, const QByteArray &text)
    {
        QFile file(dir.filePath(QLatin1String(name)));
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() ? file.fileName()
                                                                                  : QString();
    }
    QString setupFile()
    {
        const ChannelChoices c = choices();
        return writeFile("setup.vterm", "[Channel1]\nOn=true\nHost=" + c.host.toLatin1() +
                                            "\nSocket=" + c.socket.toLatin1() +
                                            "\nPort=" + c.port.toLocal8Bit() + '\n');
    }
    // Sends `bytes` towards the channel; a listening channel is connected to
    // first, as soon as it listens.
    bool send(const QByteArray &bytes)
    {
        if (kind == "TCP") {
            if (!peer.waitForClient(20000))
                return false;
            peer.send(bytes);
            return true;
        }
        if (kind != "TCP Listen") {
            pty.write(bytes); // waits in the pair until the device is read
            return true;
        }
        for (QDeadlineTimer end(20000); !end.hasExpired(); QTest::qWait(50)) {
            client.connectToHost(QHostAddress::LocalHost, socket());
            if (client.waitForConnected(100))
                return client.write(bytes) == bytes.size();
        }
        return false;
    }
};

} // namespace

class TestSwitchOn : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(dismissMessageBoxes(), QStringList()); }
    void everyKindThroughEveryEntry_data();
    void everyKindThroughEveryEntry();
};

void TestSwitchOn::everyKindThroughEveryEntry_data()
{
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QByteArray>("entry");
    for (const char *kind : {"serial", "TCP", "RFC 2217", "TCP Listen"}) {
        for (const char *entry : {"window", "setup", "script", "headless"})
            QTest::addRow("%s, %s", kind, entry) << QByteArray(kind) << QByteArray(entry);
    }
}

void TestSwitchOn::everyKindThroughEveryEntry()
{
    QFETCH(QByteArray, kind);
    QFETCH(QByteArray, entry);
    const QByteArray bytes("kind\x00\xff\xff\r\n", 9);
    SwitchOnPeer far;
    far.kind = kind;
    if (!far.start())
        QSKIP("ser2net (/usr/sbin/ser2net) did not start");

    if (entry == "headless") {
        // Nothing to look into but what it records: the bytes came the
        // peer's way, so the run opened the kind the setup names.
        QProcess run;
        run.start(qEnvironmentVariable("VARNOK_TEST_BINARY_DIR") + "/src/app/varnokterm",
                  {"--headless", far.setupFile(), "--record",
                   "raw1:" + far.dir.filePath(QStringLiteral("raw.bin"))});
        QVERIFY(far.send(bytes));
        QFile raw(far.dir.filePath(QStringLiteral("raw.bin")));
        const auto recorded = [&raw] {
            raw.close();
            return raw.open(QIODevice::ReadOnly) ? raw.readAll().toHex() : QByteArray();
        };
        QTRY_COMPARE_WITH_TIMEOUT(recorded(), bytes.toHex(), 20000);
        run.terminate();
        QVERIFY(run.waitForFinished(20000));
        QCOMPARE(run.exitCode(), 0);
        return;
    }
    DisplayFixture f;
    const ChannelChoices choices = far.choices();
    if (entry == "window") {
        f.choosePort1(choices.port);
        f.channel(1).widgets().txtHost->setText(choices.host);
        f.channel(1).widgets().txtPort->setText(choices.socket);
        f.switchOn(1);
    } else if (entry == "setup") {
        QVERIFY(f.window->setupCommands()->openSetup(far.setupFile()));
    } else {
        ChannelChoices off = choices;
        off.on = false;
        f.state(1).setChoices(off);
        QVERIFY(f.window->scriptCommands()->run(far.writeFile("on.js", "on(1);\n")));
    }
    QTRY_VERIFY_WITH_TIMEOUT(f.isOn(1), 20000);
    const ChannelLink &link = f.state(1).link();
    const auto network = kind == "TCP"        ? ChannelLink::Network::Tcp
                         : kind == "RFC 2217" ? ChannelLink::Network::Rfc2217
                                              : ChannelLink::Network::Listen;
    QCOMPARE(link.route(), kind == "serial" ? ChannelLink::Route::Serial : ChannelLink::Route::Tcp);
    if (kind != "serial")
        QCOMPARE(link.network(), network);
    QCOMPARE(f.channel(1).widgets().cmbPort->currentText(), choices.port);
    QVERIFY(far.send(bytes));
    QTRY_VERIFY_WITH_TIMEOUT(f.paneText(1).startsWith("kind"), 20000);
}

QTEST_MAIN(TestSwitchOn)
#include "tst_switch_on.moc"
