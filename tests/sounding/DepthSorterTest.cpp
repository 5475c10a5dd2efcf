#include "sounding/DepthSorter.h"

#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace korvane {
namespace {

TEST(DepthSorter, SelectionSortRecordsWhereEachRecordCameFrom) {
    const struct {
        std::vector<float> depths, sorted;
        std::vector<int32_t> permutation;
    } cases[] = {
        {{3.0f, 1.0f, 2.0f}, {1.0f, 2.0f, 3.0f}, {1, 2, 0}},
        // Equal depths: the swap of the first pass carries the first 2 behind the second.
        {{2.0f, 2.0f, 1.0f}, {1.0f, 2.0f, 2.0f}, {2, 1, 0}},
        {{0.5f, 0.5f, 4.0f, 7.25f}, {0.5f, 0.5f, 4.0f, 7.25f}, {0, 1, 2, 3}},
        {{9.0f}, {9.0f}, {0}},
    };
    for (const auto& c : cases) {
        std::vector<float> depths = c.depths;
        std::vector<int32_t> permutation(depths.size(), -1);
        DepthSorter::SortDepths(depths.data(), permutation.data(), static_cast<int>(depths.size()));
        EXPECT_EQ(depths, c.sorted);
        EXPECT_EQ(permutation, c.permutation);
    }
}

TEST(DepthSorter, MovesEveryPerRecordArrayWithItsRecord) {
    CKorvaneDoc doc;
    doc.recordCount = 3;
    doc.depths = {3.0f, 1.0f, 2.0f};
    const std::vector<std::vector<float>> table{{3.0f}, {1.0f}, {2.0f}};
    const auto tables = {&doc.rawWaves,     &doc.filteredWaves,       &doc.spareWaves,
                         &doc.spareTable,   &doc.rawAutocorrelations, &doc.filteredAutocorrelations,
                         &doc.spectrumReal, &doc.spectrumImag,        &doc.phaseSpectra};
    for (auto* t : tables)
        *t = table;
    doc.windows = {{3, 300}, {1, 100}, {2, 200}};
    doc.phaseVelocities = {7.0f, 8.0f}; // per interval: not reordered

    const DepthSorter sorter(doc);

    EXPECT_EQ(doc.depths, (std::vector<float>{1.0f, 2.0f, 3.0f}));
    for (auto* t : tables)
        EXPECT_EQ(*t, (std::vector<std::vector<float>>{{1.0f}, {2.0f}, {3.0f}}));
    EXPECT_EQ(doc.windows[0].first, 1);
    EXPECT_EQ(doc.windows[2].last, 300);
    EXPECT_EQ(doc.phaseVelocities, (std::vector<float>{7.0f, 8.0f}));
    EXPECT_EQ(sorter.Permutation(), (std::vector<int32_t>{1, 2, 0}));

    CKorvaneDoc mismatched;
    mismatched.depths = {2.0f, 1.0f};
    mismatched.rawWaves = {{1.0f}};
    EXPECT_THROW(DepthSorter{mismatched}, std::logic_error);
}

} // namespace
} // namespace korvane
