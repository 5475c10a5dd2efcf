#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvane {

class CKorvaneDoc;

// Puts the records of a Sounding in ascending order of depth: sorts the depths and moves every
// per-record array along with its record. Per-interval arrays are left alone; they have no
// meaning across a reordering and the load computes them afterwards. Owns only the permutation.
class DepthSorter {
public:
    // Sorts doc.depths and reorders each per-record table of the document that is present
    // (waves, spectra, phase spectra, spare and autocorrelation tables, windows).
    explicit DepthSorter(CKorvaneDoc& doc);

    // Selection sort: for each position the strictly smallest later depth is swapped in, so
    // equal depths can change their relative order. permutation[k] receives the old index of
    // the record that ends at k.
    static void SortDepths(float* depths, int32_t* permutation, int n);

    // New entry k becomes old entry permutation[k]. The table has n entries.
    template <typename T>
    static void ApplyPermutation(int n, std::vector<T>& table, const int32_t* permutation) {
        std::vector<T> gathered(static_cast<std::size_t>(n));
        for (int k = 0; k < n; ++k)
            gathered[static_cast<std::size_t>(k)] =
                std::move(table[static_cast<std::size_t>(permutation[k])]);
        for (int k = 0; k < n; ++k)
            table[static_cast<std::size_t>(k)] = std::move(gathered[static_cast<std::size_t>(k)]);
    }

    // For each new position, the old index of its record.
    const std::vector<int32_t>& Permutation() const { return permutation_; }

private:
    std::vector<int32_t> permutation_;
};

} // namespace korvane
