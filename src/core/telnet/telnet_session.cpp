#include "core/telnet/telnet_session.h"

namespace {

QByteArray bytesOf(std::initializer_list<std::uint8_t> bytes)
{
    QByteArray out;
    for (const std::uint8_t b : bytes)
        out.append(char(b));
    return out;
}

QByteArray command(std::uint8_t verb, std::uint8_t option)
{
    return bytesOf({TelnetSession::Iac, verb, option});
}

} // namespace

bool TelnetSession::weOffer(std::uint8_t option)
{
    return option == Binary || option == SuppressGoAhead || option == ComPort;
}

bool TelnetSession::weAccept(std::uint8_t option)
{
    return option == Binary || option == SuppressGoAhead;
}

QByteArray TelnetSession::start()
{
    *this = TelnetSession();
    m_askedUs[Binary] = m_askedHim[Binary] = m_askedUs[ComPort] = true;
    return command(Will, Binary) + command(Do, Binary) + command(Will, ComPort);
}

QByteArray TelnetSession::escape(QByteArrayView data)
{
    QByteArray out;
    out.reserve(data.size() + data.count(char(Iac)));
    qsizetype from = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (std::uint8_t(data[i]) != Iac)
            continue;
        out.append(data.sliced(from, i + 1 - from));
        out.append(char(Iac));
        from = i + 1;
    }
    out.append(data.sliced(from));
    return out;
}

QByteArray TelnetSession::comPortCommand(std::uint8_t commandCode, QByteArrayView value)
{
    return bytesOf({Iac, Sb, ComPort, commandCode}) + escape(value) + bytesOf({Iac, Se});
}

void TelnetSession::receive(QByteArrayView bytes, Output &out)
{
    qsizetype runStart = 0; // plain data is copied a run at a time
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = std::uint8_t(bytes[i]);
        switch (m_state) {
        case State::Data:
            if (b == Iac) {
                out.data.append(bytes.sliced(runStart, i - runStart));
                m_state = State::Iac;
            }
            continue;
        case State::Iac:
            if (b == Iac) {
                out.data.append(char(Iac));
                m_state = State::Data;
            } else if (b >= Will && b <= Dont) {
                m_verb = b;
                m_state = State::Verb;
            } else if (b == Sb) {
                m_state = State::SbOption;
            } else {
                m_state = State::Data; // NOP, GA, and the like: nothing to do
            }
            break;
        case State::Verb:
            m_state = State::Data;
            negotiate(m_verb, b, out);
            break;
        case State::SbOption:
            m_sbOption = b;
            m_sb.clear();
            m_sbOverflow = false;
            m_state = State::SbData;
            break;
        case State::SbData:
            if (b == Iac) {
                m_state = State::SbIac;
            } else if (m_sb.size() < maxSubnegotiation) {
                m_sb.append(char(b));
            } else {
                m_sbOverflow = true;
            }
            break;
        case State::SbIac:
            if (b == Iac) {
                if (m_sb.size() < maxSubnegotiation)
                    m_sb.append(char(Iac));
                else
                    m_sbOverflow = true;
                m_state = State::SbData;
            } else if (b == Se) {
                m_state = State::Data;
                endSubnegotiation(out);
            } else {
                // A broken subnegotiation: dropped, and the IAC read as a command.
                m_sb.clear();
                m_state = State::Iac;
                --i;
            }
            break;
        }
        runStart = i + 1;
    }
    if (m_state == State::Data)
        out.data.append(bytes.sliced(runStart));
}

void TelnetSession::negotiate(std::uint8_t verb, std::uint8_t option, Output &out)
{
    const bool comPort = option == ComPort;
    switch (verb) {
    case Do:
        if (weOffer(option)) {
            if (!m_us[option] && !m_askedUs[option])
                out.reply.append(command(Will, option));
            const bool wasOn = m_us[option];
            m_us[option] = true;
            m_askedUs[option] = false;
            if (comPort && !wasOn)
                out.events.append(ComPortEvent{ComPortEvent::Accepted, 0, {}});
        } else {
            out.reply.append(command(Wont, option));
        }
        break;
    case Dont:
        if (m_us[option] || m_askedUs[option]) {
            if (m_us[option] && !m_askedUs[option])
                out.reply.append(command(Wont, option));
            m_us[option] = false;
            m_askedUs[option] = false;
            if (comPort)
                out.events.append(ComPortEvent{ComPortEvent::Refused, 0, {}});
        }
        break;
    case Will:
        if (weAccept(option)) {
            if (!m_him[option] && !m_askedHim[option])
                out.reply.append(command(Do, option));
            m_him[option] = true;
            m_askedHim[option] = false;
        } else {
            out.reply.append(command(Dont, option));
        }
        break;
    case Wont:
        if (m_him[option] || m_askedHim[option]) {
            if (m_him[option] && !m_askedHim[option])
                out.reply.append(command(Dont, option));
            m_him[option] = false;
            m_askedHim[option] = false;
        }
        break;
    }
}

void TelnetSession::endSubnegotiation(Output &out)
{
    const bool whole = !m_sbOverflow;
    m_sbOverflow = false;
    if (!whole || m_sbOption != ComPort || m_sb.isEmpty() || !m_us[ComPort]) {
        m_sb.clear();
        return;
    }
    out.events.append(
        ComPortEvent{ComPortEvent::ServerReply, std::uint8_t(m_sb.at(0)), m_sb.sliced(1)});
    m_sb.clear();
}
