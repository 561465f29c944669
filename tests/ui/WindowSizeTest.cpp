#include <gtest/gtest.h>

#include "Fakes.h"
#include "image/Scrolling.h"
#include "ui/WindowCommands.h"
#include "ui/WindowSize.h"

namespace vesta {
namespace {

// The design is laid out in twips: on a 120 dpi screen a control must sit further right in
// pixels than its 96 dpi place, and the panel must still end left of the vertical bar's place.
TEST(FormLoad, DesignPositionsFollowTheScreensResolution) {
    test::FakeApp app;
    Form_Load(app.ctx, ScreenInfo{1920 * 12.0, 1080 * 12.0, 12.0, 12.0});
    EXPECT_DOUBLE_EQ(app.ctx.form.RADDRIZZA.left, 120);
    EXPECT_DOUBLE_EQ(app.ctx.form.Frame1.left, 1920 - 3135 / 12.0 - 20);
}

// A 1500 x 900 photograph on a 1920 x 1080 screen: it fits the screen, not a 1024 x 768 window.
// Catches a panel or bars left where the screen's edges are, a scroll position beyond the new
// range (the picture would slide past its bar), and a picture left scrolled when it fits again.
// Then a photograph larger than the screen.
TEST(FitToWindow, PanelAndBarsFollowTheWindowsEdgesAndLeaveThePanelItsColumn) {
    test::FakeApp app;
    FormModel& f = app.ctx.form;
    Form_Load(app.ctx, ScreenInfo{1920 * 15.0, 1080 * 15.0, 15, 15});

    const double panelAtStart = f.Frame1.left;
    test::openBitmap(app, 1500, 900);
    ASSERT_FALSE(f.HScroll1.visible || f.VScroll1.visible);

    fitToWindow(app.ctx, 1024, 768);  // visible region 783 x 720, bars 16 thick
    EXPECT_LE(f.Frame1.left + f.Frame1.width, 1024 - 16);
    ASSERT_TRUE(f.HScroll1.visible && f.VScroll1.visible);
    EXPECT_TRUE(f.HScroll1.max == 1500 - 783 && f.HScroll1.top == 720);
    EXPECT_TRUE(f.VScroll1.max == 900 - 720 && f.VScroll1.left == 783);
    f.VScroll1.value = f.VScroll1.max;
    VScroll1_Change(app.ctx);

    fitToWindow(app.ctx, 1024, 868);  // 100 pixels more of the photograph in sight
    EXPECT_TRUE(f.VScroll1.max == 900 - 820 && f.VScroll1.value == 80 && f.Picture1.top == -80);
    EXPECT_EQ(f.Picture1.top + f.Picture1.height, 868 - 16) << "the far edge at the window's";

    fitToWindow(app.ctx, 1920, 1080);
    EXPECT_FALSE(f.HScroll1.visible || f.VScroll1.visible);
    EXPECT_TRUE(f.Picture1.left + f.Picture1.top == 0 && f.Picture1.height == 900);
    EXPECT_EQ(f.Frame1.left, panelAtStart);

    // The picture area of a photograph larger than the screen leaves the panel its column at
    // every window size, so no part of the photograph lies under the panel out of reach; a
    // hidden panel gives the column back.
    test::openBitmap(app, 3000, 2000);
    EXPECT_LE(f.Picture1.left + f.Picture1.width, f.Frame1.left) << "as opened";
    for (const auto& [width, height] : {std::pair{1920, 1080}, {1024, 768}, {800, 600}}) {
        fitToWindow(app.ctx, width, height);
        ASSERT_TRUE(f.VScroll1.visible && f.HScroll1.visible);
        EXPECT_LE(f.VScroll1.left + f.VScroll1.width, f.Frame1.left) << width;
        f.HScroll1.value = f.HScroll1.max;
        HScroll1_Change(app.ctx);
        EXPECT_LE(f.Picture1.left + f.Picture1.width, f.Frame1.left) << "the far edge in reach";
    }
    frame_m_Click(app.ctx);
    EXPECT_EQ(f.VScroll1.left, 800 - 16) << "the hidden panel's column goes to the picture";
}

// The page installed with the program is shown; a missing one is reported, not shown.
TEST(Help, ShowsThePageInstalledWithTheProgramOrSaysItIsMissing) {
    test::FakeApp app;
    app.ctx.paths.installDir = VESTA_HELP_DIR "/..";
    help1_Click(app.ctx);
    EXPECT_EQ(app.dialogs.helpShown,
              std::vector<std::string>{VESTA_HELP_DIR "/../help/vesta300.html"});
    app.ctx.paths.installDir = "/no/such/folder";
    help1_Click(app.ctx);
    EXPECT_TRUE(app.dialogs.helpShown.size() == 1 && app.dialogs.messages.size() == 1);
}

}  // namespace
}  // namespace vesta
