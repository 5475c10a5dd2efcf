#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class DocumentExtension;

// One layer of the unit weight profile: from its top down to the next layer's top.
struct UnitWeightLayer {
    double top = 0.0;    // metres below the surface
    double gamma = 18.0; // kN/m³
    bool operator==(const UnitWeightLayer&) const = default;
};

// What the reports say about a sounding beyond its records: the project, the location, the
// test and the unit weights that turn velocities into moduli. Kept with the document in its
// extension block under "sounding.*" keys when anything differs from the defaults (all texts
// empty, one layer of 18 kN/m³), so a document without it keeps its fixed size.
struct SoundingMetadata {
    std::string projectId;
    std::string projectName;
    std::string locationId; // the sounding's name
    std::string client;
    std::string testDate; // "YYYY-MM-DD" or empty
    std::string source;   // for example "7 kg sledgehammer"
    std::string receiver;
    std::vector<UnitWeightLayer> unitWeights{UnitWeightLayer{}}; // tops ascending from 0

    bool operator==(const SoundingMetadata&) const = default;
    bool IsDefault() const { return *this == SoundingMetadata{}; }

    // Unit weight at a depth in metres, kN/m³: that of the deepest layer whose top lies at or
    // above it (the first layer's above the surface).
    double UnitWeightAt(double depth) const;

    // Throws KorvaneError naming the first value that is not valid: a text longer than 500
    // bytes or holding a control character, a date that is not a calendar date, a profile
    // that is empty, does not start at 0 m, has tops not ascending or not finite, or a unit
    // weight outside (0, 100] kN/m³.
    void Check() const;

    // Stores the values that differ from the defaults under "sounding.*" keys and removes the
    // others, so a default metadata writes no entries.
    void StoreTo(DocumentExtension& block) const;
    // Takes the "sounding.*" keys this version knows out of block (others stay) and returns the
    // metadata they describe. Throws KorvaneError for a key of the wrong type or a value that
    // is not valid.
    static SoundingMetadata TakeFrom(DocumentExtension& block);

    // Reads a unit weight profile: one line "TOP_M GAMMA_KN_M3" per layer, blank lines and
    // lines starting with '#' ignored. Throws KorvaneError naming the line of the first fault.
    static std::vector<UnitWeightLayer> ParseUnitWeights(std::string_view text);

    // Whether text is a calendar date written "YYYY-MM-DD".
    static bool IsDate(std::string_view text);
};

} // namespace korvane
