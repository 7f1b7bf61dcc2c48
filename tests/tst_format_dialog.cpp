#include "core/channel_state.h"
#include "core/time_out_entry.h"
#include "core/twips.h"
#include "devices/capture_session.h"
#include "support/message_boxes.h"
#include "ui/format_dialog.h"
#include "ui/program_icon.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

const QString refusal1 =
    QStringLiteral("Comm 1: the time-out must be a whole number of milliseconds from 0 to 32767.");
const QString refusal2 =
    QStringLiteral("Comm 2: the time-out must be a whole number of milliseconds from 0 to 32767.");

QRadioButton *option(QWidget *dialog, const char *pair, int index)
{
    const auto buttons = dialog->findChildren<QRadioButton *>(QLatin1String(pair));
    for (QRadioButton *button : buttons) {
        if (button->property("index").toInt() == index)
            return button;
    }
    return nullptr;
}

template <typename T> T *child(QWidget *dialog, const char *name)
{
    return dialog->findChild<T *>(QLatin1String(name));
}

// The control that has the keyboard focus, named by its object name.
QString focusedName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

} // namespace

class TestFormatDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readTimeOut_data();
    void readTimeOut();

    void window();
    void controlsSitInTheirFrames_data();
    void controlsSitInTheirFrames();
    void firstOpeningShowsDefaults();
    void loadShowsStoredValues_data();
    void loadShowsStoredValues();
    void applyStoresTimeOuts_data();
    void applyStoresTimeOuts();
    void applyRefusesOutOfRange_data();
    void applyRefusesOutOfRange();
    void bothFieldsRefusedAreBothNamed();
    void clearOldDataFirst();
    void cancelStoresNothing();
    void closeBoxStoresNothing();
    void escapeStoresNothing();
    void showingAgainDoesNotReload();
    void tabOrder();
    void everyChannelHasItsFrame();

private:
    // Opens a dialog on the current values, shown.
    FormatDialog *open();

    std::unique_ptr<CaptureSession> m_session;
    QPointer<FormatDialog> m_dialog;
};

void TestFormatDialog::init()
{
    m_session = std::make_unique<CaptureSession>();
    m_session->setSignOnDefaults();
}

void TestFormatDialog::cleanup()
{
    dismissMessageBoxes();
    delete m_dialog;
}

FormatDialog *TestFormatDialog::open()
{
    m_dialog = new FormatDialog(*m_session);
    m_dialog->show();
    return m_dialog;
}

void TestFormatDialog::readTimeOut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("value");

    QTest::newRow("plain") << QStringLiteral("200") << true << 200;
    QTest::newRow("unit after the number") << QStringLiteral("250ms") << true << 250;
    QTest::newRow("empty") << QString() << true << 0;
    QTest::newRow("letters only") << QStringLiteral("abc") << true << 0;
    QTest::newRow("blank inside") << QStringLiteral("1 000") << true << 1000;
    QTest::newRow("hexadecimal") << QStringLiteral("&H1F4") << true << 500;
    QTest::newRow("half goes down to even") << QStringLiteral("2.5") << true << 2;
    QTest::newRow("half goes up to even") << QStringLiteral("3.5") << true << 4;
    QTest::newRow("zero") << QStringLiteral("0") << true << 0;
    QTest::newRow("largest") << QStringLiteral("32767") << true << 32767;
    QTest::newRow("small negative rounds to zero") << QStringLiteral("-0.4") << true << 0;
    QTest::newRow("negative") << QStringLiteral("-1") << false << 0;
    QTest::newRow("one too many") << QStringLiteral("32768") << false << 0;
    QTest::newRow("far too many") << QStringLiteral("40000") << false << 0;
    QTest::newRow("exponent") << QStringLiteral("1e9") << false << 0;
}

void TestFormatDialog::readTimeOut()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(int, value);

    const std::optional<qint16> read = TimeOutEntry::read(text);
    QCOMPARE(read.has_value(), accepted);
    if (accepted)
        QCOMPARE(int(*read), value);
}

void TestFormatDialog::window()
{
    FormatDialog *dialog = open();
    QCOMPARE(dialog->objectName(), QStringLiteral("frmFormat"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Format"));
    QVERIFY(dialog->isWindow());
    QCOMPARE(dialog->windowModality(), Qt::NonModal);
    QCOMPARE(dialog->size(), QSize(213, 320));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(dialog->windowIcon().pixmap(32).toImage(), programIcon().pixmap(32).toImage());
}

void TestFormatDialog::controlsSitInTheirFrames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index"); // -1: not an option button
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("fraComm1") << "fraComm1" << -1 << "frmFormat"
                              << "Comm 1" << twipsRect(360, 240, 2415, 1695);
    QTest::newRow("optAddTo1 0") << "optAddTo1" << 0 << "fraComm1"
                                 << "Add to present data" << twipsRect(360, 360, 1815, 255);
    QTest::newRow("optAddTo1 1") << "optAddTo1" << 1 << "fraComm1"
                                 << "Clear old data first" << twipsRect(360, 720, 1815, 255);
    QTest::newRow("txtTimeOut1") << "txtTimeOut1" << -1 << "fraComm1" << QString()
                                 << twipsRect(360, 1200, 735, 285);
    QTest::newRow("lblTimeOut1") << "lblTimeOut1" << -1 << "fraComm1"
                                 << "Time Out (ms)" << twipsRect(1080, 1200, 1095, 255);
    QTest::newRow("fraComm2") << "fraComm2" << -1 << "frmFormat"
                              << "Comm 2" << twipsRect(360, 2280, 2415, 1695);
    QTest::newRow("optAddTo2 0") << "optAddTo2" << 0 << "fraComm2"
                                 << "Add to present data" << twipsRect(360, 360, 1815, 255);
    QTest::newRow("optAddTo2 1") << "optAddTo2" << 1 << "fraComm2"
                                 << "Clear old data first" << twipsRect(360, 720, 1815, 255);
    QTest::newRow("txtTimeOut2") << "txtTimeOut2" << -1 << "fraComm2" << QString()
                                 << twipsRect(360, 1200, 735, 285);
    QTest::newRow("lblTimeOut2") << "lblTimeOut2" << -1 << "fraComm2"
                                 << "Time Out (ms)" << twipsRect(1200, 1200, 1095, 255);
    QTest::newRow("cmdApply") << "cmdApply" << -1 << "frmFormat"
                              << "Apply" << twipsRect(360, 4200, 975, 375);
    QTest::newRow("cmdCancel") << "cmdCancel" << -1 << "frmFormat"
                               << "Cancel" << twipsRect(1800, 4200, 975, 375);
}

void TestFormatDialog::controlsSitInTheirFrames()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);

    FormatDialog *dialog = open();
    QWidget *control =
        index >= 0 ? option(dialog, qPrintable(name), index) : dialog->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(control->geometry(), geometry);
    QString text;
    if (auto *frame = qobject_cast<QGroupBox *>(control))
        text = frame->title();
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        text = button->text();
    else if (auto *label = qobject_cast<QLabel *>(control))
        text = label->text();
    if (!caption.isNull())
        QCOMPARE(text, caption);
}

void TestFormatDialog::firstOpeningShowsDefaults()
{
    FormatDialog *dialog = open();
    QCOMPARE(child<QLineEdit>(dialog, "txtTimeOut1")->text(), QStringLiteral("200"));
    QCOMPARE(child<QLineEdit>(dialog, "txtTimeOut2")->text(), QStringLiteral("200"));
    QVERIFY(option(dialog, "optAddTo1", 0)->isChecked());
    QVERIFY(!option(dialog, "optAddTo1", 1)->isChecked());
    QVERIFY(option(dialog, "optAddTo2", 0)->isChecked());
    QVERIFY(!option(dialog, "optAddTo2", 1)->isChecked());
}

void TestFormatDialog::loadShowsStoredValues_data()
{
    QTest::addColumn<int>("timeOut1");
    QTest::addColumn<int>("timeOut2");
    QTest::addColumn<AccumulateMode>("addTo1");
    QTest::addColumn<AccumulateMode>("addTo2");
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<int>("checked1");
    QTest::addColumn<int>("checked2");

    constexpr AccumulateMode add = AccumulateMode::AddOn, clear = AccumulateMode::ClearFirst;
    QTest::newRow("clear first on 1") << 1500 << 0 << clear << add << "1500"
                                      << "0" << 1 << 0;
    QTest::newRow("clear first on 2") << 7 << 32767 << add << clear << "7"
                                      << "32767" << 0 << 1;
    QTest::newRow("negative, clear first on both") << -5 << 200 << clear << clear << "-5"
                                                   << "200" << 1 << 1;
}

void TestFormatDialog::loadShowsStoredValues()
{
    QFETCH(int, timeOut1);
    QFETCH(int, timeOut2);
    QFETCH(AccumulateMode, addTo1);
    QFETCH(AccumulateMode, addTo2);
    QFETCH(QString, text1);
    QFETCH(QString, text2);
    QFETCH(int, checked1);
    QFETCH(int, checked2);

    m_session->channel(1).setTimeOut(qint16(timeOut1));
    m_session->channel(2).setTimeOut(qint16(timeOut2));
    m_session->channel(1).setAccumulate(addTo1);
    m_session->channel(2).setAccumulate(addTo2);
    FormatDialog *dialog = open();
    QCOMPARE(child<QLineEdit>(dialog, "txtTimeOut1")->text(), text1);
    QCOMPARE(child<QLineEdit>(dialog, "txtTimeOut2")->text(), text2);
    QVERIFY(option(dialog, "optAddTo1", checked1)->isChecked());
    QVERIFY(!option(dialog, "optAddTo1", 1 - checked1)->isChecked());
    QVERIFY(option(dialog, "optAddTo2", checked2)->isChecked());
    QVERIFY(!option(dialog, "optAddTo2", 1 - checked2)->isChecked());
}

void TestFormatDialog::applyStoresTimeOuts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("stored");

    QTest::newRow("250ms") << QStringLiteral("250ms") << 250;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("letters") << QStringLiteral("soon") << 0;
    QTest::newRow("1 000") << QStringLiteral("1 000") << 1000;
    QTest::newRow("&H1F4") << QStringLiteral("&H1F4") << 500;
    QTest::newRow("2.5") << QStringLiteral("2.5") << 2;
    QTest::newRow("3.5") << QStringLiteral("3.5") << 4;
    QTest::newRow("0") << QStringLiteral("0") << 0;
}

void TestFormatDialog::applyStoresTimeOuts()
{
    QFETCH(QString, text);
    QFETCH(int, stored);

    // Each field on its own, the other one holding a plain number.
    for (int channel = 1; channel <= 2; ++channel) {
        init();
        FormatDialog *dialog = open();
        auto *own = child<QLineEdit>(dialog, channel == 1 ? "txtTimeOut1" : "txtTimeOut2");
        auto *other = child<QLineEdit>(dialog, channel == 1 ? "txtTimeOut2" : "txtTimeOut1");
        own->setText(text);
        other->setText(QStringLiteral("1234"));
        QTest::mouseClick(child<QPushButton>(dialog, "cmdApply"), Qt::LeftButton);

        const ChannelModule &ownModule =
            channel == 1 ? m_session->channel(1).module() : m_session->channel(2).module();
        const ChannelModule &otherModule =
            channel == 1 ? m_session->channel(2).module() : m_session->channel(1).module();
        QCOMPARE(int(ownModule.intTimeOut), stored);
        QCOMPARE(int(otherModule.intTimeOut), 1234);
        QCOMPARE(dismissMessageBoxes(), QStringList());
        QTRY_VERIFY(m_dialog.isNull());
    }
}

void TestFormatDialog::applyRefusesOutOfRange_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("text");

    for (int channel = 1; channel <= 2; ++channel) {
        for (const char *text : {"-1", "32768", "40000", "1e9"}) {
            QTest::addRow("Comm %d: %s", channel, text) << channel << QString::fromLatin1(text);
        }
    }
}

void TestFormatDialog::applyRefusesOutOfRange()
{
    QFETCH(int, channel);
    QFETCH(QString, text);

    FormatDialog *dialog = open();
    // Every field changed, so anything stored would show.
    child<QLineEdit>(dialog, "txtTimeOut1")->setText(QStringLiteral("300"));
    child<QLineEdit>(dialog, "txtTimeOut2")->setText(QStringLiteral("400"));
    option(dialog, "optAddTo1", 1)->setChecked(true);
    option(dialog, "optAddTo2", 1)->setChecked(true);
    child<QLineEdit>(dialog, channel == 1 ? "txtTimeOut1" : "txtTimeOut2")->setText(text);

    QTest::mouseClick(child<QPushButton>(dialog, "cmdApply"), Qt::LeftButton);

    QCOMPARE(dismissMessageBoxes(), QStringList{channel == 1 ? refusal1 : refusal2});
    QCOMPARE(int(m_session->channel(1).module().intTimeOut), 200);
    QCOMPARE(int(m_session->channel(2).module().intTimeOut), 200);
    QCOMPARE(m_session->channel(1).module().addTo, AccumulateMode::AddOn);
    QCOMPARE(m_session->channel(2).module().addTo, AccumulateMode::AddOn);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_dialog.isNull());
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(child<QLineEdit>(dialog, channel == 1 ? "txtTimeOut1" : "txtTimeOut2")->text(), text);
}

void TestFormatDialog::bothFieldsRefusedAreBothNamed()
{
    FormatDialog *dialog = open();
    child<QLineEdit>(dialog, "txtTimeOut1")->setText(QStringLiteral("-1"));
    child<QLineEdit>(dialog, "txtTimeOut2")->setText(QStringLiteral("99999"));
    QTest::mouseClick(child<QPushButton>(dialog, "cmdApply"), Qt::LeftButton);

    QCOMPARE(dismissMessageBoxes(), QStringList{refusal1 + QLatin1Char('\n') + refusal2});
    QCOMPARE(int(m_session->channel(1).module().intTimeOut), 200);
    QCOMPARE(int(m_session->channel(2).module().intTimeOut), 200);
    QVERIFY(m_dialog->isVisible());
}

void TestFormatDialog::clearOldDataFirst()
{
    FormatDialog *dialog = open();
    QTest::mouseClick(option(dialog, "optAddTo1", 1), Qt::LeftButton);
    QVERIFY(option(dialog, "optAddTo1", 1)->isChecked());
    QVERIFY(!option(dialog, "optAddTo1", 0)->isChecked());
    // Each frame is its own group: channel 2's choice is untouched.
    QVERIFY(option(dialog, "optAddTo2", 0)->isChecked());
    QTest::mouseClick(child<QPushButton>(dialog, "cmdApply"), Qt::LeftButton);

    QCOMPARE(m_session->channel(1).module().addTo, AccumulateMode::ClearFirst);
    QCOMPARE(m_session->channel(2).module().addTo, AccumulateMode::AddOn);
    QTRY_VERIFY(m_dialog.isNull());

    // And back again, on channel 2 this time.
    dialog = open();
    QVERIFY(option(dialog, "optAddTo1", 1)->isChecked());
    QTest::mouseClick(option(dialog, "optAddTo1", 0), Qt::LeftButton);
    QTest::mouseClick(option(dialog, "optAddTo2", 1), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(dialog, "cmdApply"), Qt::LeftButton);
    QCOMPARE(m_session->channel(1).module().addTo, AccumulateMode::AddOn);
    QCOMPARE(m_session->channel(2).module().addTo, AccumulateMode::ClearFirst);
}

void TestFormatDialog::cancelStoresNothing()
{
    FormatDialog *dialog = open();
    child<QLineEdit>(dialog, "txtTimeOut1")->setText(QStringLiteral("999"));
    child<QLineEdit>(dialog, "txtTimeOut2")->setText(QStringLiteral("888"));
    option(dialog, "optAddTo1", 1)->setChecked(true);
    option(dialog, "optAddTo2", 1)->setChecked(true);
    QTest::mouseClick(child<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);

    QTRY_VERIFY(m_dialog.isNull());
    QCOMPARE(int(m_session->channel(1).module().intTimeOut), 200);
    QCOMPARE(int(m_session->channel(2).module().intTimeOut), 200);
    QCOMPARE(m_session->channel(1).module().addTo, AccumulateMode::AddOn);
    QCOMPARE(m_session->channel(2).module().addTo, AccumulateMode::AddOn);

    // Reopening shows what was stored before, not the abandoned edits.
    dialog = open();
    QCOMPARE(child<QLineEdit>(dialog, "txtTimeOut1")->text(), QStringLiteral("200"));
    QCOMPARE(child<QLineEdit>(dialog, "txtTimeOut2")->text(), QStringLiteral("200"));
    QVERIFY(option(dialog, "optAddTo1", 0)->isChecked());
    QVERIFY(option(dialog, "optAddTo2", 0)->isChecked());
}

void TestFormatDialog::closeBoxStoresNothing()
{
    FormatDialog *dialog = open();
    child<QLineEdit>(dialog, "txtTimeOut1")->setText(QStringLiteral("999"));
    option(dialog, "optAddTo2", 1)->setChecked(true);
    QVERIFY(dialog->close());

    QTRY_VERIFY(m_dialog.isNull());
    QCOMPARE(int(m_session->channel(1).module().intTimeOut), 200);
    QCOMPARE(m_session->channel(2).module().addTo, AccumulateMode::AddOn);
}

void TestFormatDialog::escapeStoresNothing()
{
    FormatDialog *dialog = open();
    QApplication::setActiveWindow(dialog);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    child<QLineEdit>(dialog, "txtTimeOut1")->setText(QStringLiteral("999"));
    QTest::keyClick(dialog, Qt::Key_Escape);

    QTRY_VERIFY(m_dialog.isNull());
    QCOMPARE(int(m_session->channel(1).module().intTimeOut), 200);
}

void TestFormatDialog::showingAgainDoesNotReload()
{
    FormatDialog *dialog = open();
    child<QLineEdit>(dialog, "txtTimeOut1")->setText(QStringLiteral("777"));
    option(dialog, "optAddTo2", 1)->setChecked(true);
    m_session->channel(1).setTimeOut(5);

    // What the main window does when the dialog is asked for while open.
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    QCOMPARE(child<QLineEdit>(dialog, "txtTimeOut1")->text(), QStringLiteral("777"));
    QVERIFY(option(dialog, "optAddTo2", 1)->isChecked());
}

void TestFormatDialog::tabOrder()
{
    FormatDialog *dialog = open();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    // Each option pair is one stop that holds its checked button; bring the
    // unchecked ones into play so every button is reached.
    // Two passes, with channel 2's second option the selected one.
    option(dialog, "optAddTo2", 1)->setChecked(true);
    child<QPushButton>(dialog, "cmdApply")->setFocus();
    QStringList visited{focusedName()};
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const QWidget *focus = QApplication::focusWidget();
        QString name = focusedName();
        if (qobject_cast<const QRadioButton *>(focus))
            name += QLatin1Char('/') + focus->property("index").toString();
        visited << name;
    }
    const QStringList pass{"cmdApply",    "cmdCancel",   "optAddTo1/0",
                           "optAddTo2/1", "txtTimeOut1", "txtTimeOut2"};
    QCOMPARE(visited, pass + pass);

    // The whole chain, unchecked buttons included (Qt takes their tab stop
    // away, so look for any focus at all).
    QStringList chain;
    for (QWidget *w = child<QPushButton>(dialog, "cmdApply"); chain.size() < 8;
         w = w->nextInFocusChain()) {
        if (w->focusPolicy() == Qt::NoFocus)
            continue;
        QString name = w->objectName();
        if (qobject_cast<QRadioButton *>(w))
            name += QLatin1Char('/') + w->property("index").toString();
        chain << name;
    }
    QCOMPARE(chain, (QStringList{"cmdApply", "cmdCancel", "optAddTo1/0", "optAddTo1/1",
                                 "optAddTo2/0", "optAddTo2/1", "txtTimeOut1", "txtTimeOut2"}));
}

QTEST_MAIN(TestFormatDialog)
#include "tst_format_dialog.moc"

// A run of four channels: channels 3 and 4 get frames below the second, are
// loaded and stored like the first two, and a refused field of channel 4
// stores nothing.
void TestFormatDialog::everyChannelHasItsFrame()
{
    m_session = std::make_unique<CaptureSession>(4);
    m_session->setSignOnDefaults();
    m_session->channel(4).setTimeOut(900);
    FormatDialog *dialog = open();
    QVERIFY(child<QLineEdit>(dialog, "txtTimeOut4"));
    QCOMPARE(child<QLineEdit>(dialog, "txtTimeOut4")->text(), QStringLiteral("900"));
    const QWidget *frame2 = child<QGroupBox>(dialog, "fraComm2");
    const QWidget *frame4 = child<QGroupBox>(dialog, "fraComm4");
    QVERIFY(frame4 && frame4->geometry().top() > frame2->geometry().bottom());
    QVERIFY(child<QPushButton>(dialog, "cmdApply")->geometry().top() > frame4->geometry().bottom());

    child<QLineEdit>(dialog, "txtTimeOut3")->setText(QStringLiteral("40"));
    child<QLineEdit>(dialog, "txtTimeOut4")->setText(QStringLiteral("40000"));
    option(dialog, "optAddTo3", 1)->setChecked(true);
    QTest::mouseClick(child<QPushButton>(dialog, "cmdApply"), Qt::LeftButton);
    QCOMPARE(dismissMessageBoxes(),
             QStringList{QStringLiteral("Comm 4: the time-out must be a whole number of "
                                        "milliseconds from 0 to 32767.")});
    QCOMPARE(m_session->channel(3).module().intTimeOut, qint16(200));

    child<QLineEdit>(dialog, "txtTimeOut4")->setText(QStringLiteral("10"));
    QTest::mouseClick(child<QPushButton>(dialog, "cmdApply"), Qt::LeftButton);
    QCOMPARE(m_session->channel(3).module().intTimeOut, qint16(40));
    QCOMPARE(m_session->channel(3).module().addTo, AccumulateMode::ClearFirst);
    QCOMPARE(m_session->channel(4).module().intTimeOut, qint16(10));
}
