#include "codec/JpegDecoder.h"

#include <algorithm>
#include <climits>
#include <cstring>

// clang-format off
#include <jerror.h>
// clang-format on

#include "codec/ExifReader.h"
#include "codec/ResultExif.h"

namespace vesta {

namespace {

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
bool finishDecompress(JpegDecoder* d) {
    if (setjmp(d->errors.jump)) {
        return false;
    }
    jpeg_finish_decompress(&d->cinfo);
    return true;
}

}  // namespace

bool readJpegHeader(JpegDecoder* d, const std::uint8_t* data, std::size_t size) {
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

std::string jpegDecodeRefusal(JpegDecoder& d, const DecodeLimits& limits) {
    jpeg_decompress_struct& cinfo = d.cinfo;
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        return "Il file JPEG è in quadricromia (CMYK): servono fotografie a colori RGB o "
               "in scala di grigi.";
    }
    if (cinfo.num_components != 1 && cinfo.num_components != 3) {
        return "Il file JPEG ha " + std::to_string(cinfo.num_components) +
               " componenti di colore: ne servono 1 o 3.";
    }
    const int channels = cinfo.num_components;
    std::string tooLarge =
        colourSizeRefusal(cinfo.image_width, cinfo.image_height, channels, 8, limits);
    if (!tooLarge.empty()) {
        return tooLarge;
    }
    // The decoded image and the band are counted first; what is left bounds libjpeg's own
    // memory, above all the coefficients of a progressive file (about 2 bytes a sample, for
    // the whole image), which it then refuses to take rather than going past the limit.
    const std::uint64_t rowBytes = std::uint64_t(cinfo.image_width) * std::uint64_t(channels);
    const std::uint64_t ours = rowBytes * (std::uint64_t(cinfo.image_height) + kJpegBand);
    if (ours >= limits.maxBytes) {
        return tooLargeForMemory(cinfo.image_width, cinfo.image_height);
    }
    cinfo.mem->max_memory_to_use = long(std::min<std::uint64_t>(limits.maxBytes - ours, LONG_MAX));
    cinfo.out_color_space = channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    cinfo.dct_method = JDCT_ISLOW;
    return {};
}

void readJpegExif(const jpeg_decompress_struct& cinfo, DecodedImage& into) {
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length > 6 &&
            std::memcmp(m->data, "Exif\0\0", 6) == 0) {
            into.facts = readExifFacts(m->data, m->data_length);
            into.image.exif = exifForResults(m->data, m->data_length);
            return;
        }
    }
}

bool readJpegProfile(JpegDecoder* d, JOCTET** profile, unsigned int* length) {
    if (setjmp(d->errors.jump)) {
        return false;
    }
    return jpeg_read_icc_profile(&d->cinfo, profile, length);
}

bool startJpegDecompress(JpegDecoder* d) {
    if (setjmp(d->errors.jump)) {
        return false;
    }
    jpeg_start_decompress(&d->cinfo);
    return true;
}

bool readJpegRows(JpegDecoder* d, std::uint8_t* out, std::size_t stride, JDIMENSION wanted) {
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

bool finishJpegDecompress(JpegDecoder* d) {
    if (d->errors.missingEnd && !everyScanRead(d->cinfo, d->errors.scannedComponents)) {
        return false;
    }
    return finishDecompress(d);
}

std::string jpegDamage(const JpegDecoder& d) {
    if (d.errors.tooManyScans) {
        return "Il file JPEG è danneggiato: dichiara troppe scansioni progressive.";
    }
    const int code = d.errors.pub.msg_code;
    if (code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY) {
        return tooLargeForMemory(d.cinfo.image_width, d.cinfo.image_height);
    }
    if (d.errors.missingEnd) {
        return "Il file JPEG è incompleto: finisce prima della fine dell'immagine.";
    }
    if (d.errors.corrupt) {
        return std::string("Il file JPEG è danneggiato: mancano dati o sono alterati (") +
               d.errors.detail + ").";
    }
    return std::string("Il file JPEG è danneggiato e non si può leggere (") + d.errors.detail +
           ").";
}

}  // namespace vesta
