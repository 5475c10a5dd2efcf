#include "view/ViewNavigation.h"

#include "sounding/CKorvaneDoc.h"

#include <algorithm>

namespace korvane {

namespace {

constexpr double kSmallestPart = 1e-3; // of the full view's span
constexpr double kOverhang = 1e-2;     // of the full view's span, on either side

// The range that keeps `at` where it is while scaling the span by factor.
DataRange ScaledAbout(DataRange range, double at, double factor) {
    at = std::clamp(at, range.first, range.last);
    return {at - (at - range.first) * factor, at + (range.last - at) * factor};
}

} // namespace

int ViewNavigation::Key(int mode) {
    const bool profile =
        mode == CrossCorrelationVelocity || mode == DeterminationProfile || mode == PhaseVelocity;
    return profile ? mode : OriginalWaves;
}

PlotZoom ViewNavigation::ZoomOf(int mode) const {
    const auto it = zooms_.find(Key(mode));
    return it == zooms_.end() ? PlotZoom{} : it->second;
}

std::optional<DataRange> ViewNavigation::Fit(DataRange wanted, DataRange full) {
    if (!full.Valid() || !wanted.Valid())
        return std::nullopt;
    const double smallest = full.Span() * kSmallestPart;
    if (wanted.Span() < smallest) {
        const double middle = (wanted.first + wanted.last) / 2.0;
        wanted = {middle - smallest / 2.0, middle + smallest / 2.0};
    }
    if (wanted.Span() >= full.Span() * (1.0 - 1e-9))
        return std::nullopt;
    const double overhang = full.Span() * kOverhang;
    const double shiftRight = (full.first - overhang) - wanted.first;
    const double shiftLeft = wanted.last - (full.last + overhang);
    if (shiftRight > 0.0)
        wanted = {wanted.first + shiftRight, wanted.last + shiftRight};
    else if (shiftLeft > 0.0)
        wanted = {wanted.first - shiftLeft, wanted.last - shiftLeft};
    return wanted;
}

bool ViewNavigation::ZoomAbout(int mode, const ViewGeometry& frame, WorldPoint at, double factor) {
    if (!(factor > 0.0) || !frame.fullX.Valid() || frame.mode != mode)
        return false;
    PlotZoom& zoom = zooms_[Key(mode)];
    const PlotZoom before = zoom;
    // From the zoom itself rather than the last frame's scales, so that events arriving
    // faster than frames add up.
    const DataRange x = zoom.x.value_or(frame.fullX);
    const double alongX = (at.x - frame.dataLeft) / (frame.dataRight - frame.dataLeft);
    zoom.x = Fit(ScaledAbout(x, x.first + alongX * x.Span(), factor), frame.fullX);
    if (frame.profile && frame.fullY.Valid()) {
        const DataRange y = zoom.y.value_or(frame.fullY);
        const double alongY = (frame.dataTop - at.y) / (frame.dataTop - frame.dataBottom);
        zoom.y = Fit(ScaledAbout(y, y.first + alongY * y.Span(), factor), frame.fullY);
    }
    return zoom.x != before.x || zoom.y != before.y;
}

bool ViewNavigation::Pan(int mode, const ViewGeometry& frame, float dx, float dy) {
    if (frame.mode != mode)
        return false;
    PlotZoom& zoom = zooms_[Key(mode)];
    const PlotZoom before = zoom;
    if (zoom.x) {
        const double shift = -dx / (frame.dataRight - frame.dataLeft) * zoom.x->Span();
        zoom.x = Fit({zoom.x->first + shift, zoom.x->last + shift}, frame.fullX);
    }
    if (zoom.y) {
        const double shift = dy / (frame.dataTop - frame.dataBottom) * zoom.y->Span();
        zoom.y = Fit({zoom.y->first + shift, zoom.y->last + shift}, frame.fullY);
    }
    return zoom.x != before.x || zoom.y != before.y;
}

bool ViewNavigation::ZoomToFit(int mode) {
    return zooms_.erase(Key(mode)) > 0;
}

} // namespace korvane
