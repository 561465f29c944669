// The construction lines on the command line: --h1 --h2 --v1 --v2 once each, and --h / --v as
// often as wanted, which add further lines or stand for the four.
#pragma once

#include <string>
#include <vector>

#include "cli/BatchRequest.h"

namespace vesta {

// The lines as the options gave them, before they are sorted into the four and the further:
// each its points along it in order, two or more.
struct LineOptions {
    std::array<std::optional<std::vector<Click>>, 4> four;  // --h1, --h2, --v1, --v2
    std::vector<std::vector<Click>> more[2];                // --h, --v in their order
};

// True when `flag` is one of the repeatable line options (--h, --v).
bool repeatableLineOption(const std::string& flag);

// Reads a line option's value; false with `error` set when the value is not X1,Y1,X2,Y2 or
// more points X1,Y1,...,Xn,Yn along the line, and false with `error` empty when `flag` is no
// line option.
bool readLineOption(const std::string& flag, const std::vector<float>* value, LineOptions& lines,
                    std::string& error);

// Gives the request its four lines and the further ones: --h1 and --h2 where given, else the
// first --h lines in their order, the rest further lines, and the same for the verticals. Each
// line's ends are its first and last points; a line of more keeps them all beside. An Italian
// message when a direction has fewer than two.
std::string assignLines(const LineOptions& lines, BatchRequest& request);

}  // namespace vesta
