#include "simulation/ball_lists.h"

#include <algorithm>
#include <cmath>

#include "simulation/listed_near.h"

namespace {
// How far a ball may stray from its reference point before it is relisted, in
// pixels. Among others: 2, plus 5 times the square root of its speed in pixels
// a sub-step (about 6 in a churning crowd), up to 20. A relisting costs about
// as much as a few hundred candidates in the pair passes; a wider allowance
// means fewer relistings and more candidates, and the two balance near one
// that grows with the square root of the speed. Alone: as far as it moves in
// 20 sub-steps, up to 128, so that a ball in free fall is relisted every
// twenty sub-steps instead of every one or two, and costs no candidates.
constexpr double allowance = 2.0;
constexpr double perRootSpeed = 5.0, usualLargest = 20.0;
constexpr double stepsAhead = 20.0, largestAllowance = 128.0;
// Every list has room to grow by this much when the lists are made; one that
// outgrows its room moves to the end, with twice the room it needs. All the
// lists are made again once more than one ball in this many strays in one
// sub-step, or the lists have spread over twice their room.
constexpr std::uint32_t spareRoom = 4;
constexpr std::size_t strayShare = 2;

// A NaN or infinite speed leaves the largest allowance.
double allowanceFor(const Vector2D& velocity, bool alone) {
  const double speed = std::abs(velocity.x) + std::abs(velocity.y);
  const double wanted =
      alone ? allowance + stepsAhead * speed : allowance + perRootSpeed * std::sqrt(speed);
  const double largest = alone ? largestAllowance : usualLargest;
  return wanted <= largest ? wanted : largest;
}

bool finite(const Vector2D& p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}
}  // namespace

void BallLists::prepare(const std::vector<Ball>& balls) {
  if (balls.size() < balls_.size()) {
    *this = BallLists();
  }
  for (std::uint32_t i = 0; i < balls_.size(); ++i) {
    remake_ = remake_ || balls[i].radius != balls_[i].radius;
    // Only a position set from outside turns finite again.
    if (!finite(balls_[i].reference) && finite(balls[i].position) && !balls_[i].stray) {
      balls_[i].stray = true;
      strays_.push_back(i);
    }
    moved(i, balls[i].position);
  }
  // New balls are strays.
  for (auto i = static_cast<std::uint32_t>(balls_.size()); i < balls.size(); ++i) {
    strays_.push_back(i);
  }
  const auto none = static_cast<std::uint32_t>(partners_.size());
  balls_.resize(balls.size(),
                Listed{Vector2D(NAN, NAN), 0.0, 0.0, -1.0, 0, true, false, none, none, none});
  foundStart_.resize(balls.size() + 1);
}

void BallLists::refresh(const std::vector<Ball>& balls) {
  remake_ = remake_ || strays_.size() * strayShare > balls.size() ||
            partners_.size() > 2 * compactSize_ + 64;
  if (remake_) {
    makeAll(balls);
  } else if (!strays_.empty()) {
    relistStrays(balls);
  }
  for (std::uint32_t i : strays_) {
    balls_[i].stray = false;
  }
  strays_.clear();
}

void BallLists::reference(std::uint32_t i, const Ball& ball, double allowed) {
  Listed& listed = balls_[i];
  const bool touches = finite(ball.position);
  listed.reference = ball.position;
  listed.radius = ball.radius;
  listed.allowance = allowed;
  listed.reach = touches ? std::abs(static_cast<double>(ball.radius)) + allowed : -1.0;
  listed.allowanceSquared = touches ? square(allowed * (1.0 - listingSlack)) : INFINITY;
  classes_.set(i, listed.reference, listed.reach);
}

// Writes to found_, from count on, the balls listed with own that are below
// below and not own itself, and returns the new count.
std::size_t BallLists::collect(const Entry& own, std::uint32_t below, std::size_t count) {
  const WidePath path = fastestWidePath();
  classes_.visitNear(own.point, own.reach, [&](const Entry* begin, const Entry* end) {
    // Four more than the most there can be, for the last four written at once.
    const std::size_t most = count + static_cast<std::size_t>(end - begin) + 4;
    if (found_.size() < most) {
      found_.resize(2 * most);
    }
    count = static_cast<std::size_t>(
        writeListed(path, own, below, begin, end, found_.data() + count) - found_.data());
  });
  return count;
}

void BallLists::makeRoom(std::uint32_t i, std::uint32_t more) {
  Listed& list = balls_[i];
  if (list.roomEnd - list.end >= more) {
    return;
  }
  const auto start = static_cast<std::uint32_t>(partners_.size());
  partners_.resize(start + 2 * (list.end - list.start + more));
  std::uint32_t* const data = partners_.data();
  std::copy(data + list.start, data + list.end, data + start);
  list.end = start + (list.end - list.start);
  list.start = start;
  list.roomEnd = static_cast<std::uint32_t>(partners_.size());
}

// Lists are short: counting where i belongs costs no mispredicted branch, as a
// binary search would.
void BallLists::enter(std::uint32_t h, std::uint32_t i) {
  const std::uint32_t* const list = partners_.data() + balls_[h].start;
  const std::uint32_t length = balls_[h].end - balls_[h].start;
  const auto below = static_cast<std::uint32_t>(
      std::count_if(list, list + length, [i](std::uint32_t p) { return p < i; }));
  if (below == length || list[below] != i) {
    makeRoom(h, 1);
    std::uint32_t* const moved = partners_.data() + balls_[h].start;
    std::copy_backward(moved + below, moved + length, moved + length + 1);
    moved[below] = i;
    ++balls_[h].end;
  }
}

void BallLists::makeAll(const std::vector<Ball>& balls) {
  remake_ = false;
  const std::size_t n = balls.size();
  // Each ball keeps the allowance it was last given, if that is wider.
  for (std::uint32_t i = 0; i < n; ++i) {
    reference(i, balls[i], std::max(balls_[i].allowance, allowanceFor(balls[i].velocity, false)));
    balls_[i].end = 0;
  }
  classes_.update();
  // Stage 1: each ball finds the balls below it that are listed with it.
  std::size_t count = 0;
  for (std::uint32_t k = 0; k < n; ++k) {
    foundStart_[k] = static_cast<std::uint32_t>(count);
    if (balls_[k].reach >= 0.0) {
      const Entry own{balls_[k].reference, balls_[k].reach, k};
      count = collect(own, k, count);
    }
  }
  foundStart_[n] = static_cast<std::uint32_t>(count);
  // Stage 2: entering each ball, in ascending order, in the lists of the balls
  // below it that found it leaves every list ascending.
  for (std::size_t f = 0; f < count; ++f) {
    ++balls_[found_[f]].end;
  }
  std::uint32_t room = 0;
  for (Listed& list : balls_) {
    list.start = room;
    room += list.end + spareRoom;
    list.end = list.start;
    list.roomEnd = room;
  }
  partners_.resize(room);
  for (std::uint32_t k = 0; k < n; ++k) {
    for (std::uint32_t f = foundStart_[k]; f < foundStart_[k + 1]; ++f) {
      partners_[balls_[found_[f]].end++] = k;
    }
  }
  compactSize_ = room;
}

void BallLists::relistStrays(const std::vector<Ball>& balls) {
  // Stage 1: new reference points. A stray that was alone when it was last
  // listed is offered the allowance of one alone.
  for (std::uint32_t i : strays_) {
    reference(i, balls[i], allowanceFor(balls[i].velocity, balls_[i].alone));
  }
  classes_.update();
  // Stage 2: a stray's own list is made afresh; the lists below it gain it
  // where they lack it. Another stray's relisting does the same for the pair,
  // so the order of relisting does not matter.
  for (std::uint32_t i : strays_) {
    balls_[i].end = balls_[i].start;
    if (balls_[i].reach < 0.0) {
      continue;
    }
    const auto find = [&] {
      return collect(Entry{balls_[i].reference, balls_[i].reach, i}, UINT32_MAX, 0);
    };
    std::size_t count = find();
    // One that is no longer alone takes the usual allowance, so as not to list
    // many. Until the classes' next update, the entry that others find keeps
    // the wider reach, which lists more than needed, never less.
    if (count > 0 && balls_[i].allowance > allowanceFor(balls[i].velocity, false)) {
      reference(i, balls[i], allowanceFor(balls[i].velocity, false));
      count = find();
    }
    balls_[i].alone = count == 0;
    // Only those above i need sorting, for its own list: a split with no branch.
    below_.resize(count);
    std::uint32_t above = 0;
    for (std::uint32_t f = 0; f < count; ++f) {
      below_[f - above] = found_[above] = found_[f];
      above += found_[above] > i;
    }
    std::sort(found_.begin(), found_.begin() + above);
    makeRoom(i, above);
    std::copy(found_.begin(), found_.begin() + above, partners_.begin() + balls_[i].start);
    balls_[i].end += above;
    for (std::uint32_t b = 0; b < count - above; ++b) {
      enter(below_[b], i);
    }
  }
}
