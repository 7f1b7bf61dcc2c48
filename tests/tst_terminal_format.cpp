#include "core/channel_receiver.h"
#include "core/pane/pane_text.h"
#include "core/pane/terminal_screen.h"
#include "devices/capture_session.h"
#include "devices/channel.h"
#include "support/display_fixture.h"
#include "support/pty_pair.h"
#include "ui/channel_group.h"
#include "ui/transmit_edit.h"

#include <QSignalSpy>
#include <QTest>

#include <poll.h>
#include <unistd.h>

namespace {

// What the pty carried from the test (the device) to the slave's reader.
QByteArray readSlave(const PtyPair &pty, qsizetype count)
{
    QByteArray got;
    while (got.size() < count) {
        pollfd ready{pty.slaveFd(), POLLIN, 0};
        if (poll(&ready, 1, 3000) <= 0)
            break;
        char buffer[4096];
        const ssize_t n = ::read(pty.slaveFd(), buffer, sizeof buffer);
        if (n <= 0)
            break;
        got.append(buffer, n);
    }
    return got;
}

TerminalStyle paletteStyle(int foreground, quint8 flags = 0, int background = -1)
{
    TerminalStyle style;
    style.flags = flags | (background < 0 ? TerminalStyle::DefaultBackground : 0);
    style.foreground = TerminalStyle::paletteColor(foreground);
    if (background >= 0)
        style.background = TerminalStyle::paletteColor(background);
    return style;
}

// Console output as the test makes it: a prompt, then `body`.
QByteArray consoleOutput(const QByteArray &body)
{
    return QByteArray("boot> ") + body;
}

} // namespace

class TestTerminalFormat : public QObject
{
    Q_OBJECT

private slots:
    void screenShowsConsoleOutput_data();
    void screenShowsConsoleOutput();
    void answersStatusQueries_data();
    void answersStatusQueries();
    void keysSendWhatATerminalSends_data();
    void keysSendWhatATerminalSends();
    void plainRunsShowAsCharactersOneByOne_data();
    void plainRunsShowAsCharactersOneByOne();
    void scrolledOffLinesKeepTheirLooksInThePane();
    void channelAnswersAndKeepsHistory();
    void transmitLineKeysGoOutAsATerminalSends();
};

void TestTerminalFormat::screenShowsConsoleOutput_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("column");
    QTest::addColumn<TerminalStyle>("style");

    const TerminalStyle plain;
    QTest::newRow("colours") << consoleOutput("\x1b[31mFAIL\x1b[0m and \x1b[1;32mOK\x1b[m") << 0
                             << "boot> FAIL and OK" << 6 << paletteStyle(1);
    QTest::newRow("colours end") << consoleOutput("\x1b[31mFAIL\x1b[0m and \x1b[1;32mOK\x1b[m") << 0
                                 << "boot> FAIL and OK" << 10 << plain;
    QTest::newRow("bold colour") << consoleOutput("\x1b[31mFAIL\x1b[0m and \x1b[1;32mOK\x1b[m") << 0
                                 << "boot> FAIL and OK" << 15
                                 << paletteStyle(2, TerminalStyle::Bold);
    QTest::newRow("progress bar redrawn with CR")
        << consoleOutput("\r[#   ]  25%\r[##  ]  50%\r[####] 100%\r\ndone") << 0 << "[####] 100%"
        << 0 << plain;
    QTest::newRow("clear") << consoleOutput("old\r\nlines\r\n\x1b[H\x1b[2J\x1b[3Jnew") << 0 << "new"
                           << 0 << plain;
    QTest::newRow("clear leaves the rest blank")
        << consoleOutput("old\r\nlines\r\n\x1b[H\x1b[2Jnew") << 1 << "" << 0 << plain;
    QTest::newRow("cursor-addressed status line")
        << consoleOutput("\x1b"
                         "7\x1b[24;1H\x1b[7;34mCPU 12%\x1b[0m\x1b"
                         "8ready")
        << 23 << "CPU 12%" << 0 << paletteStyle(4, TerminalStyle::Reverse);
    QTest::newRow("status line leaves the cursor back")
        << consoleOutput("\x1b"
                         "7\x1b[24;1H\x1b[7mCPU 12%\x1b[0m\x1b"
                         "8ready")
        << 0 << "boot> ready" << 6 << plain;
    QTest::newRow("backspace overwrites")
        << consoleOutput("abc\b\bXY") << 0 << "boot> aXY" << 7 << plain;
    QTest::newRow("erase to end of line")
        << consoleOutput("long text\r\x1b[Kshort") << 0 << "short" << 0 << plain;
    QTest::newRow("UTF-8") << consoleOutput("Grüße ✓ \xe6\x97\xa5\xe6\x9c\xac") << 0
                           << QString::fromUtf8("boot> Grüße ✓ 日本") << 14 << plain;
    QTest::newRow("background colour") << consoleOutput("\x1b[41;37m ALARM \x1b[0m") << 0
                                       << "boot>  ALARM" << 7 << paletteStyle(7, 0, 1);
    // What would hang or crash libvterm itself: a repeat of no character,
    // and a sequence of more than 16 numbers (the first 16 count).
    QTest::newRow("repeat before any character")
        << QByteArray("\x1b[5bok") << 0 << "ok" << 0 << plain;
    QTest::newRow("repeat after a lone combining mark")
        << consoleOutput("\r\n\xcc\x81\x1b[3bok") << 1 << "ok" << 1 << plain;
    QTest::newRow("repeat after a letter")
        << consoleOutput("A\x1b[3b") << 0 << "boot> AAAA" << 9 << plain;
    QTest::newRow("seventeen numbers")
        << consoleOutput("\x1b[31" + QByteArray(";1").repeated(20) + "mred") << 0 << "boot> red"
        << 6 << paletteStyle(1, TerminalStyle::Bold);
}

void TestTerminalFormat::screenShowsConsoleOutput()
{
    QFETCH(QByteArray, output);
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(int, column);
    QFETCH(TerminalStyle, style);

    // Through a pty, a byte at a time where it splits sequences and
    // characters: the screen takes them whole all the same.
    PtyPair pty;
    TerminalScreen screen;
    for (qsizetype i = 0; i < output.size(); i += 3) {
        const QByteArray piece = output.mid(i, 3);
        pty.write(piece);
        screen.feed(readSlave(pty, piece.size()));
    }
    QCOMPARE(screen.rowText(row), text);
    QCOMPARE(screen.cell(row, column).style, style);
}

void TestTerminalFormat::answersStatusQueries_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("piece"); // fed in pieces of this many bytes; 0: whole
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("cursor position")
        << QByteArray("ab\r\ncd\x1b[6n") << 0 << QByteArray("\x1b[2;3R");
    QTest::newRow("device attributes") << QByteArray("\x1b[c") << 0 << QByteArray("\x1b[?1;2c");
    QTest::newRow("device status") << QByteArray("\x1b[5n") << 0 << QByteArray("\x1b[0n");
    QTest::newRow("no query") << QByteArray("\x1b[1mtext") << 0 << QByteArray();
    const QByteArray settings("\x1b[1m\x1bP$qm\x1b\\");
    const QByteArray bold("\x1bP1$r1m\x1b\\");
    QTest::newRow("settings query") << settings << 0 << bold;
    QTest::newRow("settings query, a byte a read") << settings << 1 << bold;
    QTest::newRow("settings query, cut in its string") << settings << 8 << bold;
}

void TestTerminalFormat::answersStatusQueries()
{
    QFETCH(QByteArray, output);
    QFETCH(int, piece);
    QFETCH(QByteArray, answer);
    TerminalScreen screen;
    QSignalSpy answered(&screen, &TerminalScreen::answered);
    for (qsizetype at = 0; at<output.size(); at += piece> 0 ? piece : output.size())
        screen.feed(output.mid(at, piece > 0 ? piece : -1));
    QByteArray got;
    for (const QList<QVariant> &each : answered)
        got += each.at(0).toByteArray();
    QCOMPARE(got, answer);
}

void TestTerminalFormat::keysSendWhatATerminalSends_data()
{
    QTest::addColumn<QByteArray>("modes");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QByteArray>("bytes");
    const int none = Qt::NoModifier;
    QTest::newRow("up") << QByteArray() << int(Qt::Key_Up) << none << QByteArray("\x1b[A");
    QTest::newRow("up, application cursor keys")
        << QByteArray("\x1b[?1h") << int(Qt::Key_Up) << none << QByteArray("\x1bOA");
    QTest::newRow("left") << QByteArray() << int(Qt::Key_Left) << none << QByteArray("\x1b[D");
    QTest::newRow("ctrl right") << QByteArray() << int(Qt::Key_Right) << int(Qt::ControlModifier)
                                << QByteArray("\x1b[1;5C");
    QTest::newRow("home") << QByteArray() << int(Qt::Key_Home) << none << QByteArray("\x1b[H");
    QTest::newRow("end") << QByteArray() << int(Qt::Key_End) << none << QByteArray("\x1b[F");
    QTest::newRow("tab") << QByteArray() << int(Qt::Key_Tab) << none << QByteArray("\t");
    QTest::newRow("backspace") << QByteArray() << int(Qt::Key_Backspace) << none
                               << QByteArray("\x7f");
    QTest::newRow("a letter is typed") << QByteArray() << int(Qt::Key_A) << none << QByteArray();
}

void TestTerminalFormat::keysSendWhatATerminalSends()
{
    QFETCH(QByteArray, modes);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QByteArray, bytes);
    TerminalScreen screen;
    screen.feed(modes);
    QCOMPARE(screen.keyBytes(key, Qt::KeyboardModifiers(modifiers)), bytes);
}

void TestTerminalFormat::plainRunsShowAsCharactersOneByOne_data()
{
    QTest::addColumn<QByteArray>("output");
    const QByteArray text = "the quick brown fox jumps over the lazy dog 0123456789 ";
    QTest::newRow("line drawing set") << QByteArray("\x1b(0ABC lqqqqqqqqk\x1b(B ASCII again");
    QTest::newRow("wrap with colours") << "\x1b[1;70H" + text + "\x1b[31m" + text + "\x1b[m" + text;
    QTest::newRow("repeat of a run's last") << QByteArray("abcdefghijklmnop\x1b[3b");
    QTest::newRow("combining mark at the row's end")
        << QByteArray("\x1b[1;70Habcdefghijk\xcc\x81 next");
    QTest::newRow("insert mode") << "0123456789abcdef\r\x1b[4h" + text + "\x1b[4l";
    QTest::newRow("origin mode in a region") << "\x1b[5;10r\x1b[?6h\x1b[3;9H" + text + text;
    QTest::newRow("cursor below the region")
        << "\x1b[5;10r\x1b[20;1H\x1b[?6h\x1b[?6l\x1b[20;3H" + text + text;
    QTest::newRow("no autowrap") << "\x1b[?7l" + text + text;
    QTest::newRow("double-width line") << "\x1b#6" + text + "\r\n" + text;
    QTest::newRow("protected, then erased selectively")
        << "\x1b[1\"q" + text + "\x1b[0\"q" + text + "\x1b[?2K";
    QTest::newRow("title string, then text") << "\x1b]0;" + text + "\x07" + text;
    // Pen sequences within a run, then the pen asked of libvterm.
    const QByteArray askPen = "\x1bP$qm\x1b\\";
    QTest::newRow("named colours and attributes in a run")
        << "start " + text + "\x1b[1;3;4;5;7;9;31;42mA\x1b[22;23;24;25;27;29;39;49mB\x1b[93;104mC" +
               "\x1b[mD\x1b[0;97;100mE\x1b[1;36m" + text + askPen;
    QTest::newRow("pen sequences left to libvterm in a run")
        << "start " + text +
               "\x1b[38;5;208mA\x1b[1;mB\x1b[2mC\x1b[4:3mD\x1b[21mE\x1b[48;2;1;2;3mF" + text +
               askPen;
    QTest::newRow("a cursor save keeps the pen") << "\x1b[1;31m" + text +
                                                        "\x1b"
                                                        "7\x1b[0;32m" +
                                                        text +
                                                        "\x1b"
                                                        "8" +
                                                        text + askPen;
    QTest::newRow("a sequence cut at a feed's end, then a pen sequence") << "a\x1b["
                                                                            "\x1b[m" +
                                                                                text + askPen;
    QTest::newRow("a reset ends a run's pen")
        << "start " + text + "\x1b[1;32mA\x1b[0mB\x1b[0m" + askPen;
}

void TestTerminalFormat::plainRunsShowAsCharactersOneByOne()
{
    QFETCH(QByteArray, output);
    // A feed of one byte holds no run of plain text and no whole pen
    // sequence: libvterm reads each byte. The output at once, and in feeds
    // of three bytes, shows the same.
    struct Shown
    {
        TerminalScreen screen;
        QByteArray answers;
        int lines = 0;
    };
    const auto feedInPieces = [&output](Shown &shown, qsizetype piece) {
        connect(&shown.screen, &TerminalScreen::answered, &shown.screen,
                [&shown](const QByteArray &a) { shown.answers += a; });
        connect(&shown.screen, &TerminalScreen::scrolledOff, &shown.screen,
                [&shown] { ++shown.lines; });
        for (qsizetype at = 0; at < output.size(); at += piece)
            shown.screen.feed(output.mid(at, piece));
    };
    Shown oneByOne;
    feedInPieces(oneByOne, 1);
    for (const qsizetype piece : {output.size(), qsizetype(3)}) {
        Shown fed;
        feedInPieces(fed, piece);
        QCOMPARE(fed.screen.cursorRow(), oneByOne.screen.cursorRow());
        QCOMPARE(fed.screen.cursorColumn(), oneByOne.screen.cursorColumn());
        QCOMPARE(fed.lines, oneByOne.lines);
        QCOMPARE(fed.answers, oneByOne.answers);
        for (int row = 0; row < fed.screen.rows(); ++row) {
            for (int column = 0; column < fed.screen.columns(); ++column) {
                const TerminalCell a = fed.screen.cell(row, column);
                const TerminalCell b = oneByOne.screen.cell(row, column);
                QCOMPARE(a.character, b.character);
                QCOMPARE(a.width, b.width);
                QCOMPARE(a.style, b.style);
            }
        }
    }
}

void TestTerminalFormat::scrolledOffLinesKeepTheirLooksInThePane()
{
    ChannelModes modes;
    modes.format = ReceiveFormat::Terminal;
    ChannelModule module;
    PaneText pane;
    ChannelReceiver receiver(modes, module, pane);
    // Two lines more than the screen holds: the first two scroll off.
    receiver.receiveSerial("\x1b[32mgreen\x1b[0m line\r\n\xe2\x9c\x93 done\r\n");
    for (int i = 0; i < TerminalScreen::kDefaultRows; ++i)
        receiver.receiveSerial("filler\r\n");
    QVERIFY(pane.text().startsWith("green line\n? done\nfiller\n"));
    QCOMPARE(pane.styles().styleAt(0), paletteStyle(2));
    QCOMPARE(pane.styles().styleAt(5), TerminalStyle());
    QCOMPARE(pane.styles().characterAt(11), U'✓');
    QCOMPARE(receiver.terminal().rowText(0), QString("filler"));
}

void TestTerminalFormat::channelAnswersAndKeepsHistory()
{
    PtyPair pty;
    CaptureSession session;
    session.setSignOnDefaults();
    Channel &channel = session.channel(1);
    channel.setFormat(ReceiveFormat::Terminal);
    channel.switchOnSerial(pty.slavePath(), session.serialSettings());
    QTRY_VERIFY(channel.isOn());
    QByteArray output;
    for (int i = 0; i < TerminalScreen::kDefaultRows; ++i)
        output += "\x1b[33mline\x1b[0m\r\n";
    pty.write(output + "\x1b[6n");
    QCOMPARE(pty.read(7), QByteArray("\x1b[24;1R"));
    QCOMPARE(channel.pane().text(), QByteArray("line\n"));
    QCOMPARE(channel.pane().styles().styleAt(0), paletteStyle(3));
    // Leaving the format keeps what the screen showed as text.
    channel.setFormat(ReceiveFormat::Ascii);
    QCOMPARE(channel.pane().lineCount(), TerminalScreen::kDefaultRows + 1);
}

void TestTerminalFormat::transmitLineKeysGoOutAsATerminalSends()
{
    PtyPair pty;
    DisplayFixture f;
    f.state(2).setFormat(ReceiveFormat::Terminal);
    f.choosePort(2, pty.slavePath());
    f.switchOn(2);
    QVERIFY(f.isOn(2));
    TransmitEdit *line = f.channel(2).widgets().txtSend;
    line->setFocus();
    // Tab goes out rather than moving the focus; the arrow is a sequence.
    QTest::keyClick(line, Qt::Key_Up);
    QTest::keyClick(line, Qt::Key_Tab);
    QTest::keyClick(line, Qt::Key_A);
    QCOMPARE(pty.read(5), QByteArray("\x1b[A\ta"));
    // In another format the keys edit the line as before.
    f.state(2).setFormat(ReceiveFormat::Ascii);
    QTest::keyClick(line, Qt::Key_Up);
    QCOMPARE(pty.readFor(200), QByteArray());
}

QTEST_MAIN(TestTerminalFormat)
#include "tst_terminal_format.moc"
