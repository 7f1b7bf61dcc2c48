#pragma once

#include "core/transfer_protocol.h"
#include "devices/received_files.h"
#include "devices/sent_file_handover.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class Channel;

// Sends or receives one file by XMODEM, YMODEM or ZMODEM over a channel's
// route (serial, TCP or RFC 2217) by running the matching lrzsz program
// with its standard input and output joined to the channel: what it writes
// goes out through Channel::sendUntyped, and while it runs every received
// batch goes to it instead of the pane and the recordings
// (Channel::setTransferring). Its standard error gives the progress and,
// when it fails, the words that say why.
//
// A transfer ends when the program ends (Done when it says so with exit
// status 0, Failed otherwise), when cancelled, when nothing has arrived for
// quietLimit() (the program's own time-outs can't be relied on through a
// pipe), or when the channel goes off or starts waiting to reconnect. Every
// end but Done writes the protocol's cancel sequence while the channel can
// still send, ends the program by its PID, and gives the channel's received
// bytes back to the pane.
//
// A ZMODEM receive is over once the receiving program has answered the
// sender's end of session: its input is closed then, so it ends at once
// rather than waiting out its time-outs for the sender's last "OO".
//
// A receive runs in a fresh folder of its own inside the chosen one, so the
// program never meets an existing file; receivedFiles() lists what came in
// (in sub-folders too, when the sender named one) and the caller moves each
// file into place, asking before replacing one. However a transfer ends,
// what it received keeps no mode the sender asked for: each file gets the
// mode a new file gets here (newFileMode), never executable, setuid or setgid.
class FileTransfer : public QObject
{
    Q_OBJECT

public:
    enum class Outcome
    {
        Done,
        Cancelled,
        Failed,     // the program ended with an error (error() says which)
        NoAnswer,   // nothing arrived for quietLimit()
        ChannelOff, // switched off, or its port or connection was lost
    };
    static constexpr int defaultQuietLimitMs = 60 * 1000;

    explicit FileTransfer(Channel &channel, QObject *parent = nullptr);
    ~FileTransfer() override; // ends a running program

    // The lrzsz program's path for `protocol`, or empty when lrzsz is not
    // installed (Raw needs none and gives empty too).
    static QString programPath(const TransferCommand &command);
    static bool isAvailable(TransferProtocol protocol);

    // Start the program; false (error() says why) when the channel is off or
    // waiting, the file is not a readable regular file, the folder can't take
    // a new folder, or the program can't be found or started.
    bool startSend(TransferProtocol protocol, const QString &path);
    // `fileName` names an XMODEM file; YMODEM and ZMODEM bring their names.
    bool startReceive(TransferProtocol protocol, const QString &folder,
                      const QString &fileName = {});
    void cancel();

    void setQuietLimit(int ms) { m_quiet.setInterval(ms); }
    int quietLimit() const { return m_quiet.interval(); }

    bool isRunning() const { return m_running; }
    bool isSending() const { return m_sending; }
    TransferProtocol protocol() const { return m_protocol; }
    // The file sent, or the folder received into.
    QString path() const { return m_path; }
    // File bytes moved so far, as the program reports them, and the file's
    // size when sending (0 when receiving: the size is not known ahead).
    qint64 done() const { return m_progress.bytes(); }
    qint64 total() const { return m_total; }
    // "sending FILE by ZMODEM: n of m bytes", "receiving by ZMODEM: n bytes".
    QString statusText() const;
    QString error() const { return m_error; }
    // The program's PID while it runs (0 otherwise).
    qint64 processId() const { return m_process.processId(); }

    // After a receive: the files that came in, in the folder they came into
    // (removed with removeStaging() once they are moved out), by name.
    QStringList receivedFiles() const;
    QString stagingFolder() const { return m_staging; }
    // Removes the transfer's folder and its sub-folders when they are empty.
    void removeStaging();
    // Moves each received file to its name under the chosen folder
    // (placeReceivedFile: folders made inside it, never outside; `replace`
    // decides for a name already there) and removes the transfer's folder
    // when it is left empty. Returns what became of each file, by name.
    QList<ReceivedFile> moveReceivedFiles(const std::function<bool(const QString &name)> &replace);

signals:
    void progressed();
    void finished(FileTransfer::Outcome outcome);

private:
    bool start(const TransferCommand &command, const QString &workingFolder);
    void fromProgram();
    void toProgram(const QByteArray &batch);
    void onProgramFinished(int exitCode, QProcess::ExitStatus status);
    void onProgramError(QProcess::ProcessError error);
    // Stops the program with the cancel sequence, ending with `outcome`.
    void abort(Outcome outcome, const QString &error = {});
    void finish(Outcome outcome);
    // Received files get the mode a new file gets here.
    void settleReceivedModes();

    Channel &m_channel;
    QProcess m_process;
    SentFileHandover m_sentFile; // while sending
    QTimer m_quiet;
    TransferProgressReader m_progress;
    TransferProtocol m_protocol = TransferProtocol::Zmodem;
    QString m_path;
    QString m_staging;
    QByteArray m_held; // written by the program, not yet taken by the queue
    ZmodemHeaderSpotter m_sessionEnd{ZmodemHeaderSpotter::finishType}; // in what rz writes
    qint64 m_total = 0;
    bool m_sending = false;
    bool m_running = false;
    bool m_inputClosed = false; // the program's input, at the session's end
    QString m_error;
    QList<QMetaObject::Connection> m_hooks;
};
