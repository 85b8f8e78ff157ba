#pragma once

#include <allegro.h>

#include "app/disc_images.h"

// Redraws the whole scene into backBuffer, with the help texts and the mouse
// pointer, and copies it to the window: the steps below, in this order.
void drawFrame(BITMAP* backBuffer, DiscImages& discs);

// The steps of drawFrame, apart so that each can be timed on its own.
void clearBackBuffer(BITMAP* backBuffer);
// Ball 0 red, the others blue, each outlined in black, in index order.
void drawBalls(BITMAP* backBuffer, DiscImages& discs);
void drawWalls(BITMAP* backBuffer);
void drawHelpTexts(BITMAP* backBuffer);
void drawPointer(BITMAP* backBuffer);
void showBackBuffer(BITMAP* backBuffer);
