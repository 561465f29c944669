// A photograph or a rectified result in grey or colour, as decoded from a camera file: whole
// rows, top row first, channels interleaved (grey, or red green blue), 8 or 16 bits a channel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vesta {

struct ColourImage {
    int width = 0;
    int height = 0;
    int channels = 3;        // 1 (grey) or 3 (red, green, blue); alpha is dropped on reading
    int bitsPerChannel = 8;  // 8 or 16
    std::vector<std::uint8_t> samples8;    // the samples when bitsPerChannel is 8
    std::vector<std::uint16_t> samples16;  // the samples when bitsPerChannel is 16
    std::vector<std::uint8_t> iccProfile;  // the embedded colour profile, empty when none
    // The EXIF a result keeps of the photograph (codec/ResultExif), empty when none.
    std::vector<std::uint8_t> exif;

    std::size_t rowSamples() const { return std::size_t(width) * std::size_t(channels); }
};

}  // namespace vesta
