// Plays the long game and prints hashes of the C library's sine and cosine over
// a fixed set of angles, then of the whole world at checkpoints. Two machines
// that print the same first line must print the same rest.
// Usage: brivolt_determinism [balls, default 1500]
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/controls.h"
#include "app/scene.h"
#include "simulation/simulation.h"
#include "world/world.h"

namespace {
// FNV-1a over each double's bits, taken from the value and not from memory, so
// that byte order does not count.
struct Hash {
  unsigned long long value = 14695981039346656037u;
  void add(double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    for (int shift = 0; shift < 64; shift += 8) {
      value = (value ^ ((bits >> shift) & 0xff)) * 1099511628211u;
    }
  }
};
}  // namespace

int main(int argc, char** argv) {
  const unsigned long target = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1500;
  Hash libm;
  for (std::uint32_t k = 0; k < (1u << 19); ++k) {
    // k / 2^16 is exact in any arithmetic, so every machine asks for the same angles.
    const double angle = std::ldexp(static_cast<double>(k), -16);
    libm.add(std::sin(angle));
    libm.add(std::cos(angle));
  }
  std::printf("sin and cos %016llx\n", libm.value);
  buildScene();
  std::uint32_t random = 2026;  // a generator whose every step the language fixes
  for (unsigned long frame = 0; balls.size() < target; ++frame) {
    random = random * 1664525u + 1013904223u;
    const int x = static_cast<int>(random >> 16) % 800, y = static_cast<int>(random & 0xffff) % 600;
    applyMouseButtons(frame % 4 == 0 ? 1 + frame / 4 % 2 : 0, x, y);
    applyArrowKeys(frame % 300 < 20, frame % 700 < 30, frame % 900 < 40);
    updateFrame();
    if (frame % 1000 == 999 || balls.size() == target) {
      Hash world;
      for (const Ball& b : balls) {
        for (double v : {b.position.x, b.position.y, b.velocity.x, b.velocity.y}) {
          world.add(v);
        }
      }
      std::printf("frame %lu, %zu balls: %016llx\n", frame + 1, balls.size(), world.value);
    }
  }
  return 0;
}
