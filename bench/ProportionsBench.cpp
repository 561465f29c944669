// The uncertainty of the proportions is computed after every construction, on the panel's
// time: the rolled sample's clicks at 800 x 600 and at five times the size, whose frame (and
// division tables) every perturbed construction makes again.
#include <benchmark/benchmark.h>

#include <cmath>

#include "facade/FacadeRenderer.h"
#include "geometry/KnownMeasures.h"
#include "geometry/Uncertainty.h"

namespace {

using namespace vesta;

ConstructionClicks rolledClicks(double scale) {
    facade::PinholeCamera cam = facade::samples::rolled().camera;
    cam.width = int(cam.width * scale);
    cam.height = int(cam.height * scale);
    cam.focal *= scale;
    cam.principal = {cam.principal.x * scale, cam.principal.y * scale};
    const facade::FacadeLayout layout = facade::standardFacade();
    ConstructionClicks c;
    std::size_t k = 0;
    for (const char* name : {"cornice-bottom", "string-course-top", "left", "right"}) {
        const auto edge = facade::projectEdge(cam, facade::referenceEdge(layout, name));
        c.lines[k++] = {Point{std::floor(edge.from.x), std::floor(edge.from.y)},
                        Point{std::floor(edge.to.x), std::floor(edge.to.y)}};
    }
    const auto at = [&](double u, double v) { return facade::projectFacadePoint(cam, {u, v}); };
    const facade::ImagePoint tl = at(100, 820), bl = at(100, 80), br = at(1100, 80),
                             tr = at(1100, 820);
    const double left = std::floor(std::max(tl.x, bl.x)), top = std::floor(std::max(tl.y, tr.y));
    const double right = std::floor(std::min(tr.x, br.x)),
                 bottom = std::floor(std::min(bl.y, br.y));
    c.areaDefined = true;
    c.area = {Point{left, top}, Point{left, bottom}, Point{right, bottom}, Point{right, top}};
    c.width = cam.width;
    c.height = cam.height;
    c.principal = Point{cam.principal.x, cam.principal.y};
    return c;
}

void BM_ProportionUncertainty(benchmark::State& state) {
    const ConstructionClicks clicks = rolledClicks(double(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(proportionUncertainty(clicks));
    }
}
BENCHMARK(BM_ProportionUncertainty)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

// The same with a lens's bend fitted to the lines: each perturbation also moves every end by a
// drawn error of k1.
void BM_ProportionUncertaintyFittedLens(benchmark::State& state) {
    const ConstructionClicks clicks = rolledClicks(double(state.range(0)));
    FittedBend bend;
    bend.lens = RadialLens::ofPhotograph(0.05, int(clicks.width), int(clicks.height));
    bend.pointSigma = 0.5;
    bend.k1Weight = 4e6;
    for (auto _ : state) {
        benchmark::DoNotOptimize(proportionUncertainty(clicks, bend));
    }
}
BENCHMARK(BM_ProportionUncertaintyFittedLens)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

// One output row of the known-measures frame: the source points a sampler consumes.
void BM_KnownMeasuresRow(benchmark::State& state) {
    const KnownMeasuresFrame f = knownMeasuresFrame(rolledClicks(5), 1200, 522).value();
    std::vector<double> sx(std::size_t(f.largOut)), sy(std::size_t(f.largOut));
    int row = 0;
    for (auto _ : state) {
        f.sourcePointsOfRow(row, sx.data(), sy.data());
        benchmark::DoNotOptimize(sx.data());
        row = (row + 1) % f.altOut;
    }
    state.SetItemsProcessed(state.iterations() * f.largOut);
}
BENCHMARK(BM_KnownMeasuresRow);

}  // namespace
