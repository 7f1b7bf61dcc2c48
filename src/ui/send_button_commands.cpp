#include "ui/send_button_commands.h"

#include "devices/capture_session.h"
#include "ui/channel_command_actions.h"
#include "ui/channel_group.h"
#include "ui/channel_view.h"
#include "ui/channel_view_actions.h"
#include "ui/send_button_bar.h"
#include "ui/transmit_edit.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

SendButtonCommands::SendButtonCommands(CaptureSession &session, QMainWindow *window)
    : QObject(window)
    , m_session(session)
    , m_window(window)
    , m_bars(size_t(session.channelCount()))
    , m_dialogs(size_t(session.channelCount()))
{
    for (const Channel *entry : m_session.channels()) {
        const int n = entry->number();
        auto *bar = new SendButtonBar(session.channel(n), window);
        // One row each, in channel order.
        if (n > 1)
            window->addToolBarBreak(Qt::BottomToolBarArea);
        window->addToolBar(Qt::BottomToolBarArea, bar);
        m_bars.at(size_t(n - 1)) = bar;
    }
}

void SendButtonCommands::addEntries(QMenu *setup)
{
    m_menu = setup->addMenu(tr("Send &Buttons"));
    m_menu->setObjectName(QStringLiteral("mnuSetupSendButtons"));
}

void SendButtonCommands::list(ChannelView &view)
{
    const ChannelCommandActions &entries = view.actions().commands();
    const int n = view.channel().number();
    m_menu->addAction(entries.sendButtonsItem());
    connect(entries.sendButtons(), &QAction::triggered, this, [this, n] { define(n); });
    bar(n)->watchKeys(view.group().widgets().txtSend);
}

void SendButtonCommands::define(int number)
{
    QPointer<SendButtonsDialog> &dialog = m_dialogs.at(size_t(number - 1));
    if (!dialog)
        dialog = new SendButtonsDialog(m_session.channel(number), m_window);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

#include "moc_send_button_commands.cpp"
