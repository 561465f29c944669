#include <gtest/gtest.h>

#include <fstream>

#include "Fakes.h"
#include "ui/WindowCommands.h"

namespace vesta {
namespace {

class WindowCommandsTest : public test::AppTest {};

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
