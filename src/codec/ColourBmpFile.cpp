#include "codec/ColourBmpFile.h"

#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>

#include "codec/LittleEndian.h"
#include "state/LargePages.h"

namespace vesta {

namespace {

using le::putU32;
using le::readU16;
using le::readU32;

Result<DecodedImage> refuse(const std::string& message) {
    return Result<DecodedImage>::failure(message);
}

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

// The shift of an 8-bit wide contiguous mask, or -1.
int byteShift(std::uint32_t mask) {
    if (std::popcount(mask) != 8) {
        return -1;
    }
    const int shift = std::countr_zero(mask);
    return (mask >> shift) == 0xFFu ? shift : -1;
}

constexpr const char* kHeaderShort =
    "L'intestazione della bitmap è incompleta: il file è danneggiato.";

// Where the rows lie and how their pixels are laid out.
struct BmpLayout {
    std::uint32_t pixelOffset = 0;
    std::int64_t width = 0, height = 0;
    bool topDown = false;
    int bitCount = 0;
    int shifts[3] = {16, 8, 0};  // red, green, blue in a little-endian pixel
    std::uint64_t stride = 0;
};

// The channels' places in a pixel: fixed when uncompressed, from the masks for 32-bit
// bitfields. The refusal, or empty.
std::string channelShifts(const std::uint8_t* data, std::size_t size, std::uint32_t compression,
                          BmpLayout& layout) {
    if (compression == kBiBitfields && layout.bitCount == 32) {
        // The masks follow a 40-byte header and sit inside the later, longer ones.
        if (size < 66) {
            return kHeaderShort;
        }
        for (int c = 0; c < 3; ++c) {
            layout.shifts[c] = byteShift(readU32(data + 54 + 4 * c));
            if (layout.shifts[c] < 0) {
                return "La bitmap usa maschere di colore non previste: servono 8 bit per "
                       "il rosso, il verde e il blu.";
            }
        }
    } else if (compression != kBiRgb) {
        return "La bitmap è compressa: servono bitmap a colori non compresse.";
    }
    return {};
}

// The header's declarations, refused where this reader cannot follow them or the file is too
// short for the rows they declare. The refusal, or empty.
std::string readLayout(const std::uint8_t* data, std::size_t size, const DecodeLimits& limits,
                       BmpLayout& layout) {
    if (size < 2 || data[0] != 'B' || data[1] != 'M') {
        return "Il file non è un'immagine bitmap (BMP).";
    }
    if (size < 54) {
        return kHeaderShort;
    }
    layout.pixelOffset = readU32(data + 10);
    const std::uint32_t infoSize = readU32(data + 14);
    if (infoSize < 40 || std::uint64_t(infoSize) + 14 > size) {
        return "Formato della bitmap non riconosciuto (intestazione di " +
               std::to_string(infoSize) + " byte).";
    }
    layout.width = static_cast<std::int32_t>(readU32(data + 18));
    const std::int64_t signedHeight = static_cast<std::int32_t>(readU32(data + 22));
    layout.bitCount = readU16(data + 28);
    const std::uint32_t compression = readU32(data + 30);
    if (layout.bitCount != 24 && layout.bitCount != 32) {
        return "La bitmap ha " + std::to_string(layout.bitCount) +
               " bit per pixel: si aprono bitmap a 8 bit con tavolozza e a 24 o 32 bit.";
    }
    if (std::string why = channelShifts(data, size, compression, layout); !why.empty()) {
        return why;
    }
    layout.topDown = signedHeight < 0;
    layout.height = layout.topDown ? -signedHeight : signedHeight;
    const std::string tooLarge = colourSizeRefusal(layout.width, layout.height, 3, 8, limits);
    if (!tooLarge.empty()) {
        return tooLarge;
    }
    const int bytesPerPixel = layout.bitCount / 8;
    layout.stride = (std::uint64_t(layout.width) * layout.bitCount + 31) / 32 * 4;
    // The last row needs only its pixels, not its padding.
    const std::uint64_t end = std::uint64_t(layout.pixelOffset) +
                              layout.stride * std::uint64_t(layout.height - 1) +
                              layout.width * bytesPerPixel;
    if (layout.pixelOffset < 14 + infoSize || end > size) {
        return "Il file finisce prima delle righe di pixel: è incompleto o danneggiato.";
    }
    return {};
}

// The rows into red, green, blue samples, top row first.
void copyRows(const std::uint8_t* data, const BmpLayout& layout, ColourImage& image) {
    const std::int64_t width = layout.width, height = layout.height;
    for (std::int64_t j = 0; j < height; ++j) {
        const std::uint8_t* in = data + layout.pixelOffset + layout.stride * std::uint64_t(j);
        const std::int64_t row = layout.topDown ? j : height - 1 - j;
        std::uint8_t* out = image.samples8.data() + image.rowSamples() * std::size_t(row);
        if (layout.bitCount == 24) {
            for (std::int64_t x = 0; x < width; ++x, in += 3, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
        } else {
            for (std::int64_t x = 0; x < width; ++x, in += 4, out += 3) {
                const std::uint32_t pixel = readU32(in);
                for (int c = 0; c < 3; ++c) {
                    out[c] = std::uint8_t(pixel >> layout.shifts[c]);
                }
            }
        }
    }
}

}  // namespace

Result<DecodedImage> decodeColourBmp(const std::uint8_t* data, std::size_t size,
                                     const DecodeLimits& limits) {
    BmpLayout layout;
    if (const std::string why = readLayout(data, size, limits, layout); !why.empty()) {
        return refuse(why);
    }
    DecodedImage decoded;
    ColourImage& image = decoded.image;
    image.width = int(layout.width);
    image.height = int(layout.height);
    image.channels = 3;
    image.bitsPerChannel = 8;
    resizeImageBuffer(image.samples8, image.rowSamples() * std::size_t(layout.height));
    copyRows(data, layout, image);
    return Result<DecodedImage>::success(std::move(decoded));
}

namespace {

bool writeAllAt(int fd, const std::uint8_t* data, std::size_t count, std::uint64_t offset) {
    while (count > 0) {
        const ssize_t n = ::pwrite(fd, data, count, off_t(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        count -= std::size_t(n);
        offset += std::uint64_t(n);
    }
    return true;
}

constexpr std::uint32_t kHeader = 54;

class BmpWriter : public RowWriter {
  public:
    BmpWriter(int fd, const RowShape& shape) : RowWriter(shape), fd_(fd) {
        const std::string refusal = rowShapeRefusal(shape, kMaxColourSide);
        if (!refusal.empty()) {
            fail(refusal);
            return;
        }
        stride_ = (std::uint64_t(shape.width) * 3 + 3) / 4 * 4;
        const std::uint64_t pixelBytes = stride_ * std::uint64_t(shape.height);
        if (kHeader + pixelBytes > 0xFFFFFFFFu) {
            fail("L'immagine è troppo grande per una bitmap (BMP): scegliere TIFF o PNG.");
            return;
        }
        std::uint8_t header[kHeader] = {'B', 'M'};
        putU32(header + 2, std::uint32_t(kHeader + pixelBytes));
        putU32(header + 10, kHeader);
        putU32(header + 14, 40);
        putU32(header + 18, std::uint32_t(shape.width));
        putU32(header + 22, std::uint32_t(shape.height));
        header[26] = 1;
        header[28] = 24;
        putU32(header + 34, std::uint32_t(pixelBytes));
        putU32(header + 38, 3780);  // 96 dots per inch
        putU32(header + 42, 3780);
        if (!writeAllAt(fd_, header, kHeader, 0)) {
            fail(kWriteError);
        }
        row_.assign(std::size_t(stride_), 0);
        narrow_.resize(std::size_t(shape.width) * shape.channels);
    }
    bool writeRow(const std::uint8_t* samples) override { return put(samples); }
    bool writeRow(const std::uint16_t* samples) override {
        roundTo8Bits(samples, narrow_.size(), narrow_.data());
        return put(narrow_.data());
    }

  private:
    bool completeFile() override { return true; }
    static constexpr const char* kWriteError =
        "Errore di scrittura della bitmap: il disco è pieno o non scrivibile.";
    bool put(const std::uint8_t* samples) {
        if (!nextRow()) {
            return false;
        }
        std::uint8_t* out = row_.data();
        for (int x = 0; x < shape_.width; ++x, out += 3) {
            if (shape_.channels == 1) {
                out[0] = out[1] = out[2] = samples[x];
            } else {
                out[0] = samples[3 * x + 2];
                out[1] = samples[3 * x + 1];
                out[2] = samples[3 * x];
            }
        }
        const std::uint64_t fileRow = std::uint64_t(shape_.height - rows_);
        return writeAllAt(fd_, row_.data(), row_.size(), kHeader + fileRow * stride_) ||
               fail(kWriteError);
    }
    int fd_;
    std::uint64_t stride_ = 0;
    std::vector<std::uint8_t> row_;
    std::vector<std::uint8_t> narrow_;
};

}  // namespace

std::unique_ptr<RowWriter> makeBmpWriter(int fd, const RowShape& shape) {
    return std::make_unique<BmpWriter>(fd, shape);
}

}  // namespace vesta
