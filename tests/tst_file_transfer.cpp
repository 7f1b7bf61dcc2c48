#include "devices/channel.h"
#include "devices/file_transfer.h"
#include "support/byte_checks.h"
#include "support/lrzsz_peer.h"
#include "support/pty_pair.h"
#include "ui/transfer_protocol_choice.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

Q_DECLARE_METATYPE(FileTransfer::Outcome)
Q_DECLARE_METATYPE(TransferProtocol)

namespace {

constexpr qsizetype fileSize = 1024 * 1024;
const QString settings = QStringLiteral("115200,n,8,1");

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

bool processIsGone(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) != 0;
}

} // namespace

class TestFileTransfer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sendsByteExactByEachProtocol_data();
    void sendsByteExactByEachProtocol();
    void sendsOverTcp();
    void receivesBesideAnExistingFile_data();
    void receivesBesideAnExistingFile();
    void cancelEndsTheProgramAndGivesTheChannelBack();
    void silentPeerEndsWithAMessage();
    void protocolsNeedLrzsz();
    void zmodemRequestIsOfferedWhenAsked_data();
    void zmodemRequestIsOfferedWhenAsked();
};

void TestFileTransfer::initTestCase()
{
    qRegisterMetaType<FileTransfer::Outcome>();
    if (!FileTransfer::isAvailable(TransferProtocol::Zmodem))
        QSKIP("lrzsz is not installed");
}

void TestFileTransfer::sendsByteExactByEachProtocol_data()
{
    QTest::addColumn<TransferProtocol>("protocol");
    QTest::addColumn<QStringList>("receiver");
    QTest::newRow("XMODEM") << TransferProtocol::Xmodem << QStringList{"rx", "-c", "got.bin"};
    QTest::newRow("XMODEM-1K") << TransferProtocol::Xmodem1k << QStringList{"rx", "-c", "got.bin"};
    QTest::newRow("YMODEM") << TransferProtocol::Ymodem << QStringList{"rb"};
    QTest::newRow("ZMODEM") << TransferProtocol::Zmodem << QStringList{"rz"};
}

void TestFileTransfer::sendsByteExactByEachProtocol()
{
    QFETCH(TransferProtocol, protocol);
    QFETCH(QStringList, receiver);
    QTemporaryDir dir;
    const QByteArray bytes = randomBytes(fileSize, 11);
    const QString sent = dir.filePath(QStringLiteral("sample.bin"));
    writeFile(sent, bytes);
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("in")));
    PtyPair pty;
    Channel channel(2, false);
    channel.switchOnSerial(pty.slavePath(), settings);
    QVERIFY(channel.isOn());
    LrzszPeer device(pty, receiver.takeFirst(), receiver, dir.filePath(QStringLiteral("in")));

    FileTransfer transfer(channel);
    QSignalSpy finished(&transfer, &FileTransfer::finished);
    QVERIFY2(transfer.startSend(protocol, sent), qPrintable(transfer.error()));
    QVERIFY2(finished.wait(60000), device.words() + transfer.statusText().toUtf8());
    QCOMPARE(finished.at(0).at(0).value<FileTransfer::Outcome>(), FileTransfer::Outcome::Done);
    QCOMPARE(device.waitForExit(10000), 0);
    const QString name = receiver.size() > 1 ? receiver.last() : QStringLiteral("sample.bin");
    const QByteArray got = fileBytes(dir.filePath(QStringLiteral("in/") + name));
    QVERIFY2(got == bytes, differenceOf(got, bytes).constData());
    QCOMPARE(transfer.done(), fileSize);
    // The protocol's frames stayed out of the pane.
    QVERIFY(channel.pane().isEmpty());
}

void TestFileTransfer::sendsOverTcp()
{
    QTemporaryDir dir;
    const QByteArray bytes = randomBytes(fileSize, 15);
    writeFile(dir.filePath(QStringLiteral("sample.bin")), bytes);
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("in")));
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    Channel channel(1, true);
    channel.switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(server.serverPort()));
    QVERIFY(server.waitForNewConnection(5000));
    LrzszPeer device(*server.nextPendingConnection(), QStringLiteral("rz"), {},
                     dir.filePath(QStringLiteral("in")));
    FileTransfer transfer(channel);
    QSignalSpy finished(&transfer, &FileTransfer::finished);
    QVERIFY(
        transfer.startSend(TransferProtocol::Zmodem, dir.filePath(QStringLiteral("sample.bin"))));
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.at(0).at(0).value<FileTransfer::Outcome>(), FileTransfer::Outcome::Done);
    QCOMPARE(device.waitForExit(10000), 0);
    QCOMPARE(fileBytes(dir.filePath(QStringLiteral("in/sample.bin"))), bytes);
}

void TestFileTransfer::receivesBesideAnExistingFile_data()
{
    QTest::addColumn<TransferProtocol>("protocol");
    QTest::addColumn<QString>("sender");
    QTest::newRow("XMODEM") << TransferProtocol::Xmodem << QStringLiteral("sx");
    QTest::newRow("YMODEM") << TransferProtocol::Ymodem << QStringLiteral("sb");
    QTest::newRow("ZMODEM") << TransferProtocol::Zmodem << QStringLiteral("sz");
}

void TestFileTransfer::receivesBesideAnExistingFile()
{
    QFETCH(TransferProtocol, protocol);
    QFETCH(QString, sender);
    QTemporaryDir dir;
    const QByteArray bytes = randomBytes(fileSize, 12);
    writeFile(dir.filePath(QStringLiteral("sample.bin")), bytes);
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("in")));
    const QString existing = dir.filePath(QStringLiteral("in/sample.bin"));
    writeFile(existing, "kept");
    PtyPair pty;
    Channel channel(2, false);
    channel.switchOnSerial(pty.slavePath(), settings);

    FileTransfer transfer(channel);
    QSignalSpy finished(&transfer, &FileTransfer::finished);
    QVERIFY2(transfer.startReceive(protocol, dir.filePath(QStringLiteral("in")),
                                   QStringLiteral("sample.bin")),
             qPrintable(transfer.error()));
    LrzszPeer device(pty, sender, {QStringLiteral("sample.bin")}, dir.path());
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.at(0).at(0).value<FileTransfer::Outcome>(), FileTransfer::Outcome::Done);
    QCOMPARE(fileBytes(existing), QByteArray("kept"));
    // Asked about the name that is there: Keep Both.
    QStringList asked;
    const QString staging = transfer.stagingFolder();
    QVERIFY(QFileInfo(staging).isDir());
    const QStringList moved = transfer.moveReceivedFiles([&asked](const QString &name) {
        asked << name;
        return false;
    });
    QCOMPARE(asked, QStringList{"sample.bin"});
    QCOMPARE(moved, QStringList{"sample (2).bin"});
    QCOMPARE(fileBytes(existing), QByteArray("kept"));
    const QByteArray got = fileBytes(dir.filePath(QStringLiteral("in/sample (2).bin")));
    QVERIFY2(got == bytes, differenceOf(got, bytes).constData());
    QVERIFY(!QFileInfo::exists(staging));
}

void TestFileTransfer::cancelEndsTheProgramAndGivesTheChannelBack()
{
    QTemporaryDir dir;
    const QString sent = dir.filePath(QStringLiteral("sample.bin"));
    writeFile(sent, randomBytes(16 * fileSize, 13));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("in")));
    PtyPair pty;
    Channel channel(2, false);
    channel.switchOnSerial(pty.slavePath(), settings);
    FileTransfer transfer(channel);
    QSignalSpy finished(&transfer, &FileTransfer::finished);
    qint64 pid = 0;
    {
        LrzszPeer device(pty, QStringLiteral("rz"), {}, dir.filePath(QStringLiteral("in")));
        QVERIFY(transfer.startSend(TransferProtocol::Zmodem, sent));
        pid = transfer.processId();
        QVERIFY(QTest::qWaitFor([&] { return transfer.done() > 0; }, 30000));
        transfer.cancel();
        // The device's receiver obeys the cancel sequence.
        QVERIFY(device.waitForExit(30000) != 0);
    }
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).value<FileTransfer::Outcome>(), FileTransfer::Outcome::Cancelled);
    QVERIFY(processIsGone(pid));
    QVERIFY(channel.isOn());
    pty.readFor(100); // the rest of the frames
    pty.write("after\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(channel.pane().text().endsWith("after\r\n"), 10000);
}

void TestFileTransfer::silentPeerEndsWithAMessage()
{
    QTemporaryDir dir;
    const QString sent = dir.filePath(QStringLiteral("sample.bin"));
    writeFile(sent, randomBytes(1024, 14));
    PtyPair pty;
    Channel channel(2, false);
    channel.switchOnSerial(pty.slavePath(), settings);
    FileTransfer transfer(channel);
    transfer.setQuietLimit(1000);
    QSignalSpy finished(&transfer, &FileTransfer::finished);
    QVERIFY(transfer.startSend(TransferProtocol::Zmodem, sent));
    const qint64 pid = transfer.processId();
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.at(0).at(0).value<FileTransfer::Outcome>(), FileTransfer::Outcome::NoAnswer);
    QVERIFY(transfer.error().contains(QLatin1String("sent nothing")));
    QVERIFY(processIsGone(pid));
    // What went out ends with the cancel sequence.
    QVERIFY(pty.readFor(200).endsWith(transferCancelSequence()));
}

void TestFileTransfer::protocolsNeedLrzsz()
{
    const QByteArray path = qgetenv("PATH");
    QTemporaryDir empty;
    qputenv("PATH", QFile::encodeName(empty.path()));
    TransferProtocolChoice choice(QStringLiteral("Send"), transferProtocols(), nullptr);
    qputenv("PATH", path);
    const QList<QAbstractButton *> buttons =
        choice.findChildren<QAbstractButton *>(QRegularExpression(QStringLiteral("^protocol")));
    QCOMPARE(buttons.size(), transferProtocols().size());
    for (const QAbstractButton *button : buttons)
        QCOMPARE(button->isEnabled(), button->text() == QLatin1String("Raw"));
    QCOMPARE(choice.chosen(), TransferProtocol::Raw);
    QVERIFY(choice.findChild<QLabel *>(QStringLiteral("lrzszMissing"))->text().contains("lrzsz"));
}

void TestFileTransfer::zmodemRequestIsOfferedWhenAsked_data()
{
    QTest::addColumn<bool>("autoStart");
    QTest::newRow("off") << false;
    QTest::newRow("on") << true;
}

void TestFileTransfer::zmodemRequestIsOfferedWhenAsked()
{
    QFETCH(bool, autoStart);
    PtyPair pty;
    Channel channel(2, false);
    channel.module().zmodemAutoStart = autoStart;
    channel.switchOnSerial(pty.slavePath(), settings);
    QSignalSpy requested(&channel, &Channel::zmodemRequested);
    pty.write("rz\r**\x18"
              "B00000000000000\r\x8a\x11");
    pty.write("end");
    QTRY_VERIFY_WITH_TIMEOUT(channel.pane().text().endsWith("end"), 10000);
    QCOMPARE(requested.count(), autoStart ? 1 : 0);
}

QTEST_MAIN(TestFileTransfer)
#include "tst_file_transfer.moc"
