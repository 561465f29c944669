// Feeds arbitrary bytes to the bitmap reader as a file on disk: it must refuse or read, never
// crash, hang or allocate beyond what the file holds.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "image/BitmapFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/vesta-fuzz-" + std::to_string(getpid()) + ".bmp";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    const auto read = vesta::readSourceBitmap(path);
    if (read.ok()) {
        const vesta::IndexedImage& image = read.value().image;
        if (image.pixels.size() != std::size_t(image.width) * std::size_t(image.height) ||
            image.pixels.size() > size) {
            __builtin_trap();
        }
    } else if (read.error().empty()) {
        __builtin_trap();
    }
    return 0;
}
