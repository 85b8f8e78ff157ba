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
// defined for any finite point. Clamping is monotonic, so two points within one
// cell width of each other still lie in the same or in neighbouring cells.
class CellGrid {
 public:
  // Empties the grid and sets the cell width for the items to come.
  void reset(double cellSize, std::size_t itemCount);
  // Places item i at a finite point, or moves it there if it is placed already.
  void place(unsigned i, const Vector2D& point);
  void remove(unsigned i);

  // Calls visit(k) for every placed item k in the cell of point and in the eight
  // cells around it: every item within one cell width of point, and some more.
  template <typename Visit>
  void visitNear(const Vector2D& point, Visit visit) const {
    const Cell centre = cellOf(point);
    for (std::int64_t dy = -1; dy <= 1; ++dy) {
      for (std::int64_t dx = -1; dx <= 1; ++dx) {
        const std::size_t slot = find(Cell{centre.x + dx, centre.y + dy});
        if (slot == none) {
          continue;
        }
        for (unsigned k = slots_[slot].head; k != none; k = next_[k]) {
          visit(k);
        }
      }
    }
  }

 private:
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
  std::size_t hash(const Cell& cell) const;
  std::size_t find(const Cell& cell) const;  // the cell's slot, or none
  std::size_t findOrAdd(const Cell& cell);
  void link(unsigned i, std::size_t slot);
  void unlink(unsigned i);
  void rehash(std::size_t capacity);

  double inverseCellSize_ = 1.0;
  std::size_t usedSlots_ = 0;
  std::vector<Slot> slots_;  // open addressing, a power of two long
  std::vector<unsigned> next_, previous_;
  std::vector<std::size_t> slotOf_;  // none for an item not placed
};
