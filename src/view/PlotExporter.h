#pragma once

#include "view/PlotOptions.h"
#include "view/ViewGeometry.h"

#include <QString>

#include <functional>
#include <optional>

class QPainter;
class QPrinter;
class QRectF;

namespace korvane {

class CKorvaneDoc;
class PlotCanvas;

// Puts the plot of a document's current display mode into a PNG image, an SVG drawing, a PDF
// page or onto a printer, drawn by the same renderer as the screen through a painter canvas.
// Files are written completely or not at all: a failed export leaves an earlier file as it
// was. Failures throw KorvaneError with a text for the user.
class PlotExporter {
public:
    enum class Format { Png, Svg, Pdf };
    static constexpr int kMaximumSide = 16384; // pixels

    // The format named by the file's extension (case-insensitive), if it is one of ours.
    static std::optional<Format> FormatForPath(const QString& path);

    // Writes the frame that a client area of width x height pixels would show with the
    // options (a zoomed view exports as zoomed).
    static void ExportFile(const CKorvaneDoc& doc, const QString& path, int width, int height,
                           const PlotOptions& options = {});

    // Draws a frame of any kind into a file as ExportFile does: draw describes the frame on the
    // canvas for the geometry of a width x height client area.
    using FrameDrawing = std::function<void(PlotCanvas&, ViewGeometry&)>;
    static void ExportFrame(const QString& path, int width, int height, const FrameDrawing& draw);

    // Paints one frame for the given view geometry into the target rectangle of the painter's
    // device.
    static void Paint(const CKorvaneDoc& doc, QPainter& painter, const QRectF& target,
                      const ViewGeometry& geometry, const PlotOptions& options = {});

    // Prints the frame of a client area of clientWidth x clientHeight pixels on one page,
    // as large as the printable area allows at the same aspect ratio.
    static void Print(const CKorvaneDoc& doc, QPrinter& printer, int clientWidth, int clientHeight,
                      const PlotOptions& options = {});
};

} // namespace korvane
