#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// Round tick values for an axis over a data range: labelled major ticks at a step of 1, 2 or 5
// times a power of ten, chosen so that neighbouring labels do not touch, and minor ticks that
// divide each step into 5 (4 for a step of 2).
class AxisTicks {
public:
    // Ticks for data first..last shown over `length` world units; textWidth gives the world
    // width of a label and gap the world space wanted between two labels. Without a usable
    // range or length there are no ticks (step 0).
    static AxisTicks Choose(double first, double last, double length,
                            const std::function<float(std::string_view)>& textWidth, double gap);
    // The ticks of a given major step (a round value).
    static AxisTicks ForStep(double step);
    // The smallest round value (1, 2 or 5 times a power of ten) of at least `value`.
    static double RoundUp(double value);

    // Multiples of the major, or of the minor step that are no major tick, inside first..last.
    std::vector<double> Majors(double first, double last) const;
    std::vector<double> Minors(double first, double last) const;
    // A label of this axis: as many decimals as the step needs, no "-0".
    std::string Format(double value) const;

    double major = 0.0;
    double minor = 0.0;
    int decimals = 0;

private:
    static std::vector<double> Multiples(double step, double first, double last);
};

} // namespace korvane
