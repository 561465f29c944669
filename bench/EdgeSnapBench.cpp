// Drawing a clicked line onto the edge of a 24-megapixel photograph happens at the click: a
// line across the whole photograph, as long as a line gets, in a colour image with grain.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "image/EdgeSnap.h"

namespace {

using namespace vesta;

// 6000 x 4000 RGB: a dark half over a light one, meeting on a slightly slanted line, with grain.
ColourImage edgePhotograph() {
    ColourImage image{6000, 4000, 3, 8, {}, {}, {}, {}};
    image.samples8.resize(image.rowSamples() * 4000);
    std::uint32_t grain = 1;
    std::uint8_t* p = image.samples8.data();
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            grain = grain * 1664525u + 1013904223u;
            const double edge = 2000 + 0.03 * (x - 3000);
            const double cover = std::fmin(1, std::fmax(0, y + 0.5 - edge));
            const int level = int(60 + 120 * cover) + int(grain >> 28) - 8;
            *p++ = std::uint8_t(level);
            *p++ = std::uint8_t(level);
            *p++ = std::uint8_t(level + 10);
        }
    }
    return image;
}

void BM_SnapLine(benchmark::State& state) {
    static const ColourImage photo = edgePhotograph();
    const GreyView view(photo);
    // Both ends clicked 3 px off the edge (at y 1919 and 2081), within reach: a snap that is
    // refused would time only the search.
    if (!snapToEdge(view, {300, 1916}, {5700, 2084}, 5)) {
        state.SkipWithError("the edge was not found");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(snapToEdge(view, {300, 1916}, {5700, 2084}, 5));
    }
}
BENCHMARK(BM_SnapLine)->Unit(benchmark::kMillisecond);

}  // namespace
