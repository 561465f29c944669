#include <gtest/gtest.h>

#include "Fakes.h"

namespace vesta {
namespace {

// The design is laid out in twips: on a 120 dpi screen a control must sit further right in
// pixels than its 96 dpi place, and the panel must still end left of the vertical bar's place.
TEST(FormLoad, DesignPositionsFollowTheScreensResolution) {
    test::FakeApp app;
    Form_Load(app.ctx, ScreenInfo{1920 * 12.0, 1080 * 12.0, 12.0, 12.0});
    EXPECT_DOUBLE_EQ(app.ctx.form.RADDRIZZA.left, 120);
    EXPECT_DOUBLE_EQ(app.ctx.form.Frame1.left, 1920 - 3135 / 12.0 - 20);
    EXPECT_EQ(app.ctx.form.Frame1.top, 10);
}

}  // namespace
}  // namespace vesta
