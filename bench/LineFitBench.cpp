// Fitting the vanishing points to many lines runs after every further line and in every one of
// the uncertainty's perturbed constructions: 30 lines of the rolled sample's facade, 15 a
// direction, fitted freely and, given the focal length, by the camera's turn; and the
// uncertainty that repeats it.
#include <benchmark/benchmark.h>

#include <cmath>

#include "facade/FacadeRenderer.h"
#include "geometry/Construction.h"
#include "geometry/Uncertainty.h"

namespace {

using namespace vesta;

ConstructionClicks thirtyLines() {
    const facade::PinholeCamera cam = facade::samples::rolled().camera;
    const auto at = [&](double u, double v) {
        const facade::ImagePoint p = facade::projectFacadePoint(cam, {u, v});
        return Point{std::floor(p.x), std::floor(p.y)};
    };
    ConstructionClicks c;
    for (int i = 0; i < 15; ++i) {
        const ClickedSegment h{{at(150, 100 + 48.0 * i), at(1050, 100 + 48.0 * i)}, {0.29, 0.29}};
        const ClickedSegment v{{at(120 + 64.0 * i, 120), at(120 + 64.0 * i, 800)}, {0.29, 0.29}};
        if (i < 2) {
            c.lines[std::size_t(i)] = h.ends;
            c.lines[std::size_t(i) + 2] = v.ends;
        } else {
            c.moreHorizontal.push_back(h);
            c.moreVertical.push_back(v);
        }
    }
    c.principal = {cam.principal.x, cam.principal.y};
    return c;
}

void BM_FitThirtyLines(benchmark::State& state) {
    ConstructionClicks clicks = thirtyLines();
    if (state.range(0) == 1) {
        clicks.givenDistance = facade::samples::rolled().camera.focal;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(fittedVanishingPoints(clicks));
    }
}
BENCHMARK(BM_FitThirtyLines)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The panel's sigma after each line repeats the whole construction on 500 perturbed clicks, the
// fit among it.
void BM_ThirtyLinesUncertainty(benchmark::State& state) {
    ConstructionClicks clicks = thirtyLines();
    const facade::PinholeCamera cam = facade::samples::rolled().camera;
    clicks.width = cam.width;
    clicks.height = cam.height;
    if (state.range(0) == 1) {
        clicks.givenDistance = cam.focal;
    }
    if (proportionUncertainty(clicks).indeterminate) {
        state.SkipWithError("no sigma");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(proportionUncertainty(clicks));
    }
}
BENCHMARK(BM_ThirtyLinesUncertainty)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
