#include "core/channel_state.h"
#include "core/twips.h"
#include "devices/capture_session.h"
#include "support/message_boxes.h"
#include "ui/program_icon.h"
#include "ui/serial_setup_dialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {

template <typename T> T *child(QWidget *dialog, const char *name)
{
    return dialog->findChild<T *>(QLatin1String(name));
}

// The named control that holds the keyboard focus (or holds the widget that does).
QString focusedControl()
{
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (w->objectName().startsWith(QLatin1String("cbo")) ||
            w->objectName().startsWith(QLatin1String("cmd")))
            return w->objectName();
    }
    return {};
}

void chooseInList(QComboBox *combo, const QString &item)
{
    const int index = combo->findText(item);
    QVERIFY(index >= 0);
    combo->setCurrentIndex(index);
}

} // namespace

class TestSerialSetupDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void window();
    void controls_data();
    void controls();
    void lists();
    void firstOpeningShowsDefaults();
    void loadReadsByCommaPositions_data();
    void loadReadsByCommaPositions();
    void applyWithoutChanges();
    void chosenValuesAreStored();
    void typedStopValueReadBackAsOneCharacter();
    void fileCloseActsAsApply();
    void typedValuesAreStoredAsTyped();
    void fieldsThatCantFormSettingsAreRefused_data();
    void fieldsThatCantFormSettingsAreRefused();
    void escapeActsAsCancel();
    void cancelChangesNothing();
    void closeBoxChangesNothing();
    void fileExitAsksToEnd();
    void baudListSetsTheText();
    void typingMarksTheMatchingListEntry();
    void arrowKeysWalkTheBaudList();
    void tabOrder();
    void centredOnOwner();

private:
    SerialSetupDialog *open(QWidget *owner = nullptr);

    std::unique_ptr<CaptureSession> m_session;
    QPointer<SerialSetupDialog> m_dialog;
};

void TestSerialSetupDialog::init()
{
    m_session = std::make_unique<CaptureSession>();
    m_session->setSignOnDefaults();
}

void TestSerialSetupDialog::cleanup()
{
    QCOMPARE(dismissMessageBoxes(), QStringList());
    delete m_dialog;
}

SerialSetupDialog *TestSerialSetupDialog::open(QWidget *owner)
{
    m_dialog = new SerialSetupDialog(*m_session, owner);
    m_dialog->show();
    return m_dialog;
}

void TestSerialSetupDialog::window()
{
    SerialSetupDialog *dialog = open();
    QCOMPARE(dialog->objectName(), QStringLiteral("frmSerialSetup"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Serial Setup"));
    QVERIFY(dialog->isWindow());
    QCOMPARE(dialog->windowModality(), Qt::NonModal);
    QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(dialog->windowIcon().pixmap(32).toImage(), programIcon().pixmap(32).toImage());

    // The menu bar on top, the 3600 x 4260 twips client area right below it.
    auto *menuBar = dialog->findChild<QMenuBar *>();
    QVERIFY(menuBar);
    QCOMPARE(menuBar->geometry().top(), 0);
    auto *client = child<QWidget>(dialog, "clientArea");
    QVERIFY(client);
    QCOMPARE(client->size(), QSize(240, 284));
    QCOMPARE(client->y(), menuBar->height());
    QCOMPARE(dialog->size(), QSize(240, 284 + menuBar->height()));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());

    auto *file = child<QMenu>(dialog, "mnuFile");
    QVERIFY(file);
    QCOMPARE(file->title(), QStringLiteral("&File"));
    QCOMPARE(menuBar->actions(), QList<QAction *>{file->menuAction()});
    auto *close = child<QAction>(dialog, "mnuFileClose");
    auto *exit = child<QAction>(dialog, "mnuFileExit");
    QVERIFY(close && exit);
    QCOMPARE(close->text(), QStringLiteral("&Close"));
    QCOMPARE(exit->text(), QStringLiteral("&Exit"));
    QCOMPARE(file->actions(), (QList<QAction *>{close, exit}));
}

void TestSerialSetupDialog::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("fraBaudSel") << "fraBaudSel"
                                << "clientArea"
                                << "Baud Rate" << twipsRect(360, 120, 1335, 2655);
    QTest::newRow("cboBaudSel") << "cboBaudSel"
                                << "fraBaudSel" << QString() << twipsRect(240, 360, 855, 1935);
    QTest::newRow("fraLength") << "fraLength"
                               << "clientArea"
                               << "Data" << twipsRect(2040, 120, 1095, 735);
    QTest::newRow("cboData") << "cboData"
                             << "fraLength" << QString() << twipsRect(240, 240, 615, 315);
    QTest::newRow("fraStops") << "fraStops"
                              << "clientArea"
                              << "Stop" << twipsRect(2040, 1080, 1095, 735);
    QTest::newRow("cboStops") << "cboStops"
                              << "fraStops" << QString() << twipsRect(240, 240, 615, 288);
    QTest::newRow("fraParity") << "fraParity"
                               << "clientArea"
                               << "Parity" << twipsRect(2040, 2040, 1095, 735);
    QTest::newRow("cboParity") << "cboParity"
                               << "fraParity" << QString() << twipsRect(240, 240, 615, 288);
    QTest::newRow("fraAppliesTo") << "fraAppliesTo"
                                  << "clientArea"
                                  << "Applies to" << twipsRect(360, 2880, 2775, 600);
    QTest::newRow("cmdClose") << "cmdClose"
                              << "clientArea"
                              << "Apply" << twipsRect(480, 3600, 1095, 400);
    QTest::newRow("cmdCancel") << "cmdCancel"
                               << "clientArea"
                               << "Cancel" << twipsRect(1920, 3600, 1095, 400);
}

void TestSerialSetupDialog::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);

    SerialSetupDialog *dialog = open();
    auto *control = dialog->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(control->geometry(), geometry);
    if (auto *frame = qobject_cast<QGroupBox *>(control))
        QCOMPARE(frame->title(), caption);
    if (auto *button = qobject_cast<QPushButton *>(control))
        QCOMPARE(button->text(), caption);
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->insertPolicy(), QComboBox::NoInsert);
    }
}

void TestSerialSetupDialog::lists()
{
    SerialSetupDialog *dialog = open();
    auto *baud = child<SimpleComboBox>(dialog, "cboBaudSel");
    QVERIFY(baud);
    QStringList baudItems;
    for (int i = 0; i < baud->listWidget()->count(); ++i)
        baudItems << baud->listWidget()->item(i)->text();
    QCOMPARE(baudItems, (QStringList{"300", "1200", "2400", "4800", "9600", "19200", "38400",
                                     "57600", "115200", "230400", "460800", "921600"}));
    // Simple style: the list is always on view.
    QVERIFY(baud->listWidget()->isVisible());
    QVERIFY(baud->lineEdit()->isVisible());

    const auto items = [](QComboBox *combo) {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
        return texts;
    };
    QCOMPARE(items(child<QComboBox>(dialog, "cboData")), (QStringList{"8", "7"}));
    QCOMPARE(items(child<QComboBox>(dialog, "cboStops")), (QStringList{"1", "2"}));
    QCOMPARE(items(child<QComboBox>(dialog, "cboParity")), (QStringList{"N", "O", "E", "+", "-"}));
}

void TestSerialSetupDialog::firstOpeningShowsDefaults()
{
    SerialSetupDialog *dialog = open();
    QCOMPARE(dialog->baudText(), QStringLiteral("9600"));
    QCOMPARE(child<SimpleComboBox>(dialog, "cboBaudSel")->lineEdit()->text(),
             QStringLiteral("9600"));
    // The lower-case n is shown as stored, though the list only has "N".
    QCOMPARE(child<QComboBox>(dialog, "cboParity")->currentText(), QStringLiteral("n"));
    QCOMPARE(child<QComboBox>(dialog, "cboData")->currentText(), QStringLiteral("8"));
    QCOMPARE(child<QComboBox>(dialog, "cboStops")->currentText(), QStringLiteral("1"));
}

void TestSerialSetupDialog::loadReadsByCommaPositions_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QStringList>("shown"); // speed, parity, data, stop

    QTest::newRow("default") << "9600,n,8,1" << QStringList{"9600", "n", "8", "1"};
    QTest::newRow("typed stop value") << "9600,N,8,1.5" << QStringList{"9600", "N", "8", "1"};
    QTest::newRow("other values") << "115200,E,7,2" << QStringList{"115200", "E", "7", "2"};
    QTest::newRow("short") << "300,O" << QStringList{"300", "O", "", ""};
    QTest::newRow("no comma") << "57600" << QStringList{"57600", "", "", ""};
    QTest::newRow("empty") << "" << QStringList{"", "", "", ""};
    QTest::newRow("speed only, comma") << "1200," << QStringList{"1200", "", "", ""};
}

void TestSerialSetupDialog::loadReadsByCommaPositions()
{
    QFETCH(QString, settings);
    QFETCH(QStringList, shown);

    m_session->setSerialSettings(settings);
    SerialSetupDialog *dialog = open();
    QCOMPARE((QStringList{dialog->baudText(), dialog->parityText(), dialog->dataText(),
                          dialog->stopsText()}),
             shown);
    QCOMPARE(child<QComboBox>(dialog, "cboParity")->currentText(), shown.at(1));
    QCOMPARE(child<QComboBox>(dialog, "cboData")->currentText(), shown.at(2));
    QCOMPARE(child<QComboBox>(dialog, "cboStops")->currentText(), shown.at(3));
}

void TestSerialSetupDialog::applyWithoutChanges()
{
    SerialSetupDialog *dialog = open();
    QSignalSpy applied(dialog, &SerialSetupDialog::applied);
    m_session->setSerialSettings(QStringLiteral("changed meanwhile"));
    QTest::mouseClick(child<QPushButton>(dialog, "cmdClose"), Qt::LeftButton);

    QCOMPARE(m_session->serialSettings(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(applied.count(), 1);
    QTRY_VERIFY(m_dialog.isNull());
}

void TestSerialSetupDialog::chosenValuesAreStored()
{
    SerialSetupDialog *dialog = open();
    QSignalSpy applied(dialog, &SerialSetupDialog::applied);
    QSignalSpy exit(dialog, &SerialSetupDialog::exitRequested);
    auto *baud = child<SimpleComboBox>(dialog, "cboBaudSel");
    QListWidgetItem *item = baud->listWidget()->findItems("19200", Qt::MatchExactly).value(0);
    QVERIFY(item);
    QTest::mouseClick(baud->listWidget()->viewport(), Qt::LeftButton, {},
                      baud->listWidget()->visualItemRect(item).center());
    QCOMPARE(dialog->baudText(), QStringLiteral("19200"));
    chooseInList(child<QComboBox>(dialog, "cboParity"), "E");
    chooseInList(child<QComboBox>(dialog, "cboData"), "7");
    chooseInList(child<QComboBox>(dialog, "cboStops"), "2");
    QTest::mouseClick(child<QPushButton>(dialog, "cmdClose"), Qt::LeftButton);

    QCOMPARE(m_session->serialSettings(), QStringLiteral("19200,E,7,2"));
    QCOMPARE(applied.count(), 1);
    QCOMPARE(exit.count(), 0);
    QTRY_VERIFY(m_dialog.isNull());
}

void TestSerialSetupDialog::typedStopValueReadBackAsOneCharacter()
{
    m_session->setSerialSettings(QStringLiteral("9600,N,8,1.5"));
    SerialSetupDialog *dialog = open();
    QTest::mouseClick(child<QPushButton>(dialog, "cmdClose"), Qt::LeftButton);
    QCOMPARE(m_session->serialSettings(), QStringLiteral("9600,N,8,1"));
}

void TestSerialSetupDialog::fileCloseActsAsApply()
{
    SerialSetupDialog *dialog = open();
    QSignalSpy applied(dialog, &SerialSetupDialog::applied);
    chooseInList(child<QComboBox>(dialog, "cboParity"), "O");
    child<QAction>(dialog, "mnuFileClose")->trigger();

    QCOMPARE(m_session->serialSettings(), QStringLiteral("9600,O,8,1"));
    QCOMPARE(applied.count(), 1);
    QTRY_VERIFY(m_dialog.isNull());
}

void TestSerialSetupDialog::typedValuesAreStoredAsTyped()
{
    SerialSetupDialog *dialog = open();
    QApplication::setActiveWindow(dialog);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    auto *baud = child<SimpleComboBox>(dialog, "cboBaudSel");
    baud->lineEdit()->selectAll();
    QTest::keyClicks(baud->lineEdit(), "14400");
    auto *data = child<QComboBox>(dialog, "cboData");
    data->lineEdit()->selectAll();
    QTest::keyClicks(data->lineEdit(), "6");
    auto *stops = child<QComboBox>(dialog, "cboStops");
    stops->lineEdit()->selectAll();
    QTest::keyClicks(stops->lineEdit(), "1.5");
    // A lower-case parity stays as typed when the focus leaves the list.
    auto *parity = child<QComboBox>(dialog, "cboParity");
    parity->setFocus();
    parity->lineEdit()->selectAll();
    QTest::keyClicks(parity->lineEdit(), "e");
    QTest::mouseClick(child<QPushButton>(dialog, "cmdClose"), Qt::LeftButton);

    // Nothing is added to the lists, and nothing is changed.
    QCOMPARE(m_session->serialSettings(), QStringLiteral("14400,e,6,1.5"));
    QCOMPARE(parity->count(), 5);
}

// Each row: the field typed over, its text, and a word the refusal names it by.
void TestSerialSetupDialog::fieldsThatCantFormSettingsAreRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");
    QTest::newRow("comma in the speed") << "cboBaudSel"
                                        << "9600,N"
                                        << "speed";
    QTest::newRow("speed in words") << "cboBaudSel"
                                    << "fast"
                                    << "speed";
    QTest::newRow("no speed") << "cboBaudSel"
                              << ""
                              << "speed";
    QTest::newRow("unknown parity") << "cboParity"
                                    << "x"
                                    << "parity";
    QTest::newRow("no parity") << "cboParity"
                               << ""
                               << "parity";
    QTest::newRow("comma as parity") << "cboParity"
                                     << ","
                                     << "parity";
    QTest::newRow("nine data bits") << "cboData"
                                    << "9"
                                    << "data bits";
    QTest::newRow("three stop bits") << "cboStops"
                                     << "3"
                                     << "stop bits";
}

void TestSerialSetupDialog::fieldsThatCantFormSettingsAreRefused()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, named);

    SerialSetupDialog *dialog = open();
    QSignalSpy applied(dialog, &SerialSetupDialog::applied);
    if (field == QLatin1String("cboBaudSel"))
        child<SimpleComboBox>(dialog, "cboBaudSel")->setText(text);
    else
        dialog->findChild<QComboBox *>(field)->setCurrentText(text);
    QTest::mouseClick(child<QPushButton>(dialog, "cmdClose"), Qt::LeftButton);

    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(named), qPrintable(messages.first()));
    QCOMPARE(m_session->serialSettings(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(applied.count(), 0);
    QVERIFY(m_dialog && m_dialog->isVisible()); // left open for a correction
}

void TestSerialSetupDialog::escapeActsAsCancel()
{
    SerialSetupDialog *dialog = open();
    QApplication::setActiveWindow(dialog);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    child<SimpleComboBox>(dialog, "cboBaudSel")->setText(QStringLiteral("300"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(m_dialog.isNull());
    QCOMPARE(m_session->serialSettings(), QStringLiteral("9600,n,8,1"));
}

void TestSerialSetupDialog::cancelChangesNothing()
{
    SerialSetupDialog *dialog = open();
    QSignalSpy applied(dialog, &SerialSetupDialog::applied);
    QSignalSpy exit(dialog, &SerialSetupDialog::exitRequested);
    child<SimpleComboBox>(dialog, "cboBaudSel")->setText(QStringLiteral("300"));
    chooseInList(child<QComboBox>(dialog, "cboParity"), "E");
    QTest::mouseClick(child<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);

    QTRY_VERIFY(m_dialog.isNull());
    QCOMPARE(m_session->serialSettings(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(applied.count(), 0);
    QCOMPARE(exit.count(), 0);

    // Reopening starts from the stored string again.
    dialog = open();
    QCOMPARE(dialog->baudText(), QStringLiteral("9600"));
    QCOMPARE(dialog->parityText(), QStringLiteral("n"));
}

void TestSerialSetupDialog::closeBoxChangesNothing()
{
    SerialSetupDialog *dialog = open();
    QSignalSpy applied(dialog, &SerialSetupDialog::applied);
    chooseInList(child<QComboBox>(dialog, "cboData"), "7");
    QVERIFY(dialog->close());

    QTRY_VERIFY(m_dialog.isNull());
    QCOMPARE(m_session->serialSettings(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(applied.count(), 0);
}

void TestSerialSetupDialog::fileExitAsksToEnd()
{
    SerialSetupDialog *dialog = open();
    QSignalSpy applied(dialog, &SerialSetupDialog::applied);
    QSignalSpy exit(dialog, &SerialSetupDialog::exitRequested);
    chooseInList(child<QComboBox>(dialog, "cboData"), "7");
    child<QAction>(dialog, "mnuFileExit")->trigger();

    QCOMPARE(exit.count(), 1);
    QCOMPARE(applied.count(), 0);
    QCOMPARE(m_session->serialSettings(), QStringLiteral("9600,n,8,1"));
}

void TestSerialSetupDialog::baudListSetsTheText()
{
    SerialSetupDialog *dialog = open();
    auto *baud = child<SimpleComboBox>(dialog, "cboBaudSel");
    QCOMPARE(baud->listWidget()->currentItem()->text(), QStringLiteral("9600"));
    for (const QString &choice : {QStringLiteral("300"), QStringLiteral("921600")}) {
        QListWidgetItem *item = baud->listWidget()->findItems(choice, Qt::MatchExactly).value(0);
        QVERIFY(item);
        baud->listWidget()->scrollToItem(item);
        QTest::mouseClick(baud->listWidget()->viewport(), Qt::LeftButton, {},
                          baud->listWidget()->visualItemRect(item).center());
        QCOMPARE(dialog->baudText(), choice);
    }
}

void TestSerialSetupDialog::typingMarksTheMatchingListEntry()
{
    m_session->setSerialSettings(QStringLiteral("12345,N,8,1"));
    SerialSetupDialog *dialog = open();
    auto *baud = child<SimpleComboBox>(dialog, "cboBaudSel");
    QCOMPARE(dialog->baudText(), QStringLiteral("12345"));
    QVERIFY(baud->listWidget()->selectedItems().isEmpty());

    baud->lineEdit()->selectAll();
    QTest::keyClicks(baud->lineEdit(), "38400");
    QCOMPARE(baud->listWidget()->currentItem()->text(), QStringLiteral("38400"));
    QCOMPARE(dialog->baudText(), QStringLiteral("38400"));

    QTest::keyClick(baud->lineEdit(), Qt::Key_1);
    QCOMPARE(dialog->baudText(), QStringLiteral("384001"));
    QVERIFY(baud->listWidget()->selectedItems().isEmpty());
}

void TestSerialSetupDialog::arrowKeysWalkTheBaudList()
{
    SerialSetupDialog *dialog = open();
    auto *baud = child<SimpleComboBox>(dialog, "cboBaudSel");
    QTest::keyClick(baud->lineEdit(), Qt::Key_Down);
    QCOMPARE(dialog->baudText(), QStringLiteral("19200"));
    QTest::keyClick(baud->lineEdit(), Qt::Key_Up);
    QTest::keyClick(baud->lineEdit(), Qt::Key_Up);
    QCOMPARE(dialog->baudText(), QStringLiteral("4800"));
}

void TestSerialSetupDialog::tabOrder()
{
    SerialSetupDialog *dialog = open();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    child<SimpleComboBox>(dialog, "cboBaudSel")->setFocus();
    QStringList visited{focusedControl()};
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << focusedControl();
    }
    QCOMPARE(visited, (QStringList{"cboBaudSel", "cboData", "cboStops", "cboParity", "cboAppliesTo",
                                   "cmdClose", "cmdCancel", "cboBaudSel"}));
}

void TestSerialSetupDialog::centredOnOwner()
{
    QWidget owner;
    owner.setGeometry(100, 80, 800, 600);
    owner.show();
    SerialSetupDialog *dialog = open(&owner);
    const QPoint offset = dialog->geometry().center() - owner.frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 40,
             qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));
    delete m_dialog;
}

QTEST_MAIN(TestSerialSetupDialog)
#include "tst_serial_setup_dialog.moc"
