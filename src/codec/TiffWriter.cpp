#include <tiffio.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "codec/ResultExif.h"
#include "codec/TiffExif.h"
#include "codec/TiffFile.h"
#include "codec/TiffIo.h"

namespace vesta {

namespace {

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
    TiffOptions options_;
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
