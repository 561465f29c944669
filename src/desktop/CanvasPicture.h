// A picture area as an off-screen canvas: the bare image as loaded, and a copy on which the
// procedures draw. Drawing is never antialiased, so a figure drawn twice in invert mode leaves
// every pixel as it was.
#pragma once

#include <QImage>
#include <functional>

#include "state/PictureArea.h"

namespace vesta::desktop {

// The image in the screen's colours: each index through its palette entry.
QImage toQImage(const IndexedImage& image);

class CanvasPicture : public PictureArea {
  public:
    // An empty area of the given size, filled with its background colour.
    CanvasPicture(int width, int height, Rgb background);

    void setPicture(const IndexedImage& image) override;
    void refresh() override;

    const QImage& canvas() const { return canvas_; }
    Rgb background() const { return background_; }
    // Told after every change of the canvas, so the widget can repaint.
    void onChanged(std::function<void()> callback) { changed_ = std::move(callback); }

  protected:
    void drawLine(float x1, float y1, float x2, float y2, Rgb colour, DrawMode mode) override;
    void drawBox(float x1, float y1, float x2, float y2, Rgb colour, DrawMode mode) override;
    void drawCircle(float cx, float cy, float radius, Rgb colour, DrawMode mode) override;

  private:
    template <typename Paint>
    void paint(Rgb colour, DrawMode mode, Paint&& figure);
    void notify() const;

    QImage base_;
    QImage canvas_;
    Rgb background_;
    std::function<void()> changed_;
};

}  // namespace vesta::desktop
