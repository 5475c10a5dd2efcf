#pragma once

#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentFile.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace korvane::testing {

template <class T> bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

inline bool SameBits(const std::vector<std::vector<float>>& a,
                     const std::vector<std::vector<float>>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!SameBits(a[i], b[i]))
            return false;
    return true;
}

// The document file a document would be saved as.
inline std::string Bytes(const CKorvaneDoc& doc) {
    std::ostringstream out(std::ios::binary);
    DocumentFile::Write(doc, out);
    return out.str();
}

// A loaded sounding of n records of s samples whose values include bit patterns that arithmetic
// would disturb (a NaN payload, -0, infinity, a subnormal); with results, one NaN velocity.
inline CKorvaneDoc SampleSounding(int n, uint32_t s, bool results, unsigned seed = 1) {
    CKorvaneDoc doc;
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> amplitude(-1.0f, 1.0f);
    doc.recordCount = n;
    doc.samplesPerRecord = s;
    doc.dataLoaded = 1;
    doc.displayMode = CrossCorrelationVelocity;
    doc.geophoneToTip = 0.25f;
    doc.hammerToRod = 1.5f;
    for (int k = 0; k < n; ++k) {
        doc.depths.push_back(static_cast<float>(seed) + 0.5f * static_cast<float>(k));
        doc.windows.push_back({k * 3, static_cast<int32_t>(s) - 1 - k});
        std::vector<float> raw(s), filtered(s);
        for (uint32_t j = 0; j < s; ++j) {
            raw[j] = amplitude(random) * 1000.0f;
            filtered[j] = amplitude(random);
        }
        doc.rawWaves.push_back(std::move(raw));
        doc.filteredWaves.push_back(std::move(filtered));
    }
    doc.rawWaves[0][0] = std::bit_cast<float>(0x7fc12345u);
    doc.rawWaves[0][1] = -0.0f;
    doc.filteredWaves[0][0] = std::numeric_limits<float>::infinity();
    doc.filteredWaves[0][1] = std::numeric_limits<float>::denorm_min();
    if (results) {
        doc.resultsValid = 1;
        for (int m = 0; m + 1 < n; ++m) {
            doc.correlationCoefficients.push_back(0.9 - 0.01 * m);
            doc.ccVelocities.push_back(150.0f + static_cast<float>(m));
        }
        if (n > 1)
            doc.ccVelocities[0] = std::numeric_limits<float>::quiet_NaN();
    }
    return doc;
}

// The empty state a refused load or a cancel leaves: nothing a view or a run could index, flags
// down, not modified, the default geometry and the record length it had before.
inline ::testing::AssertionResult IsEmptySounding(const CKorvaneDoc& doc,
                                                  uint32_t samplesPerRecord = 8192) {
    const CKorvaneDoc fresh;
    const bool tablesEmpty = doc.rawWaves.empty() && doc.filteredWaves.empty() &&
                             doc.correlationFunctions.empty() && doc.rawAutocorrelations.empty() &&
                             doc.filteredAutocorrelations.empty() && doc.spareWaves.empty() &&
                             doc.spareTable.empty() && doc.spectrumReal.empty() &&
                             doc.spectrumImag.empty() && doc.phaseSpectra.empty();
    const bool seriesEmpty = doc.correlationCoefficients.empty() && doc.windows.empty() &&
                             doc.depths.empty() && doc.ccVelocities.empty() &&
                             doc.phaseVelocities.empty() && doc.lags.empty();
    if (!tablesEmpty || !seriesEmpty)
        return ::testing::AssertionFailure() << "arrays left behind";
    if (doc.dataLoaded != 0 || doc.resultsValid != 0 || doc.recordCount != 0 ||
        doc.displayMode != Credits || doc.IsModified())
        return ::testing::AssertionFailure()
               << "flags " << doc.dataLoaded << "/" << doc.resultsValid << ", records "
               << doc.recordCount << ", mode " << doc.displayMode << ", modified "
               << doc.IsModified();
    if (doc.samplesPerRecord != samplesPerRecord || doc.geophoneToTip != fresh.geophoneToTip ||
        doc.hammerToRod != fresh.hammerToRod)
        return ::testing::AssertionFailure() << "geometry or record length not the default";
    return ::testing::AssertionSuccess();
}

} // namespace korvane::testing
