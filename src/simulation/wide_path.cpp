#include "simulation/wide_path.h"

bool widePathAvailable(WidePath path) {
#if defined(__x86_64__)
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return path == WidePath::plain || avx2;
#else
  return path == WidePath::plain;
#endif
}

WidePath fastestWidePath() {
  static const WidePath fastest =
      widePathAvailable(WidePath::avx2) ? WidePath::avx2 : WidePath::plain;
  return fastest;
}
