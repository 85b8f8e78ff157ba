#pragma once

#include <random>

#include "app/controls.h"

// The game users end up in: from the world as it is, a press every other pass
// at a random point of the window, the left and the right button in turn, and
// now and then an arrow key held for ten passes. input() is one pass's input.
class LongGame {
 public:
  explicit LongGame(unsigned seed) : random_(seed) {}

  void input() {
    const bool press = pass_ % 2 == 0;
    const int button = (pass_ / 2) % 2 == 0 ? 1 : 2;
    const int x = coordinate(799);  // drawn before y, whatever order a compiler takes arguments in
    applyMouseButtons(press ? button : 0, x, coordinate(599));
    const long key = (pass_ / 10) % 13;
    applyArrowKeys(key == 0, key == 4, key == 8);
    ++pass_;
  }

 private:
  int coordinate(int largest) { return std::uniform_int_distribution<int>(0, largest)(random_); }

  std::mt19937 random_;
  long pass_ = 0;
};
