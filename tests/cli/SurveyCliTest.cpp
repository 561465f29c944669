#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "BitmapBytes.h"
#include "cli/BatchRun.h"
#include "codec/ColourFileWriter.h"
#include "sidecar/ConstructionFile.h"
#include "sidecar/StateRecord.h"

namespace vesta {
namespace {

namespace fs = std::filesystem;

int shell(const std::string& command) {
    return WEXITSTATUS(std::system(command.c_str()));
}

// A survey of a dozen kept constructions, on a palette and a colour photograph, rectified by
// GNU parallel four at a time as the README shows: each result has the bytes of the same record
// replayed alone, whatever else runs beside it (scratch folders, temporary files, threads).
TEST(Survey, GnuParallelGivesEveryResultTheBytesOfASerialRun) {
    if (shell("command -v parallel > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "GNU parallel is not installed";
    }
    test::TempDir dir;
    fs::copy_file(VESTA_SAMPLES_DIR "/facciata_ruotata.bmp", dir / "facciata.bmp");
    ASSERT_EQ(saveColourImage((dir / "colori.png").string(), test::patternImage(800, 600, 3, 8)),
              "");
    fs::create_directories(dir / "serie");
    fs::create_directories(dir / "parallelo");
    const int kRecords = 12;
    for (int i = 0; i < kRecords; ++i) {
        const bool colour = i >= 8;
        std::vector<std::string> args = {
            (dir / (colour ? "colori.png" : "facciata.bmp")).string(),
            (dir / "fatta.bmp").string(),
            "--h1",
            "234,174,615,135",
            "--h2",
            "201,352,602,379",
            "--v1",
            "163,448,216,174",
            "--v2",
            "635,525,651,129",
            "--size",
            "1." + std::to_string(i % 10),
            "--area",
            std::to_string(150 + 10 * i) + ",150,620," + std::to_string(400 + 10 * i)};
        if (colour && i % 2 == 1) {
            args.insert(args.end(), {"--interp", "nearest"});
        }
        const ParsedArgs parsed = parseArgs(args);
        ASSERT_TRUE(parsed.request) << parsed.error;
        const BatchResult done = runBatch(*parsed.request, dir.path().string());
        ASSERT_TRUE(done.ok) << done.message;
        const Result<ConstructionRecord> record = recordOf(done.state);
        ASSERT_TRUE(record.ok()) << record.error();
        const std::string json = constructionJson(record.value());
        const std::string name = std::string(i < 10 ? "r0" : "r") + std::to_string(i);
        test::writeBytes(dir / (name + ".json"),
                         std::vector<std::uint8_t>(json.begin(), json.end()));
        ASSERT_EQ(shell(std::string(VESTA_RECTIFY) + " " + (dir / "serie" / name).string() +
                        ".bmp --from " + (dir / name).string() + ".json > /dev/null"),
                  0)
            << name;
    }
    ASSERT_EQ(
        shell("cd " + dir.path().string() + " && parallel --will-cite --halt now,fail=1 -j 4 " +
              VESTA_RECTIFY + " parallelo/{.}.bmp --from {} ::: r*.json > /dev/null"),
        0);
    for (const auto& entry : fs::directory_iterator(dir / "serie")) {
        EXPECT_EQ(test::readBytes(dir / "parallelo" / entry.path().filename()),
                  test::readBytes(entry.path()))
            << entry.path().filename();
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "parallelo"), fs::directory_iterator()),
              kRecords);
}

}  // namespace
}  // namespace vesta
