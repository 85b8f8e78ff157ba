#include "app/scene.h"

#include "world/world.h"

namespace {
const Vector2D hub(300.0, 210.0);
}

void buildScene() {
  walls.push_back(Wall(Vector2D(55.0, 400.0), Vector2D(740.0, 500.0)));
  walls.push_back(Wall(Vector2D(85.0, 150.0), Vector2D(100.0, 500.0)));
  // The spokes get their real ends from the first frame update, before anything
  // collides with them or draws them.
  for (int spoke = 0; spoke < 8; ++spoke) {
    walls.push_back(Wall(hub, Vector2D(0.0, 0.0)));
  }
  walls.push_back(Wall(Vector2D(10.0, 10.0), Vector2D(790.0, 10.0)));
  walls.push_back(Wall(Vector2D(10.0, 10.0), Vector2D(10.0, 590.0)));
  walls.push_back(Wall(Vector2D(10.0, 590.0), Vector2D(390.0, 550.0)));
  walls.push_back(Wall(Vector2D(390.0, 550.0), Vector2D(790.0, 590.0)));
  walls.push_back(Wall(Vector2D(790.0, 10.0), Vector2D(790.0, 590.0)));

  balls.push_back(Ball(Vector2D(100.0, 300.0), Vector2D(0.0, 0.0), 16, 10.0));
  balls.push_back(Ball(Vector2D(50.0, 40.0), Vector2D(0.0, 0.0), 12, 5.0));
  balls.push_back(Ball(Vector2D(80.0, 40.0), Vector2D(0.0, 0.0), 12, 5.0));
  balls.push_back(Ball(Vector2D(110.0, 40.0), Vector2D(0.0, 0.0), 6, 1.0));
}
