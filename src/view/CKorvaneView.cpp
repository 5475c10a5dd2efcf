#include "view/CKorvaneView.h"

#include "app/CommandIds.h"
#include "sounding/CKorvaneDoc.h"
#include "ui/UserPrompts.h"

#include <QFontDatabase>
#include <QPainter>
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
    case cmd::FilePrint:
    case cmd::FilePrintDirect:
        OnFilePrint();
        return true;
    case cmd::FilePrintPreview:
        OnFilePrintPreview();
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
bool CKorvaneView::OnUpdateLoad() const {
    return doc_.dataLoaded == 0;
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
    const QImage frame = grabFramebuffer();
    QPainter painter(&printer);
    if (!painter.isActive() || frame.isNull())
        return;
    const QRect page = painter.viewport();
    const QSize size = frame.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(page.topLeft(), size), frame);
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
    // The state a frame relies on is set again every time: painting text with QPainter in
    // the same context changes it.
    glEnable(GL_DEPTH_TEST);
    LoadProjection();
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawCredits();
}

void CKorvaneView::DrawCredits() {
    const float spanY = viewGeometry.orthoTop - viewGeometry.orthoBottom;
    if (viewGeometry.clientHeight <= 0 || spanY <= 0.0f)
        return;
    const float pixelsPerUnitY = static_cast<float>(viewGeometry.clientHeight) / spanY;
    const auto toPixel = [&](float x, float y) {
        return QPointF((x - viewGeometry.orthoLeft) * viewGeometry.pixelsPerUnit,
                       (viewGeometry.orthoTop - y) * pixelsPerUnitY);
    };
    QPainter painter(this);
    painter.setPen(Qt::red);
    painter.setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    painter.drawText(toPixel(-1.0f, -0.2f), kAuthorsCredit);
    painter.drawText(toPixel(-0.5f, -0.4f), kInstitutionCredit);
}

} // namespace korvane
