#pragma once

#include <QDialog>

namespace korvane {

// "About Korvane": the application icon, the version line, the commit the program was built
// from (when known) and a credit line, closed with OK.
class CAboutDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* parent = nullptr);

    static constexpr const char* kVersionPrefix = "Korvane Version ";
    static constexpr const char* kCreditLine = "M. Arvidsen and T. Holloway-Li, 1998";
};

} // namespace korvane
