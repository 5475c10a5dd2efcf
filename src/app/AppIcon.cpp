#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace korvane {

void AppIcon::PaintApplication(QPainter& p, double size) {
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    p.setPen(QPen(QColor(40, 40, 40), s / 32.0));
    p.setBrush(QColor(250, 246, 232));
    p.drawRoundedRect(QRectF(s * 0.03, s * 0.03, s * 0.94, s * 0.94), s * 0.12, s * 0.12);

    // Three waves stacked by depth, as the plot shows them.
    const QColor colours[3] = {QColor(200, 30, 30), QColor(30, 110, 200), QColor(30, 150, 60)};
    for (int row = 0; row < 3; ++row) {
        QPainterPath wave;
        const double y0 = s * (0.25 + 0.22 * row);
        for (int i = 0; i <= 40; ++i) {
            const double t = i / 40.0;
            const double x = s * (0.12 + 0.5 * t);
            const double arrival = 0.3 + 0.15 * row;
            const double envelope = t > arrival ? std::exp(-(t - arrival) * 6.0) : 0.0;
            const double y = y0 - s * 0.09 * envelope * std::sin((t - arrival) * 30.0);
            if (i == 0)
                wave.moveTo(x, y);
            else
                wave.lineTo(x, y);
        }
        p.setPen(QPen(colours[row], s / 24.0));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
    }

    // The cone: a rod and its tip on the right.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 100));
    p.drawRect(QRectF(s * 0.72, s * 0.1, s * 0.1, s * 0.62));
    QPolygonF tip;
    tip << QPointF(s * 0.72, s * 0.72) << QPointF(s * 0.82, s * 0.72) << QPointF(s * 0.77, s * 0.9);
    p.drawPolygon(tip);
}

QPixmap AppIcon::ApplicationPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    PaintApplication(p, size);
    return pixmap;
}

QIcon AppIcon::Application() {
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(ApplicationPixmap(size));
    return icon;
}

QIcon AppIcon::About() {
    QPixmap pixmap(16, 15);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 128), 1.0));
    p.setBrush(QColor(255, 255, 224));
    p.drawEllipse(QRectF(0.5, 0.5, 14, 14));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(11);
    p.setFont(font);
    p.drawText(QRectF(0, 0, 15, 15), Qt::AlignCenter, "?");
    return QIcon(pixmap);
}

} // namespace korvane
