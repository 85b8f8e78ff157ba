#pragma once

// What the AVX2 kernels share: loads of balls' fields into registers and the
// count of a mask, for code compiled for AVX2 alone (WIDE functions, or those
// with the avx2 target), which only runs where the processor has it.
#if defined(__x86_64__)
#include <immintrin.h>

#include <cstdint>

#include "world/world.h"

// Only the functions marked so use AVX2; none uses fused multiply-add, which
// is not in their target, and contraction is off.
#define WIDE __attribute__((target("avx2"), always_inline)) inline

// The x and y of four balls' positions: loaded as (x0, y0, x2, y2) and
// (x1, y1, x3, y3), then taken apart. Loading each pair of coordinates whole
// and shuffling costs less than vgatherdpd.
WIDE void loadPositions(const Ball* const* b, __m256d& x, __m256d& y) {
  const __m256d even = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(&b[0]->position.x)),
                                            _mm_loadu_pd(&b[2]->position.x), 1);
  const __m256d odd = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(&b[1]->position.x)),
                                           _mm_loadu_pd(&b[3]->position.x), 1);
  x = _mm256_unpacklo_pd(even, odd);
  y = _mm256_unpackhi_pd(even, odd);
}

// How many of the four bits of a mask are set.
WIDE unsigned keptCount(int mask) {
  constexpr std::uint64_t counts = 0x4332322132212110;  // four bits a mask
  return counts >> 4 * mask & 15;
}

WIDE __m128i loadRadii(const Ball* const* b) {
  return _mm_setr_epi32(b[0]->radius, b[1]->radius, b[2]->radius, b[3]->radius);
}
#endif
