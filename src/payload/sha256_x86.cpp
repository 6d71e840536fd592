// The SHA-256 block function on the x86 SHA extensions (with SSSE3 and
// SSE4.1), compiled for them whatever the rest of the program targets and
// chosen only when the processor reports them.
#include "payload/sha256_blocks.h"

#if defined(__i386__) || defined(__x86_64__)

#include <cpuid.h>
#include <immintrin.h>

namespace velkor::sha256_blocks {
namespace {

#define VELKOR_SHA_TARGET __attribute__((target("sha,ssse3,sse4.1")))

// Four rounds of group g on message words `cur`, then the schedule: `next`
// gets its second half of the expansion, `prev` its first.
#define VELKOR_SHA_QUAD(g, cur, next, prev)                                              \
  do {                                                                                   \
    __m128i msg = _mm_add_epi32(                                                         \
        cur, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kRoundConstants + 4 * (g)))); \
    state1 = _mm_sha256rnds2_epu32(state1, state0, msg);                                 \
    if ((g) >= 3 && (g) <= 14) {                                                         \
      next = _mm_add_epi32(next, _mm_alignr_epi8(cur, prev, 4));                         \
      next = _mm_sha256msg2_epu32(next, cur);                                            \
    }                                                                                    \
    msg = _mm_shuffle_epi32(msg, 0x0E);                                                  \
    state0 = _mm_sha256rnds2_epu32(state0, state1, msg);                                 \
    if ((g) >= 1 && (g) <= 12) prev = _mm_sha256msg1_epu32(prev, cur);                   \
  } while (0)

// Windows promises a 32-bit thread only a 4-byte aligned stack; the vectors
// here need 16.
__attribute__((force_align_arg_pointer)) VELKOR_SHA_TARGET void blocksOnShaExtensions(
    std::uint32_t* state, const std::uint8_t* blocks, std::size_t count) {
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);

  // The instructions keep the state as ABEF and CDGH.
  __m128i tmp = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1);
  __m128i state1 = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B);
  __m128i state0 = _mm_alignr_epi8(tmp, state1, 8);
  state1 = _mm_blend_epi16(state1, tmp, 0xF0);

  for (; count > 0; --count, blocks += 64) {
    const __m128i savedAbef = state0;
    const __m128i savedCdgh = state1;
    const auto* in = reinterpret_cast<const __m128i*>(blocks);
    __m128i m0 = _mm_shuffle_epi8(_mm_loadu_si128(in + 0), byteSwap);
    __m128i m1 = _mm_shuffle_epi8(_mm_loadu_si128(in + 1), byteSwap);
    __m128i m2 = _mm_shuffle_epi8(_mm_loadu_si128(in + 2), byteSwap);
    __m128i m3 = _mm_shuffle_epi8(_mm_loadu_si128(in + 3), byteSwap);

    VELKOR_SHA_QUAD(0, m0, m1, m3);
    VELKOR_SHA_QUAD(1, m1, m2, m0);
    VELKOR_SHA_QUAD(2, m2, m3, m1);
    VELKOR_SHA_QUAD(3, m3, m0, m2);
    VELKOR_SHA_QUAD(4, m0, m1, m3);
    VELKOR_SHA_QUAD(5, m1, m2, m0);
    VELKOR_SHA_QUAD(6, m2, m3, m1);
    VELKOR_SHA_QUAD(7, m3, m0, m2);
    VELKOR_SHA_QUAD(8, m0, m1, m3);
    VELKOR_SHA_QUAD(9, m1, m2, m0);
    VELKOR_SHA_QUAD(10, m2, m3, m1);
    VELKOR_SHA_QUAD(11, m3, m0, m2);
    VELKOR_SHA_QUAD(12, m0, m1, m3);
    VELKOR_SHA_QUAD(13, m1, m2, m0);
    VELKOR_SHA_QUAD(14, m2, m3, m1);
    VELKOR_SHA_QUAD(15, m3, m0, m2);

    state0 = _mm_add_epi32(state0, savedAbef);
    state1 = _mm_add_epi32(state1, savedCdgh);
  }

  tmp = _mm_shuffle_epi32(state0, 0x1B);
  state1 = _mm_shuffle_epi32(state1, 0xB1);
  state0 = _mm_blend_epi16(tmp, state1, 0xF0);
  state1 = _mm_alignr_epi8(state1, tmp, 8);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), state0);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), state1);
}

#undef VELKOR_SHA_QUAD
#undef VELKOR_SHA_TARGET

bool probe() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  const bool ssse3 = (c & (1u << 9)) != 0;
  const bool sse41 = (c & (1u << 19)) != 0;
  if (!ssse3 || !sse41) return false;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  return (b & (1u << 29)) != 0;
}

}  // namespace

void (*const shaExtensions)(std::uint32_t*, const std::uint8_t*, std::size_t) = blocksOnShaExtensions;

bool shaExtensionsAvailable() {
  static const bool available = probe();
  return available;
}

}  // namespace velkor::sha256_blocks

#else

namespace velkor::sha256_blocks {
void (*const shaExtensions)(std::uint32_t*, const std::uint8_t*, std::size_t) = nullptr;
bool shaExtensionsAvailable() { return false; }
}  // namespace velkor::sha256_blocks

#endif
