#include "core/hex_entry.h"
#include "core/transmit_line.h"
#include "ui/transmit_edit.h"

#include <QKeyEvent>
#include <QTest>

namespace {

QByteArrayList bytesOf(const TransmissionList &transmissions)
{
    QByteArrayList list;
    for (const Transmission &t : transmissions)
        list << t.toByteArray();
    return list;
}

ChannelModes modesFor(bool perKey)
{
    ChannelModes modes;
    modes.setLoadDefaults();
    if (!perKey)
        modes.transmit = TransmitMode::AfterCr;
    return modes;
}

} // namespace

class TestTransmitLine : public QObject
{
    Q_OBJECT

private slots:
    void hexRuns_data();
    void hexRuns();
    void typing_data();
    void typing();
    void enterResendsEverythingSinceClear();
    void hexLineTwiceRecordsTheBytesTwice();
    void lineEndings_data();
    void lineEndings();
    void repeatAndClear();
    void resendsShareTheRecord();
    void keyCodes_data();
    void keyCodes();
    void pastedText_data();
    void pastedText();
};

void TestTransmitLine::hexRuns_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("spaced") << QByteArray("41 42 43") << QByteArray("ABC");
    QTest::newRow("two spaces") << QByteArray("41  42") << QByteArray("AB");
    QTest::newRow("mixed case") << QByteArray("4a 4B") << QByteArray("JK");
    QTest::newRow("one run") << QByteArray("414243") << QByteArray("ABC");
    QTest::newRow("colon") << QByteArray("41:42") << QByteArray("AB");
    QTest::newRow("odd run") << QByteArray("414") << QByteArray("A\x04");
    QTest::newRow("single digit") << QByteArray("7") << QByteArray("\x07");
    QTest::newRow("leading separators") << QByteArray("  42") << QByteArray("B");
    QTest::newRow("garbage only") << QByteArray("xyz!? \r") << QByteArray();
    QTest::newRow("g is a separator") << QByteArray("4g1") << QByteArray("\x04\x01");
    QTest::newRow("ff 00") << QByteArray("ff,00") << QByteArray("\xff\x00", 2);
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestTransmitLine::hexRuns()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(HexEntry::bytesOfText(text), bytes);
}

// Each row types the codes in one transmit mode and checks every
// transmission, the typed record and the hex byte record.
void TestTransmitLine::typing_data()
{
    QTest::addColumn<bool>("perKey");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QByteArray>("codes");
    QTest::addColumn<QByteArrayList>("sent");
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QByteArray>("hexRecord");
    using L = QByteArrayList;

    QTest::newRow("RT text per key")
        << true << false << QByteArray("ab") << L{"a", "b"} << QByteArray("ab") << QByteArray();
    QTest::newRow("RT Enter is CR only")
        << true << false << QByteArray("\r") << L{"\r"} << QByteArray("\r") << QByteArray();
    QTest::newRow("RT backspace sends nothing")
        << true << false << QByteArray("ab\b") << L{"a", "b"} << QByteArray("a") << QByteArray();
    QTest::newRow("line text on Enter")
        << false << false << QByteArray("12\r") << L{"12\r"} << QByteArray("12\r") << QByteArray();
    QTest::newRow("line backspace drops the typo")
        << false << false << QByteArray("XY\bZ\r") << L{"XZ\r"} << QByteArray("XZ\r")
        << QByteArray();
    QTest::newRow("backspace on an empty record")
        << false << false << QByteArray("\b\bA\r") << L{"A\r"} << QByteArray("A\r") << QByteArray();
    QTest::newRow("line waits for Enter")
        << false << false << QByteArray("abc") << L{} << QByteArray("abc") << QByteArray();

    QTest::newRow("RT hex digits wait")
        << true << true << QByteArray("41") << L{} << QByteArray("41") << QByteArray();
    QTest::newRow("RT hex space sends the pair")
        << true << true << QByteArray("41 ") << L{"A"} << QByteArray("41 ") << QByteArray("A");
    QTest::newRow("RT hex three pairs")
        << true << true << QByteArray("41 42 43 ") << L{"A", "B", "C"} << QByteArray("41 42 43 ")
        << QByteArray("ABC");
    QTest::newRow("RT hex two spaces") << true << true << QByteArray("41  42 ") << L{"A", "B"}
                                       << QByteArray("41  42 ") << QByteArray("AB");
    QTest::newRow("RT hex lower case") << true << true << QByteArray("4a 4B ") << L{"J", "K"}
                                       << QByteArray("4a 4B ") << QByteArray("JK");
    QTest::newRow("RT hex one run") << true << true << QByteArray("414243 ") << L{"ABC"}
                                    << QByteArray("414243 ") << QByteArray("ABC");
    QTest::newRow("RT hex colon") << true << true << QByteArray("41:42\r") << L{"A", "B"}
                                  << QByteArray("41:42\r") << QByteArray("AB");
    QTest::newRow("RT hex leftover digit")
        << true << true << QByteArray("7 ") << L{"\x07"} << QByteArray("7 ") << QByteArray("\x07");
    QTest::newRow("RT hex leading space")
        << true << true << QByteArray(" ") << L{} << QByteArray(" ") << QByteArray();
    // The separator sent the lone 4 at once; the corrected pair follows.
    QTest::newRow("RT hex typo") << true << true << QByteArray("4x\b1 ") << L{"\x04", "A"}
                                 << QByteArray("41 ")
                                 << QByteArray("\x04"
                                               "A");

    QTest::newRow("line hex every byte in one piece")
        << false << true << QByteArray("41 42 43\r") << L{"ABC"} << QByteArray("41 42 43\r")
        << QByteArray("ABC");
    QTest::newRow("line hex two spaces") << false << true << QByteArray("41  42\r") << L{"AB"}
                                         << QByteArray("41  42\r") << QByteArray("AB");
    QTest::newRow("line hex lower case") << false << true << QByteArray("4a 4B\r") << L{"JK"}
                                         << QByteArray("4a 4B\r") << QByteArray("JK");
    QTest::newRow("line hex one run") << false << true << QByteArray("414243\r") << L{"ABC"}
                                      << QByteArray("414243\r") << QByteArray("ABC");
    QTest::newRow("line hex colon") << false << true << QByteArray("41:42\r") << L{"AB"}
                                    << QByteArray("41:42\r") << QByteArray("AB");
    QTest::newRow("line hex typo taken back past Enter")
        << false << true << QByteArray("41\r\b2\r") << L{"A", "\x41\x02"} << QByteArray("412\r")
        << QByteArray("A\x41\x02");
    QTest::newRow("line hex garbage")
        << false << true << QByteArray("zz\r") << L{} << QByteArray("zz\r") << QByteArray();
}

void TestTransmitLine::typing()
{
    QFETCH(bool, perKey);
    QFETCH(bool, hex);
    QFETCH(QByteArray, codes);
    QFETCH(QByteArrayList, sent);
    QFETCH(QByteArray, record);
    QFETCH(QByteArray, hexRecord);

    // Key by key, as typed.
    ChannelModes modes = modesFor(perKey);
    QByteArrayList transmissions;
    for (const char code : codes)
        transmissions += bytesOf(TransmitLine::type(modes, hex, QByteArrayView(&code, 1)));
    QCOMPARE(transmissions, sent);
    QCOMPARE(modes.strSend, record);
    QCOMPARE(modes.strSendHex, hexRecord);

    // All at once, as pasted: the same bytes go out.
    ChannelModes pasted = modesFor(perKey);
    QCOMPARE(joined(TransmitLine::type(pasted, hex, codes)), sent.join());
    QCOMPARE(pasted.strSend, record);
    QCOMPARE(pasted.strSendHex, hexRecord);
}

void TestTransmitLine::enterResendsEverythingSinceClear()
{
    ChannelModes modes = modesFor(false);
    QCOMPARE(bytesOf(TransmitLine::type(modes, false, "12\r")), QByteArrayList{"12\r"});
    QCOMPARE(bytesOf(TransmitLine::type(modes, false, "3\r")), QByteArrayList{"12\r3\r"});
    // A switch to "Real Time" mid-line keeps what was typed.
    modes.transmit = TransmitMode::RealTime;
    QCOMPARE(bytesOf(TransmitLine::type(modes, false, "4")), QByteArrayList{"4"});
    modes.transmit = TransmitMode::AfterCr;
    QCOMPARE(bytesOf(TransmitLine::type(modes, false, "\r")), QByteArrayList{"12\r3\r4\r"});
    TransmitLine::clearRecords(modes);
    QCOMPARE(bytesOf(TransmitLine::type(modes, false, "5\r")), QByteArrayList{"5\r"});
}

void TestTransmitLine::hexLineTwiceRecordsTheBytesTwice()
{
    ChannelModes modes = modesFor(false);
    TransmitLine::type(modes, true, "41\r");
    const QByteArrayList second = bytesOf(TransmitLine::type(modes, true, "42\r"));
    QCOMPARE(second, (QByteArrayList{"AB"}));
    QCOMPARE(modes.strSendHex, QByteArray("AAB"));
}

Q_DECLARE_METATYPE(LineEnding)

// Each row types the codes key by key with one line ending, and checks what
// went out in all, the typed record and the hex byte record.
void TestTransmitLine::lineEndings_data()
{
    QTest::addColumn<LineEnding>("ending");
    QTest::addColumn<bool>("perKey");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QByteArray>("codes");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QByteArray>("hexRecord");
    const auto lf = LineEnding::Lf, crlf = LineEnding::CrLf, none = LineEnding::None;

    QTest::newRow("RT LF") << lf << true << false << QByteArray("a\rb\r") << QByteArray("a\nb\n")
                           << QByteArray("a\nb\n") << QByteArray();
    QTest::newRow("RT CR LF") << crlf << true << false << QByteArray("a\r") << QByteArray("a\r\n")
                              << QByteArray("a\r\n") << QByteArray();
    QTest::newRow("RT nothing") << none << true << false << QByteArray("a\rb\r") << QByteArray("ab")
                                << QByteArray("ab") << QByteArray();
    QTest::newRow("line LF") << lf << false << false << QByteArray("a\rb\r")
                             << QByteArray("a\na\nb\n") << QByteArray("a\nb\n") << QByteArray();
    QTest::newRow("line CR LF") << crlf << false << false << QByteArray("a\rb\r")
                                << QByteArray("a\r\na\r\nb\r\n") << QByteArray("a\r\nb\r\n")
                                << QByteArray();
    QTest::newRow("line nothing") << none << false << false << QByteArray("a\rb\r")
                                  << QByteArray("aab") << QByteArray("ab") << QByteArray();
    // A backspace after Enter takes back the whole ending, as the transmit
    // line takes back its one line break.
    QTest::newRow("line CR LF taken back")
        << crlf << false << false << QByteArray("a\r\b\bb\r") << QByteArray("a\r\nb\r\n")
        << QByteArray("b\r\n") << QByteArray();
    QTest::newRow("line nothing taken back")
        << none << false << false << QByteArray("a\r\bb\r") << QByteArray("aab") << QByteArray("ab")
        << QByteArray();
    QTest::newRow("RT nothing taken back twice")
        << none << true << false << QByteArray("ab\r\r\b\b\bc") << QByteArray("abc")
        << QByteArray("ac") << QByteArray();

    // With hex entry the pairs alone go out; Enter still ends a run.
    QTest::newRow("RT hex LF") << lf << true << true << QByteArray("41\r42\r") << QByteArray("AB")
                               << QByteArray("41\n42\n") << QByteArray("AB");
    QTest::newRow("RT hex nothing ends the run")
        << none << true << true << QByteArray("41\r42\r") << QByteArray("AB") << QByteArray("4142")
        << QByteArray("AB");
    QTest::newRow("line hex CR LF")
        << crlf << false << true << QByteArray("41\r42\r") << QByteArray("AAB")
        << QByteArray("41\r\n42\r\n") << QByteArray("AAB");
    QTest::newRow("line hex nothing keeps runs apart")
        << none << false << true << QByteArray("4\r2\r") << QByteArray("\x04\x04\x02")
        << QByteArray("42") << QByteArray("\x04\x04\x02");
    QTest::newRow("line hex nothing taken back joins the runs")
        << none << false << true << QByteArray("4\r\b2\r") << QByteArray("\x04\x42")
        << QByteArray("42") << QByteArray("\x04\x42");
}

void TestTransmitLine::lineEndings()
{
    QFETCH(LineEnding, ending);
    QFETCH(bool, perKey);
    QFETCH(bool, hex);
    QFETCH(QByteArray, codes);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, record);
    QFETCH(QByteArray, hexRecord);

    ChannelModes modes = modesFor(perKey);
    QByteArray wire;
    for (const char code : codes)
        wire += joined(TransmitLine::type(modes, hex, QByteArrayView(&code, 1), ending));
    QCOMPARE(wire, sent);
    QCOMPARE(modes.strSend, record);
    QCOMPARE(modes.strSendHex, hexRecord);
    if (!hex)
        QCOMPARE(joined(TransmitLine::repeatRecord(modes, false)), record);

    ChannelModes pasted = modesFor(perKey);
    QCOMPARE(joined(TransmitLine::type(pasted, hex, codes, ending)), sent);
    QCOMPARE(pasted.strSend, record);
}

void TestTransmitLine::repeatAndClear()
{
    ChannelModes modes = modesFor(true);
    TransmitLine::type(modes, true, "41 42 ");
    QCOMPARE(joined(TransmitLine::repeatRecord(modes, true)), QByteArray("AB"));
    QCOMPARE(joined(TransmitLine::repeatRecord(modes, false)), QByteArray("41 42 "));
    TransmitLine::clearRecords(modes);
    QVERIFY(TransmitLine::repeatRecord(modes, true).isEmpty());
    QVERIFY(TransmitLine::repeatRecord(modes, false).isEmpty());
}

void TestTransmitLine::resendsShareTheRecord()
{
    // A pasted block of lines: every Enter sends the whole record again, as
    // views of one storage rather than copies.
    ChannelModes modes = modesFor(false);
    const TransmissionList sent = TransmitLine::type(modes, false, "ab\rcd\ref\r");
    QCOMPARE(bytesOf(sent), (QByteArrayList{"ab\r", "ab\rcd\r", "ab\rcd\ref\r"}));
    QCOMPARE(sent.at(1).view().data(), sent.at(0).view().data());
    QCOMPARE(sent.at(2).view().data(), sent.at(0).view().data());

    // Taking back a byte a waiting transmission covers leaves that one alone.
    TransmitLine::type(modes, false, "\b\bX");
    QCOMPARE(sent.at(2).toByteArray(), QByteArray("ab\rcd\ref\r"));
    QCOMPARE(modes.strSend, QByteArray("ab\rcd\reX"));

    // With hex entry, the bytes of earlier lines are read once, and shared.
    ChannelModes hex = modesFor(false);
    const TransmissionList bytes = TransmitLine::type(hex, true, "41\r42\r");
    QCOMPARE(bytesOf(bytes), (QByteArrayList{"A", "AB"}));
    QCOMPARE(bytes.at(1).view().data(), bytes.at(0).view().data());
    QCOMPARE(hex.strSendHex, QByteArray("AAB"));
}

void TestTransmitLine::keyCodes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("codes");
    QTest::newRow("letter") << int(Qt::Key_A) << 0 << "a" << QByteArray("a");
    QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << "\r" << QByteArray("\r");
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "\r"
                                  << QByteArray("\r");
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << 0 << "\b" << QByteArray("\b");
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier) << "c"
                            << QByteArray("\x03");
    QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << int(Qt::ControlModifier) << "z"
                            << QByteArray("\x1a");
    QTest::newRow("Ctrl+V pastes")
        << int(Qt::Key_V) << int(Qt::ControlModifier) << "v" << QByteArray();
    QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << "\x1b" << QByteArray("\x1b");
    QTest::newRow("Latin-1") << int(Qt::Key_Eacute) << 0 << QString(QChar(0xe9))
                             << QByteArray("\xe9");
    QTest::newRow("outside Latin-1")
        << int(Qt::Key_unknown) << 0 << QString(QChar(0x20ac)) << QByteArray("?");
    QTest::newRow("Delete types nothing") << int(Qt::Key_Delete) << 0 << "\x7f" << QByteArray();
    QTest::newRow("arrow types nothing") << int(Qt::Key_Left) << 0 << "" << QByteArray();
    QTest::newRow("Alt+letter types nothing")
        << int(Qt::Key_X) << int(Qt::AltModifier) << "x" << QByteArray();
}

void TestTransmitLine::keyCodes()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(QByteArray, codes);
    const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
    QCOMPARE(TransmitEdit::codesOfKey(event), codes);
}

void TestTransmitLine::pastedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("codes");
    QTest::newRow("plain") << "abc" << QByteArray("abc");
    QTest::newRow("LF is Enter") << "a\nb" << QByteArray("a\rb");
    QTest::newRow("CR LF is one Enter") << "a\r\nb" << QByteArray("a\rb");
    QTest::newRow("lone CR") << "a\rb" << QByteArray("a\rb");
    QTest::newRow("paragraph separator")
        << QString("a") + QChar(QChar::ParagraphSeparator) + "b" << QByteArray("a\rb");
    QTest::newRow("Latin-1 kept") << QString::fromLatin1("\xa0\xff") << QByteArray("\xa0\xff");
    QTest::newRow("euro") << QString(QChar(0x20ac)) << QByteArray("?");
    QTest::newRow("emoji is one character")
        << QString::fromUtf8("\xf0\x9f\x98\x80") << QByteArray("?");
}

void TestTransmitLine::pastedText()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, codes);
    QCOMPARE(TransmitEdit::codesOfText(text), codes);
}

QTEST_MAIN(TestTransmitLine)
#include "tst_transmit_line.moc"
