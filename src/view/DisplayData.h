#pragma once

#include <cstdint>

namespace korvane {

class CKorvaneDoc;

// Whether a display mode has anything of its own to draw. The derived arrays (correlation
// functions, lags, autocorrelations, phase velocities) exist only after the command that
// computes them, and never in an opened document; a mode without them would draw only its
// frame. Modes outside 1..11 (the credit screen) always have their data.
bool DisplayHasData(const CKorvaneDoc& doc, int32_t mode);

} // namespace korvane
