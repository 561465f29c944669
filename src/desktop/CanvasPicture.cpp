#include "desktop/CanvasPicture.h"

#include <QPainter>

namespace vesta::desktop {

CanvasPicture::CanvasPicture(int width, int height, Rgb background)
    : base_(width, height, QImage::Format_RGB32), background_(background) {
    base_.fill(QColor(background.r, background.g, background.b));
    canvas_ = base_;
}

QImage toQImage(const IndexedImage& image) {
    QRgb lookup[256];
    for (int i = 0; i < 256; ++i) {
        const Rgb c = image.colour(std::uint8_t(i));
        lookup[i] = qRgb(c.r, c.g, c.b);
    }
    QImage shown(image.width, image.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(shown.scanLine(y));
        const std::uint8_t* in = image.row(y);
        for (int x = 0; x < image.width; ++x) {
            out[x] = lookup[in[x]];
        }
    }
    return shown;
}

void CanvasPicture::setPicture(const IndexedImage& image) {
    base_ = toQImage(image);
    canvas_ = base_;
    notify();
}

void CanvasPicture::refresh() {
    canvas_ = base_;
    notify();
}

template <typename Paint>
void CanvasPicture::paint(Rgb colour, DrawMode mode, Paint&& figure) {
    {
        QPainter painter(&canvas_);
        painter.setRenderHint(QPainter::Antialiasing, false);
        QColor penColour(colour.r, colour.g, colour.b);
        if (mode == DrawMode::Black) {
            penColour = Qt::black;
        } else if (mode == DrawMode::Invert) {
            painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        }
        QPen pen(penColour);
        pen.setWidth(0);  // cosmetic: one pixel whatever the transform
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        figure(painter);
    }
    notify();
}

void CanvasPicture::drawLine(float x1, float y1, float x2, float y2, Rgb colour, DrawMode mode) {
    paint(colour, mode, [&](QPainter& p) { p.drawLine(QPointF(x1, y1), QPointF(x2, y2)); });
}

void CanvasPicture::drawBox(float x1, float y1, float x2, float y2, Rgb colour, DrawMode mode) {
    paint(colour, mode,
          [&](QPainter& p) { p.drawRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized()); });
}

void CanvasPicture::drawCircle(float cx, float cy, float radius, Rgb colour, DrawMode mode) {
    paint(colour, mode,
          [&](QPainter& p) { p.drawEllipse(QPointF(cx, cy), double(radius), double(radius)); });
}

void CanvasPicture::notify() const {
    if (changed_) {
        changed_();
    }
}

}  // namespace vesta::desktop
