#pragma once

#include <cstdint>
#include <vector>

#include "geometry/vector2d.h"

// Square cells keyed by their integer coordinates, hashed into a table sized to
// the number of occupied cells, each holding a chain of the items placed in it.
// A far-off item takes a cell of its own instead of stretching the grid, so the
// cost of a query does not depend on where the items are.
//
// Cell coordinates are clamped to a huge but finite range, which keeps them
// defined for any finite point. Clamping is monotonic: it only ever brings
// cells closer, so a query still finds every item within its reach.
class CellGrid {
 public:
  // Empties the grid and sets the cell width for the items to come.
  void reset(double cellSize);
  // Places item i at a finite point, or moves it there if it is placed already.
  void place(unsigned i, const Vector2D& point);
  void remove(unsigned i);
  bool empty() const { return placedCount_ == 0; }
  // How many cells visitWithin looks at for the given reach.
  std::size_t cellsWithin(double reach) const {
    const std::int64_t side = 2 * ringsWithin(reach) + 1;
    return static_cast<std::size_t>(side * side);
  }

  // Calls visit(k) for every placed item k within reach of point along both
  // axes, and for some more: those in the cells that such items can lie in.
  template <typename Visit>
  void visitWithin(const Vector2D& point, double reach, Visit visit) const {
    visitUntil(point, reach, [&](unsigned k) {
      visit(k);
      return true;
    });
  }

  // True if far(k) holds for every item k that visitWithin would visit;
  // stops at the first that it does not hold for.
  template <typename Far>
  bool allFar(const Vector2D& point, double reach, Far far) const {
    return visitUntil(point, reach, far);
  }

 private:
  // Visits as visitWithin does while visit(k) returns true; false if it stopped.
  template <typename Visit>
  bool visitUntil(const Vector2D& point, double reach, Visit visit) const {
    const std::int64_t rings = ringsWithin(reach);
    const Cell centre = cellOf(point);
    for (std::int64_t dy = -rings; dy <= rings; ++dy) {
      for (std::int64_t dx = -rings; dx <= rings; ++dx) {
        const std::size_t slot = find(Cell{centre.x + dx, centre.y + dy});
        if (slot == none) {
          continue;
        }
        for (unsigned k = slots_[slot].head; k != none; k = next_[k]) {
          if (!visit(k)) {
            return false;
          }
        }
      }
    }
    return true;
  }

  struct Cell {
    std::int64_t x, y;
    bool operator==(const Cell& other) const { return x == other.x && y == other.y; }
  };
  struct Slot {
    Cell cell;
    unsigned head;  // first item of the cell's chain, or none
    bool used;
  };
  static constexpr unsigned none = 0xFFFFFFFFu;

  Cell cellOf(const Vector2D& point) const;
  // A sixteenth of a cell more than the reach covers any rounding of the cell
  // coordinates, which stay below 2^45.
  std::int64_t ringsWithin(double reach) const {
    return static_cast<std::int64_t>(reach * inverseCellSize_ + 1.0 / 16.0) + 1;
  }
  std::size_t hash(const Cell& cell) const;
  std::size_t find(const Cell& cell) const;  // the cell's slot, or none
  std::size_t findOrAdd(const Cell& cell);
  void link(unsigned i, std::size_t slot);
  void unlink(unsigned i);
  void rehash(std::size_t capacity);

  double inverseCellSize_ = 1.0;
  std::size_t usedSlots_ = 0;
  std::size_t placedCount_ = 0;
  int shift_ = 58;           // 64 less the table's size in bits
  std::vector<Slot> slots_;  // open addressing, a power of two long
  std::vector<Slot> spare_;
  std::vector<unsigned> next_, previous_;
  std::vector<std::size_t> slotOf_;  // none for an item not placed
};
