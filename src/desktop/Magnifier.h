// The magnifier: a small square beside the cursor over the photograph, showing the picture's
// pixels around the cursor enlarged, their grid, and a crosshair at the exact point a click
// there would take.
#pragma once

#include <QWidget>

#include "desktop/CanvasPicture.h"

namespace vesta::desktop {

class Magnifier : public QWidget {
  public:
    static constexpr int kZoom = 8;    // screen pixels per picture pixel
    static constexpr int kSide = 168;  // 21 picture pixels across

    Magnifier(const CanvasPicture& picture, QWidget* parent);

    // Shows the picture around `point` (picture pixels), the square placed beside `cursor`
    // (the parent's pixels) and within the parent.
    void showAt(QPointF point, QPoint cursor);
    QPointF point() const { return point_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const CanvasPicture& picture_;
    QPointF point_;
};

}  // namespace vesta::desktop
