#pragma once

#include <allegro.h>

// Redraws the whole scene into backBuffer, with the help texts and the mouse
// pointer, and copies it to the window.
void drawFrame(BITMAP* backBuffer);
