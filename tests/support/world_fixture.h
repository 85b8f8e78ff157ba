#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

#include "simulation/contact_search.h"
#include "world/world.h"

// Failures print vectors whole, to the last bit.
inline void PrintTo(const Vector2D& v, std::ostream* out) {
  *out << std::hexfloat << "(" << v.x << ", " << v.y << ")" << std::defaultfloat;
}

// Vector2D has no comparison of its own: this compares each component bit for
// bit (a NaN is the same as itself, 0 is not -0) and prints both vectors.
inline ::testing::AssertionResult sameVector(const char* actualText, const char* expectedText,
                                             const Vector2D& actual, const Vector2D& expected) {
  if (std::memcmp(&actual.x, &expected.x, sizeof(double)) == 0 &&
      std::memcmp(&actual.y, &expected.y, sizeof(double)) == 0) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << actualText << " is " << ::testing::PrintToString(actual) << ", not " << expectedText
         << " " << ::testing::PrintToString(expected);
}

// Every test starts from the world as it is before start-up, and from a
// contact search that has seen nothing of it.
class WorldTest : public ::testing::Test {
 protected:
  void SetUp() override { resetWorld(); }

  static void resetWorld() {
    balls.clear();
    walls.clear();
    thrust = Vector2D(0.0, 0.0);
    spinAngle = 0.0;
    leftButtonLatch = false;
    rightButtonLatch = false;
    contactSearch = ContactSearch();
  }

  static unsigned addBall(double x, double y, int radius, double mass = 1.0) {
    balls.push_back(Ball(Vector2D(x, y), Vector2D(0.0, 0.0), radius, mass));
    return static_cast<unsigned>(balls.size() - 1);
  }
};
