#pragma once

// Arrow keys held in this pass set the thrust that the next frame gives ball 0.
void applyArrowKeys(bool up, bool left, bool right);

// Mouse buttons (bit 1 left, bit 2 right) at pointer (x, y): a press adds one
// ball at the pointer, big for the left button and small for the right; holding
// a button adds nothing more until it has been seen up.
void applyMouseButtons(int buttons, int x, int y);
