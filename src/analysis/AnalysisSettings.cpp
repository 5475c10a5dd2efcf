#include "analysis/AnalysisSettings.h"

#include "dsp/KorvaneError.h"
#include "sounding/DocumentExtension.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <variant>

namespace korvane {

namespace {

struct RealKey {
    const char* key;
    double AnalysisSettings::*member;
    double lowest;  // inclusive
    double highest; // inclusive
};

constexpr std::array<RealKey, 9> kRealKeys = {{
    {"analysis.window_before_ms", &AnalysisSettings::windowBeforeMs, 0.0, 1000.0},
    {"analysis.window_after_ms", &AnalysisSettings::windowAfterMs, 0.0, 1000.0},
    {"analysis.arrival_tolerance_ms", &AnalysisSettings::arrivalToleranceMs, 0.0, 1000.0},
    {"analysis.min_strike_correlation", &AnalysisSettings::minStrikeCorrelation, -1.0, 1.0},
    {"analysis.min_r2", &AnalysisSettings::minR2, 0.0, 1.0},
    {"analysis.slow_m_s", &AnalysisSettings::slowVelocity, 0.0, 1e6},
    {"analysis.fast_m_s", &AnalysisSettings::fastVelocity, 1.0, 1e6},
    {"analysis.edge_fraction", &AnalysisSettings::edgeFraction, 0.0, 1.0},
    {"analysis.jump_fraction", &AnalysisSettings::jumpFraction, 0.0, 1e6},
}};
constexpr const char* kLagKey = "analysis.lag";
constexpr const char* kFitKey = "analysis.fit";
constexpr const char* kStrikePairsKey = "analysis.strike_pairs";
// A window must hold the 51 samples the window edits keep at the least: 1.25 ms.
constexpr double kShortestWindowMs = 1.25;

// The shortest text that reads back as value, '.' whatever the locale.
std::string Shortest(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
}

[[noreturn]] void Bad(const std::string& what) {
    throw KorvaneError("The analysis settings are not valid: " + what + ".");
}

std::string TextOf(std::optional<DocumentExtension::Value> value, const char* key) {
    if (!value)
        return {};
    if (const auto* text = std::get_if<std::string>(&*value))
        return *text;
    Bad(std::string(key) + " is not a text");
}

} // namespace

bool AnalysisSettings::AnalysesLike(const AnalysisSettings& other) const {
    AnalysisSettings same = other;
    same.windowBeforeMs = windowBeforeMs;
    same.windowAfterMs = windowAfterMs;
    same.arrivalToleranceMs = arrivalToleranceMs;
    return same == *this;
}

int AnalysisSettings::FitPoints() const {
    switch (fit) {
    case FitMethod::Lsq3:
        return 3;
    case FitMethod::Lsq5:
        return 5;
    case FitMethod::Lsq7:
        return 7;
    case FitMethod::Pairs:
        break;
    }
    return 2;
}

void AnalysisSettings::Check() const {
    for (const RealKey& k : kRealKeys) {
        const double v = this->*k.member;
        if (!(v >= k.lowest && v <= k.highest))
            Bad(std::string(k.key + 9) + " " + Shortest(v) + " is outside " + Shortest(k.lowest) +
                " to " + Shortest(k.highest));
    }
    if (windowBeforeMs + windowAfterMs < kShortestWindowMs)
        Bad("the proposed windows are shorter than 1.25 ms");
    if (fastVelocity <= slowVelocity)
        Bad("the fast velocity is not above the slow one");
}

void AnalysisSettings::StoreTo(DocumentExtension& block) const {
    for (const RealKey& k : kRealKeys)
        block.Take(k.key);
    block.Take(kLagKey);
    block.Take(kFitKey);
    block.Take(kStrikePairsKey);
    if (IsDefault())
        return;
    for (const RealKey& k : kRealKeys)
        block.Set(k.key, this->*k.member);
    block.Set(kLagKey, std::string(Name(lag)));
    block.Set(kFitKey, std::string(Name(fit)));
    block.Set(kStrikePairsKey, int64_t{strikePairs ? 1 : 0});
}

AnalysisSettings AnalysisSettings::TakeFrom(DocumentExtension& block) {
    AnalysisSettings settings;
    for (const RealKey& k : kRealKeys) {
        const std::optional<DocumentExtension::Value> value = block.Take(k.key);
        if (!value)
            continue;
        const auto* real = std::get_if<double>(&*value);
        if (real == nullptr)
            Bad(std::string(k.key) + " is not a real number");
        settings.*k.member = *real;
    }
    if (const std::string text = TextOf(block.Take(kLagKey), kLagKey); !text.empty()) {
        const std::optional<LagMethod> lag = ParseLag(text);
        if (!lag)
            Bad("unknown lag method \"" + text + "\"");
        settings.lag = *lag;
    }
    if (const std::string text = TextOf(block.Take(kFitKey), kFitKey); !text.empty()) {
        const std::optional<FitMethod> fit = ParseFit(text);
        if (!fit)
            Bad("unknown fit method \"" + text + "\"");
        settings.fit = *fit;
    }
    if (const auto value = block.Take(kStrikePairsKey)) {
        const auto* flag = std::get_if<int64_t>(&*value);
        if (flag == nullptr || (*flag != 0 && *flag != 1))
            Bad(std::string(kStrikePairsKey) + " is not 0 or 1");
        settings.strikePairs = *flag == 1;
    }
    settings.Check();
    return settings;
}

const char* AnalysisSettings::Name(LagMethod method) {
    switch (method) {
    case LagMethod::Subsample:
        return "subsample";
    case LagMethod::Phase:
        return "phase";
    case LagMethod::Integer:
        break;
    }
    return "integer";
}

const char* AnalysisSettings::Name(FitMethod method) {
    switch (method) {
    case FitMethod::Lsq3:
        return "lsq3";
    case FitMethod::Lsq5:
        return "lsq5";
    case FitMethod::Lsq7:
        return "lsq7";
    case FitMethod::Pairs:
        break;
    }
    return "pairs";
}

std::optional<LagMethod> AnalysisSettings::ParseLag(std::string_view text) {
    for (LagMethod m : {LagMethod::Integer, LagMethod::Subsample, LagMethod::Phase})
        if (text == Name(m))
            return m;
    return std::nullopt;
}

std::optional<FitMethod> AnalysisSettings::ParseFit(std::string_view text) {
    for (FitMethod m : {FitMethod::Pairs, FitMethod::Lsq3, FitMethod::Lsq5, FitMethod::Lsq7})
        if (text == Name(m))
            return m;
    return std::nullopt;
}

} // namespace korvane
