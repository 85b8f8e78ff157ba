#pragma once

#include "simulation/ball_contact.h"

// Advances the world by one frame: turns the spoke wheel, gives ball 0 the
// thrust once, runs the physics sub-steps and clears the thrust.
void updateFrame();

// Ten sub-steps, each a pair pass over touching balls, then an integration pass.
void stepPhysics();

// Pushes ball ballIndex out of every wall it overlaps; changes only its velocity.
void resolveWallCollisions(unsigned ballIndex);
