#pragma once

#include "view/PlotCanvas.h"
#include "view/ViewGeometry.h"

#include <QColor>
#include <QFont>
#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

class QPainter;

namespace korvane {

// Draws a frame with a QPainter (image, SVG, PDF or printer), mapping world units to the
// target rectangle with the view's orthographic projection. The screen keeps the first-drawn
// primitive on top (depth test, everything at z = 0), so the canvas collects the frame and
// Finish() paints it back to front. It does not own the painter.
class PainterCanvas final : public PlotCanvas {
public:
    // target: device rectangle that shows the projection's extents. The label font is the
    // system font at its point size, so text keeps its physical size on every device.
    PainterCanvas(QPainter& painter, const ViewGeometry& geometry, const QRectF& target);

    void Clear() override;
    void SetColor(float red, float green, float blue) override;
    void LineStrip(std::span<const WorldPoint> points) override;
    void Lines(std::span<const WorldPoint> pairs) override;
    void Polygon(std::span<const WorldPoint> points) override;
    void Label(float x, float y, std::string_view text) override;
    float TextWidth(std::string_view text) const override;
    float TextAscent() const override;
    float TextDescent() const override;
    void SetClip(const WorldRect& rect) override;
    void ResetClip() override;

    // Paints everything collected since the last Clear, the first-drawn item last.
    void Finish();

    QPointF ToDevice(const WorldPoint& p) const;

private:
    enum class Kind { Strip, Lines, Polygon, Text };
    struct Item {
        Kind kind;
        QColor color;
        QPolygonF points;
        QString text;
        std::optional<QRectF> clip; // device rectangle
    };
    QPolygonF Map(std::span<const WorldPoint> points) const;
    // Device pixels per world unit, horizontally.
    double Scale() const;

    QPainter& painter_;
    ViewGeometry geometry_;
    QRectF target_;
    QFont font_;
    QColor color_ = Qt::black;
    std::optional<QRectF> clip_;
    bool cleared_ = false;
    std::vector<Item> items_;
};

} // namespace korvane
