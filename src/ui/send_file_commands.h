#pragma once

#include "ui/send_file_dialog.h"
#include "ui/transfer_dialog.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

class CaptureSession;
class ChannelView;
class QAction;
class QMenu;
class QWidget;

// File > "Send File to Comm Port N..." (each channel view's entry, listed
// while the view is there): streams a chosen file
// over the channel with a progress dialog, as it is (Raw) or by a protocol
// chosen after the file (TransferDialog). "Receive File from Comm Port N..."
// asks for a protocol, a folder and, for XMODEM, a name. One file at a time
// per channel: asking again brings its dialog forward. A channel with
// ZmodemAutoStart (a setup-file key) offers to receive when a ZMODEM
// sender asks to start; after the operator declines, that channel's
// requests ask nothing for its ZmodemQuietSeconds. While a request is that
// recent, Receive File's protocol choice starts at ZMODEM.
class SendFileCommands : public QObject
{
    Q_OBJECT

public:
    SendFileCommands(CaptureSession &session, QWidget *window);

    // Where the views' entries go: in `file`, before `before`.
    void placeEntries(QMenu *file, QAction *before);
    // Lists the view's send and receive entries, in channel order.
    void list(ChannelView &view);

    // Sends `path` over channel `number`; nothing (said in a message) when
    // it can't start.
    SendFileDialog *sendFile(int number, const QString &path);
    SendFileDialog *dialog(int number) const { return m_dialogs[size_t(number - 1)]; }
    TransferDialog *transfer(int number) const { return m_transfers[size_t(number - 1)]; }
    // What Receive File's protocol choice starts at for channel `number`.
    TransferProtocol receiveProtocolAtFirst(int number) const;

private:
    // Brings the channel's running send or transfer forward; false when none runs.
    bool raiseRunning(int number);
    void chooseAndSend(int number);
    void chooseAndReceive(int number);
    // A ZMODEM sender asked to start: offers to receive its file.
    void offerZmodemReceive(int number);
    void startTransfer(int number, TransferDialog *dialog, bool started);

    CaptureSession &m_session;
    QWidget *m_window;
    std::vector<QPointer<SendFileDialog>> m_dialogs; // by channel number - 1
    std::vector<QPointer<TransferDialog>> m_transfers;
    QString m_folder;
    QMenu *m_file = nullptr;
    QAction *m_afterEntries = nullptr;
    std::vector<QPointer<QAction>> m_receiveEntries; // the send entries stand before them
    bool m_offering = false; // an offer is being answered: its sender's repeats wait
    // By channel number - 1: when its last ZMODEM request came, and until
    // when its requests ask nothing after a declined one.
    std::vector<QDeadlineTimer> m_requestRecent;
    std::vector<QDeadlineTimer> m_quietAfterNo;
};
