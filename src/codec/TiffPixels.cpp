#include "codec/TiffPixels.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "state/LargePages.h"

namespace vesta {

namespace {

std::uint16_t sampleAt(const std::uint8_t* p, std::uint8_t) {
    return *p;
}
std::uint16_t sampleAt(const std::uint8_t* p, std::uint16_t) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

// Copies a block of `blockWidth` x `rows` stored pixels at (x0, y0) of plane `plane`; `out`
// already holds its rows.
template <typename Sample>
void place(const Layout& l, const std::uint8_t* block, std::uint32_t blockWidth, std::uint32_t x0,
           std::uint32_t y0, std::uint32_t rows, int plane, Sample* out) {
    const std::uint32_t columns = std::min(blockWidth, l.width - x0);
    rows = std::min(rows, l.height - y0);
    const std::size_t blockRow = std::size_t(l.rowBytes(blockWidth));
    for (std::uint32_t r = 0; r < rows; ++r) {
        const std::uint8_t* in = block + std::size_t(r) * blockRow;
        Sample* to = out + ((std::size_t(y0) + r) * l.width + x0) * l.channels;
        if (l.bits < 8) {
            // Packed grey, first pixel in the high bits; the top value becomes 255.
            const int perByte = 8 / l.bits;
            const unsigned top = (1u << l.bits) - 1;
            for (std::uint32_t x = 0; x < columns; ++x) {
                const int shift = 8 - l.bits * (int(x % perByte) + 1);
                to[x] = Sample((in[x / perByte] >> shift & top) * 255 / top);
            }
            continue;
        }
        const std::size_t pixelBytes = std::size_t(l.storedPerPixel) * std::size_t(l.bits / 8);
        for (std::uint32_t x = 0; x < columns; ++x, in += pixelBytes, to += l.channels) {
            if (l.planes == 1) {
                for (int c = 0; c < l.channels; ++c) {
                    to[c] = Sample(sampleAt(in + c * (l.bits / 8), Sample()));
                }
            } else {
                to[plane] = Sample(sampleAt(in, Sample()));
            }
        }
    }
}

// Strip or tile after strip or tile, in samples of 8 or 16 bits.
template <typename Sample>
bool readSamples(TIFF* tif, const Layout& l, const DecodeLimits& limits, TiffContext& context,
                 std::vector<Sample>& out) {
    std::vector<std::uint8_t> buffer;
    const std::size_t rowSamples = std::size_t(l.width) * std::size_t(l.channels);
    const std::uint64_t image = std::uint64_t(rowSamples) * l.height * sizeof(Sample);
    const std::uint64_t budget = limits.maxBytes > image ? limits.maxBytes - image : 0;
    reserveImageBuffer(out, rowSamples * l.height);
    context.readingPixels = true;
    if (TIFFIsTiled(tif)) {
        std::uint32_t tileWidth = 0, tileHeight = 0;
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight);
        const std::uint64_t need = l.rowBytes(tileWidth) * tileHeight;
        const tmsize_t tileSize = TIFFTileSize(tif);
        if (tileWidth == 0 || tileHeight == 0 || need > budget || tileSize <= 0 ||
            std::uint64_t(tileSize) < need) {
            return false;
        }
        buffer.resize(std::size_t(tileSize));
        for (int plane = 0; plane < l.planes; ++plane) {
            // 64-bit steps: a huge declared tile must not wrap the loop round.
            for (std::uint64_t y = 0; y < l.height; y += tileHeight) {
                const std::uint64_t below = std::min<std::uint64_t>(y + tileHeight, l.height);
                Sample* rows = growImageBuffer(out, rowSamples * std::size_t(below));
                for (std::uint64_t x = 0; x < l.width; x += tileWidth) {
                    const std::uint32_t tile = TIFFComputeTile(
                        tif, std::uint32_t(x), std::uint32_t(y), 0, std::uint16_t(plane));
                    if (TIFFReadEncodedTile(tif, tile, buffer.data(), tileSize) < tmsize_t(need) ||
                        context.damagedData) {
                        return false;
                    }
                    place(l, buffer.data(), tileWidth, std::uint32_t(x), std::uint32_t(y),
                          tileHeight, plane, rows);
                }
            }
        }
        return true;
    }
    std::uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, l.height);
    const std::uint64_t stripBytes = std::uint64_t(rowsPerStrip) * l.rowBytes(l.width);
    if (stripBytes > budget) {
        return false;
    }
    buffer.resize(std::size_t(stripBytes));
    for (int plane = 0; plane < l.planes; ++plane) {
        for (std::uint32_t y = 0; y < l.height; y += rowsPerStrip) {
            const std::uint32_t rows = std::min(rowsPerStrip, l.height - y);
            const tmsize_t need = tmsize_t(std::uint64_t(rows) * l.rowBytes(l.width));
            const std::uint32_t strip = TIFFComputeStrip(tif, y, std::uint16_t(plane));
            Sample* at = growImageBuffer(out, rowSamples * (std::size_t(y) + rows));
            if (TIFFReadEncodedStrip(tif, strip, buffer.data(), need) < need ||
                context.damagedData) {
                return false;
            }
            place(l, buffer.data(), l.width, 0, y, rows, plane, at);
        }
    }
    return true;
}

}  // namespace

bool everyBlockPresent(TIFF* tif, std::uint32_t height, TiffContext& context) {
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    const bool tiled = TIFFIsTiled(tif);
    std::uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, height);
    const std::uint32_t stripsPerPlane = (height - 1) / rowsPerStrip + 1;
    const std::uint32_t blocks = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    for (std::uint32_t b = 0; b < blocks; ++b) {
        const std::uint64_t offset = TIFFGetStrileOffset(tif, b);
        const std::uint64_t bytes = TIFFGetStrileByteCount(tif, b);
        std::uint64_t need = 1;
        if (compression == COMPRESSION_NONE) {
            const std::uint32_t first = b % stripsPerPlane * rowsPerStrip;
            need = tiled ? std::uint64_t(TIFFTileSize64(tif))
                         : TIFFVStripSize64(tif, std::min(rowsPerStrip, height - first));
        }
        if (offset == 0 || bytes < need || context.damagedData) {
            if (context.detail[0] == 0) {
                std::snprintf(context.detail, sizeof context.detail, "mancano i dati del blocco %u",
                              unsigned(b));
            }
            return false;
        }
    }
    return true;
}

bool readDirect(TIFF* tif, const Layout& l, const DecodeLimits& limits, TiffContext& context,
                std::vector<std::uint8_t>& out) {
    return readSamples(tif, l, limits, context, out);
}

bool readDirect(TIFF* tif, const Layout& l, const DecodeLimits& limits, TiffContext& context,
                std::vector<std::uint16_t>& out) {
    return readSamples(tif, l, limits, context, out);
}

bool readThroughRgba(TIFF* tif, std::uint32_t width, std::uint32_t height,
                     const DecodeLimits& limits, ColourImage& image, TiffContext& context) {
    char message[1024] = {};
    TIFFRGBAImage reader;
    if (!TIFFRGBAImageBegin(&reader, tif, 1, message)) {
        std::snprintf(context.detail, sizeof context.detail, "%.*s", int(sizeof context.detail - 1),
                      message);
        return false;
    }
    // The rows as stored: the orientation is applied later, the same way for every format.
    reader.req_orientation = ORIENTATION_TOPLEFT;
    reader.orientation = ORIENTATION_TOPLEFT;
    // A band of whole strips or tiles, each decoded once; a few rows when those are too large.
    std::uint32_t blockRows = 0;
    if (!TIFFGetField(tif, TIFFIsTiled(tif) ? TIFFTAG_TILELENGTH : TIFFTAG_ROWSPERSTRIP,
                      &blockRows)) {
        blockRows = height;
    }
    // The caller made sure one row of the band fits beside the image.
    const std::uint64_t rowBytes = std::uint64_t(width) * 4;
    const std::uint64_t image8 = std::uint64_t(width) * height * std::uint64_t(image.channels);
    const std::uint64_t room = std::min<std::uint64_t>(limits.maxBytes - image8, 64 << 20);
    std::uint32_t bandRows = std::clamp<std::uint32_t>(blockRows, 1, height);
    if (std::uint64_t(bandRows) * rowBytes > room) {
        bandRows = std::uint32_t(std::clamp<std::uint64_t>(room / rowBytes, 1, 64));
    }
    std::vector<std::uint32_t> raster(std::size_t(width) * bandRows);
    const std::size_t rowSamples = image.rowSamples();
    reserveImageBuffer(image.samples8, rowSamples * height);
    context.readingPixels = true;
    bool good = true;
    for (std::uint32_t y = 0; good && y < height; y += bandRows) {
        const std::uint32_t rows = std::min(bandRows, height - y);
        reader.row_offset = int(y);
        reader.col_offset = 0;
        good = TIFFRGBAImageGet(&reader, raster.data(), width, rows) != 0 && !context.damagedData;
        if (!good) {
            break;
        }
        std::uint8_t* to =
            growImageBuffer(image.samples8, rowSamples * (std::size_t(y) + rows)) + rowSamples * y;
        for (std::size_t i = 0; i < std::size_t(width) * rows; ++i) {
            const std::uint32_t pixel = raster[i];
            *to++ = std::uint8_t(TIFFGetR(pixel));
            if (image.channels == 3) {
                *to++ = std::uint8_t(TIFFGetG(pixel));
                *to++ = std::uint8_t(TIFFGetB(pixel));
            }
        }
    }
    TIFFRGBAImageEnd(&reader);
    return good;
}

}  // namespace vesta
