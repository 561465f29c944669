// Placing a new image file through files/FilePlacement, with the writers' way of reporting: an
// empty string for success, else the reason.
#pragma once

#include <functional>
#include <string>

namespace vesta {

// Creates a new file exclusively in the destination's folder, lets `write` fill it through its
// descriptor (returning an empty string, or the Italian reason it failed), flushes it to disk
// and renames it onto `destination`. On any failure the temporary file alone is removed and
// the reason returned; an empty string means the destination now holds the new file.
std::string replaceFile(const std::string& destination,
                        const std::function<std::string(int fd)>& write);

}  // namespace vesta
