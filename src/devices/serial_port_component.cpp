// The serial port component: opening and closing the device, its data, and
// its faults (line settings and control lines: serial_port_component_lines.cpp).
#include "devices/serial_port_component.h"

#include "core/receive_tuning.h"
#include "devices/port_numbering.h"

#include <QFileInfo>
#include <QPointer>
#include <QSerialPort>
#include <QSet>

#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <poll.h>
#include <unistd.h>
#endif

namespace {

// Devices held open by any component in this process. The system's exclusive
// open does not keep out a program running as root, so this list does.
QSet<QString> &claimedDevices()
{
    static QSet<QString> devices;
    return devices;
}

// One name per device, however the operator wrote it.
QString deviceKey(const QString &name)
{
#ifdef Q_OS_WIN
    QString key = name.toUpper();
    if (key.startsWith(QLatin1String("\\\\.\\")))
        key.remove(0, 4);
    return key;
#else
    const QString location = name.startsWith(u'/') ? name : QStringLiteral("/dev/") + name;
    const QString canonical = QFileInfo(location).canonicalFilePath();
    return canonical.isEmpty() ? location : canonical;
#endif
}

} // namespace

SerialPortComponent::SerialPortComponent(QObject *parent)
    : QObject(parent)
{}

SerialPortComponent::~SerialPortComponent()
{
    closePort();
}

void SerialPortComponent::setPortNumber(double number)
{
    m_portName = PortNumbering::deviceForNumber(number);
    m_noDeviceReason =
        m_portName.isEmpty()
            ? SerialPortComponent::tr("no serial device has number %1 on this machine").arg(number)
            : QString();
}

void SerialPortComponent::setPortName(const QString &deviceOrPath)
{
    m_portName = deviceOrPath;
    m_noDeviceReason.clear();
}

void SerialPortComponent::setOpenState(bool open)
{
    if (!open) {
        closePort();
        return;
    }
    if (openState()) {
        if (!m_portName.isEmpty() && deviceKey(m_portName) == m_claimedDevice) {
            m_openError.clear();
            return;
        }
        closePort();
    }
    openPort();
}

bool SerialPortComponent::openState() const
{
    return m_port && m_port->isOpen();
}

namespace {

// Why a device didn't open, in the operator's terms. Qt reports both a
// device the user may not use and one another program holds (its lock file)
// as a permission error; the file's access rights tell them apart.
QString openFailureReason(const QString &device, const QSerialPort &port)
{
    const QFileInfo file(device);
    if (!file.exists())
        return SerialPortComponent::tr("%1 does not exist (no such device)").arg(device);
    if (port.error() == QSerialPort::PermissionError) {
        if (!file.isReadable() || !file.isWritable())
            return SerialPortComponent::tr(
                       "permission denied for %1: serial devices usually belong to "
                       "the dialout group; join it (sudo usermod -aG dialout $USER) "
                       "and log in again")
                .arg(device);
        return SerialPortComponent::tr("%1 is busy: another program has it open").arg(device);
    }
    return SerialPortComponent::tr("cannot open %1: %2").arg(device, port.errorString());
}

// The device was unplugged or, for a pseudo-terminal, its other end closed:
// the file is gone, or the line reports a hang-up.
bool deviceIsGone(QSerialPort &port, const QString &device)
{
    if (port.error() == QSerialPort::ResourceError || !QFileInfo::exists(device))
        return true;
#ifdef Q_OS_UNIX
    pollfd line{int(port.handle()), POLLIN, 0};
    return line.fd >= 0 && ::poll(&line, 1, 0) > 0 && (line.revents & POLLHUP);
#else
    return false;
#endif
}

} // namespace

void SerialPortComponent::openPort()
{
    m_openError.clear();
    if (m_portName.isEmpty()) {
        m_openError = m_noDeviceReason.isEmpty()
                          ? SerialPortComponent::tr("no serial device is chosen")
                          : m_noDeviceReason;
        return;
    }
    const QString key = deviceKey(m_portName);
    if (claimedDevices().contains(key)) {
        m_openError = SerialPortComponent::tr("%1 is already open in this program").arg(m_portName);
        return;
    }

    auto *port = new QSerialPort(this);
    port->setPortName(m_portName);
    // Bounded batches keep the window responsive under a flood (see the
    // socket component).
    port->setReadBufferSize(readBufferBound);
    m_readingPaused = false;
    if (!port->open(QIODevice::ReadWrite)) {
        m_openError = openFailureReason(m_portName, *port);
        delete port;
        return;
    }

    m_port = port;
    m_openedName = m_portName;
    m_claimedDevice = key;
    claimedDevices().insert(key);
    connect(port, &QSerialPort::readyRead, this, &SerialPortComponent::onReadyRead);
    connect(port, &QSerialPort::errorOccurred, this, &SerialPortComponent::onError);
    connect(port, &QSerialPort::bytesWritten, this, &SerialPortComponent::bytesWritten);
}

qint64 SerialPortComponent::closePort()
{
    if (!m_port)
        return 0;
    QSerialPort *port = std::exchange(m_port, nullptr);
    disconnect(port, nullptr, this, nullptr);
    qint64 unwritten = 0;
    if (port->isOpen()) {
        // Hand the device whatever is still waiting to go out.
        port->flush();
        unwritten = port->bytesToWrite();
        port->close();
    }
    // Not deleted at once: this may run inside one of the port's own signals.
    port->deleteLater();
    claimedDevices().remove(m_claimedDevice);
    m_claimedDevice.clear();
    m_inUse.reset();
    return unwritten;
}

void SerialPortComponent::transmitText(QByteArrayView bytes)
{
    if (openState() && !bytes.isEmpty())
        m_port->write(bytes.data(), bytes.size());
}

qint64 SerialPortComponent::bytesToWrite() const
{
    return openState() ? m_port->bytesToWrite() : 0;
}

void SerialPortComponent::setReadingPaused(bool paused)
{
    if (paused == m_readingPaused)
        return;
    m_readingPaused = paused;
    if (paused || !m_port)
        return;
    // Setting the bound again makes the port read the device once more,
    // which it stopped doing when its buffer filled.
    m_port->setReadBufferSize(readBufferBound);
    QMetaObject::invokeMethod(this, &SerialPortComponent::onReadyRead, Qt::QueuedConnection);
}

void SerialPortComponent::onReadyRead()
{
    if (!m_port || m_readingPaused)
        return;
#ifdef Q_OS_UNIX
    QByteArray batch = takeBatch();
#else
    QByteArray batch = m_port->readAll();
#endif
    if (!batch.isEmpty())
        emit received(batch);
}

#ifdef Q_OS_UNIX
// A terminal hands over about one line-discipline buffer (4 KB) per read,
// and each trip through the event loop for the next costs more than the
// read: what else is waiting now joins this batch, up to the batch bound.
// Each read asks for all the room left: a terminal may refill its buffer
// within one read and hand over more. The port's buffer is taken out first,
// into room for the whole batch (one allocation and one copy, where
// readAll() grows its result as it goes), so the order of bytes stays; a
// failing read is left to the port to report.
QByteArray SerialPortComponent::takeBatch()
{
    constexpr qsizetype batchBound = readBufferBound; // as much as the port reads ahead
    constexpr qsizetype piece = 4096;
    const int fd = int(m_port->handle());
    const qint64 buffered = m_port->bytesAvailable();
    if (fd < 0 || buffered < piece / 2 || buffered > batchBound ||
        !receiveTuning().gatherSerialReads)
        return m_port->readAll(); // a trickle: nothing more to wait for
    QByteArray batch;
    batch.reserve(batchBound);
    batch.resize(buffered);
    batch.resize(std::max<qint64>(m_port->read(batch.data(), buffered), 0));
    while (batch.size() + piece <= batchBound) {
        const qsizetype had = batch.size();
        batch.resize(batchBound);
        const ssize_t got = ::read(fd, batch.data() + had, size_t(batchBound - had));
        batch.resize(had + std::max<ssize_t>(got, 0));
        if (got <= 0)
            break;
    }
    return batch;
}
#endif

void SerialPortComponent::onError()
{
    if (!m_port || m_quiet || m_port->error() == QSerialPort::NoError)
        return;

    // Some failures repeat endlessly while the port stays open, so the first
    // one closes it.
    QSerialPort *failing = m_port;
    // A device that went away (unplugged, or a pseudo-terminal whose other
    // end closed) shows as a resource error with a system text that means
    // nothing to the operator.
    const QString reason =
        deviceIsGone(*failing, m_openedName)
            ? SerialPortComponent::tr("the serial device %1 was removed or hung up")
                  .arg(m_openedName)
            : SerialPortComponent::tr("the serial device %1 failed: %2")
                  .arg(m_openedName, failing->errorString());
    const QPointer<SerialPortComponent> self(this);
    if (failing->bytesAvailable() > 0) {
        // Hand on what arrived before the failure, paused or not.
        m_readingPaused = false;
        onReadyRead();
        if (!self || m_port != failing)
            return;
    }
    m_droppedAtFailure = closePort();
    emit failed(reason);
}

#include "moc_serial_port_component.cpp"
