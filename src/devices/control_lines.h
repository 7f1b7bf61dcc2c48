#pragma once

#include "devices/link_options.h"

#include <QObject>
#include <QTimer>

#include <optional>

class SerialPortComponent;

// One serial port's control lines: DTR and RTS set at each open and when
// changed, Break, and CTS, DSR, DCD and RI read ten times a second while the
// port is open (nothing runs while it is closed). A device without control
// lines (a pseudo-terminal) is found out once, at the open; nothing is tried
// on it again, and nothing is reported but refused().
class ControlLines : public QObject
{
    Q_OBJECT

public:
    static constexpr int pollMs = 100;
    static constexpr int breakMs = 250;

    explicit ControlLines(SerialPortComponent &port, QObject *parent = nullptr);

    // The port has opened: sets its output lines and starts reading the
    // inputs, unless it refuses them.
    void opened(bool dtr, bool rts);
    // The port has closed: stops reading and forgets the refusal.
    void closed();
    void setOutputs(bool dtr, bool rts);
    // Holds Break for breakMs; false when there is no port or no control
    // lines, or a Break is still being held.
    bool sendBreak();

    bool isOpen() const { return m_open; }
    bool refused() const { return m_refused; }
    bool isReading() const { return m_poll.isActive(); }
    // The inputs as last read, while they are being read.
    std::optional<InputLines> inputs() const { return m_inputs; }

signals:
    // The lines were refused, or an input changed.
    void changed();

private:
    void poll();
    void refuse();

    SerialPortComponent &m_port;
    QTimer m_poll;
    QTimer m_breakEnd;
    std::optional<InputLines> m_inputs;
    bool m_open = false;
    bool m_refused = false;
};
