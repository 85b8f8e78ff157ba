#pragma once

#include "world/world.h"

// The pixel centre of a ball, truncated toward zero, when any of its disc can
// show on a width by height bitmap. False for a ball wholly outside it (one that
// fell out of the arena can be any distance away) or with a non-finite centre,
// so the conversion to int is always in range.
bool discPixelCentre(const Ball& ball, int width, int height, int& x, int& y);
