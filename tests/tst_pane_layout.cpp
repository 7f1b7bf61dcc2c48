#include "core/pane/pane_layout.h"
#include "core/pane/pane_text.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// A row as shown, tabs as blanks.
QString rowString(const PaneLayout &layout, const PaneText &text, qint64 row)
{
    QString shown;
    for (const PaneLayout::Cell &cell : layout.rowCells(text, row))
        shown += QString(cell.width, PaneLayout::displayChar(uchar(text.at(cell.pos))));
    return shown;
}

QStringList allRows(const PaneLayout &layout, const PaneText &text)
{
    QStringList rows;
    for (qint64 row = 0; row < layout.rowCount(); ++row)
        rows << rowString(layout, text, row);
    return rows;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Straightforward wrapping to check the layout against: where each byte of
// a line starts, then rows that end before the last word start that fits,
// or cut inside a word wider than the row.
QStringList referenceRows(const QByteArray &bytes, int columns)
{
    QList<QByteArray> lines{QByteArray()};
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
                ++i;
            lines << QByteArray();
        } else {
            lines.last() += c;
        }
    }
    QStringList rows;
    for (const QByteArray &line : lines) {
        QList<qint64> at{0};
        for (const char c : line)
            at << at.last() +
                      (c == '\t' ? PaneLayout::kTabWidth - at.last() % PaneLayout::kTabWidth : 1);
        const qsizetype n = line.size();
        qsizetype start = 0;
        do {
            qsizetype wordStart = -1;
            qsizetype j = start;
            for (; j < n; ++j) {
                if (j > start && !isBlank(line[j]) && isBlank(line[j - 1]))
                    wordStart = j;
                if (!isBlank(line[j]) && at[j] + 1 - at[start] > columns)
                    break;
            }
            const qsizetype next = j == n ? n : (wordStart > start ? wordStart : j);
            QString row;
            for (qsizetype k = start; k < next && at[k] - at[start] < columns; ++k) {
                const qint64 width = std::min(at[k + 1], at[start] + columns) - at[k];
                row += QString(width, PaneLayout::displayChar(uchar(line[k])));
            }
            rows << row;
            start = next;
        } while (start < n);
    }
    return rows;
}

// The first way the layout's answers disagree with each other, or empty:
// row counts add up, and every byte shown is found where it is shown.
QString inconsistency(const PaneLayout &layout, const PaneText &text)
{
    qint64 rows = 0;
    for (qsizetype line = 0; line < layout.lineCount(); ++line) {
        if (layout.firstRowOfLine(line) != rows)
            return QStringLiteral("first row of line %1").arg(line);
        rows += layout.rowsOfLine(line);
        if (layout.lineOfRow(rows - 1) != line ||
            layout.lineOfRow(rows - layout.rowsOfLine(line)) != line)
            return QStringLiteral("line of the rows of line %1").arg(line);
    }
    if (rows != layout.rowCount())
        return QStringLiteral("row count");
    QList<qint64> rowOf(text.size(), -1);
    QList<int> columnOf(text.size(), -1);
    for (qint64 row = 0; row < layout.rowCount(); ++row) {
        for (const PaneLayout::Cell &cell : layout.rowCells(text, row)) {
            // A tab cut at cells shows on two rows: the first counts.
            if (rowOf[cell.pos] < 0) {
                rowOf[cell.pos] = row;
                columnOf[cell.pos] = cell.column;
            }
        }
    }
    // Every byte of small texts, a spread of them in bigger ones.
    const qsizetype stride = text.size() / 1500 * 2 + 1;
    for (qsizetype pos = 0; pos < text.size(); pos += stride) {
        const char c = text.at(pos);
        if (c == '\r' || c == '\n')
            continue;
        const PaneLayout::CellPos cell = layout.cellOfPosition(text, pos);
        if (rowOf[pos] < 0) {
            // Not shown: a blank hanging past its row's end.
            if (!isBlank(c) || cell.column != layout.columns())
                return QStringLiteral("byte %1 not shown").arg(pos);
            continue;
        }
        if (cell.row != rowOf[pos] || cell.column != columnOf[pos])
            return QStringLiteral("cell of byte %1").arg(pos);
        if (layout.positionAt(text, cell.row, cell.column) != pos)
            return QStringLiteral("position at the cell of byte %1").arg(pos);
    }
    return {};
}

QByteArray
randomText(quint32 seed, qsizetype size,
           const QByteArray &alphabet = QByteArrayLiteral("abcdefgh \t\t\r\n\r\n\x00\xA0\xFF"))
{
    QRandomGenerator random(seed);
    QByteArray bytes;
    for (qsizetype i = 0; i < size; ++i)
        bytes += alphabet.at(random.bounded(int(alphabet.size())));
    return bytes;
}

// Wraps what setColumns() left waiting in the smallest steps, checking the
// layout agrees with itself after each.
QString wrapInSteps(PaneLayout &layout, const PaneText &text, int *steps = nullptr)
{
    int step = 1;
    for (; layout.wrapPending(text, 0, 0, QDeadlineTimer(0)); ++step) {
        const QString wrong = inconsistency(layout, text);
        if (!wrong.isEmpty())
            return QStringLiteral("after step %1: %2").arg(step).arg(wrong);
    }
    if (steps)
        *steps = step;
    return inconsistency(layout, text);
}

// Hex as shown in Real Time: " 41 42 ...", no line breaks.
QByteArray hexLine(int bytes)
{
    QByteArray hex;
    for (int i = 0; i < bytes; ++i)
        hex += ' ' + QByteArray::number((i * 7) % 256, 16).toUpper().rightJustified(2, '0');
    return hex;
}

} // namespace

class TestPaneLayout : public QObject
{
    Q_OBJECT

private slots:
    void wraps_data();
    void wraps();
    void matchesReference_data();
    void matchesReference();
    void appendsMatchRebuild_data();
    void appendsMatchRebuild();
    void appendsChangeLastRows();
    void manyLinesOfMixedLengths_data();
    void manyLinesOfMixedLengths();
    void crLfSplitAcrossAppends();
    void newWidthWrapsInSteps_data();
    void newWidthWrapsInSteps();
    void shortLinesNeedNoWrapping();
    void positionAtEdges();
    void displayChar_data();
    void displayChar();
};

void TestPaneLayout::wraps_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("empty") << QByteArray() << 10 << QStringList{QString()};
    QTest::newRow("short") << QByteArray("abc") << 10 << QStringList{"abc"};
    QTest::newRow("exact width") << QByteArray("abcdefghij") << 10 << QStringList{"abcdefghij"};
    QTest::newRow("one over") << QByteArray("abcdefghijk") << 10 << QStringList{"abcdefghij", "k"};
    QTest::newRow("three breaks") << QByteArray("a\r\nb\rc\nd") << 10
                                  << QStringList{"a", "b", "c", "d"};
    QTest::newRow("break at end") << QByteArray("ab\r\n") << 10 << QStringList{"ab", ""};
    QTest::newRow("empty lines") << QByteArray("\n\r\r\n") << 4 << QStringList{"", "", "", ""};
    QTest::newRow("hex") << QByteArray(" 41 42 43 44 45") << 9 << QStringList{" 41 42 43", "44 45"};
    QTest::newRow("hex, narrower")
        << QByteArray(" 41 42 43 44 45") << 8 << QStringList{" 41 42 ", "43 44 45"};
    QTest::newRow("decimal") << QByteArray("65 146 7 255 0") << 6
                             << QStringList{"65 146", "7 255 ", "0"};
    QTest::newRow("run wider than the row") << QByteArray("ab cdefghijklmnop q") << 5
                                            << QStringList{"ab ", "cdefg", "hijkl", "mnop ", "q"};
    QTest::newRow("word ends at the width")
        << QByteArray("abcde fghij") << 5 << QStringList{"abcde", "fghij"};
    QTest::newRow("blanks hang") << QByteArray("abc      def") << 5 << QStringList{"abc  ", "def"};
    QTest::newRow("leading blanks") << QByteArray("       abc") << 5 << QStringList{"     ", "abc"};
    QTest::newRow("tab") << QByteArray("a\tb") << 20 << QStringList{"a       b"};
    QTest::newRow("tab hangs") << QByteArray("ab\tcd\tef") << 10 << QStringList{"ab      cd", "ef"};
    // The tab reaches cell 16 of the line, not cell 8 of its row.
    QTest::newRow("tab stops of the line")
        << QByteArray("abcdefghij k\tl") << 10 << QStringList{"abcdefghij", "k    l"};
    QTest::newRow("tab over row end")
        << QByteArray("\t\tx") << 10 << QStringList{"          ", "x"};
    QTest::newRow("tab fills row") << QByteArray("abcdefg\tx") << 8 << QStringList{"abcdefg ", "x"};
    QTest::newRow("one column") << QByteArray("abc") << 1 << QStringList{"a", "b", "c"};
    QTest::newRow("one column, blanks") << QByteArray("a  b") << 1 << QStringList{"a", "b"};
}

void TestPaneLayout::wraps()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, columns);
    QFETCH(QStringList, rows);

    PaneText text;
    text.setText(bytes);
    PaneLayout layout;
    layout.setColumns(columns);
    layout.rebuild(text);
    QCOMPARE(layout.columns(), columns);
    QCOMPARE(allRows(layout, text), rows);
    QCOMPARE(referenceRows(bytes, columns), rows);
    QCOMPARE(inconsistency(layout, text), QString());
}

void TestPaneLayout::matchesReference_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("step");
    // Of the text's store: 0 the default, 32 KB for blocks of 4 KB.
    QTest::addColumn<int>("spillThreshold");

    QTest::newRow("narrow") << randomText(1, 2000) << 7 << 4096 << 0;
    QTest::newRow("wide") << randomText(2, 5000) << 80 << 4096 << 0;
    QTest::newRow("small checkpoints") << randomText(3, 3000) << 13 << 5 << 0;
    QTest::newRow("one column") << randomText(4, 500) << 1 << 3 << 0;
    // Few blanks: long runs are cut inside.
    QTest::newRow("long runs") << randomText(9, 3000, "abcdefghijklmnopqrstuvw \t\n") << 9 << 16
                               << 0;
    QTest::newRow("hex line") << hexLine(3000) << 40 << 4096 << 0;
    // A CR ending one block and its LF starting the next; lines across blocks.
    QTest::newRow("breaks across blocks")
        << randomText(11, 4095, "abcd efgh \n") + "\r\n" + randomText(12, 8200, "abcd efgh \r\n")
        << 9 << 4096 << 32768;
    // Lines whose first tab or break lies past a search's first pass.
    QByteArray late;
    for (const char *lineEnd : {"\r\n", "\n", "\r"}) {
        late += QByteArray(300, 'w') + " vvv\txxxx yyyyyy" + lineEnd;
        late += randomText(10, 400, "abc ") + lineEnd;
    }
    QTest::newRow("late tabs and breaks") << late << 80 << 4096 << 0;
}

void TestPaneLayout::matchesReference()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, columns);
    QFETCH(int, step);
    QFETCH(int, spillThreshold);

    PaneText text;
    if (spillThreshold > 0)
        text.setSpillThreshold(spillThreshold);
    text.setText(bytes);
    PaneLayout layout(step);
    layout.setColumns(columns);
    layout.rebuild(text);
    QCOMPARE(allRows(layout, text), referenceRows(bytes, columns));
    QCOMPARE(inconsistency(layout, text), QString());
}

void TestPaneLayout::appendsMatchRebuild_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("step");

    QTest::newRow("random") << randomText(5, 3000) << 4096;
    QTest::newRow("random, small checkpoints") << randomText(6, 3000) << 4;
    // One long line with tabs, as tab-separated numbers without line breaks.
    QByteArray numbers;
    for (int i = 0; i < 3000; ++i)
        numbers += QByteArray::number(i % 256) + '\t';
    QTest::newRow("long tab line") << numbers << 16;
    QTest::newRow("long plain line") << QByteArray(20000, 'x') << 16;
    QTest::newRow("hex line") << hexLine(4000) << 4096;
}

void TestPaneLayout::appendsMatchRebuild()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, step);

    const int columns = 9;
    PaneText text;
    PaneLayout layout(step);
    layout.setColumns(columns);
    layout.rebuild(text);
    QRandomGenerator random(42);
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype piece = std::min<qsizetype>(random.bounded(1, 40), bytes.size() - at);
        text.append(QByteArrayView(bytes).sliced(at, piece));
        at += piece;
        layout.append(text);
        QCOMPARE(layout.lineCount(), text.lineCount());
    }
    PaneLayout fresh(step);
    fresh.setColumns(columns);
    fresh.rebuild(text);
    QCOMPARE(layout.rowCount(), fresh.rowCount());
    QCOMPARE(allRows(layout, text), allRows(fresh, text));
    QCOMPARE(allRows(layout, text), referenceRows(bytes, columns));
    QCOMPARE(inconsistency(layout, text), QString());
}

void TestPaneLayout::appendsChangeLastRows()
{
    const QList<std::pair<QByteArray, QStringList>> steps = {
        {"abcde", {"abcde"}},
        {"f", {"abcde", "f"}},
        {"gh ij", {"abcde", "fgh ", "ij"}},
        {"  ", {"abcde", "fgh ", "ij  "}},
        {"k", {"abcde", "fgh ", "ij  k"}},
        {"l", {"abcde", "fgh ", "ij  ", "kl"}},
        {"\r\nm", {"abcde", "fgh ", "ij  ", "kl", "m"}},
    };
    PaneText text;
    PaneLayout layout;
    layout.setColumns(5);
    layout.rebuild(text);
    for (const auto &[piece, rows] : steps) {
        text.append(piece);
        layout.append(text);
        QCOMPARE(allRows(layout, text), rows);
    }
}

void TestPaneLayout::manyLinesOfMixedLengths_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("newColumns");

    QTest::newRow("default checkpoints") << 4096 << 40 << 17;
    QTest::newRow("small checkpoints") << 50 << 23 << 80;
}

void TestPaneLayout::manyLinesOfMixedLengths()
{
    QFETCH(int, step);
    QFETCH(int, columns);
    QFETCH(int, newColumns);

    // Lines from empty to a few hundred cells, words of varied lengths, some
    // with tabs, across many groups of lines.
    QByteArray bytes;
    for (int line = 0; line < 500; ++line) {
        QByteArray text(line * 37 % 700, char('a' + line % 26));
        for (qsizetype at = line % 11; at < text.size(); at += 3 + at % 13)
            text[at] = line % 3 == 0 && at % 2 ? '\t' : ' ';
        bytes += text + (line % 5 ? "\r\n" : "\n");
    }
    PaneText text;
    PaneLayout layout(step);
    layout.setColumns(columns);
    for (qsizetype at = 0; at < bytes.size(); at += 997) {
        text.append(QByteArrayView(bytes).sliced(at, qMin<qsizetype>(997, bytes.size() - at)));
        layout.append(text);
    }
    QCOMPARE(allRows(layout, text), referenceRows(bytes, columns));
    layout.setColumns(newColumns);
    while (layout.wrapPending(text, 0, 0, QDeadlineTimer::Forever)) {
    }
    QCOMPARE(allRows(layout, text), referenceRows(bytes, newColumns));
    QCOMPARE(inconsistency(layout, text), QString());
}

void TestPaneLayout::crLfSplitAcrossAppends()
{
    PaneText text;
    PaneLayout layout;
    layout.setColumns(10);
    layout.rebuild(text);
    text.append("ab\r");
    layout.append(text);
    QCOMPARE(allRows(layout, text), (QStringList{"ab", ""}));
    text.append("\ncd");
    layout.append(text);
    QCOMPARE(layout.lineCount(), 2);
    QCOMPARE(allRows(layout, text), (QStringList{"ab", "cd"}));
}

void TestPaneLayout::newWidthWrapsInSteps_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("step");

    // Long lines take many steps, each left part wrapped at blanks and the
    // rest cut at cells; the last line waits too.
    QTest::newRow("random and long lines") << randomText(7, 3000) + "\r\n" + hexLine(2500) + "\n" +
                                                  randomText(8, 1000, "ab \t") + "\n" + hexLine(700)
                                           << 8;
    QTest::newRow("hex line") << hexLine(3000) << 4096;
}

void TestPaneLayout::newWidthWrapsInSteps()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, step);

    PaneText text;
    text.setText(bytes);
    PaneLayout layout(step);
    layout.setColumns(30);
    layout.rebuild(text);
    // 300: wider than a line's one-byte cell count holds.
    for (const int columns : {7, 64, 300, 8, 30}) {
        layout.setColumns(columns);
        QVERIFY(layout.isWrapping());
        int steps = 0;
        QCOMPARE(wrapInSteps(layout, text, &steps), QString());
        // Narrow, the long lines are wrapped over several steps.
        if (columns < 10)
            QVERIFY(steps > 2);
        QVERIFY(!layout.isWrapping());
        QCOMPARE(allRows(layout, text), referenceRows(bytes, columns));
    }

    // Text that comes while lines wait is wrapped with them.
    layout.setColumns(11);
    layout.wrapPending(text, 0, 0, QDeadlineTimer(0));
    const QByteArray more = " 46 47\t48" + randomText(9, 500);
    text.append(more);
    layout.append(text);
    QCOMPARE(inconsistency(layout, text), QString());
    QCOMPARE(wrapInSteps(layout, text), QString());
    QCOMPARE(allRows(layout, text), referenceRows(bytes + more, 11));
}

void TestPaneLayout::shortLinesNeedNoWrapping()
{
    PaneText text;
    text.setText("one two\r\nthree\tfour\n" + hexLine(30));
    PaneLayout layout;
    layout.setColumns(5);
    layout.rebuild(text);
    // Wider than every line: one row each, nothing to read.
    layout.setColumns(100);
    QVERIFY(!layout.isWrapping());
    QCOMPARE(allRows(layout, text), referenceRows(text.text(), 100));
    // Narrower than the last: it waits.
    layout.setColumns(80);
    QVERIFY(layout.isWrapping());
    QCOMPARE(layout.rowCount(), 4);
    QVERIFY(!layout.wrapPending(text, 2, 2, QDeadlineTimer(0)));
    QCOMPARE(allRows(layout, text), referenceRows(text.text(), 80));
}

void TestPaneLayout::positionAtEdges()
{
    PaneText text;
    text.setText("abcdefgh\r\nxy");
    PaneLayout layout;
    layout.setColumns(5);
    layout.rebuild(text);
    QCOMPARE(layout.rowCount(), 3);
    // Past a row's last cell: the end of what the row shows.
    QCOMPARE(layout.positionAt(text, 0, 5), 5);
    QCOMPARE(layout.positionAt(text, 1, 4), 8);
    QCOMPARE(layout.positionAt(text, 1, 100), 8);
    QCOMPARE(layout.positionAt(text, 2, 1), 11);
    QCOMPARE(layout.positionAt(text, 2, 2), 12);
    // Above the first row and below the last.
    QCOMPARE(layout.positionAt(text, -1, 3), 0);
    QCOMPARE(layout.positionAt(text, 3, 0), 12);
    // A line's end right after a full row stays on that row.
    text.setText("abcde\nf");
    layout.rebuild(text);
    QCOMPARE(layout.cellOfPosition(text, 5).row, 0);
    QCOMPARE(layout.cellOfPosition(text, 5).column, 5);
    QCOMPARE(layout.cellOfPosition(text, 6).row, 1);
    QCOMPARE(layout.cellOfPosition(text, 6).column, 0);
    // Blanks hanging past a row's end are at its last column.
    text.setText("abcde   fg");
    layout.rebuild(text);
    QCOMPARE(layout.positionAt(text, 0, 5), 5);
    QCOMPARE(layout.cellOfPosition(text, 7).row, 0);
    QCOMPARE(layout.cellOfPosition(text, 7).column, 5);
    QCOMPARE(layout.cellOfPosition(text, 8).row, 1);
    QCOMPARE(layout.cellOfPosition(text, 8).column, 0);
}

void TestPaneLayout::displayChar_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<QChar>("shown");
    QTest::addColumn<bool>("standIn");

    QTest::newRow("NUL") << 0x00 << QChar(0x2400) << true;
    QTest::newRow("BEL") << 0x07 << QChar(0x2407) << true;
    QTest::newRow("ESC") << 0x1B << QChar(0x241B) << true;
    QTest::newRow("US") << 0x1F << QChar(0x241F) << true;
    QTest::newRow("DEL") << 0x7F << QChar(0x2421) << true;
    QTest::newRow("NBSP") << 0xA0 << QChar(0x00B7) << true;
    QTest::newRow("middle dot") << 0xB7 << QChar(0x00B7) << false;
    QTest::newRow("space") << 0x20 << QChar(u' ') << false;
    QTest::newRow("tab") << 0x09 << QChar(u' ') << false;
    QTest::newRow("letter") << 0x41 << QChar(u'A') << false;
    // C1 controls have no glyph of their own: drawn as stand-ins.
    QTest::newRow("C1 0x80") << 0x80 << QChar(0x80) << true;
    QTest::newRow("C1 0x9F") << 0x9F << QChar(0x9F) << true;
    QTest::newRow("inverted exclamation") << 0xA1 << QChar(0xA1) << false;
    QTest::newRow("y diaeresis") << 0xFF << QChar(0xFF) << false;
}

void TestPaneLayout::displayChar()
{
    QFETCH(int, byte);
    QFETCH(QChar, shown);
    QFETCH(bool, standIn);

    bool isStandIn = !standIn;
    QCOMPARE(PaneLayout::displayChar(uchar(byte), &isStandIn), shown);
    QCOMPARE(isStandIn, standIn);
}

QTEST_GUILESS_MAIN(TestPaneLayout)
#include "tst_pane_layout.moc"
