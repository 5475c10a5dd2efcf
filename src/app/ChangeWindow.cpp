#include "app/ChangeWindow.h"

namespace korvane {

ChangeWindow::ChangeWindow(CKorvaneDoc& doc, const WindowEdit& edit)
    : ChangeValue(doc, edit.boundary == 0 ? "Move Start Marker" : "Move End Marker", edit.window),
      record_(edit.record), boundary_(edit.boundary), nudge_(edit.nudge) {}

SampleWindow* ChangeWindow::Place(CKorvaneDoc& doc) const {
    if (record_ < 0 || static_cast<std::size_t>(record_) >= doc.windows.size())
        return nullptr;
    return &doc.windows[record_];
}

bool ChangeWindow::SameTarget(const ChangeValue& other) const {
    const auto& change = static_cast<const ChangeWindow&>(other);
    return change.record_ == record_ && change.boundary_ == boundary_;
}

} // namespace korvane
