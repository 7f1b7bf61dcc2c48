#include "core/channel_list.h"
#include "core/pane/pane_text.h"
#include "devices/channel_link.h"
#include "devices/serial_port_component.h"
#include "devices/socket_component.h"
#include "support/byte_checks.h"
#include "support/display_fixture.h"
#include "support/message_boxes.h"
#include "support/pdf_text.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"
#include "ui/print_dialog_component.h"
#include "ui/transmit_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QPrinter>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace {

constexpr int captureDeadlineMs = 30000;
// Long enough that only the end of the source can show what waits.
constexpr qint16 longTimeOut = 30000;

void addDisplayModeColumn()
{
    QTest::addColumn<QString>("mode");
    for (const char *mode : {"Real Time", "Time Out", "After CR"})
        QTest::newRow(mode) << QString::fromLatin1(mode);
}

// What a channel has taken in so far, shown or still waiting (ASCII).
qsizetype takenIn(const DisplayFixture &f, int n)
{
    return f.paneText(n).size() + f.session.channel(n).receiver().pending().size();
}

// A TCP peer on 127.0.0.1 that can end the connection with a reset (RST) even
// while data is still on its way, as a crashed or unplugged host does.
class ResettingPeer
{
public:
    ResettingPeer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                m_client = socket;
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    bool waitForClient()
    {
        QDeadlineTimer deadline(5000);
        while (!m_client && !deadline.hasExpired())
            QTest::qWait(5);
        return m_client != nullptr;
    }
    // Hands the system as much as it takes at once; the rest stays queued.
    void send(const QByteArray &bytes)
    {
        m_client->write(bytes);
        m_client->flush();
        m_written += bytes.size();
    }
    // Resets the connection and returns how many of the bytes sent had
    // reached the other end by then (acknowledged by it).
    qint64 resetNow()
    {
        const int fd = int(m_client->socketDescriptor());
        int unacknowledged = 0;
        ::ioctl(fd, SIOCOUTQ, &unacknowledged);
        const qint64 arrived = m_written - m_client->bytesToWrite() - unacknowledged;
        // A zero linger time makes the close a reset, dropping unsent data.
        const linger hard{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        m_client->abort();
        return arrived;
    }

private:
    QTcpServer m_server;
    QTcpSocket *m_client = nullptr;
    qint64 m_written = 0;
};

// Stands in for the print dialog: prints to a PDF file and, like an operator
// taking their time, lets data come in while it is "open".
class PdfPrintDialog : public PrintDialogComponent
{
public:
    explicit PdfPrintDialog(QStringList *paths, const QString &dir)
        : m_paths(paths)
        , m_dir(dir)
    {}

    bool showPrintSetup(QPrinter &printer, QWidget *) override
    {
        QTest::qWait(30);
        const QString path = m_dir + QStringLiteral("/print%1.pdf").arg(m_paths->size());
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        m_paths->append(path);
        return true;
    }

private:
    QStringList *m_paths;
    QString m_dir;
};

QByteArray numberedLines(int from, int count)
{
    QByteArray text;
    for (int i = from; i < from + count; ++i)
        text += QByteArrayLiteral("line ") + QByteArray::number(i).rightJustified(5, '0') + "\r\n";
    return text;
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(dismissMessageBoxes(), QStringList()); }
    void peerResetMidStream_data();
    void peerResetMidStream();
    void peerClosesCleanlyMidBurst_data();
    void peerClosesCleanlyMidBurst();
    void ptyClosedWhileDataArrives_data();
    void ptyClosedWhileDataArrives();
    void switchingSerialOffAndOnDuringTraffic_data();
    void switchingSerialOffAndOnDuringTraffic();
    void switchingTcpOffAndOnDuringTraffic_data();
    void switchingTcpOffAndOnDuringTraffic();
    void reloadDuringTrafficOnBothChannels();
    void printWhileDataArrives();
    void bigPasteArrivesExactly_data();
    void bigPasteArrivesExactly();

private:
    // Channel 1 still works: switched on again, it shows new data.
    void receivesAgainOverTcp(DisplayFixture &f);
};

void TestFaults::receivesAgainOverTcp(DisplayFixture &f)
{
    TcpPeer again;
    f.channel(1).widgets().optRT->click();
    const qsizetype before = f.paneText(1).size();
    f.switchOnTcp(again.port());
    QVERIFY(again.waitForClient());
    QVERIFY(f.isOn(1));
    again.send("again\r\n");
    QTRY_COMPARE(f.paneText(1).mid(before), QByteArray("again\r\n"));
    f.switchOff(1);
}

void TestFaults::peerResetMidStream_data()
{
    addDisplayModeColumn();
}

void TestFaults::peerResetMidStream()
{
    QFETCH(QString, mode);
    ResettingPeer peer;
    DisplayFixture f;
    f.session.channel(1).setTimeOut(longTimeOut);
    displayOption(f.channel(1), mode)->click();
    f.switchOnTcp(peer.port());
    QVERIFY(peer.waitForClient());

    // All of the first part is in before the reset, waiting or shown.
    QByteArray sent = randomBytes(256 << 10, 1);
    sent.back() = 'x'; // no CR at the end: "After CR" has data waiting
    peer.send(sent);
    QTRY_COMPARE_WITH_TIMEOUT(takenIn(f, 1), sent.size(), captureDeadlineMs);
    const QByteArray inFlight = randomBytes(1 << 20, 2);
    peer.send(inFlight);
    const qint64 arrived = peer.resetNow();
    sent += inFlight;

    QTRY_VERIFY_WITH_TIMEOUT(!f.channel(1).widgets().optOn->isChecked(), captureDeadlineMs);
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(QString::number(peer.port())), qPrintable(messages.first()));
    QVERIFY(!f.isOn(1));
    // Everything that came in is shown: at least what had reached this end
    // before the reset, exactly as sent.
    QVERIFY(f.session.channel(1).receiver().pending().isEmpty());
    const QByteArray shown = f.paneText(1);
    QVERIFY(arrived >= 256 << 10);
    QVERIFY2(shown.size() >= arrived, differenceOf(shown, sent.left(arrived)).constData());
    QVERIFY2(sent.startsWith(shown), differenceOf(shown, sent).constData());

    receivesAgainOverTcp(f);
}

void TestFaults::peerClosesCleanlyMidBurst_data()
{
    addDisplayModeColumn();
}

void TestFaults::peerClosesCleanlyMidBurst()
{
    QFETCH(QString, mode);
    TcpPeer peer;
    DisplayFixture f;
    f.session.channel(1).setTimeOut(longTimeOut);
    displayOption(f.channel(1), mode)->click();
    f.switchOnTcp(peer.port());
    QVERIFY(peer.waitForClient());

    QByteArray sent = randomBytes(2 << 20, 3);
    sent.back() = 'x';
    // The close comes while most of the burst is still on its way; a clean
    // close delivers all of it first.
    peer.send(sent);
    peer.close();

    QTRY_VERIFY_WITH_TIMEOUT(!f.channel(1).widgets().optOn->isChecked(), captureDeadlineMs);
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(QStringLiteral("127.0.0.1")), qPrintable(messages.first()));
    QVERIFY(f.session.channel(1).receiver().pending().isEmpty());
    QVERIFY2(f.paneText(1) == sent, differenceOf(f.paneText(1), sent).constData());
    QVERIFY(!f.isOn(1));

    receivesAgainOverTcp(f);
}

void TestFaults::ptyClosedWhileDataArrives_data()
{
    addDisplayModeColumn();
}

void TestFaults::ptyClosedWhileDataArrives()
{
    QFETCH(QString, mode);
    auto pty = std::make_unique<PtyPair>();
    const QString path = pty->slavePath();
    DisplayFixture f;
    f.session.channel(2).setTimeOut(longTimeOut);
    f.channel(2).widgets().cmbPort->setEditText(path);
    f.switchOn(2);
    QVERIFY(f.isOn(2));
    displayOption(f.channel(2), mode)->click();

    QByteArray sent = randomBytes(128 << 10, 4);
    sent.back() = 'x';
    pty->write(sent);
    QTRY_COMPARE_WITH_TIMEOUT(takenIn(f, 2), sent.size(), captureDeadlineMs);
    // More arrives, and the device goes away in the middle of it: part of
    // it read by the program, part still on its way.
    const QByteArray rest = randomBytes(16 << 10, 5);
    for (qsizetype at = 0; at < rest.size(); at += 1024) {
        pty->write(rest.mid(at, 1024));
        if (at < rest.size() / 2)
            QCoreApplication::processEvents();
    }
    sent += rest;
    pty->closeMaster();

    QTRY_VERIFY_WITH_TIMEOUT(!f.channel(2).widgets().optOn->isChecked(), captureDeadlineMs);
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(path), qPrintable(messages.first()));
    QVERIFY(!f.isOn(2));
    QVERIFY(!f.session.channel(2).link().serial().openState());
    QVERIFY(f.session.channel(2).receiver().pending().isEmpty());
    const QByteArray shown = f.paneText(2);
    QVERIFY(shown.size() >= 128 << 10);
    QVERIFY2(sent.startsWith(shown), differenceOf(shown, sent).constData());

    // A new device on the same channel works.
    pty.reset();
    PtyPair next;
    f.channel(2).widgets().optRT->click();
    f.channel(2).widgets().cmbPort->setEditText(next.slavePath());
    f.switchOn(2);
    QVERIFY(f.isOn(2));
    next.write("again\r\n");
    QTRY_COMPARE(f.paneText(2).mid(shown.size()), QByteArray("again\r\n"));
    f.type(2, QStringLiteral("ok"));
    QCOMPARE(next.read(2), QByteArray("ok"));
}

void TestFaults::switchingSerialOffAndOnDuringTraffic_data()
{
    addDisplayModeColumn();
}

void TestFaults::switchingSerialOffAndOnDuringTraffic()
{
    QFETCH(QString, mode);
    PtyPair pty;
    DisplayFixture f;
    f.session.channel(2).setTimeOut(5);
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    displayOption(f.channel(2), mode)->click();

    // The device keeps what it holds while the port is closed (the pty's
    // slave stays open), so every byte written is read once the channel is
    // on again: all of it must show, once.
    QByteArray sent;
    QRandomGenerator random(6);
    for (int round = 0; round < 40; ++round) {
        f.switchOn(2);
        QVERIFY2(f.isOn(2), qPrintable(dismissMessageBoxes().join(QLatin1Char('\n'))));
        const QByteArray burst = randomBytes(random.bounded(1, 8193), 100 + round);
        pty.write(burst);
        sent += burst;
        for (int i = random.bounded(3); i > 0; --i)
            QCoreApplication::processEvents();
        f.switchOff(2);
        QVERIFY(!f.session.channel(2).link().serial().openState());
        if (random.bounded(2))
            QTest::qWait(random.bounded(10));
    }
    f.switchOn(2);
    pty.write("end\r");
    sent += "end\r";
    QTRY_VERIFY_WITH_TIMEOUT(f.paneText(2).size() >= sent.size(), captureDeadlineMs);
    QTRY_VERIFY(f.session.channel(2).receiver().pending().isEmpty());
    QVERIFY2(f.paneText(2) == sent, differenceOf(f.paneText(2), sent).constData());
}

void TestFaults::switchingTcpOffAndOnDuringTraffic_data()
{
    addDisplayModeColumn();
}

void TestFaults::switchingTcpOffAndOnDuringTraffic()
{
    QFETCH(QString, mode);
    TcpPeer peer;
    DisplayFixture f;
    f.session.channel(1).setTimeOut(5);
    displayOption(f.channel(1), mode)->click();

    // Switching off ends the connection, so each round shows the part of its
    // burst that came in before: a beginning of it, each byte once.
    QByteArray expected;
    QRandomGenerator random(7);
    const int rounds = 12;
    for (int round = 0; round < rounds; ++round) {
        f.switchOnTcp(peer.port());
        QVERIFY(f.isOn(1));
        QTRY_COMPARE(peer.connectionsAccepted(), round + 1);
        const qsizetype before = takenIn(f, 1);
        const QByteArray burst = randomBytes(random.bounded(1, 256 << 10), 200 + round);
        peer.send(burst);
        for (int i = random.bounded(4); i > 0; --i)
            QCoreApplication::processEvents();
        f.switchOff(1);
        QVERIFY(!f.session.channel(1).link().socket()->isActive());
        expected += burst.left(takenIn(f, 1) - before);
        QCOMPARE(dismissMessageBoxes(), QStringList());
    }
    f.switchOnTcp(peer.port());
    QTRY_COMPARE(peer.connectionsAccepted(), rounds + 1);
    peer.send("end\r");
    expected += "end\r";
    QTRY_VERIFY_WITH_TIMEOUT(f.paneText(1).size() >= expected.size(), captureDeadlineMs);
    QTRY_VERIFY(f.session.channel(1).receiver().pending().isEmpty());
    QVERIFY2(f.paneText(1) == expected, differenceOf(f.paneText(1), expected).constData());
}

void TestFaults::reloadDuringTrafficOnBothChannels()
{
    PtyPair pty;
    TcpPeer peer;
    DisplayFixture f;
    f.session.channel(1).setTimeOut(longTimeOut);
    f.channel(1).widgets().optTO->click(); // waits for a tick that never comes
    f.channel(2).widgets().optChar->click();
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    f.switchOnTcp(peer.port());
    QVERIFY(peer.waitForClient());
    QVERIFY(f.isOn(1) && f.isOn(2));

    QByteArray sent1;
    QByteArray sent2;
    QRandomGenerator random(8);
    for (int round = 0; round < 30; ++round) {
        const QByteArray burst1 = randomBytes(random.bounded(1, 16385), 300 + round);
        const QByteArray burst2 = randomBytes(random.bounded(1, 4097), 400 + round);
        peer.send(burst1);
        pty.write(burst2);
        sent1 += burst1;
        sent2 += burst2;
        QCoreApplication::processEvents();
    }
    QTRY_VERIFY(takenIn(f, 1) > 0 && takenIn(f, 2) > 0);
    // Apply in the serial settings dialog: the window reloads in the middle
    // of the traffic, with more data on its way on both channels.
    const QByteArray last1 = randomBytes(64 << 10, 350);
    const QByteArray last2 = randomBytes(2048, 450);
    peer.send(last1);
    pty.write(last2);
    sent1 += last1;
    sent2 += last2;

    const QByteArray shown1 = f.paneText(1);
    const QByteArray shown2 = f.paneText(2);
    const QByteArray waiting1 = f.session.channel(1).receiver().pending();
    const QByteArray waiting2 = f.session.channel(2).receiver().pending();
    f.window->reload();

    QCOMPARE(dismissMessageBoxes(), QStringList());
    for (int n : channelNumbers(defaultChannelCount))
        QVERIFY(!f.isOn(n));
    // The panes keep every byte they showed.
    QCOMPARE(f.paneText(1), shown1);
    QCOMPARE(f.paneText(2), shown2);
    QVERIFY(peer.waitForDisconnect());
    // What waited to be shown is still there, for the next data to bring out.
    QCOMPARE(f.session.channel(1).receiver().pending(), waiting1);
    QCOMPARE(f.session.channel(2).receiver().pending(), waiting2);
    QVERIFY(sent1.startsWith(waiting1));
    QVERIFY(sent2.startsWith(shown2 + waiting2));

    // Both channels work again. Channel 2's device kept what wasn't read yet.
    TcpPeer peer2;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    f.switchOnTcp(peer2.port());
    QVERIFY(peer2.waitForClient());
    QVERIFY(f.isOn(1) && f.isOn(2));
    peer2.send("one\r\n");
    pty.write("two\r\n");
    sent2 += "two\r\n";
    QTRY_COMPARE(f.paneText(1), shown1 + waiting1 + "one\r\n");
    const QByteArray expected2 = sent2;
    QTRY_VERIFY_WITH_TIMEOUT(f.paneText(2).size() >= expected2.size(), captureDeadlineMs);
    QVERIFY2(f.paneText(2) == expected2, differenceOf(f.paneText(2), expected2).constData());
    f.type(1, QStringLiteral("x"));
    f.type(2, QStringLiteral("y"));
    QCOMPARE(peer2.received(1), QByteArray("x"));
    QCOMPARE(pty.read(1), QByteArray("y"));
}

void TestFaults::printWhileDataArrives()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QStringList printed;
    PtyPair pty;
    TcpPeer peer;
    DisplayFixture f;
    // The dialog is made at each load of the window.
    f.window->setPrintDialogFactory(
        [&] { return std::make_unique<PdfPrintDialog>(&printed, dir.path()); });
    f.window->reload();
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    f.switchOnTcp(peer.port());
    QVERIFY(peer.waitForClient());

    QByteArray sent1;
    QByteArray sent2;
    QList<qsizetype> shownAtPrint;
    int line = 0;
    for (int job = 0; job < 3; ++job) {
        for (int burst = 0; burst < 10; ++burst) {
            const QByteArray lines = numberedLines(line, 20);
            line += 20;
            peer.send(lines);
            sent1 += lines;
            const QByteArray bytes = randomBytes(4096, 500 + job * 10 + burst);
            pty.write(bytes);
            sent2 += bytes;
            QCoreApplication::processEvents();
        }
        QTRY_VERIFY(!f.paneText(1).isEmpty());
        shownAtPrint << f.paneText(1).size();
        // More comes in while the print runs.
        peer.send(numberedLines(line, 50));
        sent1 += numberedLines(line, 50);
        line += 50;
        f.window->print();
    }
    QCOMPARE(printed.size(), 3);

    QTRY_VERIFY_WITH_TIMEOUT(f.paneText(1).size() >= sent1.size(), captureDeadlineMs);
    QTRY_VERIFY_WITH_TIMEOUT(f.paneText(2).size() >= sent2.size(), captureDeadlineMs);
    QVERIFY2(f.paneText(1) == sent1, differenceOf(f.paneText(1), sent1).constData());
    QVERIFY2(f.paneText(2) == sent2, differenceOf(f.paneText(2), sent2).constData());

    // Each printout holds the pane's lines in order, at least those shown
    // when File > Print was chosen.
    const QList<QByteArray> allLines = sent1.split('\n');
    for (int job = 0; job < printed.size(); ++job) {
        QVERIFY(QFile::exists(printed.at(job)));
        QStringList lines = pdfTextLines(printed.at(job));
        lines.removeAll(QString());
        const qsizetype atLeast = shownAtPrint.at(job) / numberedLines(0, 1).size();
        QVERIFY2(lines.size() >= atLeast, qPrintable(QString::number(lines.size())));
        // The last line may have been cut short by the end of a batch.
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            QCOMPARE(lines.at(i).toLatin1(), allLines.at(i).chopped(1));
        QVERIFY(allLines.at(lines.size() - 1).startsWith(lines.constLast().toLatin1()));
    }
    QVERIFY(f.isOn(1) && f.isOn(2));
}

void TestFaults::bigPasteArrivesExactly_data()
{
    QTest::addColumn<int>("channel");
    QTest::newRow("serial on channel 2") << 2;
    QTest::newRow("TCP on channel 1") << 1;
}

void TestFaults::bigPasteArrivesExactly()
{
    QFETCH(int, channel);
    PtyPair pty;
    TcpPeer peer;
    DisplayFixture f;
    if (channel == 2) {
        f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
        f.switchOn(2);
    } else {
        f.switchOnTcp(peer.port());
        QVERIFY(peer.waitForClient());
    }
    QVERIFY(f.isOn(channel));

    // Lines of printable Latin-1 text; a pasted line break, whatever its
    // form, is typed as Enter (13).
    QString text;
    QByteArray expected;
    QRandomGenerator random(9);
    while (expected.size() < (1 << 20)) {
        const int length = random.bounded(0, 120);
        for (int i = 0; i < length; ++i) {
            const char16_t c = random.bounded(8) == 0 ? char16_t(random.bounded(0xa0, 0x100))
                                                      : char16_t(random.bounded(0x20, 0x7f));
            text += QChar(c);
            expected += char(c);
        }
        text += random.bounded(2) ? QStringLiteral("\n") : QStringLiteral("\r\n");
        expected += '\r';
    }
    QApplication::clipboard()->setText(text);
    f.channel(channel).widgets().txtSend->paste();

    const QByteArray arrived = channel == 2 ? pty.read(expected.size(), captureDeadlineMs)
                                            : peer.received(expected.size(), captureDeadlineMs);
    QVERIFY2(arrived == expected, differenceOf(arrived, expected).constData());
    QCOMPARE(channel == 2 ? pty.readFor(50) : peer.receivedFor(50).mid(expected.size()),
             QByteArray());
    QCOMPARE((channel == 1 ? f.session.channel(1).modes() : f.session.channel(2).modes()).strSend,
             expected);
    QVERIFY(f.isOn(channel));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
