#pragma once

#include "app/ChangeValue.h"
#include "view/WindowMarkerDrag.h"

namespace korvane {

// A change of one record's analysis window: a finished marker drag, or a key press that
// moves a marker (consecutive key presses on the same marker merge into one step).
class ChangeWindow final : public ChangeValue<SampleWindow> {
public:
    static constexpr int kNudgeId = 1;

    ChangeWindow(CKorvaneDoc& doc, const WindowEdit& edit);

    int id() const override { return nudge_ ? kNudgeId : -1; }

protected:
    SampleWindow* Place(CKorvaneDoc& doc) const override;
    bool SameTarget(const ChangeValue& other) const override;

private:
    int record_;
    int boundary_;
    bool nudge_;
};

} // namespace korvane
