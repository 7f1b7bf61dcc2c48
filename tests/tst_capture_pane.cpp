#include "core/pane/pane_spill.h"
#include "core/pane/pane_text.h"
#include "support/message_boxes.h"
#include "ui/capture_pane.h"
#include "ui/pane_font.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <memory>

namespace {

QStringList allRows(const CapturePane &pane)
{
    QStringList rows;
    for (int row = 0; row < pane.rowCount(); ++row)
        rows << pane.rowText(row);
    return rows;
}

QByteArray numberedLines(int first, int count)
{
    QByteArray bytes;
    for (int i = first; i < first + count; ++i)
        bytes += "line " + QByteArray::number(i) + "\r\n";
    return bytes;
}

// A point just inside the left edge of a visible cell: the nearest cell
// boundary is the cell's start.
QPoint cellPoint(const CapturePane &pane, int row, int column)
{
    const QRect cell = pane.cellRect(row, column);
    return QPoint(cell.left() + 1, cell.center().y());
}

} // namespace

class TestCapturePane : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void smallAppendsShowSameRows_data();
    void smallAppendsShowSameRows();
    void appendsWaitForTheFrame();
    void followsNewDataAtBottom();
    void holdsPositionWhenScrolledUp();
    void mouseSelectionCopiesExactBytes();
    void timesGoBesideTheText_data();
    void timesGoBesideTheText();
    void shiftClickExtends();
    void doubleClickSelectsWord();
    void selectAllCopiesExactBytes_data();
    void selectAllCopiesExactBytes();
    void wrapsAfterResize();
    void numbersNeverSplit_data();
    void numbersNeverSplit();
    void resizeKeepsTopTextWhenScrolledUp();
    void controlCharactersShownDistinctly_data();
    void controlCharactersShownDistinctly();
    void lineBreaksAreNotShown();
    void appendKeepsSelection();
    void crLfSplitAcrossAppends();
    void disabledIgnoresSelection();
    void keysScroll();
    void wheelScrolls();
    void looksLikeATextBox();
    void standInsInTheirOwnColour();
    void disabledLooksDisabled();
    void resetClearsSelection();
    void contextMenuActions();
    void survivesModelDestruction();
    void accessibleText();
    void spilledTextShowsAndCopiesExactly();
    void hugeSelectionOffersAFile();
    void spillFailureToldOnce();

private:
    void showPane(int width = 400, int height = 200);
    // Text of numbered lines, the model holding its older part in a file.
    QByteArray fillPastSpillThreshold();

    QTemporaryDir m_spillFolder;

    std::unique_ptr<PaneText> m_model;
    std::unique_ptr<CapturePane> m_pane;
};

void TestCapturePane::init()
{
    PaneSpill::setFolder(m_spillFolder.path());
    m_model = std::make_unique<PaneText>();
    m_pane = std::make_unique<CapturePane>();
    m_pane->setModel(m_model.get());
}

void TestCapturePane::cleanup()
{
    m_pane.reset();
    m_model.reset();
}

void TestCapturePane::showPane(int width, int height)
{
    m_pane->resize(width, height);
    m_pane->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
}

void TestCapturePane::smallAppendsShowSameRows_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("pieceSize");
    QTest::addColumn<bool>("flushEachPiece");

    QByteArray mixed = numberedLines(0, 30) + "a\tb\rc\nd" + QByteArray(300, 'x') + "\r";
    mixed += QByteArray("\x00\x1B\x7F\xA0\xB7\xFF\r\n", 8) + "\t\t\tend";
    QByteArray hex;
    for (int i = 0; i < 2000; ++i)
        hex += QByteArray::number(i % 256, 16).toUpper().rightJustified(2, '0') + ' ';

    QTest::newRow("mixed, bytes one by one") << mixed << 1 << false;
    QTest::newRow("mixed, pieces of 3, shown each") << mixed << 3 << true;
    QTest::newRow("mixed, pieces of 7") << mixed << 7 << false;
    QTest::newRow("hex line, pieces of 5, shown each") << hex << 5 << true;
    QTest::newRow("hex line, pieces of 64") << hex << 64 << false;
}

void TestCapturePane::smallAppendsShowSameRows()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, pieceSize);
    QFETCH(bool, flushEachPiece);

    showPane();
    PaneText wholeModel;
    CapturePane whole;
    whole.setModel(&wholeModel);
    whole.resize(m_pane->size());
    whole.show();
    QVERIFY(QTest::qWaitForWindowExposed(&whole));
    QCOMPARE(whole.columns(), m_pane->columns());

    wholeModel.append(bytes);
    whole.flushPendingUpdate();
    for (qsizetype at = 0; at < bytes.size(); at += pieceSize) {
        m_model->append(
            QByteArrayView(bytes).sliced(at, std::min<qsizetype>(pieceSize, bytes.size() - at)));
        if (flushEachPiece)
            m_pane->flushPendingUpdate();
    }
    m_pane->flushPendingUpdate();

    QVERIFY(whole.rowCount() > 10);
    QCOMPARE(m_pane->rowCount(), whole.rowCount());
    QCOMPARE(allRows(*m_pane), allRows(whole));
}

void TestCapturePane::appendsWaitForTheFrame()
{
    showPane();
    m_model->append("first\n");
    m_pane->flushPendingUpdate();
    QCOMPARE(m_pane->rowCount(), 2);

    // Appends only mark the view dirty; the rows change at the next frame.
    for (int i = 0; i < 50; ++i)
        m_model->append("more\n");
    QCOMPARE(m_pane->rowCount(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(m_pane->rowCount(), 52, 10000);
    QCOMPARE(m_pane->rowText(50), QStringLiteral("more"));
}

void TestCapturePane::followsNewDataAtBottom()
{
    showPane();
    m_model->append(numberedLines(0, 100));
    m_pane->flushPendingUpdate();
    QVERIFY(m_pane->rowCount() > m_pane->visibleRowCount());
    QVERIFY(m_pane->isAtBottom());
    QCOMPARE(m_pane->firstVisibleRow() + m_pane->visibleRowCount() - 1, m_pane->rowCount() - 1);

    for (int i = 100; i < 150; ++i) {
        m_model->append(numberedLines(i, 1));
        m_pane->flushPendingUpdate();
        QVERIFY(m_pane->isAtBottom());
        QCOMPARE(m_pane->firstVisibleRow() + m_pane->visibleRowCount() - 1, m_pane->rowCount() - 1);
        // The row before the empty last one is the line just received.
        QCOMPARE(m_pane->rowText(m_pane->rowCount() - 2), QStringLiteral("line %1").arg(i));
    }
}

void TestCapturePane::holdsPositionWhenScrolledUp()
{
    showPane();
    m_model->append(numberedLines(0, 200));
    m_pane->flushPendingUpdate();
    m_pane->verticalScrollBar()->setValue(10);
    QVERIFY(!m_pane->isAtBottom());
    const QString top = m_pane->rowText(10);

    for (int i = 200; i < 260; ++i) {
        m_model->append(numberedLines(i, 1));
        m_pane->flushPendingUpdate();
    }
    QCOMPARE(m_pane->firstVisibleRow(), 10);
    QCOMPARE(m_pane->rowText(10), top);
    QVERIFY(!m_pane->isAtBottom());
    QCOMPARE(m_pane->rowCount(), 261);

    // Back at the bottom, it follows again.
    QTest::keyClick(m_pane.get(), Qt::Key_End);
    QVERIFY(m_pane->isAtBottom());
    m_model->append(numberedLines(260, 5));
    m_pane->flushPendingUpdate();
    QVERIFY(m_pane->isAtBottom());
    QCOMPARE(m_pane->rowCount(), 266);
}

void TestCapturePane::mouseSelectionCopiesExactBytes()
{
    showPane();
    m_model->append("hello world\r\nsecond\nthird");
    m_pane->flushPendingUpdate();
    QCOMPARE(m_pane->firstVisibleRow(), 0);

    QWidget *viewport = m_pane->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, cellPoint(*m_pane, 0, 6));
    QTest::mouseMove(viewport, cellPoint(*m_pane, 1, 3));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, cellPoint(*m_pane, 1, 3));
    QCOMPARE(m_pane->selectedBytes(), QByteArray("world\r\nsec"));

    QGuiApplication::clipboard()->clear();
    QTest::keyClick(m_pane.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("world\r\nsec"));

    // Dragging backwards past a line's end takes the line break along.
    QTest::mousePress(viewport, Qt::LeftButton, {}, cellPoint(*m_pane, 2, 2));
    QTest::mouseMove(viewport, cellPoint(*m_pane, 1, 20));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, cellPoint(*m_pane, 1, 20));
    QCOMPARE(m_pane->selectedBytes(), QByteArray("\nth"));
}

void TestCapturePane::timesGoBesideTheText_data()
{
    QTest::addColumn<LineTimeForm>("form");
    QTest::addColumn<bool>("inCopies");
    QTest::addColumn<QString>("gutter");
    QTest::addColumn<QString>("copied");
    QTest::newRow("hidden") << LineTimeForm::Off << true << QString() << "world\r\nsec";
    QTest::newRow("shown") << LineTimeForm::SinceFirst << false << "       +2.500"
                           << "world\r\nsec";
    QTest::newRow("shown, in copies") << LineTimeForm::SinceFirst << true << "       +2.500"
                                      << "       +0.000 world\r\n       +2.500 sec";
    // As wide as the time alone: a reading keeps the room it needs.
    QTest::newRow("time of day") << LineTimeForm::WallClock << false
                                 << QDateTime::fromMSecsSinceEpoch(3500).toString(u"HH:mm:ss.zzz")
                                 << "world\r\nsec";
}

void TestCapturePane::timesGoBesideTheText()
{
    QFETCH(LineTimeForm, form);
    QFETCH(bool, inCopies);
    QFETCH(QString, gutter);
    QFETCH(QString, copied);
    showPane();
    m_pane->setTimeChoice({form, inCopies});
    m_model->append("hello world\r\n", 1000);
    m_model->append("second\nthird", 3500);
    m_pane->flushPendingUpdate();
    QCOMPARE(allRows(*m_pane), (QStringList{"hello world", "second", "third"}));
    QCOMPARE(m_pane->gutterText(1), gutter);
    // A drag picks the text under the mouse, past the gutter.
    QWidget *viewport = m_pane->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, cellPoint(*m_pane, 0, 6));
    QTest::mouseMove(viewport, cellPoint(*m_pane, 1, 3));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, cellPoint(*m_pane, 1, 3));
    QCOMPARE(m_pane->selectedBytes(), QByteArray("world\r\nsec"));
    QGuiApplication::clipboard()->clear();
    m_pane->copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("selection.txt"));
    QVERIFY(m_pane->saveSelection(path));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(saved.readAll()), copied);
}

void TestCapturePane::shiftClickExtends()
{
    showPane();
    m_model->append("0123456789\nabcdefghij");
    m_pane->flushPendingUpdate();
    QWidget *viewport = m_pane->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cellPoint(*m_pane, 0, 2));
    QVERIFY(!m_pane->hasSelection());
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, cellPoint(*m_pane, 1, 4));
    QCOMPARE(m_pane->selectedBytes(), QByteArray("23456789\nabcd"));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, cellPoint(*m_pane, 0, 0));
    QCOMPARE(m_pane->selectedBytes(), QByteArray("01"));
    QTest::keyClick(m_pane.get(), Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(m_pane->selectedBytes(), QByteArray("1"));
}

void TestCapturePane::doubleClickSelectsWord()
{
    showPane();
    m_model->append("say hello\xA0there  now\r\nnext");
    m_pane->flushPendingUpdate();
    QTest::mouseDClick(m_pane->viewport(), Qt::LeftButton, {}, cellPoint(*m_pane, 0, 6));
    QCOMPARE(m_pane->selectedBytes(), QByteArray("hello\xA0there"));
    QTest::mouseDClick(m_pane->viewport(), Qt::LeftButton, {}, cellPoint(*m_pane, 0, 18));
    QCOMPARE(m_pane->selectedBytes(), QByteArray("now"));
}

void TestCapturePane::selectAllCopiesExactBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("line breaks") << QByteArray("a\rb\nc\r\nd\n\re");
    QTest::newRow("NUL") << QByteArray("x\0y\0", 4);
    QTest::newRow("NBSP and FF") << QByteArray("\xA0\xB7\xFF\x80 ");
    QTest::newRow("everything") << QByteArray("\0\r\n\xA0\xFF\x1B\x7F\t\r", 9);
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    QTest::newRow("all bytes") << all;
}

void TestCapturePane::selectAllCopiesExactBytes()
{
    QFETCH(QByteArray, bytes);

    showPane();
    m_model->append(bytes);
    m_pane->flushPendingUpdate();
    QTest::keyClick(m_pane.get(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(m_pane->selectedBytes(), bytes);

    QGuiApplication::clipboard()->clear();
    QTest::keyClick(m_pane.get(), Qt::Key_C, Qt::ControlModifier);
    const QString copied = QGuiApplication::clipboard()->text();
    QCOMPARE(copied.size(), bytes.size());
    QCOMPARE(copied, QString::fromLatin1(bytes));

    // A part of it, through the public calls.
    m_pane->setSelection(1, bytes.size() - 1);
    m_pane->copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(bytes.mid(1).chopped(1)));
}

void TestCapturePane::wrapsAfterResize()
{
    showPane(600, 200);
    const QByteArray bytes = QByteArray(250, 'x') + "\nshort";
    m_model->append(bytes);
    m_pane->flushPendingUpdate();
    const int wide = m_pane->columns();
    QVERIFY(wide > 20);

    m_pane->resize(250, 200);
    QTRY_VERIFY(m_pane->columns() < wide);
    const int columns = m_pane->columns();
    QVERIFY(columns > 5);
    const int longRows = (250 + columns - 1) / columns;
    QCOMPARE(m_pane->rowCount(), longRows + 1);
    for (int row = 0; row < longRows - 1; ++row)
        QCOMPARE(m_pane->rowText(row), QString(columns, QLatin1Char('x')));
    QCOMPARE(m_pane->rowText(longRows - 1),
             QString(250 - (longRows - 1) * columns, QLatin1Char('x')));
    QCOMPARE(m_pane->rowText(longRows), QStringLiteral("short"));
    // The columns follow the viewport's width in cells.
    QVERIFY(m_pane->cellRect(0, columns - 1).right() < m_pane->viewport()->width());
    QVERIFY(m_pane->cellRect(0, columns + 1).right() >= m_pane->viewport()->width());
}

void TestCapturePane::numbersNeverSplit_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QByteArray>("suffix");
    QTest::addColumn<int>("base");

    QTest::newRow("hex") << QByteArray(" ") << QByteArray() << 16;
    QTest::newRow("hex, blank after") << QByteArray() << QByteArray(" ") << 16;
    QTest::newRow("decimal") << QByteArray(" ") << QByteArray() << 10;
    QTest::newRow("decimal, two blanks before") << QByteArray("  ") << QByteArray() << 10;
}

void TestCapturePane::numbersNeverSplit()
{
    QFETCH(QByteArray, prefix);
    QFETCH(QByteArray, suffix);
    QFETCH(int, base);

    // One long line of numbers, as a Real Time pane shows received bytes.
    QByteArray bytes;
    QStringList numbers;
    for (int i = 0; i < 700; ++i) {
        const QByteArray number = QByteArray::number((i * 37 + i / 7) % 256, base).toUpper();
        bytes += prefix + (base == 16 ? number.rightJustified(2, '0') : number) + suffix;
        numbers << QString::fromLatin1(number.rightJustified(base == 16 ? 2 : 1, '0'));
    }
    showPane(400, 200);
    m_model->append(bytes);
    m_pane->flushPendingUpdate();
    const auto shownNumbers = [this] {
        QStringList shown;
        for (const QString &row : allRows(*m_pane)) {
            if (row.size() > m_pane->columns())
                return QStringList{QStringLiteral("row wider than the pane")};
            shown += row.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        }
        return shown;
    };
    for (const int width : {400, 263, 198, 331, 157}) {
        m_pane->resize(width, 200);
        QTRY_COMPARE(shownNumbers(), numbers);
    }

    QTest::keyClick(m_pane.get(), Qt::Key_A, Qt::ControlModifier);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(m_pane.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(bytes));
}

void TestCapturePane::resizeKeepsTopTextWhenScrolledUp()
{
    showPane(600, 200);
    QByteArray bytes;
    for (int i = 0; i < 200; ++i)
        bytes += "record " + QByteArray::number(i).rightJustified(3, '0') + ' ' +
                 QByteArray(40, char('a' + i % 26)) + "\r\n";
    m_model->append(bytes);
    m_pane->flushPendingUpdate();
    QCOMPARE(m_pane->rowCount(), 201);
    m_pane->verticalScrollBar()->setValue(120);
    QCOMPARE(m_pane->rowText(120).left(10), QStringLiteral("record 120"));

    m_pane->resize(200, 200);
    QTRY_VERIFY(m_pane->columns() < 52);
    QVERIFY(m_pane->rowCount() > 201);
    QCOMPARE(m_pane->rowText(m_pane->firstVisibleRow()).left(10), QStringLiteral("record 120"));
    QVERIFY(!m_pane->isAtBottom());
}

void TestCapturePane::controlCharactersShownDistinctly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");

    QTest::newRow("NUL") << QByteArray("a\0b", 3) << QStringLiteral("a\u2400b");
    QTest::newRow("ESC") << QByteArray("\x1B[0m") << QStringLiteral("\u241B[0m");
    QTest::newRow("BEL and US") << QByteArray("\x07\x1F") << QStringLiteral("\u2407\u241F");
    QTest::newRow("DEL") << QByteArray("x\x7Fy") << QStringLiteral("x\u2421y");
    QTest::newRow("NBSP") << QByteArray("1\xA0"
                                        "2")
                          << QStringLiteral("1\u00B72");
    QTest::newRow("Latin-1") << QByteArray("\xB7\xE9\xFF\x80")
                             << QString::fromLatin1("\xB7\xE9\xFF\x80");
    QTest::newRow("tab") << QByteArray("ab\tc") << QStringLiteral("ab      c");
}

void TestCapturePane::controlCharactersShownDistinctly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);

    showPane();
    m_model->append(bytes);
    m_pane->flushPendingUpdate();
    QCOMPARE(m_pane->rowCount(), 1);
    QCOMPARE(m_pane->rowText(0), shown);
    // Painting them goes through the same path.
    const QImage image = m_pane->viewport()->grab().toImage();
    QVERIFY(!image.isNull());
}

void TestCapturePane::lineBreaksAreNotShown()
{
    showPane();
    m_model->append("a\rb\nc\r\nd");
    m_pane->flushPendingUpdate();
    QCOMPARE(allRows(*m_pane), (QStringList{"a", "b", "c", "d"}));
}

void TestCapturePane::appendKeepsSelection()
{
    showPane();
    m_model->append(numberedLines(0, 5));
    m_pane->flushPendingUpdate();
    m_pane->setSelection(3, 12);
    const QByteArray selected = m_pane->selectedBytes();
    QCOMPARE(selected, QByteArray("e 0\r\nline"));

    m_model->append(numberedLines(5, 100));
    m_pane->flushPendingUpdate();
    QCOMPARE(m_pane->selectionStart(), 3);
    QCOMPARE(m_pane->selectionEnd(), 12);
    QCOMPARE(m_pane->selectedBytes(), selected);

    // Also while dragging.
    QTest::keyClick(m_pane.get(), Qt::Key_Home);
    QWidget *viewport = m_pane->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, cellPoint(*m_pane, 1, 0));
    QTest::mouseMove(viewport, cellPoint(*m_pane, 1, 4));
    m_model->append(numberedLines(105, 10));
    m_pane->flushPendingUpdate();
    QCOMPARE(m_pane->selectedBytes(), QByteArray("line"));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, cellPoint(*m_pane, 1, 4));
    QCOMPARE(m_pane->selectedBytes(), QByteArray("line"));
}

void TestCapturePane::crLfSplitAcrossAppends()
{
    showPane();
    m_model->append("ab\r");
    m_pane->flushPendingUpdate();
    QCOMPARE(allRows(*m_pane), (QStringList{"ab", ""}));
    m_model->append("\ncd\r");
    m_pane->flushPendingUpdate();
    QCOMPARE(allRows(*m_pane), (QStringList{"ab", "cd", ""}));
    // Both in one frame.
    m_model->append("\nef");
    m_model->append("\r");
    m_model->append("\n");
    m_pane->flushPendingUpdate();
    QCOMPARE(allRows(*m_pane), (QStringList{"ab", "cd", "ef", ""}));
}

void TestCapturePane::disabledIgnoresSelection()
{
    showPane();
    m_model->append("some text here\nand more");
    m_pane->flushPendingUpdate();
    m_pane->setEnabled(false);

    // The events are refused, not just dropped.
    for (const char *type : {"MousePress", "MouseMove", "MouseRelease", "MouseDClick"})
        QTest::ignoreMessage(QtWarningMsg, QByteArray("Mouse event \"") + type +
                                               "\" not accepted by receiving widget");
    for (int i = 0; i < 4; ++i)
        QTest::ignoreMessage(QtWarningMsg, "Keyboard event not accepted by receiving widget");
    QWidget *viewport = m_pane->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, cellPoint(*m_pane, 0, 1));
    QTest::mouseMove(viewport, cellPoint(*m_pane, 1, 3));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, cellPoint(*m_pane, 1, 3));
    QVERIFY(!m_pane->hasSelection());
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, cellPoint(*m_pane, 0, 1));
    QVERIFY(!m_pane->hasSelection());
    QTest::keyClick(m_pane.get(), Qt::Key_A, Qt::ControlModifier);
    QVERIFY(!m_pane->hasSelection());
    QVERIFY(!m_pane->viewport()->grab().toImage().isNull());

    // Enabled again, the same gestures select.
    m_pane->setEnabled(true);
    QTest::mousePress(viewport, Qt::LeftButton, {}, cellPoint(*m_pane, 0, 1));
    QTest::mouseMove(viewport, cellPoint(*m_pane, 1, 3));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, cellPoint(*m_pane, 1, 3));
    QCOMPARE(m_pane->selectedBytes(), QByteArray("ome text here\nand"));
}

void TestCapturePane::keysScroll()
{
    showPane();
    m_model->append(numberedLines(0, 300));
    m_pane->flushPendingUpdate();
    const int page = m_pane->visibleRowCount();
    const int bottom = m_pane->rowCount() - page;
    QCOMPARE(m_pane->firstVisibleRow(), bottom);

    QTest::keyClick(m_pane.get(), Qt::Key_PageUp);
    QCOMPARE(m_pane->firstVisibleRow(), bottom - page);
    QTest::keyClick(m_pane.get(), Qt::Key_Up);
    QCOMPARE(m_pane->firstVisibleRow(), bottom - page - 1);
    QTest::keyClick(m_pane.get(), Qt::Key_Home);
    QCOMPARE(m_pane->firstVisibleRow(), 0);
    QTest::keyClick(m_pane.get(), Qt::Key_Down);
    QCOMPARE(m_pane->firstVisibleRow(), 1);
    QTest::keyClick(m_pane.get(), Qt::Key_PageDown);
    QCOMPARE(m_pane->firstVisibleRow(), 1 + page);
    QTest::keyClick(m_pane.get(), Qt::Key_End);
    QCOMPARE(m_pane->firstVisibleRow(), bottom);
}

void TestCapturePane::wheelScrolls()
{
    showPane();
    m_model->append(numberedLines(0, 300));
    m_pane->flushPendingUpdate();
    const int bottom = m_pane->firstVisibleRow();
    QVERIFY(bottom > 10);

    const QPoint at = m_pane->viewport()->rect().center();
    QWheelEvent up(at, m_pane->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(m_pane->viewport(), &up);
    QVERIFY(m_pane->firstVisibleRow() < bottom);
    QVERIFY(!m_pane->isAtBottom());

    QWheelEvent down(at, m_pane->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(m_pane->viewport(), &down);
    QCOMPARE(m_pane->firstVisibleRow(), bottom);
    QVERIFY(m_pane->isAtBottom());
}

void TestCapturePane::looksLikeATextBox()
{
    QCOMPARE(m_pane->frameShape(), QFrame::StyledPanel);
    QCOMPARE(m_pane->frameShadow(), QFrame::Sunken);
    QCOMPARE(m_pane->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(m_pane->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff);
    QVERIFY(QFontInfo(m_pane->font()).fixedPitch());
    QCOMPARE(m_pane->font(), paneFont());
    QVERIFY(QFontInfo(m_pane->font()).fixedPitch());
}

namespace {

// The darkest ink within a cell of the first row.
int darkestInCell(const QImage &image, const QRect &cell)
{
    int darkest = 255;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
    return darkest;
}

} // namespace

void TestCapturePane::standInsInTheirOwnColour()
{
    showPane();
    QPalette palette = m_pane->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::PlaceholderText, QColor(160, 160, 160));
    m_pane->setPalette(palette);
    // A real middle dot, the stand-in for 0xA0, an ESC picture.
    m_model->append("\xB7\xA0\x1B");
    m_pane->flushPendingUpdate();
    const QImage image = m_pane->viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const auto cell = [&](int column) {
        const QRect rect = m_pane->cellRect(0, column);
        return QRectF(QPointF(rect.topLeft()) * ratio, QSizeF(rect.size()) * ratio).toRect();
    };
    QVERIFY(darkestInCell(image, cell(0)) < 80);
    QVERIFY(darkestInCell(image, cell(1)) >= 120);
    QVERIFY(darkestInCell(image, cell(1)) < 250);
    QVERIFY(darkestInCell(image, cell(2)) >= 120);
    QVERIFY(darkestInCell(image, cell(2)) < 250);
}

void TestCapturePane::disabledLooksDisabled()
{
    showPane();
    m_model->append("some text");
    m_pane->flushPendingUpdate();
    const QImage enabled = m_pane->viewport()->grab().toImage();
    m_pane->setEnabled(false);
    const QImage disabled = m_pane->viewport()->grab().toImage();
    QVERIFY(enabled != disabled);
    const QColor base = m_pane->palette().color(QPalette::Disabled, QPalette::Base);
    QCOMPARE(disabled.pixelColor(disabled.width() - 2, disabled.height() - 2), base);

    m_pane->hide();
    QVERIFY(!m_pane->isVisible());
    m_pane->show();
    QVERIFY(m_pane->isVisible());
}

void TestCapturePane::resetClearsSelection()
{
    showPane();
    m_model->append(numberedLines(0, 100));
    m_pane->flushPendingUpdate();
    m_pane->selectAll();
    QVERIFY(m_pane->hasSelection());

    m_model->setText(numberedLines(0, 3));
    m_pane->flushPendingUpdate();
    QVERIFY(!m_pane->hasSelection());
    QCOMPARE(m_pane->rowCount(), 4);
    QCOMPARE(m_pane->rowText(2), QStringLiteral("line 2"));
    QCOMPARE(m_pane->firstVisibleRow(), 0);

    m_model->clear();
    m_pane->flushPendingUpdate();
    QCOMPARE(allRows(*m_pane), QStringList{QString()});
    QVERIFY(m_pane->isAtBottom());
}

void TestCapturePane::contextMenuActions()
{
    showPane();
    m_model->append("abc\r\ndef");
    m_pane->flushPendingUpdate();

    std::unique_ptr<QMenu> menu(m_pane->createContextMenu());
    const QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions.at(0)->text().remove(QLatin1Char('&')), QStringLiteral("Copy"));
    QCOMPARE(actions.at(1)->text().remove(QLatin1Char('&')), QStringLiteral("Select All"));
    QCOMPARE(actions.at(2)->text().remove(QLatin1Char('&')), QStringLiteral("Find..."));
    QVERIFY(!actions.at(0)->isEnabled());
    QSignalSpy find(m_pane.get(), &CapturePane::findRequested);
    actions.at(2)->trigger();
    QTest::keyClick(m_pane.get(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(find.count(), 2);

    actions.at(1)->trigger();
    QCOMPARE(m_pane->selectedBytes(), QByteArray("abc\r\ndef"));
    menu.reset(m_pane->createContextMenu());
    QAction *copyAction = menu->actions().at(0);
    QVERIFY(copyAction->isEnabled());
    QGuiApplication::clipboard()->clear();
    copyAction->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("abc\r\ndef"));
}

void TestCapturePane::survivesModelDestruction()
{
    showPane();
    m_model->append(numberedLines(0, 50));
    m_pane->flushPendingUpdate();
    m_pane->selectAll();
    m_model->append("pending");
    m_model.reset();
    QVERIFY(!m_pane->model());
    QVERIFY(!m_pane->hasSelection());
    QCOMPARE(m_pane->rowCount(), 0);
    m_pane->flushPendingUpdate();
    QVERIFY(m_pane->selectedBytes().isEmpty());
    QVERIFY(!m_pane->viewport()->grab().toImage().isNull());

    PaneText other;
    other.append("other");
    m_pane->setModel(&other);
    QCOMPARE(m_pane->model(), &other);
    QCOMPARE(allRows(*m_pane), QStringList{"other"});
}

void TestCapturePane::accessibleText()
{
    showPane();
    const QByteArray bytes("ab\r\nc\0\xA0\xFF\x1B", 9);
    m_model->append(bytes);
    m_pane->flushPendingUpdate();

    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(m_pane.get());
    QVERIFY(iface);
    QVERIFY(iface->role() == QAccessible::EditableText || iface->role() == QAccessible::StaticText);
    QVERIFY(iface->state().readOnly);
    QAccessibleTextInterface *text = iface->textInterface();
    QVERIFY(text);
    QCOMPARE(text->characterCount(), int(bytes.size()));
    QCOMPARE(text->text(0, int(bytes.size())), QString::fromLatin1(bytes));
    QCOMPARE(text->text(2, 6), QString::fromLatin1(bytes.mid(2, 4)));

    QCOMPARE(text->selectionCount(), 0);
    m_pane->setSelection(1, 5);
    QCOMPARE(text->selectionCount(), 1);
    int start = -1;
    int end = -1;
    text->selection(0, &start, &end);
    QCOMPARE(start, 1);
    QCOMPARE(end, 5);
    text->setSelection(0, 4, 7);
    QCOMPARE(m_pane->selectedBytes(), bytes.mid(4, 3));

    // More data shows up in the text.
    m_model->append("more");
    m_pane->flushPendingUpdate();
    QCOMPARE(text->characterCount(), int(bytes.size()) + 4);
    QCOMPARE(text->text(0, text->characterCount()), QString::fromLatin1(bytes + "more"));
}

QByteArray TestCapturePane::fillPastSpillThreshold()
{
    const QByteArray bytes = numberedLines(0, 3000) + "no break at the end";
    m_model->setSpillThreshold(16 * 1024);
    for (qsizetype at = 0; at < bytes.size(); at += 1000)
        m_model->append(QByteArrayView(bytes).sliced(at, qMin<qsizetype>(1000, bytes.size() - at)));
    m_model->finishSpilling();
    m_pane->flushPendingUpdate();
    return bytes;
}

void TestCapturePane::spilledTextShowsAndCopiesExactly()
{
    showPane();
    const QByteArray bytes = fillPastSpillThreshold();
    const qsizetype boundary = m_model->spilledSize();
    QVERIFY(boundary > 0);

    // The same rows as a pane holding it all in memory.
    PaneText inMemory;
    inMemory.append(bytes);
    CapturePane reference;
    reference.setModel(&inMemory);
    reference.resize(m_pane->size());
    reference.show();
    QVERIFY(QTest::qWaitForWindowExposed(&reference));
    QCOMPARE(allRows(*m_pane), allRows(reference));

    QGuiApplication::clipboard()->clear();
    m_pane->setSelection(boundary - 777, boundary + 555);
    m_pane->copy();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString::fromLatin1(bytes.mid(boundary - 777, 777 + 555)));
    QTest::keyClick(m_pane.get(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(m_pane.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(bytes));
}

void TestCapturePane::hugeSelectionOffersAFile()
{
    showPane();
    const QByteArray bytes = fillPastSpillThreshold();
    const qsizetype limit = CapturePane::clipboardLimit();
    CapturePane::setClipboardLimit(5000);
    const qsizetype boundary = m_model->spilledSize();
    m_pane->setSelection(boundary - 4000, boundary + 2000);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    m_pane->copy();
    CapturePane::setClipboardLimit(limit);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

    auto *box = m_pane->findChild<QMessageBox *>(QStringLiteral("selectionTooLarge"));
    QVERIFY(box);
    QTRY_VERIFY(box->isVisible());
    QVERIFY2(box->text().contains(QLocale().formattedDataSize(6000)), qPrintable(box->text()));
    box->button(QMessageBox::Save)->click();
    auto *dialog = m_pane->findChild<QFileDialog *>(QStringLiteral("saveSelectionDialog"));
    QVERIFY(dialog);
    const QString path = m_spillFolder.filePath(QStringLiteral("selection.txt"));
    dialog->selectFile(path);
    static_cast<QDialog *>(dialog)->accept();

    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), bytes.mid(boundary - 4000, 6000));
}

void TestCapturePane::spillFailureToldOnce()
{
    showPane();
    // No folder can be made under a regular file, whoever runs the test.
    QFile plain(m_spillFolder.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    PaneSpill::setFolder(plain.fileName() + QStringLiteral("/spill"));
    const QByteArray bytes = fillPastSpillThreshold();
    m_model->append(bytes);
    PaneSpill::setFolder(m_spillFolder.path());

    const QStringList told = dismissMessageBoxes();
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.at(0).contains(QStringLiteral("memory")), qPrintable(told.at(0)));
    QCOMPARE(m_model->spilledSize(), qsizetype(0));
    QCOMPARE(m_model->text(), bytes + bytes);
}

QTEST_MAIN(TestCapturePane)
#include "tst_capture_pane.moc"
