// The zoom viewer's window: the stretched picture, its spin button and two scroll bars, and
// the grid drawn on the window's surface beneath the picture. Sizes come from the zoom form in
// twips, converted with the screen's real twips per pixel.
#pragma once

#include <QImage>
#include <QScrollBar>
#include <QWidget>
#include <functional>

#include "desktop/SpinButton.h"
#include "state/Context.h"

namespace vesta::desktop {

class StretchedImage : public QWidget {
    Q_OBJECT
  public:
    explicit StretchedImage(QWidget* parent);
    void setImage(QImage image);

  signals:
    void doubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QImage image_;
};

class ZoomWindow : public QWidget {
    Q_OBJECT
  public:
    using Run = std::function<void(std::function<void(Context&)>)>;
    ZoomWindow(Run run, double twipsPerPixelX, double twipsPerPixelY);

    // Shows what the zoom form says.
    void push(const ZoomForm& form);

    SpinButton* spin() const { return spin_; }
    QScrollBar* horizontal() const { return h_; }
    QScrollBar* vertical() const { return v_; }
    StretchedImage* image() const { return image_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QRect pixels(const TwipRect& r) const;

    Run run_;
    double tppX_, tppY_;
    SpinButton* spin_;
    QScrollBar* h_;
    QScrollBar* v_;
    StretchedImage* image_;
    std::vector<TwipLine> grid_;
    const void* shownPixels_ = nullptr;
    bool pushing_ = false;
};

}  // namespace vesta::desktop
