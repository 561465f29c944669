#include "codec/DecodeLimits.h"

namespace vesta {

std::string colourSizeRefusal(std::int64_t width, std::int64_t height, int channels,
                              int bitsPerChannel, const DecodeLimits& limits) {
    if (width < 1 || height < 1 || width > kMaxColourSide || height > kMaxColourSide) {
        return "Dimensioni dell'immagine non valide (" + std::to_string(width) + " x " +
               std::to_string(height) + " pixel): ogni lato deve essere fra 1 e 65535.";
    }
    // Both sides are below 2^16 and a pixel holds at most 6 bytes: no overflow in 64 bits.
    const std::uint64_t bytes = std::uint64_t(width) * std::uint64_t(height) *
                                std::uint64_t(channels) * std::uint64_t(bitsPerChannel / 8);
    if (bytes > limits.maxBytes) {
        return tooLargeForMemory(width, height);
    }
    return {};
}

std::string tooLargeForMemory(std::int64_t width, std::int64_t height) {
    return "La fotografia è troppo grande per la memoria di questo computer (" +
           std::to_string(width) + " x " + std::to_string(height) + " pixel): non si può aprire.";
}

}  // namespace vesta
