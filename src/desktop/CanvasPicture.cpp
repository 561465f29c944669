#include "desktop/CanvasPicture.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "state/LargePages.h"

namespace vesta::desktop {

namespace {

// A photograph's image before its first write: large pages asked for while none is touched.
QImage freshImage(int width, int height, QImage::Format format = QImage::Format_RGB32) {
    QImage image(width, height, format);
    adviseLargePages(image.bits(), std::size_t(image.sizeInBytes()));
    return image;
}

}  // namespace

void toQImage(const ColourImage& image, QImage& into) {
    if (into.width() != image.width || into.height() != image.height ||
        into.format() != QImage::Format_RGB32 || !into.isDetached()) {
        into = freshImage(image.width, image.height);
    }
    const std::size_t n = image.rowSamples();
    for (int y = 0; y < image.height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(into.scanLine(y));
        const std::size_t at = std::size_t(y) * n;
        if (image.bitsPerChannel == 16) {
            const std::uint16_t* in = image.samples16.data() + at;
            const int step = image.channels;
            const int green = image.channels == 1 ? 0 : 1, blue = image.channels == 1 ? 0 : 2;
            for (int x = 0; x < image.width; ++x, in += step) {
                out[x] = qRgb((in[0] + 128) / 257, (in[green] + 128) / 257, (in[blue] + 128) / 257);
            }
        } else if (image.channels == 1) {
            const std::uint8_t* in = image.samples8.data() + at;
            for (int x = 0; x < image.width; ++x) {
                out[x] = qRgb(in[x], in[x], in[x]);
            }
        } else {
            const std::uint8_t* in = image.samples8.data() + at;
            for (int x = 0; x < image.width; ++x, in += 3) {
                out[x] = qRgb(in[0], in[1], in[2]);
            }
        }
    }
}

CanvasPicture::CanvasPicture(int width, int height, Rgb background)
    : base_(width, height, QImage::Format_RGB32), background_(background) {
    base_.fill(QColor(background.r, background.g, background.b));
    canvas_ = base_;
}

QImage toQImage(const IndexedImage& image) {
    QImage shown;
    toQImage(image, shown);
    return shown;
}

void toQImage(const IndexedImage& image, QImage& into) {
    QRgb lookup[256];
    for (int i = 0; i < 256; ++i) {
        const Rgb c = image.colour(std::uint8_t(i));
        lookup[i] = qRgb(c.r, c.g, c.b);
    }
    if (into.width() != image.width || into.height() != image.height ||
        into.format() != QImage::Format_RGB32 || !into.isDetached()) {
        into = freshImage(image.width, image.height);
    }
    for (int y = 0; y < image.height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(into.scanLine(y));
        const std::uint8_t* in = image.row(y);
        for (int x = 0; x < image.width; ++x) {
            out[x] = lookup[in[x]];
        }
    }
}

template <typename Image>
void CanvasPicture::show(const Image& image) {
    // The picture itself replaces its first view.
    dropFirstView();
    releaseCanvas();
    toQImage(image, base_);
    restoreCanvas();
    figures_.clear();
    ++serial_;
    notify();
}

void CanvasPicture::setPicture(const IndexedImage& image) {
    show(image);
}

void CanvasPicture::setPicture(const ColourImage& image) {
    show(image);
}

void CanvasPicture::showFirstView(const ColourImage& reduced, int width, int height, double scale) {
    toQImage(reduced, firstView_);
    firstViewSize_ = QSize(std::max(1, int(std::lround(width * scale))),
                           std::max(1, int(std::lround(height * scale))));
    if (firstViewChanged_) {
        firstViewChanged_();
    }
}

void CanvasPicture::dropFirstView() {
    if (firstView_.isNull()) {
        return;
    }
    firstView_ = QImage();
    if (firstViewChanged_) {
        firstViewChanged_();
    }
}

void CanvasPicture::refresh() {
    restoreCanvas();
    figures_.clear();
    notify();
}

// The canvas's own pixels are kept aside; the bare picture then holds its memory alone and is
// written over in place by a picture of the same shape.
void CanvasPicture::releaseCanvas() {
    if (!canvas_.isNull() && canvas_.constBits() != base_.constBits()) {
        spare_ = std::move(canvas_);
    }
    canvas_ = QImage();
}

// Without figures the canvas is the bare picture itself: showing a photograph copies nothing.
void CanvasPicture::restoreCanvas() {
    releaseCanvas();
    canvas_ = base_;
}

// Before the first figure the canvas gets pixels of its own, in the memory it had before when
// the shape is the same: a fresh 100 MB image costs more in the kernel's page faults than the
// copy itself.
void CanvasPicture::ownCanvas() {
    if (canvas_.constBits() != base_.constBits()) {
        return;
    }
    if (spare_.size() != base_.size() || spare_.format() != base_.format() ||
        spare_.bytesPerLine() != base_.bytesPerLine() || !spare_.isDetached()) {
        spare_ = freshImage(base_.width(), base_.height(), base_.format());
    }
    std::memcpy(spare_.bits(), base_.constBits(), std::size_t(base_.sizeInBytes()));
    canvas_ = std::move(spare_);
    spare_ = QImage();
}

namespace {

void preparePen(QPainter& painter, Rgb colour, DrawMode mode) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    QColor penColour(colour.r, colour.g, colour.b);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (mode == DrawMode::Black) {
        penColour = Qt::black;
    } else if (mode == DrawMode::Invert) {
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    }
    QPen pen(penColour);
    pen.setWidth(0);  // cosmetic: one pixel whatever the transform
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
}

void drawFigure(QPainter& p, const Figure& f, double scale, QPointF origin) {
    auto at = [&](float x, float y) { return QPointF(x * scale, y * scale) - origin; };
    switch (f.kind) {
        case Figure::Kind::Line:
            p.drawLine(at(f.x1, f.y1), at(f.x2, f.y2));
            break;
        case Figure::Kind::Box:
            p.drawRect(QRectF(at(f.x1, f.y1), at(f.x2, f.y2)).normalized());
            break;
        case Figure::Kind::Circle:
            p.drawEllipse(at(f.x1, f.y1), double(f.x2) * scale, double(f.x2) * scale);
            break;
        case Figure::Kind::Polyline: {
            QPolygonF shown;
            for (const QPointF& q : f.path) {
                shown << q * scale - origin;
            }
            p.drawPolyline(shown);
            break;
        }
    }
}

}  // namespace

void drawFigures(QPainter& painter, const std::vector<Figure>& figures, double scale,
                 QPointF origin) {
    for (const Figure& f : figures) {
        preparePen(painter, f.colour, f.mode);
        drawFigure(painter, f, scale, origin);
    }
}

void CanvasPicture::draw(const Figure& figure) {
    ownCanvas();
    {
        QPainter painter(&canvas_);
        preparePen(painter, figure.colour, figure.mode);
        drawFigure(painter, figure, 1.0, QPointF());
    }
    keep(figure);
    notify();
}

// An inverted figure inverted again is gone: both leave the list, so a rubber band dragged for
// long keeps it short. Inversions commute with each other, not with painting in a colour.
void CanvasPicture::keep(const Figure& figure) {
    if (figure.mode == DrawMode::Invert) {
        for (auto it = figures_.rbegin(); it != figures_.rend() && it->mode == DrawMode::Invert;
             ++it) {
            if (it->kind == figure.kind && it->x1 == figure.x1 && it->y1 == figure.y1 &&
                it->x2 == figure.x2 && it->y2 == figure.y2 && it->path == figure.path) {
                figures_.erase(std::next(it).base());
                return;
            }
        }
    }
    figures_.push_back(figure);
}

void CanvasPicture::drawLine(float x1, float y1, float x2, float y2, Rgb colour, DrawMode mode) {
    draw({Figure::Kind::Line, x1, y1, x2, y2, colour, mode, {}});
}

void CanvasPicture::drawBox(float x1, float y1, float x2, float y2, Rgb colour, DrawMode mode) {
    draw({Figure::Kind::Box, x1, y1, x2, y2, colour, mode, {}});
}

void CanvasPicture::drawCircle(float cx, float cy, float radius, Rgb colour, DrawMode mode) {
    draw({Figure::Kind::Circle, cx, cy, radius, 0, colour, mode, {}});
}

void CanvasPicture::drawPolyline(const std::vector<Point>& points, Rgb colour, DrawMode mode) {
    Figure f{Figure::Kind::Polyline, 0, 0, 0, 0, colour, mode, {}};
    for (const Point& p : points) {
        f.path.emplace_back(p.x, p.y);
    }
    draw(f);
}

void CanvasPicture::notify() const {
    if (changed_) {
        changed_();
    }
}

}  // namespace vesta::desktop
