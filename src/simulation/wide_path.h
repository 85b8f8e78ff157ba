#pragma once

// The ways the contact search's loops over lists can run: plainly, one element
// after another, or four elements at once with AVX2 (on x86-64 only). Debian's
// amd64 baseline has no AVX2, so the way is chosen at run time, once, for the
// processor; every way gives the same bits.
enum class WidePath { plain, avx2 };

// Whether this processor can run the path.
bool widePathAvailable(WidePath path);

// The fastest path this processor has, which the program takes throughout.
WidePath fastestWidePath();
