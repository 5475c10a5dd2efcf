#pragma once

#include "app/ChangeValue.h"

namespace korvane {

// A change of the sounding's details and unit weights, made in the Sounding Properties dialog.
class ChangeSoundingMetadata final : public ChangeValue<SoundingMetadata> {
public:
    ChangeSoundingMetadata(CKorvaneDoc& doc, const SoundingMetadata& metadata)
        : ChangeValue(doc, "Change Sounding Properties", metadata) {}

protected:
    SoundingMetadata* Place(CKorvaneDoc& doc) const override { return &doc.metadata; }
};

} // namespace korvane
