#include "devices/telnet_com_port.h"

#include "core/telnet/com_port_option.h"
#include "devices/socket_component.h"

#include <QStringList>

#include <utility>

using namespace ComPortOption;

namespace {

std::uint8_t parityValue(QSerialPort::Parity parity)
{
    switch (parity) {
    case QSerialPort::OddParity:
        return ParityOdd;
    case QSerialPort::EvenParity:
        return ParityEven;
    case QSerialPort::MarkParity:
        return ParityMark;
    case QSerialPort::SpaceParity:
        return ParitySpace;
    case QSerialPort::NoParity:
        break;
    }
    return ParityNone;
}

std::uint8_t stopValue(QSerialPort::StopBits stop)
{
    switch (stop) {
    case QSerialPort::TwoStop:
        return StopTwo;
    case QSerialPort::OneAndHalfStop:
        return StopOneAndHalf;
    case QSerialPort::OneStop:
        break;
    }
    return StopOne;
}

std::uint8_t flowValue(FlowControl flow)
{
    switch (flow) {
    case FlowControl::RtsCts:
        return FlowHardware;
    case FlowControl::XonXoff:
        return FlowXonXoff;
    case FlowControl::None:
        break;
    }
    return FlowNone;
}

bool isLineControl(std::uint8_t value)
{
    return value == DtrOn || value == DtrOff || value == RtsOn || value == RtsOff;
}

QString lineErrorsText(std::uint8_t state)
{
    QStringList errors;
    if (state & 0x02)
        errors << QStringLiteral("overrun");
    if (state & 0x04)
        errors << QStringLiteral("parity error");
    if (state & 0x08)
        errors << QStringLiteral("framing error");
    if (state & 0x10)
        errors << QStringLiteral("break");
    return errors.join(QLatin1Char(' '));
}

} // namespace

TelnetComPort::TelnetComPort(SocketComponent &socket, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
{
    m_answer.setSingleShot(true);
    m_answer.setInterval(answerMs);
    connect(&m_answer, &QTimer::timeout, this, &TelnetComPort::onAnswerTimeout);
    m_breakEnd.setSingleShot(true);
    m_breakEnd.setInterval(breakMs);
    connect(&m_breakEnd, &QTimer::timeout, this, [this] { sendControl(BreakOff); });
    connect(&m_socket, &SocketComponent::bytesWritten, this,
            &TelnetComPort::holdReadingWhileAnswersUnread);
}

void TelnetComPort::connected(const LineSettings &settings, const LinkOptions &options)
{
    m_settings = settings;
    m_options = options;
    m_state = State::Asking;
    m_confirmed.clear();
    m_linesRefused = false;
    m_unanswered.clear();
    m_inputs.reset();
    m_lineErrors.clear();
    m_ledger.clear();
    m_holdingReads = m_holdNoted = m_refusalNoted = false;
    write(m_session.start());
    m_answer.start();
    emit changed();
}

void TelnetComPort::closed()
{
    m_answer.stop();
    m_breakEnd.stop();
    m_unanswered.clear();
    m_inputs.reset();
    m_lineErrors.clear();
    m_state = State::Off;
    m_ledger.clear();
    if (std::exchange(m_holdingReads, false))
        m_socket.setReadingPaused(false, SocketComponent::Pause::AnswersUnread);
}

void TelnetComPort::receive(const QByteArray &bytes)
{
    TelnetSession::Output out;
    m_session.receive(bytes, out);
    if (!out.reply.isEmpty()) {
        write(out.reply);
        holdReadingWhileAnswersUnread();
    }
    for (const TelnetSession::ComPortEvent &event : std::as_const(out.events)) {
        switch (event.kind) {
        case TelnetSession::ComPortEvent::Accepted:
            onAccepted();
            break;
        case TelnetSession::ComPortEvent::Refused:
            refuseOption(tr("the server refused the COM port option"));
            break;
        case TelnetSession::ComPortEvent::ServerReply:
            onServerReply(event.code, event.value);
            break;
        }
    }
    if (!out.data.isEmpty())
        emit received(out.data);
}

void TelnetComPort::send(QByteArrayView data)
{
    m_ledger.sent(m_socket.bytesToWrite());
    m_ledger.data(data);
    m_socket.sendText(TelnetSession::escape(data));
}

void TelnetComPort::write(const QByteArray &command)
{
    m_ledger.sent(m_socket.bytesToWrite());
    m_ledger.command(command.size());
    m_socket.sendText(command);
}

qint64 TelnetComPort::unsentCommands() const
{
    const qint64 unsent = m_socket.bytesToWrite();
    return unsent - m_ledger.dataIn(unsent);
}

void TelnetComPort::holdReadingWhileAnswersUnread()
{
    // Paused past the bound, resumed below half of it: a server that reads
    // slowly does not make the channel pause and resume on every read.
    const qint64 unsent = unsentCommands();
    const bool hold = m_holdingReads ? unsent > maxUnsentAnswers / 2 : unsent > maxUnsentAnswers;
    if (hold == m_holdingReads)
        return;
    m_holdingReads = hold;
    m_socket.setReadingPaused(hold, SocketComponent::Pause::AnswersUnread);
    if (hold && !std::exchange(m_holdNoted, true))
        emit noted(tr("the server sends Telnet requests and does not read the answers: "
                      "reading paused until it does"));
}

void TelnetComPort::onAccepted()
{
    if (m_state != State::Asking && m_state != State::Refused)
        return;
    m_answer.stop();
    m_state = State::Accepted;
    sendLineSettings();
    // Line errors only: a notice for every byte that is ready would flood.
    sendCommand(SetLineStateMask, QByteArray(1, char(0x1e)));
    sendControl(flowValue(m_options.flow));
    sendLines(m_options.dtr, m_options.rts);
    emit changed();
}

void TelnetComPort::refuseOption(const QString &why)
{
    if (m_state == State::Refused || m_state == State::Off)
        return;
    m_answer.stop();
    m_state = State::Refused;
    emit changed();
    // A server that takes the option back and forth is told once.
    if (!std::exchange(m_refusalNoted, true))
        emit noted(tr("%1: a raw Telnet connection, without settings or control lines").arg(why));
}

void TelnetComPort::setOptions(const LinkOptions &options)
{
    const LinkOptions before = std::exchange(m_options, options);
    if (m_state != State::Accepted)
        return;
    if (options.flow != before.flow)
        sendControl(flowValue(options.flow));
    if (options.dtr != before.dtr || options.rts != before.rts || options.flow != before.flow)
        sendLines(options.dtr, options.rts);
}

void TelnetComPort::setLineSettings(const LineSettings &settings)
{
    m_settings = settings;
    if (m_state != State::Accepted)
        return;
    sendLineSettings();
    emit changed();
}

void TelnetComPort::sendLineSettings()
{
    sendCommand(SetBaudRate, baudRateValue(std::uint32_t(m_settings.baudRate)));
    sendCommand(SetDataSize, QByteArray(1, char(m_settings.dataBits)));
    sendCommand(SetParity, QByteArray(1, char(parityValue(m_settings.parity))));
    sendCommand(SetStopSize, QByteArray(1, char(stopValue(m_settings.stopBits))));
}

bool TelnetComPort::sendBreak()
{
    if (m_state != State::Accepted || m_breakEnd.isActive())
        return false;
    sendControl(BreakOn);
    m_breakEnd.start();
    return true;
}

void TelnetComPort::sendCommand(std::uint8_t command, QByteArrayView value)
{
    m_confirmed.asked(command, value);
    write(TelnetSession::comPortCommand(command, value));
}

void TelnetComPort::sendControl(std::uint8_t value)
{
    sendCommand(SetControl, QByteArray(1, char(value)));
}

void TelnetComPort::sendLines(bool dtr, bool rts)
{
    if (m_linesRefused)
        return;
    QList<std::uint8_t> values{std::uint8_t(dtr ? DtrOn : DtrOff)};
    // Under RTS/CTS flow control the server's driver drives RTS.
    if (m_options.flow != FlowControl::RtsCts)
        values.append(rts ? RtsOn : RtsOff);
    for (const std::uint8_t value : values) {
        sendControl(value);
        m_unanswered.append(value);
    }
    m_answer.start();
}

void TelnetComPort::onServerReply(std::uint8_t code, const QByteArray &value)
{
    const std::optional<std::uint8_t> byte = byteValue(value);
    if (code >= serverOffset) {
        if (const std::optional<QString> differs =
                m_confirmed.answered(std::uint8_t(code - serverOffset), value)) {
            if (!differs->isEmpty())
                emit noted(*differs);
            emit changed();
        }
    }
    switch (code - serverOffset) {
    case NotifyModemState:
        if (byte) {
            m_inputs = InputLines{bool(*byte & Cts), bool(*byte & Dsr), bool(*byte & Dcd),
                                  bool(*byte & Ri)};
            emit changed();
        }
        break;
    case NotifyLineState:
        if (byte) {
            m_lineErrors = lineErrorsText(*byte);
            emit changed();
        }
        break;
    case SetControl:
        if (byte && isLineControl(*byte)) {
            if (!m_unanswered.removeOne(*byte)) {
                refuseLines(tr("the server kept its DTR and RTS"));
                break;
            }
            if (m_unanswered.isEmpty())
                m_answer.stop();
        }
        break;
    default:
        break;
    }
}

void TelnetComPort::onAnswerTimeout()
{
    if (m_state == State::Asking) {
        refuseOption(tr("the server did not answer the COM port option"));
        return;
    }
    if (!m_unanswered.isEmpty())
        refuseLines(tr("the server did not answer DTR and RTS"));
}

void TelnetComPort::refuseLines(const QString &why)
{
    m_unanswered.clear();
    m_answer.stop();
    if (m_linesRefused)
        return;
    m_linesRefused = true;
    emit changed();
    emit noted(tr("%1: the remote device has no control lines").arg(why));
}

#include "moc_telnet_com_port.cpp"
