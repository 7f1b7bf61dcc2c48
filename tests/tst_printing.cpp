#include "core/pane/pane_spill.h"
#include "core/pane/pane_text.h"
#include "core/pane/print_layout.h"
#include "support/message_boxes.h"
#include "support/pdf_text.h"
#include "ui/pane_printer.h"
#include "ui/print_command.h"
#include "ui/print_dialog_component.h"
#include "ui/program_message.h"

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QMessageBox>
#include <QPageLayout>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Stands in for the modal print dialog: the operator picks a PDF file as the
// printer, then confirms or cancels.
class PdfPrintDialog : public PrintDialogComponent
{
public:
    PdfPrintDialog(const QString &path, bool confirm)
        : m_path(path)
        , m_confirm(confirm)
    {}

    bool showPrintSetup(QPrinter &printer, QWidget *) override
    {
        ++calls;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_path);
        return m_confirm;
    }

    int calls = 0;

private:
    QString m_path;
    bool m_confirm;
};

QString repeated(const QString &pattern, qsizetype length)
{
    QString text;
    while (text.size() < length)
        text += pattern;
    return text.left(length);
}

QStringList blanks()
{
    return QStringList(4, QString());
}

const PdfWord *findWord(const QList<PdfWord> &words, const QString &text)
{
    for (const PdfWord &word : words) {
        if (word.text == text)
            return &word;
    }
    return nullptr;
}

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void splitLines_data();
    void splitLines();
    void printLines_data();
    void printLines();
    void linePrefixBeforeEachLinesFirstRow_data();
    void linePrefixBeforeEachLinesFirstRow();
    void pages_data();
    void pages();
    void printFontIsFixedPitchTwelvePoint();

    void emptyPaneSaysNoData();
    void cancelledDialogPrintsNothing();
    void printerThatFailsToStartEndsQuietly();
    void asciiPrintsThePaneLines();
    void blankLinesComeFirst();
    void slicesCoverEveryCharacter_data();
    void slicesCoverEveryCharacter();
    void longLinesContinueOnTheNextLine_data();
    void longLinesContinueOnTheNextLine();
    void longJobShowsProgressAndStopsOnCancel();
    void printsInTwelvePointFixedPitch();
    void paneTextIsLatin1();
    void longPaneSpansSeveralPages();
    void textInTheSpillFilePrints();

private:
    QString pdfPath() const { return m_dir->filePath(QStringLiteral("print.pdf")); }
    // Prints through the command with a confirming dialog; returns the file.
    QString printPane(const QByteArray &paneText, bool ascii);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPrinting::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestPrinting::cleanup()
{
    dismissMessageBoxes();
    m_dir.reset();
}

QString TestPrinting::printPane(const QByteArray &paneText, bool ascii)
{
    PaneText recv1;
    recv1.setText(paneText);
    PdfPrintDialog dialog(pdfPath(), true);
    const PrintOutcome outcome = printReceivePane(recv1, ascii, nullptr, dialog);
    if (outcome != PrintOutcome::Printed || dialog.calls != 1 || !QFile::exists(pdfPath()))
        return {};
    return pdfPath();
}

void TestPrinting::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty") << QString() << QStringList{QString()};
    QTest::newRow("no break") << QStringLiteral("abc") << QStringList{QStringLiteral("abc")};
    QTest::newRow("CR LF") << QStringLiteral("a\r\nb")
                           << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("lone LF") << QStringLiteral("a\nb")
                             << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("lone CR") << QStringLiteral("a\rb")
                             << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("LF CR is two breaks")
        << QStringLiteral("a\n\rb")
        << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")};
    QTest::newRow("trailing break")
        << QStringLiteral("a\r\n") << QStringList{QStringLiteral("a"), QString()};
}

void TestPrinting::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(PrintLayout::splitLines(text), lines);
}

void TestPrinting::printLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<QStringList>("afterBlanks");

    const QString s150 = repeated(QStringLiteral("0123456789"), 150);
    QTest::newRow("ascii: three lines") << QStringLiteral("one\r\ntwo\r\nthree\r\n") << true
                                        << QStringList{QStringLiteral("one"), QStringLiteral("two"),
                                                       QStringLiteral("three"), QString()};
    QTest::newRow("ascii: mixed breaks")
        << QStringLiteral("a\nb\rc") << true
        << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("ascii: long line whole") << s150 << true << QStringList{s150};
    QTest::newRow("slices: 150") << s150 << false
                                 << QStringList{s150.mid(0, 60), s150.mid(60, 60), s150.mid(120)};
    QTest::newRow("slices: 61") << s150.left(61) << false
                                << QStringList{s150.left(60), s150.mid(60, 1)};
    QTest::newRow("slices: 62") << s150.left(62) << false
                                << QStringList{s150.left(60), s150.mid(60, 2)};
    QTest::newRow("slices: 60") << s150.left(60) << false << QStringList{s150.left(60)};
    QTest::newRow("slices: 1") << QStringLiteral("7") << false << QStringList{QStringLiteral("7")};

    const QString a30 = repeated(QStringLiteral("A"), 30);
    const QString b40 = repeated(QStringLiteral("B"), 40);
    QTest::newRow("slices: break inside a slice") << a30 + QStringLiteral("\r\n") + b40 << false
                                                  << QStringList{a30, b40.left(28), b40.mid(28)};
    const QString c59 = repeated(QStringLiteral("C"), 59);
    QTest::newRow("slices: CR LF across the cut")
        << c59 + QStringLiteral("\r\nx") << false
        << QStringList{c59, QString(), QString(), QStringLiteral("x")};
}

void TestPrinting::printLines()
{
    QFETCH(QString, text);
    QFETCH(bool, whole);
    QFETCH(QStringList, afterBlanks);
    QCOMPARE(PrintLayout::printLines(text, whole), blanks() + afterBlanks);
}

void TestPrinting::linePrefixBeforeEachLinesFirstRow_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QStringList>("afterBlanks");
    QTest::newRow("lines") << QByteArray("ab\r\ncd\n") << true << 0
                           << QStringList{"[0] ab", "[1] cd", "[2] "};
    QTest::newRow("long line continues under blanks")
        << QByteArray("abcdefghij\nk") << true << 8
        << QStringList{"[0] abcd", "    efgh", "    ij", "[1] k"};
    QTest::newRow("slices: a break starts a line")
        << QByteArray(" 41 42\n 43") << false << 0 << QStringList{"[0]  41 42", "[1]  43"};
}

void TestPrinting::linePrefixBeforeEachLinesFirstRow()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, whole);
    QFETCH(int, columns);
    QFETCH(QStringList, afterBlanks);
    PrintLines lines([&text](qsizetype pos, qsizetype length) { return text.mid(pos, length); },
                     text.size(), whole, columns);
    lines.setLinePrefix([](qsizetype line) { return QStringLiteral("[%1]").arg(line); }, 3);
    QStringList printed;
    while (!lines.atEnd())
        printed << lines.next();
    QCOMPARE(printed, blanks() + afterBlanks);
}

void TestPrinting::pages_data()
{
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<int>("linesPerPage");
    QTest::addColumn<QList<int>>("pageSizes");

    QTest::newRow("one page") << 3 << 10 << QList<int>{3};
    QTest::newRow("exact fit") << 8 << 4 << QList<int>{4, 4};
    QTest::newRow("last page partly full") << 10 << 4 << QList<int>{4, 4, 2};
    QTest::newRow("no room still prints") << 3 << 0 << QList<int>{1, 1, 1};
    QTest::newRow("nothing") << 0 << 5 << QList<int>{};
}

void TestPrinting::pages()
{
    QFETCH(int, lineCount);
    QFETCH(int, linesPerPage);
    QFETCH(QList<int>, pageSizes);

    QStringList lines;
    for (int i = 0; i < lineCount; ++i)
        lines << QString::number(i);
    const QList<QStringList> pages = PrintLayout::pages(lines, linesPerPage);
    QList<int> sizes;
    QStringList joined;
    for (const QStringList &page : pages) {
        sizes << int(page.size());
        joined << page;
    }
    QCOMPARE(sizes, pageSizes);
    QCOMPARE(joined, lines);
}

void TestPrinting::printFontIsFixedPitchTwelvePoint()
{
    const QFont font = PanePrinter::printFont();
    QCOMPARE(font.pointSize(), 12);
    QVERIFY(QFontInfo(font).fixedPitch());
}

void TestPrinting::emptyPaneSaysNoData()
{
    PaneText recv1;
    PaneText recv2; // channel 2 holds data; the command never sees it
    recv2.setText("channel two data\r\n");
    PdfPrintDialog dialog(pdfPath(), true);

    QCOMPARE(printReceivePane(recv1, true, nullptr, dialog), PrintOutcome::NoData);
    QCOMPARE(dialog.calls, 0);
    // The box is wide enough for its title, the program's name.
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), programTitle());
    QVERIFY2(box->width() >= programMessageMinimumWidth(),
             qPrintable(QString::number(box->width())));
    QCOMPARE(dismissMessageBoxes(), QStringList{QStringLiteral("No Data!")});
    QVERIFY(!QFile::exists(pdfPath()));
}

void TestPrinting::cancelledDialogPrintsNothing()
{
    PaneText recv1;
    recv1.setText("something to print\r\n");
    PdfPrintDialog dialog(pdfPath(), false);

    QCOMPARE(printReceivePane(recv1, true, nullptr, dialog), PrintOutcome::Cancelled);
    QCOMPARE(dialog.calls, 1);
    QVERIFY(!QFile::exists(pdfPath()));
    QCOMPARE(dismissMessageBoxes(), QStringList());
}

void TestPrinting::printerThatFailsToStartEndsQuietly()
{
    PaneText recv1;
    recv1.setText("something to print\r\n");
    const QString unwritable = m_dir->filePath(QStringLiteral("no-such-folder/print.pdf"));
    PdfPrintDialog dialog(unwritable, true);

    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    QCOMPARE(printReceivePane(recv1, false, nullptr, dialog), PrintOutcome::Failed);
    QVERIFY(!QFile::exists(unwritable));
    QCOMPARE(dismissMessageBoxes(), QStringList());
}

void TestPrinting::asciiPrintsThePaneLines()
{
    const QString pdf = printPane("first-line\r\nsecond-line\r\nthird-line\r\n", true);
    QVERIFY(!pdf.isEmpty());
    const QStringList expected{QStringLiteral("first-line"), QStringLiteral("second-line"),
                               QStringLiteral("third-line")};
    QCOMPARE(pdfTextLines(pdf), expected);
    QCOMPARE(pdfPageCount(pdf), 1);
}

void TestPrinting::blankLinesComeFirst()
{
    // pdftotext drops leading blank lines, so measure them: the pane's first
    // line must sit four line spacings below where a print without the blank
    // lines puts it.
    const QString pdf = printPane("TOPLINE\r\nNEXTLINE", true);
    QVERIFY(!pdf.isEmpty());
    const QList<PdfWord> words = pdfWords(pdf);
    const PdfWord *top = findWord(words, QStringLiteral("TOPLINE"));
    const PdfWord *next = findWord(words, QStringLiteral("NEXTLINE"));
    QVERIFY(top && next);
    const double spacing = next->yMin - top->yMin;
    QVERIFY2(spacing > 5, qPrintable(QString::number(spacing)));

    const QString reference = m_dir->filePath(QStringLiteral("reference.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    PanePrinter::setUsualMargins(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(reference);
    QVERIFY(PanePrinter::print(printer, {QStringLiteral("TOPLINE")}));
    const QList<PdfWord> referenceWords = pdfWords(reference);
    const PdfWord *firstLine = findWord(referenceWords, QStringLiteral("TOPLINE"));
    QVERIFY(firstLine);

    const double blankSpace = top->yMin - firstLine->yMin;
    QVERIFY2(
        qAbs(blankSpace - 4 * spacing) < 0.5,
        qPrintable(QStringLiteral("blank space %1, line spacing %2").arg(blankSpace).arg(spacing)));
}

void TestPrinting::slicesCoverEveryCharacter_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QList<int>>("lineLengths");

    QTest::newRow("150") << 150 << QList<int>{60, 60, 30};
    QTest::newRow("61") << 61 << QList<int>{60, 1};
    QTest::newRow("1") << 1 << QList<int>{1};
}

void TestPrinting::slicesCoverEveryCharacter()
{
    QFETCH(int, length);
    QFETCH(QList<int>, lineLengths);

    const QString text = repeated(QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"), length);
    const QString pdf = printPane(text.toLatin1(), false);
    QVERIFY(!pdf.isEmpty());
    QStringList expected;
    qsizetype from = 0;
    for (int lineLength : lineLengths) {
        expected << text.mid(from, lineLength);
        from += lineLength;
    }
    QCOMPARE(pdfTextLines(pdf), expected);
}

void TestPrinting::longLinesContinueOnTheNextLine_data()
{
    QTest::addColumn<bool>("ascii");
    QTest::newRow("ASCII, one long line") << true;
    QTest::newRow("Hex slices") << false;
}

void TestPrinting::longLinesContinueOnTheNextLine()
{
    QFETCH(bool, ascii);
    // Every character of a line far wider than the page reaches the paper,
    // on as many printed lines as it takes, and inside the page's margins.
    QByteArray wide;
    for (int i = 0; i < 300; ++i)
        wide += char('A' + i % 26);
    const QString pdf = printPane("BEFORE\r\n" + wide + "\r\nAFTER", ascii);
    QVERIFY(!pdf.isEmpty());
    const QStringList lines = pdfTextLines(pdf);
    QCOMPARE(lines.first(), QStringLiteral("BEFORE"));
    QCOMPARE(lines.last(), QStringLiteral("AFTER"));
    QCOMPARE(lines.mid(1, lines.size() - 2).join(QString()), QString::fromLatin1(wide));
    QVERIFY(lines.size() >= 2 + 300 / 80);

    const QList<PdfWord> words = pdfWords(pdf);
    QPrinter printer(QPrinter::HighResolution);
    PanePrinter::setUsualMargins(printer);
    const QRectF paper = printer.pageLayout().fullRect(QPageLayout::Point);
    const QRectF inside = printer.pageLayout().paintRect(QPageLayout::Point);
    QVERIFY(inside.left() >= 36 && paper.width() - inside.right() >= 36); // half an inch
    for (const PdfWord &word : words)
        QVERIFY2(word.xMin >= inside.left() - 0.5 && word.xMax <= inside.right() + 0.5,
                 qPrintable(word.text));
}

void TestPrinting::longJobShowsProgressAndStopsOnCancel()
{
    // Several megabytes of Hex: long enough for the progress to show.
    QByteArray hex;
    for (int i = 0; i < 200000; ++i)
        hex += " 41 42 43 44 45 46 47 48 49 4A\r\n";
    PaneText recv1;
    recv1.setText(hex);
    PdfPrintDialog dialog(pdfPath(), true);

    int ticks = 0;
    QTimer heartbeat;
    connect(&heartbeat, &QTimer::timeout, this, [&] { ++ticks; });
    heartbeat.start(10);
    bool sawProgress = false;
    QTimer canceller;
    connect(&canceller, &QTimer::timeout, this, [&] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            auto *progress = qobject_cast<QProgressDialog *>(window);
            if (progress && progress->isVisible()) {
                sawProgress = true;
                QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
            }
        }
    });
    canceller.start(50);

    QCOMPARE(printReceivePane(recv1, false, nullptr, dialog), PrintOutcome::Cancelled);
    QVERIFY(sawProgress);
    QVERIFY(ticks > 0); // the event loop went on while the pages were made
}

void TestPrinting::printsInTwelvePointFixedPitch()
{
    // At 12 points a fixed-pitch font advances 7.2 points (0.6 em) for every
    // character, narrow or wide.
    const QString pdf = printPane("iiiiiiiiii\r\nWWWWWWWWWW\r\n", true);
    QVERIFY(!pdf.isEmpty());
    const QList<PdfWord> words = pdfWords(pdf);
    const PdfWord *narrow = findWord(words, QStringLiteral("iiiiiiiiii"));
    const PdfWord *wide = findWord(words, QStringLiteral("WWWWWWWWWW"));
    QVERIFY(narrow && wide);
    QVERIFY2(qAbs((narrow->xMax - narrow->xMin) - 72.0) < 0.5,
             qPrintable(QString::number(narrow->xMax - narrow->xMin)));
    QVERIFY2(qAbs((wide->xMax - wide->xMin) - 72.0) < 0.5,
             qPrintable(QString::number(wide->xMax - wide->xMin)));
}

void TestPrinting::paneTextIsLatin1()
{
    const QString pdf = printPane("caf\xe9 \xb1\x35\r\n", true);
    QVERIFY(!pdf.isEmpty());
    QCOMPARE(pdfTextLines(pdf), QStringList{QStringLiteral("caf\u00e9 \u00b15")});
}

void TestPrinting::longPaneSpansSeveralPages()
{
    QByteArray pane;
    QStringList expected;
    for (int i = 1; i <= 200; ++i) {
        const QString line = QStringLiteral("line-%1").arg(i, 3, 10, QLatin1Char('0'));
        pane += line.toLatin1() + "\r\n";
        expected << line;
    }
    const QString pdf = printPane(pane, true);
    QVERIFY(!pdf.isEmpty());
    QVERIFY2(pdfPageCount(pdf) > 1, qPrintable(QString::number(pdfPageCount(pdf))));
    QVERIFY(pdfRawText(pdf).count(QLatin1Char('\f')) > 1);
    QCOMPARE(pdfTextLines(pdf), expected);
}

void TestPrinting::textInTheSpillFilePrints()
{
    PaneSpill::setFolder(m_dir->path());
    QByteArray pane;
    QStringList expected;
    for (int i = 1; i <= 300; ++i) {
        const QString line = QStringLiteral("line-%1-").arg(i, 3, 10, QLatin1Char('0')) +
                             QString(40, QLatin1Char('x'));
        pane += line.toLatin1() + "\r\n";
        expected << line;
    }
    PaneText recv1;
    recv1.setSpillThreshold(4096);
    recv1.append(pane);
    recv1.finishSpilling();
    QVERIFY(recv1.spilledSize() > 0);
    PdfPrintDialog dialog(pdfPath(), true);
    QCOMPARE(printReceivePane(recv1, true, nullptr, dialog), PrintOutcome::Printed);
    QCOMPARE(pdfTextLines(pdfPath()), expected);
    PaneSpill::setFolder({});
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
