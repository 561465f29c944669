// The steps of decoding a JPEG file held in memory, each a call into libjpeg behind its own
// setjmp, and what the whole image and its reduced first view share: the checks of the header
// and the messages of a damaged file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/DecodeLimits.h"
#include "codec/DecodedImage.h"
#include "codec/JpegErrors.h"
#include "state/Result.h"

namespace vesta {

struct JpegDecoder {
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    bool created = false;
    JpegDecoder() { initJpegErrors(errors); }
    ~JpegDecoder() {
        if (created) {
            jpeg_destroy_decompress(&cinfo);
        }
    }
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;
};

// Rows read a band at a time: the band counts against the limits with the image.
inline constexpr int kJpegBand = 64;

// Starts the decompression and reads the header, keeping the EXIF and ICC markers.
bool readJpegHeader(JpegDecoder* d, const std::uint8_t* data, std::size_t size);
// Empty when the header's image can be decoded whole within the limits (grey or colour, of a
// size they take), else the Italian reason. libjpeg's own memory is then bounded by what is
// left, so a progressive file's coefficients are refused rather than taken past the limit.
std::string jpegDecodeRefusal(JpegDecoder& d, const DecodeLimits& limits);
// The camera's facts and the EXIF a result keeps, from the header's APP1 marker.
void readJpegExif(const jpeg_decompress_struct& cinfo, DecodedImage& into);
bool readJpegProfile(JpegDecoder* d, JOCTET** profile, unsigned int* length);
bool startJpegDecompress(JpegDecoder* d);
// Reads the next `wanted` rows (fewer at the end of the image) into `out`, row i at i * stride.
bool readJpegRows(JpegDecoder* d, std::uint8_t* out, std::size_t stride, JDIMENSION wanted);
// Every row is read: true when the file, complete or lacking only its end marker, held them
// all, and the decompression is finished.
bool finishJpegDecompress(JpegDecoder* d);
// The Italian message of a step that failed.
std::string jpegDamage(const JpegDecoder& d);

}  // namespace vesta
