// The pixels of a TIFF, strip by strip or tile by tile: the samples as stored (8 or 16 bits,
// packed grey widened to 8), or anything else libtiff turns into colour through its RGBA
// interface.
#pragma once

#include <cstdint>
#include <vector>

#include "codec/DecodeLimits.h"
#include "codec/TiffIo.h"
#include "state/ColourImage.h"

namespace vesta {

// libtiff reads an uncompressed strip that has no offset or too few bytes from wherever the
// file says, even its start, without a word: every strip or tile must be there in full.
bool everyBlockPresent(TIFF* tif, std::uint32_t height, TiffContext& context);

// The layout of the samples as stored, for the direct road: 8 or 16 bits a sample, or grey of
// 1, 2 or 4 bits, which is widened to 8 (one byte a pixel, not the RGBA road's four).
struct Layout {
    std::uint32_t width, height;
    int bits;            // a sample, as stored
    int storedPerPixel;  // samples a pixel in one strip or tile: all of them, or 1 when planar
    int planes;          // planes to read: 1 when interleaved, else the channels kept
    int channels;        // kept

    // Bytes of one stored row of `columns` pixels (rows of packed bits end on a byte).
    std::uint64_t rowBytes(std::uint64_t columns) const {
        return (columns * std::uint64_t(storedPerPixel) * std::uint64_t(bits) + 7) / 8;
    }
};

// Reads strip or tile after strip or tile into `out`, reserved for the whole image and grown
// as rows arrive: a file that declares more rows than it holds is refused at the first
// missing block, having taken the memory of the blocks it held.
bool readDirect(TIFF* tif, const Layout& l, const DecodeLimits& limits, TiffContext& context,
                std::vector<std::uint8_t>& out);
bool readDirect(TIFF* tif, const Layout& l, const DecodeLimits& limits, TiffContext& context,
                std::vector<std::uint16_t>& out);

// Everything else libtiff can turn into colour, at 8 bits, a band of rows at a time through
// its RGBA interface: the band, not the whole image, at four bytes a pixel.
bool readThroughRgba(TIFF* tif, std::uint32_t width, std::uint32_t height,
                     const DecodeLimits& limits, ColourImage& image, TiffContext& context);

}  // namespace vesta
