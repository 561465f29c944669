// The rectification's pixel loop on a realistic construction: a photograph of the synthetic
// facade (4000 x 3000 palette, 6000 x 4000 colour), the four lines clicked on its true edges, an
// area on the facade, and the output spread over that area as N x N pixels.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "rectify/Bands.h"
#include "rectify/KnownMeasuresRectification.h"

#include "FrameOfSide.h"
#include "cli/HeadlessPlatform.h"
#include "construction/Commands.h"
#include "construction/Overlay.h"
#include "construction/PictureInput.h"
#include "facade/FacadeRenderer.h"
#include "geometry/Frame.h"
#include "image/BitmapFile.h"
#include "rectify/Rectification.h"
#include "ui/Startup.h"
#include "ui/Undo.h"

namespace {

using namespace vesta;

struct Construction {
    BlindPicture picture1, picture2;
    AnsweringDialogs dialogs{""};
    QuietEventLoop events;
    Context ctx{picture1, picture2, dialogs, events, Paths{}};
};

// The rolled sample's camera on a larger sensor, the principal point at its centre.
std::unique_ptr<Construction> realisticConstruction(int width, int height) {
    facade::FacadeScene scene = facade::samples::rolled();
    const double scale = height / double(scene.camera.height);
    scene.camera.width = width;
    scene.camera.height = height;
    scene.camera.focal *= scale;
    scene.camera.principal = {width / 2.0, height / 2.0};
    scene.supersampling = 1;
    auto c = std::make_unique<Construction>();
    Context& ctx = c->ctx;
    Form_Load(ctx, ScreenInfo{1920 * 15.0, 1080 * 15.0, 15.0, 15.0});
    ctx.s.sorgente.image = facade::renderFacade(scene);
    ctx.s.sorgente.intestazione = classicHeader(width, height);
    ctx.s.larghezzaPic1 = width;
    ctx.s.altezzaPic1 = height;
    ctx.s.centroX = scene.camera.principal.x;
    ctx.s.centroY = scene.camera.principal.y;
    for (const char* name : {"cornice-bottom", "string-course-top", "left", "right"}) {
        const auto edge =
            facade::projectEdge(scene.camera, facade::referenceEdge(scene.facade, name));
        for (const facade::ImagePoint p : {edge.from, edge.to}) {
            PICTURE1_MouseDown(ctx, float(p.x), float(p.y));
            Picture1_MouseUp(ctx, float(p.x), float(p.y));
        }
    }
    // The area: a box inside the facade's image, from 100 to 1100 cm across, 80 to 820 up.
    const auto at = [&](double u, double v) {
        return facade::projectFacadePoint(scene.camera, {u, v});
    };
    const facade::ImagePoint tl = at(100, 820), bl = at(100, 80), br = at(1100, 80),
                             tr = at(1100, 820);
    RETTANG3(ctx);
    for (const facade::ImagePoint p :
         {facade::ImagePoint{std::max(tl.x, bl.x), std::max(tl.y, tr.y)},
          facade::ImagePoint{std::min(tr.x, br.x), std::min(bl.y, br.y)}}) {
        PICTURE1_MouseDown(ctx, float(p.x), float(p.y));
        Picture1_MouseUp(ctx, float(p.x), float(p.y));
    }
    return c;
}

Construction& construction() {
    static const std::unique_ptr<Construction> c = realisticConstruction(4000, 3000);
    return *c;
}

// The 6000 x 4000 photograph in colour: the rendered palette image expanded through its palette.
struct ColourConstruction {
    std::unique_ptr<Construction> construction = realisticConstruction(6000, 4000);
    ColourImage photograph;
};

ColourConstruction& colourConstruction() {
    static ColourConstruction c = [] {
        ColourConstruction made;
        const IndexedImage& indexed = made.construction->ctx.s.sorgente.image;
        made.photograph.width = indexed.width;
        made.photograph.height = indexed.height;
        made.photograph.samples8.reserve(indexed.pixels.size() * 3);
        for (const std::uint8_t index : indexed.pixels) {
            const Rgb c = indexed.colour(index);
            made.photograph.samples8.insert(made.photograph.samples8.end(), {c.r, c.g, c.b});
        }
        return made;
    }();
    return c;
}

// The whole result, `pixels` of it, in bands handed to a sink that only reads them, on
// `threads` threads (0: every core).
void runBands(benchmark::State& state, const BandRectifier& rectifier, int threads,
              std::int64_t pixels) {
    BandOptions options;
    options.threads = threads;
    std::uint64_t checksum = 0;
    for (auto _ : state) {
        rectifyInBands(rectifier, options, [&](int first, const ColourImage& band) {
            checksum += band.samples8[std::size_t(first) % band.samples8.size()];
            return true;
        });
    }
    benchmark::DoNotOptimize(checksum);
    state.SetItemsProcessed(state.iterations() * pixels);
    state.counters["threads"] = threadsFor(options);
}

// The palette road of the window and the batch tool: side x side indices by the construction.
void paletteBands(benchmark::State& state, int threads) {
    WorkingState& s = construction().ctx.s;
    if (!construction().dialogs.messages.empty()) {
        state.SkipWithError(construction().dialogs.messages.front().c_str());
        return;
    }
    const int side = int(state.range(0));
    frameOfSide(*s.construction, side);
    const RectifyInputs in = RectifyInputs::from(s);
    runBands(state, BandRectifier(in, PixelMapping::construction(in), s.sorgente.image), threads,
             std::int64_t(side) * side);
}

void BM_Rectify(benchmark::State& state) {
    paletteBands(state, 1);
}
BENCHMARK(BM_Rectify)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);

void BM_RectifyAllCores(benchmark::State& state) {
    paletteBands(state, 0);
}
BENCHMARK(BM_RectifyAllCores)->Arg(3000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The window's road through RADDR1: the bands on both cores, the event loop between them, the
// scratch bitmap written and read back for Picture2, as the window keeps the result it shows.
void BM_WindowRectifyPalette(benchmark::State& state) {
    Construction& c = construction();
    if (!c.dialogs.messages.empty()) {
        state.SkipWithError(c.dialogs.messages.front().c_str());
        return;
    }
    const int side = int(state.range(0));
    frameOfSide(*c.ctx.s.construction, side);
    char folder[] = "/tmp/vesta-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        state.SkipWithError("no scratch folder");
        return;
    }
    c.ctx.paths.scratchDir = folder;
    c.picture2.keep = true;
    for (auto _ : state) {
        RADDR1(c.ctx);
        state.PauseTiming();
        if (!c.dialogs.messages.empty() || c.ctx.s.nRaddr != 1) {
            state.SkipWithError("the rectification did not run");
            break;
        }
        ALTRA1(c.ctx);
        state.ResumeTiming();
    }
    c.picture2.keep = false;
    std::filesystem::remove(c.ctx.paths.scratchFile());
    std::filesystem::remove(folder);
    state.SetItemsProcessed(state.iterations() * std::int64_t(side) * side);
}
BENCHMARK(BM_WindowRectifyPalette)->Arg(3000)->Unit(benchmark::kMillisecond)->UseRealTime();

void colourBands(benchmark::State& state, int threads) {
    ColourConstruction& c = colourConstruction();
    if (!c.construction->dialogs.messages.empty()) {
        state.SkipWithError(c.construction->dialogs.messages.front().c_str());
        return;
    }
    WorkingState& s = c.construction->ctx.s;
    frameOfSide(*s.construction, int(state.range(0)));
    const RectifyInputs in = RectifyInputs::from(s);
    runBands(
        state,
        BandRectifier(in, PixelMapping::construction(in), c.photograph, Interpolation::Bilinear),
        threads, state.range(0) * state.range(0));
}

void BM_RectifyColour(benchmark::State& state) {
    colourBands(state, 1);
}
BENCHMARK(BM_RectifyColour)->Arg(3000)->Unit(benchmark::kMillisecond);

void BM_RectifyColourAllCores(benchmark::State& state) {
    colourBands(state, 0);
}
BENCHMARK(BM_RectifyColourAllCores)->Arg(3000)->Unit(benchmark::kMillisecond)->UseRealTime();

// By known measures, on one thread: the frame's own size over the same area (the rectangle
// between cornice and string course is 1200 x 522 cm), a palette and a colour photograph.
void knownBands(benchmark::State& state, WorkingState& s, const ColourImage* colour) {
    s.misureNote = std::array<double, 2>{1200, 522};
    const Result<KnownMeasuresFrame> frame = knownMeasuresFrameOf(s);
    if (!frame.ok()) {
        state.SkipWithError(frame.error().c_str());
        return;
    }
    const RectifyInputs in = knownMeasuresInputs(frame.value());
    const BandRectifier rectifier =
        colour ? BandRectifier(in, PixelMapping::knownMeasures(frame.value()), *colour,
                               Interpolation::Bilinear)
               : BandRectifier(in, PixelMapping::knownMeasures(frame.value()), s.sorgente.image);
    runBands(state, rectifier, 1, std::int64_t(in.largOut) * in.altOut);
    state.counters["pixels"] = double(in.largOut) * in.altOut;
}

void BM_RectifyKnownMeasures(benchmark::State& state) {
    knownBands(state, construction().ctx.s, nullptr);
}
BENCHMARK(BM_RectifyKnownMeasures)->Unit(benchmark::kMillisecond);

void BM_RectifyKnownMeasuresColour(benchmark::State& state) {
    ColourConstruction& c = colourConstruction();
    knownBands(state, c.construction->ctx.s, &c.photograph);
}
BENCHMARK(BM_RectifyKnownMeasuresColour)->Unit(benchmark::kMillisecond);

}  // namespace
