// The most lines and points a construction holds, saved and read back: the window and
// vesta-rectify take no more than a record keeps, and the reader takes the largest record the
// writer makes, but no file without bound.
#include <gtest/gtest.h>

#include <fstream>

#include "BitmapBytes.h"
#include "Fakes.h"
#include "cli/BatchArgs.h"
#include "construction/ExtraLines.h"
#include "sidecar/ConstructionFile.h"
#include "state/IndexedImage.h"
#include "state/LineLimits.h"
#include "state/Prompts.h"

namespace vesta {
namespace {

// The longest form a number takes, a click's and a positive one's.
constexpr double kLongest = -1.2345678901234567e-300;
constexpr double kLongestPositive = 1.2345678901234567e+300;

// Every line and point a construction holds, every number and name at its longest.
ConstructionRecord largestRecord(const std::string& photograph) {
    ConstructionRecord r;
    r.photograph = photograph;
    r.sha256 = std::string(64, 'f');
    const std::vector<std::array<double, 2>> points(kMostPointsAlong, {kLongest, kLongest});
    for (std::size_t k = 0; k < 4; ++k) {
        r.lines[k] = {kLongest, kLongest, kLongest, kLongest};
        r.lineViewScales[k] = {-kLongest, -kLongest};
        r.linePoints[k] = points;
    }
    for (std::size_t i = 0; i < kMostExtraLines; ++i) {
        r.extraLines.push_back(
            {i % 2 == 0, {kLongest, kLongest, kLongest, kLongest}, {-kLongest, -kLongest}, points});
    }
    r.principalPoint = {kLongest, kLongest};
    r.area = {kLongest, kLongest, kLongest, kLongest};
    r.sizeSteps = 9;
    r.sizeFactor = 1.9;
    r.interpolation = "bilinear";
    r.knownMeasures = std::array<double, 2>{kLongestPositive, kLongestPositive};
    r.focal35 = kLongestPositive;
    r.snapToEdges = true;
    r.lensK1 = -0.12345678901234567;
    r.lensFitRms = kLongestPositive;
    r.photographTurn = r.resultTurn = 3;
    r.referenceLength = "12345678,901234567";
    r.scale = kLongestPositive;
    r.horizontalVanishingPoint = r.verticalVanishingPoint = {kLongest, kLongest};
    r.principalDistance = kLongest;
    r.outputSize = {kMaxSide, kMaxSide};
    r.aspectSigma = r.distanceSigma = kLongestPositive;
    return r;
}

void write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Saved, it reads back to the same record, byte for byte written again; with room to spare
// below the reader's bound, which a file one byte longer meets.
TEST(LargestRecord, ReadsBackWhileLargerFilesAreNotRead) {
    test::TempDir dir;
    // The longest file name, each byte written as six.
    const std::string text = constructionJson(largestRecord(std::string(255, '\x01')));
    ASSERT_LE(text.size() * 3 / 2, kLargestRecord);
    write(dir / "grande.json", text);
    const Result<ConstructionRecord> back = readConstructionFile((dir / "grande.json").string());
    ASSERT_TRUE(back.ok()) << back.error();
    EXPECT_EQ(constructionJson(back.value()), text);

    write(dir / "limite.json", text + std::string(kLargestRecord - text.size(), ' '));
    EXPECT_TRUE(readConstructionFile((dir / "limite.json").string()).ok());
    write(dir / "oltre.json", text + std::string(kLargestRecord + 1 - text.size(), ' '));
    EXPECT_FALSE(readConstructionFile((dir / "oltre.json").string()).ok());
}

// Opening a photograph finds a record of it larger than one of a few lines; a file as large
// that does not begin as a record does is passed over.
TEST(LargestRecord, LargeRecordsBesideThePhotographAreFound) {
    test::TempDir dir;
    write(dir / "foto.jpg", "not a photograph, only its bytes");
    ConstructionRecord r = largestRecord("foto.jpg");
    r.sha256 = fileSha256((dir / "foto.jpg").string()).value();
    r.extraLines.resize(20);
    const std::string text = constructionJson(r);
    ASSERT_GT(text.size(), std::size_t(64) << 10);
    write(dir / "foto.json", text);
    write(dir / "altro.json", " " + text);
    EXPECT_EQ(constructionsFor((dir / "foto.jpg").string()),
              std::vector<std::string>{(dir / "foto.json").string()});
}

// The window asks for no further line past the most a record keeps, and says so on the panel.
class ExtraLineLimit : public test::AppTest {};

TEST_F(ExtraLineLimit, TheWindowTakesNoMoreLinesThanARecordKeeps) {
    test::openBitmap(app, 800, 600);
    test::clickFourLines(app.ctx);
    s.extraLines.assign(kMostExtraLines - 1,
                        ExtraLine{true, {{100, 300}, {700, 305}}, {1, 1}, {}, {}});
    altraRettaVert_Click(app.ctx);
    EXPECT_EQ(f.domanda1.caption, prompts::kAltraVert);
    test::clickLine(app.ctx, 300, 100, 310, 500);
    ASSERT_EQ(s.extraLines.size(), kMostExtraLines);
    altraRettaOrizz_Click(app.ctx);
    EXPECT_EQ(f.domanda1.caption, "Non si possono definire più di 500 altre rette");
    EXPECT_FALSE(s.extraLineHorizontal);
    test::clickLine(app.ctx, 100, 300, 700, 305);
    EXPECT_EQ(s.extraLines.size(), kMostExtraLines);
}

// vesta-rectify refuses more further lines than a record keeps, before any work.
TEST(ExtraLineLimitCli, MoreLinesThanARecordKeepsAreRefused) {
    std::vector<std::string> args = {"in.bmp", "out.bmp", "--h1", "1,1,9,1",
                                     "--v1",   "1,1,1,9", "--v2", "9,1,9,9"};
    for (std::size_t i = 0; i <= kMostExtraLines; ++i) {
        args.insert(args.end(), {"--h", "1,5,9,5"});
    }
    EXPECT_TRUE(parseArgs(args).request) << "--h2 is the first --h: 500 further lines";
    args.insert(args.end(), {"--v", "5,1,5,9"});
    const ParsedArgs refused = parseArgs(args);
    EXPECT_FALSE(refused.request);
    EXPECT_EQ(refused.error, "al più 500 rette oltre le quattro");
}

}  // namespace
}  // namespace vesta
