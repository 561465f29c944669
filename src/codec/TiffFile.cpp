#include "codec/TiffFile.h"

#include <tiffio.h>

#include <optional>
#include <string>

#include "codec/TiffExif.h"
#include "codec/TiffIo.h"
#include "codec/TiffPixels.h"

namespace vesta {

namespace {

Result<DecodedImage> refuse(const std::string& message) {
    return Result<DecodedImage>::failure(message);
}

Result<DecodedImage> damaged(const TiffContext& context) {
    return refuse(std::string("Il file TIFF è danneggiato o incompleto e non si può leggere (") +
                  (context.detail[0] ? context.detail : "dati mancanti") + ").");
}

// What the image directory says of the pixels, and which road reads them.
struct TiffShape {
    std::uint32_t width = 0, height = 0;
    std::uint16_t samplesPerPixel = 1, bits = 1, planar = PLANARCONFIG_CONTIG;
    std::uint16_t format = SAMPLEFORMAT_UINT, orientation = ORIENTATION_TOPLEFT;
    std::uint16_t photometric = 0, compression = COMPRESSION_NONE;
    bool grey = false;
    bool direct = false;  // the samples as stored, else through the RGBA interface
};

TiffShape shapeOf(TIFF* tif) {
    TiffShape t;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &t.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &t.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &t.samplesPerPixel);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &t.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &t.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &t.format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &t.orientation);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &t.compression);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &t.photometric)) {
        t.photometric = t.samplesPerPixel >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    }
    if (t.photometric == PHOTOMETRIC_YCBCR && t.compression == COMPRESSION_JPEG && t.bits == 8) {
        // The JPEG codec turns YCbCr into RGB itself; the direct road then reads RGB.
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        t.photometric = PHOTOMETRIC_RGB;
    }
    t.grey = t.photometric == PHOTOMETRIC_MINISBLACK || t.photometric == PHOTOMETRIC_MINISWHITE;
    const bool packedGrey = t.grey && (t.bits == 1 || t.bits == 2 || t.bits == 4) &&
                            t.samplesPerPixel == 1 && t.format == SAMPLEFORMAT_UINT;
    t.direct = packedGrey || ((t.bits == 8 || t.bits == 16) && t.format == SAMPLEFORMAT_UINT &&
                              ((t.grey && t.samplesPerPixel >= 1) ||
                               (t.photometric == PHOTOMETRIC_RGB && t.samplesPerPixel >= 3)));
    return t;
}

// The samples as stored, grey made black on white.
bool readStored(TIFF* tif, const TiffShape& t, const DecodeLimits& limits, TiffContext& context,
                ColourImage& image) {
    const bool planes = t.planar == PLANARCONFIG_SEPARATE && t.samplesPerPixel > 1;
    const Layout layout{t.width,
                        t.height,
                        t.bits,
                        planes ? 1 : int(t.samplesPerPixel),
                        planes ? image.channels : 1,
                        image.channels};
    const bool good = t.bits == 16 ? readDirect(tif, layout, limits, context, image.samples16)
                                   : readDirect(tif, layout, limits, context, image.samples8);
    if (good && t.photometric == PHOTOMETRIC_MINISWHITE) {
        for (auto& v : image.samples8) {
            v = std::uint8_t(255 - v);
        }
        for (auto& v : image.samples16) {
            v = std::uint16_t(65535 - v);
        }
    }
    return good;
}

// The image's pixels by the road its shape takes; the refusal when they cannot be read.
std::optional<Result<DecodedImage>> readPixels(TIFF* tif, const TiffShape& t,
                                               const DecodeLimits& limits, TiffContext& context,
                                               ColourImage& image) {
    if (t.direct) {
        if (!readStored(tif, t, limits, context, image)) {
            return damaged(context);
        }
        return std::nullopt;
    }
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tif, message)) {
        return refuse(std::string("Il file TIFF ha un formato dei pixel che non si può "
                                  "leggere (") +
                      message + ").");
    }
    if (std::uint64_t(t.width) * (t.height * std::uint64_t(image.channels) + 4) > limits.maxBytes) {
        return refuse(tooLargeForMemory(t.width, t.height));
    }
    if (!readThroughRgba(tif, t.width, t.height, limits, image, context)) {
        return damaged(context);
    }
    return std::nullopt;
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
    const TiffHandle tif = openInMemory(context, options.get());
    if (!tif) {
        return damaged(context);
    }
    const TiffShape t = shapeOf(tif.get());
    DecodedImage decoded;
    ColourImage& image = decoded.image;
    image.channels = t.grey ? 1 : 3;
    image.bitsPerChannel = t.bits == 16 && t.direct ? 16 : 8;
    const std::string tooLarge =
        colourSizeRefusal(t.width, t.height, image.channels, image.bitsPerChannel, limits);
    if (!tooLarge.empty()) {
        return refuse(tooLarge);
    }
    if (context.damagedData || !everyBlockPresent(tif.get(), t.height, context)) {
        return damaged(context);
    }
    image.width = int(t.width);
    image.height = int(t.height);
    if (auto refused = readPixels(tif.get(), t, limits, context, image)) {
        return std::move(*refused);
    }
    context.readingPixels = false;

    std::uint32_t profileLength = 0;
    void* profile = nullptr;
    if (TIFFGetField(tif.get(), TIFFTAG_ICCPROFILE, &profileLength, &profile) && profile) {
        const auto* bytes = static_cast<const std::uint8_t*>(profile);
        image.iccProfile.assign(bytes, bytes + profileLength);
    }
    if (t.orientation >= 1 && t.orientation <= 8) {
        decoded.facts.orientation = t.orientation;
    }
    readCameraTags(tif.get(), decoded.facts, image.exif);
    return Result<DecodedImage>::success(std::move(decoded));
}

}  // namespace vesta
