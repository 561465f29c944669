#include "codec/JpegFile.h"

#include <algorithm>
#include <cstdlib>

#include "codec/JpegDecoder.h"
#include "codec/Orientation.h"
#include "state/FitScale.h"
#include "state/LargePages.h"

namespace vesta {

namespace {

Result<DecodedImage> refuse(const std::string& message) {
    return Result<DecodedImage>::failure(message);
}

// The header read and checked, the EXIF and the profile kept, the decompression started.
bool startDecoding(JpegDecoder& d, const std::uint8_t* data, std::size_t size,
                   const DecodeLimits& limits, DecodedImage& decoded, std::string& refusal) {
    if (!readJpegHeader(&d, data, size)) {
        refusal = jpegDamage(d);
        return false;
    }
    refusal = jpegDecodeRefusal(d, limits);
    if (!refusal.empty()) {
        return false;
    }
    readJpegExif(d.cinfo, decoded);
    JOCTET* profile = nullptr;
    unsigned int profileLength = 0;
    // A broken profile costs the profile, not the photograph.
    if (readJpegProfile(&d, &profile, &profileLength) && profile) {
        decoded.image.iccProfile.assign(profile, profile + profileLength);
    }
    std::free(profile);
    d.errors.detail[0] = 0;
    d.errors.corrupt = false;
    if (!startJpegDecompress(&d)) {
        refusal = jpegDamage(d);
        return false;
    }
    return true;
}

// Every row of the image as stored, read into `image` (already shaped) a band at a time.
bool readStoredRows(JpegDecoder& d, ColourImage& image) {
    const std::size_t stride = image.rowSamples();
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const std::size_t first = d.cinfo.output_scanline;
        if (!readJpegRows(&d, image.samples8.data() + stride * first, stride, kJpegBand)) {
            return false;
        }
    }
    return true;
}

}  // namespace

Result<DecodedImage> decodeJpeg(const std::uint8_t* data, std::size_t size,
                                const DecodeLimits& limits) {
    JpegDecoder d;
    DecodedImage decoded;
    std::string refusal;
    if (!startDecoding(d, data, size, limits, decoded, refusal)) {
        return refuse(refusal);
    }
    jpeg_decompress_struct& cinfo = d.cinfo;
    const int channels = cinfo.num_components;
    if (int(cinfo.output_components) != channels || cinfo.output_width != cinfo.image_width ||
        cinfo.output_height != cinfo.image_height) {
        return refuse("Il file JPEG ha un formato dei pixel non previsto.");
    }
    const int width = int(cinfo.output_width);
    const int height = int(cinfo.output_height);
    const int orientation = decoded.facts.orientation;
    const bool turned = orientation >= 5 && orientation <= 8;
    ColourImage& image = decoded.image;
    image.width = turned ? height : width;
    image.height = turned ? width : height;
    image.channels = channels;
    image.bitsPerChannel = 8;
    const std::size_t stride = std::size_t(width) * std::size_t(channels);
    if (orientation == 1) {
        // Grown a band at a time as rows arrive: a file that declares more rows than it
        // holds is refused at the first missing one, having taken only what it held.
        reserveImageBuffer(image.samples8, stride * std::size_t(height));
        while (cinfo.output_scanline < cinfo.output_height) {
            const std::size_t first = cinfo.output_scanline;
            const std::size_t rows = std::min<std::size_t>(kJpegBand, std::size_t(height) - first);
            std::uint8_t* at = growImageBuffer(image.samples8, stride * (first + rows));
            if (!readJpegRows(&d, at + stride * first, stride, JDIMENSION(rows))) {
                return refuse(jpegDamage(d));
            }
        }
    } else {
        // Turned while decoding, a band of rows at a time: no second copy of the photograph.
        // A quarter turn writes every upright row from the first band on, so its memory is
        // taken whole; the other turns are placed from the bottom up.
        resizeImageBuffer(image.samples8, image.rowSamples() * std::size_t(image.height));
        std::vector<std::uint8_t> band(stride * kJpegBand);
        while (cinfo.output_scanline < cinfo.output_height) {
            const int first = int(cinfo.output_scanline);
            if (!readJpegRows(&d, band.data(), stride, kJpegBand)) {
                return refuse(jpegDamage(d));
            }
            placeStoredRows(band.data(), first, int(cinfo.output_scanline) - first, width, height,
                            orientation, image);
        }
    }
    decoded.upright = true;
    if (!finishJpegDecompress(&d)) {
        return refuse(jpegDamage(d));
    }
    return Result<DecodedImage>::success(std::move(decoded));
}

Result<JpegFirstView> decodeJpegFirstView(const std::uint8_t* data, std::size_t size,
                                          double viewWidth, double viewHeight,
                                          const DecodeLimits& limits) {
    JpegDecoder d;
    if (!readJpegHeader(&d, data, size)) {
        return Result<JpegFirstView>::failure(jpegDamage(d));
    }
    // Nothing is shown of a photograph the whole reading would refuse.
    const std::string refusal = jpegDecodeRefusal(d, limits);
    if (!refusal.empty()) {
        return Result<JpegFirstView>::failure(refusal);
    }
    // A progressive file holds every coefficient of the image while it is decoded, at any
    // reduction: a first view would hold them twice.
    if (d.cinfo.progressive_mode) {
        return Result<JpegFirstView>::failure("");
    }
    DecodedImage decoded;
    readJpegExif(d.cinfo, decoded);
    const int orientation = decoded.facts.orientation;
    const bool turned = orientation >= 5 && orientation <= 8;
    JpegFirstView view;
    view.width = int(turned ? d.cinfo.image_height : d.cinfo.image_width);
    view.height = int(turned ? d.cinfo.image_width : d.cinfo.image_height);
    const double scale = fittingScale(view.width, view.height, viewWidth, viewHeight);
    // The largest reduction libjpeg makes in the DCT itself (8, 4 or 2) that the view still
    // only reduces: a first view never looks coarser than the photograph will.
    int reduction = 8;
    while (reduction > 1 && reduction * scale > 1.0) {
        reduction /= 2;
    }
    if (reduction == 1) {
        return Result<JpegFirstView>::failure("");
    }
    d.cinfo.scale_num = 1;
    d.cinfo.scale_denom = unsigned(reduction);
    if (!startJpegDecompress(&d)) {
        return Result<JpegFirstView>::failure(jpegDamage(d));
    }
    ColourImage& image = decoded.image;
    image.width = int(d.cinfo.output_width);
    image.height = int(d.cinfo.output_height);
    image.channels = int(d.cinfo.output_components);
    image.bitsPerChannel = 8;
    image.samples8.resize(image.rowSamples() * std::size_t(image.height));
    if (!readStoredRows(d, image) || !finishJpegDecompress(&d)) {
        return Result<JpegFirstView>::failure(jpegDamage(d));
    }
    view.image = turnUpright(std::move(image), orientation);
    return Result<JpegFirstView>::success(std::move(view));
}

}  // namespace vesta
