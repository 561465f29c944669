// Construction records written and read back: every bit of every click, the largest record the
// window and vesta-rectify can make, and the files a record is refused or passed over for.
#include <gtest/gtest.h>

#include <fstream>

#include "Fakes.h"
#include "cli/BatchArgs.h"
#include "construction/ExtraLines.h"
#include "sidecar/ConstructionFile.h"
#include "state/IndexedImage.h"
#include "state/LineLimits.h"

namespace vesta {
namespace {

ConstructionRecord aRecord() {
    ConstructionRecord r;
    r.photograph = "facciata.bmp";
    r.sha256 = std::string(64, 'a');
    r.lines = {{{234.5, 174, 615, 135.25},
                {201, 352, 602, 379},
                {163, 448, 216, 174},
                {635, 525, 651, 129}}};
    r.principalPoint = {400.125, 300};
    r.area = {200, 150, 620, 500};
    r.sizeSteps = 8;
    r.sizeFactor = 1.9 - 0.1;  // to the top and one step down: not eight steps up to the bit
    r.interpolation = "bilinear";
    r.knownMeasures = std::array<double, 2>{1230.5, 870};
    r.focal35 = 28;
    r.snapToEdges = true;
    r.referenceLength = "12,5";
    r.scale = 0.1 + 0.2;  // a value whose shortest form needs all seventeen digits
    r.principalDistance = 640.0000000000001;
    r.outputSize = {935, 912};
    r.aspectSigma = 0.032;
    r.photographTurn = 1;
    r.resultTurn = 3;
    r.lineViewScales[2] = {0.171875, 4};  // v1 from the fit view to 4:1
    return r;
}

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

// A replay must get back every bit of every click, whatever the locale writes commas with (the
// tests run under an Italian one).
TEST(ConstructionFile, RoundTripKeepsEveryBit) {
    const ConstructionRecord r = aRecord();
    const std::string text = constructionJson(r);
    const Result<ConstructionRecord> back = parseConstructionJson(text);
    ASSERT_TRUE(back.ok()) << back.error();
    const ConstructionRecord& b = back.value();
    // Every bit of the numbers that need all their digits.
    EXPECT_TRUE(b.lines == r.lines && b.principalPoint == r.principalPoint &&
                b.sizeFactor == r.sizeFactor && b.scale == r.scale &&
                b.principalDistance == r.principalDistance && !b.distanceSigma);
    // Whatever else the file holds (turns, view scales) comes back as written.
    EXPECT_EQ(constructionJson(b), text);

    // A record of an upright road with lines as clicked, all at 1:1, says nothing of turns,
    // snapping or view scales, as those written before any existed, and reads back so.
    ConstructionRecord plain = r;
    plain.photographTurn = plain.resultTurn = 0;
    plain.snapToEdges = false;
    plain.lineViewScales[2] = {1, 1};
    const std::string older = constructionJson(plain);
    for (const char* word : {"rotate", "snap", "view_scale"}) {
        EXPECT_EQ(older.find(word), std::string::npos) << word;
    }
    const Result<ConstructionRecord> old = parseConstructionJson(older);
    ASSERT_TRUE(old.ok()) << old.error();
    EXPECT_EQ(constructionJson(old.value()), older);
}

TEST(ConstructionFile, DamagedOrForeignFilesAreRefusedInItalian) {
    std::string good = constructionJson(aRecord());
    auto with = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    const std::string bad[] = {
        "{\"name\": 1}",
        good.substr(0, good.size() / 2),
        with("\"bilinear\"", "\"cubic\""),
        with("400.125", "\"400\""),
        with("\"vesta_construction\": 1", "\"vesta_construction\": 2"),
        with("\"rotate_degrees\": 90", "\"rotate_degrees\": 45"),
        with("\"result_rotate_degrees\": 270", "\"result_rotate_degrees\": 90.5"),
        with("0.171875", "0"),
        // Only a file in the record's own folder is its photograph.
        with("\"facciata.bmp\"", "\"../w/facciata.bmp\""),
        with("\"facciata.bmp\"", "\"facciata.bmp\\u0000.txt\""),
        with("\"facciata.bmp\"", "\"..\""),
        // Numbers beyond their range, which no int or float can hold or no replay can use.
        with("935", "1e300"),
        with("935", "4294967296"),
        with("912", "-4294967296"),
        with("400.125", "1e300"),
        with("\"focal35_mm\": 28", "\"focal35_mm\": -28"),
    };
    for (const std::string& text : bad) {
        const Result<ConstructionRecord> r = parseConstructionJson(text);
        EXPECT_TRUE(!r.ok() && r.error().find("costruzione") != std::string::npos) << text;
    }
}

// The largest record, saved, reads back to the same record, byte for byte written again; with
// room to spare below the reader's bound, which a file one byte longer than the bound meets.
// Opening a photograph offers the records of these very bytes beside it, one larger than a few
// lines too; a record of other bytes under the same name, a file that is no record, and a large
// one that does not begin as a record does (not read whole, however it goes on) are passed over,
// as are the two above.
TEST(ConstructionFile, TheLargestReadsBackAndOnlyRecordsOfThisVeryPhotographAreOffered) {
    test::TempDir dir;
    // The longest file name, each byte written as six.
    const std::string largest = constructionJson(largestRecord(std::string(255, '\x01')));
    ASSERT_LE(largest.size() * 3 / 2, kLargestRecord);
    write(dir / "grande.json", largest);
    const Result<ConstructionRecord> back = readConstructionFile((dir / "grande.json").string());
    ASSERT_TRUE(back.ok()) << back.error();
    EXPECT_EQ(constructionJson(back.value()), largest);
    write(dir / "oltre.json", largest + std::string(kLargestRecord + 1 - largest.size(), ' '));
    EXPECT_FALSE(readConstructionFile((dir / "oltre.json").string()).ok());

    test::writeBytes(dir / "facciata.bmp", {'a', 'b', 'c'});
    const Result<std::string> sum = fileSha256((dir / "facciata.bmp").string());
    ASSERT_TRUE(sum.ok());
    EXPECT_EQ(sum.value(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

    ConstructionRecord mine = largestRecord("facciata.bmp");
    mine.sha256 = sum.value();
    mine.extraLines.resize(20);
    const std::string text = constructionJson(mine);
    ASSERT_GT(text.size(), std::size_t(64) << 10);
    write(dir / "raddrizzata.json", text);
    ConstructionRecord altered = mine;
    altered.sha256 = std::string(64, '0');  // the same name, other bytes
    write(dir / "vecchia.json", constructionJson(altered));
    write(dir / "appunti.json", "[1, 2, 3]");
    write(dir / "gonfiata.json", " " + text);

    EXPECT_EQ(constructionsFor((dir / "facciata.bmp").string()),
              std::vector<std::string>{(dir / "raddrizzata.json").string()});
}

// Neither the window nor vesta-rectify (before any work) takes a further line past the most a
// record keeps.
using ExtraLineLimit = test::AppTest;

TEST_F(ExtraLineLimit, NeitherTheWindowNorTheBatchToolTakesMoreLinesThanARecordKeeps) {
    test::openBitmap(app, 800, 600);
    test::clickFourLines(app.ctx);
    s.extraLines.assign(kMostExtraLines - 1,
                        ExtraLine{true, {{100, 300}, {700, 305}}, {1, 1}, {}, {}});
    altraRettaVert_Click(app.ctx);
    test::clickLine(app.ctx, 300, 100, 310, 500);
    ASSERT_EQ(s.extraLines.size(), kMostExtraLines);
    altraRettaOrizz_Click(app.ctx);
    test::clickLine(app.ctx, 100, 300, 700, 305);
    EXPECT_EQ(s.extraLines.size(), kMostExtraLines);

    std::vector<std::string> args = {"in.bmp", "out.bmp", "--h1", "1,1,9,1",
                                     "--v1",   "1,1,1,9", "--v2", "9,1,9,9"};
    for (std::size_t i = 0; i <= kMostExtraLines; ++i) {
        args.insert(args.end(), {"--h", "1,5,9,5"});
    }
    EXPECT_TRUE(parseArgs(args).request) << "--h2 is the first --h: 500 further lines";
    args.insert(args.end(), {"--v", "5,1,5,9"});
    EXPECT_FALSE(parseArgs(args).request);
}

}  // namespace
}  // namespace vesta
