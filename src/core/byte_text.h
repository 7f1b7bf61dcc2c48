#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Small pure helpers between one byte and its text forms. Byte text holds one
// char per byte, the char's code being the byte's value.
namespace ByteText {

// Two upper-case hexadecimal digits, high digit first ("0A" for 10).
QByteArray charToHex(char byte);

// Reads the first and the last character of `pair` (the same character when
// it has one) and returns the byte they spell, or an empty result unless both
// are hexadecimal digits (either case). What stands between them is ignored.
QByteArray hexToChar(QByteArrayView pair);

// Value of one hexadecimal digit, or -1.
int hexDigitValue(char c);

// " 65" for 65: one space, then the digits.
QByteArray spacedDecimal(char byte);

// "65" for 65: the digits alone.
QByteArray plainDecimal(char byte);

// Appends `bytes` to `out` by growing it in place. (QByteArray::append
// allocates a new block and copies everything when it must grow, which
// stalls the window for tens of milliseconds once a pane holds megabytes.)
void appendBytes(QByteArray &out, QByteArrayView bytes);

// Fast forms for the receive paths: append `prefix`, the number, `suffix`
// for every byte of `bytes` to `out`.
void appendHexPieces(QByteArray &out, QByteArrayView bytes, QByteArrayView prefix,
                     QByteArrayView suffix);
void appendDecimalPieces(QByteArray &out, QByteArrayView bytes, QByteArrayView prefix,
                         QByteArrayView suffix);
// Writes the pieces of `bytes` at `out` (" 4F" each, or "4F " with
// `spaceAfter`), the first without its first `skip` characters, and returns
// where they end. It writes one byte past that end: `out` needs room for
// bytes.size() * 3 + 1.
char *writeHexPieces(char *out, QByteArrayView bytes, bool spaceAfter, qsizetype skip);

} // namespace ByteText
