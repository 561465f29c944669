// The first view of a photograph still being read: over the part of the window the pictures
// share, the reduced photograph at the size the photograph will be shown at, the window's
// background around it. Only looked at: the window takes no input until the photograph is in.
#pragma once

#include <QWidget>

#include "desktop/CanvasPicture.h"

namespace vesta::desktop {

class FirstViewWidget : public QWidget {
  public:
    // `caption` is the photograph's title, drawn over the photograph: the first view leaves
    // it uncovered, as the photograph itself does.
    FirstViewWidget(const CanvasPicture& picture, QColor background, const QWidget* caption,
                    QWidget* parent);
    // The first view changed: shown over `region` (from the window's top-left corner) while
    // there is one, hidden otherwise.
    void place(QSize region);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const CanvasPicture& picture_;
    QColor background_;
    const QWidget* caption_;
    // The first view at its size on the screen, made once for each view.
    QImage shown_;
    qint64 shownOf_ = 0;
};

}  // namespace vesta::desktop
