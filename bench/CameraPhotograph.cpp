#include "CameraPhotograph.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "codec/ColourFileWriter.h"
#include "files/FilePlacement.h"

namespace vesta::bench {

std::string cameraPhotograph(int orientation) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("vesta-bench-6000x4000-o" + std::to_string(orientation) + ".jpg");
    if (std::filesystem::exists(path)) {
        return path.string();
    }
    vesta::ColourImage image;
    image.width = 6000;
    image.height = 4000;
    image.channels = 3;
    image.samples8.resize(image.rowSamples() * std::size_t(image.height));
    std::uint32_t noise = 12345;
    std::uint8_t* p = image.samples8.data();
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const double shade = 110 + 60 * std::sin(x * 0.004) * std::cos(y * 0.006);
            for (int c = 0; c < 3; ++c) {
                *p++ = std::uint8_t(std::lround(shade + 20 * c + double(noise >> 29)));
            }
        }
    }
    const auto plain = std::filesystem::temp_directory_path() / "vesta-bench-plain.jpg";
    vesta::saveColourImage(plain.string(), image);
    // The EXIF block of a turned camera: a little-endian TIFF header and one Orientation entry.
    const std::uint8_t exif[32] = {'E', 'x',  'i',  'f', 0,
                                   0,   'I',  'I',  42,  0,
                                   8,   0,    0,    0,   1,
                                   0,   0x12, 0x01, 3,   0,
                                   1,   0,    0,    0,   std::uint8_t(orientation)};
    std::FILE* in = std::fopen(plain.c_str(), "rb");
    std::vector<std::uint8_t> jpeg(std::filesystem::file_size(plain));
    const bool read = in && std::fread(jpeg.data(), 1, jpeg.size(), in) == jpeg.size();
    if (in) {
        std::fclose(in);
    }
    if (!read) {
        return {};
    }
    // One buffer sized at once: start marker, APP1 segment, the rest of the file.
    const std::size_t length = sizeof exif + 2;
    const std::uint8_t marker[4] = {0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length)};
    std::vector<std::uint8_t> out(jpeg.size() + 4 + sizeof exif);
    std::memcpy(out.data(), jpeg.data(), 2);
    std::memcpy(out.data() + 2, marker, 4);
    std::memcpy(out.data() + 6, exif, sizeof exif);
    std::memcpy(out.data() + 6 + sizeof exif, jpeg.data() + 2, jpeg.size() - 2);
    std::string error;
    vesta::replaceFile(
        path.string(),
        [&](int fd, std::string& why) { return vesta::writeAll(fd, out.data(), out.size(), why); },
        error);
    return path.string();
}

}  // namespace vesta::bench
