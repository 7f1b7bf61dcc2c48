#include "ui/display_window.h"

#include "devices/capture_session.h"
#include "devices/port_numbering.h"
#include "devices/port_numbering_watch.h"
#include "ui/about_box.h"
#include "ui/capture_menu.h"
#include "ui/capture_pane.h"
#include "ui/channel_command_actions.h"
#include "ui/channel_group.h"
#include "ui/channel_status_bar.h"
#include "ui/channel_view.h"
#include "ui/channel_view_actions.h"
#include "ui/display_controls.h"
#include "ui/format_dialog.h"
#include "ui/help_menu.h"
#include "ui/last_setup.h"
#include "ui/line_ending_menu.h"
#include "ui/link_menu.h"
#include "ui/monitor_commands.h"
#include "ui/plot_commands.h"
#include "ui/print_command.h"
#include "ui/print_dialog_component.h"
#include "ui/program_icon.h"
#include "ui/receive_view_menu.h"
#include "ui/replay_commands.h"
#include "ui/script_commands.h"
#include "ui/send_button_commands.h"
#include "ui/send_file_commands.h"
#include "ui/serial_setup_dialog.h"
#include "ui/setup_commands.h"
#include "ui/transmit_edit.h"
#include "ui/view_menu.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScopedValueRollback>

#include <vector>

DisplayWindow::DisplayWindow(CaptureSession &session, QWidget *parent)
    : QMainWindow(parent)
    , m_session(session)
    , m_printDialogFactory([] { return std::make_unique<QtPrintDialogComponent>(); })
{
    setObjectName(QStringLiteral("frmDisplay"));
    setWindowTitle(tr("Varnok Terminal"));
    setWindowIcon(programIcon());
    buildMenus();
    // Under the channel groups, which keep their design size: the window
    // grows by the line's height.
    m_statusLine = new ChannelStatusBar(session, this);
    setStatusBar(m_statusLine);
}

DisplayWindow::~DisplayWindow()
{
    unload();
}

void DisplayWindow::buildMenus()
{
    auto addEntry = [this](QMenu *menu, const char *name, const QString &caption,
                           void (DisplayWindow::*command)()) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, command);
        return action;
    };
    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    m_setupCommands = new SetupCommands(m_session, this);
    m_setupCommands->addEntries(file);
    file->addSeparator();
    m_sendFileCommands = new SendFileCommands(m_session, this);
    m_sendFileCommands->placeEntries(file, (new ReplayCommands(m_session, this))->addEntries(file));
    file->addSeparator();
    m_scriptCommands = new ScriptCommands(m_session, this);
    m_scriptCommands->addEntries(file);
    file->addSeparator();
    m_plotCommands = new PlotCommands(m_session, this);
    m_plotCommands->addFileEntries(file);
    addEntry(file, "mnuFilePrint", tr("&Print"), &DisplayWindow::print)
        ->setShortcut(QKeySequence::Print);
    QAction *exit = addEntry(file, "mnuFileExit", tr("&Exit"), &DisplayWindow::exitProgram);
    // Desktops without a standard Quit key still get the usual one.
    exit->setShortcuts(QKeySequence::keyBindings(QKeySequence::Quit).isEmpty()
                           ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Q)}
                           : QKeySequence::keyBindings(QKeySequence::Quit));
    QMenu *setup = menuBar()->addMenu(tr("&Setup"));
    setup->setObjectName(QStringLiteral("mnuSetup"));
    addEntry(setup, "mnuSetupSerial", tr("&Serial"), &DisplayWindow::showSerialSetup);
    addEntry(setup, "mnuSetupFormat", tr("&Format"), &DisplayWindow::showFormat);
    m_enterSendsMenu = addLineEndingMenu(setup);
    m_receiveViewMenu = addReceiveViewMenu(setup);
    m_sendButtonCommands = new SendButtonCommands(m_session, this);
    m_sendButtonCommands->addEntries(setup);
    m_captureMenu = new CaptureMenu(m_session, this);
    menuBar()->addMenu(m_captureMenu->menu());
    m_linkMenu = new LinkMenu(m_session, this);
    menuBar()->addMenu(m_linkMenu->menu());
    m_viewMenu = new ViewMenu(this);
    menuBar()->addMenu(m_viewMenu->menu());
    m_monitorCommands = new MonitorCommands(m_session, this);
    m_monitorCommands->addViewEntry(m_viewMenu->menu());
    QMenu *help = menuBar()->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    auto *helpMenu = new HelpMenu(this, help);
    connect(helpMenu->aboutEntry(), &QAction::triggered, this, &DisplayWindow::showAbout);
}

void DisplayWindow::load(Channel::PaneOnLoad panes)
{
    if (m_controls)
        return;
    // 1. The per-window modes go back to their defaults (the transmit
    //    records are kept), and the receive panes start empty unless kept.
    for (Channel *channel : m_session.channels())
        channel->load(panes);

    // 2. New controls, bound to the channels.
    m_controls = new DisplayControls(m_session, this);
    setCentralWidget(m_controls);
    m_dlgPrint = m_printDialogFactory();

    // 3. Working controls stay disabled until their channel is switched on,
    //    channel 1's TCP fields show only while "TCP" is chosen, the port
    //    lists are filled, and the menus list each view's parts.
    const PortNumbering::PortList ports = PortNumbering::portList();
    for (int n : m_session.channelNumbers()) {
        ChannelView &view = m_controls->view(n);
        view.group().showLoaded(ports);
        m_sendFileCommands->list(view);
        m_enterSendsMenu->addMenu(view.actions().commands().enterSendsPart());
        m_receiveViewMenu->addMenu(view.actions().receiveViewPart());
        m_sendButtonCommands->list(view);
        m_captureMenu->list(view);
        m_viewMenu->list(view);
        m_linkMenu->list(view);
    }

    // The port lists follow devices plugged in and out while the window is up.
    auto *watch = new PortListWatch(m_controls);
    connect(watch, &PortListWatch::changed, m_controls, [this] {
        const PortNumbering::PortList now = PortNumbering::portList();
        for (int n : m_session.channelNumbers())
            m_controls->group(n).refreshPortList(now);
    });

    // 4. The sign-on splash has done its work.
    if (m_closeSignOn)
        std::exchange(m_closeSignOn, {})();
}

namespace {

constexpr int fileWaitOnExitMs = 5000;

} // namespace

void DisplayWindow::closeConnections(bool waitForFiles)
{
    for (Channel *channel : m_session.channels())
        channel->unload();
    m_session.recordings().stopAll();
    // A disk that does not answer must not keep the program from ending.
    if (waitForFiles)
        m_session.recordings().waitForFiles(fileWaitOnExitMs);
}

void DisplayWindow::unload()
{
    // The files are finished on their own threads meanwhile.
    closeConnections(false);
    m_dlgPrint.reset();
    delete m_controls.data();
}

void DisplayWindow::reload()
{
    // What each channel was chosen to use stays; it ends switched off.
    ChannelChoiceList kept;
    for (const Channel *channel : m_session.channels())
        kept.append(channel->choices());
    // A log's notes stay in English whatever the window's language.
    m_session.recordings().noteInLogs(
        m_session.channelNumbers(),
        QStringLiteral("switched off: the serial settings were applied"));
    // The plots open in a window or in a view stay open, showing what they showed.
    std::vector<ChannelView::Handover> plots;
    for (int n : m_session.channelNumbers())
        plots.push_back(m_controls ? m_controls->view(n).handOver() : ChannelView::Handover{});
    unload();
    load(Channel::PaneOnLoad::Kept);
    for (int n : m_session.channelNumbers())
        m_controls->view(n).takeOver(plots.at(size_t(n - 1)));
    for (Channel *channel : m_session.channels()) {
        ChannelChoices choices = kept.at(channel->number() - 1);
        choices.on = false;
        channel->setChoices(choices);
    }
    show();
}

void DisplayWindow::print()
{
    // The window stays live while a job prints: one job at a time.
    if (!m_controls || !m_dlgPrint || m_printing)
        return;
    const QScopedValueRollback<bool> printing(m_printing, true);
    // The print command takes a pane in the format it shows: on the form
    // channel 1's, in the resizable layout the one whose view holds the
    // focus (channel 1's when none does).
    const int focused = m_controls->isForm() ? 0 : m_controls->channelInFocus();
    const Channel &channel = m_session.channel(focused > 0 ? focused : 1);
    printReceivePane(channel.pane(), channel.modes().format == ReceiveFormat::Ascii, this,
                     *m_dlgPrint, channel.paneTimes().form);
}

void DisplayWindow::exitProgram()
{
    m_setupCommands->lastSetup()->saveOnExit();
    closeConnections(true);
    QCoreApplication::quit();
}

namespace {

// Dialogs are single instances: asking again brings the open one forward.
template <typename Dialog, typename... Args>
Dialog *showSingle(QPointer<Dialog> &dialog, Args &&...args)
{
    if (!dialog)
        dialog = new Dialog(std::forward<Args>(args)...);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

} // namespace

void DisplayWindow::showSerialSetup()
{
    const bool created = !m_serialSetup;
    SerialSetupDialog *dialog = showSingle(m_serialSetup, m_session, this);
    if (created) {
        connect(dialog, &SerialSetupDialog::applied, this, &DisplayWindow::reload);
        connect(dialog, &SerialSetupDialog::exitRequested, this, &DisplayWindow::exitProgram);
    }
}

void DisplayWindow::showFormat()
{
    showSingle(m_format, m_session, this);
}

void DisplayWindow::showAbout()
{
    showSingle(m_about, this);
}

void DisplayWindow::closeEvent(QCloseEvent *event)
{
    // The window's end releases both ports and the connection, and ends
    // the recordings with their files complete on the disk.
    m_setupCommands->lastSetup()->saveOnExit();
    closeConnections(true);
    event->accept();
}

#include "moc_display_window.cpp"
