#pragma once

#include "devices/file_transfer.h"

#include <QDialog>
#include <QTimer>

class Channel;
class QLabel;
class QProgressBar;
class QPushButton;

// The progress of a file going by XMODEM, YMODEM or ZMODEM: one line such as
// "sending FILE by ZMODEM: n of m bytes", and Cancel. Modeless, so the
// window stays live; it closes itself when the transfer ends and says why
// when it did not get to the end.
//
// A received file is moved from the transfer's own folder into the chosen
// one; for a name that is already there the operator chooses Replace or
// Keep Both (FileTransfer::moveReceivedFiles). Every name, path and word of
// the program is shown as plain text, escaped (shownText).
class TransferDialog : public QDialog
{
    Q_OBJECT

public:
    TransferDialog(Channel &channel, QWidget *parent);
    ~TransferDialog() override;

    // Start; false (said in a message) when the transfer can't start. The
    // dialog deletes itself when it closes.
    bool startSend(TransferProtocol protocol, const QString &path);
    bool startReceive(TransferProtocol protocol, const QString &folder, const QString &fileName);

    FileTransfer &transfer() { return m_transfer; }
    QLabel *progressText() const { return m_progressText; }

signals:
    void ended(FileTransfer::Outcome outcome);

protected:
    void reject() override; // Escape or the window's close: Cancel

private:
    bool started(bool ok, const QString &what);
    void showProgress();
    void onFinished(FileTransfer::Outcome outcome);
    // Moves the received files into the chosen folder; a line for each:
    // its name, where it went, or why it stayed.
    QStringList moveReceivedFiles();

    Channel &m_channel;
    FileTransfer m_transfer;
    QProgressBar *m_bar = nullptr;
    QLabel *m_progressText = nullptr;
    QPushButton *m_cancel = nullptr;
    QTimer m_refresh;
};
