#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

// The shape of a setup file's text, checked before any value is read: a
// file that fails here is not a setup file, and nothing of it is applied.
// A setup is small UTF-8 text whose every line is blank, a comment (";" or
// "#"), a "[Section]" or a "key=value" line of bounded length that does not
// end in a lone backslash (the INI reader would join the next line to it).
// The values themselves are checked later, one key at a time.
//
// In a value a backslash starts one of three escapes: `\t` (a tab), `\\` (a
// backslash) and `\"` (a quote). These are all the program writes, and a
// hand-written file keeps to them: a send button's own escapes are written
// with the backslash doubled (`AT\\r`). Any other escape (`\r`, `\x4`,
// `\u0041`) would be turned into another text by the INI reader before the
// value is checked, so the key that holds it is named, and its value is
// refused.
namespace SetupText {

inline constexpr qsizetype largestFile = 1024 * 1024;
inline constexpr qsizetype longestLine = 4096;

// A value holding an escape a setup file does not know.
struct UnknownEscape
{
    QString key;    // "Channel1/Button1", as QSettings names it
    QString escape; // the backslash and the character after it, such as \u
};

struct Check
{
    QString problem;                     // empty when the text has a setup's shape
    QStringList sections;                // the sections it names, in order, each once
    QList<UnknownEscape> unknownEscapes; // the first per line, in the file's order
};

Check check(QByteArrayView text);

} // namespace SetupText
