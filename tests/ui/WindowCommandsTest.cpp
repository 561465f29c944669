#include <gtest/gtest.h>

#include <fstream>

#include "BitmapBytes.h"
#include "Fakes.h"
#include "state/Prompts.h"
#include "ui/Startup.h"
#include "ui/WindowCommands.h"

namespace vesta {
namespace {

class WindowCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override { Form_Load(app.ctx, test::screen1024x768()); }
    test::FakeApp app;
    FormModel& f = app.ctx.form;
};

TEST_F(WindowCommandsTest, RedrawRepeatsThePromptOfTheLineAwaited) {
    const char* expected[] = {prompts::kPrimaOrizz, prompts::kSecondaOrizz, prompts::kPrimaVert,
                              prompts::kSecondaVert, prompts::kRefresh};
    for (int n = 0; n <= 4; ++n) {
        app.ctx.s.nRette = n;
        Form_Click(app.ctx);
        EXPECT_EQ(f.domanda1.caption, expected[n]) << n;
    }
    app.ctx.s.nRette = -1;  // after cancelling with no line left
    Form_Click(app.ctx);
    EXPECT_EQ(f.domanda1.caption, prompts::kRefresh);
}

TEST_F(WindowCommandsTest, HelpShowsThePageInstalledWithTheProgram) {
    test::TempDir install;
    std::filesystem::create_directories(install / "help");
    std::ofstream(install / "help" / "vesta300.html") << "<html></html>";
    app.ctx.paths.installDir = install.path().string();
    help1_Click(app.ctx);
    ASSERT_EQ(app.dialogs.helpShown.size(), 1u);
    EXPECT_EQ(app.dialogs.helpShown[0], (install / "help" / "vesta300.html").string());
}

TEST_F(WindowCommandsTest, MissingHelpIsReportedNotShown) {
    app.ctx.paths.installDir = "/no/such/folder";
    help1_Click(app.ctx);
    EXPECT_TRUE(app.dialogs.helpShown.empty());
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_NE(app.dialogs.messages[0].text.find("/no/such/folder/help/vesta300.html"),
              std::string::npos);
}

}  // namespace
}  // namespace vesta
