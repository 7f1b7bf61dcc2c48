#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What File > Print puts on paper, as lines, before any printer is involved.
namespace PrintLayout {

inline constexpr int leadingBlankLines = 4;
inline constexpr int sliceLength = 60;

// A printed text ends in a line break of its own, and every CR LF, lone LF
// or lone CR inside it starts a new line: "a\r\nb" gives "a", "b".
QStringList splitLines(const QString &text);

// The lines of one job: the blank lines at the top, then the pane's text,
// either whole (the "ASCII" layout) or cut into slices of sliceLength
// characters that together hold every character. Each piece keeps its own
// line breaks.
QStringList printLines(const QString &paneText, bool wholeText);

// The lines cut into pages of linesPerPage lines (at least one per page).
QList<QStringList> pages(const QStringList &lines, int linesPerPage);

} // namespace PrintLayout
