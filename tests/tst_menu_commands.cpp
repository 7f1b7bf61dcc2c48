#include "core/pane/pane_text.h"
#include "core/plot/plot_store.h"
#include "devices/channel.h"
#include "devices/channel_plot.h"
#include "support/display_fixture.h"
#include "support/message_boxes.h"
#include "support/pdf_text.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"
#include "ui/about_box.h"
#include "ui/capture_pane.h"
#include "ui/channel_view.h"
#include "ui/display_controls.h"
#include "ui/format_dialog.h"
#include "ui/plot_view.h"
#include "ui/print_dialog_component.h"
#include "ui/script_commands.h"
#include "ui/serial_setup_dialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The modal print dialog is the one part that can't run here: this stand-in
// accepts, pointing the printer at a PDF file, or cancels.
class StandInPrintDialog : public PrintDialogComponent
{
public:
    StandInPrintDialog(QString path, int *shown)
        : m_path(std::move(path))
        , m_shown(shown)
    {}
    bool showPrintSetup(QPrinter &printer, QWidget *) override
    {
        ++*m_shown;
        if (m_path.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_path);
        return true;
    }

private:
    QString m_path;
    int *m_shown;
};

template <typename T> QList<T *> openWindows()
{
    QList<T *> found;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *window = qobject_cast<T *>(widget); window && window->isVisible())
            found << window;
    return found;
}

void printTo(DisplayFixture &f, const QString &path, int *shown)
{
    f.window->setPrintDialogFactory(
        [path, shown] { return std::make_unique<StandInPrintDialog>(path, shown); });
    f.window->reload(); // the print dialog component is made at load
}

} // namespace

class TestMenuCommands : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void dialogsAreSingleInstances();
    void serialApplyReloadsTheWindow();
    void serialCancelChangesNothing();
    void malformedSpeedIsRefusedAtApply();
    void formatApplyReachesTheReceivePath();
    void printNeedsDataInChannel1();
    void printFollowsChannel1sFormatNow();
    void cancelledPrintPrintsNothing();
    void fourChannelViewsReceiveAndPrintTheFocusedOne();
    void stuckScriptIsOfferedAStop();
};

void TestMenuCommands::cleanup()
{
    QCOMPARE(dismissMessageBoxes(), QStringList());
    for (QWidget *widget : QApplication::topLevelWidgets())
        widget->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Four channels: four views in the resizable layout, each receiving from its
// own pty; File > Print takes the pane of the view that holds the focus.
void TestMenuCommands::fourChannelViewsReceiveAndPrintTheFocusedOne()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("three.pdf"));
    int shown = 0;
    DisplayFixture f(4);
    printTo(f, pdf, &shown);
    QVERIFY(!f.controls().isForm());
    PtyPair ptys[4];
    for (int n = 1; n <= 4; ++n) {
        QTRY_VERIFY(f.controls().view(n).isVisible()); // shown once events run
        f.channel(n).widgets().cmbPort->setEditText(ptys[n - 1].slavePath());
        f.switchOn(n);
        QVERIFY(f.isOn(n));
        ptys[n - 1].write("view line " + QByteArray::number(n) + "\r\n");
    }
    for (int n = 1; n <= 4; ++n)
        QTRY_VERIFY(f.paneText(n).contains("view line " + QByteArray::number(n)));
    // A view's own Plot in This View: the plot below its pane, fed by it.
    ChannelView &two = f.controls().view(2);
    auto *plotHere = two.findChild<QAction *>(QStringLiteral("actPlotInView2"));
    QVERIFY(plotHere);
    plotHere->trigger();
    QVERIFY(two.plot() && two.plot()->isVisible());
    const CapturePane *pane2 = f.channel(2).pane();
    QTRY_VERIFY(pane2->mapTo(&two, pane2->rect().bottomLeft()).y() < two.plot()->y());
    ptys[1].write("T=5\r\n");
    QTRY_COMPARE(two.channel().plot().store().seriesCount(), 1);
    f.channel(3).pane()->setFocus();
    f.window->print();
    QCOMPARE(shown, 1);
    const QString printed = pdfRawText(pdf);
    QVERIFY2(printed.contains(QLatin1String("view line 3")), qPrintable(printed));
    QVERIFY(!printed.contains(QLatin1String("view line 1")));
}

void TestMenuCommands::dialogsAreSingleInstances()
{
    DisplayFixture f;
    f.window->showSerialSetup();
    f.window->showSerialSetup();
    f.window->showFormat();
    f.window->showFormat();
    f.window->showAbout();
    f.window->showAbout();
    QCOMPARE(openWindows<SerialSetupDialog>().size(), 1);
    QCOMPARE(openWindows<FormatDialog>().size(), 1);
    QCOMPARE(openWindows<AboutBox>().size(), 1);
    QVERIFY(f.window->isEnabled()); // modeless: the main window stays usable

    // Asking again brings the open format dialog forward without reloading it.
    FormatDialog *format = openWindows<FormatDialog>().first();
    auto *field = format->findChild<QLineEdit *>(QStringLiteral("txtTimeOut1"));
    field->setText(QStringLiteral("777"));
    f.window->showFormat();
    QCOMPARE(field->text(), QStringLiteral("777"));

    // Closed, it is made afresh the next time.
    QPointer<AboutBox> about = openWindows<AboutBox>().first();
    about->close();
    QTRY_VERIFY(about.isNull());
    f.window->showAbout();
    QCOMPARE(openWindows<AboutBox>().size(), 1);
}

void TestMenuCommands::serialApplyReloadsTheWindow()
{
    PtyPair pty;
    DisplayFixture f;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    QVERIFY(f.isOn(2));
    f.session.channel(2).type("kept");
    f.window->showSerialSetup();
    SerialSetupDialog *dialog = openWindows<SerialSetupDialog>().first();
    dialog->findChild<QPushButton *>(QStringLiteral("cmdClose"))->click();

    QCOMPARE(f.session.serialSettings(), QStringLiteral("9600,n,8,1"));
    QVERIFY(openWindows<SerialSetupDialog>().isEmpty());
    QVERIFY(f.window->isVisible());
    QVERIFY(!f.isOn(2));
    QVERIFY(f.channel(2).widgets().optOff->isChecked());
    QCOMPARE(f.session.channel(2).modes().strSend, QByteArray("kept"));
    // The port was released with the old window.
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    QVERIFY(f.isOn(2));
}

void TestMenuCommands::serialCancelChangesNothing()
{
    PtyPair pty;
    DisplayFixture f;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    f.window->showSerialSetup();
    SerialSetupDialog *dialog = openWindows<SerialSetupDialog>().first();
    dialog->findChild<QComboBox *>(QStringLiteral("cboParity"))->setEditText(QStringLiteral("E"));
    dialog->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
    QCOMPARE(f.session.serialSettings(), QStringLiteral("9600,n,8,1"));
    QVERIFY(f.isOn(2));
    pty.write("still on");
    QTRY_COMPARE(f.paneText(2), QByteArray("still on"));
}

void TestMenuCommands::malformedSpeedIsRefusedAtApply()
{
    PtyPair pty;
    DisplayFixture f;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    f.window->showSerialSetup();
    SerialSetupDialog *dialog = openWindows<SerialSetupDialog>().first();
    auto *speed =
        dialog->findChild<QWidget *>(QStringLiteral("cboBaudSel"))->findChild<QLineEdit *>();
    QVERIFY(speed);
    speed->setText(QStringLiteral("96oo"));
    dialog->findChild<QPushButton *>(QStringLiteral("cmdClose"))->click();

    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(QStringLiteral("96oo")), qPrintable(messages.first()));
    // Nothing stored, and no reload: the channel stays on.
    QCOMPARE(f.session.serialSettings(), QStringLiteral("9600,n,8,1"));
    QVERIFY(f.isOn(2));
    delete dialog;
}

void TestMenuCommands::formatApplyReachesTheReceivePath()
{
    PtyPair pty;
    DisplayFixture f;
    f.window->showFormat();
    FormatDialog *dialog = openWindows<FormatDialog>().first();
    dialog->findChild<QLineEdit *>(QStringLiteral("txtTimeOut2"))->setText(QStringLiteral("40"));
    for (QRadioButton *option : dialog->findChildren<QRadioButton *>(QStringLiteral("optAddTo2")))
        if (option->property("index").toInt() == 1)
            option->click();
    dialog->findChild<QPushButton *>(QStringLiteral("cmdApply"))->click();
    QCOMPARE(f.session.channel(2).module().intTimeOut, qint16(40));
    QCOMPARE(f.session.channel(2).module().addTo, AccumulateMode::ClearFirst);

    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    f.channel(2).widgets().optTO->click();
    pty.write("first");
    QTRY_COMPARE(f.paneText(2), QByteArray("first"));
    pty.write("second");
    QTRY_COMPARE(f.paneText(2), QByteArray("second")); // the burst replaced the pane
}

void TestMenuCommands::printNeedsDataInChannel1()
{
    PtyPair pty;
    DisplayFixture f;
    int shown = 0;
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    printTo(f, pdf, &shown);
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    pty.write("channel two has data");
    QTRY_VERIFY(!f.paneText(2).isEmpty());
    f.window->print();
    QCOMPARE(dismissMessageBoxes(), QStringList{QStringLiteral("No Data!")});
    QCOMPARE(shown, 0); // no dialog before the check
    QVERIFY(!QFile::exists(pdf));
}

void TestMenuCommands::printFollowsChannel1sFormatNow()
{
    PtyPair pty;
    DisplayFixture f;
    int shown = 0;
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    printTo(f, pdf, &shown);
    f.channel(1).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(1);
    f.channel(1).widgets().optHex->click();
    pty.write(QByteArray(50, 'A')); // 150 characters of " 41"
    QTRY_COMPARE(f.paneText(1).size(), 150);
    f.window->print();
    QCOMPARE(shown, 1);
    // 60-character slices: " 41" twenty times, twenty, then ten.
    QStringList lines = pdfTextLines(pdf);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0).count(QStringLiteral("41")), 20);
    QCOMPARE(lines.at(1).count(QStringLiteral("41")), 20);
    QCOMPARE(lines.at(2).count(QStringLiteral("41")), 10);

    // The layout follows the option chosen now, not when the data came.
    f.channel(1).widgets().optASCII->click();
    QFile::remove(pdf);
    f.window->print();
    lines = pdfTextLines(pdf);
    // The whole pane as one text, not cut into slices: only the page's width
    // breaks it.
    QVERIFY2(lines.at(0).size() > 60, qPrintable(lines.at(0)));
    QCOMPARE(lines.join(QString()).remove(QLatin1Char(' ')),
             QString::fromLatin1(f.paneText(1)).remove(QLatin1Char(' ')));
}

void TestMenuCommands::cancelledPrintPrintsNothing()
{
    PtyPair pty;
    DisplayFixture f;
    int shown = 0;
    printTo(f, QString(), &shown);
    f.channel(1).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(1);
    pty.write("data");
    QTRY_VERIFY(!f.paneText(1).isEmpty());
    f.window->print();
    QCOMPARE(shown, 1);
    QCOMPARE(dismissMessageBoxes(), QStringList()); // quietly
}

QTEST_MAIN(TestMenuCommands)
// JavaScript that runs ScriptRun::stuckMs without calling the program (an
// endless loop) makes the window ask; its Stop Script ends the script.
void TestMenuCommands::stuckScriptIsOfferedAStop()
{
    DisplayFixture f;
    QTemporaryDir dir;
    QFile script(dir.filePath(QStringLiteral("loop.js")));
    QVERIFY(script.open(QIODevice::WriteOnly) && script.write("for (;;) {}\n") > 0);
    script.close();
    QVERIFY(f.window->scriptCommands()->run(script.fileName()));
    const auto stopButton = []() -> QPushButton * {
        for (QWidget *widget : QApplication::allWidgets()) {
            auto *button = qobject_cast<QPushButton *>(widget);
            if (button && button->isVisible() && button->text() == QLatin1String("Stop Script"))
                return button;
        }
        return nullptr;
    };
    QTRY_VERIFY_WITH_TIMEOUT(stopButton(), ScriptRun::stuckMs + 20000);
    stopButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->scriptCommands()->script().isRunning(), 10000);
}

#include "tst_menu_commands.moc"
