#pragma once

#include <QtGlobal>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Where the first byte equal to any of `bytes` in [data, data + size) is,
// or size. One pass that looks for all of them, sixteen bytes at a time
// where the processor has SSE2: on runs of a few dozen bytes a memchr call
// per byte costs more in its set-up than in its search.
template <typename... Bytes>
inline qsizetype firstOfBytes(const char *data, qsizetype size, Bytes... bytes)
{
    qsizetype at = 0;
#if defined(__SSE2__)
    const auto hitsIn = [&](const char *from) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from));
        return unsigned(_mm_movemask_epi8((_mm_cmpeq_epi8(chunk, _mm_set1_epi8(bytes)) | ...)));
    };
    for (; at + 16 <= size; at += 16) {
        if (const unsigned hits = hitsIn(data + at))
            return at + __builtin_ctz(hits);
    }
    if (at < size && size >= 16) {
        // The last sixteen bytes, less those already looked at: one more
        // comparison instead of a byte at a time.
        const unsigned hits = hitsIn(data + size - 16) >> (16 - (size - at));
        return hits != 0 ? at + __builtin_ctz(hits) : size;
    }
#endif
    for (; at < size; ++at) {
        if (((data[at] == bytes) || ...))
            return at;
    }
    return size;
}
