#include "view/CKorvaneView.h"

#include "app/CommandIds.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "ui/UserPrompts.h"
#include "view/GlCanvas.h"
#include "view/PlotExporter.h"
#include "view/PlotRenderer.h"

#include <QFile>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSurfaceFormat>

#include <GL/gl.h>

namespace korvane {

CKorvaneView::CKorvaneView(CKorvaneDoc& doc, QWidget* parent) : QOpenGLWidget(parent), doc_(doc) {
    setFormat(RequestedFormat());
    setMinimumSize(1, 1);
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
        PlotExporter::Print(doc_, printer, viewGeometry.clientWidth, viewGeometry.clientHeight);
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
        PlotExporter::ExportFile(doc_, path, viewGeometry.clientWidth, viewGeometry.clientHeight);
    } catch (const KorvaneError& error) {
        prompts_->ShowMessage(QString::fromStdString(error.what()));
    }
}

void CKorvaneView::MirrorDragState() {
    dragging = markerDrag_.dragging() ? 1 : 0;
    dragRecord = markerDrag_.dragRecord();
    dragBoundary = markerDrag_.dragBoundary();
}

void CKorvaneView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !commandsLocked && contextReady) {
        const QPoint at = event->position().toPoint();
        markerDrag_.Press(doc_, viewGeometry, *this, at.x(), at.y());
        MirrorDragState();
    }
    QOpenGLWidget::mousePressEvent(event);
}

void CKorvaneView::mouseMoveEvent(QMouseEvent* event) {
    if (!commandsLocked &&
        markerDrag_.Move(doc_, viewGeometry, *this, event->position().toPoint().x()))
        doc_.NotifyChanged();
    QOpenGLWidget::mouseMoveEvent(event);
}

void CKorvaneView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        markerDrag_.Release(*this);
        MirrorDragState();
    }
    QOpenGLWidget::mouseReleaseEvent(event);
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
}

void CKorvaneView::DrawPlot() {
    // The state a frame relies on is set again every time, whatever else used the context.
    glEnable(GL_DEPTH_TEST);
    LoadProjection();
    GlCanvas canvas;
    PlotRenderer(doc_, canvas, viewGeometry, PlotRenderer::Detail::PixelEnvelope).DrawPlot();
}

} // namespace korvane
