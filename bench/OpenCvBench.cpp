// The yardstick of the palette road: OpenCV's warpPerspective, nearest pixel, one channel, a
// 3000 x 3000 output from the same 4000 x 3000 photograph of the facade over the same area as
// BM_Rectify/3000, on one thread and on every core. Built beside the rectification's own cases,
// so that both are timed in one run.
#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "facade/FacadeRenderer.h"

namespace {

using namespace vesta;

struct Warp {
    cv::Mat photograph;
    cv::Mat outputToSource;
};

// The rolled sample's camera on a 4000 x 3000 sensor; the output spans the facade from 100 to
// 1100 cm across and 820 down to 80 cm up, as the rectification's benchmark area does.
const Warp& warp() {
    static const Warp w = [] {
        facade::FacadeScene scene = facade::samples::rolled();
        const int width = 4000, height = 3000;
        const double scale = height / double(scene.camera.height);
        scene.camera.width = width;
        scene.camera.height = height;
        scene.camera.focal *= scale;
        scene.camera.principal = {width / 2.0, height / 2.0};
        scene.supersampling = 1;
        const IndexedImage image = facade::renderFacade(scene);
        Warp made;
        made.photograph = cv::Mat(height, width, CV_8UC1);
        std::copy(image.pixels.begin(), image.pixels.end(), made.photograph.data);
        const auto at = [&](double u, double v) {
            const facade::ImagePoint p = facade::projectFacadePoint(scene.camera, {u, v});
            return cv::Point2f(float(p.x), float(p.y));
        };
        const cv::Point2f output[] = {{0, 0}, {3000, 0}, {3000, 3000}, {0, 3000}};
        const cv::Point2f source[] = {at(100, 820), at(1100, 820), at(1100, 80), at(100, 80)};
        made.outputToSource = cv::getPerspectiveTransform(output, source);
        return made;
    }();
    return w;
}

void openCvWarp(benchmark::State& state, int threads) {
    const Warp& w = warp();
    const int side = int(state.range(0));
    const int before = cv::getNumThreads();
    cv::setNumThreads(threads);
    cv::Mat out;
    for (auto _ : state) {
        cv::warpPerspective(w.photograph, out, w.outputToSource, cv::Size(side, side),
                            cv::INTER_NEAREST | cv::WARP_INVERSE_MAP, cv::BORDER_CONSTANT, 0);
        benchmark::DoNotOptimize(out.data);
    }
    state.counters["threads"] = cv::getNumThreads();
    cv::setNumThreads(before);
    state.SetItemsProcessed(state.iterations() * std::int64_t(side) * side);
}

void BM_OpenCvWarpNearest(benchmark::State& state) {
    openCvWarp(state, 1);
}
BENCHMARK(BM_OpenCvWarpNearest)->Arg(3000)->Unit(benchmark::kMillisecond);

// Every core OpenCV's own pool takes (setNumThreads(-1): its default).
void BM_OpenCvWarpNearestAllCores(benchmark::State& state) {
    openCvWarp(state, -1);
}
BENCHMARK(BM_OpenCvWarpNearestAllCores)->Arg(3000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
