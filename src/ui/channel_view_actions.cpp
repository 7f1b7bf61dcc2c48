#include "ui/channel_view_actions.h"

#include "devices/channel.h"
#include "ui/channel_command_actions.h"
#include "ui/channel_link_actions.h"
#include "ui/channel_time_actions.h"
#include "ui/receive_view_menu.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

// The texts keep the translation contexts of the menus that list them.
ChannelViewActions::ChannelViewActions(Channel &channel, QWidget *view)
    : QObject(view)
    , m_times(new ChannelTimeActions(channel, view))
    , m_link(new ChannelLinkActions(channel, view))
    , m_commands(new ChannelCommandActions(channel, view))
    , m_viewPart(new QMenu(QCoreApplication::translate("ViewMenu", "Comm Port &%1"), view))
    , m_linkPart(new QMenu(QCoreApplication::translate("LinkMenu", "Comm Port &%1"), view))
    , m_receiveViewPart(makeReceiveViewPart(channel, view))
    , m_plotWindow(new QAction(QCoreApplication::translate("PlotCommands", "P&lot"), this))
    , m_plotHere(
          new QAction(QCoreApplication::translate("ChannelView", "Plot in This &View"), this))
{
    const int n = channel.number();
    m_viewPart->setTitle(m_viewPart->title().arg(n));
    m_viewPart->setObjectName(QStringLiteral("mnuViewPort%1").arg(n));
    m_times->addTo(m_viewPart);
    m_viewPart->addSeparator();
    m_viewPart->addAction(m_plotWindow);
    m_plotWindow->setObjectName(QStringLiteral("mnuViewPlot%1").arg(n));
    m_plotWindow->setToolTip(QCoreApplication::translate(
        "PlotCommands", "The numbers the channel receives, plotted over time"));

    m_linkPart->setTitle(m_linkPart->title().arg(n));
    m_linkPart->setObjectName(QStringLiteral("mnuLinkPort%1").arg(n));
    m_link->addTo(m_linkPart);

    m_plotHere->setObjectName(QStringLiteral("actPlotInView%1").arg(n));
    m_plotHere->setCheckable(true);
}

QList<QAction *> ChannelViewActions::paneEntries() const
{
    return {m_commands->sendButtons(), m_plotHere, m_times->paneMenu()->menuAction(),
            m_link->paneMenu()->menuAction()};
}
