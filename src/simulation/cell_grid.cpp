#include "simulation/cell_grid.h"

#include <algorithm>
#include <cmath>

namespace {
// Far beyond any place a ball can reach, and small enough that a cell
// coordinate is exact to a hundredth of a cell.
constexpr double farthestCell = 35184372088832.0;  // 2^45
}  // namespace

void CellGrid::reset(double cellSize) {
  inverseCellSize_ = 1.0 / cellSize;
  next_.clear();
  previous_.clear();
  slotOf_.clear();
  placedCount_ = 0;
  slots_.clear();
  rehash(64);
}

CellGrid::Cell CellGrid::cellOf(const Vector2D& point) const {
  const auto coordinate = [this](double v) {
    return static_cast<std::int64_t>(
        std::clamp(std::floor(v * inverseCellSize_), -farthestCell, farthestCell));
  };
  return Cell{coordinate(point.x), coordinate(point.y)};
}

// Multiplicative hashing: the high bits of the product mix every bit of both
// coordinates.
std::size_t CellGrid::hash(const Cell& cell) const {
  const std::uint64_t mixed = (static_cast<std::uint64_t>(cell.x) * 0x9E3779B97F4A7C15ull +
                               static_cast<std::uint64_t>(cell.y)) *
                              0xC2B2AE3D27D4EB4Full;
  return static_cast<std::size_t>(mixed >> shift_);
}

std::size_t CellGrid::find(const Cell& cell) const {
  for (std::size_t slot = hash(cell);; slot = (slot + 1) & (slots_.size() - 1)) {
    if (!slots_[slot].used) {
      return none;
    }
    if (slots_[slot].cell == cell) {
      return slot;
    }
  }
}

// Cells stay in the table when their last item leaves; the table is rebuilt
// from the occupied cells alone when it fills up.
std::size_t CellGrid::findOrAdd(const Cell& cell) {
  if (4 * (usedSlots_ + 1) > slots_.size()) {
    std::size_t occupied = 0;
    for (const Slot& slot : slots_) {
      occupied += slot.used && slot.head != none;
    }
    rehash(8 * occupied);
  }
  std::size_t slot = hash(cell);
  for (; slots_[slot].used; slot = (slot + 1) & (slots_.size() - 1)) {
    if (slots_[slot].cell == cell) {
      return slot;
    }
  }
  slots_[slot] = Slot{cell, none, true};
  ++usedSlots_;
  return slot;
}

// The old table moves to the spare buffer and the new one reuses the spare's
// storage, so that once the table has reached its working size, rehashing
// allocates nothing.
void CellGrid::rehash(std::size_t capacity) {
  std::size_t size = 64;
  shift_ = 58;
  while (size < capacity) {
    size *= 2;
    --shift_;
  }
  std::swap(slots_, spare_);
  slots_.assign(size, Slot{Cell{0, 0}, none, false});
  usedSlots_ = 0;
  for (const Slot& slot : spare_) {
    if (slot.used && slot.head != none) {
      std::size_t moved = hash(slot.cell);
      while (slots_[moved].used) {
        moved = (moved + 1) & (size - 1);
      }
      slots_[moved] = slot;
      ++usedSlots_;
      for (unsigned k = slot.head; k != none; k = next_[k]) {
        slotOf_[k] = moved;
      }
    }
  }
}

void CellGrid::place(unsigned i, const Vector2D& point) {
  if (i >= slotOf_.size()) {
    next_.resize(i + 1, none);
    previous_.resize(i + 1, none);
    slotOf_.resize(i + 1, none);
  }
  const Cell cell = cellOf(point);
  if (slotOf_[i] != none && slots_[slotOf_[i]].cell == cell) {
    return;
  }
  unlink(i);
  link(i, findOrAdd(cell));
}

void CellGrid::remove(unsigned i) {
  if (i < slotOf_.size()) {
    unlink(i);
  }
}

void CellGrid::link(unsigned i, std::size_t slot) {
  next_[i] = slots_[slot].head;
  previous_[i] = none;
  if (next_[i] != none) {
    previous_[next_[i]] = i;
  }
  slots_[slot].head = i;
  slotOf_[i] = slot;
  ++placedCount_;
}

void CellGrid::unlink(unsigned i) {
  if (slotOf_[i] == none) {
    return;
  }
  if (previous_[i] != none) {
    next_[previous_[i]] = next_[i];
  } else {
    slots_[slotOf_[i]].head = next_[i];
  }
  if (next_[i] != none) {
    previous_[next_[i]] = previous_[i];
  }
  slotOf_[i] = none;
  --placedCount_;
}
