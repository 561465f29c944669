#include <gtest/gtest.h>

#include <filesystem>

#include "Fakes.h"
#include "rectify/SaveAndPrint.h"
#include "ui/Startup.h"

namespace vesta {
namespace {

namespace fs = std::filesystem;

TEST(SaveName, BmpIsAppendedUnlessTheNameEndsInLowerOrUpperBmp) {
    EXPECT_EQ(nameForSaving("facciata"), "facciata.BMP");
    EXPECT_EQ(nameForSaving("facciata.bmp"), "facciata.bmp");
    EXPECT_EQ(nameForSaving("facciata.BMP"), "facciata.BMP");
    EXPECT_EQ(nameForSaving("facciata.Bmp"), "facciata.Bmp.BMP");
    EXPECT_EQ(nameForSaving("bmp"), "bmp.BMP");
}

class SaveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Form_Load(app.ctx, test::screen1024x768());
        test::writeBytes(app.ctx.paths.scratchFile(), scratch);
    }
    void save(const std::string& name) {
        app.dialogs.saveAnswers.push_back((app.folder / name).string());
        save_Click(app.ctx);
    }
    test::FakeApp app;
    const std::vector<std::uint8_t> scratch = test::bitmapBytes({.width = 5, .height = 2});
};

TEST_F(SaveTest, TheScratchFileMovesToTheChosenName) {
    save("facciata");
    EXPECT_EQ(test::readBytes(app.folder / "facciata.BMP"), scratch);
    EXPECT_FALSE(fs::exists(app.ctx.paths.scratchFile()));
    EXPECT_TRUE(app.dialogs.messages.empty());
    // Nothing new since: the user is told, not left with a silent failure.
    save("ancora.bmp");
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_NE(app.dialogs.messages[0].text.find("Non c'è una nuova immagine"), std::string::npos);
    EXPECT_FALSE(fs::exists(app.folder / "ancora.bmp"));
}

TEST_F(SaveTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    test::writeBytes(app.folder / "vecchia.bmp", {1, 2, 3});
    app.dialogs.confirmAnswer = false;
    save("vecchia.bmp");
    ASSERT_EQ(app.dialogs.questions.size(), 1u);
    EXPECT_EQ(test::readBytes(app.folder / "vecchia.bmp"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(fs::exists(app.ctx.paths.scratchFile()));
    app.dialogs.confirmAnswer = true;
    save("vecchia.bmp");
    EXPECT_EQ(test::readBytes(app.folder / "vecchia.bmp"), scratch);
}

TEST_F(SaveTest, AFailedMoveKeepsTheScratchFileAndSaysSo) {
    save("no/such/folder/x.bmp");
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_NE(app.dialogs.messages[0].text.find("Impossibile salvare"), std::string::npos);
    EXPECT_EQ(test::readBytes(app.ctx.paths.scratchFile()), scratch);
}

TEST_F(SaveTest, CancellingTheDialogSavesNothingAndPrintAsksOnce) {
    app.dialogs.saveAnswers.push_back(std::nullopt);
    save_Click(app.ctx);
    EXPECT_TRUE(fs::exists(app.ctx.paths.scratchFile()));
    EXPECT_TRUE(app.dialogs.messages.empty());
    print_Click(app.ctx);
    EXPECT_EQ(app.dialogs.printed, 1);
}

}  // namespace
}  // namespace vesta
