// Korvane: interval shear-wave velocities from seismic cone penetration tests.
#include "app/CKorvaneApp.h"
#include "version/BuildVersion.h"

#include <QApplication>

#include <clocale>
#include <cstring>
#include <iostream>

namespace {

constexpr const char* kUsage = R"(Usage: korvane [OPTIONS] [FILE.kvn]
The Korvane desktop program: shear-wave velocities from seismic cone penetration tests.
FILE.kvn is a document to open at start-up.

Options:
  -h,--help    Print this help message and exit
  --version    Print the version and exit
Qt's own options (such as -platform NAME) are accepted as well.
)";

} // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so they need no display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "korvane " << korvane::BuildVersion::Text() << '\n';
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    QApplication application(argc, argv);
    // Qt takes the C library's locale from the environment; numbers in files keep their point.
    std::setlocale(LC_NUMERIC, "C");
    // Lets the desktop match the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(KORVANE_APP_ID);
    korvane::CKorvaneApp app;
    if (!app.InitInstance(QApplication::arguments().mid(1)))
        return 1;
    return QApplication::exec();
}
