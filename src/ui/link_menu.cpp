#include "ui/link_menu.h"

#include "devices/capture_session.h"
#include "ui/bridge_dialog.h"
#include "ui/channel_view.h"
#include "ui/channel_view_actions.h"

#include <QAction>
#include <QMenu>

LinkMenu::LinkMenu(CaptureSession &session, QWidget *window)
    : QObject(window)
    , m_session(session)
    , m_window(window)
    , m_menu(new QMenu(tr("&Link"), window))
{
    m_menu->setObjectName(QStringLiteral("mnuLink"));
    m_beforeBridge = m_menu->addSeparator();
    auto *bridge = m_menu->addAction(tr("&Bridge..."));
    bridge->setObjectName(QStringLiteral("mnuLinkBridge"));
    connect(bridge, &QAction::triggered, this, &LinkMenu::chooseBridge);
}

void LinkMenu::chooseBridge()
{
    if (const std::optional<BridgeChoice> chosen =
            askBridgeChoice(m_window, m_session.bridge().choice(), m_session.channelCount()))
        m_session.setBridge(*chosen);
}

void LinkMenu::list(ChannelView &view)
{
    const auto at = size_t(view.channel().number() - 1);
    if (m_views.size() <= at)
        m_views.resize(at + 1);
    m_views[at] = &view;
    m_menu->insertMenu(m_beforeBridge, view.actions().linkPart());
}

const LinkMenu::Actions &LinkMenu::actions(int channel) const
{
    const ChannelView *view = m_views.at(size_t(channel - 1));
    Q_ASSERT(view);
    return view->actions().link().actions();
}

#include "moc_link_menu.cpp"
