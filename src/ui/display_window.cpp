#include "ui/display_window.h"

#include "ui/channel_commands.h"
#include "ui/format_dialog.h"
#include "ui/print_command.h"
#include "ui/print_dialog_component.h"
#include "ui/channel_link.h"
#include "devices/port_numbering.h"
#include "ui/serial_setup_dialog.h"
#include "ui/about_box.h"
#include "ui/display_controls.h"
#include "ui/program_icon.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QMenuBar>
#include <QRadioButton>

DisplayWindow::DisplayWindow(ModuleValues &module, QWidget *parent)
    : QMainWindow(parent)
    , m_module(module)
    , m_printDialogFactory([] { return std::make_unique<QtPrintDialogComponent>(); })
{
    setObjectName(QStringLiteral("frmDisplay"));
    setWindowTitle(tr("Varnok Terminal"));
    setWindowIcon(programIcon());
    buildMenus();
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
    };
    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addEntry(file, "mnuFilePrint", tr("&Print"), &DisplayWindow::print);
    addEntry(file, "mnuFileExit", tr("&Exit"), &DisplayWindow::exitProgram);
    QMenu *setup = menuBar()->addMenu(tr("&Setup"));
    setup->setObjectName(QStringLiteral("mnuSetup"));
    addEntry(setup, "mnuSetupSerial", tr("&Serial"), &DisplayWindow::showSerialSetup);
    addEntry(setup, "mnuSetupFormat", tr("&Format"), &DisplayWindow::showFormat);
    QMenu *help = menuBar()->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    addEntry(help, "mnuHelpAbout", tr("&About"), &DisplayWindow::showAbout);
}

void DisplayWindow::load()
{
    if (m_controls)
        return;
    // 1. New controls: the receive panes start empty.
    m_controls = new DisplayControls(this);
    setCentralWidget(m_controls);
    ChannelControls &one = m_controls->channel1;
    ChannelControls &two = m_controls->channel2;
    m_link1 = new ChannelLink(1, one, m_module.strSettings, modes1, m_module.channel1,
                              m_controls->txtHost, m_controls->txtPort, m_controls);
    m_link2 = new ChannelLink(2, two, m_module.strSettings, modes2, m_module.channel2, nullptr,
                              nullptr, m_controls);
    m_dlgPrint = m_printDialogFactory();

    // 2. The per-window modes; the transmit records are kept.
    modes1.setLoadDefaults();
    modes2.setLoadDefaults();

    // 3. Working controls stay disabled until their channel is switched on.
    for (const ChannelControls *channel : {&one, &two})
        for (QWidget *control : channel->workingControls())
            control->setEnabled(false);

    // 4. Channel 1's TCP fields show only while "TCP" is chosen.
    for (QWidget *field : m_controls->tcpFields())
        field->setVisible(false);

    // 5. The port lists.
    fillPortLists();

    connectChannelCommands(one, modes1, *m_link1);
    connectChannelCommands(two, modes2, *m_link2);
    connect(one.cmbPort, &QComboBox::activated, m_controls, [this] {
        const bool tcp = m_controls->channel1.cmbPort->currentText() == QLatin1String("TCP");
        for (QWidget *field : m_controls->tcpFields())
            field->setVisible(tcp);
    });
    for (const auto &[channel, link] : {std::pair{&one, m_link1}, std::pair{&two, m_link2}}) {
        ChannelLink *target = link; // (clang can't capture a structured binding)
        connect(channel->optOn, &QRadioButton::clicked, target,
                [target] { target->onSwitchClicked(0); });
        connect(channel->optOff, &QRadioButton::clicked, target,
                [target] { target->onSwitchClicked(1); });
    }

    // 6. The sign-on splash has done its work.
    if (m_closeSignOn)
        std::exchange(m_closeSignOn, {})();
}

void DisplayWindow::fillPortLists()
{
    const QStringList devices = PortNumbering::devicesInOrder();
    QComboBox *list1 = m_controls->channel1.cmbPort;
    QComboBox *list2 = m_controls->channel2.cmbPort;
    const QString shown1 = list1->currentText();
    const QString shown2 = list2->currentText();

    list1->addItem(QStringLiteral("TCP"));
    list1->setItemData(0, tr("A TCP connection to the host and port shown"), Qt::ToolTipRole);
    for (int n = 1; n <= 99; ++n) {
        const QString number = QString::number(n);
        const QString device = n <= devices.size() ? devices.at(n - 1) : tr("no device");
        list1->addItem(number);
        list1->setItemData(list1->count() - 1, device, Qt::ToolTipRole);
        list2->addItem(number);
        list2->setItemData(list2->count() - 1, device, Qt::ToolTipRole);
    }
    // Filling the lists leaves the shown texts as they were.
    list1->setCurrentIndex(list1->findText(shown1));
    list2->setCurrentIndex(list2->findText(shown2));
    list1->setEditText(shown1);
    list2->setEditText(shown2);
}

void DisplayWindow::closeConnections()
{
    if (m_link1)
        m_link1->close();
    if (m_link2)
        m_link2->close();
}

void DisplayWindow::unload()
{
    closeConnections();
    delete m_link1;
    delete m_link2;
    m_link1 = m_link2 = nullptr;
    m_dlgPrint.reset();
    delete m_controls.data();
}

void DisplayWindow::reload()
{
    unload();
    load();
    show();
}

void DisplayWindow::print()
{
    if (!m_controls || !m_dlgPrint)
        return;
    const ChannelControls &one = m_controls->channel1;
    printReceivePane(*one.recvText, one.optASCII->isChecked(), this, *m_dlgPrint);
}

void DisplayWindow::exitProgram()
{
    closeConnections();
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
    SerialSetupDialog *dialog = showSingle(m_serialSetup, m_module, this);
    if (created) {
        connect(dialog, &SerialSetupDialog::applied, this, &DisplayWindow::reload);
        connect(dialog, &SerialSetupDialog::exitRequested, this, &DisplayWindow::exitProgram);
    }
}

void DisplayWindow::showFormat()
{
    showSingle(m_format, m_module, this);
}

void DisplayWindow::showAbout()
{
    showSingle(m_about, this);
}

void DisplayWindow::closeEvent(QCloseEvent *event)
{
    // The window's end releases both ports and the connection.
    closeConnections();
    event->accept();
}
