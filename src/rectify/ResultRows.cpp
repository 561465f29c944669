#include "rectify/ResultRows.h"

#include "rectify/HeldPhotograph.h"
#include "rectify/PixelMapping.h"
#include "rectify/ResultSinks.h"

namespace vesta {

RowsOutcome rectifyIntoScratch(Context& ctx, const RectifyInputs& straight,
                               const std::optional<KnownMeasuresFrame>& known,
                               const std::string& scratch) {
    WorkingState& s = ctx.s;
    const HeldPhotograph photograph(s);
    const auto another = [&] { return photograph.replaced(); };
    RectifyInputs in = straight;
    PixelMapping mapping =
        known ? PixelMapping::knownMeasures(*known) : PixelMapping::construction(in);
    if (const auto lens =
            photographLens(s.lensK1, s.lensProfile, s.larghezzaSorg(), s.altezzaSorg())) {
        mapping.bendByLens(*lens, in);
    }
    if (const IndexedImage* palette = photograph.palette()) {
        const std::unique_ptr<ResultSink> sink = paletteFileSink(
            scratch, s.sorgente.intestazione, palette->palette, in.largOut, in.altOut);
        if (!sink) {
            return RowsOutcome::NotOpened;
        }
        return driveRows(ctx, BandRectifier(in, std::move(mapping), *palette), *sink, another);
    }
    const ColourImage& colour = *photograph.colour();
    const BandRectifier rectifier(in, std::move(mapping), colour,
                                  s.bilineare ? Interpolation::Bilinear : Interpolation::Nearest);
    const ColourImage shape{rectifier.width(),
                            rectifier.height(),
                            rectifier.channels(),
                            rectifier.bitsPerChannel(),
                            {},
                            {},
                            colour.iccProfile,
                            colour.exif};
    const std::unique_ptr<ColourFileSink> sink =
        ColourFileSink::open(scratch, s.formatoRisultato, shape, ctx.picture2.shown());
    if (!sink) {
        return RowsOutcome::NotOpened;
    }
    const RowsOutcome rows = driveRows(ctx, rectifier, *sink, another);
    if (rows == RowsOutcome::Written) {
        s.risultatoColori = sink->keptResult();
    }
    return rows;
}

}  // namespace vesta
