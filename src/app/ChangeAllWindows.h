#pragma once

#include "app/ChangeValue.h"

#include <vector>

namespace korvane {

// A change of every record's analysis window at once, such as a window proposal: one step.
class ChangeAllWindows final : public ChangeValue<std::vector<SampleWindow>> {
public:
    // windows: one per record, in the document's order.
    ChangeAllWindows(CKorvaneDoc& doc, const QString& text, std::vector<SampleWindow> windows);

protected:
    std::vector<SampleWindow>* Place(CKorvaneDoc& doc) const override;

private:
    std::size_t count_;
};

} // namespace korvane
