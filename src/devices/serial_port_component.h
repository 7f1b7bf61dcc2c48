#pragma once

#include "devices/line_settings.h"
#include "devices/link_options.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

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

    // Applies "speed,parity,data,stop" to the open port, in place: the port
    // stays open and nothing it received is dropped. Returns an empty text
    // on success, otherwise the reason (malformed, or refused by the
    // device). The device is read back after each change: a setting it did
    // not take, or a speed more than maxSpeedDeviation from the one asked,
    // is refused, and the port then goes back to the settings it had.
    QString setLineSettings(const QString &settings);
    static constexpr double maxSpeedDeviation = 0.03;
    // The settings the open device reported after the last change, as a
    // settings string (its speed as the driver rounded it); empty when
    // closed or none were set.
    QString settingsInUse() const;

    // Flow control for the open port: an empty text on success, otherwise
    // the reason, and the port keeps its previous flow control.
    QString setFlowControl(FlowControl flow);
    // The control lines of the open port. Each answers whether the device
    // took it; one without them (a pseudo-terminal) refuses, and the port
    // stays open and working. RTS is left alone under RTS/CTS flow control.
    bool setOutputLines(bool dtr, bool rts);
    std::optional<InputLines> readInputLines();
    bool setBreak(bool on);

    // Stops reading the open port for now: once the port's own buffer is
    // full the driver's buffer fills, and with flow control the device is
    // held back. Without flow control the device may overrun it. Resuming
    // hands on what waited; a port opened anew starts reading.
    void setReadingPaused(bool paused);
    bool isReadingPaused() const { return m_readingPaused; }

    void transmitText(QByteArrayView bytes);
    // What was handed over and has not yet reached the device.
    qint64 bytesToWrite() const;
    // What the port still held to write when it last failed: dropped with it.
    qint64 droppedAtFailure() const { return m_droppedAtFailure; }

signals:
    // Everything read in one go (at most 64 KiB), never empty.
    void received(const QByteArray &batch);
    void bytesWritten(qint64 count);
    // The open port failed (unplugged, read or write error). Raised once; the
    // port is closed by then.
    void failed(const QString &reason);

private:
    void onReadyRead();
    QByteArray takeBatch();
    void onError();
    void openPort();
    // Closes without any signal; the device becomes free for other instances.
    // Returns how many bytes could not be handed to the device first.
    qint64 closePort();
    // Whether `call` (on the open port) succeeded; the error it raises is
    // answered by the result instead of closing the port.
    template <typename Call> bool quietly(Call call);
    static QStringList refusalsInReadBack(const LineSettings &wanted, const LineSettings &readBack);
    void applyQuietly(const LineSettings &settings);

    // The most the port reads ahead of its reader.
    static constexpr qint64 readBufferBound = 64 * 1024;

    QSerialPort *m_port = nullptr;
    QString m_portName;
    QString m_noDeviceReason; // set when the chosen number names no device
    QString m_openError;
    QString m_openedName;    // the port as chosen when it was opened
    QString m_claimedDevice; // this instance's entry in the process-wide list
    qint64 m_droppedAtFailure = 0;
    std::optional<LineSettings> m_inUse; // as read back from the device
    bool m_quiet = false;                // a call whose result answers its failure is running
    bool m_readingPaused = false;
};
