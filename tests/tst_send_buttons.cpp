// A channel's send buttons over a real pseudo-terminal: what a press sends,
// how a repeating button stops, and a press on a channel that is off.
#include "devices/capture_session.h"
#include "devices/channel.h"
#include "devices/transmit_queue.h"
#include "support/pty_pair.h"

#include <QSignalSpy>
#include <QTest>

class TestSendButtons : public QObject
{
    Q_OBJECT

private slots:
    void repeatsUntilPressedAgain();
    void offChannelSendsNothingAndSaysWhy();
};

void TestSendButtons::repeatsUntilPressedAgain()
{
    PtyPair pty;
    CaptureSession session;
    session.setSignOnDefaults();
    Channel &channel = session.channel(2);
    SendButtons &buttons = channel.sendButtons();
    QCOMPARE(buttons.define(4, {QStringLiteral("Poll"), QStringLiteral(R"(P\x01)"), false, 100}),
             QString());
    channel.switchOnSerial(pty.slavePath(), session.serialSettings());
    QVERIFY(channel.isOn());

    buttons.press(4);
    QVERIFY(buttons.isRepeating(4));
    QCOMPARE(pty.read(6), QByteArray("P\x01P\x01P\x01")); // it repeats
    buttons.press(4);
    QVERIFY(!buttons.isRepeating(4));
    QByteArray after = pty.readFor(50);
    QCOMPARE(pty.readFor(400), QByteArray()); // then stops
    QVERIFY(after.size() % 2 == 0);
    // Counted as sent, and kept out of the Repeat record.
    QTRY_VERIFY(channel.sentCount() >= 6);
    channel.repeat();
    QCOMPARE(pty.readFor(150), QByteArray());

    // Going off stops a repeating button.
    buttons.press(4);
    QVERIFY(buttons.isRepeating(4));
    channel.switchOff();
    QVERIFY(!buttons.isRepeating(4));
}

void TestSendButtons::offChannelSendsNothingAndSaysWhy()
{
    Channel channel(1, true);
    QSignalSpy refused(&channel.sendButtons(), &SendButtons::refused);
    QCOMPARE(
        channel.sendButtons().define(0, {QStringLiteral("Go"), QStringLiteral("41"), true, 200}),
        QString());
    channel.sendButtons().press(0);
    QVERIFY(!channel.sendButtons().isRepeating(0));
    QCOMPARE(refused.count(), 1);
    QCOMPARE(refused.at(0).at(0).toString(),
             QStringLiteral("Comm Port 1, button \"Go\": nothing sent, the port is off."));
    QCOMPARE(channel.link().queue().pending(), 0);
    // A text longer than a text field holds is refused, never cut.
    const QString tooLong(SendButton::longestText + 1, u'A');
    QVERIFY(!channel.sendButtons().define(1, {"Long", tooLong}).isEmpty());
}

QTEST_GUILESS_MAIN(TestSendButtons)
#include "tst_send_buttons.moc"
