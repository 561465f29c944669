#include "codec/JpegFile.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "codec/ExifReader.h"
#include "codec/Orientation.h"
#include "codec/ResultExif.h"
#include "state/LargePages.h"

namespace vesta {

namespace {

// A progressive file may hold many scans, each a pass over the whole image; a damaged one can
// declare thousands and take minutes. Real cameras and encoders write a dozen at most.
constexpr int kMaxScans = 500;

// libjpeg reports a fatal error by calling error_exit, which must not return. It jumps back to
// the setjmp of the step below that called into the library: those steps hold only plain C
// data, so no C++ object is skipped by the jump.
struct JpegErrors {
    jpeg_error_mgr pub;  // first, so the library's pointer is also ours
    std::jmp_buf jump;
    char detail[JMSG_LENGTH_MAX];
    bool missingEnd;  // the file ended before its end marker
    bool corrupt;     // a warning of missing or corrupt data, kept in detail
    bool tooManyScans;
    int scans;
    std::uint32_t scannedComponents;  // a bit for each component id a scan carried
};

JpegErrors* errorsOf(j_common_ptr cinfo) {
    return reinterpret_cast<JpegErrors*>(cinfo->err);
}

void jpegErrorExit(j_common_ptr cinfo) {
    JpegErrors* errors = errorsOf(cinfo);
    if (errors->detail[0] == 0) {
        (*cinfo->err->format_message)(cinfo, errors->detail);
    }
    std::longjmp(errors->jump, 1);
}

// Nothing is printed: the window has no terminal. libjpeg only warns of missing or corrupt
// data and fills the gap with grey, so a warning ends the decoding as an error does. Two are
// not about the pixels (an unknown JFIF revision, an unknown Adobe transform). The end of
// the file before the end marker is noted and judged once the rows are read: a file that
// lacks only its end marker holds every pixel, and other readers open it.
void jpegEmitMessage(j_common_ptr cinfo, int level) {
    JpegErrors* errors = errorsOf(cinfo);
    const int code = cinfo->err->msg_code;
    if (level < 0) {
        ++cinfo->err->num_warnings;
        if (code == JWRN_JPEG_EOF) {
            errors->missingEnd = true;
        } else if (code != JWRN_JFIF_MAJOR && code != JWRN_ADOBE_XFORM) {
            errors->corrupt = true;
            (*cinfo->err->format_message)(cinfo, errors->detail);
            std::longjmp(errors->jump, 1);
        }
    } else if (level == 1 && code == JTRC_SOS && ++errors->scans > kMaxScans) {
        errors->tooManyScans = true;
        std::longjmp(errors->jump, 1);
    } else if (level == 1 && code == JTRC_SOS_COMPONENT) {
        errors->scannedComponents |= std::uint32_t(1) << (cinfo->err->msg_parm.i[0] & 31);
    }
}

void initErrors(JpegErrors& errors) {
    std::memset(&errors, 0, sizeof errors);
    jpeg_std_error(&errors.pub);
    errors.pub.error_exit = jpegErrorExit;
    errors.pub.emit_message = jpegEmitMessage;
}

struct Decoder {
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    bool created = false;
    Decoder() { initErrors(errors); }
    ~Decoder() {
        if (created) {
            jpeg_destroy_decompress(&cinfo);
        }
    }
};

bool readHeader(Decoder* d, const std::uint8_t* data, std::size_t size) {
    if (setjmp(d->errors.jump)) {
        return false;
    }
    d->cinfo.err = &d->errors.pub;
    jpeg_create_decompress(&d->cinfo);
    d->created = true;
    jpeg_mem_src(&d->cinfo, data, static_cast<unsigned long>(size));
    jpeg_save_markers(&d->cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&d->cinfo, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&d->cinfo, TRUE);
    return true;
}

bool readProfile(Decoder* d, JOCTET** profile, unsigned int* length) {
    if (setjmp(d->errors.jump)) {
        return false;
    }
    return jpeg_read_icc_profile(&d->cinfo, profile, length);
}

bool startDecompress(Decoder* d) {
    if (setjmp(d->errors.jump)) {
        return false;
    }
    jpeg_start_decompress(&d->cinfo);
    return true;
}

// Reads the next `wanted` rows (fewer at the end of the image) into `out`, row i at i * stride.
bool readRows(Decoder* d, std::uint8_t* out, std::size_t stride, JDIMENSION wanted) {
    if (setjmp(d->errors.jump)) {
        return false;
    }
    jpeg_decompress_struct* cinfo = &d->cinfo;
    const JDIMENSION start = cinfo->output_scanline;
    const JDIMENSION end =
        cinfo->output_height - start < wanted ? cinfo->output_height : start + wanted;
    JSAMPROW rows[16];
    while (cinfo->output_scanline < end) {
        const JDIMENSION first = cinfo->output_scanline;
        const JDIMENSION count = end - first < 16 ? end - first : 16;
        for (JDIMENSION i = 0; i < count; ++i) {
            rows[i] = out + stride * (first - start + i);
        }
        if (jpeg_read_scanlines(cinfo, rows, count) == 0) {
            return false;
        }
    }
    return true;
}

// Every scan of a progressive file arrived, each coefficient to its last bit: the file lacks
// at most its end marker. (A file cut between two scans decodes, but blurred.)
bool everyScanRead(const jpeg_decompress_struct& cinfo, std::uint32_t scannedComponents) {
    for (int c = 0; c < cinfo.num_components; ++c) {
        if ((scannedComponents >> (cinfo.comp_info[c].component_id & 31) & 1) == 0) {
            return false;
        }
    }
    if (!cinfo.progressive_mode) {
        return true;
    }
    if (cinfo.coef_bits == nullptr) {
        return false;
    }
    for (int c = 0; c < cinfo.num_components; ++c) {
        for (int k = 0; k < DCTSIZE2; ++k) {
            if (cinfo.coef_bits[c][k] != 0) {
                return false;
            }
        }
    }
    return true;
}

// Only the end marker is left to read: a file that lacks it still holds the whole image.
bool finishDecompress(Decoder* d) {
    if (setjmp(d->errors.jump)) {
        return false;
    }
    jpeg_finish_decompress(&d->cinfo);
    return true;
}

Result<DecodedImage> refuse(const std::string& message) {
    return Result<DecodedImage>::failure(message);
}

Result<DecodedImage> damaged(const Decoder& d) {
    if (d.errors.tooManyScans) {
        return refuse("Il file JPEG è danneggiato: dichiara troppe scansioni progressive.");
    }
    const int code = d.errors.pub.msg_code;
    if (code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY) {
        return refuse(tooLargeForMemory(d.cinfo.image_width, d.cinfo.image_height));
    }
    if (d.errors.missingEnd) {
        return refuse("Il file JPEG è incompleto: finisce prima della fine dell'immagine.");
    }
    if (d.errors.corrupt) {
        return refuse(std::string("Il file JPEG è danneggiato: mancano dati o sono alterati (") +
                      d.errors.detail + ").");
    }
    return refuse(std::string("Il file JPEG è danneggiato e non si può leggere (") +
                  d.errors.detail + ").");
}

}  // namespace

Result<DecodedImage> decodeJpeg(const std::uint8_t* data, std::size_t size,
                                const DecodeLimits& limits) {
    Decoder d;
    if (!readHeader(&d, data, size)) {
        return damaged(d);
    }
    jpeg_decompress_struct& cinfo = d.cinfo;
    const int channels = cinfo.num_components == 1 ? 1 : 3;
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        return refuse(
            "Il file JPEG è in quadricromia (CMYK): servono fotografie a colori RGB o "
            "in scala di grigi.");
    }
    if (cinfo.num_components != 1 && cinfo.num_components != 3) {
        return refuse("Il file JPEG ha " + std::to_string(cinfo.num_components) +
                      " componenti di colore: ne servono 1 o 3.");
    }
    const std::string tooLarge =
        colourSizeRefusal(cinfo.image_width, cinfo.image_height, channels, 8, limits);
    if (!tooLarge.empty()) {
        return refuse(tooLarge);
    }
    cinfo.out_color_space = channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    cinfo.dct_method = JDCT_ISLOW;

    DecodedImage decoded;
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length > 6 &&
            std::memcmp(m->data, "Exif\0\0", 6) == 0) {
            decoded.facts = readExifFacts(m->data, m->data_length);
            decoded.image.exif = exifForResults(m->data, m->data_length);
            break;
        }
    }
    JOCTET* profile = nullptr;
    unsigned int profileLength = 0;
    // A broken profile costs the profile, not the photograph.
    if (readProfile(&d, &profile, &profileLength) && profile) {
        decoded.image.iccProfile.assign(profile, profile + profileLength);
    }
    std::free(profile);
    d.errors.detail[0] = 0;
    d.errors.corrupt = false;

    // The decoded image and the band are counted first; what is left bounds libjpeg's own
    // memory, above all the coefficients of a progressive file (about 2 bytes a sample, for
    // the whole image), which it then refuses to take rather than going past the limit.
    constexpr int kBand = 64;
    const std::uint64_t rowBytes = std::uint64_t(cinfo.image_width) * std::uint64_t(channels);
    const std::uint64_t ours = rowBytes * (std::uint64_t(cinfo.image_height) + kBand);
    if (ours >= limits.maxBytes) {
        return refuse(tooLargeForMemory(cinfo.image_width, cinfo.image_height));
    }
    cinfo.mem->max_memory_to_use = long(std::min<std::uint64_t>(limits.maxBytes - ours, LONG_MAX));
    if (!startDecompress(&d)) {
        return damaged(d);
    }
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
            const std::size_t rows = std::min<std::size_t>(kBand, std::size_t(height) - first);
            std::uint8_t* at = growImageBuffer(image.samples8, stride * (first + rows));
            if (!readRows(&d, at + stride * first, stride, JDIMENSION(rows))) {
                return damaged(d);
            }
        }
    } else {
        // Turned while decoding, a band of rows at a time: no second copy of the photograph.
        // A quarter turn writes every upright row from the first band on, so its memory is
        // taken whole; the other turns are placed from the bottom up.
        resizeImageBuffer(image.samples8, image.rowSamples() * std::size_t(image.height));
        std::vector<std::uint8_t> band(stride * kBand);
        while (cinfo.output_scanline < cinfo.output_height) {
            const int first = int(cinfo.output_scanline);
            if (!readRows(&d, band.data(), stride, kBand)) {
                return damaged(d);
            }
            placeStoredRows(band.data(), first, int(cinfo.output_scanline) - first, width, height,
                            orientation, image);
        }
    }
    decoded.upright = true;
    if (d.errors.missingEnd && !everyScanRead(cinfo, d.errors.scannedComponents)) {
        return damaged(d);
    }
    if (!finishDecompress(&d)) {
        return damaged(d);
    }
    return Result<DecodedImage>::success(std::move(decoded));
}

namespace {

constexpr std::size_t kOutputBuffer = 1 << 16;
constexpr std::uint64_t kOptimisedCodingBytes = std::uint64_t(64) << 20;

struct JpegDestination {
    jpeg_destination_mgr pub;  // first, so the library's pointer is also ours
    int fd;
    JOCTET buffer[kOutputBuffer];
};

void initDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kOutputBuffer;
}

boolean emptyOutputBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    if (!writeAll(dest->fd, dest->buffer, kOutputBuffer)) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kOutputBuffer;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    if (!writeAll(dest->fd, dest->buffer, kOutputBuffer - dest->pub.free_in_buffer)) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
}

struct Encoder {
    jpeg_compress_struct cinfo;
    JpegErrors errors;
    JpegDestination dest;
    bool created = false;
};

bool beginEncoding(Encoder* e, const RowShape* shape, int quality, const std::uint8_t* profile,
                   std::size_t profileLength, const std::uint8_t* exif, std::size_t exifLength) {
    if (setjmp(e->errors.jump)) {
        return false;
    }
    jpeg_compress_struct* cinfo = &e->cinfo;
    cinfo->err = &e->errors.pub;
    jpeg_create_compress(cinfo);
    e->created = true;
    e->dest.pub.init_destination = initDestination;
    e->dest.pub.empty_output_buffer = emptyOutputBuffer;
    e->dest.pub.term_destination = termDestination;
    cinfo->dest = &e->dest.pub;
    cinfo->image_width = JDIMENSION(shape->width);
    cinfo->image_height = JDIMENSION(shape->height);
    cinfo->input_components = shape->channels;
    cinfo->in_color_space = shape->channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    // Huffman tables made for the image need every coefficient of it first (2 bytes a sample):
    // 6 GB for a result of a gigapixel. A small result gets them; a larger one the standard
    // tables, a few per cent larger, and its rows are encoded as they come.
    const std::uint64_t coefficients = std::uint64_t(shape->width) * std::uint64_t(shape->height) *
                                       std::uint64_t(shape->channels) * 2;
    cinfo->optimize_coding = coefficients <= kOptimisedCodingBytes ? TRUE : FALSE;
    cinfo->dct_method = JDCT_ISLOW;
    // Full colour resolution at high quality: a facade's fine lines keep their colour.
    if (quality >= 90) {
        for (int c = 0; c < cinfo->num_components; ++c) {
            cinfo->comp_info[c].h_samp_factor = 1;
            cinfo->comp_info[c].v_samp_factor = 1;
        }
    }
    jpeg_start_compress(cinfo, TRUE);
    // The EXIF segment: "Exif", two zeros, the TIFF structure; one segment holds at most 65533.
    if (exifLength > 0 && exifLength + 6 <= 65533) {
        jpeg_write_m_header(cinfo, JPEG_APP0 + 1, unsigned(exifLength + 6));
        for (const char c : {'E', 'x', 'i', 'f', '\0', '\0'}) {
            jpeg_write_m_byte(cinfo, c);
        }
        for (std::size_t i = 0; i < exifLength; ++i) {
            jpeg_write_m_byte(cinfo, exif[i]);
        }
    }
    // A larger profile would wrap the segments' count round and be lost on reading.
    if (profileLength > 0 && profileLength <= kMaxJpegProfileBytes) {
        jpeg_write_icc_profile(cinfo, profile, unsigned(profileLength));
    }
    return true;
}

bool encodeRow(Encoder* e, std::uint8_t* row) {
    if (setjmp(e->errors.jump)) {
        return false;
    }
    JSAMPROW rows[1] = {row};
    jpeg_write_scanlines(&e->cinfo, rows, 1);
    return true;
}

bool finishEncoding(Encoder* e) {
    if (setjmp(e->errors.jump)) {
        return false;
    }
    jpeg_finish_compress(&e->cinfo);
    return true;
}

class JpegWriter : public RowWriter {
  public:
    JpegWriter(int fd, const RowShape& shape, const std::vector<std::uint8_t>& profile, int quality,
               const std::vector<std::uint8_t>& exif)
        : RowWriter(shape), encoder_(std::make_unique<Encoder>()) {
        initErrors(encoder_->errors);
        encoder_->dest.fd = fd;
        row_.resize(std::size_t(shape.width) * std::size_t(shape.channels));
        const std::string refusal = rowShapeRefusal(shape, JPEG_MAX_DIMENSION);
        if (!refusal.empty()) {
            fail(refusal);
        } else if (quality < 1 || quality > 100) {
            fail("La qualità JPEG deve essere fra 1 e 100.");
        } else if (!beginEncoding(encoder_.get(), &shape_, quality, profile.data(), profile.size(),
                                  exif.data(), exif.size())) {
            failed();
        }
    }
    ~JpegWriter() override {
        if (encoder_->created) {
            jpeg_destroy_compress(&encoder_->cinfo);
        }
    }
    bool writeRow(const std::uint8_t* samples) override {
        std::memcpy(row_.data(), samples, row_.size());
        return put();
    }
    bool writeRow(const std::uint16_t* samples) override {
        roundTo8Bits(samples, row_.size(), row_.data());
        return put();
    }

  private:
    bool completeFile() override { return finishEncoding(encoder_.get()) || failed(); }
    bool put() { return nextRow() && (encodeRow(encoder_.get(), row_.data()) || failed()); }
    bool failed() {
        // The encoder holds the whole image's coefficients to optimise its tables: a large
        // result may find no memory for them.
        if (encoder_->errors.pub.msg_code == JERR_OUT_OF_MEMORY) {
            return failForMemory("Memoria insufficiente per scrivere il file JPEG.");
        }
        return fail(encoder_->errors.pub.msg_code == JERR_FILE_WRITE
                        ? "Errore di scrittura del file JPEG: il disco è pieno o non scrivibile."
                        : std::string("Errore nella scrittura del file JPEG (") +
                              encoder_->errors.detail + ").");
    }
    std::unique_ptr<Encoder> encoder_;
    std::vector<std::uint8_t> row_;
};

}  // namespace

std::unique_ptr<RowWriter> makeJpegWriter(int fd, const RowShape& shape,
                                          const std::vector<std::uint8_t>& iccProfile, int quality,
                                          const std::vector<std::uint8_t>& exif) {
    return std::make_unique<JpegWriter>(fd, shape, iccProfile, quality, exif);
}

}  // namespace vesta
