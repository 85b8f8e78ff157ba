#pragma once

#include <cmath>
#include <vector>

#include "support/exhaustive_physics.h"
#include "world/world.h"

// The floor of a frame: the same frame with every touching pair and wall
// handed over for free, so that only the pushes, gravity, the touching walls'
// responses, integration and damping are left. It is written here, plainly and
// on its own, with the same operations in the same order as the program, so
// that it ends in the same bits: no contact search can make a frame cheaper.
namespace floor_frame {

// A ball's push from another that touches it: the offset divided by its
// Manhattan length, scaled by the overlap of the squared distances.
inline void push(Ball& a, const Ball& b) {
  const double dx = a.position.x - b.position.x;
  const double dy = a.position.y - b.position.y;
  const double d2 = (b.position.x - a.position.x) * (b.position.x - a.position.x) +
                    (b.position.y - a.position.y) * (b.position.y - a.position.y);
  const double manhattan = std::fabs(dx) + std::fabs(dy);
  const double fx = manhattan > 0.01 ? dx / manhattan : (dx < 0.0 ? -0.0 : 0.0);
  const double fy = manhattan > 0.01 ? dy / manhattan : (dy < 0.0 ? -0.0 : 0.0);
  const double r = static_cast<double>(a.radius + b.radius);
  const double q = d2 - r * r;
  a.velocity.x = (a.velocity.x - fx * q * 0.002 / a.mass) * 0.999;
  a.velocity.y = (a.velocity.y - fy * q * 0.002 / a.mass) * 0.999;
}

// The line through (su, sv) with the given slope, by its first coordinate.
inline double along(double u, double su, double sv, double slope) {
  return (u - su) * slope + sv;
}

// A wall's push on a ball it touches, from the point of the wall nearest to the
// centre. The walls handed over are those that touch, so every one has a
// nearest point and an overlap.
inline void wallPush(Ball& ball, const Wall& wall) {
  const double sx = wall.start.x, sy = wall.start.y, ex = wall.end.x, ey = wall.end.y;
  const double px = ball.position.x, py = ball.position.y;
  double slope = (ex - sx) * (ex - sx) > 0.1 ? (ey - sy) / (ex - sx) : 10.0;
  double x, y;
  if (slope * slope < 1.0) {
    x = (slope * slope * sx + px + py * slope - sy * slope) / (slope * slope + 1.0);
    x = x < std::fmin(sx, ex) ? std::fmin(sx, ex) : x;
    x = x > std::fmax(sx, ex) ? std::fmax(sx, ex) : x;
    y = along(x, sx, sy, slope);
  } else {
    slope = (ex - sx) / (ey - sy);
    y = (slope * slope * sy + py + px * slope - sx * slope) / (slope * slope + 1.0);
    y = y < std::fmin(sy, ey) ? std::fmin(sy, ey) : y;
    y = y > std::fmax(sy, ey) ? std::fmax(sy, ey) : y;
    x = along(y, sy, sx, slope);
  }
  const double dx = px - x, dy = py - y;
  const double radiusSquared = static_cast<double>(ball.radius) * static_cast<double>(ball.radius);
  const double q = (dx * dx + dy * dy) - radiusSquared;
  const double manhattan = std::fabs(dx) + std::fabs(dy);
  const double fx = manhattan > 0.01 ? dx / manhattan : (dx < 0.0 ? -0.0 : 0.0);
  const double fy = manhattan > 0.01 ? dy / manhattan : (dy < 0.0 ? -0.0 : 0.0);
  ball.velocity.x = (ball.velocity.x - fx * q * 0.06) * 0.96;
  ball.velocity.y = (ball.velocity.y - fy * q * 0.06) * 0.96;
}

// One frame from the contacts of its ten sub-steps.
inline void frame(const SubStepContacts* contacts) {
  for (unsigned i = 2; i < 10; ++i) {
    const double angle = (i - 2) * (6.28 / 8) + spinAngle;
    walls[i].end.x = walls[i].start.x + std::cos(angle) * 100.0;
    walls[i].end.y = walls[i].start.y + std::sin(angle) * 100.0;
  }
  spinAngle += 0.005;
  balls[0].velocity.x += thrust.x;
  balls[0].velocity.y += thrust.y;
  Ball* const ball = balls.data();
  const Wall* const wall = walls.data();
  for (unsigned step = 0; step < 10; ++step) {
    const SubStepContacts& seen = contacts[step];
    const unsigned* pair = seen.pairs.data();
    for (std::size_t p = 0; p < seen.pairs.size(); p += 2) {
      push(ball[pair[p]], ball[pair[p + 1]]);
    }
    for (std::size_t i = 0; i < balls.size(); ++i) {
      ball[i].velocity.x += 0.0;
      ball[i].velocity.y += 0.005;
      for (unsigned w = seen.wallStart[i]; w < seen.wallStart[i + 1]; ++w) {
        wallPush(ball[i], wall[seen.walls[w]]);
      }
      ball[i].position.x += ball[i].velocity.x;
      ball[i].position.y += ball[i].velocity.y;
      ball[i].velocity.x *= 0.999;
      ball[i].velocity.y *= 0.999;
    }
  }
  thrust = Vector2D(0.0, 0.0);
}

}  // namespace floor_frame
