#include "view/GlCanvas.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <QOpenGLContext>
#include <QVariant>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace korvane {

namespace {

// One character of the label font as a glBitmap: rows bottom-up, most significant bit first.
void CompileGlyph(const QFont& font, const QFontMetrics& metrics, int code) {
    const QChar ch = QChar::fromLatin1(static_cast<char>(code));
    const int advance = code < 32 ? 0 : metrics.horizontalAdvance(ch);
    const QRect box = code < 32 ? QRect() : metrics.boundingRect(ch);
    glNewList(GlCanvas::kFontListBase + static_cast<GLuint>(code), GL_COMPILE);
    if (box.isEmpty()) {
        // A blank pixel rather than an empty bitmap: Mesa drops the advance of an empty
        // bitmap compiled into a list, which would swallow every space.
        const GLubyte blank = 0;
        glBitmap(1, 1, 0.0f, 0.0f, static_cast<GLfloat>(advance), 0.0f, &blank);
        glEndList();
        return;
    }
    QImage image(box.size(), QImage::Format_Grayscale8);
    image.fill(0);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QPoint(-box.left(), -box.top()), QString(ch));
    }
    const int width = image.width();
    const int height = image.height();
    const int rowBytes = (width + 7) / 8;
    std::vector<GLubyte> bits(static_cast<std::size_t>(rowBytes) * height, 0);
    for (int row = 0; row < height; ++row) {
        const uchar* line = image.constScanLine(height - 1 - row);
        for (int x = 0; x < width; ++x)
            if (line[x] >= 128)
                bits[static_cast<std::size_t>(row) * rowBytes + x / 8] |=
                    static_cast<GLubyte>(0x80u >> (x % 8));
    }
    glBitmap(width, height, static_cast<GLfloat>(-box.left()),
             static_cast<GLfloat>(box.bottom() + 1), static_cast<GLfloat>(advance), 0.0f,
             bits.data());
    glEndList();
}

// Where a context keeps the ratio its font lists were built for.
constexpr const char* kFontRatioProperty = "korvaneLabelFontRatio";

} // namespace

GlCanvas::GlCanvas(Pass pass, float pixelsPerUnit, double ratio)
    : pass_(pass), pixelsPerUnit_(pixelsPerUnit), ratio_(ratio > 0.0 ? ratio : 1.0),
      metrics_(LabelFont(ratio_)) {
    glLineWidth(static_cast<GLfloat>(std::max(1.0, std::round(ratio_))));
}

GlCanvas::~GlCanvas() {
    ResetClip();
}

QFont GlCanvas::LabelFont(double ratio) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * ratio))));
    else
        font.setPointSizeF(font.pointSizeF() * ratio);
    return font;
}

void GlCanvas::UseLabelFont(double ratio) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    const QVariant builtFor = context ? context->property(kFontRatioProperty) : QVariant();
    if (!glIsList(kFontListBase) || !builtFor.isValid() || builtFor.toDouble() != ratio) {
        if (glIsList(kFontListBase))
            glDeleteLists(kFontListBase, kFontListCount);
        if (context)
            context->setProperty(kFontRatioProperty, ratio);
        const QFont font = LabelFont(ratio);
        const QFontMetrics metrics(font);
        GLint alignment = 4;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        for (int code = 0; code < kFontListCount; ++code)
            CompileGlyph(font, metrics, code);
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    }
    glListBase(kFontListBase);
}

void GlCanvas::PrepareContext() {
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
}

void GlCanvas::ApplyProjection(const ViewGeometry& g) {
    glViewport(0, 0, g.clientWidth, g.clientHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(g.orthoLeft, g.orthoRight, g.orthoBottom, g.orthoTop, g.orthoNear, g.orthoFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void GlCanvas::Clear() {
    if (pass_ == Pass::Select)
        return;
    glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void GlCanvas::SetColor(float red, float green, float blue) {
    glColor3f(red, green, blue);
}

void GlCanvas::LineStrip(std::span<const WorldPoint> points) {
    glBegin(GL_LINE_STRIP);
    for (const WorldPoint& p : points)
        glVertex3f(p.x, p.y, 0.0f);
    glEnd();
}

void GlCanvas::Lines(std::span<const WorldPoint> pairs) {
    glBegin(GL_LINES);
    for (const WorldPoint& p : pairs)
        glVertex3f(p.x, p.y, 0.0f);
    glEnd();
}

void GlCanvas::Polygon(std::span<const WorldPoint> points) {
    glBegin(GL_POLYGON);
    for (const WorldPoint& p : points)
        glVertex3f(p.x, p.y, 0.0f);
    glEnd();
}

float GlCanvas::WorldPerDevicePixel() const {
    return pixelsPerUnit_ > 0.0f ? 1.0f / (pixelsPerUnit_ * static_cast<float>(ratio_)) : 0.0f;
}

float GlCanvas::TextWidth(std::string_view text) const {
    // The sum of the glyphs' advances, as the lists move the raster position.
    int width = 0;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 32 && static_cast<unsigned char>(c) < kFontListCount)
            width += metrics_.horizontalAdvance(QChar::fromLatin1(c));
    return static_cast<float>(width) * WorldPerDevicePixel();
}

float GlCanvas::TextAscent() const {
    return static_cast<float>(metrics_.ascent()) * WorldPerDevicePixel();
}

float GlCanvas::TextDescent() const {
    return static_cast<float>(metrics_.descent()) * WorldPerDevicePixel();
}

void GlCanvas::SetClip(const WorldRect& r) {
    const GLdouble planes[4][4] = {{1.0, 0.0, 0.0, -r.left},
                                   {-1.0, 0.0, 0.0, r.right},
                                   {0.0, 1.0, 0.0, -r.bottom},
                                   {0.0, -1.0, 0.0, r.top}};
    for (int i = 0; i < 4; ++i) {
        glClipPlane(GL_CLIP_PLANE0 + i, planes[i]);
        glEnable(GL_CLIP_PLANE0 + i);
    }
    clipped_ = true;
}

void GlCanvas::ResetClip() {
    if (!clipped_)
        return;
    for (int i = 0; i < 4; ++i)
        glDisable(GL_CLIP_PLANE0 + i);
    clipped_ = false;
}

void GlCanvas::Label(float x, float y, std::string_view text) {
    UseLabelFont(ratio_);
    glRasterPos3f(x, y, 0.0f);
    glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
}

void GlCanvas::InitNames() {
    glInitNames();
}
void GlCanvas::PushName(uint32_t name) {
    glPushName(name);
}
void GlCanvas::LoadName(uint32_t name) {
    glLoadName(name);
}
void GlCanvas::PopName() {
    glPopName();
}

} // namespace korvane
