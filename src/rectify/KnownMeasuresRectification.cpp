#include "rectify/KnownMeasuresRectification.h"

#include <atomic>
#include <vector>

#include "geometry/Construction.h"
#include "image/BitmapFile.h"
#include "rectify/Bands.h"
#include "state/Numbers.h"

namespace vesta {

Result<KnownMeasuresFrame> knownMeasuresFrameOf(const WorkingState& s) {
    if (!s.misureNote) {
        return Result<KnownMeasuresFrame>::failure("Misure note non date");
    }
    return knownMeasuresFrame(ConstructionClicks::from(s), (*s.misureNote)[0], (*s.misureNote)[1]);
}

RectifyInputs knownMeasuresInputs(const WorkingState& s, const KnownMeasuresFrame& frame) {
    RectifyInputs in;
    in.largOut = frame.largOut;
    in.altOut = frame.altOut;
    in.clipLeft = frame.clipLeft;
    in.clipTop = frame.clipTop;
    in.clipRight = frame.clipRight;
    in.clipBottom = frame.clipBottom;
    in.source = &s.sorgente.image;
    return in;
}

namespace {

ColourRows paletteRows(Context& ctx, const KnownMeasuresFrame& frame, const RectifyInputs& in,
                       const std::string& scratch) {
    WorkingState& s = ctx.s;
    BitmapWriter file;
    if (!file.open(scratch, s.sorgente.intestazione, s.sorgente.image.palette, in.largOut,
                   in.altOut)) {
        return ColourRows::WriteFailed;
    }
    const std::uint8_t* photograph = s.sorgente.image.pixels.data();
    const BandRectifier rectifier(in, frame, s.sorgente.image);
    std::atomic<bool> cancel{false};
    bool another = false;
    int rowsWritten = 0;
    BandOptions options;
    options.threads = 1;
    options.cancel = &cancel;
    options.progress = [&](int done, int rows) {
        ctx.form.Text4.caption = strForm(floorInt(100.0 * done / rows)) + "%";
        ctx.events.yield();
        another = s.sorgente.image.pixels.data() != photograph;
        if (s.interrompi == 1 || another) {
            cancel = true;
        }
    };
    const BandSink sink = [&](int first, const ColourImage& band) {
        for (int r = 0; r < band.height; ++r) {
            if (!file.writeRow(first + r,
                               band.samples8.data() + std::size_t(r) * band.rowSamples())) {
                return false;
            }
        }
        rowsWritten = first + band.height;
        return true;
    };
    const BandsOutcome outcome = rectifyInBands(rectifier, options, sink);
    if (another) {
        file.close();
        return ColourRows::AnotherPhotograph;
    }
    bool good = outcome != BandsOutcome::SinkStopped;
    const std::vector<std::uint8_t> zero(std::size_t(in.largOut), 0);
    for (int r = rowsWritten; good && r < in.altOut; ++r) {
        good = file.writeRow(r, zero.data());
    }
    return file.close() && good ? ColourRows::Written : ColourRows::WriteFailed;
}

}  // namespace

ColourRows rectifyByKnownMeasures(Context& ctx, const KnownMeasuresFrame& frame,
                                  const RectifyInputs& in, const std::string& scratch) {
    WorkingState& s = ctx.s;
    if (!s.aColori()) {
        return paletteRows(ctx, frame, in, scratch);
    }
    // Held here, so that an Open during the computing cannot take the photograph from under
    // the threads.
    const std::shared_ptr<const ColourImage> photograph = s.fotoColori;
    const BandRectifier rectifier(in, frame, *photograph,
                                  s.bilineare ? Interpolation::Bilinear : Interpolation::Nearest);
    return rectifyColourBands(ctx, rectifier, photograph, scratch);
}

}  // namespace vesta
