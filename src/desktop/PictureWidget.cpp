#include "desktop/PictureWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace vesta::desktop {

namespace {

// The button and shift codes of the system: left 1, right 2, middle 4; shift 1, ctrl 2, alt 4.
int buttonCode(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

}  // namespace

PictureWidget::PictureWidget(CanvasPicture& picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    picture_.onChanged([this] { update(); });
}

void PictureWidget::setScale(double scale) {
    if (scale != scale_) {
        scale_ = scale;
        update();
    }
}

QPointF PictureWidget::toPicture(QPointF widgetPoint) const {
    if (scale_ == 1.0) {
        return widgetPoint;
    }
    return widgetPoint / scale_;
}

void PictureWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    if (scale_ != 1.0) {
        paintScaled(painter, dirty);
        return;
    }
    const QImage& canvas = picture_.canvas();
    painter.drawImage(dirty.topLeft(), canvas, dirty);
    // Beyond the picture the area shows its background colour.
    const Rgb bg = picture_.background();
    const QColor background(bg.r, bg.g, bg.b);
    if (dirty.right() >= canvas.width()) {
        painter.fillRect(
            QRect(canvas.width(), dirty.top(), dirty.right() - canvas.width() + 1, dirty.height()),
            background);
    }
    if (dirty.bottom() >= canvas.height()) {
        painter.fillRect(QRect(dirty.left(), canvas.height(), dirty.width(),
                               dirty.bottom() - canvas.height() + 1),
                         background);
    }
}

// The dirty part is composed off screen, so figures drawn in invert mode invert the picture
// under them, not the widget's previous contents.
void PictureWidget::paintScaled(QPainter& painter, const QRect& dirty) {
    const QImage& bare = picture_.bare();
    const Rgb bg = picture_.background();
    QImage view(dirty.size(), QImage::Format_RGB32);
    view.fill(QColor(bg.r, bg.g, bg.b));
    {
        QPainter composer(&view);
        composer.translate(-dirty.topLeft());
        if (scale_ < 1.0) {
            if (reducedScale_ != scale_ || reducedSerial_ != picture_.pictureSerial()) {
                const QSize size(std::max(1, int(std::lround(bare.width() * scale_))),
                                 std::max(1, int(std::lround(bare.height() * scale_))));
                reduced_ = bare.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                reducedScale_ = scale_;
                reducedSerial_ = picture_.pictureSerial();
            }
            composer.drawImage(dirty.topLeft(), reduced_, dirty);
        } else {
            // Each picture pixel becomes a square of screen pixels: no smoothing.
            const int left = int(std::floor(dirty.left() / scale_));
            const int top = int(std::floor(dirty.top() / scale_));
            const int right = int(std::ceil((dirty.right() + 1) / scale_));
            const int bottom = int(std::ceil((dirty.bottom() + 1) / scale_));
            const QRect source =
                QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(bare.rect());
            if (!source.isEmpty()) {
                composer.setRenderHint(QPainter::SmoothPixmapTransform, false);
                const QRectF target(source.left() * scale_, source.top() * scale_,
                                    source.width() * scale_, source.height() * scale_);
                composer.drawImage(target, bare, source);
            }
        }
        drawFigures(composer, picture_.figures(), scale_, QPointF());
    }
    painter.drawImage(dirty.topLeft(), view);
}

void PictureWidget::emitMouse(void (PictureWidget::*signal)(int, int, float, float), int button,
                              QMouseEvent* event) {
    const QPointF p = toPicture(event->position());
    emit(this->*signal)(button, shiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

void PictureWidget::mousePressEvent(QMouseEvent* event) {
    emitMouse(&PictureWidget::mouseDown, buttonCode(event->button()), event);
}

void PictureWidget::mouseMoveEvent(QMouseEvent* event) {
    emitMouse(&PictureWidget::mouseMove, buttonCode(event->buttons()), event);
}

void PictureWidget::mouseReleaseEvent(QMouseEvent* event) {
    emitMouse(&PictureWidget::mouseUp, buttonCode(event->button()), event);
    if (rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

void PictureWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (doubleClickPresses_) {
        mousePressEvent(event);
    }
    emit doubleClicked();
}

}  // namespace vesta::desktop
