// An 8-bit palette image in memory (whole rows of palette indices, row 0 at the top), the
// photograph as read from its bitmap file, and the largest side a bitmap can hold.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "state/Colours.h"

namespace vesta {

inline constexpr std::size_t kPaletteBytes = 1024;  // 256 entries of blue, green, red, reserved
using PaletteBlock = std::array<std::uint8_t, kPaletteBytes>;

struct IndexedImage {
    int width = 0;
    int height = 0;
    PaletteBlock palette{};
    std::vector<std::uint8_t> pixels;  // height rows of width indices, top row first

    const std::uint8_t* row(int r) const { return pixels.data() + std::size_t(r) * width; }
    std::uint8_t* row(int r) { return pixels.data() + std::size_t(r) * width; }
    Rgb colour(std::uint8_t index) const {
        const std::uint8_t* e = palette.data() + 4 * std::size_t(index);
        return Rgb{e[2], e[1], e[0]};
    }
};

inline constexpr std::size_t kHeaderBytes = 54;
inline constexpr int kMaxSide = 32767;  // width and height live in 16 bits, high bit clear
using HeaderBlock = std::array<std::uint8_t, kHeaderBytes>;

// A source photograph as read from disk.
struct SourceBitmap {
    std::int64_t lunghezzaFile = 0;  // length of the file in bytes
    HeaderBlock intestazione{};      // the 54 header bytes the outputs are made from
    IndexedImage image;              // whole rows, row 0 at the top; palette = tavolozza
    int padSorg = 0;                 // pad bytes after each row of the file
};

}  // namespace vesta
