#pragma once

#include "view/PlotCanvas.h"

#include <array>
#include <string>
#include <vector>

namespace korvane {

// Keeps every primitive of a frame with its colour, so tests can check the geometry without
// a GPU. Text is 0.1 world units wide per character, 0.2 high and 0.05 deep; a clip is kept as
// a primitive with its two corners (none when it is reset).
class RecordingCanvas final : public PlotCanvas {
public:
    enum class Kind { Clear, Strip, Lines, Polygon, Label, Clip };
    struct Primitive {
        Kind kind;
        std::array<float, 3> color;
        std::vector<WorldPoint> points;
        std::string text;
    };

    void Clear() override { Add(Kind::Clear, {}, {}); }
    void SetColor(float red, float green, float blue) override { color_ = {red, green, blue}; }
    void LineStrip(std::span<const WorldPoint> points) override { Add(Kind::Strip, points, {}); }
    void Lines(std::span<const WorldPoint> pairs) override { Add(Kind::Lines, pairs, {}); }
    void Polygon(std::span<const WorldPoint> points) override { Add(Kind::Polygon, points, {}); }
    void Label(float x, float y, std::string_view text) override {
        const WorldPoint at[] = {{x, y}};
        Add(Kind::Label, at, text);
    }
    float TextWidth(std::string_view text) const override { return 0.1f * text.size(); }
    float TextAscent() const override { return 0.2f; }
    float TextDescent() const override { return 0.05f; }
    void SetClip(const WorldRect& r) override {
        const WorldPoint corners[] = {{r.left, r.bottom}, {r.right, r.top}};
        Add(Kind::Clip, corners, {});
    }
    void ResetClip() override { Add(Kind::Clip, {}, {}); }

    std::vector<const Primitive*> OfKind(Kind kind) const {
        std::vector<const Primitive*> found;
        for (const Primitive& p : primitives)
            if (p.kind == kind)
                found.push_back(&p);
        return found;
    }
    const Primitive* LabelWithText(const std::string& text) const {
        for (const Primitive& p : primitives)
            if (p.kind == Kind::Label && p.text == text)
                return &p;
        return nullptr;
    }
    std::vector<const Primitive*> InColor(Kind kind, std::array<float, 3> color) const {
        std::vector<const Primitive*> found;
        for (const Primitive* p : OfKind(kind))
            if (p->color == color)
                found.push_back(p);
        return found;
    }

    std::vector<Primitive> primitives;

private:
    void Add(Kind kind, std::span<const WorldPoint> points, std::string_view text) {
        primitives.push_back({kind, color_, {points.begin(), points.end()}, std::string(text)});
    }

    std::array<float, 3> color_{0.0f, 0.0f, 0.0f};
};

} // namespace korvane
