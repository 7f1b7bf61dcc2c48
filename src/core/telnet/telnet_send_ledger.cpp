#include "core/telnet/telnet_send_ledger.h"

#include <algorithm>

namespace {

constexpr char iac = char(0xFF);

} // namespace

void TelnetSendLedger::data(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    const qint64 wire = bytes.size() + std::count(bytes.begin(), bytes.end(), iac);
    m_pieces.push_back({bytes.toByteArray(), wire});
    m_wire += wire;
}

void TelnetSendLedger::command(qsizetype wireBytes)
{
    if (wireBytes <= 0)
        return;
    m_pieces.push_back({{}, wireBytes});
    m_wire += wireBytes;
}

void TelnetSendLedger::sent(qint64 unsentWire)
{
    while (!m_pieces.empty() && m_wire - m_pieces.front().wire >= unsentWire) {
        m_wire -= m_pieces.front().wire;
        m_pieces.pop_front();
    }
}

qint64 TelnetSendLedger::dataIn(qint64 unsentWire) const
{
    qint64 count = 0;
    qint64 left = unsentWire;
    for (auto piece = m_pieces.rbegin(); piece != m_pieces.rend() && left > 0; ++piece) {
        if (left >= piece->wire) {
            count += piece->data.size();
            left -= piece->wire;
            continue;
        }
        // Partly sent: walk its data from the end until the unsent part is
        // covered. A command's data is empty, so it adds nothing.
        for (auto byte = piece->data.crbegin(); byte != piece->data.crend() && left > 0; ++byte) {
            left -= *byte == iac ? 2 : 1;
            ++count;
        }
        break;
    }
    return count;
}

void TelnetSendLedger::clear()
{
    m_pieces.clear();
    m_wire = 0;
}
