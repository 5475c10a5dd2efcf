#pragma once

#include "analysis/AnalysisResults.h"

#include <limits>
#include <string>
#include <vector>

namespace korvane {

// The time-averaged shear-wave velocity of a sounding and the site classes of the building
// codes that follow from it. Owns its values.
//
// VsZ = Z / Σ(hᵢ / Vsᵢ) from the surface down to the deepest geophone depth Z; the part above
// the first interval is taken at the first interval's velocity. Vs30 is the same average over
// the top 30 m and exists only when Z reaches 30 m: a shallower sounding gives VsZ with its Z
// and no Vs30 and no classes, never an extrapolation. An interval of zero length (records of
// one depth) adds no time and is passed over; an interval of positive length whose velocity is
// not a positive finite number makes every average through it undetermined (NaN) and the note
// names it.
struct SiteClassification {
    static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    static constexpr double kReferenceDepth = 30.0; // metres

    double depth = kNaN;        // Z, metres
    double vsZ = kNaN;          // m/s
    double vs30 = kNaN;         // m/s
    double topThickness = kNaN; // metres from the surface taken at the first interval's velocity
    double topVelocity = kNaN;  // m/s, that velocity
    const char* ec8 = "-";      // Eurocode 8 ground type, "-" when not determined
    const char* asce = "-";     // ASCE 7-22 site class, "-" when not determined
    std::string note;           // why a value is not determined; empty when all are

    static SiteClassification Of(const std::vector<IntervalEstimate>& intervals);

    // EN 1998-1 Table 3.1 by Vs30 alone (m/s): A above 800; B above 360 up to 800; C from 180
    // up to 360; D below 180. The table writes "> 800", "360 – 800", "180 – 360" and "< 180",
    // which puts 800 in B and 180 in C; its other columns put the B/C bounds in C ("> 50" for
    // B, "15 – 50" for C), and so does this for 360. E, S1 and S2 need more than Vs30 and are
    // never given. "-" for NaN.
    static const char* Ec8GroundType(double vs30);

    // ASCE/SEI 7-22 Table 20.2-1 by Vs30 (m/s). The table bounds in ft/s, each class from
    // "above" its lower bound "up to and including" its upper one: A > 5000, B > 3000, BC >
    // 2100, C > 1450, CD > 1000, D > 700, DE > 500, E ≤ 500, here times 0.3048 exactly (1524,
    // 914.4, 640.08, 441.96, 304.8, 213.36, 152.4 m/s). "-" for NaN.
    static const char* Asce722SiteClass(double vs30);

    // One sentence for every output: how the top was taken and, when something is not
    // determined, the note. "VsZ from the surface to Z = 4.00 m; the top 2.00 m taken at the
    // first interval's velocity (179.2 m/s). Vs30 and the site classes not determined: ..."
    std::string Explanation() const;

    // The five lines "Z_m 24.82", "VsZ_m_s 251.3", "Vs30_m_s nan", "EC8 -", "ASCE7_22 -",
    // each ended by '\n'.
    std::string SummaryLines() const;
};

} // namespace korvane
