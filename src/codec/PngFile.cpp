#include "codec/PngFile.h"

#include <png.h>

#include <bit>
#include <cstdio>
#include <cstring>

#include "codec/ExifReader.h"
#include "codec/ResultExif.h"
#include "state/LargePages.h"

namespace vesta {

namespace {

// libpng reports a fatal error by jumping to the setjmp of the step below that called it: those
// steps hold only plain C data, so no C++ object is skipped by the jump.
struct PngContext {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t at = 0;
    int fd = -1;
    bool writeFailed = false;
    char detail[200] = {};
};

void pngError(png_structp png, png_const_charp message) {
    auto* context = static_cast<PngContext*>(png_get_error_ptr(png));
    if (context && context->detail[0] == 0) {
        std::snprintf(context->detail, sizeof context->detail, "%s", message);
    }
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

void readFromMemory(png_structp png, png_bytep into, png_size_t count) {
    auto* context = static_cast<PngContext*>(png_get_io_ptr(png));
    if (count > context->size - context->at) {
        png_error(png, "truncated");
    }
    std::memcpy(into, context->data + context->at, count);
    context->at += count;
}

struct Decoder {
    PngContext context;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~Decoder() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

bool readInfo(Decoder* d) {
    if (setjmp(png_jmpbuf(d->png))) {
        return false;
    }
    png_set_read_fn(d->png, &d->context, readFromMemory);
    png_set_user_limits(d->png, kMaxColourSide, kMaxColourSide);
    // libpng drops a profile over 8 MB without a word; a device link's may be larger.
    png_set_chunk_malloc_max(d->png, kMaxProfileBytes);
#ifdef VESTA_FUZZING
    // A mutated file almost never keeps its checksums right: the fuzzer would only ever meet
    // the checksum test. Its build lets the bytes through to the decoder.
    png_set_crc_action(d->png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(d->png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
#endif
    png_read_info(d->png, d->info);
    return true;
}

bool setTransforms(Decoder* d, int* passes) {
    if (setjmp(png_jmpbuf(d->png))) {
        return false;
    }
    png_structp png = d->png;
    const int colourType = png_get_color_type(png, d->info);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, d->info) < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    png_set_strip_alpha(png);
    if (png_get_bit_depth(png, d->info) == 16 && std::endian::native == std::endian::little) {
        png_set_swap(png);
    }
    *passes = png_set_interlace_handling(png);
    png_read_update_info(png, d->info);
    return true;
}

bool readRow(Decoder* d, png_bytep row) {
    if (setjmp(png_jmpbuf(d->png))) {
        return false;
    }
    png_read_row(d->png, row, nullptr);
    return true;
}

// Decodes every pass into `samples`, reserved for the whole image and grown a row at a time
// as the rows arrive: a file that declares more rows than it holds is refused at the first
// missing one, having taken the memory of the rows it held.
template <typename Sample>
bool readImage(Decoder* d, int passes, std::size_t rowSamples, png_uint_32 height,
               std::vector<Sample>& samples) {
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            Sample* row = growImageBuffer(samples, rowSamples * (std::size_t(y) + 1)) +
                          rowSamples * std::size_t(y);
            if (!readRow(d, reinterpret_cast<png_bytep>(row))) {
                return false;
            }
        }
    }
    return true;
}

bool readEnd(Decoder* d) {
    if (setjmp(png_jmpbuf(d->png))) {
        return false;
    }
    png_read_end(d->png, d->info);
    return true;
}

Result<DecodedImage> refuse(const std::string& message) {
    return Result<DecodedImage>::failure(message);
}

Result<DecodedImage> damaged(const Decoder& d) {
    if (std::strcmp(d.context.detail, "truncated") == 0) {
        return refuse("Il file PNG è incompleto: finisce prima della fine dell'immagine.");
    }
    return refuse(std::string("Il file PNG è danneggiato e non si può leggere (") +
                  d.context.detail + ").");
}

void takeFacts(Decoder& d, DecodedImage& decoded) {
    png_bytep exif = nullptr;
    png_uint_32 exifLength = 0;
    if (png_get_eXIf_1(d.png, d.info, &exifLength, &exif) && exif) {
        decoded.facts = readExifFacts(exif, exifLength);
        decoded.image.exif = exifForResults(exif, exifLength);
    }
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileLength = 0;
    if (png_get_iCCP(d.png, d.info, &name, &compression, &profile, &profileLength) && profile) {
        decoded.image.iccProfile.assign(profile, profile + profileLength);
    }
}

}  // namespace

Result<DecodedImage> decodePng(const std::uint8_t* data, std::size_t size,
                               const DecodeLimits& limits) {
    Decoder d;
    d.context.data = data;
    d.context.size = size;
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        return refuse("Il file non è un'immagine PNG.");
    }
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d.context, pngError, pngWarning);
    if (d.png) {
        d.info = png_create_info_struct(d.png);
    }
    if (!d.png || !d.info) {
        return refuse("Memoria insufficiente per leggere il file PNG.");
    }
    if (!readInfo(&d)) {
        return damaged(d);
    }
    const png_uint_32 width = png_get_image_width(d.png, d.info);
    const png_uint_32 height = png_get_image_height(d.png, d.info);
    const int depth = png_get_bit_depth(d.png, d.info) == 16 ? 16 : 8;
    const int colourType = png_get_color_type(d.png, d.info);
    const int channels = (colourType & PNG_COLOR_MASK_COLOR) ? 3 : 1;
    const std::string tooLarge = colourSizeRefusal(width, height, channels, depth, limits);
    if (!tooLarge.empty()) {
        return refuse(tooLarge);
    }
    int passes = 1;
    if (!setTransforms(&d, &passes)) {
        return damaged(d);
    }
    if (png_get_channels(d.png, d.info) != channels || png_get_bit_depth(d.png, d.info) != depth ||
        png_get_rowbytes(d.png, d.info) != std::size_t(width) * channels * (depth / 8)) {
        return refuse("Il file PNG ha un formato dei pixel non previsto.");
    }

    DecodedImage decoded;
    ColourImage& image = decoded.image;
    image.width = int(width);
    image.height = int(height);
    image.channels = channels;
    image.bitsPerChannel = depth;
    const std::size_t samples = image.rowSamples() * height;
    bool good = false;
    if (depth == 16) {
        reserveImageBuffer(image.samples16, samples);
        good = readImage(&d, passes, image.rowSamples(), height, image.samples16);
    } else {
        reserveImageBuffer(image.samples8, samples);
        good = readImage(&d, passes, image.rowSamples(), height, image.samples8);
    }
    if (!good) {
        return damaged(d);
    }
    // Chunks after the image data may hold the EXIF block; a damaged tail costs only those.
    readEnd(&d);
    takeFacts(d, decoded);
    return Result<DecodedImage>::success(std::move(decoded));
}

namespace {

void writeToFd(png_structp png, png_bytep data, png_size_t count) {
    auto* context = static_cast<PngContext*>(png_get_io_ptr(png));
    if (!writeAll(context->fd, data, count)) {
        context->writeFailed = true;
        png_error(png, "write");
    }
}

void flushNothing(png_structp) {}

struct Encoder {
    PngContext context;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~Encoder() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

bool beginEncoding(Encoder* e, const RowShape* shape, const std::uint8_t* profile,
                   std::size_t profileLength, const std::uint8_t* exif, std::size_t exifLength) {
    if (setjmp(png_jmpbuf(e->png))) {
        return false;
    }
    png_structp png = e->png;
    png_set_write_fn(png, &e->context, writeToFd, flushNothing);
    // A profile libpng finds unfit for the image is left out with a warning, not an error.
    png_set_benign_errors(png, 1);
    png_set_chunk_malloc_max(png, kMaxProfileBytes);
    png_set_compression_level(png, 6);
    png_set_IHDR(png, e->info, png_uint_32(shape->width), png_uint_32(shape->height),
                 shape->bitsPerChannel,
                 shape->channels == 1 ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (profileLength > 0) {
        png_set_iCCP(png, e->info, "ICC", PNG_COMPRESSION_TYPE_BASE, profile,
                     png_uint_32(profileLength));
    }
    if (exifLength > 0) {
        png_set_eXIf_1(png, e->info, png_uint_32(exifLength), const_cast<png_bytep>(exif));
    }
    png_write_info(png, e->info);
    if (shape->bitsPerChannel == 16 && std::endian::native == std::endian::little) {
        png_set_swap(png);
    }
    return true;
}

bool encodeRow(Encoder* e, const void* row) {
    if (setjmp(png_jmpbuf(e->png))) {
        return false;
    }
    png_write_row(e->png, static_cast<png_const_bytep>(row));
    return true;
}

bool finishEncoding(Encoder* e) {
    if (setjmp(png_jmpbuf(e->png))) {
        return false;
    }
    png_write_end(e->png, e->info);
    return true;
}

class PngWriter : public RowWriter {
  public:
    PngWriter(int fd, const RowShape& shape, const std::vector<std::uint8_t>& profile,
              const std::vector<std::uint8_t>& exif)
        : RowWriter(shape), encoder_(std::make_unique<Encoder>()) {
        encoder_->context.fd = fd;
        const std::string refusal = rowShapeRefusal(shape, kMaxColourSide);
        if (!refusal.empty()) {
            fail(refusal);
            return;
        }
        encoder_->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &encoder_->context, pngError,
                                                pngWarning);
        if (encoder_->png) {
            encoder_->info = png_create_info_struct(encoder_->png);
        }
        if (!encoder_->png || !encoder_->info) {
            fail("Memoria insufficiente per scrivere il file PNG.");
        } else if (!beginEncoding(encoder_.get(), &shape_, profile.data(), profile.size(),
                                  exif.data(), exif.size())) {
            failed();
        }
    }
    bool writeRow(const std::uint8_t* samples) override { return rowsOf(8) && put(samples); }
    bool writeRow(const std::uint16_t* samples) override { return rowsOf(16) && put(samples); }

  private:
    bool completeFile() override { return finishEncoding(encoder_.get()) || failed(); }
    bool put(const void* row) { return nextRow() && (encodeRow(encoder_.get(), row) || failed()); }
    bool failed() {
        return fail(encoder_->context.writeFailed
                        ? "Errore di scrittura del file PNG: il disco è pieno o non scrivibile."
                        : std::string("Errore nella scrittura del file PNG (") +
                              encoder_->context.detail + ").");
    }
    std::unique_ptr<Encoder> encoder_;
};

}  // namespace

std::unique_ptr<RowWriter> makePngWriter(int fd, const RowShape& shape,
                                         const std::vector<std::uint8_t>& iccProfile,
                                         const std::vector<std::uint8_t>& exif) {
    return std::make_unique<PngWriter>(fd, shape, iccProfile, exif);
}

}  // namespace vesta
