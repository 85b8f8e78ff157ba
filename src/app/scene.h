#pragma once

// Appends the fifteen walls and then the four balls of the sandbox to the world.
void buildScene();
