#include "simulation/touching_pairs.h"

#include "simulation/avx2_balls.h"

namespace {
std::size_t findPlainly(const std::vector<Ball>& balls, const BallLists& lists,
                        TouchingPair* touching) {
  std::size_t count = 0;
  for (unsigned i = 0; i < balls.size(); ++i) {
    const Ball& ball = balls[i];
    for (auto k = lists.above(i); k != lists.aboveEnd(i); ++k) {
      const Ball& other = balls[*k];
      const double d2 = distanceSquared(ball.position, other.position);
      touching[count] = TouchingPair{i, *k};
      count += d2 <= square(static_cast<double>(ball.radius + other.radius));
    }
  }
  return count;
}

#if defined(__x86_64__)
// For each mask of four candidates, the 32-bit words of the four pairs that
// bring those the mask keeps to the front, in order.
struct Packing {
  alignas(32) int words[16][8] = {};
  constexpr Packing() {
    for (int mask = 0; mask < 16; ++mask) {
      int kept = 0;
      for (int lane = 0; lane < 4; ++lane) {
        if ((mask >> lane & 1) != 0) {
          words[mask][2 * kept] = 2 * lane;
          words[mask][2 * kept + 1] = 2 * lane + 1;
          ++kept;
        }
      }
    }
  }
};
constexpr Packing packing;

__attribute__((target("avx2"))) std::size_t findWide(const std::vector<Ball>& balls,
                                                     const BallLists& lists,
                                                     TouchingPair* touching) {
  const Ball* const all = balls.data();
  const __m128i lanes = _mm_setr_epi32(0, 1, 2, 3);
  std::size_t count = 0;
  for (unsigned i = 0; i < balls.size(); ++i) {
    const __m256d x = _mm256_set1_pd(all[i].position.x), y = _mm256_set1_pd(all[i].position.y);
    const __m128i radius = _mm_set1_epi32(all[i].radius);
    const __m128i own = _mm_set1_epi32(static_cast<int>(i));
    const __m256i lower = _mm256_set1_epi64x(i);  // a pair's lower index is its low word
    const std::uint32_t* const end = lists.aboveEnd(i);
    for (const std::uint32_t* k = lists.above(i); k < end; k += 4) {
      // Lanes past the list's end read nothing, stand for ball i itself and
      // are not kept.
      const __m128i live = _mm_cmpgt_epi32(_mm_set1_epi32(static_cast<int>(end - k)), lanes);
      const __m128i index =
          _mm_blendv_epi8(own, _mm_maskload_epi32(reinterpret_cast<const int*>(k), live), live);
      const Ball* const b[4] = {all + _mm_cvtsi128_si32(index), all + _mm_extract_epi32(index, 1),
                                all + _mm_extract_epi32(index, 2),
                                all + _mm_extract_epi32(index, 3)};
      __m256d bx, by;
      loadPositions(b, bx, by);
      const __m256d dx = _mm256_sub_pd(bx, x), dy = _mm256_sub_pd(by, y);
      const __m256d d2 = _mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy));
      const __m256d sum = _mm256_cvtepi32_pd(_mm_add_epi32(radius, loadRadii(b)));
      const int kept = _mm256_movemask_pd(_mm256_cmp_pd(d2, _mm256_mul_pd(sum, sum), _CMP_LE_OQ)) &
                       _mm_movemask_ps(_mm_castsi128_ps(live));
      const __m256i pairs =
          _mm256_or_si256(_mm256_slli_epi64(_mm256_cvtepu32_epi64(index), 32), lower);
      _mm256_storeu_si256(
          reinterpret_cast<__m256i*>(touching + count),
          _mm256_permutevar8x32_epi32(
              pairs, _mm256_load_si256(reinterpret_cast<const __m256i*>(packing.words[kept]))));
      count += keptCount(kept);
    }
  }
  // The rest of the program is SSE code, which would otherwise wait on the
  // upper halves of the ymm registers left dirty here.
  _mm256_zeroupper();
  return count;
}
#endif
}  // namespace

std::size_t findTouchingPairs(WidePath path, const std::vector<Ball>& balls, const BallLists& lists,
                              std::vector<TouchingPair>& touching) {
  // Four more than the most there can be, for the last four written at once.
  if (touching.size() < lists.listedMost() + 4) {
    touching.resize(2 * lists.listedMost() + 4);
  }
#if defined(__x86_64__)
  if (path == WidePath::avx2) {
    return findWide(balls, lists, touching.data());
  }
#endif
  static_cast<void>(path);
  return findPlainly(balls, lists, touching.data());
}
