#include "devices/file_transfer.h"

#include "core/named_file.h"
#include "devices/channel.h"
#include "devices/serial_port_component.h"
#include "devices/socket_component.h"
#include "devices/transmit_queue.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

// How much of the program's output is offered to the link at a time, and how
// much may wait in its queue before the program's output is left unread.
constexpr qint64 pieceSize = 16 * 1024;
constexpr qint64 queuedAtMost = 64 * 1024;

} // namespace

FileTransfer::FileTransfer(Channel &channel, QObject *parent)
    : QObject(parent)
    , m_channel(channel)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(defaultQuietLimitMs);
    connect(&m_quiet, &QTimer::timeout, this, [this] {
        abort(Outcome::NoAnswer, tr("The other side sent nothing for %n second(s).", nullptr,
                                    m_quiet.interval() / 1000));
    });
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &FileTransfer::fromProgram);
    connect(&m_process, &QProcess::readyReadStandardError, this, [this] {
        m_progress.read(m_process.readAllStandardError());
        emit progressed();
    });
    connect(&m_process, &QProcess::finished, this, &FileTransfer::onProgramFinished);
    connect(&m_process, &QProcess::errorOccurred, this, &FileTransfer::onProgramError);
}

FileTransfer::~FileTransfer()
{
    if (m_running)
        abort(Outcome::Cancelled);
}

QString FileTransfer::programPath(const TransferCommand &command)
{
    if (command.program.isEmpty())
        return {};
    for (const QString &name : QStringList{command.program} + command.otherNames) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

bool FileTransfer::isAvailable(TransferProtocol protocol)
{
    return !programPath(sendCommand(protocol, {})).isEmpty() &&
           !programPath(receiveCommand(protocol, {})).isEmpty();
}

bool FileTransfer::startSend(TransferProtocol protocol, const QString &path)
{
    m_protocol = protocol;
    m_sending = true;
    m_path = path;
    // The program reads the descriptor opened and checked here, by a name
    // that leads only to it: never a pipe or a device, nor a file swapped in
    // at the path afterwards.
    m_error = m_sentFile.open(path);
    if (!m_error.isEmpty())
        return false;
    m_total = m_sentFile.size();
    m_sentFile.passTo(m_process);
    if (!start(sendCommand(protocol, m_sentFile.programPath()), m_sentFile.folder())) {
        m_sentFile.release();
        return false;
    }
    return true;
}

bool FileTransfer::startReceive(TransferProtocol protocol, const QString &folder,
                                const QString &fileName)
{
    m_protocol = protocol;
    m_sending = false;
    m_path = folder;
    m_total = 0;
    // A folder of its own: the program never meets, so never overwrites, a
    // file that is already there.
    QTemporaryDir staging(QDir(folder).filePath(QStringLiteral(".varnok-receiving-XXXXXX")));
    if (!staging.isValid()) {
        m_error = staging.errorString();
        return false;
    }
    staging.setAutoRemove(false);
    m_staging = staging.path();
    m_process.setChildProcessModifier({});
    m_sessionEnd = ZmodemHeaderSpotter(ZmodemHeaderSpotter::finishType);
    if (!start(receiveCommand(protocol, QFileInfo(fileName).fileName()), m_staging)) {
        removeStaging();
        return false;
    }
    return true;
}

bool FileTransfer::start(const TransferCommand &command, const QString &workingFolder)
{
    if (!m_channel.isOn() || m_channel.isWaiting()) {
        m_error =
            tr("Comm Port %1 is not on with a working port or connection.").arg(m_channel.number());
        return false;
    }
    const QString program = programPath(command);
    if (program.isEmpty()) {
        m_error = tr("%1 needs the program %2 from the package lrzsz, which is not installed.")
                      .arg(transferProtocolName(m_protocol), command.program);
        return false;
    }
    m_process.setProgram(program);
    m_process.setArguments(command.arguments);
    m_process.setWorkingDirectory(workingFolder);
    m_process.start();
    if (!m_process.waitForStarted()) {
        m_error = m_process.errorString();
        return false;
    }
    m_running = true;
    m_inputClosed = false;
    m_error.clear();
    m_channel.setTransferring(true);
    m_hooks << connect(&m_channel, &Channel::transferReceived, this, &FileTransfer::toProgram);
    // The queue hands the device more after each write; the program's
    // output follows.
    ChannelLink &link = m_channel.link();
    m_hooks << connect(&link.serial(), &SerialPortComponent::bytesWritten, this,
                       &FileTransfer::fromProgram);
    if (link.socket())
        m_hooks << connect(link.socket(), &SocketComponent::bytesWritten, this,
                           &FileTransfer::fromProgram);
    m_hooks << connect(&m_channel, &Channel::onChanged, this, [this](bool on) {
        if (!on)
            abort(Outcome::ChannelOff, tr("Comm Port %1 went off.").arg(m_channel.number()));
    });
    m_hooks << connect(&link, &ChannelLink::waiting, this, [this] {
        abort(Outcome::ChannelOff,
              tr("Comm Port %1 lost its port or connection.").arg(m_channel.number()));
    });
    m_quiet.start();
    return true;
}

void FileTransfer::fromProgram()
{
    TransmitQueue &queue = m_channel.link().queue();
    while (m_running && queue.pending() < queuedAtMost) {
        if (m_held.isEmpty()) {
            m_held = m_process.read(pieceSize);
            if (!m_sending && m_protocol == TransferProtocol::Zmodem && m_sessionEnd.spot(m_held)) {
                m_inputClosed = true; // the session is over: see the class's comment
                m_process.closeWriteChannel();
            }
        }
        if (m_held.isEmpty() || !m_channel.sendUntyped(Transmission(m_held)))
            return; // nothing more yet, or offered again after the next write
        m_held.clear();
    }
}

void FileTransfer::toProgram(const QByteArray &batch)
{
    m_quiet.start();
    if (!m_inputClosed)
        m_process.write(batch);
}

void FileTransfer::onProgramFinished(int exitCode, QProcess::ExitStatus status)
{
    if (!m_running)
        return;
    // Its last words (the end of the session) still go out.
    m_process.setReadChannel(QProcess::StandardOutput);
    m_progress.read(m_process.readAllStandardError());
    m_held += m_process.readAllStandardOutput();
    if (!m_held.isEmpty() && m_channel.sendUntyped(Transmission(m_held)))
        m_held.clear();
    if (status == QProcess::NormalExit && exitCode == 0) {
        finish(Outcome::Done);
        return;
    }
    const QStringList words = m_progress.lastWords();
    m_error = words.isEmpty() ? tr("%1 ended with status %2.")
                                    .arg(QFileInfo(m_process.program()).fileName())
                                    .arg(exitCode)
                              : words.join(QLatin1Char('\n'));
    finish(Outcome::Failed);
}

void FileTransfer::onProgramError(QProcess::ProcessError error)
{
    // A program that could not start is reported by start(); one that
    // crashed ends through finished().
    if (m_running && error == QProcess::FailedToStart) {
        m_error = m_process.errorString();
        finish(Outcome::Failed);
    }
}

void FileTransfer::cancel()
{
    abort(Outcome::Cancelled);
}

void FileTransfer::abort(Outcome outcome, const QString &error)
{
    if (!m_running)
        return;
    m_error = error;
    // The other side stops too; the channel may already be off.
    m_channel.sendUntyped(Transmission(transferCancelSequence()));
    finish(outcome);
}

void FileTransfer::finish(Outcome outcome)
{
    if (!m_running)
        return;
    m_running = false;
    m_quiet.stop();
    for (const QMetaObject::Connection &hook : std::as_const(m_hooks))
        disconnect(hook);
    m_hooks.clear();
    m_held.clear();
    m_channel.setTransferring(false);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill(); // by its PID
        m_process.waitForFinished(3000);
    }
    m_sentFile.release();
    if (!m_sending)
        settleReceivedModes();
    emit finished(outcome);
}

void FileTransfer::settleReceivedModes()
{
    if (m_staging.isEmpty())
        return;
    const unsigned mode = newFileMode(m_staging);
    for (const QString &name : receivedFiles())
        ::chmod(QFile::encodeName(QDir(m_staging).filePath(name)).constData(), mode_t(mode));
}

QStringList FileTransfer::receivedFiles() const
{
    if (m_staging.isEmpty())
        return {};
    const QDir staging(m_staging);
    QStringList names;
    QDirIterator entries(m_staging, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                         QDirIterator::Subdirectories);
    while (entries.hasNext())
        names << staging.relativeFilePath(entries.next());
    names.sort();
    return names;
}

QList<ReceivedFile>
FileTransfer::moveReceivedFiles(const std::function<bool(const QString &name)> &replace)
{
    QList<ReceivedFile> files;
    const QDir staging(m_staging);
    for (const QString &name : receivedFiles())
        files << placeReceivedFile(staging.filePath(name), name, m_path, replace);
    removeStaging();
    return files;
}

void FileTransfer::removeStaging()
{
    if (m_staging.isEmpty())
        return;
    // Only emptied folders go: a file that was not moved out stays. The
    // deepest first, so each is empty when its turn comes.
    QStringList folders;
    QDirIterator entries(m_staging,
                         QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                         QDirIterator::Subdirectories);
    while (entries.hasNext())
        folders << entries.next();
    std::sort(folders.begin(), folders.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (const QString &folder : std::as_const(folders))
        QDir().rmdir(folder);
    if (QDir().rmdir(m_staging))
        m_staging.clear();
}

QString FileTransfer::statusText() const
{
    const QString protocol = transferProtocolName(m_protocol);
    if (m_sending)
        return tr("sending %1 by %2: %3 of %4 bytes")
            .arg(QFileInfo(m_path).fileName(), protocol, QString::number(done()),
                 QString::number(m_total));
    return tr("receiving by %1: %2 bytes").arg(protocol, QString::number(done()));
}

#include "moc_file_transfer.cpp"
