#include "codec/TiffFile.h"

#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "state/LargePages.h"

namespace vesta {

namespace {

// libtiff reports errors through handlers; these keep the first message for the refusal and
// print nothing, since the window has no terminal.
struct TiffContext {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t at = 0;
    char detail[200] = {};
};

int collectError(TIFF*, void* userData, const char*, const char* format, va_list args) {
    auto* context = static_cast<TiffContext*>(userData);
    if (context && context->detail[0] == 0) {
        std::vsnprintf(context->detail, sizeof context->detail, format, args);
    }
    return 1;
}

int ignoreWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

tmsize_t readMemory(thandle_t handle, void* into, tmsize_t count) {
    auto* context = static_cast<TiffContext*>(handle);
    if (count < 0) {
        return -1;
    }
    const std::size_t n = std::min(std::size_t(count), context->size - context->at);
    std::memcpy(into, context->data + context->at, n);
    context->at += n;
    return tmsize_t(n);
}

tmsize_t writeNothing(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t seekMemory(thandle_t handle, toff_t offset, int whence) {
    auto* context = static_cast<TiffContext*>(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR) {
        base = context->at;
    } else if (whence == SEEK_END) {
        base = context->size;
    }
    const std::uint64_t to = base + offset;
    if (to < base || to > context->size) {
        return toff_t(-1);
    }
    context->at = std::size_t(to);
    return to;
}

int closeNothing(thandle_t) {
    return 0;
}

toff_t sizeOfMemory(thandle_t handle) {
    return static_cast<TiffContext*>(handle)->size;
}

int mapNothing(thandle_t, void**, toff_t*) {
    return 0;
}

void unmapNothing(thandle_t, void*, toff_t) {}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

struct OptionsFree {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

std::unique_ptr<TIFFOpenOptions, OptionsFree> openOptions(TiffContext* context,
                                                          std::uint64_t maxAlloc) {
    std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
    if (options) {
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), collectError, context);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), ignoreWarning, context);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), tmsize_t(maxAlloc));
    }
    return options;
}

Result<DecodedImage> refuse(const std::string& message) {
    return Result<DecodedImage>::failure(message);
}

Result<DecodedImage> damaged(const TiffContext& context) {
    return refuse(std::string("Il file TIFF è danneggiato o incompleto e non si può leggere (") +
                  (context.detail[0] ? context.detail : "dati mancanti") + ").");
}

std::uint16_t sampleAt(const std::uint8_t* p, std::uint8_t) {
    return *p;
}
std::uint16_t sampleAt(const std::uint8_t* p, std::uint16_t) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

// The layout of the samples as stored, for the direct road at 8 or 16 bits.
struct Layout {
    std::uint32_t width, height;
    int bytes;           // a sample
    int storedPerPixel;  // samples a pixel in one strip or tile: all of them, or 1 when planar
    int planes;          // planes to read: 1 when interleaved, else the channels kept
    int channels;        // kept
};

// Copies a block of `blockWidth` x `rows` stored pixels at (x0, y0) of plane `plane`.
template <typename Sample>
void place(const Layout& l, const std::uint8_t* block, std::uint32_t blockWidth, std::uint32_t x0,
           std::uint32_t y0, std::uint32_t rows, int plane, std::vector<Sample>& out) {
    const std::uint32_t columns = std::min(blockWidth, l.width - x0);
    rows = std::min(rows, l.height - y0);
    const std::size_t pixelBytes = std::size_t(l.storedPerPixel) * std::size_t(l.bytes);
    for (std::uint32_t r = 0; r < rows; ++r) {
        const std::uint8_t* in = block + std::size_t(r) * blockWidth * pixelBytes;
        Sample* to = out.data() + ((std::size_t(y0) + r) * l.width + x0) * l.channels;
        for (std::uint32_t x = 0; x < columns; ++x, in += pixelBytes, to += l.channels) {
            if (l.planes == 1) {
                for (int c = 0; c < l.channels; ++c) {
                    to[c] = Sample(sampleAt(in + c * l.bytes, Sample()));
                }
            } else {
                to[plane] = Sample(sampleAt(in, Sample()));
            }
        }
    }
}

template <typename Sample>
bool readDirect(TIFF* tif, const Layout& l, const DecodeLimits& limits, std::vector<Sample>& out) {
    std::vector<std::uint8_t> buffer;
    const std::size_t pixelBytes = std::size_t(l.storedPerPixel) * std::size_t(l.bytes);
    if (TIFFIsTiled(tif)) {
        std::uint32_t tileWidth = 0, tileHeight = 0;
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight);
        const std::uint64_t need = std::uint64_t(tileWidth) * tileHeight * pixelBytes;
        const tmsize_t tileSize = TIFFTileSize(tif);
        if (tileWidth == 0 || tileHeight == 0 || need > limits.maxBytes || tileSize <= 0 ||
            std::uint64_t(tileSize) < need) {
            return false;
        }
        buffer.resize(std::size_t(tileSize));
        for (int plane = 0; plane < l.planes; ++plane) {
            // 64-bit steps: a huge declared tile must not wrap the loop round.
            for (std::uint64_t y = 0; y < l.height; y += tileHeight) {
                for (std::uint64_t x = 0; x < l.width; x += tileWidth) {
                    const std::uint32_t tile = TIFFComputeTile(
                        tif, std::uint32_t(x), std::uint32_t(y), 0, std::uint16_t(plane));
                    if (TIFFReadEncodedTile(tif, tile, buffer.data(), tileSize) < tmsize_t(need)) {
                        return false;
                    }
                    place(l, buffer.data(), tileWidth, std::uint32_t(x), std::uint32_t(y),
                          tileHeight, plane, out);
                }
            }
        }
        return true;
    }
    std::uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, l.height);
    const std::uint64_t stripBytes = std::uint64_t(rowsPerStrip) * l.width * pixelBytes;
    if (stripBytes > limits.maxBytes) {
        return false;
    }
    buffer.resize(std::size_t(stripBytes));
    for (int plane = 0; plane < l.planes; ++plane) {
        for (std::uint32_t y = 0; y < l.height; y += rowsPerStrip) {
            const std::uint32_t rows = std::min(rowsPerStrip, l.height - y);
            const tmsize_t need = tmsize_t(std::uint64_t(rows) * l.width * pixelBytes);
            const std::uint32_t strip = TIFFComputeStrip(tif, y, std::uint16_t(plane));
            if (TIFFReadEncodedStrip(tif, strip, buffer.data(), need) < need) {
                return false;
            }
            place(l, buffer.data(), l.width, 0, y, rows, plane, out);
        }
    }
    return true;
}

// Everything else libtiff can turn into colour, at 8 bits.
bool readThroughRgba(TIFF* tif, std::uint32_t width, std::uint32_t height, ColourImage& image,
                     TiffContext& context) {
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
    std::vector<std::uint32_t> raster(std::size_t(width) * height);
    const bool good = TIFFRGBAImageGet(&reader, raster.data(), width, height) != 0;
    TIFFRGBAImageEnd(&reader);
    if (!good) {
        return false;
    }
    resizeImageBuffer(image.samples8, raster.size() * std::size_t(image.channels));
    std::uint8_t* to = image.samples8.data();
    for (const std::uint32_t pixel : raster) {
        *to++ = std::uint8_t(TIFFGetR(pixel));
        if (image.channels == 3) {
            *to++ = std::uint8_t(TIFFGetG(pixel));
            *to++ = std::uint8_t(TIFFGetB(pixel));
        }
    }
    return true;
}

// A rational tag, which the library hands out as float or double depending on the tag.
bool realTag(TIFF* tif, ttag_t tag, double& value) {
    const TIFFField* field = TIFFFieldWithTag(tif, tag);
    if (!field) {
        return false;
    }
    const int size = TIFFFieldSetGetSize(field);
    if (size == 4) {
        float f = 0;
        if (!TIFFGetField(tif, tag, &f)) {
            return false;
        }
        value = f;
    } else if (size == 8) {
        if (!TIFFGetField(tif, tag, &value)) {
            return false;
        }
    } else {
        return false;
    }
    return std::isfinite(value);
}

void readExifDirectory(TIFF* tif, CameraFacts& facts) {
    toff_t offset = 0;
    if (!TIFFGetField(tif, TIFFTAG_EXIFIFD, &offset) || offset == 0 ||
        !TIFFReadEXIFDirectory(tif, offset)) {
        return;
    }
    double real = 0;
    std::uint16_t shortValue = 0;
    std::uint32_t longValue = 0;
    if (realTag(tif, EXIFTAG_FOCALLENGTH, real) && real > 0) {
        facts.focalLengthMm = real;
    }
    if (TIFFGetField(tif, EXIFTAG_FOCALLENGTHIN35MMFILM, &shortValue) && shortValue > 0) {
        facts.focalLength35mm = shortValue;
    }
    if (realTag(tif, EXIFTAG_FOCALPLANEXRESOLUTION, real) && real > 0) {
        facts.focalPlaneXResolution = real;
    }
    if (realTag(tif, EXIFTAG_FOCALPLANEYRESOLUTION, real) && real > 0) {
        facts.focalPlaneYResolution = real;
    }
    if (TIFFGetField(tif, EXIFTAG_FOCALPLANERESOLUTIONUNIT, &shortValue) && shortValue > 0) {
        facts.focalPlaneResolutionUnit = shortValue;
    }
    if (TIFFGetField(tif, EXIFTAG_PIXELXDIMENSION, &longValue) && longValue > 0 &&
        longValue <= 0x7FFFFFFF) {
        facts.pixelXDimension = int(longValue);
    }
    if (TIFFGetField(tif, EXIFTAG_PIXELYDIMENSION, &longValue) && longValue > 0 &&
        longValue <= 0x7FFFFFFF) {
        facts.pixelYDimension = int(longValue);
    }
}

std::string textTag(TIFF* tif, ttag_t tag) {
    const char* text = nullptr;
    if (TIFFGetField(tif, tag, &text) && text) {
        return std::string(text, strnlen(text, 256));
    }
    return {};
}

}  // namespace

Result<DecodedImage> decodeTiff(const std::uint8_t* data, std::size_t size,
                                const DecodeLimits& limits) {
    TiffContext context;
    context.data = data;
    context.size = size;
    const auto options = openOptions(&context, limits.maxBytes);
    if (!options) {
        return refuse("Memoria insufficiente per leggere il file TIFF.");
    }
    TiffHandle tif(TIFFClientOpenExt("foto", "rm", &context, readMemory, writeNothing, seekMemory,
                                     closeNothing, sizeOfMemory, mapNothing, unmapNothing,
                                     options.get()));
    if (!tif) {
        return damaged(context);
    }
    std::uint32_t width = 0, height = 0;
    std::uint16_t samplesPerPixel = 1, bits = 1, planar = PLANARCONFIG_CONTIG;
    std::uint16_t format = SAMPLEFORMAT_UINT, orientation = ORIENTATION_TOPLEFT;
    std::uint16_t photometric = 0, compression = COMPRESSION_NONE;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_COMPRESSION, &compression);
    if (!TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric)) {
        photometric = samplesPerPixel >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    }
    if (photometric == PHOTOMETRIC_YCBCR && compression == COMPRESSION_JPEG && bits == 8) {
        // The JPEG codec turns YCbCr into RGB itself; the direct road then reads RGB.
        TIFFSetField(tif.get(), TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        photometric = PHOTOMETRIC_RGB;
    }
    const bool grey =
        photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
    const bool direct = (bits == 8 || bits == 16) && format == SAMPLEFORMAT_UINT &&
                        ((grey && samplesPerPixel >= 1) ||
                         (photometric == PHOTOMETRIC_RGB && samplesPerPixel >= 3));

    DecodedImage decoded;
    ColourImage& image = decoded.image;
    image.channels = grey ? 1 : 3;
    image.bitsPerChannel = direct ? bits : 8;
    const std::string tooLarge =
        colourSizeRefusal(width, height, image.channels, image.bitsPerChannel, limits);
    if (!tooLarge.empty()) {
        return refuse(tooLarge);
    }
    image.width = int(width);
    image.height = int(height);

    if (direct) {
        const bool planes = planar == PLANARCONFIG_SEPARATE && samplesPerPixel > 1;
        const Layout layout{width,
                            height,
                            bits / 8,
                            planes ? 1 : int(samplesPerPixel),
                            planes ? image.channels : 1,
                            image.channels};
        const bool good = bits == 16
                              ? (resizeImageBuffer(image.samples16, image.rowSamples() * height),
                                 readDirect(tif.get(), layout, limits, image.samples16))
                              : (resizeImageBuffer(image.samples8, image.rowSamples() * height),
                                 readDirect(tif.get(), layout, limits, image.samples8));
        if (!good) {
            return damaged(context);
        }
        if (photometric == PHOTOMETRIC_MINISWHITE) {
            for (auto& v : image.samples8) {
                v = std::uint8_t(255 - v);
            }
            for (auto& v : image.samples16) {
                v = std::uint16_t(65535 - v);
            }
        }
    } else {
        char message[1024] = {};
        if (!TIFFRGBAImageOK(tif.get(), message)) {
            return refuse(std::string("Il file TIFF ha un formato dei pixel che non si può "
                                      "leggere (") +
                          message + ").");
        }
        const std::string rasterTooLarge = colourSizeRefusal(width, height, 4, 8, limits);
        if (!rasterTooLarge.empty()) {
            return refuse(rasterTooLarge);
        }
        if (!readThroughRgba(tif.get(), width, height, image, context)) {
            return damaged(context);
        }
    }

    std::uint32_t profileLength = 0;
    void* profile = nullptr;
    if (TIFFGetField(tif.get(), TIFFTAG_ICCPROFILE, &profileLength, &profile) && profile) {
        const auto* bytes = static_cast<const std::uint8_t*>(profile);
        image.iccProfile.assign(bytes, bytes + profileLength);
    }
    if (orientation >= 1 && orientation <= 8) {
        decoded.facts.orientation = orientation;
    }
    decoded.facts.make = textTag(tif.get(), TIFFTAG_MAKE);
    decoded.facts.model = textTag(tif.get(), TIFFTAG_MODEL);
    readExifDirectory(tif.get(), decoded.facts);
    return Result<DecodedImage>::success(std::move(decoded));
}

namespace {

class TiffWriter : public RowWriter {
  public:
    TiffWriter(int fd, const RowShape& shape, const std::vector<std::uint8_t>& profile,
               TiffCompression compression)
        : RowWriter(shape) {
        const std::string refusal = rowShapeRefusal(shape, kMaxColourSide);
        if (!refusal.empty()) {
            fail(refusal);
            return;
        }
        options_ = openOptions(&context_, std::uint64_t(1) << 40);
        // libtiff closes the descriptor it is given; the caller's stays open.
        const int own = ::dup(fd);
        const std::uint64_t bytes =
            std::uint64_t(shape.width) * shape.height * shape.channels * (shape.bitsPerChannel / 8);
        // Past 4 GiB the classic layout cannot hold the offsets.
        const char* mode = bytes > (std::uint64_t(3) << 30) ? "w8" : "w";
        if (own >= 0 && options_) {
            tif_.reset(TIFFFdOpenExt(own, "vesta", mode, options_.get()));
        }
        if (!tif_) {
            if (own >= 0) {
                ::close(own);
            }
            failed();
            return;
        }
        TIFF* t = tif_.get();
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, std::uint32_t(shape.width));
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, std::uint32_t(shape.height));
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(shape.channels));
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, std::uint16_t(shape.bitsPerChannel));
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                     shape.channels == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
        TIFFSetField(
            t, TIFFTAG_COMPRESSION,
            compression == TiffCompression::Lzw ? COMPRESSION_LZW : COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
        if (!profile.empty()) {
            TIFFSetField(t, TIFFTAG_ICCPROFILE, std::uint32_t(profile.size()), profile.data());
        }
        row_.resize(std::size_t(shape.width) * shape.channels * (shape.bitsPerChannel / 8));
    }
    bool writeRow(const std::uint8_t* samples) override { return rowsOf(8) && put(samples); }
    bool writeRow(const std::uint16_t* samples) override { return rowsOf(16) && put(samples); }

  private:
    bool completeFile() override {
        const bool flushed = TIFFFlush(tif_.get()) == 1;
        tif_.reset();
        return flushed || failed();
    }
    bool put(const void* samples) {
        if (!nextRow()) {
            return false;
        }
        // The predictor may work in place: hand the library a copy.
        std::memcpy(row_.data(), samples, row_.size());
        return TIFFWriteScanline(tif_.get(), row_.data(), std::uint32_t(rows_ - 1), 0) == 1 ||
               failed();
    }
    bool failed() {
        return fail(std::string("Errore nella scrittura del file TIFF (") +
                    (context_.detail[0] ? context_.detail : "disco pieno o non scrivibile") + ").");
    }
    TiffContext context_;
    std::unique_ptr<TIFFOpenOptions, OptionsFree> options_;
    TiffHandle tif_;
    std::vector<std::uint8_t> row_;
};

}  // namespace

std::unique_ptr<RowWriter> makeTiffWriter(int fd, const RowShape& shape,
                                          const std::vector<std::uint8_t>& iccProfile,
                                          TiffCompression compression) {
    return std::make_unique<TiffWriter>(fd, shape, iccProfile, compression);
}

}  // namespace vesta
