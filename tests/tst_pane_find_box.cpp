#include "core/pane/pane_text.h"
#include "support/display_fixture.h"
#include "support/message_boxes.h"
#include "support/pty_pair.h"
#include "ui/capture_pane.h"
#include "ui/pane_find_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

// The pane's row of a text position is on screen.
bool isShown(const CapturePane &pane, qsizetype pos)
{
    const QRect cell = pane.positionRect(pos);
    return pane.viewport()->rect().contains(cell.center());
}

QByteArray numberedLines(int first, int count)
{
    QByteArray text;
    for (int i = first; i < first + count; ++i)
        text += "line " + QByteArray::number(i) + "\r\n";
    return text;
}

} // namespace

class TestPaneFindBox : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(dismissMessageBoxes(), QStringList()); }
    void findsWhileDataArrives();
    void escapeStopsTheSearchFirst();
};

void TestPaneFindBox::findsWhileDataArrives()
{
    PtyPair pty;
    DisplayFixture f;
    ChannelGroup &group = f.channel(2);
    group.widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    CapturePane *pane = group.widgets().txtRecv;
    const QByteArray start = "boot OK\r\n" + numberedLines(0, 300);
    pty.write(start);
    QTRY_COMPARE(f.paneText(2).size(), start.size());
    pane->flushPendingUpdate();

    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_F, Qt::ControlModifier);
    PaneFindBox *box = PaneFindBox::of(pane);
    QVERIFY(box);
    QVERIFY(box->isVisible());
    QVERIFY(box->windowTitle().contains(QStringLiteral("Comm Port 2")));

    // The first match, at the pane's very start, far above the shown end.
    box->field()->setText(QStringLiteral("ok"));
    QVERIFY(!box->matchCase()->isChecked());
    box->findNext();
    QTRY_VERIFY(!box->isSearching());
    QCOMPARE(pane->selectionStart(), 5);
    QCOMPARE(pane->selectedBytes(), QByteArray("OK"));
    QVERIFY(isShown(*pane, 5));

    // More arrives meanwhile; the next step finds it at the pane's end.
    const QByteArray more = numberedLines(300, 200) + "done OK";
    pty.write(more);
    QTRY_COMPARE(f.paneText(2).size(), start.size() + more.size());
    box->findNext();
    QTRY_VERIFY(!box->isSearching());
    const qsizetype last = f.paneText(2).size() - 2;
    QCOMPARE(pane->selectionStart(), last);
    QVERIFY(isShown(*pane, last));
    QVERIFY(box->status()->text().isEmpty());

    // Round the end to the start, and back round the start to the end.
    box->findNext();
    QTRY_VERIFY(!box->isSearching());
    QCOMPARE(pane->selectionStart(), 5);
    QVERIFY(!box->status()->text().isEmpty());
    box->findPrevious();
    QTRY_VERIFY(!box->isSearching());
    QCOMPARE(pane->selectionStart(), last);

    // Match case: "ok" is nowhere; the selection stays.
    box->matchCase()->setChecked(true);
    box->findNext();
    QTRY_VERIFY(!box->isSearching());
    QCOMPARE(box->status()->text(), QStringLiteral("Not found"));
    QCOMPARE(pane->selectionStart(), last);

    // Across a line break, from the selection's text as the box opens.
    box->close();
    pane->setSelection(f.paneText(2).indexOf("line 41\r"), f.paneText(2).indexOf("line 41\r") + 4);
    QTest::keyClick(pane, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(PaneFindBox::of(pane), box);
    QCOMPARE(box->field()->text(), QStringLiteral("line"));
    box->field()->setText(QStringLiteral("41\nline 42"));
    box->findNext();
    QTRY_VERIFY(!box->isSearching());
    QCOMPARE(pane->selectedBytes(), QByteArray("41\r\nline 42"));
}

void TestPaneFindBox::escapeStopsTheSearchFirst()
{
    PaneText text;
    text.append(numberedLines(0, 1000));
    CapturePane pane;
    pane.setModel(&text);
    pane.show();
    PaneFindBox box(&pane, QStringLiteral("Comm Port 1"));
    box.open();
    box.field()->setText(QStringLiteral("line 999"));
    // The search's result comes back through the event loop: it runs until
    // then.
    box.findPrevious();
    QVERIFY(box.isSearching());
    QTest::keyClick(&box, Qt::Key_Escape);
    QVERIFY(!box.isSearching());
    QVERIFY(box.isVisible());
    QCOMPARE(box.status()->text(), QStringLiteral("Search stopped"));
    QTest::keyClick(&box, Qt::Key_Escape);
    QVERIFY(!box.isVisible());
}

QTEST_MAIN(TestPaneFindBox)
#include "tst_pane_find_box.moc"
