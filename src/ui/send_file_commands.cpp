#include "ui/send_file_commands.h"

#include "devices/capture_session.h"
#include "ui/program_message.h"
#include "ui/send_file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

SendFileCommands::SendFileCommands(CaptureSession &session, QWidget *window)
    : QObject(window)
    , m_session(session)
    , m_window(window)
{}

void SendFileCommands::addEntries(QMenu *file)
{
    for (const ChannelListEntry &entry : channelList) {
        const int n = entry.number;
        QAction *send = file->addAction(tr("Send File to Comm Port &%1...").arg(n), this,
                                        [this, n] { chooseAndSend(n); });
        send->setObjectName(QStringLiteral("mnuFileSend%1").arg(n));
    }
}

void SendFileCommands::chooseAndSend(int number)
{
    if (SendFileDialog *running = dialog(number)) {
        running->raise();
        running->activateWindow();
        return;
    }
    if (!m_session.channel(number).isOn()) {
        showProgramMessage(m_window, tr("Switch Comm Port %1 on first.").arg(number));
        return;
    }
    const QString path = QFileDialog::getOpenFileName(
        m_window, tr("Send File to Comm Port %1").arg(number), m_folder);
    if (path.isEmpty())
        return;
    m_folder = QFileInfo(path).absolutePath();
    sendFile(number, path);
}

SendFileDialog *SendFileCommands::sendFile(int number, const QString &path)
{
    if (dialog(number))
        return nullptr;
    auto *sending = new SendFileDialog(m_session.channel(number), m_window);
    if (!sending->start(path)) {
        delete sending;
        return nullptr;
    }
    if (sending->sender().isRunning()) {
        m_dialogs[size_t(number - 1)] = sending;
        sending->show();
    }
    return sending;
}
