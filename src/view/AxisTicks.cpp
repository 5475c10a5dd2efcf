#include "view/AxisTicks.h"

#include "sounding/FixedDecimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace korvane {

namespace {

// No axis is drawn with more ticks than this, whatever the numbers.
constexpr double kMostTicks = 2000.0;

} // namespace

double AxisTicks::RoundUp(double value) {
    if (!(value > 0.0) || !std::isfinite(value))
        return 0.0;
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (double mantissa : {1.0, 2.0, 5.0, 10.0})
        if (mantissa * power >= value * (1.0 - 1e-9))
            return mantissa * power;
    return 10.0 * power;
}

AxisTicks AxisTicks::ForStep(double step) {
    AxisTicks ticks;
    if (!(step > 0.0) || !std::isfinite(step))
        return ticks;
    ticks.major = step;
    const double power = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    const bool two = std::abs(step / power - 2.0) < 1e-6;
    ticks.minor = step / (two ? 4.0 : 5.0);
    ticks.decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 12);
    return ticks;
}

AxisTicks AxisTicks::Choose(double first, double last, double length,
                            const std::function<float(std::string_view)>& textWidth, double gap) {
    const double span = std::abs(last - first);
    if (!(span > 0.0) || !std::isfinite(span) || !(length > 0.0) || !std::isfinite(length))
        return {};
    // The labels' width depends on the step, and the step on their width: settle in a few
    // rounds, starting from the gap alone.
    AxisTicks ticks = ForStep(RoundUp(span * std::max(gap, length / kMostTicks) / length));
    for (int round = 0; round < 4 && ticks.major > 0.0; ++round) {
        const double widest =
            std::max(textWidth(ticks.Format(first)), textWidth(ticks.Format(last)));
        const double needed = (widest + gap) * span / length;
        if (ticks.major >= needed)
            break;
        ticks = ForStep(RoundUp(needed));
    }
    return ticks;
}

std::vector<double> AxisTicks::Multiples(double step, double first, double last) {
    std::vector<double> values;
    if (!(step > 0.0) || first > last || (last - first) / step > kMostTicks)
        return values;
    for (double k = std::ceil(first / step - 1e-9); k * step <= last + step * 1e-9; k += 1.0)
        values.push_back(k * step);
    return values;
}

std::vector<double> AxisTicks::Majors(double first, double last) const {
    return Multiples(major, first, last);
}

std::vector<double> AxisTicks::Minors(double first, double last) const {
    std::vector<double> values;
    for (double v : Multiples(minor, first, last)) {
        const double ratio = v / major;
        if (std::abs(ratio - std::round(ratio)) > 1e-6)
            values.push_back(v);
    }
    return values;
}

std::string AxisTicks::Format(double value) const {
    if (std::abs(value) < major * 1e-6)
        value = 0.0;
    return FixedDecimal::Text(value, decimals);
}

} // namespace korvane
