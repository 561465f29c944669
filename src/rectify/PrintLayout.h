// The rectified image on paper at an architectural scale: how many sheets, which pixels on
// each and where, and the scale bar. Pure functions of millimetres and pixels, so the printing
// shell only draws what they say.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "state/Result.h"

namespace vesta {

// The scales offered first; any other is typed.
inline constexpr int kUsualPrintScales[] = {20, 50, 100, 200};
inline constexpr int kLargestPrintScale = 100000;
// The band at each sheet's foot: the photograph's name, the scale, the sheet and the bar.
inline constexpr double kPrintFooterMm = 18;
// A larger print is refused: it would be hundreds of sheets nobody means.
inline constexpr int kMostPrintSheets = 64;

// The denominator N of a scale typed as "1:N" or "N" (blanks allowed around the parts), a whole
// number from 1 to kLargestPrintScale; nothing for anything else.
std::optional<int> typedPrintScale(const std::string& text);

// "1:N".
std::string scaleText(int denominator);

// One sheet: the whole pixels [x0, x1) x [y0, y1) that cover its share of the image, the
// place of their top-left corner (millimetres from the printable area's top-left; a fraction
// of a pixel left of or above the area when a pixel straddles two sheets) and the share itself,
// from the area's top-left, width and height: what lies outside it belongs to a neighbour.
struct PrintSheet {
    int row = 0, column = 0;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    double left = 0, top = 0;
    double clipWidth = 0, clipHeight = 0;
};

// A bar of a round real length (1, 2 or 5 times a power of ten metres) in equal divisions.
struct ScaleBar {
    double metres = 0;
    double lengthMm = 0;
    int divisions = 0;
    std::string label;  // "10 m", "50 cm"
};

struct PrintLayout {
    double mmPerPixel = 0;
    double imageWidthMm = 0, imageHeightMm = 0;
    int columns = 0, rows = 0;
    std::vector<PrintSheet> sheets;  // row by row, left to right
    double footerTop = 0;            // millimetres from the printable area's top
    ScaleBar bar;
};

// The image of width x height pixels, each cmPerPixel centimetres of the facade, at 1:N on
// sheets whose printable area is areaWidth x areaHeight millimetres: a pixel is cmPerPixel * 10
// / N millimetres of paper, so at 1:100 a metre of the facade is a centimetre. The image keeps
// the top-left corner of the area on the first sheet and runs on across the next ones; the
// footer takes the last kPrintFooterMm of every sheet. Refused with the Italian reason when
// the sheet is too small or the print would take more than kMostPrintSheets sheets.
Result<PrintLayout> layOutPrint(double areaWidth, double areaHeight, int width, int height,
                                double cmPerPixel, int denominator);

// The longest round length whose bar fits in maxMm at 1:N.
ScaleBar scaleBarFor(int denominator, double maxMm);

// The caption at a sheet's foot: "NAME - scala 1:100 - foglio 2 di 6 (riga 1, colonna 2)".
std::string sheetCaption(const std::string& name, int denominator, const PrintLayout& layout,
                         const PrintSheet& sheet);

}  // namespace vesta
