// The world file beside a result whose scale is known: six lines that CAD and GIS programs read
// to place an image at its true size (pixel size in x, two rotation terms, minus the pixel size
// in y, then the centre of the top-left pixel), in metres, the top-left corner at the origin.
#pragma once

#include <optional>
#include <string>

namespace vesta {

// The world file's name for an image: the extension's first and last letters and "w", in the
// extension's case (".bmp" .bpw, ".png" .pgw, ".tif" and ".tiff" .tfw, ".jpg" and ".jpeg" .jgw);
// ".wld" for a name with no extension.
std::string worldFilePathFor(const std::string& imagePath);

// The six lines for square pixels of `cmPerPixel` centimetres; numbers with a point, whatever
// the locale.
std::string worldFileText(double cmPerPixel);

// The scale of a result, in centimetres per pixel, from two of its points and their real
// distance; nothing when the points coincide or the distance is not above zero.
std::optional<double> scaleFromPair(double x1, double y1, double x2, double y2, double cm);

// Writes the world file beside the image at `imagePath`. What stands at its name is replaced
// only when it is a world file itself (six numbers), so nothing of the user's goes. False with
// the reason.
bool writeWorldFile(const std::string& imagePath, double cmPerPixel, std::string& error);

// Whether a file's text is a world file: six numbers, one a line, with a point for decimals.
bool isWorldFileText(const std::string& text);

// Whether `imagePath`'s world file may be written: nothing at its name, or a world file.
bool worldFileMayGo(const std::string& imagePath, std::string& error);

}  // namespace vesta
