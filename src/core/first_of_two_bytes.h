#pragma once

#include <QtGlobal>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Where the first byte equal to `a` or `b` in [data, data + size) is, or
// size. One pass that looks for both, sixteen bytes at a time where the
// processor has SSE2: on runs of a few dozen bytes two memchr calls cost
// more in their set-up than in their search.
inline qsizetype firstOfTwoBytes(const char *data, qsizetype size, char a, char b)
{
    qsizetype at = 0;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(a);
    const __m128i second = _mm_set1_epi8(b);
    for (; at + 16 <= size; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at));
        const int hits = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(bytes, first), _mm_cmpeq_epi8(bytes, second)));
        if (hits != 0)
            return at + __builtin_ctz(unsigned(hits));
    }
    if (at < size && size >= 16) {
        // The last sixteen bytes, less those already looked at: one more
        // comparison instead of a byte at a time.
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + size - 16));
        const unsigned hits = unsigned(_mm_movemask_epi8(_mm_or_si128(
                                  _mm_cmpeq_epi8(bytes, first), _mm_cmpeq_epi8(bytes, second)))) >>
                              (16 - (size - at));
        return hits != 0 ? at + __builtin_ctz(hits) : size;
    }
#endif
    for (; at < size; ++at) {
        if (data[at] == a || data[at] == b)
            return at;
    }
    return size;
}
