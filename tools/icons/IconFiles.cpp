// korvane-icon-files OUTDIR NAME: writes the application icon as the desktop wants it installed,
// OUTDIR/scalable/NAME.svg and OUTDIR/<n>x<n>/NAME.png, drawn by the program's own AppIcon.
#include "app/AppIcon.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: korvane-icon-files OUTDIR NAME\n");
        return 2;
    }
    char platformOption[] = "-platform";
    char platform[] = "offscreen";
    char* qtArgv[] = {argv[0], platformOption, platform, nullptr};
    int qtArgc = 3;
    QGuiApplication application(qtArgc, qtArgv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString name = QString::fromLocal8Bit(argv[2]);

    constexpr int kSvgSide = 256;
    if (!out.mkpath("scalable")) {
        std::fprintf(stderr, "korvane-icon-files: cannot create %s\n", argv[1]);
        return 1;
    }
    QSvgGenerator svg;
    svg.setFileName(out.filePath("scalable/" + name + ".svg"));
    svg.setSize(QSize(kSvgSide, kSvgSide));
    svg.setViewBox(QRect(0, 0, kSvgSide, kSvgSide));
    svg.setTitle("Korvane");
    {
        QPainter painter(&svg);
        korvane::AppIcon::PaintApplication(painter, kSvgSide);
    }
    if (!QFile::exists(svg.fileName())) {
        std::fprintf(stderr, "korvane-icon-files: cannot write %s\n", qPrintable(svg.fileName()));
        return 1;
    }

    for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QString("%1x%1").arg(side);
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            korvane::AppIcon::PaintApplication(painter, side);
        }
        if (!out.mkpath(folder) || !image.save(out.filePath(folder + "/" + name + ".png"))) {
            std::fprintf(stderr, "korvane-icon-files: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
