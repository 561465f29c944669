// Bitmap files built byte by byte, so tests can write every valid and broken variant to disk.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "state/ColourImage.h"

namespace vesta::test {

struct BitmapLayout {
    int width = 4;
    int height = 3;
    int infoSize = 40;              // 40 classic, 108 or 124 for the later headers
    int paletteEntries = 256;       // entries stored in the file
    std::uint32_t coloursUsed = 0;  // biClrUsed as written
    int bitCount = 8;
    std::uint32_t compression = 0;
    bool topDown = false;
    int extraBytes = 0;  // appended after the last row
    int gapBeforePixels = 0;
    bool signature = true;
};

// `n` bytes of `v` at `at`, most significant first unless `little`.
void putNumber(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int n = 4,
               bool little = false);

// Pixel (x, y), y from the top, holds (x + 7 * y) mod 256 unless the caller fills its own.
std::uint8_t patternPixel(int x, int y);

std::vector<std::uint8_t> bitmapBytes(const BitmapLayout& layout);

// A width x height image whose every sample differs from its neighbours in both bytes, without
// pattern, so that a wrong weight, neighbour or byte order shows.
ColourImage patternImage(int width, int height, int channels, int bits);

void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> readBytes(const std::filesystem::path& path);
// The names in a folder, sorted: what a failed write must leave as it found it.
std::vector<std::string> namesIn(const std::filesystem::path& folder);

// A fresh empty folder under the system's temporary folder, removed at the end of the test.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace vesta::test
