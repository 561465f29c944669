// Finding the lines of a 24-megapixel camera photograph of a facade, on one core: the segments
// on a reduced copy, grouped, each line then drawn onto its edge in the whole photograph.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>

#include "autolines/LsdDetector.h"
#include "construction/FoundLines.h"
#include "facade/FacadeRenderer.h"

namespace {

using namespace vesta;

// The centred sample's camera with a 6000 x 4000 sensor, its picture in colour with grain.
ColourImage facadePhotograph() {
    facade::FacadeScene scene = facade::samples::centred();
    scene.supersampling = 1;
    facade::PinholeCamera& cam = scene.camera;
    const double scale = 6000.0 / cam.width;
    cam.focal *= scale;
    cam.width = 6000;
    cam.height = 4000;
    cam.principal = {3000, 2000};
    const IndexedImage rendered = facade::renderFacade(scene);
    ColourImage image{6000, 4000, 3, 8, {}, {}, {}, {}};
    image.samples8.resize(image.rowSamples() * 4000);
    std::uint32_t grain = 1;
    std::uint8_t* p = image.samples8.data();
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            grain = grain * 1664525u + 1013904223u;
            const Rgb c = rendered.colour(rendered.row(y)[x]);
            const int g = int(grain >> 29) - 4;
            *p++ = std::uint8_t(std::clamp(c.r + g, 0, 255));
            *p++ = std::uint8_t(std::clamp(c.g + g, 0, 255));
            *p++ = std::uint8_t(std::clamp(c.b + g, 0, 255));
        }
    }
    return image;
}

void BM_FindLines24Mp(benchmark::State& state) {
    static const ColourImage photo = facadePhotograph();
    const GreyView view(photo);
    std::size_t found = 0;
    for (auto _ : state) {
        const GroupedLines lines = findLines(view, detectSegments);
        found = lines.horizontal.size() + lines.vertical.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["lines"] = double(found);
}
BENCHMARK(BM_FindLines24Mp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
