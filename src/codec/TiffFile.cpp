#include "codec/TiffFile.h"

#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "codec/ResultExif.h"
#include "state/LargePages.h"

namespace vesta {

namespace {

// libtiff reports errors through handlers; these keep the first message for the refusal and
// print nothing, since the window has no terminal. Some damage libtiff only warns of and works
// round with made-up data (a strip offset missing: the strip is read from the file's start):
// such warnings, and every warning while pixels are read, are errors here.
struct TiffContext {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t at = 0;
    bool readingPixels = false;
    bool damagedData = false;
    char detail[200] = {};
};

int collectError(TIFF*, void* userData, const char*, const char* format, va_list args) {
    auto* context = static_cast<TiffContext*>(userData);
    if (context && context->detail[0] == 0) {
        std::vsnprintf(context->detail, sizeof context->detail, format, args);
    }
    return 1;
}

int collectDataWarning(TIFF*, void* userData, const char* module, const char* format,
                       va_list args) {
    auto* context = static_cast<TiffContext*>(userData);
    const bool aboutData = module != nullptr && std::strcmp(module, "TIFFFetchStripThing") == 0;
    if (context && (context->readingPixels || aboutData)) {
        context->damagedData = true;
        if (context->detail[0] == 0) {
            std::vsnprintf(context->detail, sizeof context->detail, format, args);
        }
    }
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
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), collectDataWarning, context);
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

// libtiff reads an uncompressed strip that has no offset or too few bytes from wherever the
// file says, even its start, without a word: every strip or tile must be there in full.
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

// Reads strip or tile after strip or tile into `out`, reserved for the whole image and grown
// as rows arrive: a file that declares more rows than it holds is refused at the first
// missing block, having taken the memory of the blocks it held.
template <typename Sample>
bool readDirect(TIFF* tif, const Layout& l, const DecodeLimits& limits, TiffContext& context,
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

// Everything else libtiff can turn into colour, at 8 bits, a band of rows at a time through
// its RGBA interface: the band, not the whole image, at four bytes a pixel.
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
    const bool packedGrey = grey && (bits == 1 || bits == 2 || bits == 4) && samplesPerPixel == 1 &&
                            format == SAMPLEFORMAT_UINT;
    const bool direct = packedGrey || ((bits == 8 || bits == 16) && format == SAMPLEFORMAT_UINT &&
                                       ((grey && samplesPerPixel >= 1) ||
                                        (photometric == PHOTOMETRIC_RGB && samplesPerPixel >= 3)));

    DecodedImage decoded;
    ColourImage& image = decoded.image;
    image.channels = grey ? 1 : 3;
    image.bitsPerChannel = bits == 16 && direct ? 16 : 8;
    const std::string tooLarge =
        colourSizeRefusal(width, height, image.channels, image.bitsPerChannel, limits);
    if (!tooLarge.empty()) {
        return refuse(tooLarge);
    }
    if (context.damagedData || !everyBlockPresent(tif.get(), height, context)) {
        return damaged(context);
    }
    image.width = int(width);
    image.height = int(height);

    if (direct) {
        const bool planes = planar == PLANARCONFIG_SEPARATE && samplesPerPixel > 1;
        const Layout layout{width,
                            height,
                            bits,
                            planes ? 1 : int(samplesPerPixel),
                            planes ? image.channels : 1,
                            image.channels};
        const bool good = bits == 16
                              ? readDirect(tif.get(), layout, limits, context, image.samples16)
                              : readDirect(tif.get(), layout, limits, context, image.samples8);
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
        if (std::uint64_t(width) * (height * std::uint64_t(image.channels) + 4) > limits.maxBytes) {
            return refuse(tooLargeForMemory(width, height));
        }
        if (!readThroughRgba(tif.get(), width, height, limits, image, context)) {
            return damaged(context);
        }
    }
    context.readingPixels = false;

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

void setText(TIFF* t, ttag_t tag, const std::string& text) {
    if (!text.empty()) {
        TIFFSetField(t, tag, text.c_str());
    }
}

// The EXIF directory of the kept facts, written ahead of the image's, whose tag points to it;
// its offset, or 0 when there is nothing to write. The image's directory starts afresh after.
std::uint64_t writeExifDirectory(TIFF* t, const ResultExifTags& tags) {
    const bool any = !tags.dateTimeOriginal.empty() || !tags.dateTimeDigitized.empty() ||
                     !tags.lensMake.empty() || !tags.lensModel.empty() ||
                     !tags.lensSerialNumber.empty() || tags.focalLength > 0 || tags.fNumber > 0 ||
                     tags.maxApertureValue > 0 || tags.focalLength35mm > 0;
    if (!any || TIFFCreateEXIFDirectory(t) != 0) {
        return 0;
    }
    setText(t, EXIFTAG_DATETIMEORIGINAL, tags.dateTimeOriginal);
    setText(t, EXIFTAG_DATETIMEDIGITIZED, tags.dateTimeDigitized);
    setText(t, EXIFTAG_LENSMAKE, tags.lensMake);
    setText(t, EXIFTAG_LENSMODEL, tags.lensModel);
    setText(t, EXIFTAG_LENSSERIALNUMBER, tags.lensSerialNumber);
    for (const auto& [tag, value] : {std::pair{EXIFTAG_FOCALLENGTH, tags.focalLength},
                                     std::pair{EXIFTAG_FNUMBER, tags.fNumber},
                                     std::pair{EXIFTAG_MAXAPERTUREVALUE, tags.maxApertureValue}}) {
        if (value > 0) {
            TIFFSetField(t, tag, value);
        }
    }
    if (tags.focalLength35mm > 0) {
        TIFFSetField(t, EXIFTAG_FOCALLENGTHIN35MMFILM, std::uint16_t(tags.focalLength35mm));
    }
    std::uint64_t offset = 0;
    const bool written = TIFFWriteCustomDirectory(t, &offset) == 1;
    TIFFFreeDirectory(t);
    TIFFCreateDirectory(t);
    return written ? offset : 0;
}

class TiffWriter : public RowWriter {
  public:
    TiffWriter(int fd, const RowShape& shape, const std::vector<std::uint8_t>& profile,
               TiffCompression compression, const std::vector<std::uint8_t>& exif)
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
        const ResultExifTags tags = resultExifTags(exif);
        const std::uint64_t exifDirectory = writeExifDirectory(t, tags);
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
        setText(t, TIFFTAG_MAKE, tags.make);
        setText(t, TIFFTAG_MODEL, tags.model);
        setText(t, TIFFTAG_DATETIME, tags.dateTime);
        if (exifDirectory != 0) {
            TIFFSetField(t, TIFFTAG_EXIFIFD, exifDirectory);
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
                                          TiffCompression compression,
                                          const std::vector<std::uint8_t>& exif) {
    return std::make_unique<TiffWriter>(fd, shape, iccProfile, compression, exif);
}

}  // namespace vesta
