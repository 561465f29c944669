#include "rectify/ResultSinks.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "codec/ColourFileWriter.h"
#include "image/BitmapFile.h"
#include "state/LargePages.h"

namespace vesta {

namespace {

class PaletteFileSink : public ResultSink {
  public:
    bool open(const std::string& scratch, const HeaderBlock& header, const PaletteBlock& palette,
              int width, int height) {
        return file_.open(scratch, header, palette, width, height);
    }
    bool put(int firstRow, const ColourImage& band) override {
        for (int r = 0; r < band.height; ++r) {
            if (!file_.writeRow(firstRow + r,
                                band.samples8.data() + std::size_t(r) * band.rowSamples())) {
                return false;
            }
        }
        return true;
    }
    bool finish() override { return file_.close(); }

  private:
    BitmapWriter file_;
};

}  // namespace

std::unique_ptr<ResultSink> paletteFileSink(const std::string& scratch, const HeaderBlock& header,
                                            const PaletteBlock& palette, int width, int height) {
    auto sink = std::make_unique<PaletteFileSink>();
    if (!sink->open(scratch, header, palette, width, height)) {
        return nullptr;
    }
    return sink;
}

std::unique_ptr<ColourFileSink> ColourFileSink::open(const std::string& scratch,
                                                     const std::string& formatPath,
                                                     const ColourImage& shape, bool keep) {
    const Result<ColourFileFormat> format = colourFormatForPath(formatPath);
    if (!format.ok()) {
        return nullptr;
    }
    std::unique_ptr<ColourFileSink> sink(new ColourFileSink);
    sink->fd_ = ::open(scratch.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (sink->fd_ < 0) {
        return nullptr;
    }
    ColourWriteOptions written;
    written.exif = shape.exif;
    sink->writer_ =
        makeColourWriter(format.value(), sink->fd_,
                         RowShape{shape.width, shape.height, shape.channels, shape.bitsPerChannel},
                         shape.iccProfile, written);
    if (!sink->writer_) {
        return nullptr;
    }
    sink->keep_ = keep;
    if (keep) {
        ColourImage& shown = sink->shown_;
        shown = ColourImage{shape.width, shape.height, shape.channels,   shape.bitsPerChannel,
                            {},          {},           shape.iccProfile, shape.exif};
        const std::size_t n = shown.rowSamples() * std::size_t(shape.height);
        if (shape.bitsPerChannel == 16) {
            resizeImageBuffer(shown.samples16, n);
        } else {
            resizeImageBuffer(shown.samples8, n);
        }
    }
    return sink;
}

ColourFileSink::~ColourFileSink() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool ColourFileSink::put(int firstRow, const ColourImage& band) {
    const std::size_t n = band.rowSamples();
    const bool deep = band.bitsPerChannel == 16;
    for (int r = 0; r < band.height; ++r) {
        const std::size_t at = std::size_t(r) * n;
        if (!(deep ? writer_->writeRow(band.samples16.data() + at)
                   : writer_->writeRow(band.samples8.data() + at))) {
            return false;
        }
    }
    if (keep_) {
        const std::size_t at = std::size_t(firstRow) * n, count = n * std::size_t(band.height);
        if (deep) {
            std::copy_n(band.samples16.data(), count, shown_.samples16.data() + at);
        } else {
            std::copy_n(band.samples8.data(), count, shown_.samples8.data() + at);
        }
    }
    return true;
}

bool ColourFileSink::finish() {
    if (!writer_->finish()) {
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
}

// The writer's own failure: a full disk, or an encoder without memory.
RowsOutcome ColourFileSink::failure() const {
    return writer_->outOfMemory() ? RowsOutcome::OutOfMemory : RowsOutcome::WriteFailed;
}

}  // namespace vesta
