#include "core/line_break_rule.h"
#include "core/pane/pane_search.h"
#include "core/pane/pane_search_task.h"
#include "core/pane/pane_snapshot.h"
#include "core/pane/pane_text.h"

#include <QTest>

#include <optional>

namespace {

// A pane of `size` bytes of '-', all but the newest quarter megabyte of it
// in its spill file.
void fillSpilled(PaneText &model, qsizetype size)
{
    model.setSpillThreshold(256 * 1024);
    model.clear();
    const QByteArray piece(1024 * 1024, '-');
    for (qsizetype done = 0; done < size; done += piece.size())
        model.append(piece);
    model.finishSpilling();
}

} // namespace

class TestPaneSearch : public QObject
{
    Q_OBJECT

private slots:
    void find_data();
    void find();
    void lineBreaksFollowThePaneRule_data();
    void lineBreaksFollowThePaneRule();
    void matchesStraddleBlocksAndWindows();
    void findsWhatArrivedSinceTheLastStep();
    void snapshotKeepsItsTextWhileBlocksMove();
    void stoppedSearchReadsNoFurther();
    void clearWhileSearching();
};

// Each row searches one pane text once, forward from `from` or backward
// from before it.
void TestPaneSearch::find_data()
{
    QTest::addColumn<QByteArray>("pane");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("wrapped");

    const QByteArray ones("one two one");
    QTest::newRow("next") << ones << "one" << true << true << 1 << 8 << 3 << false;
    QTest::newRow("next at from") << ones << "one" << true << true << 8 << 8 << 3 << false;
    QTest::newRow("next wraps") << ones << "one" << true << true << 9 << 0 << 3 << true;
    QTest::newRow("previous") << ones << "one" << true << false << 8 << 0 << 3 << false;
    QTest::newRow("previous wraps") << ones << "one" << true << false << 0 << 8 << 3 << true;
    QTest::newRow("only match, wrapped to itself")
        << QByteArray("xx one") << "one" << true << true << 4 << 3 << 3 << true;
    QTest::newRow("pane's last byte")
        << QByteArray("abc") << "c" << true << true << 0 << 2 << 1 << false;
    QTest::newRow("pane's first byte, backwards")
        << QByteArray("abc") << "a" << true << false << 3 << 0 << 1 << false;
    QTest::newRow("whole pane") << QByteArray("abc") << "abc" << true << true << 0 << 0 << 3
                                << false;
    QTest::newRow("longer than the pane")
        << QByteArray("abc") << "abcd" << true << true << 0 << -1 << 0 << false;
    QTest::newRow("not there") << ones << "three" << true << true << 0 << -1 << 0 << false;
    QTest::newRow("empty pane") << QByteArray() << "a" << false << true << 0 << -1 << 0 << false;
    QTest::newRow("empty text") << ones << "" << false << true << 0 << -1 << 0 << false;

    QTest::newRow("match case") << QByteArray("One one") << "one" << true << true << 0 << 4 << 3
                                << false;
    QTest::newRow("any case") << QByteArray("One one") << "oNE" << false << true << 0 << 0 << 3
                              << false;
    QTest::newRow("one letter, any case")
        << QByteArray("xyzQ") << "q" << false << true << 0 << 3 << 1 << false;
    QTest::newRow("Latin-1 capitals fold") << QByteArray("na\xc9VE") << QString::fromUtf8("aéve")
                                           << false << true << 0 << 1 << 4 << false;
    QTest::newRow("Latin-1 with match case") << QByteArray("na\xc9VE") << QString::fromUtf8("aéve")
                                             << true << true << 0 << -1 << 0 << false;
    // U+00D7 and U+00F7 sit where a capital and its small letter would.
    QTest::newRow("multiplication sign is no letter")
        << QByteArray("2\xd7"
                      "3")
        << QString::fromUtf8("2÷3") << false << true << 0 << -1 << 0 << false;
    QTest::newRow("outside Latin-1 finds nothing")
        << QByteArray("a?b") << QString::fromUtf8("a€b") << false << true << 0 << -1 << 0 << false;

    // A line break searched for matches any of the pane's.
    QTest::newRow("across CR LF") << QByteArray("OK\r\nREADY") << "OK\nREADY" << true << true << 0
                                  << 0 << 9 << false;
    QTest::newRow("across a lone CR")
        << QByteArray("OK\rREADY") << "OK\nREADY" << true << true << 0 << 0 << 8 << false;
    QTest::newRow("across a lone LF")
        << QByteArray("OK\nREADY") << "OK\r\nREADY" << true << true << 0 << 0 << 8 << false;
    QTest::newRow("two breaks are two lines")
        << QByteArray("a\r\n\nb a\r\nb") << "a\n\nb" << true << true << 0 << 0 << 5 << false;
    QTest::newRow("one break is not two")
        << QByteArray("a\r\n\nb a\r\nb") << "a\nb" << true << true << 0 << 6 << 4 << false;
    QTest::newRow("lines before the longest run, backwards")
        << QByteArray("x OK\r\nREADY OK\nREADY") << "OK\nREADY" << true << false << 20 << 12 << 8
        << false;
    QTest::newRow("two breaks before the run")
        << QByteArray("a\r\n\nb") << "\n\nb" << true << true << 0 << 1 << 4 << false;
    QTest::newRow("break first, never inside CR LF")
        << QByteArray("a\r\nb") << "\nb" << true << true << 0 << 1 << 3 << false;
    QTest::newRow("break at the pane's end") << QByteArray("x\r") << "x\n"
                                             << true << true << 0 << 0 << 2 << false;
    QTest::newRow("break backwards")
        << QByteArray("a\nb a\nb") << "a\nb" << true << false << 8 << 4 << 3 << false;
    QTest::newRow("no break where a letter is")
        << QByteArray("OK READY") << "OK\nREADY" << true << true << 0 << -1 << 0 << false;
}

void TestPaneSearch::find()
{
    QFETCH(QByteArray, pane);
    QFETCH(QString, text);
    QFETCH(bool, matchCase);
    QFETCH(bool, forward);
    QFETCH(int, from);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(bool, wrapped);

    PaneText model;
    model.setText(pane);
    const PaneSearch search(text, matchCase);
    const PaneSearch::Match direct =
        forward ? search.next(model, from) : search.previous(model, from);
    // The same search on the task's thread, over a snapshot.
    PaneSearchTask task;
    std::optional<PaneSearch::Match> threaded;
    connect(&task, &PaneSearchTask::finished, this,
            [&threaded](const PaneSearch::Match &match) { threaded = match; });
    task.start(model, search, forward, from);
    QTRY_VERIFY(threaded.has_value());
    QVERIFY(!task.isRunning());
    for (const PaneSearch::Match &match : {direct, *threaded}) {
        QCOMPARE(match.start, qsizetype(start));
        if (match.found()) {
            QCOMPARE(match.length, qsizetype(length));
            QCOMPARE(match.wrapped, wrapped);
        }
    }
}

// Each row searches forward from the start of a pane whose lines end as
// `rule` says: a line break searched for matches only where the pane breaks.
void TestPaneSearch::lineBreaksFollowThePaneRule_data()
{
    QTest::addColumn<QByteArray>("pane");
    QTest::addColumn<LineBreaks>("rule");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");

    const QByteArray crLf("OK\r\nREADY");
    const QByteArray cr("OK\rREADY");
    const QByteArray lf("OK\nREADY");
    const QByteArray mixed("a\nb\r\nc\rd");
    QTest::newRow("Any: break alone") << mixed << LineBreaks::Any << "\n" << 1 << 1;
    QTest::newRow("CR LF: CR LF") << crLf << LineBreaks::CrLf << "OK\nREADY" << 0 << 9;
    QTest::newRow("CR LF: lone CR") << cr << LineBreaks::CrLf << "OK\nREADY" << -1 << 0;
    QTest::newRow("CR LF: lone LF") << lf << LineBreaks::CrLf << "OK\r\nREADY" << -1 << 0;
    QTest::newRow("CR LF: CR at the end, its LF not held")
        << QByteArray("x\r") << LineBreaks::CrLf << "x\n"
        << -1 << 0;
    QTest::newRow("CR LF: break alone") << mixed << LineBreaks::CrLf << "\n" << 3 << 2;
    QTest::newRow("LF: LF") << lf << LineBreaks::Lf << "OK\nREADY" << 0 << 8;
    QTest::newRow("LF: CR LF is a CR, then a break")
        << crLf << LineBreaks::Lf << "OK\nREADY" << -1 << 0;
    QTest::newRow("LF: the break after a CR") << crLf << LineBreaks::Lf << "\nREADY" << 3 << 6;
    QTest::newRow("LF: break alone") << QByteArray("a\rb\nc") << LineBreaks::Lf << "\n" << 3 << 1;
    QTest::newRow("CR: CR") << cr << LineBreaks::Cr << "OK\nREADY" << 0 << 8;
    QTest::newRow("CR: CR LF is a break, then an LF")
        << crLf << LineBreaks::Cr << "OK\nREADY" << -1 << 0;
    QTest::newRow("CR: break before an LF") << crLf << LineBreaks::Cr << "OK\n" << 0 << 3;
    QTest::newRow("CR: break alone") << mixed << LineBreaks::Cr << "\n" << 3 << 1;
}

void TestPaneSearch::lineBreaksFollowThePaneRule()
{
    QFETCH(QByteArray, pane);
    QFETCH(LineBreaks, rule);
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);

    PaneText model;
    model.setText(pane);
    model.setLineBreaks(rule);
    const PaneSearch search(text, true);
    // A snapshot keeps the rule it was taken with.
    const PaneSnapshot snapshot = model.snapshot();
    model.setLineBreaks(rule == LineBreaks::Lf ? LineBreaks::Cr : LineBreaks::Lf);
    const PaneSearch::Match match = search.next(snapshot, 0);
    QCOMPARE(match.start, qsizetype(start));
    if (match.found())
        QCOMPARE(match.length, qsizetype(length));
}

void TestPaneSearch::matchesStraddleBlocksAndWindows()
{
    // A small threshold: page-sized blocks, most of them in the spill file.
    PaneText model;
    model.setSpillThreshold(256 * 1024);
    model.append(QByteArray(1024 * 1024, '-'));
    const qsizetype block = model.chunkAt(0).size();
    model.clear();
    QByteArray text(3 * 1024 * 1024 + 100, '.');
    const QList<qsizetype> places = {0, block - 3, 1024 * 1024 - 2, 2 * 1024 * 1024 - 5,
                                     text.size() - 6};
    for (const qsizetype at : places)
        text.replace(at, 6, "NEEDLE");
    model.append(text);
    model.finishSpilling();
    QVERIFY(model.spilledSize() > 0);

    const PaneSearch search(QStringLiteral("needle"), false);
    qsizetype from = 0;
    for (const qsizetype at : places) {
        const PaneSearch::Match match = search.next(model, from);
        QCOMPARE(match.start, at);
        QVERIFY(!match.wrapped);
        from = match.end();
    }
    QCOMPARE(search.next(model, from).start, places.first());
    QVERIFY(search.next(model, from).wrapped);

    qsizetype before = model.size();
    for (auto at = places.crbegin(); at != places.crend(); ++at) {
        const PaneSearch::Match match = search.previous(model, before);
        QCOMPARE(match.start, *at);
        before = match.start;
    }
    // Across a block's end, with a line break between.
    model.clear();
    QByteArray lines(2 * block, '-');
    lines.replace(block - 4, 9, "END\r\nNEXT");
    model.append(lines);
    QCOMPARE(PaneSearch(QStringLiteral("end\nnext"), false).next(model, 0).start, block - 4);
}

void TestPaneSearch::findsWhatArrivedSinceTheLastStep()
{
    PaneText model;
    const PaneSearch search(QStringLiteral("OK"), true);
    model.append("boot OK\r\n");
    const PaneSearch::Match first = search.next(model, 0);
    QCOMPARE(first.start, 5);
    // Data arrives between steps, a match split across two appends.
    model.append("load O");
    QCOMPARE(search.next(model, first.end()).start, 5); // only the old one, wrapped
    model.append("K\r\n");
    const PaneSearch::Match second = search.next(model, first.end());
    QCOMPARE(second.start, 14);
    QVERIFY(!second.wrapped);
}

void TestPaneSearch::snapshotKeepsItsTextWhileBlocksMove()
{
    // The pane moves the snapshot's blocks to its file and takes in more
    // text: a block's memory reused for the new text would change what the
    // snapshot reads.
    PaneText model;
    fillSpilled(model, 0);
    QByteArray old;
    for (int i = 0; old.size() < 1024 * 1024; ++i)
        old += "line " + QByteArray::number(i) + "\r\n";
    model.append(old);
    const PaneSnapshot snapshot = model.snapshot();
    for (int i = 0; i < 8; ++i) {
        model.append(QByteArray(512 * 1024, char('a' + i)));
        model.finishSpilling();
    }
    QVERIFY(model.spilledSize() >= old.size());
    QCOMPARE(snapshot.size(), old.size());
    QCOMPARE(snapshot.copy(0, old.size()), old);
}

void TestPaneSearch::stoppedSearchReadsNoFurther()
{
    PaneText model;
    fillSpilled(model, 4 * 1024 * 1024);
    model.append("NEEDLE");
    PaneSearch::Control control;
    control.stop = true;
    const PaneSearch search(QStringLiteral("needle"), false);
    QVERIFY(!search.next(model.snapshot(), 0, &control).found());
    QCOMPARE(control.done.load(), 0);
    control.stop = false;
    QCOMPARE(search.next(model.snapshot(), 0, &control).start, model.size() - 6);
    QCOMPARE(control.done.load(), model.size());
}

void TestPaneSearch::clearWhileSearching()
{
    // The clear stops the search before the pane's blocks and file go: under
    // AddressSanitizer a search reading on would be caught.
    PaneText model;
    fillSpilled(model, 32 * 1024 * 1024);
    PaneSearchTask task;
    int finished = 0;
    int dropped = 0;
    qsizetype found = -1;
    connect(&task, &PaneSearchTask::finished, this,
            [&finished, &found](const PaneSearch::Match &match) {
                ++finished;
                found = match.start;
            });
    connect(&task, &PaneSearchTask::dropped, this, [&dropped] { ++dropped; });
    const PaneSearch search(QStringLiteral("not there"), true);
    task.start(model, search, true, 0);
    QVERIFY(task.isRunning());
    model.clear();
    QVERIFY(!task.isRunning());
    QTRY_COMPARE(dropped, 1);

    // A new search over the new text; a cancelled one reports nothing.
    model.append("boot: not there\r\n");
    task.start(model, search, false, 0);
    task.cancel();
    QVERIFY(!task.isRunning());
    task.start(model, search, false, 0);
    QTRY_COMPARE(finished, 1);
    QCOMPARE(found, 6);
    QCOMPARE(dropped, 1);
}

QTEST_GUILESS_MAIN(TestPaneSearch)
#include "tst_pane_search.moc"
