// A picture area: the bare image as shown, plus what was drawn on it since the last refresh.
// Procedures set the foreground colour and the drawing mode and then draw; every drawing call
// takes single-precision picture pixels, origin at the top-left pixel, y downwards.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "state/ColourImage.h"
#include "state/Colours.h"
#include "state/Construction.h"
#include "state/IndexedImage.h"

namespace vesta {

// How a picture shows figures drawn in another plane: the photograph shows the construction,
// made where its lens's bend was taken out, through that bend again.
class FigureBend {
  public:
    virtual ~FigureBend() = default;
    // False while figures are shown as they are drawn.
    virtual bool bends() const = 0;
    // Where the picture shows point p of the figures' plane; nothing where it shows none.
    virtual std::optional<Point> bent(Point p) const = 0;
};

class PictureArea {
  public:
    virtual ~PictureArea() = default;

    // Shows an image as the area's picture, one screen pixel per image pixel; the area takes
    // the image's size and everything drawn before is gone.
    virtual void setPicture(const IndexedImage& image) = 0;
    // The same for a grey or colour image; 16-bit samples are shown reduced to 8 bits.
    virtual void setPicture(const ColourImage& image) = 0;
    // A reduced first view of a photograph of width x height still being read, shown at `scale`
    // (screen pixels per photograph pixel) from the area's top-left corner, in place of what
    // the area shows, until a picture is set or the view is dropped. It is only looked at:
    // nothing is drawn on it and no click is taken on it.
    virtual void showFirstView(const ColourImage& reduced, int width, int height, double scale) {
        (void)reduced, (void)width, (void)height, (void)scale;
    }
    virtual void dropFirstView() {}
    // Repaints the bare picture, erasing every line, box and circle drawn on it.
    virtual void refresh() = 0;
    // False for an area nobody sees (a run without a window): what would only be shown there,
    // such as the rectified image read back from its file, is not made.
    virtual bool shown() const { return true; }

    void setForeColor(Rgb colour) { foreColor_ = colour; }
    void setDrawMode(DrawMode mode) { drawMode_ = mode; }
    DrawMode drawMode() const { return drawMode_; }
    // Figures drawn from now on go through `bend` while it bends: a line, a box's sides and a
    // circle larger than a mark become polylines within a quarter pixel of their bent picture,
    // a mark moves with its centre. Without one they are drawn as they are.
    void setBend(std::shared_ptr<const FigureBend> bend) { bend_ = std::move(bend); }

    // Without a colour these draw in the foreground colour.
    void line(float x1, float y1, float x2, float y2, std::optional<Rgb> colour = {});
    void box(float x1, float y1, float x2, float y2, std::optional<Rgb> colour = {});
    void circle(float cx, float cy, float radius, std::optional<Rgb> colour = {});

  protected:
    virtual void drawLine(float x1, float y1, float x2, float y2, Rgb colour, DrawMode mode) = 0;
    virtual void drawBox(float x1, float y1, float x2, float y2, Rgb colour, DrawMode mode) = 0;
    virtual void drawCircle(float cx, float cy, float radius, Rgb colour, DrawMode mode) = 0;
    // The segments from each point to the next; an area that draws a polyline as one figure
    // inverts each of its pixels once.
    virtual void drawPolyline(const std::vector<Point>& points, Rgb colour, DrawMode mode);

  private:
    const FigureBend* bending() const { return bend_ && bend_->bends() ? bend_.get() : nullptr; }
    // The picture of the curve at(t), t from 0 to 1, cut first into `pieces`.
    template <typename Curve>
    void drawBent(const FigureBend& bend, const Curve& at, int pieces, Rgb colour);

    Rgb foreColor_ = colours::black;
    DrawMode drawMode_ = DrawMode::CopyPen;
    std::shared_ptr<const FigureBend> bend_;
};

}  // namespace vesta
