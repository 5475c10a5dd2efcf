#include "cli/WindowSettings.h"

#include "analysis/WindowProposer.h"
#include "cli/CliError.h"
#include "cli/NumberText.h"
#include "dsp/KorvaneError.h"

#include <fstream>
#include <sstream>

namespace korvane {

namespace {
// The mouse keeps at least this many samples between the two ends of a window.
constexpr int32_t kMinimumSpan = 50;
} // namespace

WindowSettings WindowSettings::Single(const std::string& text) {
    if (text == "auto") {
        WindowSettings settings;
        settings.automatic_ = true;
        return settings;
    }
    const size_t colon = text.find(':');
    const auto first = NumberText::ToInt(text.substr(0, colon));
    const auto last =
        colon == std::string::npos ? std::nullopt : NumberText::ToInt(text.substr(colon + 1));
    if (!first || !last)
        throw CliError(CliError::kUsage,
                       "--window " + text + ": expected FIRST:LAST, two whole sample numbers");
    WindowSettings settings;
    settings.windows_.push_back({*first, *last});
    settings.origins_.push_back("--window " + text);
    settings.single_ = true;
    settings.source_ = "--window";
    return settings;
}

WindowSettings WindowSettings::FromFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    if (!in)
        throw CliError(CliError::kUsage, path.string() + ": cannot read the windows file");
    WindowSettings settings;
    settings.source_ = path.string();
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream fields(line);
        std::string first;
        std::string last;
        std::string extra;
        fields >> first >> last >> extra;
        if (first.empty() || first.starts_with('#'))
            continue;
        const std::string where = path.string() + ":" + std::to_string(number);
        const auto firstValue = NumberText::ToInt(first);
        const auto lastValue = NumberText::ToInt(last);
        if (!firstValue || !lastValue || !extra.empty())
            throw CliError(CliError::kUsage, where +
                                                 ": expected \"first last\", two whole "
                                                 "sample numbers, got \"" +
                                                 line + "\"");
        settings.windows_.push_back({*firstValue, *lastValue});
        settings.origins_.push_back(where);
    }
    if (in.bad())
        throw CliError(CliError::kUsage, path.string() + ": cannot read the windows file");
    return settings;
}

void WindowSettings::Check(int recordCount, uint32_t samplesPerRecord) const {
    if (windows_.empty())
        return;
    if (!single_ && static_cast<int>(windows_.size()) != recordCount)
        throw CliError(CliError::kUsage,
                       source_ + ": " + std::to_string(windows_.size()) + " windows for " +
                           std::to_string(recordCount) +
                           " records; give one line \"first last\" per record, in ascending "
                           "depth order");
    const int64_t lastSample = static_cast<int64_t>(samplesPerRecord) - 1;
    for (size_t i = 0; i < windows_.size(); ++i) {
        const SampleWindow& w = windows_[i];
        const bool fits = w.first >= 0 && static_cast<int64_t>(w.first) + kMinimumSpan <= w.last &&
                          w.last <= lastSample;
        if (!fits)
            throw CliError(CliError::kUsage, origins_[i] + ": window " + std::to_string(w.first) +
                                                 " to " + std::to_string(w.last) +
                                                 " is outside 0 <= first, first + 50 <= last <= " +
                                                 std::to_string(lastSample));
    }
}

void WindowSettings::ApplyTo(CKorvaneDoc& doc) const {
    if (automatic_) {
        try {
            doc.windows = WindowProposer::Propose(doc, doc.analysisSettings);
        } catch (const KorvaneError& error) {
            throw CliError(CliError::kFailure, std::string("--window auto: ") + error.what());
        }
        doc.SetModifiedFlag();
        return;
    }
    if (empty())
        return;
    doc.windows.resize(static_cast<size_t>(doc.recordCount));
    for (size_t i = 0; i < doc.windows.size(); ++i)
        doc.windows[i] = single_ ? windows_.front() : windows_[i];
    doc.SetModifiedFlag();
}

} // namespace korvane
