#include "cli/draw/OffscreenApplication.h"

#include <cstdio>

namespace korvane {

namespace {

void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

OffscreenApplication::OffscreenApplication() {
    qInstallMessageHandler(QuietQtMessages);
    application_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

} // namespace korvane
