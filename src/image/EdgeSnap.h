// A clicked line drawn onto the straight edge of the photograph it was clicked on, to a fraction
// of a pixel: the gradient across the line, at many stations along it, has its maximum where the
// edge is; a line fitted to those maxima is the edge.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "state/ColourImage.h"
#include "state/Construction.h"
#include "state/IndexedImage.h"

namespace vesta {

// The grey level of a photograph's pixels, read where they lie, nothing converted beforehand:
// a palette image through its palette's grey levels, a colour one by its luminance, a 16-bit
// one brought to the 8-bit scale. The image must outlive the view.
class GreyView {
  public:
    explicit GreyView(const IndexedImage& image);
    explicit GreyView(const ColourImage& image);

    int width() const { return width_; }
    int height() const { return height_; }
    // The grey level of pixel (x, y), 0 to 255; x and y inside the image.
    float at(int x, int y) const;

  private:
    int width_ = 0, height_ = 0;
    int channels_ = 1;
    const std::uint8_t* indices_ = nullptr;
    const std::uint8_t* samples8_ = nullptr;
    const std::uint16_t* samples16_ = nullptr;
    std::array<float, 256> paletteGrey_{};
};

struct SnappedLine {
    // On the perpendiculars to the clicked line through its first and its second end.
    Point first, second;
    // How far each end moved from where it was clicked, pixels.
    double firstShift = 0, secondShift = 0;
};

// How far either side of a clicked line an edge is looked for, pixels of the photograph, for a
// line whose ends were clicked at these view scales: a reduced view places a click less surely.
double snapReach(double firstViewScale, double secondViewScale);

// The straight edge within `reach` pixels either side of the segment first-second, with its
// ends on the perpendiculars through the clicked ends; nothing when no edge runs along most of
// the segment, when it strays beyond the reach, when the segment is too short to tell, or when
// the edge is no one straight edge (drawn onto its edge again, the line found would move).
// Pixel (i, j) stands at the point (i, j), where a click on it lands.
std::optional<SnappedLine> snapToEdge(const GreyView& image, Point first, Point second,
                                      double reach);

}  // namespace vesta
