// An 8-bit palette image in memory: whole rows of palette indices, row 0 at the top.
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

}  // namespace vesta
