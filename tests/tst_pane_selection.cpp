#include "core/pane/pane_selection.h"
#include "core/pane/pane_text.h"

#include <QTest>

class TestPaneSelection : public QObject
{
    Q_OBJECT

private slots:
    void wordStopsAtBlanksAndLineBreaks_data();
    void wordStopsAtBlanksAndLineBreaks();
    void stepTakesCrLfAsOne_data();
    void stepTakesCrLfAsOne();
};

void TestPaneSelection::wordStopsAtBlanksAndLineBreaks_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("pos");
    QTest::addColumn<QByteArray>("word");
    QTest::newRow("just past a word") << QByteArray("say hello") << 3 << QByteArray("say");
    QTest::newRow("between blanks") << QByteArray("a \t b") << 2 << QByteArray();
    QTest::newRow("at the LF of CR LF") << QByteArray("ab\r\ncd") << 3 << QByteArray("ab");
    QTest::newRow("after a lone CR") << QByteArray("ab\rcd") << 3 << QByteArray("cd");
    QTest::newRow("empty line") << QByteArray("ab\n\ncd") << 3 << QByteArray();
}

void TestPaneSelection::wordStopsAtBlanksAndLineBreaks()
{
    QFETCH(QByteArray, text);
    QFETCH(int, pos);
    PaneText pane;
    pane.append(text);
    PaneSelection selection;
    selection.selectWordAt(pane, pos);
    QTEST(selection.bytes(pane), "word");
}

void TestPaneSelection::stepTakesCrLfAsOne_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("pos");
    QTest::addColumn<int>("forward");
    QTest::addColumn<int>("back");
    QTest::newRow("before CR LF") << QByteArray("a\r\nb") << 1 << 3 << 0;
    QTest::newRow("after CR LF") << QByteArray("a\r\nb") << 3 << 4 << 1;
    QTest::newRow("LF CR is two") << QByteArray("a\n\rb") << 1 << 2 << 0;
    QTest::newRow("CR last") << QByteArray("a\r") << 1 << 2 << 0;
}

void TestPaneSelection::stepTakesCrLfAsOne()
{
    QFETCH(QByteArray, text);
    QFETCH(int, pos);
    PaneText pane;
    pane.append(text);
    QTEST(int(PaneSelection::step(pane, pos, true)), "forward");
    QTEST(int(PaneSelection::step(pane, pos, false)), "back");
}

QTEST_GUILESS_MAIN(TestPaneSelection)
#include "tst_pane_selection.moc"
