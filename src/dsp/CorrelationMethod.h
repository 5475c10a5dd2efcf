#pragma once

namespace korvane {

// How CCrossCorrelation evaluates its lag sweeps. Both give the same lag and peak coefficient,
// and correlation functions within one float rounding step of each other.
enum class CorrelationMethod {
    // The FFT-based sweep from CCrossCorrelation::kFastSweepMinLength samples on, O(L log L).
    Fast,
    // Every coefficient as its own sum, O(L*L): the reference the fast sweep is checked and
    // timed against.
    Direct,
};

} // namespace korvane
