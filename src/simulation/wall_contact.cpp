#include "simulation/wall_contact.h"

#include "simulation/simulation.h"

// Contacts are applied in wall-index order, each on the velocity the previous
// one left, so a ball in a corner is damped once per wall it touches.
void resolveWallCollisions(unsigned ballIndex) {
  for (unsigned i = 0; i < walls.size(); ++i) {
    resolveWallContact(balls[ballIndex], walls[i]);
  }
}
