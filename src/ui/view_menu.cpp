#include "ui/view_menu.h"

#include "devices/channel.h"
#include "ui/channel_view.h"
#include "ui/channel_view_actions.h"

#include <QMenu>

ViewMenu::ViewMenu(QWidget *window)
    : QObject(window)
    , m_menu(new QMenu(tr("&View"), window))
{
    m_menu->setObjectName(QStringLiteral("mnuView"));
}

void ViewMenu::list(ChannelView &view)
{
    const auto at = size_t(view.channel().number() - 1);
    if (m_views.size() <= at)
        m_views.resize(at + 1);
    m_views[at] = &view;
    m_menu->addMenu(view.actions().viewPart());
}

const ViewMenu::Actions &ViewMenu::actions(int channel) const
{
    const ChannelView *view = m_views.at(size_t(channel - 1));
    Q_ASSERT(view);
    return view->actions().times().actions();
}

#include "moc_view_menu.cpp"
