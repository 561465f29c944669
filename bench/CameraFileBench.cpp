// Opening a camera's photograph: a 24-megapixel JPEG read from disk, decoded and turned upright.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "CameraPhotograph.h"
#include "codec/CameraFile.h"
#include "codec/ColourFileWriter.h"
#include "codec/JpegFile.h"

namespace {

void BM_ReadJpeg(benchmark::State& state) {
    const std::string path = vesta::bench::cameraPhotograph(int(state.range(0)));
    for (auto _ : state) {
        auto read = vesta::readCameraFile(path);
        if (!read.ok()) {
            state.SkipWithError(read.error().c_str());
            break;
        }
        benchmark::DoNotOptimize(read.value().image.samples8.data());
    }
    state.SetItemsProcessed(state.iterations() * 6000 * 4000);
}
// Orientation 1: as stored; 6: a portrait, turned a quarter on opening.
BENCHMARK(BM_ReadJpeg)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first view the window shows while the whole photograph is decoded: reduced in the DCT to
// fit the window of a 1400 x 1000 screen (a quarter of each side).
void BM_JpegFirstView(benchmark::State& state) {
    const std::vector<std::uint8_t> bytes =
        vesta::readCameraFileBytes(vesta::bench::cameraPhotograph(int(state.range(0))))
            .value()
            .bytes;
    for (auto _ : state) {
        auto view = vesta::decodeJpegFirstView(bytes.data(), bytes.size(), 1150, 900);
        if (!view.ok()) {
            state.SkipWithError("no first view");
            break;
        }
        benchmark::DoNotOptimize(view.value().image.samples8.data());
    }
}
BENCHMARK(BM_JpegFirstView)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteJpeg(benchmark::State& state) {
    vesta::ColourImage image;
    image.width = 3000;
    image.height = 3000;
    image.channels = 3;
    image.samples8.assign(image.rowSamples() * std::size_t(image.height), 0);
    for (std::size_t i = 0; i < image.samples8.size(); ++i) {
        image.samples8[i] = std::uint8_t((i / 3 % 3000) / 12 + (i * 2654435761u >> 30));
    }
    const auto path = std::filesystem::temp_directory_path() / "vesta-bench-out.jpg";
    for (auto _ : state) {
        benchmark::DoNotOptimize(vesta::saveColourImage(path.string(), image));
    }
    state.SetItemsProcessed(state.iterations() * 3000 * 3000);
}
BENCHMARK(BM_WriteJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
