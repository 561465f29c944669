// Shows a picture area's canvas and reports the mouse in picture pixels. At one screen pixel per
// picture pixel it only blits the canvas; at another scale it shows the bare picture scaled
// and draws the figures over it at that scale.
#pragma once

#include <QWidget>

#include "desktop/CanvasPicture.h"

namespace vesta::desktop {

class PictureWidget : public QWidget {
    Q_OBJECT
  public:
    PictureWidget(CanvasPicture& picture, QWidget* parent);
    // Whether the second press of a double click also counts as a press (it does on the
    // photograph, where every press places a point; on the result it is only the double click).
    void setDoubleClickPresses(bool presses) { doubleClickPresses_ = presses; }
    // Screen pixels per picture pixel.
    void setScale(double scale);
    double scale() const { return scale_; }
    // The picture point under a point of the widget, as a click there reports it.
    QPointF toPicture(QPointF widgetPoint) const;

  signals:
    // Positions are single-precision picture pixels from the picture's top-left pixel; the
    // widget moves when scrolled, so they stay image pixels at every scroll position.
    void mouseDown(int button, int shift, float x, float y);
    void mouseMove(int button, int shift, float x, float y);
    void mouseUp(int button, int shift, float x, float y);
    void clicked();
    void doubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void paintScaled(QPainter& painter, const QRect& dirty);
    void emitMouse(void (PictureWidget::*signal)(int, int, float, float), int button,
                   QMouseEvent* event);

    CanvasPicture& picture_;
    bool doubleClickPresses_ = true;
    double scale_ = 1.0;
    // The reduced picture, made once for each scale and picture: a fit view repaints from it.
    QImage reduced_;
    double reducedScale_ = 0;
    std::uint64_t reducedSerial_ = 0;
};

}  // namespace vesta::desktop
