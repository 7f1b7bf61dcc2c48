#pragma once

#include "core/channel_list.h"
#include "ui/send_file_dialog.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>

class CaptureSession;
class QMenu;
class QWidget;

// File > "Send File to Comm Port 1..." and "...2...": streams a chosen file
// over the channel with a progress dialog. One file at a time per channel:
// asking again brings its dialog forward.
class SendFileCommands : public QObject
{
    Q_OBJECT

public:
    SendFileCommands(CaptureSession &session, QWidget *window);

    void addEntries(QMenu *file);

    // Sends `path` over channel `number`; nothing (said in a message) when
    // it can't start.
    SendFileDialog *sendFile(int number, const QString &path);
    SendFileDialog *dialog(int number) const { return m_dialogs[size_t(number - 1)]; }

private:
    void chooseAndSend(int number);

    CaptureSession &m_session;
    QWidget *m_window;
    std::array<QPointer<SendFileDialog>, channelCount> m_dialogs; // by channel number - 1
    QString m_folder;
};
