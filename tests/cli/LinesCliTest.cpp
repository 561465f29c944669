// Further lines in the batch tool: --h and --v, repeatable, adding to the four or standing for
// them; the residuals printed; a kept construction with further lines replayed to its bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../geometry/FacadeClicks.h"
#include "BatchRuns.h"
#include "state/Numbers.h"

namespace vesta {
namespace {

// A facade line of the rolled sample, as a mouse clicks it: "X1,Y1,X2,Y2".
std::string facadeLine(double u1, double v1, double u2, double v2) {
    const facade::PinholeCamera cam = facade::samples::rolled().camera;
    const Point a = test::mouse(facade::projectFacadePoint(cam, {u1, v1}));
    const Point b = test::mouse(facade::projectFacadePoint(cam, {u2, v2}));
    return plainForm(a.x, '.') + "," + plainForm(a.y, '.') + "," + plainForm(b.x, '.') + "," +
           plainForm(b.y, '.');
}

// --h and --v stand for the four where those are not given, in their order, and the rest are
// further lines.
TEST(LinesCli, RepeatedLinesAddToTheFourOrStandForThem) {
    const ParsedArgs p =
        parseArgs({"in.bmp", "out.bmp", "--h", "1,2,3,4", "--v1", "0,0,0,9", "--h", "5,6,7,8",
                   "--v", "9,9,9,0", "--h", "1,1,2,1", "--v", "4,4,4,8"});
    ASSERT_TRUE(p.request) << p.error;
    const BatchRequest& r = *p.request;
    EXPECT_EQ(r.lines[0][1].y, 4);
    EXPECT_EQ(r.lines[1][0].x, 5);
    EXPECT_EQ(r.lines[2][1].y, 9);
    EXPECT_EQ(r.lines[3][0].x, 9);
    ASSERT_EQ(r.extraLines.size(), 2u);
    EXPECT_TRUE(r.extraLines[0].horizontal && r.extraLines[0].ends[1].x == 2);
    EXPECT_TRUE(!r.extraLines[1].horizontal && r.extraLines[1].ends[1].y == 8);
}

// The rolled sample with a further line a direction: the residuals printed, three a direction;
// its kept construction keeps the further lines and the tool replays it to the same bytes; a
// record without further lines is written as before, with no trace of them.
TEST(LinesCli, FurtherLinesArePrintedKeptAndReplayed) {
    test::TempDir dir;
    std::filesystem::copy_file(test::kSample, dir / "facciata.bmp");
    const BatchRequest request =
        test::sampleRequest((dir / "facciata.bmp").string(), (dir / "fatta.bmp").string(),
                            {"--h", facadeLine(150, 600, 1050, 600), "--v",
                             facadeLine(600, 120, 600, 800), "--area", "200,150,620,500"});
    const BatchResult done = runBatch(request, dir.path().string());
    ASSERT_TRUE(done.ok) << done.message;
    ASSERT_EQ(done.state.residualsH.size(), 3u);
    ASSERT_EQ(done.state.residualsV.size(), 3u);
    const std::string json = describe(done.state, true);
    EXPECT_NE(json.find("\"residuals_h\": ["), std::string::npos) << json;
    EXPECT_NE(describe(done.state, false).find("residuals_v: "), std::string::npos);

    const ConstructionRecord record = recordOf(done.state).value();
    ASSERT_EQ(record.extraLines.size(), 2u);
    EXPECT_EQ(parseConstructionJson(constructionJson(record)).value().extraLines,
              record.extraLines);
    test::replayed(done, request.output, dir, "di-nuovo");

    ConstructionRecord four = record;
    four.extraLines.clear();
    EXPECT_EQ(constructionJson(four).find("extra_lines"), std::string::npos);
}

}  // namespace
}  // namespace vesta
