#include <gtest/gtest.h>

#include <fstream>

#include "Fakes.h"
#include "ui/WindowCommands.h"

namespace vesta {
namespace {

class WindowCommandsTest : public test::AppTest {};

// The page installed with the program is shown; a missing one is reported, not shown.
TEST_F(WindowCommandsTest, HelpShowsThePageInstalledWithTheProgramOrSaysItIsMissing) {
    test::TempDir install;
    std::filesystem::create_directories(install / "help");
    std::ofstream(install / "help" / "vesta300.html") << "<html></html>";
    app.ctx.paths.installDir = install.path().string();
    help1_Click(app.ctx);
    EXPECT_EQ(app.dialogs.helpShown,
              std::vector<std::string>{(install / "help" / "vesta300.html").string()});
    app.ctx.paths.installDir = "/no/such/folder";
    help1_Click(app.ctx);
    EXPECT_EQ(app.dialogs.helpShown.size(), 1u);
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_NE(app.dialogs.messages[0].text.find("/no/such/folder/help/vesta300.html"),
              std::string::npos);
}

}  // namespace
}  // namespace vesta
