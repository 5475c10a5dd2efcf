#include "view/PlotReadout.h"

#include "sounding/CKorvaneDoc.h"
#include "sounding/FixedDecimal.h"
#include "view/PlotRenderer.h"
#include "view/ProfilePlot.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace korvane {

namespace {

constexpr int kSparePoints = 50;
const QString kGap = QStringLiteral("   ");

std::optional<float> At(const std::vector<std::vector<float>>& table, int row, int64_t index) {
    if (row < 0 || static_cast<std::size_t>(row) >= table.size() || index < 0 ||
        static_cast<std::size_t>(index) >= table[row].size())
        return std::nullopt;
    return table[row][static_cast<std::size_t>(index)];
}

bool Inside(int64_t sample, int64_t first, int64_t last) {
    return sample >= first && sample <= last;
}

QString Number(double value, char format, int precision) {
    return std::isfinite(value) ? QString::number(value, format, precision)
                                : QStringLiteral("none");
}

} // namespace

std::optional<float> PlotReadout::RowValue(const CKorvaneDoc& doc, int mode, int row, int64_t s) {
    const auto window = [&](int r) -> std::optional<SampleWindow> {
        if (r < 0 || static_cast<std::size_t>(r) >= doc.windows.size())
            return std::nullopt;
        return doc.windows[r];
    };
    switch (mode) {
    case OriginalWaves:
        return At(doc.rawWaves, row, s);
    case RawAutocorrelations:
        return At(doc.rawAutocorrelations, row, s);
    case FilteredWaves:
    case AlignedWindows:
        if (const auto w = window(row); w && Inside(s, w->first, w->last))
            return At(doc.filteredWaves, row, s);
        return std::nullopt;
    case FilteredAutocorrelations:
        if (const auto w = window(row); w && Inside(s, w->first, w->last))
            return At(doc.filteredAutocorrelations, row, s - w->first);
        return std::nullopt;
    case CorrelationFunctions: {
        const auto w0 = window(row);
        const auto w1 = window(row + 1);
        if (!w0 || !w1)
            return std::nullopt;
        const int64_t length = std::max(static_cast<int64_t>(w0->last) - w0->first,
                                        static_cast<int64_t>(w1->last) - w1->first) +
                               1;
        const int64_t start = w0->last < w1->last ? w0->first : w1->first;
        if (!Inside(s, start, start + length - 1))
            return std::nullopt;
        return At(doc.correlationFunctions, row, s - start);
    }
    case SpareWaves:
    case SpareTable: {
        const double spacing = 0.02 * doc.samplesPerRecord;
        const int64_t j = spacing > 0.0 ? std::llround(static_cast<double>(s) / spacing) : -1;
        if (j >= kSparePoints)
            return std::nullopt;
        return At(mode == SpareTable ? doc.spareTable : doc.spareWaves, row, j);
    }
    default:
        return std::nullopt;
    }
}

QString PlotReadout::Text(const CKorvaneDoc& doc, const ViewGeometry& frame, WorldPoint at,
                          const IntervalFlags& flags) {
    const int mode = doc.displayMode;
    if (mode < OriginalWaves || mode > PhaseVelocity || frame.mode != mode ||
        !frame.fullX.Valid() || at.x < frame.dataLeft || at.x > frame.dataRight ||
        at.y < frame.dataBottom || at.y > frame.dataTop)
        return {};
    return frame.profile ? ProfileText(doc, frame, at, flags) : WaveText(doc, frame, at);
}

QString PlotReadout::WaveText(const CKorvaneDoc& doc, const ViewGeometry& frame, WorldPoint at) {
    const int rows = std::max(doc.recordCount, 0);
    if (rows < 1 || frame.xScale == 0.0f)
        return {};
    const double rowHeight = (frame.dataTop - frame.dataBottom) / rows;
    const int row = std::clamp(static_cast<int>((frame.dataTop - at.y) / rowHeight), 0, rows - 1);
    const int mode = doc.displayMode;
    const double position = (at.x - frame.xOrigin) / static_cast<double>(frame.xScale);
    const int64_t sample = std::llround(std::clamp(position, -1e15, 1e15));
    QString text;
    if (static_cast<std::size_t>(row) < doc.depths.size())
        text = QStringLiteral("Depth %1 m").arg(Number(doc.depths[row], 'f', 2));
    if (mode != SpareWaves && mode != SpareTable)
        text += kGap + QStringLiteral("Time %1 ms")
                           .arg(Number(sample * PlotRenderer::kMillisecondsPerSample, 'f', 3));
    if (const auto value = RowValue(doc, mode, row, sample))
        text += kGap + QStringLiteral("Amplitude %1").arg(Number(*value, 'g', 4));
    return text.trimmed();
}

std::string PlotReadout::AnalysisNote(const CKorvaneDoc& doc, int mode, std::size_t interval) {
    const AnalysisResults& analysis = doc.analysisResults;
    if ((mode != CrossCorrelationVelocity && mode != DeterminationProfile) || !analysis.valid ||
        interval + 1 >= doc.depths.size())
        return {};
    const IntervalEstimate* estimate =
        analysis.Between(doc.depths[interval], doc.depths[interval + 1]);
    if (!estimate)
        return {};
    const auto number = [](double value, int decimals) {
        return std::isfinite(value) ? FixedDecimal::Text(value, decimals) : std::string("none");
    };
    std::string note;
    if (mode == CrossCorrelationVelocity && analysis.DiffersFromTheRun()) {
        note = std::string(AnalysisSettings::Name(analysis.settings.lag)) + "/" +
               AnalysisSettings::Name(analysis.settings.fit) + " Vs " +
               number(estimate->velocity, 1);
        if (std::isfinite(estimate->standardError))
            note += " \u00b1 " + number(estimate->standardError, 1);
        note += " m/s";
    }
    if (estimate->flags != 0) {
        std::string flags;
        for (const char c : AnalysisResults::FlagNames(estimate->flags))
            flags += c == '|' ? std::string(", ") : std::string(1, c);
        note += (note.empty() ? "" : "   ") + std::string("Flags ") + flags;
    }
    return note;
}

QString PlotReadout::ProfileText(const CKorvaneDoc& doc, const ViewGeometry& frame, WorldPoint at,
                                 const IntervalFlags& flags) {
    if (frame.yScale == 0.0f)
        return {};
    const int mode = doc.displayMode;
    const double depth = (frame.yOrigin - at.y) / static_cast<double>(frame.yScale);
    QString text = QStringLiteral("Depth %1 m").arg(Number(depth, 'f', 2));
    const std::size_t records =
        std::min<std::size_t>(std::max(doc.recordCount, 0), doc.depths.size());
    const std::vector<ProfilePlot::Series> series = ProfilePlot::SeriesOf(doc, mode);
    for (std::size_t i = 0; i + 1 < records; ++i) {
        if (!(doc.depths[i] <= depth && depth <= doc.depths[i + 1]))
            continue;
        text += kGap + QStringLiteral("Interval %1-%2 m")
                           .arg(Number(doc.depths[i], 'f', 2), Number(doc.depths[i + 1], 'f', 2));
        if (!series.empty() && i < series.front().values.size()) {
            const double value = series.front().values[i];
            text += kGap + (mode == DeterminationProfile
                                ? QStringLiteral("r\u00b2 %1").arg(Number(value, 'f', 4))
                                : QStringLiteral("Vs %1 m/s").arg(Number(value, 'f', 1)));
        }
        if (flags) {
            const std::string note = flags(mode, i);
            if (!note.empty())
                text += kGap + QString::fromStdString(note);
        }
        break;
    }
    return text;
}

} // namespace korvane
