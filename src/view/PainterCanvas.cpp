#include "view/PainterCanvas.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>

namespace korvane {

PainterCanvas::PainterCanvas(QPainter& painter, const ViewGeometry& geometry, const QRectF& target)
    : painter_(painter), geometry_(geometry), target_(target),
      font_(QFontDatabase::systemFont(QFontDatabase::GeneralFont)) {}

double PainterCanvas::Scale() const {
    const double width = geometry_.orthoRight - geometry_.orthoLeft;
    return width > 0 ? target_.width() / width : 0.0;
}

float PainterCanvas::TextWidth(std::string_view text) const {
    const double scale = Scale();
    const QFontMetricsF metrics(font_, painter_.device());
    return scale > 0 ? static_cast<float>(metrics.horizontalAdvance(QString::fromLatin1(
                                              text.data(), static_cast<qsizetype>(text.size()))) /
                                          scale)
                     : 0.0f;
}

float PainterCanvas::TextAscent() const {
    const double scale = Scale();
    return scale > 0 ? static_cast<float>(QFontMetricsF(font_, painter_.device()).ascent() / scale)
                     : 0.0f;
}

float PainterCanvas::TextDescent() const {
    const double scale = Scale();
    return scale > 0 ? static_cast<float>(QFontMetricsF(font_, painter_.device()).descent() / scale)
                     : 0.0f;
}

void PainterCanvas::SetClip(const WorldRect& rect) {
    clip_ =
        QRectF(ToDevice({rect.left, rect.top}), ToDevice({rect.right, rect.bottom})).normalized();
}

void PainterCanvas::ResetClip() {
    clip_.reset();
}

QPointF PainterCanvas::ToDevice(const WorldPoint& p) const {
    const double width = geometry_.orthoRight - geometry_.orthoLeft;
    const double height = geometry_.orthoTop - geometry_.orthoBottom;
    const double x = width > 0 ? (p.x - geometry_.orthoLeft) / width : 0.0;
    const double y = height > 0 ? (geometry_.orthoTop - p.y) / height : 0.0;
    return {target_.left() + x * target_.width(), target_.top() + y * target_.height()};
}

QPolygonF PainterCanvas::Map(std::span<const WorldPoint> points) const {
    QPolygonF mapped;
    mapped.reserve(static_cast<qsizetype>(points.size()));
    for (const WorldPoint& p : points)
        mapped.append(ToDevice(p));
    return mapped;
}

void PainterCanvas::Clear() {
    items_.clear();
    cleared_ = true;
}

void PainterCanvas::SetColor(float red, float green, float blue) {
    color_ = QColor::fromRgbF(std::clamp(red, 0.0f, 1.0f), std::clamp(green, 0.0f, 1.0f),
                              std::clamp(blue, 0.0f, 1.0f));
}

void PainterCanvas::LineStrip(std::span<const WorldPoint> points) {
    items_.push_back({Kind::Strip, color_, Map(points), {}, clip_});
}

void PainterCanvas::Lines(std::span<const WorldPoint> pairs) {
    items_.push_back({Kind::Lines, color_, Map(pairs), {}, clip_});
}

void PainterCanvas::Polygon(std::span<const WorldPoint> points) {
    items_.push_back({Kind::Polygon, color_, Map(points), {}, clip_});
}

void PainterCanvas::Label(float x, float y, std::string_view text) {
    QPolygonF at;
    at.append(ToDevice({x, y}));
    items_.push_back({Kind::Text,
                      color_,
                      at,
                      QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())),
                      {}});
}

void PainterCanvas::Finish() {
    painter_.save();
    painter_.setClipRect(target_);
    if (cleared_)
        painter_.fillRect(target_, Qt::white);
    // A one-pixel screen line, kept at that physical width on finer devices.
    const QPaintDevice* device = painter_.device();
    const double lineWidth = device ? std::max(1.0, device->logicalDpiX() / 96.0) : 1.0;
    painter_.setFont(font_);
    for (auto item = items_.rbegin(); item != items_.rend(); ++item) {
        painter_.setClipRect(item->clip ? item->clip->intersected(target_) : target_);
        QPen pen(item->color, lineWidth);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        switch (item->kind) {
        case Kind::Strip:
            painter_.setPen(pen);
            painter_.setBrush(Qt::NoBrush);
            painter_.drawPolyline(item->points);
            break;
        case Kind::Lines:
            painter_.setPen(pen);
            for (qsizetype i = 0; i + 1 < item->points.size(); i += 2)
                painter_.drawLine(item->points[i], item->points[i + 1]);
            break;
        case Kind::Polygon:
            painter_.setPen(Qt::NoPen);
            painter_.setBrush(item->color);
            painter_.drawPolygon(item->points);
            break;
        case Kind::Text:
            painter_.setPen(item->color);
            painter_.drawText(item->points.front(), item->text);
            break;
        }
    }
    painter_.restore();
    items_.clear();
    cleared_ = false;
}

} // namespace korvane
