#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSerialPort;

// One serial port, driven the way the channels need it: choose a port, open
// it, apply the settings string, send bytes, and hand on whatever arrives as
// one batch per read.
class SerialPortComponent : public QObject
{
    Q_OBJECT

public:
    explicit SerialPortComponent(QObject *parent = nullptr);
    ~SerialPortComponent() override; // closes the port

    // Selects the port for the next open: a port number (1..99), as read
    // from the port list ...
    void setPortNumber(double number);
    // ... or a device path such as /dev/pts/3.
    void setPortName(const QString &deviceOrPath);
    QString portName() const { return m_portName; }

    // true opens the chosen port (a failure leaves it closed: read back
    // openState()); false closes it and is harmless when already closed.
    void setOpenState(bool open);
    bool openState() const;
    // Why the last open failed, readable by the operator.
    QString openError() const { return m_openError; }

    // Applies "speed,parity,data,stop" to the open port. Returns an empty
    // text on success, otherwise the reason (malformed, or refused by the
    // device).
    QString setLineSettings(const QString &settings);

    void transmitText(QByteArrayView bytes);
    // What was handed over and has not yet reached the device.
    qint64 bytesToWrite() const;

signals:
    // Everything read in one go (at most 64 KiB), never empty.
    void received(const QByteArray &batch);
    void bytesWritten(qint64 count);
    // The open port failed (unplugged, read or write error). Raised once; the
    // port is closed by then.
    void failed(const QString &reason);

private:
    void onReadyRead();
    void onError();
    void openPort();
    // Closes without any signal; the device becomes free for other instances.
    void closePort();

    QSerialPort *m_port = nullptr;
    QString m_portName;
    QString m_noDeviceReason; // set when the chosen number names no device
    QString m_openError;
    QString m_openedName;    // the port as chosen when it was opened
    QString m_claimedDevice; // this instance's entry in the process-wide list
    bool m_applyingSettings = false;
};
