#include "simulation/ball_lists.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// A ball may stray this far from where the crowd takes it, plus this many
// sub-steps at its speed against the crowd's, before it is relisted. Wider
// allowances mean fewer relistings and more candidates in every pair pass.
constexpr double smallestAllowance = 0.5;
constexpr double stepsAhead = 10.0;
constexpr double largestAllowance = 128.0;
// As the integration damps every velocity.
constexpr double damping = 0.999;
// Every list has room to grow by this much and by half its length; one that
// outgrows its room moves to the end, with twice the room it needs.
constexpr std::uint32_t spareRoom = 4;
// The lists are all made again once this many balls, and a share of the
// rest, have been relisted since, as each relisted ball is looked at by every
// ball relisted after it.
constexpr std::size_t mostRelisted = 64;
constexpr std::size_t relistedShare = 16;
// The crowd's velocity is the median of this many balls, spread over them all.
constexpr std::size_t crowdSample = 63;
// Covers, with room to spare, the rounding of every distance compared here
// and of the contact test.
constexpr double slack = 1e-9;
constexpr int reachClasses = 64;
// Below this many members, looking at each is quicker than sorting into cells.
constexpr std::size_t sortedFrom = 16;
// Cells an eighth wider than two balls of their class can reach, so that a
// ball looks for others of its class in the nine cells around its own.
constexpr double cellWidening = 1.125;
// Far beyond any place a ball can reach, and small enough that a cell
// coordinate is exact to a hundredth of a cell.
constexpr double farthestCell = 35184372088832.0;  // 2^45

bool finite(const Vector2D& p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

double manhattan(const Vector2D& v) {
  return std::abs(v.x) + std::abs(v.y);
}

// floor(v * inverseCellSize), clamped. Converting to an integer truncates
// toward zero, so a negative fraction steps down by one; this costs less than
// a call of std::floor.
std::int64_t cellCoordinate(double v, double inverseCellSize) {
  const double scaled = std::clamp(v * inverseCellSize, -farthestCell, farthestCell);
  const auto truncated = static_cast<std::int64_t>(scaled);
  return truncated - (static_cast<double>(truncated) > scaled);
}
}  // namespace

// Rings of cells around an entry's own that its reach and the largest of the
// class can span together.
std::int64_t BallLists::ReachClass::ringsFor(double reach) const {
  const double span = (reach + largestReach) * (1.0 + slack) * inverseCellSize;
  return static_cast<std::int64_t>(span + 1.0 / 16.0) + 1;
}

template <typename Visit>
void BallLists::visitNear(const Vector2D& p, double reach, const char* looksInto,
                          Visit visit) const {
  for (int c : active_) {
    if (looksInto != nullptr && !looksInto[c]) {
      continue;
    }
    const ReachClass& reachClass = classes_[c];
    const Entry* entries = reachClass.entries.data();
    if (!reachClass.sorted) {
      visit(entries, entries + reachClass.entries.size());
      continue;
    }
    const double inverse = reachClass.inverseCellSize;
    const std::int64_t rings = reachClass.ringsFor(reach);
    const std::int64_t cells = 2 * rings + 1;
    const std::int64_t width = std::int64_t{1} << reachClass.widthBits;
    const std::int64_t height = std::int64_t{1} << reachClass.heightBits;
    const std::int64_t x = cellCoordinate(p.x, inverse);
    const std::int64_t y = cellCoordinate(p.y, inverse);
    // Rows or columns beyond the table's would visit its slots twice.
    const std::int64_t first = (x - rings) & (width - 1);
    const std::int64_t last = (x + rings) & (width - 1);
    const auto cellRange = [&](std::int64_t from, std::int64_t to) {
      visit(entries + reachClass.start[from], entries + reachClass.start[to]);
    };
    for (std::int64_t r = 0; r < std::min(cells, height); ++r) {
      const std::int64_t row = ((y - rings + r) & (height - 1)) << reachClass.widthBits;
      if (cells >= width) {
        cellRange(row, row + width);
      } else if (first <= last) {
        cellRange(row + first, row + last + 1);
      } else {
        cellRange(row + first, row + width);
        cellRange(row, row + last + 1);
      }
    }
  }
}

void BallLists::prepare(const std::vector<Ball>& balls) {
  const std::size_t known = reference_.size();
  remake_ = remake_ || balls.size() < known;
  for (std::size_t i = 0; i < std::min(known, balls.size()); ++i) {
    remake_ = remake_ || balls[i].radius != radius_[i];
    moved(static_cast<unsigned>(i), balls[i].position);
  }
  reference_.resize(balls.size(), Vector2D(NAN, NAN));
  carriedAtReference_.resize(balls.size());
  allowanceSquared_.resize(balls.size());
  reach_.resize(balls.size(), -1.0);
  radius_.resize(balls.size());
  class_.resize(balls.size(), -1);
  stray_.resize(balls.size());
  relisted_.resize(balls.size());
  foundStart_.resize(balls.size() + 1);
  cursor_.resize(balls.size());
  const auto none = static_cast<std::uint32_t>(partners_.size());
  listStart_.resize(balls.size(), none);
  listEnd_.resize(balls.size(), none);
  listRoomEnd_.resize(balls.size(), none);
  // New balls are listed as strays.
  for (std::size_t i = known; i < balls.size(); ++i) {
    stray_[i] = true;
    strays_.push_back(static_cast<std::uint32_t>(i));
  }
}

void BallLists::refresh(const std::vector<Ball>& balls) {
  if (relistedBalls_.size() + strays_.size() > mostRelisted + balls.size() / relistedShare) {
    remake_ = true;
  }
  for (std::uint32_t i : strays_) {
    stray_[i] = false;
    if (!remake_) {
      relist(i, balls[i]);
    }
  }
  strays_.clear();
  if (remake_) {
    make(balls);
  }
}

void BallLists::reference(std::uint32_t i, const Ball& ball) {
  reference_[i] = ball.position;
  carriedAtReference_[i] = carried_;
  radius_[i] = ball.radius;
  if (!finite(ball.position)) {
    reach_[i] = -1.0;
    allowanceSquared_[i] = std::numeric_limits<double>::infinity();
    return;
  }
  // A NaN or infinite speed leaves the largest allowance.
  const double ahead = smallestAllowance + stepsAhead * manhattan(ball.velocity - crowd_);
  const double allowance = ahead <= largestAllowance ? ahead : largestAllowance;
  allowanceSquared_[i] = square(allowance * (1.0 - slack));
  reach_[i] = std::abs(static_cast<double>(ball.radius)) + allowance;
}

// Two balls are listed together when their reference points, taken along with
// the crowd, are at most the sum of their radii and allowances apart. For
// balls referenced together the test gives the same for both orders of the two,
// bit for bit.
inline bool BallLists::listed(std::uint32_t a, std::uint32_t b) const {
  const Vector2D gap =
      (reference_[a] - reference_[b]) - (carriedAtReference_[a] - carriedAtReference_[b]);
  const double within = (reach_[a] + reach_[b]) * (1.0 + slack);
  return reach_[a] >= 0.0 && reach_[b] >= 0.0 && square(gap.x) + square(gap.y) <= square(within);
}

void BallLists::makeRoom(std::uint32_t list, std::uint32_t more) {
  if (listRoomEnd_[list] - listEnd_[list] >= more) {
    return;
  }
  const std::uint32_t length = listEnd_[list] - listStart_[list];
  const auto start = static_cast<std::uint32_t>(partners_.size());
  partners_.resize(start + 2 * (length + more) + spareRoom);
  std::copy(partners_.begin() + listStart_[list], partners_.begin() + listEnd_[list],
            partners_.begin() + start);
  listStart_[list] = start;
  listEnd_[list] = start + length;
  listRoomEnd_[list] = static_cast<std::uint32_t>(partners_.size());
}

// Takes ball i out of the lists it is in and enters it again where it is now.
// Its cell entry is out of date from then on: the balls relisted since the
// lists were all made are looked at one by one instead.
void BallLists::relist(std::uint32_t i, const Ball& ball) {
  for (std::uint32_t p = listStart_[i]; p < listEnd_[i]; ++p) {
    const std::uint32_t k = partners_[p];
    std::uint32_t* const begin = partners_.data() + listStart_[k];
    std::uint32_t* const end = partners_.data() + listEnd_[k]--;
    std::uint32_t* const at = std::lower_bound(begin, end, i);
    std::copy(at + 1, end, at);
  }
  listEnd_[i] = listStart_[i];
  reference(i, ball);
  if (!relisted_[i]) {
    relisted_[i] = true;
    relistedBalls_.push_back(i);
  }
  if (reach_[i] < 0.0) {
    return;
  }
  found_.clear();
  const auto add = [&](std::uint32_t k) {
    if (k != i && listed(i, k)) {
      found_.push_back(k);
    }
  };
  const Vector2D point = reference_[i] - carriedAtReference_[i];
  visitNear(point, reach_[i], nullptr, [&](const Entry* begin, const Entry* end) {
    for (const Entry* e = begin; e != end; ++e) {
      if (!relisted_[e->index]) {
        add(e->index);
      }
    }
  });
  for (std::uint32_t k : relistedBalls_) {
    add(k);
  }
  std::sort(found_.begin(), found_.end());
  makeRoom(i, static_cast<std::uint32_t>(found_.size()));
  listEnd_[i] = static_cast<std::uint32_t>(
      std::copy(found_.begin(), found_.end(), partners_.begin() + listStart_[i]) -
      partners_.begin());
  for (std::uint32_t k : found_) {
    makeRoom(k, 1);
    std::uint32_t* const begin = partners_.data() + listStart_[k];
    std::uint32_t* const end = partners_.data() + listEnd_[k]++;
    std::uint32_t* const at = std::upper_bound(begin, end, i);
    std::copy_backward(at, end, end + 1);
    *at = i;
  }
}

// Where a ball would be carried along with the crowd: on at the crowd's
// velocity, damped as the integration damps it, and falling at half the pull
// of gravity, so that a ball at rest falls behind by as much as a ball in free
// fall runs ahead.
void BallLists::advance(const Vector2D& gravity) {
  carried_ += crowd_ * decay_;
  decay_ *= damping;
  fallVelocity_ += gravity * 0.5;
  carried_ += fallVelocity_;
  fallVelocity_ *= damping;
}

// The median velocity of a sample: the crowd's, when most balls move together.
Vector2D BallLists::crowdVelocity(const std::vector<Ball>& balls) {
  const std::size_t count = std::min(balls.size(), crowdSample);
  const auto median = [&](double Vector2D::*axis) {
    sample_.clear();
    for (std::size_t s = 0; s < count; ++s) {
      const double v = balls[s * balls.size() / count].velocity.*axis;
      if (std::abs(v) <= largestAllowance) {
        sample_.push_back(v);
      }
    }
    if (sample_.empty()) {
      return 0.0;
    }
    const auto middle = sample_.begin() + static_cast<std::ptrdiff_t>(sample_.size() / 2);
    std::nth_element(sample_.begin(), middle, sample_.end());
    return *middle;
  };
  return Vector2D(median(&Vector2D::x), median(&Vector2D::y));
}

void BallLists::make(const std::vector<Ball>& balls) {
  remake_ = false;
  for (std::uint32_t i : relistedBalls_) {
    relisted_[i] = false;
  }
  relistedBalls_.clear();
  crowd_ = crowdVelocity(balls);
  carried_ = Vector2D();
  fallVelocity_ = Vector2D();
  decay_ = 1.0;
  classes_.resize(reachClasses);
  for (int c : active_) {
    classes_[c].members.clear();
    classes_[c].largestReach = 0.0;
  }
  active_.clear();
  for (std::uint32_t i = 0; i < balls.size(); ++i) {
    reference(i, balls[i]);
    if (reach_[i] < 0.0) {
      class_[i] = -1;
      continue;
    }
    const int c = reach_[i] < 1.0 ? 0 : std::ilogb(reach_[i]) + 1;
    class_[i] = static_cast<std::int8_t>(c);
    ReachClass& reachClass = classes_[c];
    if (reachClass.members.empty()) {
      active_.push_back(c);
      // Balls move from class to class: room for all of them in any class
      // keeps the lists from allocating once the ball count stops growing.
      reachClass.members.reserve(balls.size());
      reachClass.entries.reserve(balls.size());
      reachClass.cell.reserve(balls.size());
      reachClass.start.reserve(4 * balls.size() + 2);
    }
    reachClass.members.push_back(Entry{reference_[i], reach_[i], i});
    reachClass.largestReach = std::max(reachClass.largestReach, reach_[i]);
  }
  std::sort(active_.begin(), active_.end());
  for (int c : active_) {
    ReachClass& reachClass = classes_[c];
    reachClass.sorted = reachClass.members.size() >= sortedFrom;
    if (!reachClass.sorted) {
      reachClass.entries = reachClass.members;
      continue;
    }
    reachClass.inverseCellSize = 1.0 / (2.0 * reachClass.largestReach * cellWidening);
    // At least two cells a member, so that a crowd rarely shares a slot.
    int bits = 0;
    while ((std::size_t{1} << bits) < 2 * reachClass.members.size()) {
      ++bits;
    }
    reachClass.widthBits = (bits + 1) / 2;
    reachClass.heightBits = bits / 2;
    sortIntoCells(reachClass);
  }
  // Balls find the others of their own class, and a pair of balls of two
  // classes is found by the class that does so with fewer candidates.
  looksInto_.assign(reachClasses * reachClasses, false);
  for (int a : active_) {
    for (int b : active_) {
      const double cost = lookingCost(classes_[a], classes_[b]);
      const double reverse = lookingCost(classes_[b], classes_[a]);
      looksInto_[a * reachClasses + b] = a == b || cost < reverse || (cost == reverse && a > b);
    }
  }
  listAll(balls.size());
}

// About how many candidates the members of one class find in another.
double BallLists::lookingCost(const ReachClass& from, const ReachClass& into) {
  const auto members = static_cast<double>(from.members.size());
  if (!into.sorted) {
    return members * static_cast<double>(into.members.size());
  }
  const double side = static_cast<double>(2 * into.ringsFor(from.largestReach) + 1);
  const double perCell = static_cast<double>(into.members.size()) / into.occupied;
  return members * side * (side * perCell + 1.0);
}

// Two balls are listed together when they are at most the sum of their radii
// and allowances apart, a test that gives the same for both orders of the two
// balls, bit for bit.
void BallLists::listAll(std::size_t ballCount) {
  // Each ball's partners in its own class and in the classes it looks into,
  // as the cells give them. Every candidate is written, and kept by moving on past it only
  // if it is listed: whether it is, is as good as random, which a branch would
  // pay for.
  std::size_t count = 0;
  for (std::uint32_t k = 0; k < ballCount; ++k) {
    foundStart_[k] = static_cast<std::uint32_t>(count);
    if (class_[k] < 0) {
      continue;
    }
    const Entry own{reference_[k], reach_[k], k};
    visitNear(own.point, own.reach, &looksInto_[class_[k] * reachClasses],
              [&](const Entry* begin, const Entry* end) {
                if (found_.size() < count + static_cast<std::size_t>(end - begin) + 1) {
                  found_.resize(2 * (count + static_cast<std::size_t>(end - begin) + 1));
                }
                std::uint32_t* out = found_.data() + count;
                for (const Entry* e = begin; e != end; ++e) {
                  const double within = (own.reach + e->reach) * (1.0 + slack);
                  *out = e->index;
                  out += (distanceSquared(own.point, e->point) <= square(within)) & (e->index != k);
                }
                count = static_cast<std::size_t>(out - found_.data());
              });
  }
  foundStart_[ballCount] = static_cast<std::uint32_t>(count);
  // Within a class both balls found the pair, across classes only the one that
  // looked did, so it enters the pair in both lists. Taking k in ascending
  // order and entering it in the list of each of its partners leaves the lists
  // of the balls that found nothing in another class ascending; the others are
  // sorted.
  std::fill(cursor_.begin(), cursor_.end(), 0);
  for (std::uint32_t k = 0; k < ballCount; ++k) {
    for (std::uint32_t f = foundStart_[k]; f < foundStart_[k + 1]; ++f) {
      ++cursor_[found_[f]];
      cursor_[k] += class_[found_[f]] != class_[k];
    }
  }
  std::uint32_t room = 0;
  for (std::uint32_t k = 0; k < ballCount; ++k) {
    listStart_[k] = room;
    room += cursor_[k] + spareRoom + cursor_[k] / 2;
    listRoomEnd_[k] = room;
    cursor_[k] = listStart_[k];
  }
  partners_.resize(room);
  for (std::uint32_t k = 0; k < ballCount; ++k) {
    bool across = false;
    for (std::uint32_t f = foundStart_[k]; f < foundStart_[k + 1]; ++f) {
      const std::uint32_t j = found_[f];
      partners_[cursor_[j]++] = k;
      if (class_[j] != class_[k]) {
        partners_[cursor_[k]++] = j;
        across = true;
      }
    }
    if (across) {
      unsorted_.push_back(k);
    }
  }
  std::copy(cursor_.begin(), cursor_.end(), listEnd_.begin());
  for (std::uint32_t k : unsorted_) {
    std::sort(partners_.begin() + listStart_[k], partners_.begin() + listEnd_[k]);
  }
  unsorted_.clear();
}

// A counting sort: members are taken in ascending order, so each cell's
// entries are too. Cell c's count goes to start[c + 2]; the sums then leave
// start[c + 1] at the cell's beginning, and placing its entries moves that to
// its end.
void BallLists::sortIntoCells(ReachClass& reachClass) {
  const std::size_t cells = std::size_t{1} << (reachClass.widthBits + reachClass.heightBits);
  const std::uint64_t widthMask = (std::uint64_t{1} << reachClass.widthBits) - 1;
  const std::uint64_t heightMask = (std::uint64_t{1} << reachClass.heightBits) - 1;
  reachClass.start.assign(cells + 2, 0);
  reachClass.cell.resize(reachClass.members.size());
  for (std::size_t m = 0; m < reachClass.members.size(); ++m) {
    const Vector2D& p = reachClass.members[m].point;
    const auto x = static_cast<std::uint64_t>(cellCoordinate(p.x, reachClass.inverseCellSize));
    const auto y = static_cast<std::uint64_t>(cellCoordinate(p.y, reachClass.inverseCellSize));
    const auto cell =
        static_cast<std::uint32_t>(((y & heightMask) << reachClass.widthBits) | (x & widthMask));
    reachClass.cell[m] = cell;
    ++reachClass.start[cell + 2];
  }
  reachClass.occupied = 0;
  for (std::size_t c = 2; c < cells + 2; ++c) {
    reachClass.occupied += reachClass.start[c] != 0;
    reachClass.start[c] += reachClass.start[c - 1];
  }
  reachClass.entries.resize(reachClass.members.size());
  for (std::size_t m = 0; m < reachClass.members.size(); ++m) {
    reachClass.entries[reachClass.start[reachClass.cell[m] + 1]++] = reachClass.members[m];
  }
}
