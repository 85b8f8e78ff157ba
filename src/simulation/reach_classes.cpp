#include "simulation/reach_classes.h"

#include <algorithm>
#include <cmath>

namespace {
// Below this many members, looking at each is quicker than sorting into cells.
constexpr std::size_t sortedFrom = 16;
}  // namespace

void ReachClasses::resize(std::size_t count) {
  class_.resize(count, -1);
  point_.resize(count);
  reach_.resize(count, -1.0);
}

void ReachClasses::set(std::uint32_t i, const Vector2D& point, double reach) {
  if (class_[i] >= 0) {
    classes_[class_[i]].changed = true;
  }
  class_[i] = reach < 0.0 ? -1 : static_cast<std::int8_t>(reach < 1.0 ? 0 : std::ilogb(reach) + 1);
  if (class_[i] >= 0) {
    classes_[class_[i]].changed = true;
  }
  point_[i] = point;
  reach_[i] = reach;
}

void ReachClasses::update() {
  bool anyChanged = false;
  for (Class& c : classes_) {
    if (c.changed) {
      c.members.clear();
      c.largestReach = 0.0;
      anyChanged = true;
    }
  }
  if (!anyChanged) {
    return;
  }
  for (std::uint32_t i = 0; i < class_.size(); ++i) {
    if (class_[i] >= 0 && classes_[class_[i]].changed) {
      Class& c = classes_[class_[i]];
      c.members.push_back(Entry{point_[i], reach_[i], i});
      c.largestReach = std::max(c.largestReach, reach_[i]);
    }
  }
  active_.clear();
  for (int index = 0; index < static_cast<int>(classes_.size()); ++index) {
    Class& c = classes_[index];
    if (c.changed) {
      c.changed = false;
      c.sorted = c.members.size() >= sortedFrom;
      if (c.sorted) {
        c.grid.sort(c.members, c.largestReach);
      }
    }
    if (!c.members.empty()) {
      active_.push_back(index);
    }
  }
}
