#pragma once

#include "core/first_of_bytes.h"

// A CR or LF.
inline bool isLineEndByte(char c)
{
    return c == '\n' || c == '\r';
}

// Where the first CR or LF in [data, data + size) is, or size.
inline qsizetype firstLineEndByte(const char *data, qsizetype size)
{
    return firstOfBytes(data, size, '\n', '\r');
}

// Where the text after the line end at `at` (a CR or LF of
// [data, data + size)) begins: a CR LF ends one line.
inline qsizetype afterLineEnd(const char *data, qsizetype at, qsizetype size)
{
    return at + 1 + (data[at] == '\r' && at + 1 < size && data[at + 1] == '\n');
}
