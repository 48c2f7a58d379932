#include "mirror/BytesEqual.h"

#include <cstring>

#include <emmintrin.h>

namespace {

// Old processors lack the 16-byte compares; they take the plain loop.
__attribute__((target("sse2"))) bool BytesEqualSse2(const std::uint8_t* a, const std::uint8_t* b, std::size_t count)
{
    std::size_t i = 0;
    const auto* p = reinterpret_cast<const __m128i*>(a);
    const auto* q = reinterpret_cast<const __m128i*>(b);
    for (; i + 64 <= count; i += 64, p += 4, q += 4) {
        const __m128i d0 = _mm_xor_si128(_mm_loadu_si128(p), _mm_loadu_si128(q));
        const __m128i d1 = _mm_xor_si128(_mm_loadu_si128(p + 1), _mm_loadu_si128(q + 1));
        const __m128i d2 = _mm_xor_si128(_mm_loadu_si128(p + 2), _mm_loadu_si128(q + 2));
        const __m128i d3 = _mm_xor_si128(_mm_loadu_si128(p + 3), _mm_loadu_si128(q + 3));
        const __m128i d = _mm_or_si128(_mm_or_si128(d0, d1), _mm_or_si128(d2, d3));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(d, _mm_setzero_si128())) != 0xFFFF) return false;
    }
    for (; i + 16 <= count; i += 16) {
        const __m128i d = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)),
                                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(d, _mm_setzero_si128())) != 0xFFFF) return false;
    }
    return std::memcmp(a + i, b + i, count - i) == 0;
}

}  // namespace

bool KvBytesEqual(const std::uint8_t* a, const std::uint8_t* b, std::size_t count)
{
    static const bool sse2 = __builtin_cpu_supports("sse2");
    return sse2 ? BytesEqualSse2(a, b, count) : std::memcmp(a, b, count) == 0;
}
