#pragma once

#include "app/CommandTarget.h"
#include "view/GlPalette.h"
#include "view/PlotOptions.h"
#include "view/PlotReadout.h"
#include "view/ViewGeometry.h"
#include "view/ViewNavigation.h"
#include "view/WindowMarkerDrag.h"

#include <QOpenGLWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QPrinter;
class QSurfaceFormat;

namespace korvane {

class CKorvaneDoc;
class UserPrompts;

// The single plot view of the document. It owns its OpenGL context (compatibility profile,
// double buffer, depth buffer, RGBA), keeps the projection and the drawing state that live
// outside the document (zoom, selected marker, row scaling), handles the display-mode and
// zoom commands, the mouse (marker picking and dragging, wheel zoom, middle or Space+left
// pan) and the keys (moving the selected marker), tells the status bar what lies under the
// pointer, decides which commands are enabled, and prints. The display mode itself belongs
// to the document. It does not own the document and runs no long command: those reach it
// through the command router.
class CKorvaneView final : public QOpenGLWidget, public CommandTarget {
    Q_OBJECT
public:
    explicit CKorvaneView(CKorvaneDoc& doc, QWidget* parent = nullptr);
    ~CKorvaneView() override;

    CKorvaneDoc& GetDocument() const { return doc_; }
    // Prompts for the print dialog; not owned.
    void SetPrompts(UserPrompts* prompts) { prompts_ = prompts; }

    // Display-mode commands (they redraw at once and leave the modified flag alone),
    // 32784 (does nothing) and printing.
    bool OnCommand(int id) override;

    // Command enabling: true when the command may run.
    bool OnUpdateNeedsData() const;    // original/filtered waves, cross-correlation
    bool OnUpdateNeedsResults() const; // velocity and r^2 profiles, velocity table

    void OnViewOriginalWaves();
    void OnViewFilteredWaves();
    void OnViewCrossCorrelationVelocity();
    void OnViewDetermination();
    void OnShowRawAutocorrelations();
    void OnShowCorrelationFunctions();
    void OnShowSpareWaves();
    void OnShowSpareTable();
    void OnShowAlignedWindows();
    void OnShowPhaseVelocity();
    void OnShowFilteredAutocorrelations();
    void OnFilePrint();
    void OnFilePrintPreview();
    // File > Export Plot...: the plot on screen as a PNG, SVG or PDF file.
    void OnFileExportPlot();
    // View > Zoom to Fit (Home): the current display's full view.
    void OnViewZoomToFit();
    // View > Scale Each Row: original waves each scaled to their own peak, or as recorded.
    void OnViewScaleEachRow();

    // The drawing options of the current display: the zoom, the selected marker, the row
    // scaling and the document's name for the title line.
    PlotOptions FrameOptions() const;
    bool ScaleEachRow() const { return options_.scaleEachRow; }
    void SetDocumentName(const QString& name);
    // Every display back to its full view, no marker selected (a new sounding).
    void ResetView();
    std::optional<MarkerRef> SelectedMarker() const { return options_.selectedMarker; }
    // What the status bar shows for the pointer now (empty when it is outside the plot).
    QString ReadoutText() const { return readout_; }
    // Per-interval flags the profile readout adds after the value.
    void SetIntervalFlags(PlotReadout::IntervalFlags flags) { intervalFlags_ = std::move(flags); }

    // Where edits of the windows go: the undo history applies and records them. Without it
    // the view writes the window and marks the document modified itself.
    std::function<void(const WindowEdit&)> onWindowEdit;

    // Draws one complete frame of the current display mode into the current context. The one
    // place a frame is drawn; called from paintGL.
    void DrawPlot();
    // Prints the plot that is on screen, scaled to the page.
    void PrintPlot(QPrinter& printer);

    // While a long command pumps events, mouse edits of the Sounding are refused: the mouse
    // handlers must do nothing while this is set. An edit that completes marks the document
    // modified and calls its NotifyChanged.
    void SetCommandsLocked(bool locked) { commandsLocked = locked; }
    bool CommandsLocked() const { return commandsLocked; }

    // Viewport and projection for a new client size (pixels). Nothing happens for a height of
    // 0 or less. Needs the context current. Returns true when the client shrank, which asks
    // for a full repaint.
    bool OnSize(int cx, int cy);

    // The format asked of the platform, and the palette rule's view of the one obtained.
    static QSurfaceFormat RequestedFormat();
    PixelFormatDescription ChosenPixelFormat() const;
    bool HasContext() const { return contextReady; }

signals:
    void readoutChanged(const QString& text);
    void scaleEachRowChanged(bool on);

public:
    // Credit lines of the start screen (30 and 12 characters).
    static constexpr const char* kAuthorsCredit = "M. Arvidsen and T. Holloway-Li";
    static constexpr const char* kInstitutionCredit = "Geotech Lab.";

    // The palette of a palette-based display; empty on true colour.
    std::vector<PaletteEntry> palette;
    // Projection extents, client size (lastClient), pixelsPerUnit, and the xScale/xOrigin of
    // the frame drawn last.
    ViewGeometry viewGeometry;
    int32_t dragging = 0;     // 1 while a window marker is dragged
    int32_t dragRecord = 0;   // record whose marker is dragged
    int32_t dragBoundary = 0; // 0: the window's first sample, 1: its last

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    // Window marker editing in FilteredWaves.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // Tab and Shift+Tab select markers while the filtered waves are shown.
    bool focusNextPrevChild(bool next) override;

private:
    void CreateGLContext();
    void BuildPalette();
    void LoadProjection() const;
    void ShowMode(int32_t mode);
    void MirrorDragState();
    WorldPoint ToWorld(QPointF client) const;
    void UpdateReadout();
    bool MarkerKeysActive() const;
    // Moves the selected marker by a number of samples, or selects the next record's marker.
    void NudgeSelected(int samples);
    void SelectNextRecord(int step);
    void ApplyWindowEdit(const WindowEdit& edit);

    CKorvaneDoc& doc_;
    UserPrompts* prompts_ = nullptr;
    bool contextReady = false;
    bool commandsLocked = false;
    WindowMarkerDrag markerDrag_;
    PlotOptions options_;
    ViewNavigation navigation_;
    PlotReadout::IntervalFlags intervalFlags_;
    bool panning_ = false;
    bool spaceHeld_ = false;
    QPointF panFrom_;
    std::optional<QPointF> pointer_; // client position while the pointer is over the view
    QString readout_;
};

} // namespace korvane
