#pragma once

#include <cstdint>
#include <vector>

#include "simulation/cell_grid.h"

// Points with a reach each, grouped by reach into classes (reach below 2^c in
// class c), each sorted into a cell grid of its own: a few big or fast balls
// then widen the cells and the searches of their own class only.
//
// A point set anew leaves a blank in its class and joins the fresh ones, sorted
// on their own at each update, so that a few points moving do not sort the
// many again. Once the fresh ones are many, all are sorted into their classes.
class ReachClasses {
 public:
  using Entry = CellGrid::Entry;

  // Entry i now stands at point with the given reach (negative: nowhere), as
  // searches see from the next update() on.
  void set(std::uint32_t i, const Vector2D& point, double reach);
  void update();

  // Calls visit(begin, end) for runs of entries that together hold, each once,
  // every entry whose reach and the given one may meet around p.
  template <typename Visit>
  void visitNear(const Vector2D& p, double reach, Visit visit) const {
    // Wider than any rounding of the distances that decide whether two reaches
    // meet.
    for (int c : active_) {
      classes_[c].grid.visitNear(p, (reach + classes_[c].largestReach) * (1.0 + 1e-8), visit);
    }
    fresh_.grid.visitNear(p, (reach + fresh_.largestReach) * (1.0 + 1e-8), visit);
  }

 private:
  struct Class {
    double largestReach = 0.0;
    std::vector<Entry> members;
    CellGrid grid;
  };

  void sortAll();

  std::vector<Class> classes_ = std::vector<Class>(64);
  std::vector<int> active_;  // the classes that have members, ascending
  Class fresh_;
  std::vector<std::uint32_t> freshIndices_;
  std::vector<std::int8_t> class_;   // of each entry; negative: none
  std::vector<std::uint32_t> slot_;  // of its entry in its class
  std::vector<Vector2D> point_;
  std::vector<double> reach_;
};
