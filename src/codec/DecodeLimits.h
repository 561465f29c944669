// The largest photograph a reader decodes: every size is checked before memory is taken, so a
// small damaged file that declares a huge image is refused instead of exhausting the machine.
#pragma once

#include <cstdint>
#include <string>

namespace vesta {

inline constexpr int kMaxColourSide = 65535;
// Decoded samples of one photograph: 3 GiB holds a 16-bit colour photograph of 500 megapixels.
inline constexpr std::uint64_t kMaxColourBytes = std::uint64_t(3) << 30;

struct DecodeLimits {
    std::uint64_t maxBytes = kMaxColourBytes;
};

// Empty when an image of this size fits the limits, else the Italian reason it does not.
std::string colourSizeRefusal(std::int64_t width, std::int64_t height, int channels,
                              int bitsPerChannel, const DecodeLimits& limits);

}  // namespace vesta
