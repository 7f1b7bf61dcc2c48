#pragma once

#include "core/first_of_two_bytes.h"

// Where the first CR or LF in [data, data + size) is, or size.
inline qsizetype firstLineEndByte(const char *data, qsizetype size)
{
    return firstOfTwoBytes(data, size, '\n', '\r');
}
