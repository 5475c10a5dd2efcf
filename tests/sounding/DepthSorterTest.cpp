#include "sounding/DepthSorter.h"

#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace korvane {
namespace {

TEST(DepthSorter, SelectionSortRecordsWhereEachRecordCameFrom) {
    std::vector<float> depths{3.0f, 1.0f, 2.0f};
    std::vector<int32_t> permutation(3);
    DepthSorter::SortDepths(depths.data(), permutation.data(), 3);
    EXPECT_EQ(depths, (std::vector<float>{1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(permutation, (std::vector<int32_t>{1, 2, 0}));

    // Equal depths: the swap of the first pass carries the first 2 behind the second.
    depths = {2.0f, 2.0f, 1.0f};
    DepthSorter::SortDepths(depths.data(), permutation.data(), 3);
    EXPECT_EQ(depths, (std::vector<float>{1.0f, 2.0f, 2.0f}));
    EXPECT_EQ(permutation, (std::vector<int32_t>{2, 1, 0}));

    // Already sorted input and a single record stay as they are.
    depths = {0.5f, 0.5f, 4.0f, 7.25f};
    permutation.resize(4);
    DepthSorter::SortDepths(depths.data(), permutation.data(), 4);
    EXPECT_EQ(permutation, (std::vector<int32_t>{0, 1, 2, 3}));
    DepthSorter::SortDepths(depths.data(), permutation.data(), 1);
    EXPECT_EQ(permutation[0], 0);
}

TEST(DepthSorter, ApplyPermutationGathersOldEntries) {
    std::vector<std::vector<float>> table{{10.0f}, {20.0f}, {30.0f}};
    const int32_t permutation[] = {1, 2, 0};
    DepthSorter::ApplyPermutation(3, table, permutation);
    EXPECT_EQ(table, (std::vector<std::vector<float>>{{20.0f}, {30.0f}, {10.0f}}));
}

TEST(DepthSorter, MovesEveryPerRecordArrayWithItsRecord) {
    CKorvaneDoc doc;
    doc.recordCount = 3;
    doc.depths = {3.0f, 1.0f, 2.0f};
    auto table = [] { return std::vector<std::vector<float>>{{3.0f}, {1.0f}, {2.0f}}; };
    doc.rawWaves = table();
    doc.filteredWaves = table();
    doc.spareWaves = table();
    doc.spareTable = table();
    doc.rawAutocorrelations = table();
    doc.filteredAutocorrelations = table();
    doc.spectrumReal = table();
    doc.spectrumImag = table();
    doc.phaseSpectra = table();
    doc.windows = {{3, 300}, {1, 100}, {2, 200}};
    doc.phaseVelocities = {7.0f, 8.0f}; // per interval: not reordered

    const DepthSorter sorter(doc);

    const std::vector<std::vector<float>> sorted{{1.0f}, {2.0f}, {3.0f}};
    EXPECT_EQ(doc.depths, (std::vector<float>{1.0f, 2.0f, 3.0f}));
    for (const auto* moved : {&doc.rawWaves, &doc.filteredWaves, &doc.spareWaves, &doc.spareTable,
                              &doc.rawAutocorrelations, &doc.filteredAutocorrelations,
                              &doc.spectrumReal, &doc.spectrumImag, &doc.phaseSpectra})
        EXPECT_EQ(*moved, sorted);
    EXPECT_EQ(doc.windows[0].first, 1);
    EXPECT_EQ(doc.windows[2].last, 300);
    EXPECT_EQ(doc.phaseVelocities, (std::vector<float>{7.0f, 8.0f}));
    EXPECT_EQ(sorter.Permutation(), (std::vector<int32_t>{1, 2, 0}));
}

TEST(DepthSorter, RefusesATableOfAnotherLength) {
    CKorvaneDoc doc;
    doc.depths = {2.0f, 1.0f};
    doc.rawWaves = {{1.0f}};
    EXPECT_THROW(DepthSorter{doc}, std::logic_error);
}

} // namespace
} // namespace korvane
