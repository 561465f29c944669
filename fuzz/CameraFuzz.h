// What every camera-file reader must hold to on arbitrary bytes: refuse with a message or give
// an image whose sample count matches its declared size, then turn upright without fault.
#pragma once

#include <cstdint>

#include "codec/DecodeLimits.h"
#include "codec/DecodedImage.h"
#include "codec/Orientation.h"
#include "state/Result.h"

namespace vesta::fuzz {

// Small enough that a damaged header declaring a large image is refused rather than decoded
// for seconds; large enough for every seed.
inline constexpr DecodeLimits kFuzzLimits{std::uint64_t(16) << 20};

inline void checkDecoded(Result<DecodedImage>&& decoded) {
    if (!decoded.ok()) {
        if (decoded.error().empty()) {
            __builtin_trap();
        }
        return;
    }
    const ColourImage& image = decoded.value().image;
    const std::size_t samples = image.rowSamples() * std::size_t(image.height);
    const bool sound = image.width >= 1 && image.height >= 1 &&
                       (image.channels == 1 || image.channels == 3) &&
                       (image.bitsPerChannel == 8
                            ? image.samples8.size() == samples && image.samples16.empty()
                            : image.bitsPerChannel == 16 && image.samples16.size() == samples &&
                                  image.samples8.empty());
    const int orientation = decoded.value().facts.orientation;
    if (!sound || orientation < 1 || orientation > 8) {
        __builtin_trap();
    }
    const ColourImage upright = turnUpright(std::move(decoded.value().image), orientation);
    if (std::size_t(upright.width) * std::size_t(upright.height) * std::size_t(upright.channels) !=
        samples) {
        __builtin_trap();
    }
}

}  // namespace vesta::fuzz
