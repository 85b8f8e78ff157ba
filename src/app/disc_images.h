#pragma once

#include <allegro.h>

#include <cstddef>
#include <vector>

// Filled, outlined discs drawn from images made once per radius, fill, ink and
// colour depth: each image is what circlefill and then circle leave on a bitmap
// of the mask colour, kept as one of the library's run-length sprites. Drawing
// one is a copy of its runs, clipped like the plain calls, so the pixels are
// exactly theirs. Radii not worth an image, or a fill or ink that is the mask
// colour, are drawn with the plain calls. So are negative radii, which draw a
// cross, except where those calls would write outside the bitmap: an image
// draws them clipped, and beyond the largest image they are not drawn.
class DiscImages {
 public:
  DiscImages() = default;
  DiscImages(const DiscImages&) = delete;
  DiscImages& operator=(const DiscImages&) = delete;
  ~DiscImages();

  // The same pixels as circlefill(target, x, y, radius, fill) followed by
  // circle(target, x, y, radius, ink).
  void draw(BITMAP* target, int x, int y, int radius, int fill, int ink);

  std::size_t imageCount() const { return images_.size(); }

  // Radius in pixels. The game's balls are 6, 12 and 16; an image of radius
  // 64 is 17 KB, and the cap keeps odd radii from filling memory.
  static constexpr int largestImageRadius = 64;

 private:
  struct Image {
    int radius, fill, ink, depth;
    RLE_SPRITE* sprite;
  };

  RLE_SPRITE* image(int radius, int fill, int ink, int depth);

  // A handful in a game: scanned in order, newest last.
  std::vector<Image> images_;
};
