#include "codec/TiffFile.h"

#include <tiffio.h>

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
    readCameraTags(tif.get(), decoded.facts, image.exif);
    return Result<DecodedImage>::success(std::move(decoded));
}

}  // namespace vesta
