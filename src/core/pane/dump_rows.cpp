#include "core/pane/dump_rows.h"

namespace {

constexpr int kRowBytes = 16;
constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendOffset(QByteArray &out, qint64 offset)
{
    for (int shift = 28; shift >= 0; shift -= 4)
        out.append(kHexDigits[(offset >> shift) & 0xF]);
    out.append("  ");
}

} // namespace

void DumpRows::append(QByteArray &out, QByteArrayView bytes, QByteArrayView lineBreak)
{
    out.reserve(out.size() + bytes.size() * 4 + 16);
    for (const char byte : bytes) {
        const int column = int(m_offset % kRowBytes);
        if (!m_rowOpen) {
            appendOffset(out, m_offset - column);
            for (int i = 0; i < column; ++i)
                out.append(i == 8 ? "    " : "   ");
            m_chars = QByteArray(column, ' ');
            m_rowOpen = true;
        }
        const auto v = static_cast<unsigned char>(byte);
        if (column == 8)
            out.append(' ');
        out.append(kHexDigits[v >> 4]);
        out.append(kHexDigits[v & 0xF]);
        out.append(' ');
        m_chars.append(v >= 0x20 && v < 0x7F ? byte : '.');
        ++m_offset;
        if (column == kRowBytes - 1) {
            out.append(' ');
            out.append(m_chars);
            out.append(lineBreak);
            m_rowOpen = false;
        }
    }
}

void DumpRows::breakRow()
{
    m_rowOpen = false;
}

void DumpRows::restart()
{
    m_offset = 0;
    m_rowOpen = false;
}
