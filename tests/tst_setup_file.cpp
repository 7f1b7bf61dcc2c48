#include "app/program_start.h"
#include "core/channel_list.h"
#include "devices/setup_file.h"
#include "support/display_fixture.h"
#include "support/message_boxes.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"
#include "ui/setup_commands.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

using Choices = ChannelChoiceList;

// Gives each channel its choices.
void choose(CaptureSession &session, const Choices &choices)
{
    for (int n : channelNumbers(defaultChannelCount))
        session.channel(n).setChoices(choices.at(n - 1));
}

// Every key's value as the file would have it, "Channel1/Format" first.
QStringList valuesOf(const CaptureSession &session)
{
    QStringList values;
    for (const SetupFile::SessionKey &key : SetupFile::sessionKeys())
        values << QStringLiteral("Serial/%1=%2").arg(QLatin1String(key.name), key.current(session));
    for (int n : channelNumbers(defaultChannelCount)) {
        const Channel &channel = session.channel(n);
        for (const SetupFile::ChannelKey &key : SetupFile::channelKeys()) {
            if (!key.tcpOnly || n == 1)
                values << QStringLiteral("Channel%1/%2=%3")
                              .arg(n)
                              .arg(QLatin1String(key.name), key.current(channel));
        }
    }
    return values;
}

// A file of the given lines, as an operator might write one.
QString writeFile(const QTemporaryDir &dir, const QByteArray &text)
{
    const QString path = dir.filePath(QStringLiteral("written.vterm"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        return {};
    return path;
}

} // namespace

class TestSetupFile : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(dismissMessageBoxes(), QStringList()); }
    void roundTripKeepsEveryValue();
    void badValuesAreNamedAndLeftAlone_data();
    void badValuesAreNamedAndLeftAlone();
    void handWrittenEscapes_data();
    void handWrittenEscapes();
    void unreadableFileAppliesNothing();
    void appliesTheBytesChecked();
    void openingSwitchesOffAppliesAndSwitchesOn();
    void badValuesMakeOneMessage();
    void notASetupLeavesTheCaptureAlone_data();
    void notASetupLeavesTheCaptureAlone();
    void listeningBeyondLoopbackIsAskedFirst_data();
    void listeningBeyondLoopbackIsAskedFirst();
    void programStartsWithTheNamedSetup();
    void programStartsPastAFileThatIsNotASetup();
};

void TestSetupFile::roundTripKeepsEveryValue()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.vterm"));
    CaptureSession saved;
    saved.setSignOnDefaults();
    saved.setSerialSettings(QStringLiteral("115200,e,7,2"));
    saved.setBridge(*BridgeChoice::fromText(u"2>1", defaultChannelCount));
    Choices savedChoices{ChannelChoices{QStringLiteral("TCP"), QStringLiteral("127.0.0.1"),
                                        QStringLiteral("4001"), true},
                         ChannelChoices{QStringLiteral("RFC 2217"), QStringLiteral("127.0.0.1"),
                                        QStringLiteral("2217"), true}};
    for (int n : channelNumbers(defaultChannelCount)) {
        Channel &channel = saved.channel(n);
        channel.setFormat(n == 1 ? ReceiveFormat::Hex : ReceiveFormat::Dump);
        channel.setDisplayMode(n == 1 ? DisplayMode::AfterCr : DisplayMode::TimeOut);
        channel.setTransmitMode(TransmitMode::AfterCr);
        channel.setHexEntry(true);
        channel.setTimeOut(qint16(n == 1 ? 32767 : 0));
        channel.setAccumulate(AccumulateMode::ClearFirst);
        channel.setLineEnding(n == 1 ? LineEnding::CrLf : LineEnding::None);
        channel.setLineBreaks(n == 1 ? LineBreaks::Lf : LineBreaks::CrLf);
        channel.setLocalEcho(true);
        channel.setZmodemAutoStart(true);
        channel.setZmodemQuietSeconds(n == 1 ? 0 : 86400);
        channel.setLinkOptions(
            LinkOptions{true, false, false, n == 1 ? FlowControl::RtsCts : FlowControl::XonXoff});
        channel.setPaneTimes(
            {n == 1 ? LineTimeForm::WallClock : LineTimeForm::SincePrevious, true});
        channel.plot().setOn(true);
        QCOMPARE(channel.plot().setPattern(QStringLiteral("T%1=(?<T>[0-9,;#\"]+)").arg(n)),
                 QString());
        channel.plot().setFollowSeconds(n == 1 ? 0 : 3600);
        // Commas, quotes, tabs, backslashes and INI's own signs travel too.
        for (int b = 0; b < SendButton::perChannel; ++b)
            channel.sendButtons().define(
                b, {QStringLiteral("F%1, \"go\" ;#").arg(b + 1),
                    b % 2 ? QStringLiteral("0d 0A") : QStringLiteral("AT=%1\t\\r,\"").arg(b),
                    b % 2 == 1, b * 10});
    }
    QString error;
    choose(saved, savedChoices);
    QVERIFY2(SetupFile::save(path, saved, &error), qPrintable(error));

    CaptureSession opened;
    opened.setSignOnDefaults();
    Choices openedChoices{ChannelChoices{QStringLiteral("1"), {}, QStringLiteral("9761"), false},
                          ChannelChoices{QStringLiteral("2"), {}, {}, false}};
    choose(opened, openedChoices);
    // Every value differs before, so each one is shown to travel.
    const QStringList before = valuesOf(opened);
    const QStringList expected = valuesOf(saved);
    QCOMPARE(before.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        QVERIFY2(before.at(i) != expected.at(i), qPrintable(expected.at(i)));

    const SetupFile::Reading reading = SetupFile::open(path, opened);
    QVERIFY(reading.clean());
    QCOMPARE(valuesOf(opened), expected);

    // Readable by a person: sections and the modes' own words.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    for (const char *line :
         {"[Channel1]", "Format=Hex", "LineEnding=CR LF", "Accumulate=Clear First",
          "FlowControl=RTS/CTS", "Times=WallClock", "[Serial]", "Settings=\"115200,e,7,2\""})
        QVERIFY2(text.contains(line), line);
}

void TestSetupFile::badValuesAreNamedAndLeftAlone_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("unknown format") << "Channel1/Format" << QByteArray("Purple");
    QTest::newRow("time-out too long") << "Channel1/TimeOut" << QByteArray("32768");
    QTest::newRow("negative time-out") << "Channel2/TimeOut" << QByteArray("-1");
    QTest::newRow("time-out not a number") << "Channel2/TimeOut" << QByteArray("200ms");
    QTest::newRow("not true or false") << "Channel2/Hex" << QByteArray("maybe");
    QTest::newRow("a byte array, not text") << "Channel1/Hex" << QByteArray("@ByteArray(true)");
    QTest::newRow("socket 0") << "Channel1/Socket" << QByteArray("0");
    QTest::newRow("socket too high") << "Channel1/Socket" << QByteArray("65536");
    QTest::newRow("socket 0 on channel 2") << "Channel2/Socket" << QByteArray("0");
    QTest::newRow("empty port") << "Channel2/Port" << QByteArray("");
    QTest::newRow("bad parity") << "Serial/Settings" << QByteArray("\"9600,q,8,1\"");
    QTest::newRow("unquoted list, bad data bits") << "Serial/Settings" << QByteArray("9600,n,9,1");
    QTest::newRow("bridge to itself") << "Serial/Bridge" << QByteArray("1<>1");
    QTest::newRow("bridge to no channel") << "Serial/Bridge" << QByteArray("1>9");
    QTest::newRow("unknown ending") << "Channel2/LineEnding" << QByteArray("CRCR");
    QTest::newRow("unknown mode") << "Channel1/Transmit" << QByteArray("Later");
    QTest::newRow("unknown accumulate") << "Channel1/Accumulate" << QByteArray("Replace");
    QTest::newRow("unknown flow control") << "Channel2/FlowControl" << QByteArray("DTR/DSR");
    QTest::newRow("reconnect as a word") << "Channel1/Reconnect" << QByteArray("always");
    QTest::newRow("On as a number") << "Channel2/On" << QByteArray("1");
}

void TestSetupFile::badValuesAreNamedAndLeftAlone()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, value);
    QTemporaryDir dir;
    CaptureSession session;
    session.setSignOnDefaults();
    Choices choices{ChannelChoices{QStringLiteral("TCP"), QStringLiteral("127.0.0.1"),
                                   QStringLiteral("9761"), false},
                    ChannelChoices{QStringLiteral("2"), {}, {}, false}};
    choose(session, choices);
    const QStringList before = valuesOf(session);

    // The bad value among good ones, which still apply.
    const QString section = key.section(u'/', 0, 0);
    const QByteArray text = "[" + section.toLatin1() + "]\n" + key.section(u'/', 1).toLatin1() +
                            "=" + value + "\n" + "[Channel2]\nDisplay=Time Out\n";
    const SetupFile::Reading reading = SetupFile::open(writeFile(dir, text), session);
    QVERIFY(reading.error.isEmpty());
    QVERIFY(reading.unknown.isEmpty());
    QCOMPARE(reading.refused.size(), 1);
    QVERIFY2(reading.refused.at(0).startsWith(key + QStringLiteral(" = ")),
             qPrintable(reading.refused.at(0)));
    QCOMPARE(session.channel(2).modes().display, DisplayMode::TimeOut);
    QStringList after = valuesOf(session);
    after.replaceInStrings(QStringLiteral("Channel2/Display=Time Out"),
                           QStringLiteral("Channel2/Display=Real Time"));
    QCOMPARE(after, before);
}

// Each row: a send button written by hand, and the escape refused (none:
// it reads). The INI reader would make other text of each refused one.
void TestSetupFile::handWrittenEscapes_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("refused");
    QTest::newRow("backslash doubled") << QByteArray(R"("Go\ttext\t0\tAT\\r\\x04\"")") << QString();
    QTest::newRow("backslash once") << QByteArray(R"(Go\ttext\t0\tAT\r)") << "\\r";
    QTest::newRow("short hex") << QByteArray(R"(Go\ttext\t0\t\x4)") << "\\x";
    QTest::newRow("unicode") << QByteArray(R"(Go\ttext\t0\t\u0041)") << "\\u";
}

void TestSetupFile::handWrittenEscapes()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, refused);
    QTemporaryDir dir;
    CaptureSession session;
    const SetupFile::Reading reading =
        SetupFile::open(writeFile(dir, "[Channel1]\nButton1=" + value + "\nHex=true\n"), session);
    QCOMPARE(reading.unknownEscapes.join(QString()),
             refused.isEmpty() ? QString() : "Channel1/Button1 (" + refused + ")");
    QVERIFY(SetupFile::summary(reading).endsWith(reading.unknownEscapes.join(QString())));
    QVERIFY(reading.refused.isEmpty() && session.channel(1).modes().hexEntry);
    QCOMPARE(session.channel(1).sendButtons().button(0).text,
             refused.isEmpty() ? QStringLiteral(R"(AT\r\x04")") : QString());
}

void TestSetupFile::unreadableFileAppliesNothing()
{
    QTemporaryDir dir;
    CaptureSession session;
    QVERIFY(!SetupFile::open(dir.filePath(QStringLiteral("none.vterm")), session).error.isEmpty());
    QVERIFY(!SetupFile::open(dir.path(), session).error.isEmpty());
    QString error;
    QVERIFY(!SetupFile::save(dir.path(), session, &error)); // a folder
    QVERIFY(!error.isEmpty());
}

// The file is opened once: what changes on disk after the check (here a
// value the check never saw) is not what gets applied.
void TestSetupFile::appliesTheBytesChecked()
{
    QTemporaryDir dir;
    CaptureSession session;
    const SetupFile::Contents contents =
        SetupFile::read(writeFile(dir, "[Channel2]\nDisplay=Time Out\n"));
    QVERIFY(contents.error.isEmpty());
    writeFile(dir, "[Channel2]\nDisplay=After CR\n");
    QVERIFY(SetupFile::apply(contents, session).error.isEmpty());
    QCOMPARE(session.channel(2).modes().display, DisplayMode::TimeOut);
}

void TestSetupFile::openingSwitchesOffAppliesAndSwitchesOn()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pty.vterm"));
    PtyPair pty;
    TcpPeer peer;
    DisplayFixture f;
    SetupCommands &commands = *f.window->setupCommands();
    // Channel 2 on a pty in Hex, After CR, LF endings; channel 1 off on TCP.
    ChannelGroup &two = f.channel(2);
    two.widgets().cmbPort->setEditText(pty.slavePath());
    two.widgets().optHex->click();
    two.widgets().optChar->click();
    two.widgets().optCR->click();
    f.session.channel(2).setLineEnding(LineEnding::Lf);
    f.choosePort1(QStringLiteral("TCP"));
    f.channel(1).widgets().txtPort->setText(QString::number(peer.port()));
    f.switchOn(2);
    QVERIFY(f.isOn(2));
    QVERIFY(commands.saveSetup(path));

    // Everything changed, and channel 1 on instead of channel 2.
    f.switchOff(2);
    two.widgets().cmbPort->setEditText(QStringLiteral("7"));
    two.widgets().optASCII->click();
    two.widgets().optRT->click();
    two.widgets().optLive->click();
    f.session.channel(2).setLineEnding(LineEnding::Cr);
    f.switchOn(1);
    QVERIFY(f.isOn(1));

    QVERIFY(commands.openSetup(path));
    QVERIFY(!f.isOn(1));
    QVERIFY(f.channel(1).widgets().optOff->isChecked());
    QVERIFY(f.isOn(2));
    QCOMPARE(two.widgets().cmbPort->currentText(), pty.slavePath());
    QVERIFY(two.widgets().optHex->isChecked() && two.widgets().optChar->isChecked() &&
            two.widgets().optCR->isChecked());
    QCOMPARE(f.session.channel(2).modes().format, ReceiveFormat::Hex);
    QCOMPARE(f.channel(1).widgets().cmbPort->currentText(), QStringLiteral("TCP"));
    QVERIFY(f.channel(1).widgets().txtHost->isVisibleTo(f.window.get()));
    QCOMPARE(f.channel(1).widgets().txtPort->text(), QString::number(peer.port()));

    // The reopened channel works, with the setup's line ending.
    f.type(2, QStringLiteral("go"));
    f.pressEnter(2);
    QCOMPARE(pty.read(3), QByteArray("go\n"));
}

void TestSetupFile::badValuesMakeOneMessage()
{
    QTemporaryDir dir;
    DisplayFixture f;
    // Thousands of unknown keys still make a short message: the first few
    // and a count.
    QByteArray unknown;
    for (int i = 0; i < 5000; ++i)
        unknown += "Extra" + QByteArray::number(i) + "=1\n";
    const QString path = writeFile(dir, "[Channel1]\nFormat=Hex\nTimeOut=99999\n"
                                        "[Channel2]\nHex=perhaps\nColour=blue\n" +
                                            unknown);
    QVERIFY(f.window->setupCommands()->openSetup(path));
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    for (const char *named :
         {"Channel1/TimeOut = 99999", "Channel2/Hex = perhaps", "Channel2/Colour", "and 4996 more"})
        QVERIFY2(messages.at(0).contains(QLatin1String(named)), qPrintable(messages.at(0)));
    QVERIFY2(messages.at(0).size() < 400, qPrintable(messages.at(0)));
    QVERIFY(f.channel(1).widgets().optHex->isChecked());
    QCOMPARE(f.session.channel(1).module().intTimeOut, qint16(200));
    QVERIFY(!f.channel(2).widgets().chkHex->isChecked());
}

// Each row: a file that is not a setup, and what the message says. It is
// refused before anything is switched off, so both channels go on capturing.
void TestSetupFile::notASetupLeavesTheCaptureAlone_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("why");
    QByteArray huge = "[Channel1]\n";
    while (huge.size() < 10 << 20)
        huge += "Unknown" + QByteArray::number(huge.size()) + "=1\n";
    QTest::newRow("a line that is not key=value")
        << QByteArray("[Channel2]\nFormat=Hex\nDisplay Time Out\n")
        << "Line 3 is not a \"key=value\" line: Display Time Out";
    QTest::newRow("plain text") << QByteArray("Dear diary,\nit rained.\n") << "Line 1 is not";
    QTest::newRow("a picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                               << "Line 1 holds bytes that are not text";
    QTest::newRow("a backslash joining the next line")
        << QByteArray("[Channel1]\nButton1=Go\\ttext\\t0\\tA\\\r\nHex=true\n")
        << "Line 2 ends in a backslash, which would join the next line to it.";
    QTest::newRow("no setup section")
        << QByteArray("[Other]\nFormat=Hex\n") << "none of the sections";
    QTest::newRow("a ninth channel")
        << QByteArray("[Channel1]\nFormat=Hex\n[Channel9]\nFormat=Hex\n")
        << "a setup opens at most 8 channels";
    QTest::newRow("10 MB") << huge << "larger than 1024 kB";
    QTest::newRow("a 200 kB value") << "[Channel1]\nHost=" + QByteArray(200 * 1024, 'h') + "\n"
                                    << "Line 2 is longer than 4096 characters";
}

void TestSetupFile::notASetupLeavesTheCaptureAlone()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, why);
    QTemporaryDir dir;
    PtyPair pty;
    TcpPeer peer;
    DisplayFixture f;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    f.switchOnTcp(peer.port());
    QVERIFY(f.isOn(1) && f.isOn(2));

    QVERIFY(!f.window->setupCommands()->openSetup(writeFile(dir, text)));
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.at(0).contains(why), qPrintable(messages.at(0)));
    QVERIFY(f.isOn(1) && f.isOn(2));
    pty.write("still here");
    QTRY_COMPARE(f.session.channel(2).pane().text(), QByteArray("still here"));
}

// A setup's TCP Listen channel beyond loopback is asked about (No leaves it
// off), loopback is not. The port is held at 127.0.0.1, so even a listen
// that skipped the question could not bind beyond loopback.
void TestSetupFile::listeningBeyondLoopbackIsAskedFirst_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::newRow("every address") << QByteArray("*");
    QTest::newRow("the IPv4 any address") << QByteArray("0.0.0.0");
    QTest::newRow("loopback") << QByteArray("127.0.0.1");
}

void TestSetupFile::listeningBeyondLoopbackIsAskedFirst()
{
    QFETCH(QByteArray, host);
    const bool asked = host != "127.0.0.1";
    QTemporaryDir dir;
    QTcpServer held;
    QVERIFY(held.listen(QHostAddress::LocalHost));
    const quint16 port = asked ? held.serverPort() : TcpPeer::refusedPort();
    DisplayFixture f;
    QString question;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&question] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box && box->objectName() == u"listenBeyondLoopbackQuestion") {
            question = box->text() + box->informativeText();
            box->button(QMessageBox::No)->click();
        }
    });
    answerer.start(10);
    QVERIFY(f.window->setupCommands()->openSetup(
        writeFile(dir, "[Channel2]\nPort=TCP Listen\nOn=true\nHost=" + host +
                           "\nSocket=" + QByteArray::number(port))));
    QCOMPARE(f.isOn(2), !asked);
    QCOMPARE(!question.isEmpty(), asked);
    for (const QString &named : {QString::number(port), QStringLiteral("first client")})
        QVERIFY2(!asked || question.contains(named), qPrintable(question));
}

// "varnokterm FILE.vterm": the setup is applied once the splash has made way
// for the main window.
void TestSetupFile::programStartsWithTheNamedSetup()
{
    QTemporaryDir dir;
    PtyPair pty;
    const QString path = writeFile(dir, "[Channel2]\nOn=true\nPort=" + pty.slavePath().toLatin1() +
                                            "\nTimeOut=750\n");
    ProgramStart program;
    program.setSetupFile(path);
    program.start();
    QTRY_VERIFY_WITH_TIMEOUT(program.display() && program.display()->isVisible(), 10000);
    QVERIFY(program.session.channel(2).isOn());
    QCOMPARE(program.session.channel(2).module().intTimeOut, qint16(750));
    QCOMPARE(program.session.serialSettings(), QStringLiteral("9600,n,8,1"));
}

void TestSetupFile::programStartsPastAFileThatIsNotASetup()
{
    QTemporaryDir dir;
    ProgramStart program;
    program.setSetupFile(writeFile(dir, QByteArray(10 << 20, 'x')));
    program.start();
    QTRY_VERIFY_WITH_TIMEOUT(program.display() && program.display()->isVisible(), 10000);
    QStringList messages; // gathered: the check runs once more after it passes
    QTRY_COMPARE((messages += dismissMessageBoxes()).size(), 1);
    QVERIFY2(messages.at(0).contains(QLatin1String("larger than")), qPrintable(messages.at(0)));
    QCOMPARE(program.session.serialSettings(), QStringLiteral("9600,n,8,1"));
}

QTEST_MAIN(TestSetupFile)
#include "tst_setup_file.moc"
