#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <unistd.h>

#include "Fakes.h"
#include "RectifySupport.h"
#include "rectify/Rectification.h"
#include "rectify/SaveAndPrint.h"
#include "rectify/ScratchFile.h"
#include "sidecar/ConstructionFile.h"

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

class SaveTest : public test::AppTest {
  protected:
    void SetUp() override {
        test::writeBytes(app.ctx.paths.scratchFile(), scratch);
        app.ctx.s.resultFile = ResultFile::Unsaved;
        app.ctx.s.nomeFile = VESTA_SAMPLES_DIR "/facciata_centrata.bmp";
    }
    void save(const std::string& name) {
        app.dialogs.saveAnswers.push_back((app.folder / name).string());
        save_Click(app.ctx);
    }
    const std::vector<std::uint8_t> scratch = test::bitmapBytes({.width = 5, .height = 2});
};

TEST_F(SaveTest, TheScratchFileMovesToTheChosenName) {
    save("facciata");
    EXPECT_EQ(test::readBytes(app.folder / "facciata.BMP"), scratch);
    EXPECT_TRUE(!fs::exists(app.ctx.paths.scratchFile()) && app.dialogs.messages.empty());
    EXPECT_TRUE(readConstructionFile((app.folder / "facciata.json").string()).ok());
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

// The construction is kept beside the image, but a file of that name that vesta did not write
// is the user's own: it is never replaced, and the user is told.
TEST_F(SaveTest, ARecordNeverReplacesAFileThatIsNotOne) {
    test::writeBytes(app.folder / "rilievo.json", {'{', '}'});
    save("rilievo.bmp");
    EXPECT_EQ(test::readBytes(app.folder / "rilievo.bmp"), scratch);
    EXPECT_EQ(test::readBytes(app.folder / "rilievo.json"), (std::vector<std::uint8_t>{'{', '}'}));
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_NE(app.dialogs.messages[0].text.find("la costruzione no"), std::string::npos);
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
    EXPECT_TRUE(fs::exists(app.ctx.paths.scratchFile()) && app.dialogs.messages.empty());
    print_Click(app.ctx);
    EXPECT_EQ(app.dialogs.printed, 1);
}

// A file at the scratch name that no completed rectification of this window made (left by a
// run that ended during its loop, or by an earlier one) is never offered for saving.
TEST_F(SaveTest, OnlyThisWindowsCompletedResultIsOffered) {
    app.ctx.s.resultFile = ResultFile::None;
    save("vecchia.bmp");
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_EQ(app.dialogs.saveAnswers.size(), 1u) << "not even the dialog";
    EXPECT_FALSE(fs::exists(app.folder / "vecchia.bmp"));
    EXPECT_EQ(test::readBytes(app.ctx.paths.scratchFile()), scratch);
}

TEST(ScratchFile, AResultWhoseFileWentIsSavedFromMemory) {
    test::FakeApp app;
    test::openPhoto(app, 200, 150);
    ASSERT_TRUE(test::construct(app));
    RADDR1(app.ctx);
    const auto written = test::readBytes(app.ctx.paths.scratchFile());
    fs::remove(app.ctx.paths.scratchFile());
    app.dialogs.saveAnswers.push_back((app.folder / "facciata.bmp").string());
    save_Click(app.ctx);
    EXPECT_EQ(test::readBytes(app.folder / "facciata.bmp"), written);
    EXPECT_TRUE(app.dialogs.messages.empty());
    save_Click(app.ctx);  // now truly saved already
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_NE(app.dialogs.messages[0].text.find("già stata salvata"), std::string::npos);
}

// Only the window's own file is ever replaced or removed: something already at its name stays.
TEST(ScratchFile, AFileInTheWayIsLeftAloneAndRefused) {
    test::FakeApp app;
    test::openPhoto(app, 200, 150);
    ASSERT_TRUE(test::construct(app));
    test::writeBytes(app.ctx.paths.scratchFile(), {1, 2, 3});
    RADDR1(app.ctx);
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_EQ(app.ctx.s.nRaddr, 0);
    EXPECT_EQ(test::readBytes(app.ctx.paths.scratchFile()), (std::vector<std::uint8_t>{1, 2, 3}));
    discardScratchFile(app.ctx);  // the window's end
    EXPECT_TRUE(fs::exists(app.ctx.paths.scratchFile()));
}

TEST(ScratchFile, StartRemovesOnlyTheFilesOfEndedProcesses) {
    test::TempDir dir;
    const std::string ended = scratchNameOf(99999999), mine = scratchNameOf(getpid());
    const std::string running = scratchNameOf(getppid());
    for (const std::string& name : {ended, mine, running, std::string("vesta.bmp"),
                                    std::string("vesta-12x.bmp"), std::string("foto.bmp")}) {
        test::writeBytes(dir / name, {1});
    }
    removeStaleScratchFiles(dir.path().string());
    // This process's own goes too: no window of it made the file yet.
    std::vector<std::string> kept{running, "foto.bmp", "vesta-12x.bmp", "vesta.bmp"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(test::namesIn(dir.path()), kept);
}

}  // namespace
}  // namespace vesta
