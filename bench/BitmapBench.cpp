// Opening and writing large photographs: the reader and the writer on real files on disk.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "image/BitmapFile.h"

namespace {

std::string photograph(int width, int height) {
    const auto path =
        std::filesystem::temp_directory_path() /
        ("vesta-bench-" + std::to_string(width) + "x" + std::to_string(height) + ".bmp");
    if (!std::filesystem::exists(path)) {
        vesta::IndexedImage image{width, height, {}, {}};
        image.pixels.resize(std::size_t(width) * height);
        for (std::size_t i = 0; i < image.pixels.size(); ++i) {
            image.pixels[i] = std::uint8_t(i * 2654435761u >> 24);
        }
        vesta::writeBitmapFile(path.string(), vesta::classicHeader(width, height), image);
    }
    return path.string();
}

void BM_ReadPhotograph(benchmark::State& state) {
    const std::string path = photograph(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        auto read = vesta::readSourceBitmap(path);
        benchmark::DoNotOptimize(read.value().image.pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_ReadPhotograph)->Args({1024, 768})->Args({6000, 4000})->Unit(benchmark::kMillisecond);

void BM_WriteRectified(benchmark::State& state) {
    const int side = int(state.range(0));
    vesta::IndexedImage image{
        side, side, {}, std::vector<std::uint8_t>(std::size_t(side) * side, 7)};
    const auto path = std::filesystem::temp_directory_path() / "vesta-bench-out.bmp";
    for (auto _ : state) {
        vesta::writeBitmapFile(path.string(), vesta::classicHeader(side, side), image);
    }
    state.SetBytesProcessed(state.iterations() * side * side);
}
BENCHMARK(BM_WriteRectified)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace
