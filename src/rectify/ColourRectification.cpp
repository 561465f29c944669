#include "rectify/ColourRectification.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

#include "codec/ColourFileWriter.h"
#include "rectify/Bands.h"
#include "state/LargePages.h"
#include "state/Numbers.h"

namespace vesta {

namespace {

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return fd >= 0 && ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool writeRow(RowWriter& writer, const ColourImage& band, std::size_t at) {
    return band.bitsPerChannel == 16 ? writer.writeRow(band.samples16.data() + at)
                                     : writer.writeRow(band.samples8.data() + at);
}

}  // namespace

ColourRows rectifyColour(Context& ctx, const RectifyInputs& in, const std::string& scratch) {
    WorkingState& s = ctx.s;
    // Held here, so that an Open during the computing cannot take the photograph from under
    // the threads.
    const std::shared_ptr<const ColourImage> photograph = s.fotoColori;
    if (!photograph) {
        return ColourRows::WriteFailed;
    }
    const BandRectifier rectifier(in, *photograph,
                                  s.bilineare ? Interpolation::Bilinear : Interpolation::Nearest);
    return rectifyColourBands(ctx, rectifier, photograph, scratch);
}

ColourRows rectifyColourBands(Context& ctx, const BandRectifier& rectifier,
                              const std::shared_ptr<const ColourImage>& photograph,
                              const std::string& scratch) {
    WorkingState& s = ctx.s;
    const Result<ColourFileFormat> format = colourFormatForPath(s.formatoRisultato);
    if (!photograph || !format.ok()) {
        return ColourRows::WriteFailed;
    }
    const RowShape shape{rectifier.width(), rectifier.height(), rectifier.channels(),
                         rectifier.bitsPerChannel()};
    Fd fd(::open(scratch.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (fd.get() < 0) {
        return ColourRows::WriteFailed;
    }
    ColourWriteOptions written;
    written.exif = photograph->exif;
    std::unique_ptr<RowWriter> writer =
        makeColourWriter(format.value(), fd.get(), shape, photograph->iccProfile, written);
    if (!writer) {
        return ColourRows::WriteFailed;
    }
    ColourImage shown;
    const bool keep = ctx.picture2.shown();
    if (keep) {
        shown.width = shape.width;
        shown.height = shape.height;
        shown.channels = shape.channels;
        shown.bitsPerChannel = shape.bitsPerChannel;
        shown.iccProfile = photograph->iccProfile;
        shown.exif = photograph->exif;
        const std::size_t n = shown.rowSamples() * std::size_t(shape.height);
        if (shape.bitsPerChannel == 16) {
            resizeImageBuffer(shown.samples16, n);
        } else {
            resizeImageBuffer(shown.samples8, n);
        }
    }

    std::atomic<bool> cancel{false};
    bool another = false;
    int rowsWritten = 0;
    BandOptions options;
    options.cancel = &cancel;
    options.progress = [&](int done, int rows) {
        ctx.form.Text4.caption = strForm(floorInt(100.0 * done / rows)) + "%";
        ctx.events.yield();
        if (s.fotoColori != photograph) {
            another = true;
        }
        if (s.interrompi == 1 || another) {
            cancel = true;
        }
    };
    const BandSink sink = [&](int first, const ColourImage& band) {
        const std::size_t n = band.rowSamples();
        const int rows = band.height;
        for (int r = 0; r < rows; ++r) {
            if (!writeRow(*writer, band, std::size_t(r) * n)) {
                return false;
            }
        }
        if (keep) {
            const std::size_t at = std::size_t(first) * n;
            if (band.bitsPerChannel == 16) {
                std::copy_n(band.samples16.data(), n * std::size_t(rows),
                            shown.samples16.data() + at);
            } else {
                std::copy_n(band.samples8.data(), n * std::size_t(rows),
                            shown.samples8.data() + at);
            }
        }
        rowsWritten = first + rows;
        return true;
    };
    const BandsOutcome outcome = rectifyInBands(rectifier, options, sink);
    if (another) {
        return ColourRows::AnotherPhotograph;
    }
    // The writer's own failure: a full disk, or an encoder without memory.
    const auto failed = [&] {
        return writer->outOfMemory() ? ColourRows::OutOfMemory : ColourRows::WriteFailed;
    };
    if (outcome == BandsOutcome::SinkStopped) {
        return failed();
    }
    // A cancelled result is complete all the same: the rows not computed are black.
    if (rowsWritten < shape.height) {
        const std::size_t n = std::size_t(shape.width) * std::size_t(shape.channels);
        const std::vector<std::uint8_t> black8(n, 0);
        const std::vector<std::uint16_t> black16(n, 0);
        for (int r = rowsWritten; r < shape.height; ++r) {
            const bool good = shape.bitsPerChannel == 16 ? writer->writeRow(black16.data())
                                                         : writer->writeRow(black8.data());
            if (!good) {
                return failed();
            }
        }
    }
    if (!writer->finish()) {
        return failed();
    }
    if (!fd.close()) {
        return ColourRows::WriteFailed;
    }
    if (keep) {
        s.risultatoColori = std::move(shown);
    }
    return ColourRows::Written;
}

void bilineare_Click(Context& ctx) {
    ctx.s.bilineare = !ctx.s.bilineare;
    ctx.form.bilineare.checked = ctx.s.bilineare;
}

}  // namespace vesta
