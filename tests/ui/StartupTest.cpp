#include <gtest/gtest.h>

#include "Fakes.h"

namespace vesta {
namespace {

// The design is laid out in twips: on a 120 dpi screen a control must sit further right in
// pixels, and the panel must still end left of the vertical bar's place.
TEST(FormLoad, DesignPositionsFollowTheScreensResolution) {
    const struct {
        ScreenInfo screen;
        double raddrizzaLeft, panelLeft;
    } table[] = {{test::screen1024x768(), 96, 1024 - 209 - 16},
                 {ScreenInfo{1920 * 12.0, 1080 * 12.0, 12.0, 12.0}, 120, 1920 - 3135 / 12.0 - 20}};
    for (const auto& t : table) {
        test::FakeApp app;
        Form_Load(app.ctx, t.screen);
        EXPECT_DOUBLE_EQ(app.ctx.form.RADDRIZZA.left, t.raddrizzaLeft);
        EXPECT_DOUBLE_EQ(app.ctx.form.Frame1.left, t.panelLeft);
        EXPECT_EQ(app.ctx.form.Frame1.top, 10);
    }
}

}  // namespace
}  // namespace vesta
