// Shows a picture area's canvas and reports the mouse in picture pixels. It only blits.
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
    CanvasPicture& picture_;
    bool doubleClickPresses_ = true;
};

}  // namespace vesta::desktop
