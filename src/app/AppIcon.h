#pragma once

#include <QIcon>
#include <QPixmap>

namespace korvane {

// The program's icons, drawn in code: the application icon (a cone on its rod over three
// stacked waves) and the toolbar's About button.
class AppIcon {
public:
    static QPixmap ApplicationPixmap(int size);
    static QIcon Application();
    static QIcon About();
};

} // namespace korvane
