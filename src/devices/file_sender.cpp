#include "devices/file_sender.h"

#include "core/named_file.h"
#include "devices/channel.h"
#include "devices/serial_port_component.h"
#include "devices/socket_component.h"
#include "devices/transmit_queue.h"

#include <algorithm>

FileSender::FileSender(Channel &channel, QObject *parent)
    : QObject(parent)
    , m_channel(channel)
{}

bool FileSender::start(const QString &path)
{
    m_path = path;
    if (!m_channel.isOn()) {
        m_error = tr("Comm Port %1 is off.").arg(m_channel.number());
        return false;
    }
    if (m_channel.isWaiting()) {
        m_error = tr("Comm Port %1 is waiting for its port or connection to come back.")
                      .arg(m_channel.number());
        return false;
    }
    m_error = NamedFile::open(m_file, path);
    if (!m_error.isEmpty())
        return false;
    m_total = m_file.size();
    m_running = true;
    // The queue hands the device more after each write; reading follows.
    ChannelLink &link = m_channel.link();
    m_hooks << connect(&link.serial(), &SerialPortComponent::bytesWritten, this, &FileSender::feed);
    if (link.socket())
        m_hooks << connect(link.socket(), &SocketComponent::bytesWritten, this, &FileSender::feed);
    m_hooks << connect(&m_channel, &Channel::onChanged, this, [this](bool on) {
        if (!on)
            finish(Outcome::ChannelOff);
    });
    // A failure drops what waited to go out (first), then the link waits.
    m_hooks << connect(&m_channel, &Channel::sentDropped, this, [this](qint64 queued, qint64 held) {
        m_sent = std::max<qint64>(0, m_sent - queued - held);
    });
    m_hooks << connect(&link, &ChannelLink::waiting, this, [this] { finish(Outcome::LinkLost); });
    feed();
    return true;
}

void FileSender::cancel()
{
    if (m_running)
        finish(Outcome::Cancelled);
}

qint64 FileSender::written() const
{
    if (!m_running)
        return m_sent;
    const qint64 waiting = m_channel.link().queue().pending() + deviceBacklog();
    return std::max<qint64>(0, m_sent - waiting);
}

qint64 FileSender::deviceBacklog() const
{
    const ChannelLink &link = m_channel.link();
    switch (link.route()) {
    case ChannelLink::Route::Serial:
        return link.serial().bytesToWrite();
    case ChannelLink::Route::Tcp:
        return link.socket()->bytesToWrite();
    case ChannelLink::Route::None:
        break;
    }
    return 0;
}

void FileSender::feed()
{
    if (!m_running)
        return;
    TransmitQueue &queue = m_channel.link().queue();
    while (!m_atEnd && queue.pending() < queuedAtMost) {
        if (m_held.isEmpty()) {
            m_held = m_file.read(pieceSize);
            if (m_held.isEmpty()) {
                if (m_file.error() != QFileDevice::NoError || !m_file.atEnd()) {
                    m_error = m_file.errorString();
                    finish(Outcome::ReadFailed);
                    return;
                }
                m_atEnd = true;
                break;
            }
        }
        // Typed bytes may have filled the queue meanwhile: then the piece is
        // offered again after the next write.
        if (!m_channel.sendUntyped(Transmission(m_held)))
            break;
        m_sent += m_held.size();
        m_held.clear();
    }
    emit progressed();
    if (m_atEnd && queue.pending() == 0 && deviceBacklog() == 0)
        finish(Outcome::Sent);
}

void FileSender::finish(Outcome outcome)
{
    if (!m_running)
        return;
    m_running = false;
    for (const QMetaObject::Connection &hook : std::as_const(m_hooks))
        disconnect(hook);
    m_hooks.clear();
    m_file.close();
    emit finished(outcome);
}

#include "moc_file_sender.cpp"
