#pragma once

#include <QString>

namespace korvane {

// Numbers typed into the dialogs and shown in their edits. Owns nothing.
class NumberEntry {
public:
    // Accepted text: a decimal number (no hexadecimal, no "inf" or "nan") with a point or the
    // decimal separator of the user's locale, blanks around it allowed. False, with value
    // unchanged, for anything else.
    static bool Parse(const QString& text, double& value);
    // The shortest text that Parse reads back as value, with a point in every locale.
    static QString Format(double value);
};

} // namespace korvane
