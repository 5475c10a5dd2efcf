#include "sounding/TipDepthRules.h"

#include "dsp/KorvaneError.h"
#include "sounding/DecimalScan.h"

#include <fstream>
#include <sstream>

namespace korvane {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsWordCharacter(char c) {
    return DecimalScan::IsDigit(c) || c == '_' || (Lower(c) >= 'a' && Lower(c) <= 'z');
}

std::string Trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && DecimalScan::IsSpace(text[begin]))
        ++begin;
    while (end > begin && DecimalScan::IsSpace(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

// The whole text as one float, or nothing.
std::optional<float> WholeNumber(std::string_view text) {
    const char* p = text.data();
    const char* end = p + text.size();
    float value = 0.0f;
    if (DecimalScan::Float(p, end, value) != DecimalScan::Result::Number || p != end)
        return std::nullopt;
    return value;
}

// The first number in text: a digit, or a sign or point directly before one, starts it.
std::optional<float> FirstNumber(std::string_view text) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        const bool starts =
            DecimalScan::IsDigit(c) || ((c == '-' || c == '+' || c == '.') && k + 1 < text.size() &&
                                        (DecimalScan::IsDigit(text[k + 1]) || text[k + 1] == '.'));
        if (!starts)
            continue;
        const char* p = text.data() + k;
        float value = 0.0f;
        if (DecimalScan::Float(p, text.data() + text.size(), value) == DecimalScan::Result::Number)
            return value;
    }
    return std::nullopt;
}

} // namespace

std::map<std::string, float> TipDepthRules::ParseDepthsFile(std::string_view text,
                                                            const std::string& source) {
    std::map<std::string, float> depths;
    std::istringstream in{std::string(text)};
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#')
            continue;
        const std::string where = source + ":" + std::to_string(number) + ": ";
        std::size_t split = trimmed.size();
        while (split > 0 && !DecimalScan::IsSpace(trimmed[split - 1]))
            --split;
        const std::string name = Trim(std::string_view(trimmed).substr(0, split));
        const std::optional<float> depth = WholeNumber(std::string_view(trimmed).substr(split));
        if (name.empty() || !depth)
            throw KorvaneError(where +
                               "expected NAME TIPDEPTH (a file name and the cone tip "
                               "depth in metres), got \"" +
                               trimmed + "\"");
        if (!depths.emplace(name, *depth).second)
            throw KorvaneError(where + name + " is listed twice");
    }
    return depths;
}

std::map<std::string, float> TipDepthRules::ReadDepthsFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in)
        throw KorvaneError(path + ": cannot read the depths file");
    return ParseDepthsFile(text.str(), path);
}

std::optional<float>
TipDepthRules::FromKeyword(const std::vector<const std::vector<HeaderEntry>*>& lists,
                           std::string_view keyword) {
    if (keyword.empty())
        return std::nullopt;
    for (const std::vector<HeaderEntry>* entries : lists) {
        for (const HeaderEntry& entry : *entries) {
            const std::string text =
                entry.value.empty() ? entry.keyword : entry.keyword + " " + entry.value;
            if (text.size() < keyword.size())
                continue;
            bool same = true;
            for (std::size_t k = 0; same && k < keyword.size(); ++k)
                same = Lower(text[k]) == Lower(keyword[k]);
            if (!same || (text.size() > keyword.size() && IsWordCharacter(text[keyword.size()])))
                continue;
            if (const std::optional<float> depth = FirstNumber(text.substr(keyword.size())))
                return depth;
        }
    }
    return std::nullopt;
}

std::optional<float> TipDepthRules::FromFileName(std::string_view name) {
    std::optional<float> found;
    std::string foundText;
    std::size_t k = 0;
    while (k < name.size()) {
        if (!DecimalScan::IsDigit(name[k]) || (k > 0 && name[k - 1] == '.')) {
            ++k;
            continue;
        }
        std::size_t end = k;
        while (end < name.size() && DecimalScan::IsDigit(name[end]))
            ++end;
        if (end + 1 < name.size() && name[end] == '.' && DecimalScan::IsDigit(name[end + 1])) {
            ++end;
            while (end < name.size() && DecimalScan::IsDigit(name[end]))
                ++end;
        }
        // "12.5m", "12.5m_left", "12.5m.sg2"; not "12.5ms" nor "12.5mm".
        const bool metres =
            end < name.size() && Lower(name[end]) == 'm' &&
            (end + 1 == name.size() || name[end + 1] == '_' || !IsWordCharacter(name[end + 1]));
        if (metres) {
            const std::string_view text = name.substr(k, end - k);
            const std::optional<float> depth = WholeNumber(text);
            if (found && depth && *depth != *found)
                throw KorvaneError("the file name holds several depths (" + foundText + "m, " +
                                   std::string(text) + "m); give the depth in a depths file");
            if (depth && !found) {
                found = depth;
                foundText = std::string(text);
            }
        }
        k = end;
    }
    return found;
}

} // namespace korvane
