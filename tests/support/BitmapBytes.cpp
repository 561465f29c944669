#include "BitmapBytes.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

namespace vesta::test {

void putNumber(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int n, bool little) {
    for (int i = 0; i < n; ++i) {
        b[at + std::size_t(i)] = std::uint8_t(v >> 8 * (little ? i : n - 1 - i));
    }
}

std::uint8_t patternPixel(int x, int y) {
    return std::uint8_t((x + 7 * y) % 256);
}

std::vector<std::uint8_t> bitmapBytes(const BitmapLayout& s) {
    const int stride = (s.width * s.bitCount / 8 + 3) / 4 * 4;
    const std::size_t paletteStart = 14 + std::size_t(s.infoSize);
    const std::size_t pixelStart =
        paletteStart + 4 * std::size_t(s.paletteEntries) + std::size_t(s.gapBeforePixels);
    std::vector<std::uint8_t> b(pixelStart + std::size_t(stride) * s.height + s.extraBytes, 0);
    const auto put32 = [&b](std::size_t at, std::uint32_t v) { putNumber(b, at, v, 4, true); };
    if (s.signature) {
        b[0] = 'B';
        b[1] = 'M';
    }
    put32(2, std::uint32_t(b.size()));
    put32(10, std::uint32_t(pixelStart));
    put32(14, std::uint32_t(s.infoSize));
    put32(18, std::uint32_t(s.width));
    put32(22, std::uint32_t(s.topDown ? -s.height : s.height));
    b[26] = 1;
    b[28] = std::uint8_t(s.bitCount);
    put32(30, s.compression);
    put32(34, std::uint32_t(stride * s.height));
    put32(46, s.coloursUsed);
    for (int i = 0; i < s.paletteEntries; ++i) {
        b[paletteStart + 4 * i + 0] = std::uint8_t(255 - i);  // blue
        b[paletteStart + 4 * i + 1] = std::uint8_t(i / 2);    // green
        b[paletteStart + 4 * i + 2] = std::uint8_t(i);        // red
    }
    for (int j = 0; j < s.height; ++j) {
        const int y = s.topDown ? j : s.height - 1 - j;
        for (int x = 0; x < s.width && s.bitCount == 8; ++x) {
            b[pixelStart + std::size_t(j) * stride + x] = patternPixel(x, y);
        }
    }
    std::fill(b.end() - s.extraBytes, b.end(), 0xEE);
    return b;
}

ColourImage patternImage(int width, int height, int channels, int bits) {
    ColourImage image{width, height, channels, bits, {}, {}, {}, {}};
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < image.rowSamples() * std::size_t(height); ++i) {
        state = state * 1664525u + 1013904223u;
        if (bits == 16) {
            image.samples16.push_back(std::uint16_t(state >> 16));
        } else {
            image.samples8.push_back(std::uint8_t(state >> 24));
        }
    }
    return image;
}

void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TempDir::TempDir() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("vesta-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace vesta::test
