#pragma once

// The frame update with the plain contact search: every ordered pair of balls
// and every wall is tested. Kept as the reference that the fast search must
// match double for double.
void exhaustiveUpdateFrame();
