#include "simulation/reach_classes.h"

#include <algorithm>
#include <cmath>

namespace {
// All are sorted into their classes again once more than this many, and one
// in this many, are fresh: each search looks at every fresh one near it.
constexpr std::size_t mostFresh = 16;
constexpr std::size_t freshShare = 8;
// Where an entry is that has no slot in a class.
constexpr std::uint32_t none = UINT32_MAX;
constexpr std::uint32_t fresh = UINT32_MAX - 1;
}  // namespace

void ReachClasses::set(std::uint32_t i, const Vector2D& point, double reach) {
  if (i >= class_.size()) {
    class_.resize(i + 1, -1);
    slot_.resize(i + 1, none);
    point_.resize(i + 1);
    reach_.resize(i + 1);
  }
  if (slot_[i] != fresh) {
    if (slot_[i] != none) {
      classes_[class_[i]].grid.blank(slot_[i]);
    }
    slot_[i] = fresh;
    freshIndices_.push_back(i);
  }
  class_[i] = reach < 0.0 ? -1 : static_cast<std::int8_t>(reach < 1.0 ? 0 : std::ilogb(reach) + 1);
  point_[i] = point;
  reach_[i] = reach;
}

void ReachClasses::update() {
  if (freshIndices_.size() > mostFresh + class_.size() / freshShare) {
    sortAll();
    return;
  }
  fresh_.members.clear();
  fresh_.largestReach = 0.0;
  for (std::uint32_t i : freshIndices_) {
    if (class_[i] >= 0) {
      fresh_.members.push_back(Entry{point_[i], reach_[i], i});
      fresh_.largestReach = std::max(fresh_.largestReach, reach_[i]);
    }
  }
  fresh_.grid.sort(fresh_.members, fresh_.largestReach);
}

void ReachClasses::sortAll() {
  for (int c : active_) {
    classes_[c].members.clear();
    classes_[c].largestReach = 0.0;
  }
  for (std::uint32_t i = 0; i < class_.size(); ++i) {
    slot_[i] = none;
    if (class_[i] >= 0) {
      Class& c = classes_[class_[i]];
      slot_[i] = static_cast<std::uint32_t>(c.members.size());
      c.members.push_back(Entry{point_[i], reach_[i], i});
      c.largestReach = std::max(c.largestReach, reach_[i]);
    }
  }
  active_.clear();
  for (int c = 0; c < static_cast<int>(classes_.size()); ++c) {
    if (!classes_[c].members.empty()) {
      active_.push_back(c);
      classes_[c].grid.sort(classes_[c].members, classes_[c].largestReach);
    }
  }
  freshIndices_.clear();
  fresh_.members.clear();
  fresh_.grid.sort(fresh_.members, 1.0);
}
