#pragma once

#include <cstdint>
#include <vector>

#include "simulation/reach_classes.h"
#include "world/world.h"

// Neighbour lists, each pair in the list of its lower-indexed ball. Each ball
// has a reference point, where it stood when it was last listed, and an
// allowance: how far it may stray from there. Two balls are listed together
// when their reference points are at most the sum of their radii and
// allowances apart. A ball that strays beyond its allowance, and every new
// ball, is relisted before the next pair pass: its own list is made afresh
// where it now is, and it is entered in the lists of the lower-indexed balls
// now near it that lack it. Pairs that drift apart stay listed until all the
// lists are made again, which happens when many balls stray at once.
//
// What makes them exact: when a pair pass runs, no ball is farther than its
// allowance from its reference point, so two balls that touch are listed
// together. Balls with a non-finite coordinate touch nothing and are listed
// with none.
class BallLists {
 public:
  // Once a frame, before its sub-steps: notes new balls, changed radii and
  // positions set from outside.
  void prepare(const std::vector<Ball>& balls);

  // Before each pair pass: relists the balls that strayed, or makes all the
  // lists again when that is due.
  void refresh(const std::vector<Ball>& balls);

  // The balls above i that may touch it, in ascending index order.
  const std::uint32_t* above(unsigned i) const { return partners_.data() + balls_[i].start; }
  const std::uint32_t* aboveEnd(unsigned i) const { return partners_.data() + balls_[i].end; }

  // No more pairs are listed than this, in all the lists together.
  std::size_t listedMost() const { return partners_.size(); }

  // Ball i has moved to position. A NaN distance leaves it as it is: a ball
  // with a non-finite coordinate never gets a finite one again.
  void moved(unsigned i, const Vector2D& position) {
    Listed& ball = balls_[i];
    const Vector2D strayed = position - ball.reference;
    if (square(strayed.x) + square(strayed.y) > ball.allowanceSquared && !ball.stray) {
      ball.stray = true;
      strays_.push_back(i);
    }
  }

 private:
  using Entry = CellGrid::Entry;

  void makeAll(const std::vector<Ball>& balls);
  void relistStrays(const std::vector<Ball>& balls);
  // Sets ball i's reference point where it is now, with the given allowance.
  void reference(std::uint32_t i, const Ball& ball, double allowance);
  std::size_t collect(const Entry& own, std::uint32_t below, std::size_t count);
  // Makes room in ball i's list for more entries.
  void makeRoom(std::uint32_t i, std::uint32_t more);
  // Enters i in ball h's list, unless it is there.
  void enter(std::uint32_t h, std::uint32_t i);

  // How a ball was listed, and where its list lies in partners_.
  struct Listed {
    Vector2D reference = Vector2D(NAN, NAN);
    double allowanceSquared = 0.0;  // shrunk for the rounding of the distances
    double allowance = 0.0;
    double reach = -1.0;  // radius plus allowance; negative: touches nothing
    int radius = 0;
    bool stray = true;
    bool alone = false;  // listed with none when last relisted
    std::uint32_t start = 0, end = 0, roomEnd = 0;
  };

  bool remake_ = true;
  std::vector<Listed> balls_;
  std::vector<std::uint32_t> strays_;
  ReachClasses classes_;
  std::vector<std::uint32_t> found_;
  std::vector<std::uint32_t> below_;  // a stray's found balls below it
  std::vector<std::uint32_t> foundStart_;
  std::vector<std::uint32_t> partners_;
  std::size_t compactSize_ = 0;  // of partners_ when the lists were all made
};
