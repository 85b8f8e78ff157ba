#include "app/disc_images.h"

DiscImages::~DiscImages() {
  for (const Image& made : images_) {
    destroy_rle_sprite(made.sprite);
  }
}

RLE_SPRITE* DiscImages::image(int radius, int fill, int ink, int depth) {
  for (const Image& made : images_) {
    if (made.radius == radius && made.fill == fill && made.ink == ink && made.depth == depth) {
      return made.sprite;
    }
  }
  // A negative radius draws a small cross within the same square as its size.
  const int reach = radius < 0 ? -radius : radius;
  const int size = 2 * reach + 1;
  BITMAP* canvas = create_bitmap_ex(depth, size, size);
  if (canvas == nullptr) {
    return nullptr;
  }
  clear_to_color(canvas, bitmap_mask_color(canvas));
  circlefill(canvas, reach, reach, radius, fill);
  circle(canvas, reach, reach, radius, ink);
  RLE_SPRITE* sprite = get_rle_sprite(canvas);
  destroy_bitmap(canvas);
  if (sprite != nullptr) {
    images_.push_back(Image{radius, fill, ink, depth, sprite});
  }
  return sprite;
}

namespace {
// circlefill and circle turn their clipping off when they take the disc to lie
// inside the bitmap, and with a negative radius they can be wrong and write
// outside it. They are safe when the square they draw in does lie inside.
bool insideClip(const BITMAP* target, int x, int y, int radius) {
  const long long reach = radius < 0 ? -static_cast<long long>(radius) : radius;
  return x - reach >= target->cl && x + reach < target->cr && y - reach >= target->ct &&
         y + reach < target->cb;
}
}  // namespace

void DiscImages::draw(BITMAP* target, int x, int y, int radius, int fill, int ink) {
  const int mask = bitmap_mask_color(target);
  // A run-length image cannot hold a pixel of the mask colour.
  const bool imaged =
      radius >= -largestImageRadius && radius <= largestImageRadius && fill != mask && ink != mask;
  RLE_SPRITE* sprite = imaged ? image(radius, fill, ink, bitmap_color_depth(target)) : nullptr;
  if (sprite != nullptr) {
    draw_rle_sprite(target, sprite, x - sprite->w / 2, y - sprite->h / 2);
  } else if (radius >= 0 || insideClip(target, x, y, radius)) {
    circlefill(target, x, y, radius, fill);
    circle(target, x, y, radius, ink);
  }
}
