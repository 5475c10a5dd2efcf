#pragma once

#include "app/ChangeValue.h"

namespace korvane {

// A change of the document's analysis settings, made in the Analysis Settings dialog.
class ChangeAnalysisSettings final : public ChangeValue<AnalysisSettings> {
public:
    ChangeAnalysisSettings(CKorvaneDoc& doc, const AnalysisSettings& settings)
        : ChangeValue(doc, "Change Analysis Settings", settings) {}

protected:
    AnalysisSettings* Place(CKorvaneDoc& doc) const override { return &doc.analysisSettings; }
};

} // namespace korvane
