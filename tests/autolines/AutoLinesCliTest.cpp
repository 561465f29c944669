// vesta-rectify --auto on facades rendered from known cameras: the lines found give the true
// proportions, --json lists them, and a kept construction replays them without finding again.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "../geometry/FacadeClicks.h"
#include "BitmapBytes.h"
#include "cli/BatchRun.h"
#include "image/BitmapFile.h"
#include "sidecar/ConstructionFile.h"
#include "sidecar/StateRecord.h"

namespace vesta {
namespace {

using namespace facade;

BatchRequest autoRequest(const FacadeScene& scene, const test::TempDir& dir) {
    BatchRequest r;
    r.input = (dir / "facciata.bmp").string();
    r.output = (dir / "raddrizzata.bmp").string();
    const IndexedImage image = renderFacade(scene);
    EXPECT_TRUE(writeBitmapFile(r.input, classicHeader(image.width, image.height), image));
    r.autoLines = true;
    return r;
}

// Several cameras, turned, rolled, seen from either side and from above and below: width to
// height within 0.3% of the facade's (a whole pixel of flooring aside), the first two lines of
// each direction far apart, a line of each direction on the facade's own edges.
TEST(AutoLinesCli, FoundLinesGiveTrueProportions) {
    test::TempDir dir;
    std::vector<FacadeScene> scenes = {samples::centred(), samples::rolled(), samples::large()};
    for (const auto& [yaw, pitch, roll] :
         {std::array<double, 3>{30, 20, 0}, {-24, 12, -3}, {12, -8, 4}}) {
        scenes.push_back({standardFacade(), test::aimedCamera(yaw, pitch, roll, 700, 450).value()});
    }
    for (const FacadeScene& scene : scenes) {
        const PinholeCamera& cam = scene.camera;
        SCOPED_TRACE(testing::Message() << cam.width << " x " << cam.height << ", yaw " << cam.yaw
                                        << ", roll " << cam.roll);
        // The area inside the facade and the camera's principal point (the large sample's lens is
        // shifted), as a user gives them: the lines alone are found.
        BatchRequest r = autoRequest(scene, dir);
        const ConstructionClicks c0 = test::clicksFor(cam).value();
        r.area[0] = Click{float(c0.area[0].x), float(c0.area[0].y)};
        r.area[1] = Click{float(c0.area[2].x), float(c0.area[2].y)};
        r.centre = Click{float(c0.principal.x), float(c0.principal.y)};
        const BatchResult done = runBatch(r, dir.path().string());
        ASSERT_TRUE(done.ok) << done.message;
        const Construction& c = *done.state.construction;
        const double off = c.frame.largOut / c.frame.altOut / test::shownAspect(cam, c) - 1;
        EXPECT_LT(std::fabs(off), 0.003 + 1 / std::min(c.frame.largOut, c.frame.altOut))
            << c.frame.largOut << " x " << c.frame.altOut;
        EXPECT_GE(done.state.residualsH.size() + done.state.residualsV.size(), 4u);
        std::printf("%d x %d: %zu + %zu lines, width:height %+.3f%% off\n", cam.width, cam.height,
                    done.state.residualsH.size(), done.state.residualsV.size(), 100 * off);
    }
}

// --auto parses alone and refuses lines given beside it or the lens's bend; --json lists the
// found lines a direction in the residuals' order; the kept construction holds them as lines
// and the tool replays it to the same bytes.
TEST(AutoLinesCli, FoundLinesAreListedKeptAndReplayed) {
    const ParsedArgs p = parseArgs({"in.bmp", "out.bmp", "--auto", "--json"});
    ASSERT_TRUE(p.request) << p.error;
    EXPECT_TRUE(p.request->autoLines);
    EXPECT_EQ(parseArgs({"in.bmp", "out.bmp", "--auto", "--h", "1,2,3,4"}).error,
              "--auto non si combina con --h1 --h2 --v1 --v2 --h --v");
    EXPECT_EQ(parseArgs({"in.bmp", "out.bmp", "--auto", "--lens", "0.05"}).error,
              "--auto non si combina con --lens");
    EXPECT_NE(parseArgs({"out.bmp", "--from", "c.json", "--auto"}).error, "");

    test::TempDir dir;
    const BatchRequest request = autoRequest(samples::rolled(), dir);
    const BatchResult done = runBatch(request, dir.path().string());
    ASSERT_TRUE(done.ok) << done.message;
    const std::string json = describe(done.state, true);
    const std::size_t at = json.find("\"lines_h\": [[");
    ASSERT_NE(at, std::string::npos) << json;
    EXPECT_NE(json.find("\"lines_v\": [["), std::string::npos);
    const std::size_t lines = std::count(json.begin() + std::ptrdiff_t(at), json.end(), '[') - 2;
    EXPECT_EQ(lines, done.state.residualsH.size() + done.state.residualsV.size()) << json;
    EXPECT_NE(describe(done.state, false).find("\nlines_v: "), std::string::npos);

    const ConstructionRecord record = recordOf(done.state).value();
    EXPECT_FALSE(record.extraLines.empty());
    const std::string text = constructionJson(record);
    test::writeBytes(dir / "c.json", std::vector<std::uint8_t>(text.begin(), text.end()));
    const std::string again = (dir / "di-nuovo.bmp").string();
    const std::string command = std::string(VESTA_RECTIFY) + " " + again + " --from " +
                                (dir / "c.json").string() + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(test::readBytes(again), test::readBytes(request.output));
}

// A plain grey photograph has no lines: the run is refused with the count found.
TEST(AutoLinesCli, TooFewLinesAreRefused) {
    test::TempDir dir;
    BatchRequest r;
    r.input = (dir / "grigia.bmp").string();
    r.output = (dir / "out.bmp").string();
    r.autoLines = true;
    IndexedImage grey;
    grey.width = 320;
    grey.height = 240;
    grey.pixels.assign(std::size_t(320 * 240), 7);
    ASSERT_TRUE(writeBitmapFile(r.input, classicHeader(320, 240), grey));
    const BatchResult done = runBatch(r, dir.path().string());
    EXPECT_FALSE(done.ok);
    EXPECT_EQ(done.message,
              "Rette trovate: 0 orizzontali e 0 verticali; ne servono almeno due per direzione.");
}

}  // namespace
}  // namespace vesta
