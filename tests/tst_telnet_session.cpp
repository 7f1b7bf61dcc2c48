#include "core/telnet/com_port_option.h"
#include "core/telnet/remote_port_settings.h"
#include "core/telnet/telnet_send_ledger.h"
#include "core/telnet/telnet_session.h"

#include <QTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The events in a line each: "accepted", "refused", "reply 107 00".
QString eventsText(const QList<TelnetSession::ComPortEvent> &events)
{
    QStringList lines;
    for (const TelnetSession::ComPortEvent &e : events) {
        if (e.kind == TelnetSession::ComPortEvent::Accepted)
            lines << QStringLiteral("accepted");
        else if (e.kind == TelnetSession::ComPortEvent::Refused)
            lines << QStringLiteral("refused");
        else
            lines << QStringLiteral("reply %1 %2")
                         .arg(e.code)
                         .arg(QString::fromLatin1(e.value.toHex(' ')));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestTelnetSession : public QObject
{
    Q_OBJECT

private slots:
    void receive_data();
    void receive();
    void unsentDataIsCountedBeforeEscaping_data();
    void unsentDataIsCountedBeforeEscaping();
    void answersAreToldByMeaningOnce_data();
    void answersAreToldByMeaningOnce();
};

void TestTelnetSession::receive_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("events");

    // The server's answer to start(), as a ser2net server sends it.
    const QByteArray accept = hex("fffd00fffb00fffd2c");
    QTest::newRow("option accepted, modem state notified")
        << accept + hex("fffa2c6bb0fff0") << QByteArray() << QByteArray()
        << "accepted\nreply 107 b0";
    QTest::newRow("option refused") << hex("fffe2c") << QByteArray() << QByteArray() << "refused";
    QTest::newRow("echo refused, go-ahead taken")
        << hex("fffb01fffb03fffd03") << QByteArray() << hex("fffe01fffd03fffb03") << QString();
    QTest::newRow("unknown options refused once each")
        << hex("fffd18fffb18") << QByteArray() << hex("fffc18fffe18") << QString();
    QTest::newRow("IAC IAC inside a reply")
        << accept + hex("fffa2c65ffff000000fff0") << QByteArray() << QByteArray()
        << "accepted\nreply 101 ff 00 00 00";
    QTest::newRow("reply before the option is dropped")
        << hex("fffa2c6b00fff0 58") << hex("58") << QByteArray() << QString();
    QTest::newRow("broken subnegotiation ends at the next command")
        << accept + hex("fffa2c6b00 fffb01 59") << hex("59") << hex("fffe01") << "accepted";
    QTest::newRow("overlong subnegotiation dropped whole")
        << accept + hex("fffa2c6b") + QByteArray(1 << 20, 'x') + hex("fff0 5a") << hex("5a")
        << QByteArray() << "accepted";
    QTest::newRow("NOP and GA ignored")
        << hex("41fff1fff942") << hex("4142") << QByteArray() << QString();
}

void TestTelnetSession::receive()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, reply);
    QFETCH(QString, events);
    // Whole, and a byte at a time: a batch may end anywhere.
    for (const qsizetype step : {input.size(), qsizetype(1)}) {
        TelnetSession session;
        session.start();
        TelnetSession::Output out;
        for (qsizetype i = 0; i < input.size(); i += step)
            session.receive(QByteArrayView(input).sliced(i, qMin(step, input.size() - i)), out);
        QCOMPARE(out.data.toHex(' '), data.toHex(' '));
        QCOMPARE(out.reply.toHex(' '), reply.toHex(' '));
        QCOMPARE(eventsText(out.events), events);
    }
}

void TestTelnetSession::unsentDataIsCountedBeforeEscaping_data()
{
    // Written in order: "ab\xFF" (4 bytes on the wire), a 6-byte command,
    // "\xFF\xFFc" (5 bytes on the wire).
    QTest::addColumn<qint64>("unsentWire");
    QTest::addColumn<qint64>("data");
    QTest::newRow("all sent") << qint64(0) << qint64(0);
    QTest::newRow("the last byte") << qint64(1) << qint64(1);
    QTest::newRow("an escaped 0xFF whole") << qint64(3) << qint64(2);
    QTest::newRow("half an escaped 0xFF") << qint64(4) << qint64(3);
    QTest::newRow("a command carries no data") << qint64(11) << qint64(3);
    QTest::newRow("into the first data") << qint64(13) << qint64(4);
    QTest::newRow("everything") << qint64(15) << qint64(6);
}

void TestTelnetSession::unsentDataIsCountedBeforeEscaping()
{
    QFETCH(qint64, unsentWire);
    QFETCH(qint64, data);
    TelnetSendLedger ledger;
    ledger.data("ab\xFF");
    ledger.command(6);
    ledger.sent(10); // nothing has left yet
    ledger.data("\xFF\xFF"
                "c");
    QCOMPARE(ledger.dataIn(unsentWire), data);
}

void TestTelnetSession::answersAreToldByMeaningOnce_data()
{
    // One setting asked for, the server's answers in hex, and the notes they
    // give, a line each.
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("asked");
    QTest::addColumn<QString>("answers");
    QTest::addColumn<QString>("notes");
    using namespace ComPortOption;
    QTest::newRow("unknown parity reads as none") << int(SetParity) << hex("01") << "00 07"
                                                  << "";
    QTest::newRow("unknown stop size reads as 1") << int(SetStopSize) << hex("01") << "00"
                                                  << "";
    QTest::newRow("a repeated difference is told once")
        << int(SetBaudRate) << hex("00002580") << "000012c0 000012c0 000012c0"
        << "the server set 4800 baud instead of 9600";
    QTest::newRow("a new difference is told")
        << int(SetDataSize) << hex("07") << "08 08 06 07 08"
        << "the server set 8 data bits instead of 7\nthe server set 6 data bits instead of 7\n"
           "the server set 8 data bits instead of 7";
}

void TestTelnetSession::answersAreToldByMeaningOnce()
{
    QFETCH(int, command);
    QFETCH(QByteArray, asked);
    QFETCH(QString, answers);
    QFETCH(QString, notes);
    RemotePortSettings settings;
    settings.asked(std::uint8_t(command), asked);
    QStringList told;
    for (const QString &answer : answers.split(QLatin1Char(' '))) {
        if (const auto note = settings.answered(std::uint8_t(command), hex(qPrintable(answer)));
            note && !note->isEmpty())
            told << *note;
    }
    QCOMPARE(told.join(QLatin1Char('\n')), notes);
}

QTEST_GUILESS_MAIN(TestTelnetSession)
#include "tst_telnet_session.moc"
