#include "sounding/DepthSorter.h"

#include "sounding/CKorvaneDoc.h"

#include <stdexcept>
#include <utility>

namespace korvane {

namespace {

template <typename T> void Reorder(std::vector<T>& table, const std::vector<int32_t>& permutation) {
    if (table.empty())
        return;
    if (table.size() != permutation.size())
        throw std::logic_error("A per-record table does not match the number of depths.");
    DepthSorter::ApplyPermutation(static_cast<int>(permutation.size()), table, permutation.data());
}

} // namespace

DepthSorter::DepthSorter(CKorvaneDoc& doc) : permutation_(doc.depths.size()) {
    const int n = static_cast<int>(doc.depths.size());
    SortDepths(doc.depths.data(), permutation_.data(), n);
    Reorder(doc.rawWaves, permutation_);
    Reorder(doc.filteredWaves, permutation_);
    Reorder(doc.rawAutocorrelations, permutation_);
    Reorder(doc.filteredAutocorrelations, permutation_);
    Reorder(doc.spareWaves, permutation_);
    Reorder(doc.spareTable, permutation_);
    Reorder(doc.spectrumReal, permutation_);
    Reorder(doc.spectrumImag, permutation_);
    Reorder(doc.phaseSpectra, permutation_);
    Reorder(doc.windows, permutation_);
    Reorder(doc.sourceIntervals, permutation_);
}

void DepthSorter::SortDepths(float* depths, int32_t* permutation, int n) {
    for (int k = 0; k < n; ++k)
        permutation[k] = k;
    for (int j = 0; j < n; ++j) {
        int smallest = j;
        for (int k = j + 1; k < n; ++k) {
            if (depths[k] < depths[smallest])
                smallest = k;
        }
        std::swap(depths[j], depths[smallest]);
        std::swap(permutation[j], permutation[smallest]);
    }
}

} // namespace korvane
