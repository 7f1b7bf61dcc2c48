#include "devices/control_lines.h"

#include "devices/serial_port_component.h"

ControlLines::ControlLines(SerialPortComponent &port, QObject *parent)
    : QObject(parent)
    , m_port(port)
{
    m_poll.setInterval(pollMs);
    connect(&m_poll, &QTimer::timeout, this, &ControlLines::poll);
    m_breakEnd.setSingleShot(true);
    m_breakEnd.setInterval(breakMs);
    connect(&m_breakEnd, &QTimer::timeout, this, [this] { m_port.setBreak(false); });
}

void ControlLines::opened(bool dtr, bool rts)
{
    m_open = true;
    m_refused = false;
    if (!m_port.setOutputLines(dtr, rts)) {
        refuse();
        return;
    }
    m_poll.start();
    poll();
}

void ControlLines::closed()
{
    const bool wasOpen = m_open;
    m_open = false;
    m_refused = false;
    m_inputs.reset();
    m_poll.stop();
    m_breakEnd.stop();
    if (wasOpen)
        emit changed();
}

void ControlLines::setOutputs(bool dtr, bool rts)
{
    if (m_open && !m_refused && !m_port.setOutputLines(dtr, rts))
        refuse();
}

bool ControlLines::sendBreak()
{
    if (!m_open || m_refused || m_breakEnd.isActive() || !m_port.setBreak(true))
        return false;
    m_breakEnd.start();
    return true;
}

void ControlLines::poll()
{
    const std::optional<InputLines> lines = m_port.readInputLines();
    if (!lines) {
        refuse();
        return;
    }
    if (lines == m_inputs)
        return;
    m_inputs = lines;
    emit changed();
}

void ControlLines::refuse()
{
    // Once: a device that can't do it now won't at the next poll either.
    m_poll.stop();
    m_inputs.reset();
    m_refused = true;
    emit changed();
}

#include "moc_control_lines.cpp"
