#pragma once

#include <cstdint>
#include <vector>

#include "simulation/cell_grid.h"

// Points with a reach each, grouped by reach into classes (reach below 2^c in
// class c), each sorted into a cell grid of its own: a few big or fast balls
// then widen the cells and the searches of their own class only. A class with
// few members is not sorted: each member is a candidate.
class ReachClasses {
 public:
  using Entry = CellGrid::Entry;

  void resize(std::size_t count);

  // Entry i now stands at point with the given reach; a negative reach takes
  // it out. Its class, old and new, is sorted again at the next update().
  void set(std::uint32_t i, const Vector2D& point, double reach);

  // Sorts the classes whose members changed.
  void update();

  // Calls visit(begin, end) for runs of entries that together hold, each once,
  // every entry whose reach and the given one may meet around p.
  template <typename Visit>
  void visitNear(const Vector2D& p, double reach, Visit visit) const {
    for (int c : active_) {
      const Class& reachClass = classes_[c];
      // Wider than any rounding of the distances that decide whether two
      // reaches meet.
      const double within = (reach + reachClass.largestReach) * (1.0 + 1e-8);
      if (reachClass.sorted) {
        reachClass.grid.visitNear(p, within, visit);
      } else {
        visit(reachClass.members.data(), reachClass.members.data() + reachClass.members.size());
      }
    }
  }

 private:
  struct Class {
    double largestReach = 0.0;
    bool sorted = false;
    bool changed = false;
    std::vector<Entry> members;  // ascending
    CellGrid grid;
  };

  std::vector<Class> classes_ = std::vector<Class>(64);
  std::vector<int> active_;         // the classes that have members, ascending
  std::vector<std::int8_t> class_;  // of each entry; negative: none
  std::vector<Vector2D> point_;
  std::vector<double> reach_;
};
