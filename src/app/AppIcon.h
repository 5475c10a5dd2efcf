#pragma once

#include <QIcon>
#include <QPixmap>

class QPainter;

namespace korvane {

// The program's icons, drawn in code: the application icon (a cone on its rod over three
// stacked waves) and the toolbar's About button.
class AppIcon {
public:
    // The application icon into a square of size pixels at the painter's origin; also draws the
    // installed icon files.
    static void PaintApplication(QPainter& p, double size);
    static QPixmap ApplicationPixmap(int size);
    static QIcon Application();
    static QIcon About();
};

} // namespace korvane
