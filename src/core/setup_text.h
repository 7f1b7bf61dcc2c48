#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The shape of a setup file's text, checked before any value is read: a
// file that fails here is not a setup file, and nothing of it is applied.
// A setup is small UTF-8 text whose every line is blank, a comment (";" or
// "#"), a "[Section]" or a "key=value" line of bounded length. The values
// themselves are checked later, one key at a time.
namespace SetupText {

inline constexpr qsizetype largestFile = 1024 * 1024;
inline constexpr qsizetype longestLine = 4096;

struct Check
{
    QString problem;      // empty when the text has a setup's shape
    QStringList sections; // the sections it names, in order, each once
};

Check check(QByteArrayView text);

} // namespace SetupText
