#include "desktop/PictureWidget.h"

#include <QMouseEvent>
#include <QPainter>

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

void PictureWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
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

void PictureWidget::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit mouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), float(p.x()),
                   float(p.y()));
}

void PictureWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit mouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()), float(p.x()),
                   float(p.y()));
}

void PictureWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit mouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), float(p.x()),
                 float(p.y()));
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
