// View > Comm Port N > Plot: the window it opens plots that channel's numbers.
#include "devices/capture_session.h"
#include "ui/display_window.h"
#include "ui/plot_view.h"
#include "ui/plot_window.h"

#include <QAction>
#include <QDateTime>
#include <QTest>

class TestPlotWindow : public QObject
{
    Q_OBJECT

private slots:
    void viewMenuOpensTheChannelsPlot()
    {
        CaptureSession session;
        DisplayWindow window(session);
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
};

QTEST_MAIN(TestPlotWindow)
#include "tst_plot_window.moc"
