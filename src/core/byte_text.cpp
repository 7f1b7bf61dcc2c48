#include "core/byte_text.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace ByteText {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Each byte's text with one space before or after it (" 4F", "4F "), four
// characters wide so a piece is one copy; the fourth is written over next.
struct HexPieceTable
{
    std::array<std::array<char, 4>, 256> before{};
    std::array<std::array<char, 4>, 256> after{};

    constexpr HexPieceTable()
    {
        for (int v = 0; v < 256; ++v) {
            before[v] = {' ', kHexDigits[v >> 4], kHexDigits[v & 0xF], ' '};
            after[v] = {kHexDigits[v >> 4], kHexDigits[v & 0xF], ' ', ' '};
        }
    }
};

constexpr HexPieceTable kHexPieces;

struct DecimalTable
{
    std::array<std::array<char, 3>, 256> digits{};
    std::array<quint8, 256> length{};

    constexpr DecimalTable()
    {
        for (int v = 0; v < 256; ++v) {
            char buf[3]{};
            int n = 0;
            if (v >= 100)
                buf[n++] = char('0' + v / 100);
            if (v >= 10)
                buf[n++] = char('0' + v / 10 % 10);
            buf[n++] = char('0' + v % 10);
            for (int i = 0; i < 3; ++i)
                digits[v][i] = buf[i];
            length[v] = quint8(n);
        }
    }
};

constexpr DecimalTable kDecimal;

} // namespace

QByteArray charToHex(char byte)
{
    const auto v = static_cast<unsigned char>(byte);
    const char digits[2] = {kHexDigits[v >> 4], kHexDigits[v & 0xF]};
    return QByteArray(digits, 2);
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray hexToChar(QByteArrayView pair)
{
    if (pair.isEmpty())
        return {};
    const int high = hexDigitValue(pair.front());
    const int low = hexDigitValue(pair.back());
    if (high < 0 || low < 0)
        return {};
    return QByteArray(1, char(high * 16 + low));
}

QByteArray plainDecimal(char byte)
{
    const auto v = static_cast<unsigned char>(byte);
    return QByteArray(kDecimal.digits[v].data(), kDecimal.length[v]);
}

QByteArray spacedDecimal(char byte)
{
    return ' ' + plainDecimal(byte);
}

void appendBytes(QByteArray &out, QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    const qsizetype start = out.size();
    out.resize(start + bytes.size());
    std::memcpy(out.data() + start, bytes.data(), size_t(bytes.size()));
}

// The receive paths format every shown byte, so these write straight into a
// buffer sized once instead of building small arrays per byte.
void appendHexPieces(QByteArray &out, QByteArrayView bytes, QByteArrayView prefix,
                     QByteArrayView suffix)
{
    const qsizetype pieceLength = prefix.size() + 2 + suffix.size();
    const qsizetype start = out.size();
    const bool spaceBefore = prefix == " " && suffix.isEmpty();
    if (spaceBefore || (prefix.isEmpty() && suffix == " ")) {
        // The layouts a pane shows, at a copy per byte (the last one writes
        // a character past the end, hence the one to spare).
        out.resize(start + bytes.size() * 3 + 1);
        writeHexPieces(out.data() + start, bytes, !spaceBefore, 0);
        out.chop(1);
        return;
    }
    out.resize(start + bytes.size() * pieceLength);
    char *p = out.data() + start;
    for (const char byte : bytes) {
        const auto v = static_cast<unsigned char>(byte);
        for (const char c : prefix)
            *p++ = c;
        *p++ = kHexDigits[v >> 4];
        *p++ = kHexDigits[v & 0xF];
        for (const char c : suffix)
            *p++ = c;
    }
}

char *writeHexPieces(char *out, QByteArrayView bytes, bool spaceAfter, qsizetype skip)
{
    const auto &table = spaceAfter ? kHexPieces.after : kHexPieces.before;
    const char *byte = bytes.begin();
    if (skip > 0 && byte != bytes.end()) {
        const auto &first = table[static_cast<unsigned char>(*byte++)];
        for (qsizetype i = std::min<qsizetype>(skip, 3); i < 3; ++i)
            *out++ = first[size_t(i)];
    }
    for (; byte != bytes.end(); ++byte) {
        std::memcpy(out, table[static_cast<unsigned char>(*byte)].data(), 4);
        out += 3;
    }
    return out;
}

void appendDecimalPieces(QByteArray &out, QByteArrayView bytes, QByteArrayView prefix,
                         QByteArrayView suffix)
{
    const qsizetype start = out.size();
    out.resize(start + bytes.size() * (prefix.size() + 3 + suffix.size()));
    char *p = out.data() + start;
    for (const char byte : bytes) {
        const auto v = static_cast<unsigned char>(byte);
        for (const char c : prefix)
            *p++ = c;
        for (int i = 0; i < kDecimal.length[v]; ++i)
            *p++ = kDecimal.digits[v][i];
        for (const char c : suffix)
            *p++ = c;
    }
    out.truncate(p - out.constData());
}

} // namespace ByteText
