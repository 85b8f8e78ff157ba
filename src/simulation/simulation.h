#pragma once

// Advances the world by one frame: turns the spoke wheel, gives ball 0 the
// thrust once, runs the physics sub-steps and clears the thrust.
void updateFrame();

// Ten sub-steps, each a pair pass over touching balls, then an integration pass.
void stepPhysics();

// Pushes ball a away from ball b, which it touches; changes only a's velocity.
void resolveBallCollision(unsigned a, unsigned b);

// Pushes ball ballIndex out of every wall it overlaps; changes only its velocity.
void resolveWallCollisions(unsigned ballIndex);
