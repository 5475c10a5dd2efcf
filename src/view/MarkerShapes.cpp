#include "view/MarkerShapes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvane {

void MarkerShapes::Clear() {
    shapes_.clear();
    names_.clear();
    clip_.reset();
}

void MarkerShapes::LoadName(uint32_t name) {
    if (!names_.empty())
        names_.back() = name;
}

void MarkerShapes::PopName() {
    if (!names_.empty())
        names_.pop_back();
}

void MarkerShapes::Polygon(std::span<const WorldPoint> points) {
    // A marker carries two names: its record and its end.
    if (names_.size() != 2 || points.empty() || names_[1] > 1 ||
        names_[0] > static_cast<uint32_t>(std::numeric_limits<int>::max()))
        return;
    WorldRect box{points[0].x, points[0].y, points[0].x, points[0].y};
    for (const WorldPoint& p : points) {
        box.left = std::min(box.left, p.x);
        box.right = std::max(box.right, p.x);
        box.bottom = std::min(box.bottom, p.y);
        box.top = std::max(box.top, p.y);
    }
    if (clip_) {
        box.left = std::max(box.left, clip_->left);
        box.right = std::min(box.right, clip_->right);
        box.bottom = std::max(box.bottom, clip_->bottom);
        box.top = std::min(box.top, clip_->top);
        if (!(box.left <= box.right && box.bottom <= box.top))
            return; // clipped away: not on screen, not to be grabbed
    }
    shapes_.push_back({{static_cast<int>(names_[0]), static_cast<int>(names_[1])}, box});
}

std::optional<MarkerRef> MarkerShapes::Nearest(WorldPoint p, float maxDistance) const {
    std::optional<MarkerRef> nearest;
    float best = maxDistance;
    for (const Shape& shape : shapes_) {
        const float dx = std::max({shape.box.left - p.x, 0.0f, p.x - shape.box.right});
        const float dy = std::max({shape.box.bottom - p.y, 0.0f, p.y - shape.box.top});
        const float distance = std::hypot(dx, dy);
        if (distance <= best && (!nearest || distance < best)) {
            best = distance;
            nearest = shape.marker;
        }
    }
    return nearest;
}

} // namespace korvane
