// The largest photograph a reader decodes: every size is checked before memory is taken, so a
// small damaged file that declares a huge image is refused instead of exhausting the machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "state/MemoryBudget.h"

namespace vesta {

inline constexpr int kMaxColourSide = 65535;
// The largest colour profile a reader keeps (a PNG's is compressed: this bounds its unpacking).
inline constexpr std::size_t kMaxProfileBytes = std::size_t(256) << 20;

// Every buffer a reader takes for one photograph counts against maxBytes: the file's bytes,
// the decoded samples and the decoder's own work (a progressive JPEG's coefficients, a TIFF's
// strip). By default a share of this machine's memory, at most 3 GiB.
struct DecodeLimits {
    std::uint64_t maxBytes = memoryForDecoding(MemoryUse::Batch);
};

// Empty when an image of this size fits the limits, else the Italian reason it does not.
std::string colourSizeRefusal(std::int64_t width, std::int64_t height, int channels,
                              int bitsPerChannel, const DecodeLimits& limits);

// The Italian reason a photograph of this size is refused for want of memory.
std::string tooLargeForMemory(std::int64_t width, std::int64_t height);

}  // namespace vesta
