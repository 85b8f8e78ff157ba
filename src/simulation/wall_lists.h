#pragma once

#include <cstdint>
#include <vector>

#include "world/world.h"

// Each ball's list of the walls near it. A list holds every wall that lay
// within the ball's radius plus an allowance of it when the list was made (the
// skin, or half the way to the nearest wall if that is more), and it is remade
// once the ball's move plus the walls' move since then exceeds the allowance:
// a wall that could touch the ball is therefore always on its list.
class WallLists {
 public:
  // Brings the lists up to date with the walls as they are now, for a world of
  // ballCount balls.
  void prepare(const std::vector<Wall>& walls, std::size_t ballCount);

  // Every wall that may touch ball i, in ascending order, from the returned
  // pointer to end.
  const std::uint32_t* near(unsigned i, const Ball& ball, const std::vector<Wall>& walls,
                            const std::uint32_t*& end) {
    Listing& listing = listings_[i];
    const double allowance = listing.allowance - wallMove_;
    if (!(allowance >= 0.0 && ball.radius == listing.radius &&
          distanceSquared(ball.position, listing.reference) <= allowance * allowance)) {
      remake(listing, ball, walls);
    }
    const std::uint32_t* begin = listing.count <= inlineWalls ? listing.walls : allWalls_.data();
    end = begin + (listing.count <= inlineWalls ? listing.count : allWalls_.size());
    return begin;
  }

 private:
  // A list longer than this holds every wall, as one that is near every wall
  // is hardly worth a list; kept inline, a list costs no extra cache line.
  static constexpr std::uint32_t inlineWalls = 6;
  struct Listing {
    Vector2D reference;
    double allowance = -1.0;  // negative: the list must be made
    int radius = 0;
    std::uint32_t count = 0;  // above inlineWalls: every wall
    std::uint32_t walls[inlineWalls] = {};
  };

  void remake(Listing& listing, const Ball& ball, const std::vector<Wall>& walls);

  std::vector<Wall> wallsAtReference_;
  std::vector<char> alwaysListed_;  // too far out to reason about: never culled
  std::vector<std::uint32_t> allWalls_;
  double wallScale_ = 0.0;
  double wallMove_ = 0.0;
  std::vector<Listing> listings_;
  std::vector<double> squaredDistance_;
};
