#include "devices/sent_file_handover.h"

#include "core/named_file.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>

QString SentFileHandover::open(const QString &path)
{
    release();
    const QString error = NamedFile::open(m_file, path);
    if (!error.isEmpty())
        return error;
    auto folder = std::make_unique<QTemporaryDir>(
        QDir(QDir::tempPath()).filePath(QStringLiteral("varnok-send-XXXXXX")));
    m_name = QFileInfo(path).fileName();
    const QString target = QStringLiteral("/proc/self/fd/%1").arg(m_file.handle());
    if (!folder->isValid() || !QFile::link(target, folder->filePath(m_name))) {
        m_file.close();
        return folder->isValid() ? tr("A private name for the file could not be made.")
                                 : folder->errorString();
    }
    m_folder = std::move(folder);
    return {};
}

void SentFileHandover::passTo(QProcess &process) const
{
    // Qt opens files close-on-exec; in the child alone the flag is cleared
    // (fcntl is safe between fork and exec), so no other program started
    // here inherits the descriptor.
    const int descriptor = m_file.handle();
    process.setChildProcessModifier([descriptor] { ::fcntl(descriptor, F_SETFD, 0); });
}

QString SentFileHandover::programPath() const
{
    return m_folder ? m_folder->filePath(m_name) : QString();
}

QString SentFileHandover::folder() const
{
    return m_folder ? m_folder->path() : QString();
}

void SentFileHandover::release()
{
    m_folder.reset();
    m_file.close();
    m_name.clear();
}
