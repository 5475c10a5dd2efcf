#include "view/CKorvaneView.h"

#include "app/CommandIds.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "ui/UserPrompts.h"
#include "view/GlCanvas.h"
#include "view/PlotExporter.h"
#include "view/PlotRenderer.h"

#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSurfaceFormat>
#include <QWheelEvent>

#include <GL/gl.h>

#include <cmath>

namespace korvane {

CKorvaneView::CKorvaneView(CKorvaneDoc& doc, QWidget* parent) : QOpenGLWidget(parent), doc_(doc) {
    setFormat(RequestedFormat());
    setMinimumSize(1, 1);
    setMouseTracking(true); // for the readout
    setFocusPolicy(Qt::StrongFocus);
}

CKorvaneView::~CKorvaneView() = default;

QSurfaceFormat CKorvaneView::RequestedFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(0);
    // 24 bits is the deepest depth buffer the usual drivers offer for a window.
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(0);
    return format;
}

PixelFormatDescription CKorvaneView::ChosenPixelFormat() const {
    const QSurfaceFormat chosen = format();
    return GlPalette::Describe(chosen.redBufferSize(), chosen.greenBufferSize(),
                               chosen.blueBufferSize());
}

bool CKorvaneView::OnCommand(int id) {
    switch (id) {
    case cmd::ViewOriginalWaves:
        OnViewOriginalWaves();
        return true;
    case cmd::ViewFilteredWaves:
        OnViewFilteredWaves();
        return true;
    case cmd::ViewCrossCorrelationVelocity:
        OnViewCrossCorrelationVelocity();
        return true;
    case cmd::ViewDetermination:
        OnViewDetermination();
        return true;
    case cmd::ShowRawAutocorrelations:
        OnShowRawAutocorrelations();
        return true;
    case cmd::Nothing32784:
        return true;
    case cmd::ShowCorrelationFunctions:
        OnShowCorrelationFunctions();
        return true;
    case cmd::ShowSpareWaves:
        OnShowSpareWaves();
        return true;
    case cmd::ShowSpareTable:
        OnShowSpareTable();
        return true;
    case cmd::ShowAlignedWindows:
        OnShowAlignedWindows();
        return true;
    case cmd::ShowPhaseVelocity:
        OnShowPhaseVelocity();
        return true;
    case cmd::ShowFilteredAutocorrelations:
        OnShowFilteredAutocorrelations();
        return true;
    case cmd::FilePrint:
    case cmd::FilePrintDirect:
        OnFilePrint();
        return true;
    case cmd::FilePrintPreview:
        OnFilePrintPreview();
        return true;
    case cmd::FileExportPlot:
        OnFileExportPlot();
        return true;
    case cmd::ViewZoomToFit:
        OnViewZoomToFit();
        return true;
    case cmd::ViewScaleEachRow:
        OnViewScaleEachRow();
        return true;
    default:
        return false;
    }
}

bool CKorvaneView::OnUpdateNeedsData() const {
    return doc_.dataLoaded != 0;
}
bool CKorvaneView::OnUpdateNeedsResults() const {
    return doc_.resultsValid != 0;
}

void CKorvaneView::ShowMode(int32_t mode) {
    doc_.displayMode = mode;
    repaint();
}

void CKorvaneView::OnViewOriginalWaves() {
    ShowMode(OriginalWaves);
}
void CKorvaneView::OnViewFilteredWaves() {
    ShowMode(FilteredWaves);
}
void CKorvaneView::OnViewCrossCorrelationVelocity() {
    ShowMode(CrossCorrelationVelocity);
}
void CKorvaneView::OnViewDetermination() {
    ShowMode(DeterminationProfile);
}
void CKorvaneView::OnShowRawAutocorrelations() {
    ShowMode(RawAutocorrelations);
}
void CKorvaneView::OnShowCorrelationFunctions() {
    ShowMode(CorrelationFunctions);
}
void CKorvaneView::OnShowSpareWaves() {
    ShowMode(SpareWaves);
}
void CKorvaneView::OnShowSpareTable() {
    ShowMode(SpareTable);
}
void CKorvaneView::OnShowAlignedWindows() {
    ShowMode(AlignedWindows);
}
void CKorvaneView::OnShowPhaseVelocity() {
    ShowMode(PhaseVelocity);
}
void CKorvaneView::OnShowFilteredAutocorrelations() {
    ShowMode(FilteredAutocorrelations);
}

void CKorvaneView::OnFilePrint() {
    if (!prompts_)
        return;
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (prompts_->RunDialog(dialog) == QDialog::Accepted)
        PrintPlot(printer);
}

void CKorvaneView::OnFilePrintPreview() {
    if (!prompts_)
        return;
    QPrintPreviewDialog preview(this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { PrintPlot(*printer); });
    prompts_->RunDialog(preview);
}

void CKorvaneView::PrintPlot(QPrinter& printer) {
    // Drawn again for the page rather than copied from the screen, so it prints at the
    // printer's resolution.
    try {
        PlotOptions options = FrameOptions();
        options.selectedMarker.reset();
        PlotExporter::Print(doc_, printer, viewGeometry.clientWidth, viewGeometry.clientHeight,
                            options);
    } catch (const KorvaneError& error) {
        if (prompts_)
            prompts_->ShowMessage(QString::fromStdString(error.what()));
    }
}

void CKorvaneView::OnFileExportPlot() {
    if (!prompts_)
        return;
    const QString path = prompts_->AskSaveFileName(
        "PNG Images(*.png);;SVG Drawings(*.svg);;PDF Documents(*.pdf)", "png");
    if (path.isEmpty())
        return;
    if (QFile::exists(path) && !prompts_->Confirm(path + " already exists.\nReplace it?"))
        return;
    try {
        PlotOptions options = FrameOptions();
        options.selectedMarker.reset();
        PlotExporter::ExportFile(doc_, path, viewGeometry.clientWidth, viewGeometry.clientHeight,
                                 options);
    } catch (const KorvaneError& error) {
        prompts_->ShowMessage(QString::fromStdString(error.what()));
    }
}

void CKorvaneView::OnViewZoomToFit() {
    if (navigation_.ZoomToFit(doc_.displayMode))
        update();
}

void CKorvaneView::OnViewScaleEachRow() {
    options_.scaleEachRow = !options_.scaleEachRow;
    update();
    emit scaleEachRowChanged(options_.scaleEachRow);
}

PlotOptions CKorvaneView::FrameOptions() const {
    PlotOptions options = options_;
    options.zoom = navigation_.ZoomOf(doc_.displayMode);
    if (doc_.displayMode != FilteredWaves)
        options.selectedMarker.reset();
    return options;
}

void CKorvaneView::SetDocumentName(const QString& name) {
    options_.documentName = name.toLatin1().toStdString();
    update();
}

void CKorvaneView::ResetView() {
    navigation_.Reset();
    options_.selectedMarker.reset();
    update();
}

WorldPoint CKorvaneView::ToWorld(QPointF client) const {
    const ViewGeometry& g = viewGeometry;
    if (g.pixelsPerUnit <= 0.0f)
        return {};
    return {static_cast<float>(client.x()) / g.pixelsPerUnit + g.orthoLeft,
            g.orthoTop - static_cast<float>(client.y()) / g.pixelsPerUnit};
}

void CKorvaneView::UpdateReadout() {
    const QString text =
        pointer_ ? PlotReadout::Text(doc_, viewGeometry, ToWorld(*pointer_), intervalFlags_)
                 : QString();
    if (text == readout_)
        return;
    readout_ = text;
    emit readoutChanged(readout_);
}

void CKorvaneView::MirrorDragState() {
    dragging = markerDrag_.dragging() ? 1 : 0;
    dragRecord = markerDrag_.dragRecord();
    dragBoundary = markerDrag_.dragBoundary();
}

void CKorvaneView::ApplyWindowEdit(const WindowEdit& edit) {
    if (onWindowEdit) {
        onWindowEdit(edit);
        return;
    }
    if (edit.record < 0 || static_cast<std::size_t>(edit.record) >= doc_.windows.size())
        return;
    doc_.windows[edit.record] = edit.window;
    doc_.SetModifiedFlag(true);
    doc_.NotifyChanged();
}

void CKorvaneView::mousePressEvent(QMouseEvent* event) {
    const bool pan =
        event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceHeld_);
    if (pan) {
        panning_ = true;
        panFrom_ = event->position();
        setCursor(Qt::ClosedHandCursor);
    } else if (event->button() == Qt::LeftButton && !commandsLocked && contextReady &&
               doc_.displayMode == FilteredWaves) {
        const QPoint at = event->position().toPoint();
        options_.selectedMarker =
            markerDrag_.Press(doc_, viewGeometry, *this, at.x(), at.y(), FrameOptions());
        MirrorDragState();
        update();
    }
    QOpenGLWidget::mousePressEvent(event);
}

void CKorvaneView::mouseMoveEvent(QMouseEvent* event) {
    pointer_ = event->position();
    if (panning_) {
        const WorldPoint from = ToWorld(panFrom_);
        const WorldPoint to = ToWorld(event->position());
        panFrom_ = event->position();
        if (navigation_.Pan(doc_.displayMode, viewGeometry, to.x - from.x, to.y - from.y))
            update();
    } else if (!commandsLocked &&
               markerDrag_.Move(doc_, viewGeometry, *this, event->position().toPoint().x())) {
        doc_.NotifyChanged();
    }
    UpdateReadout();
    QOpenGLWidget::mouseMoveEvent(event);
}

void CKorvaneView::mouseReleaseEvent(QMouseEvent* event) {
    if (panning_ && (event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton)) {
        panning_ = false;
        setCursor(Qt::ArrowCursor);
    } else if (event->button() == Qt::LeftButton) {
        if (const std::optional<WindowEdit> edit = markerDrag_.Release(doc_, *this)) {
            // The drag wrote the window as it went; it becomes one edit from where it began.
            doc_.windows[edit->record] = markerDrag_.StartWindow();
            ApplyWindowEdit(*edit);
        }
        MirrorDragState();
    }
    QOpenGLWidget::mouseReleaseEvent(event);
}

void CKorvaneView::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    const int notches = delta.y() != 0 ? delta.y() : delta.x();
    // A notch shows 80 % of the range; the data under the pointer stay under it.
    const double factor = std::pow(0.8, notches / 120.0);
    if (notches != 0 &&
        navigation_.ZoomAbout(doc_.displayMode, viewGeometry, ToWorld(event->position()), factor))
        update();
    event->accept();
}

bool CKorvaneView::MarkerKeysActive() const {
    return doc_.displayMode == FilteredWaves && !doc_.windows.empty() && !commandsLocked;
}

void CKorvaneView::NudgeSelected(int samples) {
    if (!options_.selectedMarker)
        return;
    const MarkerRef marker = *options_.selectedMarker;
    if (marker.record < 0 || static_cast<std::size_t>(marker.record) >= doc_.windows.size())
        return;
    const SampleWindow w = doc_.windows[marker.record];
    const int64_t at = marker.boundary == 0 ? w.first : w.last;
    const SampleWindow moved =
        WindowMarkerDrag::MovedWindow(w, marker.boundary, at + samples, doc_.samplesPerRecord);
    if (moved != w)
        ApplyWindowEdit({marker.record, marker.boundary, moved, true});
}

void CKorvaneView::SelectNextRecord(int step) {
    const int records =
        static_cast<int>(std::min<std::size_t>(std::max(doc_.recordCount, 0), doc_.windows.size()));
    if (records < 1)
        return;
    MarkerRef marker = options_.selectedMarker.value_or(MarkerRef{step > 0 ? -1 : records, 0});
    marker.record = ((marker.record + step) % records + records) % records;
    options_.selectedMarker = marker;
    update();
}

void CKorvaneView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Space) {
        if (!event->isAutoRepeat())
            spaceHeld_ = true;
        return;
    }
    if (MarkerKeysActive()) {
        const int step = event->modifiers() & Qt::ShiftModifier ? 10 : 1;
        switch (key) {
        case Qt::Key_Left:
            NudgeSelected(-step);
            return;
        case Qt::Key_Right:
            NudgeSelected(step);
            return;
        case Qt::Key_Tab:
            SelectNextRecord(1);
            return;
        case Qt::Key_Backtab:
            SelectNextRecord(-1);
            return;
        default:
            break;
        }
    }
    QOpenGLWidget::keyPressEvent(event);
}

void CKorvaneView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        spaceHeld_ = false;
    QOpenGLWidget::keyReleaseEvent(event);
}

bool CKorvaneView::focusNextPrevChild(bool next) {
    return MarkerKeysActive() ? false : QOpenGLWidget::focusNextPrevChild(next);
}

void CKorvaneView::leaveEvent(QEvent* event) {
    pointer_.reset();
    UpdateReadout();
    QOpenGLWidget::leaveEvent(event);
}

void CKorvaneView::focusOutEvent(QFocusEvent* event) {
    spaceHeld_ = false;
    QOpenGLWidget::focusOutEvent(event);
}

void CKorvaneView::initializeGL() {
    CreateGLContext();
}

void CKorvaneView::CreateGLContext() {
    BuildPalette();
    viewGeometry = ViewGeometry::ForClient(width(), height());
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    LoadProjection();
    contextReady = true;
}

void CKorvaneView::BuildPalette() {
    palette = GlPalette::BuildPalette(ChosenPixelFormat());
}

void CKorvaneView::LoadProjection() const {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(viewGeometry.orthoLeft, viewGeometry.orthoRight, viewGeometry.orthoBottom,
            viewGeometry.orthoTop, viewGeometry.orthoNear, viewGeometry.orthoFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void CKorvaneView::resizeGL(int w, int h) {
    OnSize(w, h);
}

bool CKorvaneView::OnSize(int cx, int cy) {
    if (cy <= 0) // minimised: keep viewport, projection and the last size
        return false;
    const qreal ratio = devicePixelRatioF();
    glViewport(0, 0, static_cast<GLsizei>(cx * ratio), static_cast<GLsizei>(cy * ratio));
    const bool shrank = viewGeometry.clientWidth > cx || viewGeometry.clientHeight > cy;
    if (shrank)
        update(); // nothing of the larger frame may stay on screen
    const ViewGeometry resized = ViewGeometry::ForClient(cx, cy);
    viewGeometry.clientWidth = resized.clientWidth;
    viewGeometry.clientHeight = resized.clientHeight;
    viewGeometry.orthoLeft = resized.orthoLeft;
    viewGeometry.orthoRight = resized.orthoRight;
    viewGeometry.pixelsPerUnit = resized.pixelsPerUnit;
    LoadProjection();
    return shrank;
}

void CKorvaneView::paintGL() {
    DrawPlot();
    UpdateReadout(); // the frame may have moved what lies under the pointer
}

void CKorvaneView::DrawPlot() {
    // The state a frame relies on is set again every time, whatever else used the context.
    glEnable(GL_DEPTH_TEST);
    LoadProjection();
    GlCanvas canvas(GlCanvas::Pass::Draw, viewGeometry.pixelsPerUnit, devicePixelRatioF());
    PlotRenderer(doc_, canvas, viewGeometry, PlotRenderer::Detail::PixelEnvelope, FrameOptions())
        .DrawPlot();
}

} // namespace korvane
