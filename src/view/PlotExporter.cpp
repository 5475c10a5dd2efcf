#include "view/PlotExporter.h"

#include "dsp/KorvaneError.h"
#include "view/PainterCanvas.h"
#include "view/PlotRenderer.h"

#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>

namespace korvane {

namespace {

[[noreturn]] void Fail(const QString& text) {
    throw KorvaneError(text.toStdString());
}

QString CannotWrite(const QString& path) {
    return QStringLiteral("Cannot write the plot file %1.").arg(path);
}

} // namespace

std::optional<PlotExporter::Format> PlotExporter::FormatForPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return Format::Png;
    if (suffix == QLatin1String("svg"))
        return Format::Svg;
    if (suffix == QLatin1String("pdf"))
        return Format::Pdf;
    return std::nullopt;
}

namespace {

void PaintFrame(QPainter& painter, const QRectF& target, const ViewGeometry& geometry,
                const PlotExporter::FrameDrawing& draw) {
    ViewGeometry frame = geometry;
    PainterCanvas canvas(painter, frame, target);
    draw(canvas, frame);
    canvas.Finish();
}

} // namespace

void PlotExporter::Paint(const CKorvaneDoc& doc, QPainter& painter, const QRectF& target,
                         const ViewGeometry& geometry, const PlotOptions& options) {
    PaintFrame(painter, target, geometry, [&](PlotCanvas& canvas, ViewGeometry& frame) {
        PlotRenderer(doc, canvas, frame, PlotRenderer::Detail::Full, options).DrawPlot();
    });
}

void PlotExporter::ExportFile(const CKorvaneDoc& doc, const QString& path, int width, int height,
                              const PlotOptions& options) {
    ExportFrame(path, width, height, [&](PlotCanvas& canvas, ViewGeometry& frame) {
        PlotRenderer(doc, canvas, frame, PlotRenderer::Detail::Full, options).DrawPlot();
    });
}

void PlotExporter::ExportFrame(const QString& path, int width, int height,
                               const FrameDrawing& draw) {
    const std::optional<Format> format = FormatForPath(path);
    if (!format)
        Fail(QStringLiteral("The plot can be saved as .png, .svg or .pdf only: %1").arg(path));
    if (width < 1 || height < 1 || width > kMaximumSide || height > kMaximumSide)
        Fail(QStringLiteral("The plot size must lie between 1 x 1 and %1 x %1 pixels.")
                 .arg(kMaximumSide));

    const ViewGeometry geometry = ViewGeometry::ForClient(width, height);
    const QRectF target(0, 0, width, height);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        Fail(CannotWrite(path));

    bool painted = false;
    switch (*format) {
    case Format::Png: {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter;
        if (painter.begin(&image)) {
            PaintFrame(painter, target, geometry, draw);
            painted = painter.end() && image.save(&file, "PNG");
        }
        break;
    }
    case Format::Svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(QSize(width, height));
        svg.setViewBox(target);
        svg.setResolution(96);
        svg.setTitle(QStringLiteral("Korvane plot"));
        QPainter painter;
        if (painter.begin(&svg)) {
            painter.setRenderHint(QPainter::Antialiasing);
            PaintFrame(painter, target, geometry, draw);
            painted = painter.end();
        }
        break;
    }
    case Format::Pdf: {
        QPdfWriter pdf(&file);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(width * 72.0 / 96.0, height * 72.0 / 96.0),
                                  QPageSize::Point, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QStringLiteral("Korvane plot"));
        QPainter painter;
        if (painter.begin(&pdf)) {
            painter.setRenderHint(QPainter::Antialiasing);
            PaintFrame(painter, QRectF(0, 0, pdf.width(), pdf.height()), geometry, draw);
            painted = painter.end();
        }
        break;
    }
    }
    if (!painted || !file.commit())
        Fail(CannotWrite(path));
}

void PlotExporter::Print(const CKorvaneDoc& doc, QPrinter& printer, int clientWidth,
                         int clientHeight, const PlotOptions& options) {
    if (clientWidth < 1 || clientHeight < 1)
        Fail(QStringLiteral("There is no plot to print."));
    QPainter painter;
    if (!painter.begin(&printer))
        Fail(QStringLiteral("The plot could not be printed."));
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min(page.width() / clientWidth, page.height() / clientHeight);
    const QRectF target(0, 0, clientWidth * scale, clientHeight * scale);
    painter.setRenderHint(QPainter::Antialiasing);
    Paint(doc, painter, target, ViewGeometry::ForClient(clientWidth, clientHeight), options);
    if (!painter.end())
        Fail(QStringLiteral("The plot could not be printed."));
}

} // namespace korvane
