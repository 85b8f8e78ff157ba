#include "simulation/pair_pushes.h"

#include <algorithm>

#include "simulation/avx2_balls.h"
#include "simulation/ball_contact.h"

namespace {
using namespace ball_contact;

void workOutPlainly(const Ball* balls, const TouchingPair* pairs, std::size_t count,
                    PairPush* pushes) {
  for (std::size_t t = 0; t < count; ++t) {
    const Ball& lower = balls[pairs[t].lower];
    const Ball& upper = balls[pairs[t].upper];
    const double d2 = distanceSquared(lower.position, upper.position);
    const double overlap = d2 - square(static_cast<double>(lower.radius + upper.radius));
    pushes[t] = PairPush{pushOf(lower.position, upper.position, lower.mass, overlap),
                         pushOf(upper.position, lower.position, upper.mass, overlap)};
  }
}

#if defined(__x86_64__)
// Without a direction: -0 where the offset is negative, else +0.
WIDE __m256d noDirection(__m256d offset) {
  return _mm256_and_pd(_mm256_set1_pd(-0.0),
                       _mm256_cmp_pd(offset, _mm256_setzero_pd(), _CMP_LT_OQ));
}

WIDE __m256d pushAlong(__m256d direction, __m256d overlap, __m256d mass) {
  return _mm256_div_pd(_mm256_mul_pd(_mm256_mul_pd(direction, overlap), _mm256_set1_pd(stiffness)),
                       mass);
}

// Four pairs a step; a tail of fewer is left to the plain code.
__attribute__((target("avx2"))) void workOutWide(const Ball* balls, const TouchingPair* pairs,
                                                 std::size_t count, PairPush* pushes) {
  const __m256d sign = _mm256_set1_pd(-0.0);
  const __m256d zero = _mm256_setzero_pd();
  std::size_t t = 0;
  for (; t + 4 <= count; t += 4) {
    const Ball* l[4];
    const Ball* u[4];
    for (int i = 0; i < 4; ++i) {
      l[i] = &balls[pairs[t + i].lower];
      u[i] = &balls[pairs[t + i].upper];
    }
    __m256d lx, ly, ux, uy;
    loadPositions(l, lx, ly);
    loadPositions(u, ux, uy);
    const __m256d dx = _mm256_sub_pd(lx, ux), dy = _mm256_sub_pd(ly, uy);  // the lower's offset
    const __m256d ex = _mm256_sub_pd(ux, lx), ey = _mm256_sub_pd(uy, ly);  // the upper's
    const __m256d manhattan = _mm256_add_pd(_mm256_andnot_pd(sign, dx), _mm256_andnot_pd(sign, dy));
    const __m256d hasDirection = _mm256_cmp_pd(manhattan, _mm256_set1_pd(0.01), _CMP_GT_OQ);
    const __m256d qx = _mm256_div_pd(dx, manhattan), qy = _mm256_div_pd(dy, manhattan);
    // The upper's quotient: the lower's negated; where the offset is a zero,
    // that zero itself, with its own sign. Touching balls are finite, so the
    // quotients are too.
    const __m256d px =
        _mm256_blendv_pd(_mm256_xor_pd(qx, sign), ex, _mm256_cmp_pd(dx, zero, _CMP_EQ_OQ));
    const __m256d py =
        _mm256_blendv_pd(_mm256_xor_pd(qy, sign), ey, _mm256_cmp_pd(dy, zero, _CMP_EQ_OQ));
    const __m256d lowerX = _mm256_blendv_pd(noDirection(dx), qx, hasDirection);
    const __m256d lowerY = _mm256_blendv_pd(noDirection(dy), qy, hasDirection);
    const __m256d upperX = _mm256_blendv_pd(noDirection(ex), px, hasDirection);
    const __m256d upperY = _mm256_blendv_pd(noDirection(ey), py, hasDirection);
    const __m256d d2 = _mm256_add_pd(_mm256_mul_pd(ex, ex), _mm256_mul_pd(ey, ey));
    const __m256d radiusSum = _mm256_cvtepi32_pd(_mm_add_epi32(loadRadii(l), loadRadii(u)));
    const __m256d overlap = _mm256_sub_pd(d2, _mm256_mul_pd(radiusSum, radiusSum));
    const __m256d lowerMass = _mm256_setr_pd(l[0]->mass, l[1]->mass, l[2]->mass, l[3]->mass);
    const __m256d upperMass = _mm256_setr_pd(u[0]->mass, u[1]->mass, u[2]->mass, u[3]->mass);
    // Rows of (lower x, lower y, upper x, upper y), one a pair.
    const __m256d a = pushAlong(lowerX, overlap, lowerMass);
    const __m256d b = pushAlong(lowerY, overlap, lowerMass);
    const __m256d c = pushAlong(upperX, overlap, upperMass);
    const __m256d d = pushAlong(upperY, overlap, upperMass);
    const __m256d ab0 = _mm256_unpacklo_pd(a, b), ab1 = _mm256_unpackhi_pd(a, b);
    const __m256d cd0 = _mm256_unpacklo_pd(c, d), cd1 = _mm256_unpackhi_pd(c, d);
    _mm256_storeu_pd(&pushes[t].lower.x, _mm256_permute2f128_pd(ab0, cd0, 0x20));
    _mm256_storeu_pd(&pushes[t + 1].lower.x, _mm256_permute2f128_pd(ab1, cd1, 0x20));
    _mm256_storeu_pd(&pushes[t + 2].lower.x, _mm256_permute2f128_pd(ab0, cd0, 0x31));
    _mm256_storeu_pd(&pushes[t + 3].lower.x, _mm256_permute2f128_pd(ab1, cd1, 0x31));
  }
  // The rest of the program is SSE code, which would otherwise wait on the
  // upper halves of the ymm registers left dirty here.
  _mm256_zeroupper();
  workOutPlainly(balls, pairs + t, count - t, pushes + t);
}
#endif

void apply(std::vector<Ball>& balls, const TouchingPair* pairs, const PairPush* pushes,
           std::size_t count) {
  for (std::size_t t = 0; t < count; ++t) {
    Ball& lower = balls[pairs[t].lower];
    Ball& upper = balls[pairs[t].upper];
    lower.velocity -= pushes[t].lower;
    lower.velocity *= contactDamping;
    upper.velocity -= pushes[t].upper;
    upper.velocity *= contactDamping;
  }
}
}  // namespace

void workOutPushes(WidePath path, const Ball* balls, const TouchingPair* pairs, std::size_t count,
                   PairPush* pushes) {
#if defined(__x86_64__)
  if (path == WidePath::avx2) {
    workOutWide(balls, pairs, count, pushes);
    return;
  }
#endif
  static_cast<void>(path);
  workOutPlainly(balls, pairs, count, pushes);
}

void pushTouchingPairs(std::vector<Ball>& balls, const TouchingPair* pairs, std::size_t count) {
  // A chunk's pushes stay in the first level of cache until they are applied;
  // the next chunk is worked out before this one is applied, so that its
  // divisions overlap the applying's dependent chain.
  constexpr std::size_t chunk = 16;
  const WidePath path = fastestWidePath();
  static PairPush pushes[2][chunk];  // made once: the program has one thread
  std::size_t size = std::min(chunk, count);
  workOutPushes(path, balls.data(), pairs, size, pushes[0]);
  for (std::size_t start = 0, k = 0; start < count; start += chunk, k ^= 1) {
    const std::size_t next = start + chunk;
    const std::size_t nextSize = next < count ? std::min(chunk, count - next) : 0;
    workOutPushes(path, balls.data(), pairs + next, nextSize, pushes[k ^ 1]);
    apply(balls, pairs + start, pushes[k], size);
    size = nextSize;
  }
}
