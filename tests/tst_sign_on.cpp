#include "app/program_start.h"
#include "ui/channel_group.h"
#include "ui/display_window.h"
#include "ui/sign_on_window.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Records the program-wide values at the moment the main window first shows.
class ShowWatcher : public QObject
{
public:
    // The values the watcher records.
    struct Seen
    {
        QString serialSettings;
        ChannelModule channel1;
        ChannelModule channel2;
    };

    explicit ShowWatcher(const CaptureSession &session)
        : m_session(session)
    {}
    int shows = 0;
    Seen atFirstShow;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<DisplayWindow *>(watched)) {
            if (shows++ == 0)
                atFirstShow = {m_session.serialSettings(), m_session.channel(1).module(),
                               m_session.channel(2).module()};
        }
        return false;
    }

private:
    const CaptureSession &m_session;
};

} // namespace

class TestSignOn : public QObject
{
    Q_OBJECT

private slots:
    void showsTitleVersionAndMaker();
    void handsOverOnceWithDefaultsInPlace();
    void handOverKeepsTheProgramRunning();
    void closingTheSplashFirstEndsTheProgram();
    void clickOrKeyHandsOverAtOnce_data();
    void clickOrKeyHandsOverAtOnce();
    void setupComesBackOnlyWhenRemembered_data();
    void setupComesBackOnlyWhenRemembered();
};

void TestSignOn::showsTitleVersionAndMaker()
{
    ProgramStart program;
    program.start();
    SignOnWindow *splash = program.signOn();
    QVERIFY(splash->isVisible());
    QCOMPARE(splash->objectName(), QStringLiteral("frmSignOn"));
    QCOMPARE(splash->windowTitle(), QStringLiteral("Varnok Terminal"));
    QCOMPARE(splash->size(), QSize(347, 341));
    QCOMPARE(splash->palette().color(QPalette::Window), QColor(Qt::white));
    auto text = [splash](const char *name) {
        return splash->findChild<QLabel *>(QLatin1String(name))->text();
    };
    QCOMPARE(text("lblTitle"), QStringLiteral("Varnok Terminal"));
    QCOMPARE(text("lblFor"), QStringLiteral("for "));
    QCOMPARE(text("lblType"), QStringLiteral("Data Capture"));
    QCOMPARE(text("lblVersion"), QStringLiteral("Version 3.0.0"));
    QVERIFY(text("lblCpyright").contains(QStringLiteral("2026")));
    QVERIFY(!text("lblCompany").isEmpty());
    QVERIFY(!splash->findChild<QLabel *>(QStringLiteral("imgLogo"))->pixmap().isNull());
    QVERIFY(splash->timer().isActive());
    QCOMPARE(splash->timer().interval(), 2000);
    // Before the tick the program-wide values are still unset.
    QVERIFY(program.session.serialSettings().isEmpty());
    QCOMPARE(program.session.channel(1).module().intTimeOut, qint16(0));
    QVERIFY(!program.display());
}

void TestSignOn::handsOverOnceWithDefaultsInPlace()
{
    ProgramStart program;
    ShowWatcher watcher(program.session);
    qApp->installEventFilter(&watcher);
    program.start();
    QPointer<SignOnWindow> splash = program.signOn();
    // Both windows first appear in the middle of the screen (give or take
    // their frames).
    const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2((splash->frameGeometry().center() - middle).manhattanLength() <= 8,
             qPrintable(QStringLiteral("%1,%2").arg(splash->x()).arg(splash->y())));
    splash->timer().start(1);

    QTRY_VERIFY(program.display() && program.display()->isVisible());
    QVERIFY2((program.display()->frameGeometry().center() - middle).manhattanLength() <= 8,
             qPrintable(
                 QStringLiteral("%1,%2").arg(program.display()->x()).arg(program.display()->y())));
    QTRY_VERIFY(splash.isNull()); // closed and discarded by the main window's start-up
    QTest::qWait(50);
    qApp->removeEventFilter(&watcher);
    QCOMPARE(watcher.shows, 1);
    const ShowWatcher::Seen &seen = watcher.atFirstShow;
    QCOMPARE(seen.serialSettings, QStringLiteral("9600,n,8,1"));
    QCOMPARE(seen.channel1.intTimeOut, qint16(200));
    QCOMPARE(seen.channel2.intTimeOut, qint16(200));
    QCOMPARE(seen.channel1.addTo, AccumulateMode::AddOn);
    QCOMPARE(seen.channel2.addTo, AccumulateMode::AddOn);
    QVERIFY(program.display()->controls()->group(1).widgets().optOff->isChecked());
}

void TestSignOn::handOverKeepsTheProgramRunning()
{
    // The splash closes before the main window shows: that moment without a
    // window must not end the program.
    ProgramStart program;
    program.start();
    program.signOn()->timer().start(1);
    QTimer::singleShot(500, qApp, [&program] {
        const bool running = program.display() && program.display()->isVisible();
        QCoreApplication::exit(running ? 7 : 8);
    });
    QCOMPARE(QApplication::exec(), 7);
}

void TestSignOn::closingTheSplashFirstEndsTheProgram()
{
    ProgramStart program;
    program.start();
    QPointer<SignOnWindow> splash = program.signOn();
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    // Run the program's event loop as main() does; a watchdog ends it with
    // another code if closing the splash doesn't.
    QTimer::singleShot(0, splash, [splash] { splash->close(); });
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); });
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(lastClosed.count(), 1);
    QVERIFY(splash.isNull());
    QVERIFY(!program.display());
}

void TestSignOn::clickOrKeyHandsOverAtOnce_data()
{
    QTest::addColumn<bool>("click");
    QTest::newRow("click") << true;
    QTest::newRow("key") << false;
}

void TestSignOn::clickOrKeyHandsOverAtOnce()
{
    QFETCH(bool, click);
    ProgramStart program;
    program.start();
    SignOnWindow *splash = program.signOn();
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    if (click)
        QTest::mouseClick(splash, Qt::LeftButton);
    else
        QTest::keyClick(splash, Qt::Key_Escape);
    // At once: before the two seconds' tick could have come.
    QVERIFY(program.display() && program.display()->isVisible());
    QCOMPARE(program.session.serialSettings(), QStringLiteral("9600,n,8,1"));
}

void TestSignOn::setupComesBackOnlyWhenRemembered_data()
{
    QTest::addColumn<bool>("remember");
    QTest::addColumn<QString>("settingsAtNextStart");
    QTest::newRow("remembered") << true << QStringLiteral("19200,e,7,2");
    QTest::newRow("not remembered (the default)") << false << QStringLiteral("9600,n,8,1");
}

void TestSignOn::setupComesBackOnlyWhenRemembered()
{
    QFETCH(bool, remember);
    QFETCH(QString, settingsAtNextStart);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const auto rememberSwitch = [](const ProgramStart &program) {
        return program.display()->findChild<QAction *>(QStringLiteral("mnuFileRememberSetup"));
    };
    {
        ProgramStart first;
        first.start();
        first.signOn()->timer().start(1);
        QTRY_VERIFY(first.display() && first.display()->isVisible());
        QVERIFY(!rememberSwitch(first)->isChecked());
        rememberSwitch(first)->setChecked(remember);
        first.session.setSerialSettings(QStringLiteral("19200,e,7,2"));
        first.display()->close();
    }
    ProgramStart next;
    next.start();
    next.signOn()->timer().start(1);
    QTRY_VERIFY(next.display() && next.display()->isVisible());
    QCOMPARE(next.session.serialSettings(), settingsAtNextStart);
    QCOMPARE(rememberSwitch(next)->isChecked(), remember);
}

QTEST_MAIN(TestSignOn)
#include "tst_sign_on.moc"
