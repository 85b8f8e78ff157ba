#include "simulation/listed_near.h"

#include <cstddef>

#include "simulation/avx2_balls.h"

namespace {
using Entry = CellGrid::Entry;

std::uint32_t* writePlainly(const Entry& own, std::uint32_t below, const Entry* begin,
                            const Entry* end, std::uint32_t* out) {
  for (const Entry* e = begin; e != end; ++e) {
    // & rather than &&, which compiled to a jump on the index.
    *out = e->index;
    out += static_cast<unsigned>(listedTogether(own, *e)) &
           static_cast<unsigned>(e->index < below) & static_cast<unsigned>(e->index != own.index);
  }
  return out;
}

#if defined(__x86_64__)
// For each mask of four indices, the bytes that bring those the mask keeps to
// the front, in order.
struct Packing {
  alignas(16) std::uint8_t bytes[16][16] = {};
  constexpr Packing() {
    for (int mask = 0; mask < 16; ++mask) {
      int kept = 0;
      for (int lane = 0; lane < 4; ++lane) {
        if ((mask >> lane & 1) != 0) {
          for (int b = 0; b < 4; ++b) {
            bytes[mask][4 * kept + b] = static_cast<std::uint8_t>(4 * lane + b);
          }
          ++kept;
        }
      }
    }
  }
};
constexpr Packing packing;

// The entry lane places after e, if there is one: left entries are.
WIDE __m256d loadEntry(const Entry* e, std::ptrdiff_t left, int lane) {
  const __m256i present = _mm256_cmpgt_epi64(_mm256_set1_epi64x(left), _mm256_set1_epi64x(lane));
  const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(e) + lane * sizeof(Entry);
  return _mm256_maskload_pd(reinterpret_cast<const double*>(at), present);
}

__attribute__((target("avx2"))) std::uint32_t* writeWide(const Entry& own, std::uint32_t below,
                                                         const Entry* begin, const Entry* end,
                                                         std::uint32_t* out) {
  static_assert(sizeof(Entry) == 32 && offsetof(Entry, index) == 24, "an entry is four words");
  const __m256d x = _mm256_set1_pd(own.point.x), y = _mm256_set1_pd(own.point.y);
  const __m256d reach = _mm256_set1_pd(own.reach);
  // Unsigned comparisons, as signed ones of the indices with the top bit flipped.
  const __m128i top = _mm_set1_epi32(INT32_MIN);
  const __m128i belowTop = _mm_xor_si128(_mm_set1_epi32(static_cast<int>(below)), top);
  const __m128i ownIndex = _mm_set1_epi32(static_cast<int>(own.index));
  const __m128i lanes = _mm_setr_epi32(0, 1, 2, 3);
  const std::ptrdiff_t count = end - begin;
  for (std::ptrdiff_t at = 0; at < count; at += 4) {
    // Entries past the run's end are not read (a masked load, which does not
    // fault), and are not kept. A choice of address instead compiled to jumps
    // on where a run ends, which most runs would mispredict.
    const Entry* const e = begin + at;
    const std::ptrdiff_t left = count - at;
    const __m256d e0 = loadEntry(e, left, 0), e1 = loadEntry(e, left, 1);
    const __m256d e2 = loadEntry(e, left, 2), e3 = loadEntry(e, left, 3);
    const __m128i live = _mm_cmpgt_epi32(_mm_set1_epi32(static_cast<int>(left)), lanes);
    // (x0, x1, reach0, reach1), (y0, y1, index0, index1) and the same for 2, 3.
    const __m256d low01 = _mm256_unpacklo_pd(e0, e1), high01 = _mm256_unpackhi_pd(e0, e1);
    const __m256d low23 = _mm256_unpacklo_pd(e2, e3), high23 = _mm256_unpackhi_pd(e2, e3);
    const __m256d ex = _mm256_permute2f128_pd(low01, low23, 0x20);
    const __m256d ey = _mm256_permute2f128_pd(high01, high23, 0x20);
    const __m256d eReach = _mm256_permute2f128_pd(low01, low23, 0x31);
    const __m256i words = _mm256_castpd_si256(_mm256_permute2f128_pd(high01, high23, 0x31));
    const __m128i index = _mm256_castsi256_si128(
        _mm256_permutevar8x32_epi32(words, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
    const __m256d dx = _mm256_sub_pd(ex, x), dy = _mm256_sub_pd(ey, y);
    const __m256d d2 = _mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy));
    const __m256d limit =
        _mm256_mul_pd(_mm256_add_pd(reach, eReach), _mm256_set1_pd(1.0 + listingSlack));
    const __m128i wanted = _mm_andnot_si128(_mm_cmpeq_epi32(index, ownIndex),
                                            _mm_cmpgt_epi32(belowTop, _mm_xor_si128(index, top)));
    const int kept =
        _mm256_movemask_pd(_mm256_cmp_pd(d2, _mm256_mul_pd(limit, limit), _CMP_LE_OQ)) &
        _mm_movemask_ps(_mm_castsi128_ps(_mm_and_si128(wanted, live)));
    _mm_storeu_si128(
        reinterpret_cast<__m128i*>(out),
        _mm_shuffle_epi8(index,
                         _mm_load_si128(reinterpret_cast<const __m128i*>(packing.bytes[kept]))));
    out += keptCount(kept);
  }
  // The rest of the program is SSE code, which would otherwise wait on the
  // upper halves of the ymm registers left dirty here.
  _mm256_zeroupper();
  return out;
}
#endif
}  // namespace

std::uint32_t* writeListed(WidePath path, const Entry& own, std::uint32_t below, const Entry* begin,
                           const Entry* end, std::uint32_t* out) {
#if defined(__x86_64__)
  if (path == WidePath::avx2) {
    return writeWide(own, below, begin, end, out);
  }
#endif
  static_cast<void>(path);
  return writePlainly(own, below, begin, end, out);
}
