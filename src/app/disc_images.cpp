#include "app/disc_images.h"

#include <cstring>
#include <memory>
#include <new>

namespace {
int bytesPerPixel(int depth) {
  return (depth + 7) / 8;
}

// circlefill and circle turn their clipping off when they take the disc to lie
// inside the bitmap, and with a negative radius they can be wrong and write
// outside it. They are safe when the square they draw in does lie inside.
bool insideClip(const BITMAP* target, int x, int y, int radius) {
  const long long reach = radius < 0 ? -static_cast<long long>(radius) : radius;
  return x - reach >= target->cl && x + reach < target->cr && y - reach >= target->ct &&
         y + reach < target->cb;
}
}  // namespace

const DiscImages::Image* DiscImages::image(int radius, int fill, int ink, int depth) {
  for (const Image& made : images_) {
    if (made.radius == radius && made.fill == fill && made.ink == ink && made.depth == depth) {
      return &made;
    }
  }
  // A negative radius draws a small cross within the same square as its size.
  const int reach = radius < 0 ? -radius : radius;
  const int size = 2 * reach + 1;
  const std::unique_ptr<BITMAP, void (*)(BITMAP*)> canvas(create_bitmap_ex(depth, size, size),
                                                          destroy_bitmap);
  if (!canvas) {
    return nullptr;
  }
  const int mask = bitmap_mask_color(canvas.get());
  clear_to_color(canvas.get(), mask);
  circlefill(canvas.get(), reach, reach, radius, fill);
  circle(canvas.get(), reach, reach, radius, ink);
  try {
    std::pmr::memory_resource* memory = images_.get_allocator().resource();
    Image made{radius, fill, ink, depth, Runs(memory), Bytes(memory)};
    const int bytes = bytesPerPixel(depth);
    for (int y = 0; y < size; ++y) {
      int x = 0;
      while (x < size) {
        while (x < size && getpixel(canvas.get(), x, y) == mask) {
          ++x;
        }
        const int start = x;
        while (x < size && getpixel(canvas.get(), x, y) != mask) {
          ++x;
        }
        if (x > start) {
          made.runs.push_back(Run{start - reach, y - reach, x - start, made.pixels.size()});
          const unsigned char* row = canvas->line[y];
          made.pixels.insert(made.pixels.end(), row + start * bytes, row + x * bytes);
        }
      }
    }
    images_.push_back(std::move(made));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return &images_.back();
}

void DiscImages::draw(BITMAP* target, int x, int y, int radius, int fill, int ink) {
  const int mask = bitmap_mask_color(target);
  const bool imaged = radius >= -largestImageRadius && radius <= largestImageRadius &&
                      fill != mask && ink != mask && is_memory_bitmap(target);
  // Far off the bitmap, where x + dx could overflow, no image shows anyway.
  const int reach = !imaged ? 0 : radius < 0 ? -radius : radius;
  if (imaged && (x < target->cl - reach || x >= target->cr + reach || y < target->ct - reach ||
                 y >= target->cb + reach)) {
    return;
  }
  const Image* disc = imaged ? image(radius, fill, ink, bitmap_color_depth(target)) : nullptr;
  if (disc == nullptr) {
    if (radius >= 0 || insideClip(target, x, y, radius)) {
      circlefill(target, x, y, radius, fill);
      circle(target, x, y, radius, ink);
    }
    return;
  }
  const int bytes = bytesPerPixel(disc->depth);
  for (const Run& run : disc->runs) {
    const int row = y + run.dy;
    if (row < target->ct || row >= target->cb) {
      continue;
    }
    int from = x + run.dx;
    int to = from + run.length;
    std::size_t pixels = run.pixels;
    if (from < target->cl) {
      pixels += static_cast<std::size_t>(target->cl - from) * bytes;
      from = target->cl;
    }
    to = to < target->cr ? to : target->cr;
    if (to > from) {
      std::memcpy(target->line[row] + from * bytes, &disc->pixels[pixels],
                  static_cast<std::size_t>(to - from) * bytes);
    }
  }
}
