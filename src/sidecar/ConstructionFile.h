// The user's construction kept beside a saved image: the photograph it was made on (name and
// checksum), every click and choice, and the numbers they gave. The window writes it on Save and
// offers it back when the photograph is opened again; vesta-rectify replays it to the same bytes.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "state/LensFitSpread.h"
#include "state/LensProfile.h"
#include "state/Result.h"

namespace vesta {

// A line after the four, as clicked.
struct ExtraLineRecord {
    bool horizontal = true;
    std::array<double, 4> line{};  // x1, y1, x2, y2
    std::array<double, 2> viewScales{1.0, 1.0};
    std::vector<std::array<double, 2>> points;  // along it, ends too, when given by more than two
    bool operator==(const ExtraLineRecord&) const = default;
};

struct ConstructionRecord {
    std::string photograph;  // the photograph's file name, without its folder
    std::string sha256;      // of the photograph's bytes, lower-case hex
    // The four lines as clicked: h1, h2, v1, v2, each x1, y1, x2, y2.
    std::array<std::array<double, 4>, 4> lines{};
    // The view scale each line end was clicked at (screen pixels per photograph pixel), which
    // tells how sure it is; 1:1 in a record that does not say.
    std::array<std::array<double, 2>, 4> lineViewScales{
        {{1.0, 1.0}, {1.0, 1.0}, {1.0, 1.0}, {1.0, 1.0}}};
    // Every point along each of the four, ends too, where one was given by more than two.
    std::array<std::vector<std::array<double, 2>>, 4> linePoints;
    // Further lines after the four, in the order given; a record without them has none.
    std::vector<ExtraLineRecord> extraLines;
    std::array<double, 2> principalPoint{};
    std::array<double, 4> area{};  // two opposite corners: x1, y1, x2, y2
    int sizeSteps = 0;             // steps of 0.1 up from 1.0 on the size arrows
    // The factor to the last bit: up and down steps may end a rounding away from the same
    // number of steps up.
    double sizeFactor = 1.0;
    std::string interpolation;  // empty for the palette road, else "nearest" or "bilinear"
    std::optional<std::array<double, 2>> knownMeasures;  // width, height in cm
    std::optional<double> focal35;                       // 35 mm equivalent focal length, mm
    // The lines were drawn onto the photograph's edges from these clicks.
    bool snapToEdges = false;
    // The lens's radial coefficient k1 (geometry/RadialLens.h); with it every click above is
    // already taken out of the lens's bend.
    std::optional<double> lensK1;
    // k1 was fitted to the lines' points, leaving them this straight (rms px).
    std::optional<double> lensFitRms;
    // And how sure the fitted k1 was; nothing in older records, whose replay finds it again.
    std::optional<LensFitSpread> lensFitSpread;
    // Or the lens database's calibration, taken out of the clicks the same way.
    std::optional<LensProfile> lensProfile;
    // Clockwise quarter turns, 0 to 3: of the photograph before the lines (the clicks are
    // pixels of the turned photograph), and of the result before it was saved.
    int photographTurn = 0;
    int resultTurn = 0;
    std::string referenceLength;  // as typed for the measuring scale
    double scale = 0;             // cm per pixel of the result, 0 if none

    // What the construction gave; written for the reader, not needed for a replay.
    std::array<double, 2> horizontalVanishingPoint{};
    std::array<double, 2> verticalVanishingPoint{};
    double principalDistance = 0;
    std::array<int, 2> outputSize{};
    std::optional<double> aspectSigma;    // relative, one standard deviation
    std::optional<double> distanceSigma;  // pixels
};

// A file larger than this is no record and is not read: well above the largest the writer makes
// of the most lines and points a construction holds (state/LineLimits.h).
inline constexpr std::size_t kLargestRecord = std::size_t(8) << 20;

// The record as a JSON document (numbers in the C form, whatever the locale).
std::string constructionJson(const ConstructionRecord& record);

// Reads a record; an Italian message when the file is not one vesta wrote or is damaged: its
// photograph not a plain file name (the photograph is the one beside the record), a number
// beyond its range. A file larger than kLargestRecord is not read.
Result<ConstructionRecord> parseConstructionJson(const std::string& text);
Result<ConstructionRecord> readConstructionFile(const std::string& path);

// The SHA-256 of a file's bytes in lower-case hex; reads regular files only.
Result<std::string> fileSha256(const std::string& path);

// Where the record of an image saved at `imagePath` goes: the same name with ".json".
std::string constructionPathFor(const std::string& imagePath);

// The records in the photograph's folder that were made on this very photograph (same name
// and checksum), newest first. Unreadable or foreign files are passed over, unparsed when they
// do not hold the photograph's name, or, when larger than a record of a few lines, do not begin
// as a written record does.
std::vector<std::string> constructionsFor(const std::string& photographPath);

}  // namespace vesta
