// The bitmap file: a 14-byte file header, a 40-byte information header, a 256-entry palette
// and one byte per pixel, rows bottom first, each padded to a multiple of four bytes.
//
// The header and the palette travel as opaque blocks: every rectified image is written with the
// source's header and palette, only its size and the two length fields patched.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <string>

#include "state/IndexedImage.h"
#include "state/Result.h"

namespace vesta {

inline constexpr std::size_t kPixelOffset = kHeaderBytes + kPaletteBytes;  // 1078

// Reads an 8-bit uncompressed palette bitmap. A file in the classic layout (header of 40 bytes,
// pixels at 1078, rows bottom first) keeps its header and palette bytes exactly; any other valid
// 8-bit layout (larger header, shorter palette, other pixel offset, rows top first) is read
// correctly and given the classic header, so that outputs made from it are sound files.
// Everything else is refused with a message saying what is wrong; nothing is half read.
Result<SourceBitmap> readSourceBitmap(const std::string& path);

// Row padding of an output of the given width: 4 - (width mod 4), and 0 instead of 4.
int outputPadding(int width);

// The header of an output of width x height: the source's bytes with the width in bytes 18-19,
// the height in 22-23, and the true file length (2-5) and pixel-data size (34-37).
HeaderBlock patchedHeader(const HeaderBlock& source, int width, int height);

// A classic header for a new image of the given size (used where no source header exists).
HeaderBlock classicHeader(int width, int height);

// Writes an output bitmap row by row. The file is created anew, header and palette written at
// once; rows may arrive in any order and land at their place, bottom row first in the file.
class BitmapWriter {
  public:
    // Creates the file; false with a message in error() when it cannot.
    bool open(const std::string& path, const HeaderBlock& sourceHeader, const PaletteBlock& palette,
              int width, int height);
    // Writes image row `row` (0 = top): `width` pixel bytes, then the pad bytes.
    bool writeRow(int row, const std::uint8_t* pixels);
    // Writes row `k` in file order (0 = the first row of the file, the bottom of the image).
    bool writeFileRow(int k, const std::uint8_t* pixels);
    // Closes the file; false when anything written did not reach the disk.
    bool close();
    const std::string& error() const { return error_; }

  private:
    std::ofstream file_;
    std::string path_;
    std::string error_;
    int width_ = 0;
    int height_ = 0;
    int pad_ = 0;
};

// Writes a whole image with the given source header and the image's palette.
bool writeBitmapFile(const std::string& path, const HeaderBlock& sourceHeader,
                     const IndexedImage& image, std::string* error = nullptr);

}  // namespace vesta
