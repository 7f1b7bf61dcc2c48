#pragma once

#include <QtGlobal>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Where the first CR or LF in [data, data + size) is, or size. One pass that
// looks for both, sixteen bytes at a time where the processor has SSE2: on
// lines of a few dozen bytes two memchr calls cost more in their set-up than
// in their search.
inline qsizetype firstLineEndByte(const char *data, qsizetype size)
{
    qsizetype at = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; at + 16 <= size; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at));
        const int hits =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr)));
        if (hits != 0)
            return at + __builtin_ctz(unsigned(hits));
    }
#endif
    for (; at < size; ++at) {
        if (data[at] == '\n' || data[at] == '\r')
            return at;
    }
    return size;
}
