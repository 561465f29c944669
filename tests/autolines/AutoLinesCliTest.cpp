// vesta-rectify --auto on facades rendered from known cameras: the lines found give the true
// proportions, --json lists them, and a kept construction replays them without finding again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "../cli/BatchRuns.h"
#include "../cli/FacadeRuns.h"

namespace vesta {
namespace {

using namespace facade;

// Several cameras, turned, rolled, seen from either side and from above and below: width to
// height within 0.3% of the facade's (a whole pixel of flooring aside), the first two lines of
// each direction far apart, a line of each direction on the facade's own edges. On the rolled
// sample --json lists the found lines a direction in the residuals' order; the kept
// construction holds them as lines and the tool replays it to the same bytes.
TEST(AutoLinesCli, FoundLinesGiveTrueProportionsAndAreListedKeptAndReplayed) {
    test::TempDir dir;
    for (const FacadeScene& scene : test::facadeScenes(true)) {
        const PinholeCamera& cam = scene.camera;
        SCOPED_TRACE(testing::Message() << cam.width << " x " << cam.height << ", yaw " << cam.yaw
                                        << ", roll " << cam.roll);
        // The area inside the facade and the camera's principal point (the large sample's lens is
        // shifted), as a user gives them: the lines alone are found.
        BatchRequest r = test::requestOn(renderFacade(scene), dir, "facciata");
        r.autoLines = true;
        const ConstructionClicks c0 = test::clicksFor(cam).value();
        r.area[0] = Click{float(c0.area[0].x), float(c0.area[0].y)};
        r.area[1] = Click{float(c0.area[2].x), float(c0.area[2].y)};
        r.centre = Click{float(c0.principal.x), float(c0.principal.y)};
        const BatchResult done = runBatch(r, dir.path().string());
        ASSERT_TRUE(done.ok) << done.message;
        const Frame& f = done.state.construction->frame;
        const double off = test::aspectError(cam, done);
        EXPECT_LT(std::fabs(off), 0.003 + 1 / std::min(f.largOut, f.altOut))
            << f.largOut << " x " << f.altOut;
        const std::size_t found = done.state.residualsH.size() + done.state.residualsV.size();
        EXPECT_GE(found, 4u);
        std::printf("%d x %d: %zu + %zu lines, width:height %+.3f%% off\n", cam.width, cam.height,
                    done.state.residualsH.size(), done.state.residualsV.size(), 100 * off);
        if (cam.roll != samples::rolled().camera.roll) {
            continue;
        }
        const std::string json = describe(done.state, true);
        const std::size_t at = json.find("\"lines_h\": [[");
        ASSERT_NE(at, std::string::npos) << json;
        EXPECT_NE(json.find("\"lines_v\": [["), std::string::npos);
        EXPECT_EQ(std::count(json.begin() + std::ptrdiff_t(at), json.end(), '[') - 2, found);
        EXPECT_NE(describe(done.state, false).find("\nlines_v: "), std::string::npos);
        EXPECT_FALSE(recordOf(done.state).value().extraLines.empty());
        test::replayed(done, r.output, dir, "di-nuovo");
    }
}

// A plain grey photograph has no lines: the run is refused with the count found.
TEST(AutoLinesCli, TooFewLinesAreRefused) {
    test::TempDir dir;
    const IndexedImage grey{320, 240, {}, std::vector<std::uint8_t>(320 * 240, 7)};
    BatchRequest r = test::requestOn(grey, dir, "grigia");
    r.autoLines = true;
    const BatchResult done = runBatch(r, dir.path().string());
    EXPECT_FALSE(done.ok);
    EXPECT_EQ(done.message,
              "Rette trovate: 0 orizzontali e 0 verticali; ne servono almeno due per direzione.");
}

}  // namespace
}  // namespace vesta
