// Unit weight profiles as files give them, and dates: each fault named with its line.
#include "sounding/SoundingMetadata.h"

#include "dsp/KorvaneError.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(SoundingMetadata, UnitWeightFilesAndDates) {
    const std::vector<UnitWeightLayer> layers =
        SoundingMetadata::ParseUnitWeights("# top gamma\r\n0 17.5\n\n  4.0\t19\n12.5 20.5");
    EXPECT_EQ(layers, (std::vector<UnitWeightLayer>{{0.0, 17.5}, {4.0, 19.0}, {12.5, 20.5}}));
    SoundingMetadata metadata;
    metadata.unitWeights = layers;
    EXPECT_EQ(metadata.UnitWeightAt(3.99), 17.5);
    EXPECT_EQ(metadata.UnitWeightAt(4.0), 19.0);
    EXPECT_EQ(metadata.UnitWeightAt(100.0), 20.5);

    const struct {
        const char* text;
        const char* message;
    } faults[] = {
        {"0 18\n2 x", "line 2: \"2 x\" is not two numbers"},
        {"0 18\n3 19\n3 20", "line 3: the layer tops do not ascend"},
        {"1 18", "line 1: the first layer starts at 1 m, not at 0 m"},
        {"0 18\n# soft\n2 0", "line 3: the unit weight 0 kN/m3 is not above 0 and up to 100"},
        {"0 101", "line 1: the unit weight 101 kN/m3"},
        {"0 18 2", "line 1: expected \"TOP_M GAMMA_KN_M3\""},
        {"0 nan", "line 1: \"0 nan\" is not two numbers"},
        {"# nothing\n", "no layer is given"},
    };
    for (const auto& f : faults) {
        try {
            SoundingMetadata::ParseUnitWeights(f.text);
            ADD_FAILURE() << f.text;
        } catch (const KorvaneError& e) {
            EXPECT_NE(std::string(e.what()).find(f.message), std::string::npos) << e.what();
        }
    }
    for (const char* date : {"2024-02-29", "1999-12-31"})
        EXPECT_TRUE(SoundingMetadata::IsDate(date)) << date;
    for (const char* date : {"2023-02-29", "2024-13-01", "2024-1-01", "2024-01-01T00", "24-01-01"})
        EXPECT_FALSE(SoundingMetadata::IsDate(date)) << date;
}

} // namespace
} // namespace korvane
