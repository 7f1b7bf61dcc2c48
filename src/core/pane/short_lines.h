#pragma once

#include "core/first_of_bytes.h"
#include "core/pane/pane_store.h"

#include <algorithm>

// Walks the whole lines of [data, end) that the default line-break rule
// ends (CR LF, a lone LF or a lone CR), reading them in place: each line's
// break is found in one pass over at most PaneStore::kShortRun bytes for
// CR, LF and any of `alsoStop`. For each, take(line, lineBreak, next) is
// called, `next` being where the line after it starts; it returns whether
// to go on. The walk stops at a longer line, at a byte of `alsoStop`, at a
// line going on past `end`, and at a CR that is the last byte before `end`
// (its LF may come next). Returns how far the bytes were looked at: the
// stop, or the end of the last line taken.
template <typename Take, typename... Stops>
const char *takeShortLines(const char *data, const char *end, Take take, Stops... alsoStop)
{
    for (const char *p = data; p < end;) {
        const qsizetype near = std::min<qsizetype>(end - p, PaneStore::kShortRun);
        const char *lineBreak = p + firstOfBytes(p, near, '\n', '\r', alsoStop...);
        if (lineBreak == p + near)
            return lineBreak; // a longer line, or one going on past `end`
        if (sizeof...(alsoStop) > 0 && *lineBreak != '\n' && *lineBreak != '\r')
            return lineBreak;
        if (*lineBreak == '\r' && lineBreak + 1 == end)
            return lineBreak;
        const char *next = lineBreak + (*lineBreak == '\r' && lineBreak[1] == '\n' ? 2 : 1);
        if (!take(p, lineBreak, next))
            return p;
        p = next;
    }
    return end;
}
