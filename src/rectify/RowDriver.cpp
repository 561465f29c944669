#include "rectify/RowDriver.h"

#include <algorithm>
#include <atomic>

#include "state/Numbers.h"

namespace vesta {

RowsOutcome driveRows(Context& ctx, const BandRectifier& rectifier, ResultSink& sink,
                      const std::function<bool()>& anotherPhotograph) {
    std::atomic<bool> cancel{false};
    bool another = false;
    int rowsDone = 0;
    BandOptions options;
    options.cancel = &cancel;
    options.progress = [&](int done, int rows) {
        ctx.form.Text4.caption = strForm(floorInt(100.0 * done / rows)) + "%";
        ctx.events.yield();
        another = anotherPhotograph();
        if (ctx.s.interrompi == 1 || another) {
            cancel = true;
        }
    };
    const BandSink bands = [&](int first, const ColourImage& band) {
        if (!sink.put(first, band)) {
            return false;
        }
        rowsDone = first + band.height;
        return true;
    };
    const BandsOutcome outcome = rectifyInBands(rectifier, options, bands);
    if (another) {
        return RowsOutcome::AnotherPhotograph;
    }
    if (outcome == BandsOutcome::SinkStopped) {
        return sink.failure();
    }
    // A stopped result is complete all the same: the rows not computed are 0.
    if (rowsDone < rectifier.height()) {
        ColourImage zero{
            rectifier.width(), 1, rectifier.channels(), rectifier.bitsPerChannel(), {}, {}, {}, {}};
        const std::size_t n = zero.rowSamples();
        zero.bitsPerChannel == 16 ? zero.samples16.assign(n, 0) : zero.samples8.assign(n, 0);
        for (int r = rowsDone; r < rectifier.height(); ++r) {
            if (!sink.put(r, zero)) {
                return sink.failure();
            }
        }
    }
    return sink.finish() ? RowsOutcome::Written : sink.failure();
}

}  // namespace vesta
