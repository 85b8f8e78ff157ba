#pragma once

#include <cstdint>
#include <vector>

#include "world/world.h"

// Neighbour lists with an allowance that suits each ball's motion. The lists
// are made all at once from where the balls stand, their reference points: two
// balls are listed together when these are at most the sum of their radii and
// allowances apart. A ball's allowance is how far it may stray from where the
// crowd carries it: half a pixel, plus ten sub-steps at its speed against the
// crowd's. The crowd goes on at the median velocity of the balls, damped, and
// falls at half the pull of gravity, so that a ball at rest falls behind it by
// as much as a ball in free fall runs ahead.
//
// A ball that strays farther, or is new, is relisted: taken out of the lists
// it is in, given a new reference point and allowance, and entered in the
// lists of the balls it is now listed with. Once many have been relisted, all
// the lists are made again.
//
// What makes them exact: no two balls that are not listed together have
// reference points, taken along with the crowd, within the sum of their radii
// and allowances, and no ball is farther than its allowance from its reference
// point when a pair pass runs. So two balls that touch are listed together.
// Balls with a non-finite coordinate touch nothing and are listed with none.
//
// Finding the balls to list: reference points are sorted by counting sort into
// cells of a grid per class of reach (radius plus allowance, below 2^c in class
// c, so that a few big or fast balls do not widen the cells for all the
// others). Cells are hashed by wrapping their coordinates onto a table a power
// of two wide and high: neighbouring cells stay next to each other in memory,
// and a ball far away shares a slot with some other cell instead of stretching
// the grid, which only adds candidates. A search looks at every cell within its
// reach plus the largest of the class, with a sixteenth of a cell to spare for
// the rounding of cell coordinates; these are clamped to 2^45, which only ever
// brings cells closer. A class with few members is not sorted: each of them is
// a candidate.
class BallLists {
 public:
  // Once a frame, before its sub-steps: notes new balls, changed radii and
  // positions set from outside.
  void prepare(const std::vector<Ball>& balls);

  // Before each pair pass: lists the balls that strayed afresh, or makes all
  // the lists again when that is due.
  void refresh(const std::vector<Ball>& balls);

  // Before the integration pass moves the balls one sub-step along.
  void advance(const Vector2D& gravity);

  // The balls that may touch ball j, in ascending index order.
  const std::uint32_t* partnersBegin(unsigned j) const { return partners_.data() + listStart_[j]; }
  const std::uint32_t* partnersEnd(unsigned j) const { return partners_.data() + listEnd_[j]; }

  // Ball i has moved to position. A NaN distance leaves it as it is: its ball
  // touches nothing.
  void moved(unsigned i, const Vector2D& position) {
    const Vector2D strayed = (position - reference_[i]) - (carried_ - carriedAtReference_[i]);
    if (square(strayed.x) + square(strayed.y) > allowanceSquared_[i] && !stray_[i]) {
      stray_[i] = true;
      strays_.push_back(i);
    }
  }

 private:
  struct Entry {
    Vector2D point;
    double reach;  // radius plus allowance
    std::uint32_t index;
  };
  struct ReachClass {
    double largestReach = 0.0;
    double inverseCellSize = 0.0;
    int widthBits = 0;  // the table is 2^widthBits by 2^heightBits cells
    int heightBits = 0;
    bool sorted = false;               // false: every member is a candidate
    double occupied = 0.0;             // cells that hold a member
    std::vector<Entry> members;        // ascending
    std::vector<std::uint32_t> cell;   // of each member
    std::vector<std::uint32_t> start;  // where each cell's entries begin
    std::vector<Entry> entries;        // by cell

    std::int64_t ringsFor(double reach) const;
  };

  void make(const std::vector<Ball>& balls);
  // Sets ball i's reference point, allowance and reach from how it is now.
  void reference(std::uint32_t i, const Ball& ball);
  // Lists ball i afresh where it is now.
  void relist(std::uint32_t i, const Ball& ball);
  // Makes room in a list for more entries.
  void makeRoom(std::uint32_t list, std::uint32_t more);
  bool listed(std::uint32_t a, std::uint32_t b) const;
  Vector2D crowdVelocity(const std::vector<Ball>& balls);
  static void sortIntoCells(ReachClass& reachClass);
  // Calls visit(begin, end) for runs of entries that hold every entry whose
  // reach may meet that of an entry at p, of the classes marked in looksInto
  // (all, if null).
  template <typename Visit>
  void visitNear(const Vector2D& p, double reach, const char* looksInto, Visit visit) const;
  static double lookingCost(const ReachClass& from, const ReachClass& into);
  void listAll(std::size_t ballCount);

  bool remake_ = true;
  Vector2D crowd_;    // the crowd's velocity when the lists were made
  Vector2D carried_;  // how far the crowd is expected to have moved since
  Vector2D fallVelocity_;
  double decay_ = 1.0;  // what the damping has left of the crowd's velocity
  std::vector<Vector2D> reference_;
  std::vector<Vector2D> carriedAtReference_;
  std::vector<double> allowanceSquared_;  // shrunk for the rounding of the distances
  std::vector<double> reach_;
  std::vector<int> radius_;
  std::vector<char> stray_;
  std::vector<std::uint32_t> strays_;
  std::vector<char> relisted_;  // since the lists were all made: its cell entry is out of date
  std::vector<std::uint32_t> relistedBalls_;
  std::vector<double> sample_;
  std::vector<std::int8_t> class_;  // negative: touches nothing
  std::vector<ReachClass> classes_;
  std::vector<int> active_;      // the classes that have members, ascending
  std::vector<char> looksInto_;  // by class and class
  std::vector<std::uint32_t> found_;
  std::vector<std::uint32_t> foundStart_;
  std::vector<std::uint32_t> listStart_;
  std::vector<std::uint32_t> listEnd_;
  std::vector<std::uint32_t> listRoomEnd_;
  std::vector<std::uint32_t> cursor_;
  std::vector<std::uint32_t> partners_;
  std::vector<std::uint32_t> unsorted_;
};
