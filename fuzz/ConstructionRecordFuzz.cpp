// Feeds arbitrary bytes to the reader of a kept construction: it must refuse with a message or
// give a record a replay can use (its photograph a plain name beside the record, every number
// in its range), which writes back to a record it reads again the same.
#include <cmath>
#include <cstdint>
#include <string>

#include "sidecar/ConstructionFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const vesta::Result<vesta::ConstructionRecord> read = vesta::parseConstructionJson(text);
    if (!read.ok()) {
        if (read.error().empty()) {
            __builtin_trap();
        }
        return 0;
    }
    const vesta::ConstructionRecord& r = read.value();
    const bool sound = !r.photograph.empty() && r.photograph != "." && r.photograph != ".." &&
                       r.photograph.find('/') == std::string::npos &&
                       r.photograph.find('\0') == std::string::npos && r.sizeSteps >= 0 &&
                       r.sizeSteps <= 9 && std::isfinite(r.sizeFactor) && r.outputSize[0] >= 0 &&
                       r.outputSize[1] >= 0 && (!r.focal35 || *r.focal35 > 0);
    if (!sound) {
        __builtin_trap();
    }
    const std::string written = vesta::constructionJson(r);
    const vesta::Result<vesta::ConstructionRecord> again = vesta::parseConstructionJson(written);
    if (!again.ok() || vesta::constructionJson(again.value()) != written) {
        __builtin_trap();
    }
    return 0;
}
