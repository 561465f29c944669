#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "BitmapBytes.h"
#include "cli/BatchRun.h"

namespace vesta {
namespace {

struct Outcome {
    int code = 0;
    std::string out;
    std::string err;
};

// Runs the installed-style binary as a user's script would.
Outcome run(const std::string& args, const test::TempDir& dir) {
    const auto out = dir / "stdout.txt";
    const auto err = dir / "stderr.txt";
    const std::string command =
        std::string(VESTA_RECTIFY) + " " + args + " > " + out.string() + " 2> " + err.string();
    const int status = std::system(command.c_str());
    const auto text = [](const std::filesystem::path& p) {
        const auto b = test::readBytes(p);
        return std::string(b.begin(), b.end());
    };
    return {WEXITSTATUS(status), text(out), text(err)};
}

const std::string kSample = VESTA_SAMPLES_DIR "/facciata_ruotata.bmp";
const std::string kLines =
    " --h1 234,174,615,135 --h2 201,352,602,379 --v1 163,448,216,174 --v2 635,525,651,129";

TEST(Cli, PrintsTheConstructionAndWritesTheImage) {
    test::TempDir dir;
    const Outcome r = run(kSample + " " + (dir / "out.bmp").string() + kLines + " --size 1.5", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("largOut: "), std::string::npos);
    EXPECT_NE(r.out.find("distanzaPrinc: "), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir / "out.bmp"));
    const Outcome json = run(kSample + " " + (dir / "j.bmp").string() + kLines + " --json", dir);
    ASSERT_EQ(json.code, 0);
    EXPECT_EQ(json.out.front(), '{');
    EXPECT_NE(json.out.find("\"fugaOrizzX\": "), std::string::npos);
}

TEST(Cli, RefusalsSayWhyAndWriteNothing) {
    test::TempDir dir;
    const auto out = (dir / "out.bmp").string();
    const Outcome missing = run((dir / "nessuna.bmp").string() + " " + out + kLines, dir);
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("non si può aprire"), std::string::npos);
    const Outcome parallel = run(kSample + " " + out +
                                     " --h1 0,0,100,10 --h2 0,50,100,60 --v1 10,10,20,300"
                                     " --v2 700,10,710,300",
                                 dir);
    EXPECT_EQ(parallel.code, 1);
    EXPECT_NE(parallel.err.find("Fuga verticale o orizzontale all'infinito !!"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(Cli, UsageErrorsExitWithTwo) {
    test::TempDir dir;
    for (const std::string& args :
         {std::string(), kSample, kSample + " out.bmp --h1 1,2,3",
          kSample + " o.bmp" + kLines + " --size 2.5", kSample + " o.bmp" + kLines + " --zoom 3"}) {
        const Outcome r = run(args, dir);
        EXPECT_EQ(r.code, 2) << args;
        EXPECT_NE(r.err.find("uso: vesta-rectify"), std::string::npos);
    }
}

TEST(Cli, SizeStepsAccumulateLikeTheSpinButton) {
    EXPECT_EQ(sizeAfterSteps(0), 1.0);
    EXPECT_EQ(sizeAfterSteps(2), 1.2000000000000002);
    EXPECT_EQ(sizeAfterSteps(9), 1.9000000000000008);
    const auto parsed = parseArgs({"a.bmp", "b.bmp", "--h1", "1,2,3,4", "--h2", "1,2,3,4", "--v1",
                                   "1,2,3,4", "--v2", "1,2,3,4.5", "--size", "1.5"});
    ASSERT_TRUE(parsed.request) << parsed.error;
    EXPECT_EQ(parsed.request->sizeSteps, 5);
    EXPECT_EQ(parsed.request->lines[3][1].y, 4.5f);
}

}  // namespace
}  // namespace vesta
