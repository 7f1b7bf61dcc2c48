// View > Comm Port N > Plot: the window it opens plots that channel's numbers.
// Each channel's view owns its plots and its menus' parts; a reload of the
// window passes them to the channel's next view.
#include "devices/capture_session.h"
#include "support/display_fixture.h"
#include "ui/capture_pane.h"
#include "ui/channel_link_actions.h"
#include "ui/channel_view.h"
#include "ui/channel_view_actions.h"
#include "ui/display_controls.h"
#include "ui/plot_view.h"
#include "ui/plot_window.h"

#include <QAction>
#include <QDateTime>
#include <QGroupBox>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>

namespace {

// The action named `name` in the window's menu `menuName`'s part "Comm Port N".
QAction *partEntry(const DisplayWindow &window, const char *menuName, int n, const QString &name)
{
    const auto *menu = window.findChild<QMenu *>(QLatin1String(menuName));
    const QAction *part = menu ? menu->actions().value(n) : nullptr;
    for (QAction *entry : part && part->menu() ? part->menu()->actions() : QList<QAction *>())
        if (entry->objectName() == name)
            return entry;
    return nullptr;
}

// The names of the entries (or submenus) of the window's menu `menuName`,
// and of its submenus, that match `pattern`, in menu order.
QStringList entryNames(const DisplayWindow &window, const char *menuName, const QString &pattern)
{
    const QRegularExpression wanted(pattern);
    const auto nameOf = [](const QAction *entry) {
        return entry->menu() ? entry->menu()->objectName() : entry->objectName();
    };
    QStringList names;
    const auto *menu = window.findChild<QMenu *>(QLatin1String(menuName));
    for (const QAction *entry : menu->actions()) {
        QList<const QAction *> listed{entry};
        for (const QAction *inner : entry->menu() ? entry->menu()->actions() : QList<QAction *>())
            listed << inner;
        for (const QAction *each : listed)
            if (wanted.match(nameOf(each)).hasMatch())
                names << nameOf(each);
    }
    return names;
}

QStringList numbered(const QStringList &stems)
{
    QStringList names;
    for (const QString &stem : stems)
        for (int n = 1; n <= 4; ++n)
            names << stem + QString::number(n);
    return names;
}

} // namespace

class TestPlotWindow : public QObject
{
    Q_OBJECT

private slots:
    void viewMenuOpensTheChannelsPlot()
    {
        CaptureSession session;
        DisplayWindow window(session);
        window.load();
        auto *entry = window.findChild<QAction *>(QStringLiteral("mnuViewPlot2"));
        QVERIFY(entry);
        QVERIFY(!session.channel(2).plot().isOn());
        entry->trigger();
        auto *plot = window.findChild<PlotWindow *>(QStringLiteral("plotWindow2"));
        QVERIFY(plot && plot->isVisible());
        QVERIFY(session.channel(2).plot().isOn());
        session.channel(2).plot().receive("T=1\nT=2\n", QDateTime::currentMSecsSinceEpoch());
        plot->view()->grab();
        QVERIFY(plot->view()->columnsPainted() > 0);
        QVERIFY(!session.channel(1).plot().isOn());
    }

    // After a reload the menu bar lists the new views' parts (View has
    // Monitor and a separator before them), which act on their own channel,
    // and the plots open before are still open, not made twice.
    void menusAndPlotsFollowTheViewsThroughAReload()
    {
        DisplayFixture f(4);
        QAction *opener = partEntry(*f.window, "mnuView", 4, QStringLiteral("mnuViewPlot3"));
        QVERIFY(opener);
        opener->trigger();
        f.controls().view(3).actions().plotHereAction()->trigger();
        PlotWindow *window = f.controls().view(3).plotWindow();
        QPointer<PlotView> inView = f.controls().view(3).plot();
        QVERIFY(window && inView);
        f.window->reload();
        ChannelView &three = f.controls().view(3);
        QCOMPARE(three.plot(), inView.data());
        QVERIFY(three.isAncestorOf(inView));
        QVERIFY(inView->isVisibleTo(&three));
        QVERIFY(three.actions().plotHereAction()->isChecked());
        QAction *plot = partEntry(*f.window, "mnuView", 4, QStringLiteral("mnuViewPlot3"));
        QCOMPARE(plot, three.actions().plotWindowAction());
        plot->trigger();
        QCOMPARE(three.plotWindow(), window);
        QCOMPARE(f.window->findChildren<PlotWindow *>().size(), 1);
        QAction *reconnect =
            partEntry(*f.window, "mnuLink", 2, QStringLiteral("mnuLinkReconnect3"));
        QCOMPARE(reconnect, three.actions().link().actions().reconnect);
        reconnect->trigger();
        QVERIFY(f.state(3).linkOptions().reconnect);
        QVERIFY(!f.state(2).linkOptions().reconnect && !f.state(4).linkOptions().reconnect);

        // The command menus list each new view's entries once, in channel order.
        QCOMPARE(entryNames(*f.window, "mnuFile", QStringLiteral("^mnuFile(Send|Receive|Replay)")),
                 numbered({QStringLiteral("mnuFileSend"), QStringLiteral("mnuFileReceive")})
                     << QStringLiteral("mnuFileReplay"));
        QCOMPARE(entryNames(*f.window, "mnuCapture", QStringLiteral("^mnuCapture(Record|Save)")),
                 numbered({QStringLiteral("mnuCaptureRecord")})
                     << QStringLiteral("mnuCaptureRecordBoth")
                     << numbered({QStringLiteral("mnuCaptureSave")}));
        QCOMPARE(
            entryNames(*f.window, "mnuSetup", QStringLiteral("^mnu(Ending|SetupSendButtons)\\d$")),
            numbered({QStringLiteral("mnuEnding"), QStringLiteral("mnuSetupSendButtons")}));
        f.window->findChild<QAction *>(QStringLiteral("mnuEnding3LF"))->trigger();
        QCOMPARE(f.session.channel(3).module().lineEnding, LineEnding::Lf);
        QCOMPARE(f.session.channel(4).module().lineEnding, LineEnding::Cr);
    }

    // On the two-channel form the plot stands below the pane, in room the
    // form adds; without it the form is as designed again.
    void plotInTheFormsView()
    {
        DisplayFixture f;
        CapturePane *pane = f.channel(2).pane();
        const QRect designed = pane->geometry();
        const QSize least = f.controls().minimumSize();
        QAction *here = f.controls().view(2).actions().plotHereAction();
        here->trigger();
        const PlotView *plot = f.controls().view(2).plot();
        QVERIFY(plot && plot->isVisible());
        QCOMPARE(plot->parentWidget(), f.channel(2).widgets().fraPort);
        QTRY_COMPARE(pane->geometry(), designed);
        QCOMPARE(plot->geometry(), QRect(designed.bottomLeft() + QPoint(0, 1),
                                         QSize(designed.width(), plot->height())));
        QCOMPARE(f.controls().minimumSize(), least + QSize(0, plot->height()));
        here->trigger();
        QCOMPARE(f.controls().minimumSize(), least);
        QTRY_COMPARE(pane->geometry(), designed);
    }
};

QTEST_MAIN(TestPlotWindow)
#include "tst_plot_window.moc"
