// Opening a photograph whose folder holds many kept constructions of other photographs: how
// long the window takes to find the ones it may offer.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "sidecar/ConstructionFile.h"

namespace {

namespace fs = std::filesystem;

// A folder with a small photograph and 300 records of another photograph of about `bytes`
// each (a long reference text fills them), made once for each size.
fs::path folderOfRecords(std::size_t bytes) {
    const fs::path folder =
        fs::temp_directory_path() / ("vesta-bench-records-" + std::to_string(bytes));
    if (fs::exists(folder / "facciata.bmp")) {
        return folder;
    }
    fs::create_directories(folder);
    vesta::ConstructionRecord r;
    r.photograph = "altra.bmp";
    r.sha256 = std::string(64, 'a');
    r.referenceLength = std::string(bytes, '1');
    const std::string text = vesta::constructionJson(r);
    for (int i = 0; i < 300; ++i) {
        std::ofstream(folder / ("costruzione-" + std::to_string(i) + ".json"), std::ios::binary)
            << text;
    }
    std::ofstream(folder / "facciata.bmp", std::ios::binary) << "BM";
    return folder;
}

void BM_RecordsBesideAPhotograph(benchmark::State& state) {
    const fs::path folder = folderOfRecords(std::size_t(state.range(0)));
    const std::string photograph = (folder / "facciata.bmp").string();
    for (auto _ : state) {
        benchmark::DoNotOptimize(vesta::constructionsFor(photograph));
    }
}
// Records of 1 MB (the size a foreign file may have) and of 60 KB (the size a record may have).
BENCHMARK(BM_RecordsBesideAPhotograph)->Arg(1000000)->Arg(60000)->Unit(benchmark::kMillisecond);

}  // namespace
