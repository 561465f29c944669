// A picture area as an off-screen canvas: the bare image as loaded, and a copy on which the
// procedures draw. Drawing is never antialiased, so a figure drawn twice in invert mode leaves
// every pixel as it was. The figures drawn since the last refresh are also kept as a list, so
// a view at another scale draws the same overlay sharp at its own scale.
#pragma once

#include <QImage>
#include <QPainter>
#include <cstdint>
#include <functional>
#include <vector>

#include "state/PictureArea.h"

namespace vesta::desktop {

// The image in the screen's colours: each index through its palette entry.
QImage toQImage(const IndexedImage& image);
// The same into `into`, in its own memory where it already has the size.
void toQImage(const IndexedImage& image, QImage& into);
// A grey or colour image in the screen's colours, 16-bit samples reduced to 8.
void toQImage(const ColourImage& image, QImage& into);

// One line, box, circle or polyline (a figure seen through the lens's bend) as a procedure
// drew it, in picture pixels.
struct Figure {
    enum class Kind { Line, Box, Circle, Polyline };
    Kind kind = Kind::Line;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a circle: centre, and its radius in x2
    Rgb colour;
    DrawMode mode = DrawMode::CopyPen;
    std::vector<QPointF> path;  // a polyline's points
    friend bool operator==(const Figure&, const Figure&) = default;
};

// Draws the figures onto a painter whose device shows picture point p at p * scale - origin.
// Lines keep one screen pixel whatever the scale.
void drawFigures(QPainter& painter, const std::vector<Figure>& figures, double scale,
                 QPointF origin);

class CanvasPicture : public PictureArea {
  public:
    // An empty area of the given size, filled with its background colour.
    CanvasPicture(int width, int height, Rgb background);

    void setPicture(const IndexedImage& image) override;
    void setPicture(const ColourImage& image) override;
    void refresh() override;
    void showFirstView(const ColourImage& reduced, int width, int height, double scale) override;
    void dropFirstView() override;

    const QImage& canvas() const { return canvas_; }
    // The picture without anything drawn on it, and the figures drawn since.
    const QImage& bare() const { return base_; }
    const std::vector<Figure>& figures() const { return figures_; }
    // Changes whenever the bare picture does.
    std::uint64_t pictureSerial() const { return serial_; }
    Rgb background() const { return background_; }
    // Told after every change of the canvas, so the widget can repaint.
    void onChanged(std::function<void()> callback) { changed_ = std::move(callback); }
    // The first view on show (null when none) and its size on the screen: the photograph's
    // size at the view's scale.
    const QImage& firstView() const { return firstView_; }
    QSize firstViewSize() const { return firstViewSize_; }
    // Told whenever a first view comes or goes.
    void onFirstView(std::function<void()> callback) { firstViewChanged_ = std::move(callback); }

  protected:
    void drawLine(float x1, float y1, float x2, float y2, Rgb colour, DrawMode mode) override;
    void drawBox(float x1, float y1, float x2, float y2, Rgb colour, DrawMode mode) override;
    void drawCircle(float cx, float cy, float radius, Rgb colour, DrawMode mode) override;
    void drawPolyline(const std::vector<Point>& points, Rgb colour, DrawMode mode) override;

  private:
    // The bare picture replaced by `image`, nothing drawn on it.
    template <typename Image>
    void show(const Image& image);
    void releaseCanvas();
    void restoreCanvas();
    void ownCanvas();
    void draw(const Figure& figure);
    void keep(const Figure& figure);
    void notify() const;

    // The canvas shares the bare picture's pixels until a figure is drawn; its own memory, once
    // given back, is kept for the next figure.
    QImage base_;
    QImage canvas_;
    QImage spare_;
    std::vector<Figure> figures_;
    std::uint64_t serial_ = 0;
    Rgb background_;
    std::function<void()> changed_;
    QImage firstView_;
    QSize firstViewSize_;
    std::function<void()> firstViewChanged_;
};

}  // namespace vesta::desktop
