#include "devices/file_sender.h"
#include "devices/transmit_queue.h"
#include "support/byte_checks.h"
#include "support/display_fixture.h"
#include "support/message_boxes.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"
#include "ui/send_file_commands.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(FileSender::Outcome)

namespace {

constexpr qsizetype fileSize = 5 * 1024 * 1024;

// A file of random bytes in a folder of its own.
struct SampleFile
{
    QTemporaryDir dir;
    QString path;
    QByteArray bytes;

    explicit SampleFile(qsizetype size, quint32 seed = 7)
        : path(dir.filePath(QStringLiteral("sample.bin")))
        , bytes(randomBytes(size, seed))
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
};

// The device end of a channel: a pty for channel 2, or a 127.0.0.1 peer for
// channel 1's TCP route.
struct Route
{
    std::unique_ptr<PtyPair> pty;
    std::unique_ptr<TcpPeer> peer;

    Route(Channel &channel, bool tcp)
    {
        if (tcp) {
            peer = std::make_unique<TcpPeer>();
            channel.switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(peer->port()));
            peer->waitForClient();
        } else {
            pty = std::make_unique<PtyPair>();
            channel.switchOnSerial(pty->slavePath(), QStringLiteral("115200,n,8,1"));
        }
    }
    QByteArray read(qsizetype count)
    {
        return pty ? pty->read(count, 60000) : peer->received(count, 60000);
    }
};

} // namespace

class TestSendFile : public QObject
{
    Q_OBJECT

private slots:
    void init() { qRegisterMetaType<FileSender::Outcome>(); }
    void cleanup() { QCOMPARE(dismissMessageBoxes(), QStringList()); }
    void sendsTheWholeFileByteExact_data();
    void sendsTheWholeFileByteExact();
    void cancelHalfwaySendsAPrefix();
    void switchingOffStopsAndSaysHowFar();
    void unpluggedDeviceStopsAndCountsOnlyWhatArrived();
    void dialogShowsProgressAndCloses();
    void dialogReportsWhatCannotBeSent();
};

void TestSendFile::sendsTheWholeFileByteExact_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::newRow("pty") << false;
    QTest::newRow("127.0.0.1") << true;
}

void TestSendFile::sendsTheWholeFileByteExact()
{
    QFETCH(bool, tcp);
    const SampleFile sample(fileSize);
    Channel channel(1, true);
    Route route(channel, tcp);
    QVERIFY(channel.isOn());
    qint64 reported = 0;
    connect(&channel, &Channel::bytesSent, this,
            [&reported](QByteArrayView bytes) { reported += bytes.size(); });

    FileSender sender(channel);
    QSignalSpy finished(&sender, &FileSender::finished);
    // What waits in the queue stays small: the file is never in memory.
    qint64 mostQueued = 0;
    connect(&sender, &FileSender::progressed, this,
            [&] { mostQueued = std::max(mostQueued, channel.link().queue().pending()); });
    QVERIFY(sender.start(sample.path));
    QCOMPARE(sender.total(), fileSize);

    const QByteArray received = route.read(fileSize);
    QVERIFY2(received == sample.bytes, differenceOf(received, sample.bytes).constData());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    QCOMPARE(finished.at(0).at(0).value<FileSender::Outcome>(), FileSender::Outcome::Sent);
    QCOMPARE(sender.written(), fileSize);
    QVERIFY(mostQueued <= FileSender::queuedAtMost + FileSender::pieceSize);
    // Counted as sent, but not part of what Repeat sends.
    QCOMPARE(channel.sentCount(), fileSize);
    QCOMPARE(reported, fileSize);
    QVERIFY(channel.modes().strSend.isEmpty());
    QVERIFY(channel.modes().strSendHex.isEmpty());
}

void TestSendFile::cancelHalfwaySendsAPrefix()
{
    const SampleFile sample(fileSize);
    Channel channel(2, false);
    Route route(channel, false);
    FileSender sender(channel);
    QSignalSpy finished(&sender, &FileSender::finished);
    QVERIFY(sender.start(sample.path));

    QByteArray received = route.read(fileSize / 2);
    sender.cancel();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).value<FileSender::Outcome>(), FileSender::Outcome::Cancelled);
    QVERIFY(!sender.isRunning());
    // What was handed over still goes out; nothing after it.
    QVERIFY(sender.sent() < fileSize);
    received += route.read(sender.sent() - received.size());
    received += route.pty->readFor(100);
    QCOMPARE(received.size(), sender.sent());
    QVERIFY(received == sample.bytes.first(received.size()));
}

void TestSendFile::switchingOffStopsAndSaysHowFar()
{
    const SampleFile sample(fileSize);
    Channel channel(2, false);
    Route route(channel, false);
    FileSender sender(channel);
    QSignalSpy finished(&sender, &FileSender::finished);
    QVERIFY(sender.start(sample.path));
    route.read(256 * 1024);
    channel.switchOff();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).value<FileSender::Outcome>(), FileSender::Outcome::ChannelOff);
    QVERIFY(sender.sent() >= 256 * 1024);
    QVERIFY(sender.sent() < fileSize);
}

void TestSendFile::unpluggedDeviceStopsAndCountsOnlyWhatArrived()
{
    // Channel 2 with Reconnect on a pty reached through a symbolic link,
    // which goes when the device is unplugged.
    const SampleFile sample(fileSize);
    const QString link = sample.dir.filePath(QStringLiteral("usb-adapter"));
    PtyPair pty;
    QVERIFY(QFile::link(pty.slavePath(), link));
    Channel channel(2, false);
    LinkOptions options;
    options.reconnect = true;
    channel.setLinkOptions(options);
    channel.switchOnSerial(link, QStringLiteral("115200,n,8,1"));
    FileSender sender(channel);
    QSignalSpy finished(&sender, &FileSender::finished);
    QVERIFY(sender.start(sample.path));

    // Everything the system took, read without letting the program write
    // more, then the device goes.
    QByteArray received = pty.read(256 * 1024, 60000);
    received += pty.readFor(0);
    pty.closeMaster();
    QFile::remove(link);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).value<FileSender::Outcome>(), FileSender::Outcome::LinkLost);
    QVERIFY(channel.isWaiting());
    QCOMPARE(sender.sent(), received.size());
    QCOMPARE(sender.written(), received.size());
    QCOMPARE(channel.sentCount(), received.size());
    QVERIFY(received == sample.bytes.first(received.size()));
}

void TestSendFile::dialogShowsProgressAndCloses()
{
    const SampleFile sample(512 * 1024);
    PtyPair pty;
    DisplayFixture f;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    SendFileCommands &commands = *f.window->sendFileCommands();
    QPointer<SendFileDialog> dialog = commands.sendFile(2, sample.path);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(commands.dialog(2), dialog.data());
    QVERIFY(dialog->progressText()->text().contains(QStringLiteral(" of ")));
    QSignalSpy ended(dialog.data(), &SendFileDialog::ended);

    const QByteArray received = pty.read(sample.bytes.size(), 60000);
    QVERIFY(received == sample.bytes);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
    QTRY_VERIFY(!dialog);
    QCOMPARE(f.session.channel(2).sentCount(), sample.bytes.size());

    // Cancel: the dialog closes and says how far the file got.
    dialog = commands.sendFile(2, sample.path);
    QVERIFY(dialog);
    dialog->cancelButton()->click();
    QTRY_VERIFY(!dialog);
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.at(0).contains(QStringLiteral("cancelled")) &&
                 messages.at(0).contains(
                     QStringLiteral(" of %1 bytes were sent.").arg(QLocale().toString(512 * 1024))),
             qPrintable(messages.at(0)));
}

void TestSendFile::dialogReportsWhatCannotBeSent()
{
    DisplayFixture f;
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.bin"));
    // Off: nothing can be sent.
    QVERIFY(!f.window->sendFileCommands()->sendFile(2, missing));
    QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.at(0).contains(QStringLiteral("Comm Port 2 is off")),
             qPrintable(messages.at(0)));
    PtyPair pty;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    QVERIFY(!f.window->sendFileCommands()->sendFile(2, missing));
    messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.at(0).contains(missing + QStringLiteral(" could not be sent")),
             qPrintable(messages.at(0)));
}

QTEST_MAIN(TestSendFile)
#include "tst_send_file.moc"
