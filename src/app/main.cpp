#include <allegro.h>

#include <cstdio>

#include "app/controls.h"
#include "app/drawing.h"
#include "app/ending.h"
#include "app/scene.h"
#include "simulation/simulation.h"

namespace {
// Called on the library's own thread.
void onCloseButton() {
  endRequested = true;
}

// One line naming what failed and why; the library does not always say why.
int startupFailed(const char* what) {
  const char* reason = allegro_error[0] != '\0' ? allegro_error : "no reason given by the library";
  std::fprintf(stderr, "brivolt: %s: %s\n", what, reason);
  return 1;
}
}  // namespace

int main() {
  exitOnLostDisplay();
  if (allegro_init() != 0) {
    return startupFailed("cannot start the Allegro library (is there an X display?)");
  }
  catchEndSignals();
  install_keyboard();
  install_mouse();
  install_timer();
  if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, 800, 600, 0, 0) != 0) {
    return startupFailed("cannot open an 800x600 window");
  }
  set_window_title("Tessmar's Brivolt");
  set_close_button_callback(onCloseButton);
  BITMAP* backBuffer = create_bitmap(SCREEN_W, SCREEN_H);
  if (backBuffer == nullptr) {
    return startupFailed("cannot create the back buffer");
  }
  buildScene();
  DiscImages discs;

  // Unpaced on purpose: one pass is one frame, as fast as the machine goes.
  while (!key[KEY_ESC] && !endRequested) {
    applyArrowKeys(key[KEY_UP], key[KEY_LEFT], key[KEY_RIGHT]);
    applyMouseButtons(mouse_b, mouse_x, mouse_y);
    updateFrame();
    drawFrame(backBuffer, discs);
  }
  return 0;
}
END_OF_MAIN()
