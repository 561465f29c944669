#include "codec/JpegFile.h"

#include <cstring>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "codec/JpegErrors.h"

namespace vesta {

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
        initJpegErrors(encoder_->errors);
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
