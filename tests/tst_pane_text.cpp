#include "core/pane/pane_text.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

namespace {

// The lines of a pane, each without its terminator.
QList<QByteArray> linesOf(const PaneText &pane)
{
    QList<QByteArray> lines;
    for (qsizetype i = 0; i < pane.lineCount(); ++i)
        lines << pane.text().mid(pane.lineStart(i), pane.lineEnd(i) - pane.lineStart(i));
    return lines;
}

} // namespace

class TestPaneText : public QObject
{
    Q_OBJECT

private slots:
    void historyBoundKeepsATailAndNoFile();
    void lineBreaks_data();
    void lineBreaks();
    void splitAppendsIndexLikeOneAppend();
    void lineAtFindsTheLine();
    void setTextReplacesAndSignals();
    void holdsEveryByteValue();
};

void TestPaneText::lineBreaks_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<QByteArray>>("lines");
    using L = QList<QByteArray>;
    QTest::newRow("empty") << QByteArray() << L{""};
    QTest::newRow("no break") << QByteArray(" 41 42") << L{" 41 42"};
    QTest::newRow("CR LF") << QByteArray("a\r\nb") << L{"a", "b"};
    QTest::newRow("lone LF") << QByteArray("a\nb") << L{"a", "b"};
    QTest::newRow("lone CR") << QByteArray("a\rb") << L{"a", "b"};
    QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << L{"a", "", "b"};
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << L{"a", "", "b"};
    QTest::newRow("trailing CR") << QByteArray("a\r") << L{"a", ""};
    QTest::newRow("trailing CR LF") << QByteArray("a\r\n") << L{"a", ""};
    QTest::newRow("leading LF") << QByteArray("\nz") << L{"", "z"};
    // The text's first block ends at 4 KB in this test: its last byte is a
    // CR, after a short line.
    const QByteArray longLine(4000, 'a');
    const QByteArray shortLine(94, 'b');
    const QByteArray firstBlock = longLine + '\n' + shortLine;
    QTest::newRow("CR LF across blocks") << firstBlock + "\r\nc" << L{longLine, shortLine, "c"};
    QTest::newRow("lone CR ending a block") << firstBlock + "\rc" << L{longLine, shortLine, "c"};
}

void TestPaneText::lineBreaks()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<QByteArray>, lines);
    PaneText pane;
    pane.setSpillThreshold(32 * 1024); // 4 KB blocks
    pane.append(text);
    QCOMPARE(pane.text(), text);
    QCOMPARE(linesOf(pane), lines);
}

void TestPaneText::splitAppendsIndexLikeOneAppend()
{
    // Every split point, including between a CR and its LF, gives the same
    // line index as the whole text appended at once.
    const QByteArray text("one\r\ntwo\rthree\n\r\nfour\r\r\n\n");
    PaneText whole;
    whole.append(text);
    for (qsizetype cut = 0; cut <= text.size(); ++cut) {
        PaneText split;
        split.append(text.left(cut));
        split.append(text.mid(cut));
        QCOMPARE(split.text(), text);
        QCOMPARE(linesOf(split), linesOf(whole));
    }

    // And random pieces of random bytes.
    auto *random = QRandomGenerator::global();
    QByteArray noise;
    for (int i = 0; i < 5000; ++i)
        noise.append("ab\r\n"[random->bounded(4)]);
    PaneText reference;
    reference.append(noise);
    PaneText pieces;
    for (qsizetype pos = 0; pos < noise.size();) {
        const qsizetype n = random->bounded(1, 9);
        pieces.append(QByteArrayView(noise).sliced(pos, qMin(n, noise.size() - pos)));
        pos += n;
    }
    QCOMPARE(linesOf(pieces), linesOf(reference));
}

void TestPaneText::lineAtFindsTheLine()
{
    PaneText pane;
    pane.append("ab\r\ncd\nef");
    QCOMPARE(pane.lineAt(0), 0);
    QCOMPARE(pane.lineAt(2), 0); // the CR belongs to line 0
    QCOMPARE(pane.lineAt(4), 1);
    QCOMPARE(pane.lineAt(7), 2);
    QCOMPARE(pane.lineAt(pane.size()), 2);
}

void TestPaneText::setTextReplacesAndSignals()
{
    PaneText pane;
    QSignalSpy appended(&pane, &PaneText::appended);
    QSignalSpy reset(&pane, &PaneText::reset);
    pane.append("x\ny");
    pane.append("");
    QCOMPARE(appended.count(), 1); // an empty piece is no change
    QCOMPARE(appended.at(0).at(0).value<qsizetype>(), 0);
    pane.append("z");
    QCOMPARE(appended.at(1).at(0).value<qsizetype>(), 3);

    pane.setText("1\r2\r3");
    QCOMPARE(reset.count(), 1);
    QCOMPARE(pane.lineCount(), 3);
    pane.clear();
    QCOMPARE(reset.count(), 2);
    QVERIFY(pane.isEmpty());
    QCOMPARE(pane.lineCount(), 1);
}

void TestPaneText::holdsEveryByteValue()
{
    QByteArray all;
    for (int v = 0; v < 256; ++v)
        all.append(char(v));
    PaneText pane;
    pane.append(all);
    pane.append(all);
    QCOMPARE(pane.text(), all + all);
}

// A pane nothing shows keeps a tail: at most twice its bound, ending with
// the last bytes as they came, and no spill file although 8 MB pass a 256 kB
// threshold.
void TestPaneText::historyBoundKeepsATailAndNoFile()
{
    constexpr qsizetype bound = 64 << 10;
    PaneText pane;
    pane.setSpillThreshold(256 << 10);
    pane.setHistoryBound(bound);
    QByteArray piece;
    for (int i = 0; i < 2048; ++i) {
        piece = QByteArray::number(i).repeated(4096 / 4).left(4094) + "\r\n";
        pane.append(piece);
        QVERIFY(pane.size() <= 2 * bound && pane.spilledSize() == 0);
    }
    QVERIFY(pane.spillPath().isEmpty());
    QCOMPARE(pane.copy(pane.lineStart(pane.lineCount() - 2)), piece);
}

QTEST_APPLESS_MAIN(TestPaneText)
#include "tst_pane_text.moc"
