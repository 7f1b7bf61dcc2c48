#include "core/channel_list.h"
#include "core/pane/pane_text.h"
#include "devices/channel_link.h"
#include "devices/serial_port_component.h"
#include "devices/socket_component.h"
#include "support/display_fixture.h"
#include "support/message_boxes.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"
#include "ui/format_dialog.h"
#include "ui/transmit_edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHostAddress>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

namespace {

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u <= u'9')
        return u - u'0';
    return (u | 0x20) - u'a' + 10;
}

// Types each character as its own key press, also those no keyboard
// layout of the test tool knows (it only has Latin-1).
void typeKeys(QWidget *widget, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, char(c.unicode()));
            continue;
        }
        // A character beyond the first plane comes as one key with two halves.
        const qsizetype length = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString key = text.mid(i, length);
        i += length - 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, key);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, key);
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

// The channel as it stands, to show that a refused input changed nothing.
struct ChannelSnapshot
{
    QString port;
    DisplayMode disp;
    ReceiveFormat format;
    TransmitMode trans;
    QByteArray pane;

    static ChannelSnapshot of(const DisplayFixture &f, int n)
    {
        const ChannelModes &modes = f.session.channel(n).modes();
        return {f.channel(n).widgets().cmbPort->currentText(), modes.display, modes.format,
                modes.transmit, f.paneText(n)};
    }
    bool operator==(const ChannelSnapshot &) const = default;
};

// The malformed settings strings the settings parser refuses.
const QStringList malformedSettings = {
    QStringLiteral("9600,x,8,1"),
    QStringLiteral("9600,nn,8,1"),
    QStringLiteral("abc,n,8,1"),
    QStringLiteral("9600,n,9,1"),
    QStringLiteral("9600,n,4,1"),
    QString(),
    QStringLiteral("   "),
    QStringLiteral(",,,"),
    QStringLiteral("9600,,8,1"),
    QStringLiteral("9600,n,,1"),
    QStringLiteral("9600,n,8,"),
    QStringLiteral("9600,n,8"),
    QStringLiteral("9600,n,8,1,1"),
    QStringLiteral("9600"),
    QStringLiteral("0,n,8,1"),
    QStringLiteral("-9600,n,8,1"),
    QStringLiteral("+9600,n,8,1"),
    QStringLiteral("9600.5,n,8,1"),
    QStringLiteral("2147483648,n,8,1"),
    QStringLiteral("99999999999999999999999,n,8,1"),
    QStringLiteral("9600,n,8,3"),
    QStringLiteral("9600,n,8,1.0"),
    QStringLiteral("9600;n;8;1"),
};

const QString refusal1 =
    QStringLiteral("Comm 1: the time-out must be a whole number of milliseconds from 0 to 32767.");
const QString refusal2 =
    QStringLiteral("Comm 2: the time-out must be a whole number of milliseconds from 0 to 32767.");

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(dismissMessageBoxes(), QStringList()); }
    void portTextsOpenNothing_data();
    void portTextsOpenNothing();
    void hostTextsFailClearly_data();
    void hostTextsFailClearly();
    void invalidAddressIsRefusedBeforeAnyLookup();
    void tcpPortTextsAreRefused_data();
    void tcpPortTextsAreRefused();
    void malformedSettingsAreReported_data();
    void malformedSettingsAreReported();
    void formatDialogRefusesTimeOuts_data();
    void formatDialogRefusesTimeOuts();
    void formatDialogReadsLeadingNumbers_data();
    void formatDialogReadsLeadingNumbers();
    void hexEntryGarbage_data();
    void hexEntryGarbage();
    void randomHexGarbageSendsOnlyTypedDigits();
};

void TestBadInput::portTextsOpenNothing_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("port");
    for (int channel : channelNumbers(defaultChannelCount))
        for (const char *port : {"", "0", "100", "-3", "3.7", "abc", "/nonexistent", "/dev/null"})
            QTest::addRow("%d: \"%s\"", channel, port) << channel << QString::fromLatin1(port);
}

void TestBadInput::portTextsOpenNothing()
{
    QFETCH(int, channel);
    QFETCH(QString, port);
    // The other channel is on and receiving throughout.
    const int other = 3 - channel;
    PtyPair pty;
    DisplayFixture f;
    f.channel(other).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(other);
    QVERIFY(f.isOn(other));
    pty.write("before ");
    QTRY_COMPARE(f.paneText(other), QByteArray("before "));

    f.channel(channel).widgets().cmbPort->setEditText(port);
    const ChannelSnapshot before = ChannelSnapshot::of(f, channel);
    f.switchOn(channel);

    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().startsWith(QStringLiteral("Com%1 Error!\n").arg(channel)),
             qPrintable(messages.first()));
    // The details give a reason.
    QVERIFY(messages.first().size() > QStringLiteral("Com1 Error!\n").size());
    QVERIFY(!f.isOn(channel));
    QVERIFY(f.channel(channel).widgets().optOff->isChecked());
    QVERIFY(!(channel == 1 ? &f.session.channel(1).link() : &f.session.channel(2).link())
                 ->serial()
                 .openState());
    for (QWidget *control : f.channel(channel).workingControls())
        QVERIFY(!control->isEnabled());
    QVERIFY(ChannelSnapshot::of(f, channel) == before);

    QVERIFY(f.isOn(other));
    pty.write("after");
    QTRY_COMPARE(f.paneText(other), QByteArray("before after"));
}

void TestBadInput::hostTextsFailClearly_data()
{
    QTest::addColumn<QString>("host");
    QTest::newRow("empty") << QString();
    QTest::newRow("300 characters") << QString(300, QLatin1Char('a'));
}

void TestBadInput::hostTextsFailClearly()
{
    QFETCH(QString, host);
    // Switching on must send nothing to the network: Qt refuses these names
    // itself (no address, no valid name) before any lookup.
    QVERIFY(QHostAddress(host).isNull());
    QVERIFY(QUrl::toAce(host).isEmpty());

    TcpPeer peer; // would be the peer if the host text were ignored
    DisplayFixture f;
    f.choosePort1(QStringLiteral("TCP"));
    f.channel(1).widgets().txtHost->setText(host);
    f.channel(1).widgets().txtPort->setText(QString::number(peer.port()));
    f.switchOn(1);
    QTRY_VERIFY_WITH_TIMEOUT(!f.channel(1).widgets().optOn->isChecked(), 5000);

    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    if (host.isEmpty()) {
        // Asked for before any attempt.
        QVERIFY2(messages.first().contains(QStringLiteral("TCP host")),
                 qPrintable(messages.first()));
    } else {
        QVERIFY2(messages.first().contains(QString::number(peer.port())),
                 qPrintable(messages.first()));
        QVERIFY2(messages.first().contains(host), qPrintable(messages.first()));
        QVERIFY(messages.first().contains(QLatin1Char('\n'))); // with the reason
    }
    QVERIFY(!f.isOn(1));
    QVERIFY(!f.session.channel(1).link().socket()->isActive());
    QCOMPARE(f.channel(1).widgets().txtHost->text(), host);
    QCOMPARE(peer.connectionsAccepted(), 0);

    // Then the right host works.
    f.switchOnTcp(peer.port());
    QVERIFY(peer.waitForClient());
    peer.send("ok");
    QTRY_COMPARE(f.paneText(1), QByteArray("ok"));
}

void TestBadInput::invalidAddressIsRefusedBeforeAnyLookup()
{
    // "256.1.1.1" is no address, so Qt would ask the name service about it
    // as a host name. Only the case that fails before that is tried here:
    // with a port that can't be used, nothing is looked up or connected.
    const QString host = QStringLiteral("256.1.1.1");
    QVERIFY(QHostAddress(host).isNull());
    DisplayFixture f;
    f.choosePort1(QStringLiteral("TCP"));
    f.channel(1).widgets().txtHost->setText(host);
    f.channel(1).widgets().txtPort->setText(QStringLiteral("0"));
    f.switchOn(1);
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().contains(QStringLiteral("1 to 65535")));
    QVERIFY(!f.isOn(1));
    QVERIFY(!f.session.channel(1).link().socket()->isActive());
    QVERIFY(f.session.channel(1).link().socket()->remoteHostName().isEmpty());
    QCOMPARE(f.channel(1).widgets().txtHost->text(), host);
}

void TestBadInput::tcpPortTextsAreRefused_data()
{
    QTest::addColumn<QString>("port");
    for (const char *port : {"", "0", "65536", "9761x", "-80", "80.5", "0x50", "99999999999"})
        QTest::newRow(port) << QString::fromLatin1(port);
}

void TestBadInput::tcpPortTextsAreRefused()
{
    QFETCH(QString, port);
    DisplayFixture f;
    f.choosePort1(QStringLiteral("TCP"));
    f.channel(1).widgets().txtHost->setText(QStringLiteral("127.0.0.1"));
    f.channel(1).widgets().txtPort->setText(port);
    f.switchOn(1);
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(QStringLiteral("\"%1\"").arg(port)),
             qPrintable(messages.first()));
    QVERIFY(messages.first().contains(QStringLiteral("1 to 65535")));
    QVERIFY(!f.isOn(1));
    QVERIFY(f.session.channel(1).link().route() == ChannelLink::Route::None);
    QVERIFY(!f.session.channel(1).link().socket()->isActive());
    QCOMPARE(f.channel(1).widgets().txtPort->text(), port);
    // Typing while off sends nothing anywhere (the line is disabled).
    QVERIFY(!f.channel(1).widgets().txtSend->isEnabled());
}

void TestBadInput::malformedSettingsAreReported_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("settings");
    for (int channel : channelNumbers(defaultChannelCount))
        for (const QString &settings : malformedSettings)
            QTest::addRow("%d: \"%s\"", channel, qPrintable(settings)) << channel << settings;
}

void TestBadInput::malformedSettingsAreReported()
{
    QFETCH(int, channel);
    QFETCH(QString, settings);
    PtyPair pty;
    DisplayFixture f;
    f.session.setSerialSettings(settings);
    f.channel(channel).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(channel);

    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(QLatin1Char('"') + settings + QLatin1Char('"')),
             qPrintable(messages.first()));
    QVERIFY2(messages.first().contains(pty.slavePath()), qPrintable(messages.first()));
    QVERIFY(!f.isOn(channel));
    QVERIFY(f.channel(channel).widgets().optOff->isChecked());
    ChannelLink *link = channel == 1 ? &f.session.channel(1).link() : &f.session.channel(2).link();
    QVERIFY(!link->serial().openState());
    QVERIFY(link->route() == ChannelLink::Route::None);
    QCOMPARE(f.session.serialSettings(), settings);

    // The device was let go: good settings open it.
    f.session.setSerialSettings(QStringLiteral("9600,n,8,1"));
    f.switchOn(channel);
    QVERIFY(f.isOn(channel));
    pty.write("fine");
    QTRY_COMPARE(f.paneText(channel), QByteArray("fine"));
}

void TestBadInput::formatDialogRefusesTimeOuts_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("text");
    const QStringList texts = {
        QStringLiteral("-1"),
        QStringLiteral("32768"),
        QStringLiteral("1e9"),
        QStringLiteral("-0.6"),     // rounds to -1
        QStringLiteral("32767.5"),  // rounds to 32768
        QStringLiteral("&H8000"),   // 32768
        QStringLiteral("&O100000"), // 32768
        QStringLiteral("99999999999999999999"),
        QStringLiteral("&H") + QString(300, QLatin1Char('F')),
        QStringLiteral("1e400"),
        QStringLiteral("-1e400"),
        QStringLiteral("1") + QString(400, QLatin1Char('0')),
    };
    for (int channel : channelNumbers(defaultChannelCount))
        for (const QString &text : texts)
            QTest::addRow("Comm %d: %s", channel, qPrintable(text.left(24))) << channel << text;
}

void TestBadInput::formatDialogRefusesTimeOuts()
{
    QFETCH(int, channel);
    QFETCH(QString, text);
    CaptureSession session;
    session.setSignOnDefaults();
    QPointer<FormatDialog> dialog = new FormatDialog(session);
    dialog->show();
    auto *own = dialog->findChild<QLineEdit *>(QStringLiteral("txtTimeOut%1").arg(channel));
    auto *other = dialog->findChild<QLineEdit *>(QStringLiteral("txtTimeOut%1").arg(3 - channel));
    QVERIFY(own && other);
    own->setText(text);
    other->setText(QStringLiteral("300"));
    for (QRadioButton *option : dialog->findChildren<QRadioButton *>())
        if (option->property("index").toInt() == 1)
            option->setChecked(true); // "Clear old data first" on both
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdApply")), Qt::LeftButton);

    QCOMPARE(dismissMessageBoxes(), QStringList{channel == 1 ? refusal1 : refusal2});
    QCOMPARE(int(session.channel(1).module().intTimeOut), 200);
    QCOMPARE(int(session.channel(2).module().intTimeOut), 200);
    QCOMPARE(session.channel(1).module().addTo, AccumulateMode::AddOn);
    QCOMPARE(session.channel(2).module().addTo, AccumulateMode::AddOn);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(own->text(), text); // left for the operator to correct
    delete dialog.data();
}

void TestBadInput::formatDialogReadsLeadingNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("stored");
    QTest::newRow("letters only") << QStringLiteral("abc") << 0;
    QTest::newRow("digits then garbage") << QStringLiteral("12abc") << 12;
    QTest::newRow("blanks inside") << QStringLiteral(" 3 0\t0 ") << 300;
    QTest::newRow("second point ends it") << QStringLiteral("1.5.5") << 2;
    QTest::newRow("exponent without digits") << QStringLiteral("7e") << 7;
    QTest::newRow("small negative") << QStringLiteral("-0.4") << 0;
    QTest::newRow("tiny exponent") << QStringLiteral("5e-400") << 0;
    QTest::newRow("non-Latin-1 digits") << QStringLiteral("\u0663\uff11") << 0;
    QTest::newRow("ampersand alone") << QStringLiteral("&") << 0;
}

void TestBadInput::formatDialogReadsLeadingNumbers()
{
    QFETCH(QString, text);
    QFETCH(int, stored);
    CaptureSession session;
    session.setSignOnDefaults();
    QPointer<FormatDialog> dialog = new FormatDialog(session);
    dialog->show();
    dialog->findChild<QLineEdit *>(QStringLiteral("txtTimeOut1"))->setText(text);
    dialog->findChild<QLineEdit *>(QStringLiteral("txtTimeOut2"))->setText(text);
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdApply")), Qt::LeftButton);
    QCOMPARE(dismissMessageBoxes(), QStringList());
    QCOMPARE(int(session.channel(1).module().intTimeOut), stored);
    QCOMPARE(int(session.channel(2).module().intTimeOut), stored);
    QTRY_VERIFY(dialog.isNull());
}

void TestBadInput::hexEntryGarbage_data()
{
    QTest::addColumn<bool>("lineMode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("sent");
    const QList<std::pair<QString, QByteArray>> rows = {
        {QStringLiteral("GHIJKLMNOPQRSTUVWXYZ ghijklmnopqrstuvwxyz"), QByteArray()},
        {QStringLiteral("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"), QByteArray()},
        {QStringLiteral("\u00e9 \u00fc\u00df\u00bd\u00ff \u00c0"), QByteArray()},
        // Digits of other scripts are not hex digits, and nor is the "?"
        // they are sent as.
        {QStringLiteral("\u0436\u20ac\uff11\uff12\u0663 \U0001F600"), QByteArray()},
        {QStringLiteral("zz 4g1 x"), QByteArray("\x04\x01", 2)},
        {QStringLiteral("4142 43x44"), QByteArray("\x41\x42\x43\x44")},
        {QStringLiteral("123"), QByteArray("\x12\x03")},
        {QStringLiteral("0x7F"), QByteArray("\x00\x7f", 2)},
        {QStringLiteral("A\u00e9B"), QByteArray("\x0a\x0b")},
        {QStringLiteral("4\u00a05"), QByteArray("\x04\x05")}, // no-break space
        {QStringLiteral("4\b5 "), QByteArray("\x05")},        // the 4 was taken back
        {QStringLiteral("ab\u0663cd"), QByteArray("\xab\xcd")},
    };
    for (bool lineMode : {false, true})
        for (qsizetype i = 0; i < rows.size(); ++i)
            QTest::addRow("%s %lld", lineMode ? "line" : "real time", qlonglong(i))
                << lineMode << rows.at(i).first << rows.at(i).second;
}

void TestBadInput::hexEntryGarbage()
{
    QFETCH(bool, lineMode);
    QFETCH(QString, typed);
    QFETCH(QByteArray, sent);
    PtyPair pty;
    DisplayFixture f;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    QVERIFY(f.isOn(2));
    if (lineMode)
        f.channel(2).widgets().optCR->click();
    f.channel(2).widgets().chkHex->setChecked(true);

    typeKeys(f.channel(2).widgets().txtSend, typed);
    f.pressEnter(2);
    QCOMPARE(pty.read(sent.size(), 3000), sent);
    QCOMPARE(pty.readFor(50), QByteArray());
    QCOMPARE(f.session.channel(2).modes().strSendHex, sent);
    QVERIFY(f.isOn(2));
}

void TestBadInput::randomHexGarbageSendsOnlyTypedDigits()
{
    // Mostly separators of every kind, some digits; each line typed in
    // "Real Time" with Hex ticked, then Enter.
    const QString separators = QStringLiteral(
        "ghxyzGXZ .,;:-_/\\|#'\"!?()[]{}<>=+*&%$@^~`\u00e9\u00d7\u00a0\u0436\u20ac\uff10\u0661");
    const QString digits = QStringLiteral("0123456789abcdefABCDEF");
    PtyPair pty;
    DisplayFixture f;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    f.channel(2).widgets().chkHex->setChecked(true);

    QRandomGenerator random(10);
    QByteArray expectedAll;
    for (int line = 0; line < 25; ++line) {
        QString typed;
        for (int i = random.bounded(1, 40); i > 0; --i) {
            const QString &from = random.bounded(3) == 0 ? digits : separators;
            typed += from.at(random.bounded(from.size()));
        }
        // Each run of digits gives one byte per pair, and one for a digit
        // left over at its end.
        QByteArray expected;
        qsizetype runLength = 0;
        int high = -1;
        for (qsizetype i = 0; i <= typed.size(); ++i) {
            if (i < typed.size() && isHexDigit(typed.at(i))) {
                ++runLength;
                if (runLength % 2 == 1) {
                    high = digitValue(typed.at(i));
                } else {
                    expected += char(high * 16 + digitValue(typed.at(i)));
                    high = -1;
                }
                continue;
            }
            if (high >= 0)
                expected += char(high);
            high = -1;
            runLength = 0;
        }
        typeKeys(f.channel(2).widgets().txtSend, typed);
        f.pressEnter(2);
        QCOMPARE(pty.read(expected.size(), 3000), expected);
        expectedAll += expected;
    }
    QCOMPARE(pty.readFor(50), QByteArray());
    QCOMPARE(f.session.channel(2).modes().strSendHex, expectedAll);
}

QTEST_MAIN(TestBadInput)
#include "tst_bad_input.moc"
