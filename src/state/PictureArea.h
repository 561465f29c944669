// A picture area: the bare image as shown, plus what was drawn on it since the last refresh.
// Procedures set the foreground colour and the drawing mode and then draw; every drawing call
// takes single-precision picture pixels, origin at the top-left pixel, y downwards.
#pragma once

#include <optional>

#include "state/ColourImage.h"
#include "state/Colours.h"
#include "state/IndexedImage.h"

namespace vesta {

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

    // Without a colour these draw in the foreground colour.
    void line(float x1, float y1, float x2, float y2, std::optional<Rgb> colour = {});
    void box(float x1, float y1, float x2, float y2, std::optional<Rgb> colour = {});
    void circle(float cx, float cy, float radius, std::optional<Rgb> colour = {});

  protected:
    virtual void drawLine(float x1, float y1, float x2, float y2, Rgb colour, DrawMode mode) = 0;
    virtual void drawBox(float x1, float y1, float x2, float y2, Rgb colour, DrawMode mode) = 0;
    virtual void drawCircle(float cx, float cy, float radius, Rgb colour, DrawMode mode) = 0;

  private:
    Rgb foreColor_ = colours::black;
    DrawMode drawMode_ = DrawMode::CopyPen;
};

}  // namespace vesta
