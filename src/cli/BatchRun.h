// A rectification without a window: replays what a user does with the mouse, through the
// same procedures the window uses, and writes exactly the file the window would write.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "state/WorkingState.h"

namespace vesta {

struct Click {
    float x = 0;
    float y = 0;
    double viewScale = 1.0;  // of the window the click was made in: how sure it is
};

// A line after the four, toward the horizontal or the vertical vanishing point.
struct ExtraLineClicks {
    bool horizontal = true;
    std::array<Click, 2> ends;
};

struct BatchRequest {
    std::string input;
    std::string output;
    Click lines[4][2];                        // h1, h2, v1, v2: first and second click each
    std::vector<ExtraLineClicks> extraLines;  // further lines, in the order they are given
    bool autoLines = false;                   // --auto: the lines found in the photograph
    std::optional<Click> centre;              // a principal-point click
    std::optional<Click> area[2];             // the two area clicks
    int sizeSteps = 0;                        // spin steps of 0.1 up from 1.0
    std::optional<double> exactSize;   // the factor to the last bit, from a kept construction
    std::optional<bool> bilinear;      // colour photographs: bilinear (the default) or nearest
    std::optional<double> focal35;     // 35 mm equivalent focal length, mm
    bool focal35FromExif = false;      // --focal35 exif: the one the photograph declares
    std::optional<double> clickSigma;  // one standard deviation of a click, pixels
    bool snap = false;                 // each line drawn onto the photograph's edge beside it
    // True width and height, cm, of the lines' rectangle: rectified by them, no construction
    // needed.
    std::optional<std::array<double, 2>> known;
    // Clockwise quarter turns of the photograph once opened (the clicks are pixels of the
    // turned photograph), and of the result before it is written, from a kept construction.
    int photographTurn = 0;
    int resultTurn = 0;
    // Two points of the result and their real distance in cm (x1, y1, x2, y2, cm): its scale,
    // for the world file beside OUTPUT; it holds over the known measures' scale.
    std::optional<std::array<double, 5>> scalePair;
    // --lens K1: the lens's radial coefficient; every click is taken out of its bend before it
    // is made, unless already taken out (a kept construction's clicks).
    std::optional<double> lensK1;
    bool clicksUndistorted = false;
};

struct BatchResult {
    bool ok = false;
    std::string message;  // the program's Italian message when refused
    std::string notice;   // on success, what the output could not keep (the colour profile)
    WorkingState state;   // the construction as it ended (on success), without its images
};

// Runs the road: open, lines, principal point, size, area, rectify, then moves the scratch
// file to the output. A step is refused when the state it leaves says so (the photograph not
// opened, Raddrizza not enabled, no result on show); the message is what that step showed.
// Nothing is written at the output unless everything succeeded, and an output that is the
// input itself, not a regular file or in a folder that cannot take it is refused before any
// work: OUTPUT's temporary file is made first. The scratch file lives in `scratchDir`, which
// must be this run's own folder.
BatchResult runBatch(const BatchRequest& request, const std::string& scratchDir);

// Parses the command line; nothing and a message for the user when it is not valid.
struct ParsedArgs {
    std::optional<BatchRequest> request;
    bool json = false;
    bool help = false;                // --help: the usage, and nothing else
    std::optional<std::string> from;  // --from: a kept construction replaces the clicks
    std::string error;
};
ParsedArgs parseArgs(const std::vector<std::string>& args);

// The size factor reached by n spin steps up from 1.0, as the spin button gives it.
double sizeAfterSteps(int steps);

// The results as "name: value" lines, or as one JSON object.
std::string describe(const WorkingState& s, bool json);

extern const char* const kUsage;

}  // namespace vesta
