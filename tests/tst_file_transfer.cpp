#include "devices/channel.h"
#include "devices/file_transfer.h"
#include "support/byte_checks.h"
#include "support/display_fixture.h"
#include "support/lrzsz_peer.h"
#include "support/message_boxes.h"
#include "support/pty_pair.h"
#include "ui/send_file_commands.h"
#include "ui/transfer_dialog.h"
#include "ui/transfer_protocol_choice.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/stat.h>
#include <cstdio>
#include <unistd.h>

Q_DECLARE_METATYPE(FileTransfer::Outcome)
Q_DECLARE_METATYPE(TransferProtocol)

namespace {

constexpr qsizetype fileSize = 1024 * 1024;

// XMODEM and YMODEM wait for an answer to each block, so a sample costs a
// round trip per 128 or 1024 bytes: 64 KB still crosses 512 blocks and
// holds every byte value many times over. ZMODEM streams: it takes 1 MB.
qsizetype sampleSize(TransferProtocol protocol)
{
    return protocol == TransferProtocol::Zmodem ? fileSize : 64 * 1024;
}
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

unsigned modeOf(const QString &path)
{
    struct stat file = {};
    return ::stat(QFile::encodeName(path).constData(), &file) == 0 ? file.st_mode & 07777 : 0;
}

// A ZMODEM receive into `folder` over channel 2, from a device that runs
// `sender` (a program and its arguments) in `from`.
struct ZmodemReceive
{
    PtyPair pty;
    Channel channel{2, false};
    FileTransfer transfer{channel};
    QSignalSpy finished{&transfer, &FileTransfer::finished};
    std::unique_ptr<LrzszPeer> device;

    bool run(const QString &folder, QStringList sender, const QString &from, int waitMs = 60000)
    {
        channel.switchOnSerial(pty.slavePath(), settings);
        if (!transfer.startReceive(TransferProtocol::Zmodem, folder))
            return false;
        device = std::make_unique<LrzszPeer>(pty, sender.takeFirst(), sender, from);
        return QTest::qWaitFor([this] { return !finished.isEmpty(); }, waitMs) &&
               finished.at(0).at(0).value<FileTransfer::Outcome>() == FileTransfer::Outcome::Done;
    }
};

// Every modal message box that comes up: its text noted, whether all its
// labels are plain text, and answered with `answer`.
struct ModalAnswers
{
    QTimer poll;
    QStringList texts;
    bool allPlain = true;

    explicit ModalAnswers(const QString &answer)
    {
        QObject::connect(&poll, &QTimer::timeout, [this, answer] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            texts << box->text();
            allPlain = allPlain && labelsArePlain(*box);
            for (QAbstractButton *button : box->buttons())
                if (button->text().remove(QLatin1Char('&')) == answer)
                    button->click();
        });
        poll.start(10);
    }
    static bool labelsArePlain(const QWidget &box)
    {
        const QList<QLabel *> labels = box.findChildren<QLabel *>();
        return std::all_of(labels.begin(), labels.end(), [](const QLabel *label) {
            return label->text().isEmpty() || label->textFormat() == Qt::PlainText;
        });
    }
};

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
    void receivedFileTakesTheUsersMode();
    void receivedNamesLandUnderTheFolder_data();
    void receivedNamesLandUnderTheFolder();
    void zmodemReceiveEndsWithTheProgram();
    void peerNamesShowAsPlainText_data();
    void peerNamesShowAsPlainText();
    void cancelEndsTheProgramAndGivesTheChannelBack();
    void silentPeerEndsWithAMessage();
    void protocolsNeedLrzsz();
    void zmodemRequestIsOfferedWhenAsked_data();
    void zmodemRequestIsOfferedWhenAsked();
    void declinedRequestAsksNoMoreForAWhile();
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
    // Another file put at the path once the transfer has started: what was
    // checked is what goes.
    QTest::addColumn<bool>("swapped");
    QTest::newRow("XMODEM") << TransferProtocol::Xmodem << QStringList{"rx", "-c", "got.bin"}
                            << false;
    QTest::newRow("XMODEM-1K") << TransferProtocol::Xmodem1k << QStringList{"rx", "-c", "got.bin"}
                               << false;
    QTest::newRow("YMODEM") << TransferProtocol::Ymodem << QStringList{"rb"} << false;
    QTest::newRow("ZMODEM") << TransferProtocol::Zmodem << QStringList{"rz"} << false;
    QTest::newRow("ZMODEM, file swapped at its path")
        << TransferProtocol::Zmodem << QStringList{"rz"} << true;
}

void TestFileTransfer::sendsByteExactByEachProtocol()
{
    QFETCH(TransferProtocol, protocol);
    QFETCH(QStringList, receiver);
    QFETCH(bool, swapped);
    QTemporaryDir dir;
    const QByteArray bytes = randomBytes(sampleSize(protocol), 11);
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
    const QString other = dir.filePath(QStringLiteral("other.bin"));
    writeFile(other, randomBytes(bytes.size(), 17));
    QVERIFY2(transfer.startSend(protocol, sent), qPrintable(transfer.error()));
    if (swapped) {
        QVERIFY(::rename(QFile::encodeName(other).constData(),
                         QFile::encodeName(sent).constData()) == 0);
    }
    QVERIFY2(finished.wait(60000), device.words() + transfer.statusText().toUtf8());
    QCOMPARE(finished.at(0).at(0).value<FileTransfer::Outcome>(), FileTransfer::Outcome::Done);
    QCOMPARE(device.waitForExit(10000), 0);
    const QString name = receiver.size() > 1 ? receiver.last() : QStringLiteral("sample.bin");
    const QByteArray got = fileBytes(dir.filePath(QStringLiteral("in/") + name));
    QVERIFY2(got == bytes, differenceOf(got, bytes).constData());
    QCOMPARE(transfer.done(), sampleSize(protocol));
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
    const QByteArray bytes = randomBytes(sampleSize(protocol), 12);
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
    const QList<ReceivedFile> moved = transfer.moveReceivedFiles([&asked](const QString &name) {
        asked << name;
        return false;
    });
    QCOMPARE(asked, QStringList{"sample.bin"});
    QCOMPARE(moved.size(), 1);
    QCOMPARE(moved.at(0).placedAs, QStringLiteral("sample (2).bin"));
    QCOMPARE(fileBytes(existing), QByteArray("kept"));
    const QByteArray got = fileBytes(dir.filePath(QStringLiteral("in/sample (2).bin")));
    QVERIFY2(got == bytes, differenceOf(got, bytes).constData());
    QVERIFY(!QFileInfo::exists(staging));
}

void TestFileTransfer::receivedFileTakesTheUsersMode()
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("tool")), "#!/bin/sh\n");
    QVERIFY(::chmod(QFile::encodeName(dir.filePath(QStringLiteral("tool"))).constData(), 04755) ==
            0);
    const mode_t umaskBefore = ::umask(027);
    ZmodemReceive receive;
    QVERIFY(receive.run(dir.path(), {"sz", "tool"}, dir.path()));
    ::umask(umaskBefore);
    QCOMPARE(modeOf(QDir(receive.transfer.stagingFolder()).filePath(QStringLiteral("tool"))),
             0640u);
}

void TestFileTransfer::receivedNamesLandUnderTheFolder_data()
{
    // What the sender names, what is in the receive folder first ("sub/" a
    // folder, "sub->" a link to a folder outside, else a file), where the
    // file lands ("" when it stays, with a reason).
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("inTheWay");
    QTest::addColumn<QString>("landsAs");
    const QString name255 = QString(251, QLatin1Char('n')) + ".bin";
    QTest::newRow("a sub-folder") << "sub/data.bin"
                                  << ""
                                  << "sub/data.bin";
    QTest::newRow("a folder that is there") << "sub/data.bin"
                                            << "sub/"
                                            << "sub/data.bin";
    QTest::newRow("a link to a folder outside") << "sub/data.bin"
                                                << "sub->"
                                                << "";
    QTest::newRow("a file in place of the folder") << "sub/data.bin"
                                                   << "sub"
                                                   << "";
    QTest::newRow("255 bytes kept beside")
        << name255 << name255 << QString(247, QLatin1Char('n')) + " (2).bin";
}

void TestFileTransfer::receivedNamesLandUnderTheFolder()
{
    QFETCH(QString, sent);
    QFETCH(QString, inTheWay);
    QFETCH(QString, landsAs);
    QTemporaryDir dir;
    const QDir in(dir.filePath(QStringLiteral("in"))), out(dir.filePath(QStringLiteral("out")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("from/sub")) && in.mkpath(".") &&
            out.mkpath("."));
    writeFile(dir.filePath(QStringLiteral("from/") + sent), "received");
    if (inTheWay.endsWith(QLatin1String("->")))
        QVERIFY(QFile::link(out.path(), in.filePath(inTheWay.chopped(2))));
    else if (inTheWay.endsWith('/'))
        QVERIFY(in.mkdir(inTheWay));
    else if (!inTheWay.isEmpty())
        writeFile(in.filePath(inTheWay), "there");
    ZmodemReceive receive;
    QVERIFY(receive.run(in.path(), {"sz", "--full-path", sent}, dir.filePath("from")));
    const QList<ReceivedFile> files =
        receive.transfer.moveReceivedFiles([](const QString &) { return false; });
    QCOMPARE(files.size(), 1);
    QCOMPARE(files.at(0).name, sent);
    QCOMPARE(files.at(0).placedAs, landsAs);
    QCOMPARE(files.at(0).problem.isEmpty(), !landsAs.isEmpty());
    // Where it says it is, or still in the transfer's folder; never outside.
    const QString now = landsAs.isEmpty() ? QDir(receive.transfer.stagingFolder()).filePath(sent)
                                          : in.filePath(landsAs);
    QCOMPARE(fileBytes(now), QByteArray("received"));
    QVERIFY(out.isEmpty());
}

void TestFileTransfer::zmodemReceiveEndsWithTheProgram()
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("sample.bin")), randomBytes(64 * 1024, 16));
    ZmodemReceive receive;
    receive.transfer.setQuietLimit(3600 * 1000); // only the program's end can end it
    qint64 seenRunning = 0;
    connect(&receive.transfer, &FileTransfer::progressed, this,
            [&] { seenRunning = std::max(seenRunning, receive.transfer.done()); });
    // The sender in the device's shell, on a terminal (script): its last "OO"
    // never comes, and the receiver would wait out its own time-outs (30 s,
    // twice the wait here).
    QVERIFY(receive.run(dir.path(), {"script", "-qfec", "sz sample.bin", "/dev/null"}, dir.path(),
                        15000));
    QVERIFY2(seenRunning > 0, "no progress while it ran");
    QCOMPARE(receive.transfer.done(), 64 * 1024);
}

void TestFileTransfer::peerNamesShowAsPlainText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    const QString markup("<font color=red size=6>Virus found! Press Replace");
    QTest::newRow("markup") << markup << markup;
    QTest::newRow("a newline") << "two\nlines.bin"
                               << "two\\nlines.bin";
    QTest::newRow("an escape") << "red\x1b[31m.bin"
                               << "red\\x1B[31m.bin";
}

void TestFileTransfer::peerNamesShowAsPlainText()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("in")));
    writeFile(dir.filePath(name), "new");
    writeFile(dir.filePath(QStringLiteral("in/") + name), "there");
    PtyPair pty;
    Channel channel(2, false);
    channel.switchOnSerial(pty.slavePath(), settings);
    QWidget window;
    auto *dialog = new TransferDialog(channel, &window);
    QSignalSpy ended(dialog, &TransferDialog::ended);
    QVERIFY(dialog->startReceive(TransferProtocol::Zmodem, dir.filePath(QStringLiteral("in")), {}));
    const ModalAnswers keepBoth(QStringLiteral("Keep Both"));
    LrzszPeer device(pty, QStringLiteral("sz"), {name}, dir.path());
    QVERIFY(ended.wait(60000));
    // The question, and "Received into" with one line for the one file.
    QCOMPARE(keepBoth.texts.size(), 1);
    QVERIFY(keepBoth.texts.at(0).startsWith(shown + QStringLiteral(" is already in")));
    auto *received = window.findChild<QMessageBox *>(QStringLiteral("programMessage"));
    QVERIFY(received && received->informativeText().startsWith(shown + QStringLiteral(" as ")));
    QVERIFY(!received->informativeText().contains(QLatin1Char('\n')));
    QVERIFY(keepBoth.allPlain && ModalAnswers::labelsArePlain(*received));
    dismissMessageBoxes();
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
    QTest::addColumn<bool>("replayed");
    QTest::newRow("off") << false << false;
    QTest::newRow("on") << true << false;
    QTest::newRow("on, played back") << true << true;
}

void TestFileTransfer::zmodemRequestIsOfferedWhenAsked()
{
    QFETCH(bool, autoStart);
    QFETCH(bool, replayed);
    PtyPair pty;
    Channel channel(2, false);
    channel.setZmodemAutoStart(autoStart);
    channel.switchOnSerial(pty.slavePath(), settings);
    QSignalSpy requested(&channel, &Channel::zmodemRequested);
    const QByteArray request = "rz\r**\x18"
                               "B00000000000000\r\x8a\x11";
    if (replayed)
        channel.receiveReplayed(request);
    else
        pty.write(request);
    pty.write("end");
    QTRY_VERIFY_WITH_TIMEOUT(channel.pane().text().endsWith("end"), 10000);
    QCOMPARE(requested.count(), autoStart && !replayed ? 1 : 0);
}

void TestFileTransfer::declinedRequestAsksNoMoreForAWhile()
{
    PtyPair pty;
    DisplayFixture f;
    f.state(2).setZmodemAutoStart(true);
    f.state(2).setZmodemQuietSeconds(3600);
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    SendFileCommands &commands = *f.window->sendFileCommands();
    QCOMPARE(commands.receiveProtocolAtFirst(2), TransferProtocol::Xmodem);
    const ModalAnswers no(QStringLiteral("No"));
    // A sender repeating its request: asked once, answered No, then quiet.
    for (int i = 0; i < 8; ++i) {
        const QByteArray end = "end" + QByteArray::number(i);
        pty.write("**\x18"
                  "B00000000000000\r\x8a\x11" +
                  end);
        QTRY_VERIFY_WITH_TIMEOUT(f.paneText(2).endsWith(end), 10000);
    }
    QCOMPARE(no.texts.size(), 1);
    QCOMPARE(commands.receiveProtocolAtFirst(2), TransferProtocol::Zmodem);
}

QTEST_MAIN(TestFileTransfer)
#include "tst_file_transfer.moc"
