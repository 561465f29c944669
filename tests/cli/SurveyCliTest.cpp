#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "BatchRuns.h"

namespace vesta {
namespace {

namespace fs = std::filesystem;

// A survey of a dozen kept constructions, on a palette and a colour photograph, rectified by
// GNU parallel four at a time as the README shows: each result has the bytes of the run that
// kept the record (a replay alone gives those, as the replay tests hold), whatever else runs
// beside it (scratch folders, temporary files, threads).
TEST(Survey, GnuParallelGivesEveryResultTheBytesOfASerialRun) {
    if (std::system("command -v parallel > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "GNU parallel is not installed";
    }
    test::TempDir dir;
    fs::copy_file(test::kSample, dir / "facciata.bmp");
    test::colourPhotograph(dir, "colori.png");
    fs::create_directories(dir / "parallelo");
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) {
        const bool colour = i >= 8;
        std::vector<std::string> more = {
            "--size", "1." + std::to_string(i % 10), "--area",
            std::to_string(150 + 10 * i) + ",150,620," + std::to_string(400 + 10 * i)};
        names.push_back(std::string(i < 10 ? "r0" : "r") + std::to_string(i));
        const std::string& name = names.back();
        const BatchRequest request =
            test::sampleRequest((dir / (colour ? "colori.png" : "facciata.bmp")).string(),
                                (dir / (name + ".bmp")).string(), more);
        ASSERT_TRUE(test::keepRecord(runBatch(request, dir.path().string()), dir, name));
    }
    ASSERT_EQ(std::system(("cd " + dir.path().string() +
                           " && parallel --will-cite --halt now,fail=1 -j 4 " + VESTA_RECTIFY +
                           " parallelo/{.}.bmp --from {} ::: r*.json > /dev/null")
                              .c_str()),
              0);
    for (const std::string& name : names) {
        EXPECT_EQ(test::readBytes(dir / "parallelo" / (name + ".bmp")),
                  test::readBytes(dir / (name + ".bmp")))
            << name;
    }
    EXPECT_EQ(test::namesIn(dir / "parallelo").size(), names.size());
}

}  // namespace
}  // namespace vesta
