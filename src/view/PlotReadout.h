#pragma once

#include "view/PlotCanvas.h"
#include "view/ViewGeometry.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace korvane {

class CKorvaneDoc;

// What the status bar says about the point under the mouse pointer, from the document and the
// frame drawn last: on the wave displays the row's depth, the time and the value drawn there;
// on the profiles the depth and the value of the interval there, followed by the interval's
// flags when a source for them is given. Empty outside the plot area.
class PlotReadout {
public:
    // Flags of one interval of the profile shown in `mode` (for example quality flags of an
    // analysis), as text; empty when it has none.
    using IntervalFlags = std::function<std::string(int mode, std::size_t interval)>;

    static QString Text(const CKorvaneDoc& doc, const ViewGeometry& frame, WorldPoint at,
                        const IntervalFlags& flags = {});

    // What the interval analysis says of the interval between records i and i + 1 on the
    // velocity and r^2 profiles: the velocity of its own method when the profile draws it
    // ("subsample/lsq5 Vs 182.3 ± 4.1 m/s") and the quality flags ("Flags LOW_R2, JUMP").
    // Empty without analysis results for the interval. An IntervalFlags source.
    static std::string AnalysisNote(const CKorvaneDoc& doc, int mode, std::size_t interval);

    // The value a wave row draws at a sample, if it draws one there.
    static std::optional<float> RowValue(const CKorvaneDoc& doc, int mode, int row, int64_t sample);

private:
    static QString WaveText(const CKorvaneDoc& doc, const ViewGeometry& frame, WorldPoint at);
    static QString ProfileText(const CKorvaneDoc& doc, const ViewGeometry& frame, WorldPoint at,
                               const IntervalFlags& flags);
};

} // namespace korvane
