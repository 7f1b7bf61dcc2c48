#pragma once

#include "devices/file_sender.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class Channel;
class QLabel;
class QProgressBar;
class QPushButton;

// The progress of a file going out over a channel: bytes written, the rate,
// and Cancel. Modeless, so the window stays live; it closes itself when the
// sending ends, and says how far it got when it did not get to the end.
class SendFileDialog : public QDialog
{
    Q_OBJECT

public:
    SendFileDialog(Channel &channel, QWidget *parent);

    // Starts sending; false (said in a message) when the file can't be read
    // or the channel is off. The dialog deletes itself when it closes.
    bool start(const QString &path);

    FileSender &sender() { return m_sender; }
    QLabel *progressText() const { return m_progressText; }
    QPushButton *cancelButton() const { return m_cancel; }

signals:
    void ended(FileSender::Outcome outcome);

protected:
    void reject() override; // Escape or the window's close: Cancel

private:
    void showProgress();
    void onFinished(FileSender::Outcome outcome);

    Channel &m_channel;
    FileSender m_sender;
    QLabel *m_title = nullptr;
    QProgressBar *m_bar = nullptr;
    QLabel *m_progressText = nullptr;
    QPushButton *m_cancel = nullptr;
    QTimer m_refresh;
    QElapsedTimer m_clock;
};
