#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "geometry/vector2d.h"

// Points sorted into square cells by a counting sort, and the search around a
// point. The cells wrap onto a table a power of two wide and high: neighbouring
// cells stay next to each other in memory, and a point far away shares a slot
// with some cell near the others instead of stretching the grid, which only
// adds candidates. A search is exact because rounding is monotonic: a point
// within h of p in x lies between the rounded p.x - h and p.x + h, and so does
// its cell coordinate.
class CellGrid {
 public:
  struct Entry {
    Vector2D point;
    double reach;
    std::uint32_t index;
  };

  // Sorts finite points into cells cellWidth pixels wide (about one cell a
  // point in the table); entries keep their order within a cell.
  void sort(const std::vector<Entry>& entries, double cellWidth);

  // The entry given to sort() at position e matches nothing from now on.
  void blank(std::uint32_t e) { entries_[slot_[e]].point = Vector2D(NAN, NAN); }

  // Calls visit(begin, end) for runs of entries that together hold, each once,
  // every entry within halfWidth of p in x and in y (and others).
  template <typename Visit>
  void visitNear(const Vector2D& p, double halfWidth, Visit visit) const {
    // Only the cells between the entries' outermost ones can hold any.
    const std::int64_t x0 = std::max(cellCoordinate(p.x - halfWidth), lowest_[0]);
    const std::int64_t x1 = std::min(cellCoordinate(p.x + halfWidth), highest_[0]);
    const std::int64_t y0 = std::max(cellCoordinate(p.y - halfWidth), lowest_[1]);
    const std::int64_t y1 = std::min(cellCoordinate(p.y + halfWidth), highest_[1]);
    if (x0 > x1 || y0 > y1) {
      return;
    }
    // Ranges wider than the table would visit its slots twice; a range that
    // runs past the table's edge goes on from its other edge.
    const std::int64_t width = std::int64_t{1} << widthBits_;
    const std::int64_t height = std::int64_t{1} << heightBits_;
    const std::int64_t columns = std::min(x1 - x0 + 1, width);
    const std::int64_t first = x0 & (width - 1);
    const std::int64_t untilEdge = std::min(columns, width - first);
    const Entry* entries = entries_.data();
    for (std::int64_t y = y0; y < y0 + std::min(y1 - y0 + 1, height); ++y) {
      const std::uint32_t* row = start_.data() + ((y & (height - 1)) << widthBits_);
      visit(entries + row[first], entries + row[first + untilEdge]);
      if (columns > untilEdge) {
        visit(entries + row[0], entries + row[columns - untilEdge]);
      }
    }
  }

 private:
  // floor(v / cell width), clamped to 2^45 cells: far beyond any place a ball
  // can reach, and small enough that a cell coordinate is exact. Clamping only
  // ever brings cells closer together. Truncating toward zero and stepping a
  // negative fraction down by one costs less than std::floor, which matters in
  // a search. Only finite points are sorted or searched around.
  std::int64_t cellCoordinate(double v) const {
    constexpr double farthestCell = 35184372088832.0;
    const double scaled = std::clamp(v * inverseCellWidth_, -farthestCell, farthestCell);
    const auto truncated = static_cast<std::int64_t>(scaled);
    return truncated - (static_cast<double>(truncated) > scaled);
  }

  double inverseCellWidth_ = 1.0;
  int widthBits_ = 0;
  int heightBits_ = 0;
  std::int64_t lowest_[2] = {1, 1};  // the entries' outermost cell coordinates, in x and y
  std::int64_t highest_[2] = {0, 0};
  std::vector<std::uint32_t> cell_;   // of each entry given to sort
  std::vector<std::uint32_t> slot_;   // where each entry given to sort went
  std::vector<std::uint32_t> start_;  // where each cell's entries begin; one more at the end
  std::vector<Entry> entries_;        // by cell
};
