#include "core/pane_text.h"
#include "ui/capture_pane_layout.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// A row as shown, tabs as blanks.
QString rowString(const CapturePaneLayout &layout, const PaneText &text, qint64 row)
{
    QString shown;
    for (const CapturePaneLayout::Cell &cell : layout.rowCells(text, row))
        shown += QString(cell.width, CapturePaneLayout::displayChar(uchar(text.at(cell.pos))));
    return shown;
}

QStringList allRows(const CapturePaneLayout &layout, const PaneText &text)
{
    QStringList rows;
    for (qint64 row = 0; row < layout.rowCount(); ++row)
        rows << rowString(layout, text, row);
    return rows;
}

// Straightforward wrapping to check the layout against: expand every line
// into cells, then cut it into rows.
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
        QString cells;
        for (const char c : line) {
            if (c == '\t')
                cells += QString(CapturePaneLayout::kTabWidth -
                                     cells.size() % CapturePaneLayout::kTabWidth,
                                 QLatin1Char(' '));
            else
                cells += CapturePaneLayout::displayChar(uchar(c));
        }
        if (cells.isEmpty())
            rows << QString();
        for (qsizetype i = 0; i < cells.size(); i += columns)
            rows << cells.mid(i, columns);
    }
    return rows;
}

QByteArray randomText(quint32 seed, qsizetype size)
{
    static const QByteArray alphabet = QByteArrayLiteral("abcdefgh \t\t\r\n\r\n\x00\xA0\xFF");
    QRandomGenerator random(seed);
    QByteArray bytes;
    for (qsizetype i = 0; i < size; ++i)
        bytes += alphabet.at(random.bounded(int(alphabet.size())));
    return bytes;
}

} // namespace

class TestCapturePaneLayout : public QObject
{
    Q_OBJECT

private slots:
    void wraps_data();
    void wraps();
    void matchesReference_data();
    void matchesReference();
    void appendsMatchRebuild_data();
    void appendsMatchRebuild();
    void manyLinesOfMixedLengths_data();
    void manyLinesOfMixedLengths();
    void crLfSplitAcrossAppends();
    void newColumnsRewrap();
    void positionsRoundTrip_data();
    void positionsRoundTrip();
    void positionAtEdges();
    void displayChar_data();
    void displayChar();
};

void TestCapturePaneLayout::wraps_data()
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
    QTest::newRow("tab") << QByteArray("a\tb") << 20 << QStringList{"a       b"};
    QTest::newRow("tab over row end")
        << QByteArray("\t\tx") << 10 << QStringList{"          ", "      x"};
    QTest::newRow("tab fills row") << QByteArray("abcdefg\tx") << 8 << QStringList{"abcdefg ", "x"};
    QTest::newRow("one column") << QByteArray("abc") << 1 << QStringList{"a", "b", "c"};
}

void TestCapturePaneLayout::wraps()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, columns);
    QFETCH(QStringList, rows);

    PaneText text;
    text.setText(bytes);
    CapturePaneLayout layout;
    layout.setColumns(columns);
    layout.rebuild(text);
    QCOMPARE(layout.columns(), columns);
    QCOMPARE(layout.rowCount(), rows.size());
    QCOMPARE(allRows(layout, text), rows);
}

void TestCapturePaneLayout::matchesReference_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("step");

    QTest::newRow("narrow") << 1u << 2000 << 7 << 4096;
    QTest::newRow("wide") << 2u << 5000 << 80 << 4096;
    QTest::newRow("small checkpoints") << 3u << 3000 << 13 << 5;
    QTest::newRow("one column") << 4u << 500 << 1 << 3;
}

void TestCapturePaneLayout::matchesReference()
{
    QFETCH(quint32, seed);
    QFETCH(int, size);
    QFETCH(int, columns);
    QFETCH(int, step);

    const QByteArray bytes = randomText(seed, size);
    PaneText text;
    text.setText(bytes);
    CapturePaneLayout layout(step);
    layout.setColumns(columns);
    layout.rebuild(text);
    QCOMPARE(allRows(layout, text), referenceRows(bytes, columns));
}

void TestCapturePaneLayout::appendsMatchRebuild_data()
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
}

void TestCapturePaneLayout::appendsMatchRebuild()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, step);

    const int columns = 9;
    PaneText text;
    CapturePaneLayout layout(step);
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
    CapturePaneLayout fresh(step);
    fresh.setColumns(columns);
    fresh.rebuild(text);
    QCOMPARE(layout.rowCount(), fresh.rowCount());
    QCOMPARE(allRows(layout, text), allRows(fresh, text));
    QCOMPARE(allRows(layout, text), referenceRows(bytes, columns));
}

void TestCapturePaneLayout::manyLinesOfMixedLengths_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("newColumns");

    QTest::newRow("default checkpoints") << 4096 << 40 << 17;
    QTest::newRow("small checkpoints") << 50 << 23 << 80;
}

void TestCapturePaneLayout::manyLinesOfMixedLengths()
{
    QFETCH(int, step);
    QFETCH(int, columns);
    QFETCH(int, newColumns);

    // Lines from empty to a few hundred cells, some with tabs, across many
    // groups of lines.
    QByteArray bytes;
    for (int line = 0; line < 500; ++line) {
        QByteArray text(line * 37 % 700, char('a' + line % 26));
        if (line % 3 == 0)
            for (qsizetype at = 5; at < text.size(); at += 41)
                text[at] = '\t';
        bytes += text + (line % 5 ? "\r\n" : "\n");
    }
    PaneText text;
    CapturePaneLayout layout(step);
    layout.setColumns(columns);
    for (qsizetype at = 0; at < bytes.size(); at += 997) {
        text.append(QByteArrayView(bytes).sliced(at, qMin<qsizetype>(997, bytes.size() - at)));
        layout.append(text);
    }
    QCOMPARE(allRows(layout, text), referenceRows(bytes, columns));
    layout.setColumns(newColumns);
    QCOMPARE(allRows(layout, text), referenceRows(bytes, newColumns));
    qint64 row = 0;
    for (qsizetype line = 0; line < layout.lineCount(); ++line) {
        QCOMPARE(layout.firstRowOfLine(line), row);
        QCOMPARE(layout.lineOfRow(row + layout.rowsOfLine(line) - 1), line);
        row += layout.rowsOfLine(line);
    }
    QCOMPARE(layout.rowCount(), row);
}

void TestCapturePaneLayout::crLfSplitAcrossAppends()
{
    PaneText text;
    CapturePaneLayout layout;
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

void TestCapturePaneLayout::newColumnsRewrap()
{
    const QByteArray bytes = randomText(7, 4000);
    PaneText text;
    text.setText(bytes);
    CapturePaneLayout layout(8);
    layout.setColumns(30);
    layout.rebuild(text);
    for (const int columns : {7, 1, 64, 8, 30}) {
        layout.setColumns(columns);
        QCOMPARE(allRows(layout, text), referenceRows(bytes, columns));
    }
}

void TestCapturePaneLayout::positionsRoundTrip_data()
{
    QTest::addColumn<int>("step");
    QTest::newRow("default checkpoints") << 4096;
    QTest::newRow("small checkpoints") << 3;
}

void TestCapturePaneLayout::positionsRoundTrip()
{
    QFETCH(int, step);

    const QByteArray bytes = randomText(8, 2000);
    PaneText text;
    text.setText(bytes);
    CapturePaneLayout layout(step);
    layout.setColumns(11);
    layout.rebuild(text);
    int checked = 0;
    for (qsizetype line = 0; line < text.lineCount(); ++line) {
        for (qsizetype pos = text.lineStart(line); pos < text.lineEnd(line); ++pos) {
            const CapturePaneLayout::CellPos cell = layout.cellOfPosition(text, pos);
            QCOMPARE(layout.positionAt(text, cell.row, cell.column), pos);
            const QList<CapturePaneLayout::Cell> cells = layout.rowCells(text, cell.row);
            const auto shown = std::find_if(cells.cbegin(), cells.cend(),
                                            [pos](const auto &c) { return c.pos == pos; });
            QVERIFY(shown != cells.cend());
            QCOMPARE(shown->column, cell.column);
            ++checked;
        }
    }
    QVERIFY(checked > 1000);
}

void TestCapturePaneLayout::positionAtEdges()
{
    PaneText text;
    text.setText("abcdefgh\r\nxy");
    CapturePaneLayout layout;
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
}

void TestCapturePaneLayout::displayChar_data()
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

void TestCapturePaneLayout::displayChar()
{
    QFETCH(int, byte);
    QFETCH(QChar, shown);
    QFETCH(bool, standIn);

    bool isStandIn = !standIn;
    QCOMPARE(CapturePaneLayout::displayChar(uchar(byte), &isStandIn), shown);
    QCOMPARE(isStandIn, standIn);
}

QTEST_GUILESS_MAIN(TestCapturePaneLayout)
#include "tst_capture_pane_layout.moc"
