#include "app/ChangeAllWindows.h"

namespace korvane {

ChangeAllWindows::ChangeAllWindows(CKorvaneDoc& doc, const QString& text,
                                   std::vector<SampleWindow> windows)
    : ChangeValue(doc, text, std::move(windows)), count_(doc.windows.size()) {}

std::vector<SampleWindow>* ChangeAllWindows::Place(CKorvaneDoc& doc) const {
    // The records the windows belong to are gone when their count changed.
    return doc.windows.size() == count_ ? &doc.windows : nullptr;
}

} // namespace korvane
