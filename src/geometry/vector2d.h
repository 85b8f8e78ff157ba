#pragma once

#include <cfloat>

// The physics is reproducible only where every double operation rounds to
// double on its own: not with x87 arithmetic, whose intermediates keep 80 bits,
// nor with fast-math, which reorders operations.
#if FLT_EVAL_METHOD != 0
#error "every double operation must round on its own: on 32-bit x86, -msse2 -mfpmath=sse"
#endif
#ifdef __FAST_MATH__
#error "-ffast-math reorders double arithmetic, which must round in the order written"
#endif

// The one numeric type of the simulation: points, offsets, velocities and pushes.
// Every operation rounds each component on its own, so results are reproducible
// double for double. Compound assignments hand back a copy, not a reference:
// chaining a second operation onto one acts on that copy.
class Vector2D {
 public:
  double x;
  double y;

  Vector2D() : x(0.0), y(0.0) {}
  Vector2D(double x, double y) : x(x), y(y) {}
  Vector2D(const Vector2D& other) = default;

  Vector2D operator=(const Vector2D& other) {
    if (this != &other) {
      x = other.x;
      y = other.y;
    }
    return *this;
  }

  Vector2D operator+(const Vector2D& b) const { return Vector2D(x + b.x, y + b.y); }
  Vector2D operator-(const Vector2D& b) const { return Vector2D(x - b.x, y - b.y); }
  Vector2D operator*(const double& s) const { return Vector2D(x * s, y * s); }
  Vector2D operator/(const double& s) const { return Vector2D(x / s, y / s); }

  Vector2D operator+=(const Vector2D& b) {
    x = x + b.x;
    y = y + b.y;
    return *this;
  }
  Vector2D operator-=(const Vector2D& b) {
    x = x - b.x;
    y = y - b.y;
    return *this;
  }
  Vector2D operator*=(const double& s) {
    x = x * s;
    y = y * s;
    return *this;
  }
  Vector2D operator*=(const Vector2D& b) {
    x = x * b.x;
    y = y * b.y;
    return *this;
  }
};

inline double square(double v) {
  return v * v;
}

// Contact tests compare squared distances, so no square root is ever taken.
inline double distanceSquared(Vector2D a, Vector2D b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  return square(dx) + square(dy);
}
