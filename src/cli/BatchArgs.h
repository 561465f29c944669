// vesta-rectify's command line: the options read into a request, and the --help text.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/BatchRequest.h"

namespace vesta {

// Parses the command line; nothing and a message for the user when it is not valid.
struct ParsedArgs {
    std::optional<BatchRequest> request;
    bool json = false;
    bool help = false;                // --help: the usage, and nothing else
    std::optional<std::string> from;  // --from: a kept construction replaces the clicks
    std::string error;
};
ParsedArgs parseArgs(const std::vector<std::string>& args);

extern const char* const kUsage;

}  // namespace vesta
