// Korvane: interval shear-wave velocities from seismic cone penetration tests.
#include "app/CKorvaneApp.h"

#include <QApplication>

#include <clocale>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Qt takes the C library's locale from the environment; numbers in files keep their point.
    std::setlocale(LC_NUMERIC, "C");
    korvane::CKorvaneApp app;
    if (!app.InitInstance(QApplication::arguments().mid(1)))
        return 1;
    return QApplication::exec();
}
