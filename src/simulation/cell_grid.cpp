#include "simulation/cell_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>

// Cell c's count goes to start_[c + 2]; the sums then leave start_[c + 1] at
// the cell's beginning, and placing its entries moves that to its end, which is
// where the next cell begins.
void CellGrid::sort(const std::vector<Entry>& entries, double cellWidth) {
  inverseCellWidth_ = 1.0 / cellWidth;
  int bits = 1;
  while ((std::size_t{1} << bits) < entries.size()) {
    ++bits;
  }
  widthBits_ = (bits + 1) / 2;
  heightBits_ = bits / 2;
  const std::size_t cells = std::size_t{1} << bits;
  const auto widthMask = static_cast<std::uint64_t>((std::int64_t{1} << widthBits_) - 1);
  const auto heightMask = static_cast<std::uint64_t>((std::int64_t{1} << heightBits_) - 1);
  start_.assign(cells + 2, 0);
  cell_.resize(entries.size());
  lowest_[0] = lowest_[1] = std::numeric_limits<std::int64_t>::max();
  highest_[0] = highest_[1] = std::numeric_limits<std::int64_t>::min();
  for (std::size_t e = 0; e < entries.size(); ++e) {
    const std::int64_t cx = cellCoordinate(entries[e].point.x);
    const std::int64_t cy = cellCoordinate(entries[e].point.y);
    lowest_[0] = std::min(lowest_[0], cx);
    lowest_[1] = std::min(lowest_[1], cy);
    highest_[0] = std::max(highest_[0], cx);
    highest_[1] = std::max(highest_[1], cy);
    const auto x = static_cast<std::uint64_t>(cx);
    const auto y = static_cast<std::uint64_t>(cy);
    cell_[e] = static_cast<std::uint32_t>(((y & heightMask) << widthBits_) | (x & widthMask));
    ++start_[cell_[e] + 2];
  }
  for (std::size_t c = 2; c < cells + 2; ++c) {
    start_[c] += start_[c - 1];
  }
  entries_.resize(entries.size());
  slot_.resize(entries.size());
  for (std::size_t e = 0; e < entries.size(); ++e) {
    slot_[e] = start_[cell_[e] + 1]++;
    entries_[slot_[e]] = entries[e];
  }
}
