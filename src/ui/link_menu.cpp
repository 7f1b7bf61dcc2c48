#include "ui/link_menu.h"

#include "core/shown_text.h"
#include "devices/capture_session.h"
#include "ui/bridge_dialog.h"
#include "ui/link_speed_menu.h"
#include "ui/program_message.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

LinkMenu::LinkMenu(CaptureSession &session, QWidget *window)
    : QObject(window)
    , m_session(session)
    , m_window(window)
    , m_menu(new QMenu(tr("&Link"), window))
    , m_paneMenus(size_t(session.channelCount()))
    , m_actions(size_t(session.channelCount()))
{
    m_menu->setObjectName(QStringLiteral("mnuLink"));
    for (const Channel *entry : m_session.channels()) {
        const int n = entry->number();
        build(n);
        bind(n);
        showState(n);
    }
    m_menu->addSeparator();
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

void LinkMenu::build(int n)
{
    Actions &a = m_actions.at(size_t(n - 1));
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

    a.flowMenu = new QMenu(tr("&Flow Control"), m_window);
    a.flowMenu->setObjectName(QStringLiteral("mnuLinkFlow%1").arg(n));
    auto *flows = new QActionGroup(this);
    const std::array<QString, 3> captions{tr("&None"), tr("&RTS/CTS"), tr("&XON/XOFF")};
    for (size_t i = 0; i < a.flow.size(); ++i) {
        a.flow[i] = add(QStringLiteral("mnuLinkFlow%1_") + QString::number(i), captions[i], true);
        flows->addAction(a.flow[i]);
        a.flowMenu->addAction(a.flow[i]);
    }

    a.speed = new LinkSpeedMenu(m_session.channel(n), m_window);

    // The menu bar's part and the pane's submenu share the actions.
    auto *part = m_menu->addMenu(tr("Comm Port &%1").arg(n));
    part->setObjectName(QStringLiteral("mnuLinkPort%1").arg(n));
    auto *pane = new QMenu(tr("&Link"), m_window);
    pane->setObjectName(QStringLiteral("mnuPaneLink%1").arg(n));
    m_paneMenus.at(size_t(n - 1)) = pane;
    for (QMenu *menu : {part, pane}) {
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
}

void LinkMenu::bind(int n)
{
    const Actions &a = actions(n);
    Channel &channel = m_session.channel(n);
    connect(a.reconnect, &QAction::triggered, this,
            [this, n](bool on) { setOption(n, &LinkOptions::reconnect, on); });
    connect(a.dtr, &QAction::triggered, this,
            [this, n](bool on) { setOption(n, &LinkOptions::dtr, on); });
    connect(a.rts, &QAction::triggered, this,
            [this, n](bool on) { setOption(n, &LinkOptions::rts, on); });
    connect(a.sendBreak, &QAction::triggered, &channel, &Channel::sendBreak);
    for (size_t i = 0; i < a.flow.size(); ++i)
        connect(a.flow[i], &QAction::triggered, this,
                [this, n, i] { chooseFlow(n, FlowControl(i)); });

    connect(&channel, &Channel::linkChanged, this, [this, n] { showState(n); });
}

void LinkMenu::setOption(int n, bool LinkOptions::*option, bool on)
{
    Channel &channel = m_session.channel(n);
    LinkOptions options = channel.linkOptions();
    options.*option = on;
    channel.setLinkOptions(options);
}

void LinkMenu::chooseFlow(int n, FlowControl flow)
{
    Channel &channel = m_session.channel(n);
    LinkOptions options = channel.linkOptions();
    options.flow = flow;
    const QString refused = channel.setLinkOptions(options);
    if (refused.isEmpty())
        return;
    showState(n); // the check goes back to the flow control kept
    showProgramMessage(
        m_window, tr("Comm Port %1 keeps its flow control: the device refused the new one.").arg(n),
        refused);
}

void LinkMenu::showState(int n)
{
    const Actions &a = actions(n);
    const Channel &channel = m_session.channel(n);
    const Channel::LinkAbilities link = channel.linkAbilities();
    const LinkOptions &options = channel.linkOptions();
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

#include "moc_link_menu.cpp"
