#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The bytes a send button's text stands for. Two ways to write them:
//  - escaped text: every character up to U+00FF is the byte of its code;
//    a backslash starts an escape: `\r`, `\n`, `\t`, `\\`, or `\xHH` with
//    exactly two hex digits.
//  - hex pairs: pairs of hex digits, with any white space between pairs
//    (`41 42 0d`, `41420D`).
// Text that reads gives bytes and no error; text that doesn't gives an
// error naming the first wrong place (1 = the first character), and no bytes.
namespace SendText {

struct Reading
{
    QByteArray bytes;
    QString error; // empty when the text read

    bool ok() const { return error.isEmpty(); }
};

Reading ofEscapes(QStringView text);
Reading ofHexPairs(QStringView text);
inline Reading of(QStringView text, bool hexPairs)
{
    return hexPairs ? ofHexPairs(text) : ofEscapes(text);
}

} // namespace SendText
