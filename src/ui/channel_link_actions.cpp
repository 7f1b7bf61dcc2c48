#include "ui/channel_link_actions.h"

#include "core/shown_text.h"
#include "devices/channel.h"
#include "ui/link_speed_menu.h"
#include "ui/program_message.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

ChannelLinkActions::ChannelLinkActions(Channel &channel, QWidget *view)
    : QObject(view)
    , m_channel(channel)
    , m_view(view)
    , m_paneMenu(new QMenu(tr("&Link"), view))
{
    m_paneMenu->setObjectName(QStringLiteral("mnuPaneLink%1").arg(channel.number()));
    build();
    addTo(m_paneMenu);
    bind();
    showState();
}

void ChannelLinkActions::build()
{
    const int n = m_channel.number();
    Actions &a = m_actions;
    const auto add = [this, n](const QString &name, const QString &caption, bool checkable) {
        auto *action = new QAction(caption, this);
        action->setObjectName(name.arg(n));
        action->setCheckable(checkable);
        return action;
    };
    a.reconnect = add(QStringLiteral("mnuLinkReconnect%1"), tr("&Reconnect Automatically"), true);
    a.reconnect->setToolTip(tr("A device that goes away is waited for and opened again; a "
                               "dropped connection is made again"));
    a.dtr = add(QStringLiteral("mnuLinkDtr%1"), tr("&DTR"), true);
    a.rts = add(QStringLiteral("mnuLinkRts%1"), tr("R&TS"), true);
    a.sendBreak = add(QStringLiteral("mnuLinkBreak%1"), tr("Send &Break"), false);

    a.flowMenu = new QMenu(tr("&Flow Control"), m_view);
    a.flowMenu->setObjectName(QStringLiteral("mnuLinkFlow%1").arg(n));
    auto *flows = new QActionGroup(this);
    const std::array<QString, 3> captions{tr("&None"), tr("&RTS/CTS"), tr("&XON/XOFF")};
    for (size_t i = 0; i < a.flow.size(); ++i) {
        a.flow[i] = add(QStringLiteral("mnuLinkFlow%1_") + QString::number(i), captions[i], true);
        flows->addAction(a.flow[i]);
        a.flowMenu->addAction(a.flow[i]);
    }
    a.speed = new LinkSpeedMenu(m_channel, m_view);
}

void ChannelLinkActions::addTo(QMenu *menu) const
{
    const Actions &a = m_actions;
    menu->setToolTipsVisible(true); // they say why an entry is disabled
    menu->addAction(a.reconnect);
    menu->addSeparator();
    menu->addAction(a.dtr);
    menu->addAction(a.rts);
    menu->addAction(a.sendBreak);
    menu->addSeparator();
    menu->addMenu(a.flowMenu);
    menu->addMenu(a.speed->menu());
}

void ChannelLinkActions::bind()
{
    const Actions &a = m_actions;
    connect(a.reconnect, &QAction::triggered, this,
            [this](bool on) { setOption(&LinkOptions::reconnect, on); });
    connect(a.dtr, &QAction::triggered, this,
            [this](bool on) { setOption(&LinkOptions::dtr, on); });
    connect(a.rts, &QAction::triggered, this,
            [this](bool on) { setOption(&LinkOptions::rts, on); });
    connect(a.sendBreak, &QAction::triggered, &m_channel, &Channel::sendBreak);
    for (size_t i = 0; i < a.flow.size(); ++i)
        connect(a.flow[i], &QAction::triggered, this, [this, i] { chooseFlow(FlowControl(i)); });

    connect(&m_channel, &Channel::linkChanged, this, &ChannelLinkActions::showState);
}

void ChannelLinkActions::setOption(bool LinkOptions::*option, bool on)
{
    LinkOptions options = m_channel.linkOptions();
    options.*option = on;
    m_channel.setLinkOptions(options);
}

void ChannelLinkActions::chooseFlow(FlowControl flow)
{
    LinkOptions options = m_channel.linkOptions();
    options.flow = flow;
    const QString refused = m_channel.setLinkOptions(options);
    if (refused.isEmpty())
        return;
    showState(); // the check goes back to the flow control kept
    showProgramMessage(m_view->window(),
                       tr("Comm Port %1 keeps its flow control: the device refused the new one.")
                           .arg(m_channel.number()),
                       refused);
}

void ChannelLinkActions::showState()
{
    const Actions &a = m_actions;
    const Channel::LinkAbilities link = m_channel.linkAbilities();
    const LinkOptions &options = m_channel.linkOptions();
    const bool tcp = link.tcp;
    const bool refused = link.linesRefused;
    const bool serialOpen = link.serialOpen;

    a.reconnect->setChecked(options.reconnect);
    a.dtr->setChecked(options.dtr);
    a.rts->setChecked(options.rts);
    a.flow.at(size_t(options.flow))->setChecked(true);

    QString noLines;
    if (refused && link.remote)
        noLines = tr("The server gives no control lines of the remote port (the status line "
                     "says why)");
    else if (refused)
        noLines = plainToolTip(tr("%1 has no control lines (a pseudo-terminal has none)")
                                   .arg(shownText(link.portName)));
    else if (tcp)
        noLines = tr("A TCP connection has no control lines");
    const bool rtsByFlow = options.flow == FlowControl::RtsCts;
    a.dtr->setEnabled(noLines.isEmpty());
    a.dtr->setToolTip(noLines.isEmpty() ? tr("Data Terminal Ready, set at each open") : noLines);
    a.rts->setEnabled(noLines.isEmpty() && !rtsByFlow);
    a.rts->setToolTip(!noLines.isEmpty() ? noLines
                      : rtsByFlow        ? tr("RTS/CTS flow control drives RTS")
                                         : tr("Request To Send, set at each open"));
    a.sendBreak->setEnabled(noLines.isEmpty() && serialOpen);
    a.sendBreak->setToolTip(!noLines.isEmpty() ? noLines
                            : serialOpen       ? tr("Holds the line in Break for 250 ms")
                                         : tr("Only while the channel is on a serial device"));
    a.flowMenu->setEnabled(!tcp);
    a.flowMenu->menuAction()->setToolTip(tcp ? tr("A TCP connection has no flow control here")
                                             : QString());
}
