#include "desktop/Magnifier.h"

#include <QPainter>
#include <cmath>

namespace vesta::desktop {

namespace {

constexpr int kCursorGap = 24;  // between the cursor and the square, so it never hides the point
constexpr int kCrossGap = 5;    // the crosshair leaves the pixel under the point visible

}  // namespace

Magnifier::Magnifier(const CanvasPicture& picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kSide, kSide);
    hide();
}

void Magnifier::showAt(QPointF point, QPoint cursor) {
    point_ = point;
    const QSize room = parentWidget() ? parentWidget()->size() : QSize(kSide, kSide);
    int x = cursor.x() + kCursorGap;
    int y = cursor.y() + kCursorGap;
    if (x + kSide > room.width()) {
        x = cursor.x() - kCursorGap - kSide;
    }
    if (y + kSide > room.height()) {
        y = cursor.y() - kCursorGap - kSide;
    }
    move(std::max(0, x), std::max(0, y));
    show();
    raise();
    update();
}

// Picture point p lies at (p - point) * kZoom + centre: the point itself at the centre.
void Magnifier::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Rgb bg = picture_.background();
    painter.fillRect(rect(), QColor(bg.r, bg.g, bg.b));
    const QImage& bare = picture_.bare();
    const double centre = kSide / 2;
    const int reach = kSide / (2 * kZoom) + 2;
    const int px = int(std::floor(point_.x()));
    const int py = int(std::floor(point_.y()));
    const QRect source =
        QRect(px - reach, py - reach, 2 * reach + 1, 2 * reach + 1).intersected(bare.rect());
    const QPointF origin(centre - point_.x() * kZoom, centre - point_.y() * kZoom);
    if (!source.isEmpty()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(
            QRectF(origin + QPointF(source.topLeft()) * kZoom, QSizeF(source.size()) * kZoom), bare,
            source);
        // The pixel grid: a faint dark line at every pixel border.
        painter.setPen(QColor(0, 0, 0, 70));
        for (int i = source.left(); i <= source.right() + 1; ++i) {
            const int x = int(std::lround(origin.x() + i * kZoom));
            painter.drawLine(x, 0, x, kSide);
        }
        for (int j = source.top(); j <= source.bottom() + 1; ++j) {
            const int y = int(std::lround(origin.y() + j * kZoom));
            painter.drawLine(0, y, kSide, y);
        }
    }
    // A red crosshair on a white edge, seen on any photograph.
    const int c = int(centre);
    for (const QPen& pen : {QPen(Qt::white, 3), QPen(Qt::red, 1)}) {
        painter.setPen(pen);
        painter.drawLine(0, c, c - kCrossGap, c);
        painter.drawLine(c + kCrossGap, c, kSide, c);
        painter.drawLine(c, 0, c, c - kCrossGap);
        painter.drawLine(c, c + kCrossGap, c, kSide);
    }
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace vesta::desktop
