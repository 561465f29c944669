#include "codec/RowWriter.h"

#include "files/FilePlacement.h"

#include <unistd.h>

#include <cerrno>

namespace vesta {

std::string rowShapeRefusal(const RowShape& shape, int maxSide) {
    if (shape.width < 1 || shape.height < 1 || shape.width > maxSide || shape.height > maxSide) {
        return "Dimensioni dell'immagine non valide: " + std::to_string(shape.width) + " x " +
               std::to_string(shape.height) + " pixel.";
    }
    if ((shape.channels != 1 && shape.channels != 3) ||
        (shape.bitsPerChannel != 8 && shape.bitsPerChannel != 16)) {
        return "Formato dei pixel non previsto per la scrittura.";
    }
    return {};
}

void roundTo8Bits(const std::uint16_t* from, std::size_t count, std::uint8_t* to) {
    for (std::size_t i = 0; i < count; ++i) {
        to[i] = std::uint8_t((std::uint32_t(from[i]) * 255u + 32767u) / 65535u);
    }
}

bool writeAll(int fd, const void* data, std::size_t count) {
    std::string ignored;
    return writeAll(fd, data, count, ignored);
}

}  // namespace vesta
