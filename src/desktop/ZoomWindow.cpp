#include "desktop/ZoomWindow.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>

#include "desktop/CanvasPicture.h"
#include "desktop/WheelScrolling.h"
#include "state/Numbers.h"
#include "ui/ZoomViewer.h"

namespace vesta::desktop {

StretchedImage::StretchedImage(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StretchedImage::setImage(QImage image) {
    image_ = std::move(image);
    update();
}

void StretchedImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.drawImage(rect(), image_);
}

void StretchedImage::mouseDoubleClickEvent(QMouseEvent*) {
    emit doubleClicked();
}

void StretchedImage::mouseReleaseEvent(QMouseEvent* event) {
    // Taken here, so only a release outside the picture reaches the window and fits it.
    event->accept();
}

ZoomWindow::ZoomWindow(Run run, double twipsPerPixelX, double twipsPerPixelY)
    : QWidget(nullptr, Qt::Window),
      run_(std::move(run)),
      tppX_(twipsPerPixelX),
      tppY_(twipsPerPixelY),
      spin_(nullptr),
      h_(nullptr),
      v_(nullptr),
      image_(new StretchedImage(this)) {
    setWindowTitle("Zoom");
    // The grid is drawn on the window's own surface: the image is created first, so the
    // scroll bars and the spin button lie above it.
    h_ = new QScrollBar(Qt::Horizontal, this);
    v_ = new QScrollBar(Qt::Vertical, this);
    spin_ = new SpinButton(this);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::red);
    setPalette(p);
    connect(spin_, &SpinButton::spinUp, this, [this] { run_(Spin1_SpinUp); });
    connect(spin_, &SpinButton::spinDown, this, [this] { run_(Spin1_SpinDown); });
    connect(h_, &QScrollBar::valueChanged, this,
            [this](int value) { run_([value](Context& c) { zoom_HScroll1_Change(c, value); }); });
    connect(v_, &QScrollBar::valueChanged, this,
            [this](int value) { run_([value](Context& c) { zoom_VScroll1_Change(c, value); }); });
    connect(image_, &StretchedImage::doubleClicked, this, [this] { run_(Image1_DblClick); });
    image_->installEventFilter(this);
}

QRect ZoomWindow::pixels(const TwipRect& r) const {
    return QRect(int(roundHalfEven(r.left / tppX_)), int(roundHalfEven(r.top / tppY_)),
                 std::max(0, int(roundHalfEven(r.width / tppX_))),
                 std::max(0, int(roundHalfEven(r.height / tppY_))));
}

void ZoomWindow::push(const ZoomForm& form) {
    pushing_ = true;
    const ColourImage& c = form.colourPicture;
    const bool colour = c.width > 0;
    const void* samples = !colour ? static_cast<const void*>(form.picture.pixels.data())
                          : c.bitsPerChannel == 16 ? static_cast<const void*>(c.samples16.data())
                                                   : static_cast<const void*>(c.samples8.data());
    if (samples != shownPixels_) {
        shownPixels_ = samples;
        if (colour) {
            QImage shown;
            toQImage(c, shown);
            image_->setImage(shown);
        } else {
            image_->setImage(toQImage(form.picture));
        }
    }
    const QRect window = pixels(form.window);
    if (size() != window.size()) {
        resize(window.size());
    }
    image_->setGeometry(pixels(form.image));
    // A bar reaching past the window would hide its far arrow there: it ends at the edge.
    const QRect inside(QPoint(0, 0), window.size());
    h_->setGeometry(pixels(form.hScroll.place).intersected(inside));
    v_->setGeometry(pixels(form.vScroll.place).intersected(inside));
    spin_->setGeometry(pixels(form.spin));
    for (auto [bar, state] : {std::pair{h_, &form.hScroll}, std::pair{v_, &form.vScroll}}) {
        const QSignalBlocker quiet(bar);
        bar->setRange(0, std::max(0, state->max));
        bar->setSingleStep(state->smallChange);
        bar->setPageStep(state->largeChange);
        bar->setValue(state->value);
    }
    grid_ = form.grid;
    update();
    if (form.shown && !isVisible()) {
        move(window.topLeft());
        show();
    }
    if (form.shown) {
        raise();
    }
    pushing_ = false;
}

void ZoomWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(QColor(0, 64, 64));
    for (const TwipLine& l : grid_) {
        painter.drawLine(QPointF(l.x1 / tppX_, l.y1 / tppY_), QPointF(l.x2 / tppX_, l.y2 / tppY_));
    }
}

void ZoomWindow::resizeEvent(QResizeEvent*) {
    if (pushing_) {
        return;
    }
    const double w = width() * tppX_, h = height() * tppY_;
    run_([w, h](Context& c) { zoom_Form_Resize(c, w, h); });
}

void ZoomWindow::wheelEvent(QWheelEvent* event) {
    if (!scrollWithWheel(*event, v_, h_)) {
        event->ignore();
    }
}

bool ZoomWindow::eventFilter(QObject* watched, QEvent* event) {
    // Over the picture the wheel scrolls it, whoever sent the event.
    if (watched == image_ && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return event->isAccepted();
    }
    return QWidget::eventFilter(watched, event);
}

void ZoomWindow::mouseReleaseEvent(QMouseEvent*) {
    run_(zoom_Form_MouseUp);
}

void ZoomWindow::closeEvent(QCloseEvent* event) {
    run_(zoom_Form_Unload);
    QWidget::closeEvent(event);
}

}  // namespace vesta::desktop
