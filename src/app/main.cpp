// Korvane: interval shear-wave velocities from seismic cone penetration tests.
#include "app/CKorvaneApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    korvane::CKorvaneApp app;
    if (!app.InitInstance(QApplication::arguments().mid(1)))
        return 1;
    return QApplication::exec();
}
