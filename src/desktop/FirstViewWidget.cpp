#include "desktop/FirstViewWidget.h"

#include <QPaintEvent>
#include <QPainter>

namespace vesta::desktop {

FirstViewWidget::FirstViewWidget(const CanvasPicture& picture, QColor background,
                                 const QWidget* caption, QWidget* parent)
    : QWidget(parent), picture_(picture), background_(background), caption_(caption) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

void FirstViewWidget::place(QSize region) {
    if (picture_.firstView().isNull()) {
        shown_ = QImage();
        hide();
        return;
    }
    setGeometry(QRect(QPoint(0, 0), region));
    // The caption lies inside the picture below this widget: it shows through a hole.
    const QRect caption =
        caption_ && caption_->isVisible()
            ? QRect(caption_->mapTo(parentWidget(), QPoint(0, 0)) - pos(), caption_->size())
            : QRect();
    if (caption.intersects(rect())) {
        setMask(QRegion(rect()).subtracted(QRegion(caption)));
    } else {
        clearMask();
    }
    raise();
    show();
    update();
}

void FirstViewWidget::paintEvent(QPaintEvent* event) {
    const QImage& view = picture_.firstView();
    if (view.isNull()) {
        return;
    }
    if (shown_.isNull() || shownOf_ != view.cacheKey() ||
        shown_.size() != picture_.firstViewSize()) {
        shown_ =
            view.scaled(picture_.firstViewSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        shownOf_ = view.cacheKey();
    }
    QPainter painter(this);
    painter.fillRect(event->rect(), background_);
    painter.drawImage(QPoint(0, 0), shown_);
}

}  // namespace vesta::desktop
