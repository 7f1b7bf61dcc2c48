#include "ui/send_button_commands.h"

#include "devices/capture_session.h"
#include "ui/send_button_bar.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

SendButtonCommands::SendButtonCommands(CaptureSession &session, QMainWindow *window)
    : QObject(window)
    , m_session(session)
    , m_window(window)
    , m_bars(size_t(session.channelCount()))
    , m_actions(size_t(session.channelCount()))
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
        auto *action = new QAction(tr("Send Buttons..."), this);
        action->setObjectName(QStringLiteral("mnuSendButtons%1").arg(n));
        connect(action, &QAction::triggered, this, [this, n] { define(n); });
        m_actions.at(size_t(n - 1)) = action;
    }
}

void SendButtonCommands::addEntries(QMenu *setup)
{
    QMenu *menu = setup->addMenu(tr("Send &Buttons"));
    menu->setObjectName(QStringLiteral("mnuSetupSendButtons"));
    for (const Channel *entry : m_session.channels()) {
        QAction *item = menu->addAction(tr("Comm Port &%1...").arg(entry->number()));
        connect(item, &QAction::triggered, defineAction(entry->number()), &QAction::trigger);
    }
}

void SendButtonCommands::watchKeys(int number, QWidget *transmitField)
{
    bar(number)->watchKeys(transmitField);
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
