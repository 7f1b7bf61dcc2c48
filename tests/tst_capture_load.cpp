#include "core/pane/pane_text.h"
#include "support/byte_checks.h"
#include "support/display_fixture.h"
#include "support/message_boxes.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"
#include "ui/transmit_edit.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>

#include <optional>

namespace {

// Pane sizes can take a while on a loaded machine; they never take this long.
constexpr int captureDeadlineMs = 60000;

int upperHexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The bytes a Hex pane shows, each as a space and two digits (`spaceFirst`)
// or two digits and a space; nothing when the text has any other form.
std::optional<QByteArray> bytesOfHexPane(const QByteArray &pane, bool spaceFirst)
{
    if (pane.size() % 3 != 0)
        return std::nullopt;
    const qsizetype spaceAt = spaceFirst ? 0 : 2;
    const qsizetype digitsAt = spaceFirst ? 1 : 0;
    QByteArray bytes;
    bytes.reserve(pane.size() / 3);
    for (qsizetype i = 0; i < pane.size(); i += 3) {
        const int high = upperHexValue(pane[i + digitsAt]);
        const int low = upperHexValue(pane[i + digitsAt + 1]);
        if (pane[i + spaceAt] != ' ' || high < 0 || low < 0)
            return std::nullopt;
        bytes.append(char(high * 16 + low));
    }
    return bytes;
}

// The pane decoded as what was received: the text itself in ASCII.
QByteArray receivedOf(const QByteArray &pane, bool hex, bool spaceFirst)
{
    if (!hex)
        return pane;
    return bytesOfHexPane(pane, spaceFirst).value_or(QByteArray("<not a hex pane>"));
}

// Each byte shows as three characters in Hex, one in ASCII.
qsizetype paneSizeOf(qsizetype bytes, bool hex)
{
    return hex ? 3 * bytes : bytes;
}

} // namespace

class TestCaptureLoad : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(dismissMessageBoxes(), QStringList()); }
    void serialCaptureIsExact_data();
    void serialCaptureIsExact();
    void tcpCaptureIsExact_data();
    void tcpCaptureIsExact();
    void bothChannelsWhileTypingOnBoth();

private:
    void addModeFormatRows();
};

void TestCaptureLoad::addModeFormatRows()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("hex");
    for (const char *mode : {"Real Time", "Time Out", "After CR"})
        for (bool hex : {false, true})
            QTest::addRow("%s %s", mode, hex ? "Hex" : "ASCII") << QString::fromLatin1(mode) << hex;
}

void TestCaptureLoad::serialCaptureIsExact_data()
{
    addModeFormatRows();
}

void TestCaptureLoad::serialCaptureIsExact()
{
    QFETCH(QString, mode);
    QFETCH(bool, hex);

    PtyPair pty;
    QVERIFY(pty.isOpen());
    DisplayFixture f;
    f.session.channel(2).setTimeOut(5);
    ChannelGroup &c = f.channel(2);
    c.widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    QVERIFY(f.isOn(2));
    displayOption(c, mode)->click();
    (hex ? c.widgets().optHex : c.widgets().optASCII)->click();

    QByteArray sent = randomBytes(1 << 20, 7001 + quint32(mode.size()) * 2 + hex);
    if (mode == QLatin1String("After CR"))
        sent.back() = '\r'; // so the last of it shows too

    // Bursts of random sizes, the program reading whenever it gets the chance.
    QRandomGenerator bursts(42);
    for (qsizetype at = 0; at < sent.size();) {
        const qsizetype size = qMin<qsizetype>(bursts.bounded(1, 4097), sent.size() - at);
        pty.write(sent.mid(at, size));
        at += size;
        if (bursts.bounded(4) == 0)
            QCoreApplication::processEvents();
    }

    const qsizetype expectedSize = paneSizeOf(sent.size(), hex);
    QTRY_VERIFY_WITH_TIMEOUT(f.paneText(2).size() >= expectedSize, captureDeadlineMs);
    QTRY_VERIFY(f.session.channel(2).receiver().pending().isEmpty());
    const QByteArray received = receivedOf(f.paneText(2), hex, true);
    QVERIFY2(received == sent, differenceOf(received, sent).constData());
    QVERIFY(f.paneText(1).isEmpty());
    QVERIFY(f.isOn(2));
}

void TestCaptureLoad::tcpCaptureIsExact_data()
{
    addModeFormatRows();
}

void TestCaptureLoad::tcpCaptureIsExact()
{
    QFETCH(QString, mode);
    QFETCH(bool, hex);

    TcpPeer peer;
    DisplayFixture f;
    f.session.channel(1).setTimeOut(5);
    ChannelGroup &c = f.channel(1);
    displayOption(c, mode)->click();
    (hex ? c.widgets().optHex : c.widgets().optASCII)->click();
    f.switchOnTcp(peer.port());
    QVERIFY(peer.waitForClient());

    QByteArray sent = randomBytes(4 << 20, 9001 + quint32(mode.size()) * 2 + hex);
    if (mode == QLatin1String("After CR"))
        sent.back() = '\r';

    QRandomGenerator chunks(43);
    for (qsizetype at = 0; at < sent.size();) {
        const qsizetype size = qMin<qsizetype>(chunks.bounded(1, 65537), sent.size() - at);
        peer.send(sent.mid(at, size));
        at += size;
        QCoreApplication::processEvents();
    }

    const qsizetype expectedSize = paneSizeOf(sent.size(), hex);
    QTRY_VERIFY_WITH_TIMEOUT(f.paneText(1).size() >= expectedSize, captureDeadlineMs);
    QTRY_VERIFY(f.session.channel(1).receiver().pending().isEmpty());
    // Shown at a time-out tick, numbers lead with their space; shown as they
    // come off the connection, they end with it.
    const bool spaceFirst = mode == QLatin1String("Time Out");
    const QByteArray received = receivedOf(f.paneText(1), hex, spaceFirst);
    QVERIFY2(received == sent, differenceOf(received, sent).constData());
    QVERIFY(f.paneText(2).isEmpty());
    QVERIFY(f.isOn(1));
}

void TestCaptureLoad::bothChannelsWhileTypingOnBoth()
{
    PtyPair pty;
    TcpPeer peer;
    DisplayFixture f;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    QVERIFY(f.isOn(2));
    f.switchOnTcp(peer.port());
    QVERIFY(peer.waitForClient());

    const QByteArray toPane2 = randomBytes(512 << 10, 11);
    const QByteArray toPane1 = randomBytes(2 << 20, 12);
    const QString keys = QStringLiteral("The quick brown fox, 0123456789 ~!@#$%^&*()_+{}|:<>?");

    QString typed1;
    QString typed2;
    QByteArray atPtyMaster;
    QRandomGenerator random(44);
    qsizetype at1 = 0;
    qsizetype at2 = 0;
    while (at1 < toPane1.size() || at2 < toPane2.size()) {
        const qsizetype size2 = qMin<qsizetype>(random.bounded(1, 4097), toPane2.size() - at2);
        pty.write(toPane2.mid(at2, size2));
        at2 += size2;
        const qsizetype size1 = qMin<qsizetype>(random.bounded(1, 16385), toPane1.size() - at1);
        peer.send(toPane1.mid(at1, size1));
        at1 += size1;
        // A few keys on each transmit line now and then, as an operator would.
        if (random.bounded(8) == 0) {
            const QString piece1 = keys.mid(random.bounded(keys.size() - 4), 4);
            const QString piece2 = keys.mid(random.bounded(keys.size() - 4), 4);
            QTest::keyClicks(f.channel(1).widgets().txtSend, piece1);
            QTest::keyClicks(f.channel(2).widgets().txtSend, piece2);
            typed1 += piece1;
            typed2 += piece2;
        }
        atPtyMaster += pty.readFor(0);
    }
    QVERIFY(!typed1.isEmpty());

    QTRY_VERIFY_WITH_TIMEOUT(f.paneText(1).size() >= toPane1.size(), captureDeadlineMs);
    QTRY_VERIFY_WITH_TIMEOUT(f.paneText(2).size() >= toPane2.size(), captureDeadlineMs);
    QVERIFY2(f.paneText(1) == toPane1, differenceOf(f.paneText(1), toPane1).constData());
    QVERIFY2(f.paneText(2) == toPane2, differenceOf(f.paneText(2), toPane2).constData());

    const QByteArray expected2 = typed2.toLatin1();
    atPtyMaster += pty.read(expected2.size() - atPtyMaster.size());
    QCOMPARE(atPtyMaster, expected2);
    QCOMPARE(peer.received(typed1.size()), typed1.toLatin1());
    // Nothing more than was typed.
    QCOMPARE(pty.readFor(50), QByteArray());
    QCOMPARE(peer.receivedFor(50), typed1.toLatin1());
}

QTEST_MAIN(TestCaptureLoad)
#include "tst_capture_load.moc"
