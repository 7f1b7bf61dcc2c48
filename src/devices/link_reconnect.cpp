#include "devices/link_reconnect.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

LinkReconnect::LinkReconnect(QObject *parent)
    : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_device)
            checkDevice();
        else
            emit due();
    });
    m_settle.setSingleShot(true);
    m_settle.setInterval(settledMs);
    connect(&m_settle, &QTimer::timeout, this, &LinkReconnect::carriedData);
}

void LinkReconnect::waitForDevice(const QString &path)
{
    m_target = path;
    m_device = true;
    m_heldOff.clear();
    m_timer.setSingleShot(false);
    m_timer.start(devicePollMs);
}

void LinkReconnect::waitForPeer(const QString &peer)
{
    m_target = peer;
    m_device = false;
    m_heldOff.clear();
    m_settle.stop();
    m_timer.setSingleShot(true);
    m_timer.start(m_retryMs);
}

void LinkReconnect::retryLater()
{
    if (!isWaiting() || m_device)
        return;
    m_retryMs = qMin(2 * m_retryMs, longestRetryMs);
    m_timer.start(m_retryMs);
}

void LinkReconnect::reconnected()
{
    m_timer.stop();
    m_target.clear();
    m_heldOff.clear();
    m_retryMs = qMin(2 * m_retryMs, longestRetryMs);
    m_settle.start();
}

void LinkReconnect::carriedData()
{
    m_settle.stop();
    m_retryMs = firstRetryMs;
}

void LinkReconnect::stop()
{
    m_settle.stop();
    m_timer.stop();
    m_target.clear();
    m_heldOff.clear();
    m_retryMs = firstRetryMs;
}

bool LinkReconnect::isCharacterDevice(const QString &path)
{
    struct stat info
    {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISCHR(info.st_mode);
}

void LinkReconnect::checkDevice()
{
    if (isCharacterDevice(m_target)) {
        m_heldOff.clear();
        emit due();
        return;
    }
    m_heldOff = QFileInfo::exists(m_target) ? tr("not a serial device") : QString();
}

#include "moc_link_reconnect.cpp"
