#include "sounding/SoundingMetadata.h"

#include "dsp/KorvaneError.h"
#include "sounding/DocumentExtension.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <optional>
#include <variant>

namespace korvane {

namespace {

struct TextKey {
    const char* key;
    const char* name; // as errors call it
    std::string SoundingMetadata::*member;
};

constexpr std::array<TextKey, 7> kTextKeys = {{
    {"sounding.project_id", "project id", &SoundingMetadata::projectId},
    {"sounding.project_name", "project name", &SoundingMetadata::projectName},
    {"sounding.location_id", "location id", &SoundingMetadata::locationId},
    {"sounding.client", "client", &SoundingMetadata::client},
    {"sounding.test_date", "test date", &SoundingMetadata::testDate},
    {"sounding.source", "source", &SoundingMetadata::source},
    {"sounding.receiver", "receiver", &SoundingMetadata::receiver},
}};
constexpr const char* kTopsKey = "sounding.unit_weight_tops_m";
constexpr const char* kGammasKey = "sounding.unit_weights_kn_m3";
constexpr std::size_t kLongestText = 500;
constexpr std::size_t kMostLayers = 10000;
constexpr double kHeaviest = 100.0; // kN/m³, beyond any ground

[[noreturn]] void Bad(const std::string& what) {
    throw KorvaneError("The sounding details are not valid: " + what + ".");
}

std::string Number(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// Empty when the profile is valid, otherwise what is wrong with it.
std::string ProfileFault(const std::vector<UnitWeightLayer>& layers) {
    if (layers.empty())
        return "the unit weight profile has no layer";
    if (layers.size() > kMostLayers)
        return "the unit weight profile has more than 10000 layers";
    for (std::size_t k = 0; k < layers.size(); ++k) {
        const UnitWeightLayer& layer = layers[k];
        if (k == 0 && layer.top != 0.0)
            return "the first layer starts at " + Number(layer.top) + " m, not at 0 m";
        if (!std::isfinite(layer.top) || (k > 0 && !(layer.top > layers[k - 1].top)))
            return "the layer tops do not ascend";
        if (!(layer.gamma > 0.0 && layer.gamma <= kHeaviest))
            return "the unit weight " + Number(layer.gamma) + " kN/m3 is not above 0 and up to 100";
    }
    return {};
}

std::vector<double> ListOf(std::optional<DocumentExtension::Value> value, const char* key) {
    if (!value)
        return {};
    if (const auto* list = std::get_if<std::vector<double>>(&*value))
        return *list;
    Bad(std::string(key) + " is not a list of real numbers");
}

std::optional<double> ParseNumber(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

double SoundingMetadata::UnitWeightAt(double depth) const {
    double gamma = unitWeights.empty() ? UnitWeightLayer{}.gamma : unitWeights.front().gamma;
    for (const UnitWeightLayer& layer : unitWeights) {
        if (layer.top > depth)
            break;
        gamma = layer.gamma;
    }
    return gamma;
}

void SoundingMetadata::Check() const {
    for (const TextKey& k : kTextKeys) {
        const std::string& text = this->*k.member;
        if (text.size() > kLongestText)
            Bad(std::string("the ") + k.name + " is longer than 500 bytes");
        for (char c : text)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                Bad(std::string("the ") + k.name + " holds a control character");
    }
    if (!testDate.empty() && !IsDate(testDate))
        Bad("the test date \"" + testDate + "\" is not a date written YYYY-MM-DD");
    if (const std::string fault = ProfileFault(unitWeights); !fault.empty())
        Bad(fault);
}

void SoundingMetadata::StoreTo(DocumentExtension& block) const {
    for (const TextKey& k : kTextKeys) {
        block.Take(k.key);
        if (!(this->*k.member).empty())
            block.Set(k.key, this->*k.member);
    }
    block.Take(kTopsKey);
    block.Take(kGammasKey);
    if (unitWeights == SoundingMetadata{}.unitWeights)
        return;
    std::vector<double> tops, gammas;
    for (const UnitWeightLayer& layer : unitWeights) {
        tops.push_back(layer.top);
        gammas.push_back(layer.gamma);
    }
    block.Set(kTopsKey, std::move(tops));
    block.Set(kGammasKey, std::move(gammas));
}

SoundingMetadata SoundingMetadata::TakeFrom(DocumentExtension& block) {
    SoundingMetadata metadata;
    for (const TextKey& k : kTextKeys) {
        const std::optional<DocumentExtension::Value> value = block.Take(k.key);
        if (!value)
            continue;
        const auto* text = std::get_if<std::string>(&*value);
        if (text == nullptr)
            Bad(std::string(k.key) + " is not a text");
        metadata.*k.member = *text;
    }
    const bool present = block.Find(kTopsKey) != nullptr || block.Find(kGammasKey) != nullptr;
    const std::vector<double> tops = ListOf(block.Take(kTopsKey), kTopsKey);
    const std::vector<double> gammas = ListOf(block.Take(kGammasKey), kGammasKey);
    if (present) {
        if (tops.size() != gammas.size())
            Bad("the unit weight profile has " + std::to_string(tops.size()) + " tops but " +
                std::to_string(gammas.size()) + " unit weights");
        metadata.unitWeights.clear();
        for (std::size_t k = 0; k < tops.size(); ++k)
            metadata.unitWeights.push_back({tops[k], gammas[k]});
    }
    metadata.Check();
    return metadata;
}

std::vector<UnitWeightLayer> SoundingMetadata::ParseUnitWeights(std::string_view text) {
    std::vector<UnitWeightLayer> layers;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        const auto bad = [&](const std::string& why) {
            throw KorvaneError("line " + std::to_string(lineNumber) + ": " + why);
        };
        std::vector<std::string_view> words;
        for (std::size_t at = 0; at < line.size();) {
            if (line[at] == ' ' || line[at] == '\t' || line[at] == '\r') {
                ++at;
                continue;
            }
            const std::size_t stop = line.find_first_of(" \t\r", at);
            words.push_back(line.substr(at, stop - at));
            at = stop == std::string_view::npos ? line.size() : stop;
        }
        if (words.empty() || words.front().front() == '#')
            continue;
        if (words.size() != 2)
            bad("expected \"TOP_M GAMMA_KN_M3\"");
        const std::optional<double> top = ParseNumber(words[0]);
        const std::optional<double> gamma = ParseNumber(words[1]);
        if (!top || !gamma) {
            std::string pair(1, '"');
            pair.append(words[0]).append(1, ' ').append(words[1]).append("\" is not two numbers");
            bad(pair);
        }
        layers.push_back({*top, *gamma});
        if (const std::string fault = ProfileFault(layers); !fault.empty())
            bad(fault);
    }
    if (layers.empty())
        throw KorvaneError("no layer is given");
    return layers;
}

bool SoundingMetadata::IsDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    int parts[3] = {};
    const std::string_view fields[3] = {text.substr(0, 4), text.substr(5, 2), text.substr(8, 2)};
    for (int i = 0; i < 3; ++i) {
        for (char c : fields[i])
            if (c < '0' || c > '9')
                return false;
        std::from_chars(fields[i].data(), fields[i].data() + fields[i].size(), parts[i]);
    }
    using namespace std::chrono;
    return year_month_day(year(parts[0]), month(static_cast<unsigned>(parts[1])),
                          day(static_cast<unsigned>(parts[2])))
        .ok();
}

} // namespace korvane
