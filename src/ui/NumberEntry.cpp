#include "ui/NumberEntry.h"

#include <QLocale>

#include <cctype>
#include <charconv>
#include <cmath>
#include <system_error>

namespace korvane {

bool NumberEntry::Parse(const QString& text, double& value) {
    // People type the decimal separator of their locale (1,5) or a point (1.5); the C library's
    // conversions would follow the process's locale and take only one of them.
    QString plain = text.trimmed();
    const QString separator = QLocale().decimalPoint();
    if (separator != ".")
        plain.replace(separator, ".");
    QByteArray bytes = plain.toLatin1();
    if (bytes.startsWith('+') && !bytes.startsWith("+-"))
        bytes.remove(0, 1);
    if (bytes.isEmpty())
        return false;
    // Plain decimal notation only: no hexadecimal, no "inf" or "nan".
    for (const char c : bytes)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '-' && c != '+' && c != '.' &&
            c != 'e' && c != 'E')
            return false;
    const char* end = bytes.constData() + bytes.size();
    double parsed = 0.0;
    const auto result = std::from_chars(bytes.constData(), end, parsed);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

QString NumberEntry::Format(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, static_cast<int>(end.ptr - text));
}

} // namespace korvane
