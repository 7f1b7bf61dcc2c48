#include "ui/send_file_commands.h"

#include "devices/capture_session.h"
#include "ui/channel_command_actions.h"
#include "ui/channel_view.h"
#include "ui/channel_view_actions.h"
#include "ui/program_message.h"
#include "ui/send_file_dialog.h"
#include "ui/transfer_protocol_choice.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QScopedValueRollback>

SendFileCommands::SendFileCommands(CaptureSession &session, QWidget *window)
    : QObject(window)
    , m_session(session)
    , m_window(window)
    , m_dialogs(size_t(session.channelCount()))
    , m_transfers(size_t(session.channelCount()))
    , m_requestRecent(size_t(session.channelCount()))
    , m_quietAfterNo(size_t(session.channelCount()))
{
    for (const Channel *entry : m_session.channels()) {
        const int n = entry->number();
        connect(&session.channel(n), &Channel::zmodemRequested, this,
                [this, n] { offerZmodemReceive(n); });
    }
}

void SendFileCommands::placeEntries(QMenu *file, QAction *before)
{
    m_file = file;
    m_afterEntries = before;
}

void SendFileCommands::list(ChannelView &view)
{
    const ChannelCommandActions &entries = view.actions().commands();
    const int n = view.channel().number();
    std::erase_if(m_receiveEntries, [](const QPointer<QAction> &entry) { return entry.isNull(); });
    m_file->insertAction(m_receiveEntries.empty() ? m_afterEntries
                                                  : m_receiveEntries.front().data(),
                         entries.sendFile());
    m_file->insertAction(m_afterEntries, entries.receiveFile());
    m_receiveEntries.push_back(entries.receiveFile());
    connect(entries.sendFile(), &QAction::triggered, this, [this, n] { chooseAndSend(n); });
    connect(entries.receiveFile(), &QAction::triggered, this, [this, n] { chooseAndReceive(n); });
}

bool SendFileCommands::raiseRunning(int number)
{
    QDialog *running = dialog(number);
    if (!running)
        running = transfer(number);
    if (!running)
        return false;
    running->raise();
    running->activateWindow();
    return true;
}

void SendFileCommands::chooseAndSend(int number)
{
    if (raiseRunning(number))
        return;
    if (!m_session.channel(number).isOn()) {
        showProgramMessage(m_window, tr("Switch Comm Port %1 on first.").arg(number));
        return;
    }
    const QString path = QFileDialog::getOpenFileName(
        m_window, tr("Send File to Comm Port %1").arg(number), m_folder);
    if (path.isEmpty())
        return;
    m_folder = QFileInfo(path).absolutePath();
    TransferProtocol protocol = TransferProtocol::Raw;
    if (!TransferProtocolChoice::ask(m_window, tr("Send %1").arg(QFileInfo(path).fileName()),
                                     transferProtocols(), &protocol))
        return;
    if (protocol == TransferProtocol::Raw) {
        sendFile(number, path);
        return;
    }
    auto *dialog = new TransferDialog(m_session.channel(number), m_window);
    startTransfer(number, dialog, dialog->startSend(protocol, path));
}

void SendFileCommands::chooseAndReceive(int number)
{
    if (raiseRunning(number))
        return;
    if (!m_session.channel(number).isOn()) {
        showProgramMessage(m_window, tr("Switch Comm Port %1 on first.").arg(number));
        return;
    }
    const QString title = tr("Receive File from Comm Port %1").arg(number);
    TransferProtocol protocol = receiveProtocolAtFirst(number);
    if (!TransferProtocolChoice::ask(
            m_window, title,
            {TransferProtocol::Xmodem, TransferProtocol::Ymodem, TransferProtocol::Zmodem},
            &protocol))
        return;
    const QString folder = QFileDialog::getExistingDirectory(m_window, title, m_folder);
    if (folder.isEmpty())
        return;
    m_folder = folder;
    QString name;
    if (!transferCarriesName(protocol)) {
        // XMODEM brings no name.
        name = QInputDialog::getText(m_window, title, tr("Save the file as:"));
        name = QFileInfo(name.trimmed()).fileName();
        if (name.isEmpty())
            return;
    }
    auto *dialog = new TransferDialog(m_session.channel(number), m_window);
    startTransfer(number, dialog, dialog->startReceive(protocol, folder, name));
}

TransferProtocol SendFileCommands::receiveProtocolAtFirst(int number) const
{
    return m_requestRecent[size_t(number - 1)].hasExpired() ? TransferProtocol::Xmodem
                                                            : TransferProtocol::Zmodem;
}

void SendFileCommands::offerZmodemReceive(int number)
{
    const size_t at = size_t(number - 1);
    const int quietMs = m_session.channel(number).module().zmodemQuietSeconds * 1000;
    m_requestRecent[at] = QDeadlineTimer(quietMs);
    if (m_offering || dialog(number) || transfer(number) || !m_quietAfterNo[at].hasExpired())
        return;
    QScopedValueRollback offering(m_offering, true);
    const QString title = tr("Receive File from Comm Port %1").arg(number);
    const bool yes = QMessageBox::question(m_window, programTitle(),
                                           tr("A ZMODEM sender on Comm Port %1 asks to start. "
                                              "Receive its file?")
                                               .arg(number)) == QMessageBox::Yes;
    const QString folder =
        yes ? QFileDialog::getExistingDirectory(m_window, title, m_folder) : QString();
    if (folder.isEmpty()) {
        // Declined: the sender's repeats ask nothing for a while.
        m_quietAfterNo[at] = QDeadlineTimer(quietMs);
        return;
    }
    if (!m_session.channel(number).isOn())
        return;
    m_folder = folder;
    auto *dialog = new TransferDialog(m_session.channel(number), m_window);
    startTransfer(number, dialog, dialog->startReceive(TransferProtocol::Zmodem, folder, {}));
}

void SendFileCommands::startTransfer(int number, TransferDialog *dialog, bool started)
{
    if (!started) {
        delete dialog;
        return;
    }
    m_transfers[size_t(number - 1)] = dialog;
    dialog->show();
}

SendFileDialog *SendFileCommands::sendFile(int number, const QString &path)
{
    if (dialog(number) || transfer(number))
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

#include "moc_send_file_commands.cpp"
