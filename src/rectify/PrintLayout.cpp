#include "rectify/PrintLayout.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "state/Numbers.h"

namespace vesta {

namespace {

std::string trimmed(const std::string& text) {
    std::size_t a = 0, b = text.size();
    while (a < b && std::isspace(static_cast<unsigned char>(text[a]))) {
        ++a;
    }
    while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1]))) {
        --b;
    }
    return text.substr(a, b - a);
}

std::string whole(double n) {
    return plainForm(n, '.');
}

// How many sheets of `sheet` millimetres an image of `length` millimetres runs over; a
// rounding's sliver past a sheet's edge takes no sheet of its own.
int sheetsFor(double length, double sheet) {
    return std::max(1, int(std::ceil(length / sheet - 1e-9)));
}

}  // namespace

std::optional<int> typedPrintScale(const std::string& text) {
    std::string n = trimmed(text);
    const std::size_t colon = n.find(':');
    if (colon != std::string::npos) {
        if (trimmed(n.substr(0, colon)) != "1") {
            return std::nullopt;
        }
        n = trimmed(n.substr(colon + 1));
    }
    if (n.empty() || n.size() > 6 ||
        !std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const int value = std::stoi(n);
    if (value < 1 || value > kLargestPrintScale) {
        return std::nullopt;
    }
    return value;
}

std::string scaleText(int denominator) {
    return "1:" + whole(denominator);
}

ScaleBar scaleBarFor(int denominator, double maxMm) {
    ScaleBar bar;
    // Millimetres of paper for one metre of the facade.
    const double mmPerMetre = 1000.0 / denominator;
    for (double power = 1e-2; power <= 1e5; power *= 10) {
        for (const int lead : {1, 2, 5}) {
            const double metres = lead * power;
            if (metres * mmPerMetre <= maxMm) {
                bar.metres = metres;
                bar.lengthMm = metres * mmPerMetre;
                bar.divisions = lead == 2 ? 4 : 5;
            }
        }
    }
    if (bar.metres >= 1) {
        bar.label = whole(bar.metres) + " m";
    } else if (bar.metres > 0) {
        bar.label = whole(std::round(bar.metres * 100)) + " cm";
    }
    return bar;
}

Result<PrintLayout> layOutPrint(double areaWidth, double areaHeight, int width, int height,
                                double cmPerPixel, int denominator) {
    const double tileWidth = areaWidth;
    const double tileHeight = areaHeight - kPrintFooterMm;
    if (tileWidth < 20 || tileHeight < 20) {
        return Result<PrintLayout>::failure(
            "Il foglio scelto è troppo piccolo per stampare in scala: scegliere un formato "
            "più grande.");
    }
    PrintLayout l;
    l.mmPerPixel = cmPerPixel * 10 / denominator;
    l.imageWidthMm = width * l.mmPerPixel;
    l.imageHeightMm = height * l.mmPerPixel;
    l.columns = sheetsFor(l.imageWidthMm, tileWidth);
    l.rows = sheetsFor(l.imageHeightMm, tileHeight);
    if (double(l.columns) * l.rows > kMostPrintSheets) {
        return Result<PrintLayout>::failure(
            "Alla scala " + scaleText(denominator) + " l'immagine occuperebbe " +
            whole(double(l.columns) * l.rows) + " fogli (al più " + whole(kMostPrintSheets) +
            "): scegliere una scala minore, per esempio " + scaleText(denominator * 2) + ".");
    }
    l.footerTop = tileHeight;
    l.bar = scaleBarFor(denominator, std::min(100.0, tileWidth / 2));
    for (int r = 0; r < l.rows; ++r) {
        for (int c = 0; c < l.columns; ++c) {
            PrintSheet s;
            s.row = r;
            s.column = c;
            const double fromX = c * tileWidth, toX = std::min(l.imageWidthMm, fromX + tileWidth);
            const double fromY = r * tileHeight,
                         toY = std::min(l.imageHeightMm, fromY + tileHeight);
            s.x0 = std::clamp(int(std::floor(fromX / l.mmPerPixel)), 0, width - 1);
            s.x1 = std::clamp(int(std::ceil(toX / l.mmPerPixel)), s.x0 + 1, width);
            s.y0 = std::clamp(int(std::floor(fromY / l.mmPerPixel)), 0, height - 1);
            s.y1 = std::clamp(int(std::ceil(toY / l.mmPerPixel)), s.y0 + 1, height);
            s.left = s.x0 * l.mmPerPixel - fromX;
            s.top = s.y0 * l.mmPerPixel - fromY;
            s.clipWidth = toX - fromX;
            s.clipHeight = toY - fromY;
            l.sheets.push_back(s);
        }
    }
    return Result<PrintLayout>::success(std::move(l));
}

std::string sheetCaption(const std::string& name, int denominator, const PrintLayout& layout,
                         const PrintSheet& sheet) {
    std::string caption = name + " - scala " + scaleText(denominator);
    if (layout.sheets.size() > 1) {
        caption += " - foglio " + whole(sheet.row * layout.columns + sheet.column + 1) + " di " +
                   whole(double(layout.sheets.size())) + " (riga " + whole(sheet.row + 1) +
                   ", colonna " + whole(sheet.column + 1) + ")";
    }
    return caption;
}

}  // namespace vesta
