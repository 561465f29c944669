#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "RectifySupport.h"
#include "codec/ColourFileWriter.h"
#include "measure/Measuring.h"
#include "opening/OpenImage.h"
#include "rectify/Rectification.h"
#include "rectify/SaveAndPrint.h"
#include "rectify/ScratchFile.h"
#include "rectify/WorldFile.h"
#include "sidecar/ConstructionFile.h"
#include "sidecar/PhotographRecord.h"
#include "ui/Undo.h"
#include "ui/WindowCommands.h"

namespace vesta {
namespace {

namespace fs = std::filesystem;
using test::RectifyTest;

TEST(SaveName, BmpIsAppendedUnlessTheNameEndsInLowerOrUpperBmp) {
    EXPECT_EQ(nameForSaving("facciata.bmp"), "facciata.bmp");
    EXPECT_EQ(nameForSaving("facciata.BMP"), "facciata.BMP");
    EXPECT_EQ(nameForSaving("facciata.Bmp"), "facciata.Bmp.BMP");
}

class SaveTest : public test::AppTest {
  protected:
    void SetUp() override {
        test::writeBytes(app.ctx.paths.scratchFile(), scratch);
        app.ctx.s.resultFile = ResultFile::Unsaved;
        // A copy: the photograph's folder takes its latest construction.
        fs::copy_file(VESTA_SAMPLES_DIR "/facciata_centrata.bmp", app.folder / "foto.bmp");
        app.ctx.s.nomeFile = (app.folder / "foto.bmp").string();
    }
    void save(const std::string& name) {
        app.dialogs.saveAnswers.push_back((app.folder / name).string());
        save_Click(app.ctx);
    }
    const std::vector<std::uint8_t> scratch = test::bitmapBytes({.width = 5, .height = 2});
};

// The user's mode for a new document: 0666 less the umask.
fs::perms documentMode() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return fs::perms(0666 & ~mask);
}

// The saved image and its record are documents others can read as the umask allows, not the
// private scratch file renamed.
TEST_F(SaveTest, TheScratchFileMovesToTheChosenName) {
    fs::permissions(app.ctx.paths.scratchFile(), fs::perms(0600));
    // The dialog opens in the photograph's folder, then in the last save's.
    fs::create_directory(app.folder / "rilievo");
    fs::rename(app.folder / "foto.bmp", app.folder / "rilievo" / "foto.bmp");
    app.ctx.s.nomeFile = (app.folder / "rilievo" / "foto.bmp").string();
    save("facciata");
    save_Click(app.ctx);
    EXPECT_EQ(app.dialogs.saveFolders, (std::vector<std::string>{(app.folder / "rilievo").string(),
                                                                 app.folder.path().string()}));
    EXPECT_EQ(test::readBytes(app.folder / "facciata.BMP"), scratch);
    EXPECT_TRUE(!fs::exists(app.ctx.paths.scratchFile()) && app.dialogs.messages.empty());
    EXPECT_TRUE(readConstructionFile((app.folder / "facciata.json").string()).ok());
    EXPECT_EQ(fs::status(app.folder / "facciata.BMP").permissions(), documentMode());
    EXPECT_EQ(fs::status(app.folder / "facciata.json").permissions(), documentMode());
}

// A bitmap cannot hold a colour result's profile: the panel says it was saved without it.
TEST_F(SaveTest, AColourResultSavedWithoutItsProfileSaysSoInThePanel) {
    ColourImage& result = app.ctx.s.risultatoColori;
    result = test::patternImage(6, 4, 3, 8);
    result.iccProfile.assign(100, 1);
    app.ctx.s.formatoRisultato = "risultato.tif";
    save("colori.bmp");
    EXPECT_TRUE(fs::exists(app.folder / "colori.bmp"));
    EXPECT_EQ(app.ctx.form.domanda1.caption, profileNotice(ColourFileFormat::Bmp, 100));
}

// An existing image is replaced only when the user says so. The construction is kept beside
// the image, but a file of that name that vesta did not write is the user's own: it is never
// replaced, and the user is told.
TEST_F(SaveTest, TheUsersFilesAreReplacedOnlyWhenTheySaySoAndNeverByARecord) {
    test::writeBytes(app.folder / "vecchia.bmp", {1, 2, 3});
    test::writeBytes(app.folder / "vecchia.json", {'{', '}'});
    app.dialogs.confirmAnswer = false;
    save("vecchia.bmp");
    ASSERT_EQ(app.dialogs.questions.size(), 1u);
    EXPECT_EQ(test::readBytes(app.folder / "vecchia.bmp"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(fs::exists(app.ctx.paths.scratchFile()));
    app.dialogs.confirmAnswer = true;
    fs::permissions(app.folder / "vecchia.bmp", fs::perms(0604));
    save("vecchia.bmp");
    EXPECT_EQ(test::readBytes(app.folder / "vecchia.bmp"), scratch);
    EXPECT_EQ(fs::status(app.folder / "vecchia.bmp").permissions(), fs::perms(0604));
    EXPECT_EQ(test::readBytes(app.folder / "vecchia.json"), (std::vector<std::uint8_t>{'{', '}'}));
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_NE(app.dialogs.messages[0].text.find("la costruzione no"), std::string::npos);
}

// A photograph whose file name is not UTF-8 (an old archive's Latin-1 name) cannot be named in
// a record: the image is saved all the same and the user is told, the window does not end.
TEST_F(SaveTest, APhotographNameNotInUtf8SavesTheImageWithoutItsRecord) {
    const fs::path latin1 = app.folder / "facciata\xe0.bmp";
    fs::copy_file(app.ctx.s.nomeFile, latin1);
    app.ctx.s.nomeFile = latin1.string();
    save("salvata.bmp");
    EXPECT_EQ(test::readBytes(app.folder / "salvata.bmp"), scratch);
    EXPECT_FALSE(fs::exists(app.folder / "salvata.json"));
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_NE(app.dialogs.messages[0].text.find("UTF-8"), std::string::npos);
}

// A cancelled dialog, a move that fails, and a file at the scratch name that no completed
// rectification of this window made (left by a run that ended during its loop, or by an earlier
// one): the scratch file stays, and only the failure is told.
TEST_F(SaveTest, NothingButACompletedSaveTouchesTheScratchFile) {
    app.dialogs.saveAnswers.push_back(std::nullopt);
    save_Click(app.ctx);
    EXPECT_TRUE(app.dialogs.messages.empty());
    save("no/such/folder/x.bmp");
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_NE(app.dialogs.messages[0].text.find("Impossibile salvare"), std::string::npos);
    app.ctx.s.resultFile = ResultFile::None;
    save("vecchia.bmp");
    EXPECT_EQ(app.dialogs.messages.size(), 2u);
    EXPECT_EQ(app.dialogs.saveAnswers.size(), 1u) << "not even the dialog";
    EXPECT_FALSE(fs::exists(app.folder / "vecchia.bmp"));
    EXPECT_EQ(test::readBytes(app.ctx.paths.scratchFile()), scratch);
}

// Only the window's own scratch file is ever replaced or removed: something already at its name
// stays and the result is refused. A result whose file went is saved from memory.
TEST_F(RectifyTest, AFileInTheWayIsLeftAloneAndAResultWhoseFileWentIsSavedFromMemory) {
    test::writeBytes(app.ctx.paths.scratchFile(), {1, 2, 3});
    RADDR1(app.ctx);
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_EQ(s.nRaddr, 0);
    discardScratchFile(app.ctx);  // the window's end
    EXPECT_EQ(test::readBytes(app.ctx.paths.scratchFile()), (std::vector<std::uint8_t>{1, 2, 3}));

    fs::remove(app.ctx.paths.scratchFile());
    RADDR1(app.ctx);
    const auto written = test::readBytes(app.ctx.paths.scratchFile());
    fs::remove(app.ctx.paths.scratchFile());
    app.dialogs.saveAnswers.push_back((app.folder / "facciata.bmp").string());
    save_Click(app.ctx);
    EXPECT_EQ(test::readBytes(app.folder / "facciata.bmp"), written);
    EXPECT_EQ(app.dialogs.messages.size(), 1u);
}

// The result on show is offered again once saved: under another name with the same bytes, and
// under the same name again, asked first, with nothing lost. A file that appears at the scratch
// name after a save is not the result's: it is never moved or removed.
TEST_F(RectifyTest, TheResultOnShowIsSavedAgainUnderAnyName) {
    RADDR1(app.ctx);
    const auto written = test::readBytes(app.ctx.paths.scratchFile());
    for (const char* name : {"prima.bmp", "seconda.bmp", "prima.bmp"}) {
        app.dialogs.saveAnswers.push_back((app.folder / name).string());
        save_Click(app.ctx);
        EXPECT_EQ(test::readBytes(app.folder / name), written) << name;
    }
    EXPECT_TRUE(app.dialogs.messages.empty()) << app.dialogs.messages[0].text;
    EXPECT_EQ(app.dialogs.questions.size(), 1u) << "replacing prima.bmp is asked";
    EXPECT_TRUE(fs::exists(app.folder / "seconda.json") &&
                !fs::exists(app.ctx.paths.scratchFile()));
    test::writeBytes(app.ctx.paths.scratchFile(), {1, 2, 3});
    app.dialogs.saveAnswers.push_back((app.folder / "terza.bmp").string());
    save_Click(app.ctx);
    EXPECT_FALSE(fs::exists(app.folder / "terza.bmp"));
    EXPECT_EQ(test::readBytes(app.ctx.paths.scratchFile()), (std::vector<std::uint8_t>{1, 2, 3}));
}

// A result saved in another folder leaves the photograph's latest construction where opening
// it looks: beside it, or in the data folder when a file of the user's own holds that name;
// reopening offers the newest, after the photograph is shown.
TEST_F(RectifyTest, TheLatestConstructionIsKeptWhereThePhotographIsOpenedAgain) {
    const std::string photo = s.nomeFile;
    const fs::path elsewhere = app.folder / "altrove";
    fs::create_directory(elsewhere);
    app.dialogs.confirmAnswer = false;  // asked, not restored
    const auto saveAndReopen = [&](const char* name) {
        test::construct(app);
        RADDR1(app.ctx);
        app.dialogs.saveAnswers.push_back((elsewhere / name).string());
        save_Click(app.ctx);
        app.dialogs.openAnswers.push_back(photo);
        open_Click(app.ctx);
        return app.dialogs.questions.empty() ? std::string() : app.dialogs.questions.back();
    };
    EXPECT_NE(saveAndReopen("prima.bmp").find(photographRecordPath(photo)), std::string::npos);
    EXPECT_TRUE(readConstructionFile(photographRecordPath(photo)).ok());

    test::writeBytes(photographRecordPath(photo), {'{', '}'});
    const std::string kept = dataRecordPath(app.ctx.paths.recordsDir(), fileSha256(photo).value());
    EXPECT_NE(saveAndReopen("seconda.bmp").find(kept), std::string::npos);
    EXPECT_EQ(test::readBytes(photographRecordPath(photo)), (std::vector<std::uint8_t>{'{', '}'}));
    EXPECT_TRUE(fs::exists(elsewhere / "prima.json") && fs::exists(elsewhere / "seconda.json"));
    EXPECT_TRUE(app.dialogs.messages.empty()) << app.dialogs.messages[0].text;
}

// A measured result drops into a drawing at true size: its world file, in metres, beside it. A
// new result has no scale until measured: the earlier one's would place it wrongly, and was
// kept in its record.
TEST_F(RectifyTest, AMeasuredResultIsSavedWithItsWorldFileAndANewOneWithout) {
    RADDR1(app.ctx);
    RADDR1(app.ctx);  // Misura
    app.dialogs.inputs.push_back("100");
    Picture2_MouseDown(app.ctx, 10, 20);
    Picture2_MouseDown(app.ctx, 40, 60);
    ASSERT_EQ(s.scala, 2);
    app.dialogs.saveAnswers.push_back((app.folder / "misurata.bmp").string());
    save_Click(app.ctx);
    const auto world = test::readBytes(app.folder / "misurata.bpw");
    EXPECT_EQ(std::string(world.begin(), world.end()), "0.02\n0\n0\n-0.02\n0.01\n-0.01\n");
    EXPECT_EQ(worldFileText(2), std::string(world.begin(), world.end()));

    ALTRA1(app.ctx);
    RADDR1(app.ctx);
    app.dialogs.saveAnswers.push_back((app.folder / "nuova.bmp").string());
    save_Click(app.ctx);
    EXPECT_TRUE(fs::exists(app.folder / "nuova.bmp") && !fs::exists(app.folder / "nuova.bpw"));
    EXPECT_EQ(readConstructionFile((app.folder / "nuova.json").string()).value().scale, 0);
    EXPECT_TRUE(app.dialogs.messages.empty()) << app.dialogs.messages[0].text;
}

// Exit and another photograph ask before a result never saved goes: "Annulla", or "Salva" with
// the save dialog cancelled, changes nothing; "Salva" saves first; "Non salvare" goes on and the
// old result is no longer offered. Nothing is asked when nothing is unsaved.
TEST_F(RectifyTest, ExitAndOpenAskBeforeAnUnsavedResultGoes) {
    RADDR1(app.ctx);
    const std::string scratch = app.ctx.paths.scratchFile();
    const auto leaveAndOpen = [&](SaveChoice answer) {
        app.dialogs.saveChoice = answer;
        EXIT_Click(app.ctx);
        app.dialogs.openAnswers = {(app.folder / "foto.bmp").string()};
        open_Click(app.ctx);
    };
    leaveAndOpen(SaveChoice::Cancel);
    app.dialogs.saveAnswers = {std::nullopt, std::nullopt};
    leaveAndOpen(SaveChoice::Save);
    EXPECT_EQ(app.events.terminations, 0);
    EXPECT_EQ(app.dialogs.openAnswers.size(), 1u) << "not even the Open dialog";
    EXPECT_TRUE(s.resultFile == ResultFile::Unsaved && fs::exists(scratch) && f.Picture2.visible);
    ASSERT_EQ(app.dialogs.saveQuestions.size(), 4u);
    EXPECT_EQ(app.dialogs.saveQuestions[0],
              "L'immagine raddrizzata non è stata salvata.\nSalvarla prima di uscire?");
    EXPECT_EQ(app.dialogs.saveQuestions[1],
              "L'immagine raddrizzata non è stata salvata.\n"
              "Salvarla prima di aprire un'altra immagine?");

    app.dialogs.saveChoice = SaveChoice::Save;
    app.dialogs.saveAnswers = {(app.folder / "salvata.bmp").string()};
    EXIT_Click(app.ctx);
    EXPECT_TRUE(app.events.terminations == 1 && fs::exists(app.folder / "salvata.bmp"));

    ALTRA1(app.ctx);
    RADDR1(app.ctx);
    ASSERT_TRUE(s.resultFile == ResultFile::Unsaved && fs::exists(scratch));
    app.dialogs.openAnswers = {(app.folder / "foto.bmp").string()};
    app.dialogs.saveChoice = SaveChoice::DontSave;
    open_Click(app.ctx);
    EXPECT_TRUE(f.Picture1.visible && !f.Picture2.visible);
    EXPECT_TRUE(s.resultFile == ResultFile::None && !fs::exists(scratch) && !f.save.enabled);
    EXIT_Click(app.ctx);
    EXPECT_EQ(app.events.terminations, 2);
    EXPECT_EQ(app.dialogs.saveQuestions.size(), 6u);
}

// This process's own goes too: no window of it made the file yet.
TEST(ScratchFile, StartRemovesOnlyTheFilesOfEndedProcesses) {
    test::TempDir dir;
    const std::string running = scratchNameOf(getppid());
    for (const std::string& name : {scratchNameOf(99999999), scratchNameOf(getpid()), running,
                                    std::string("vesta-12x.bmp"), std::string("foto.bmp")}) {
        test::writeBytes(dir / name, {1});
    }
    removeStaleScratchFiles(dir.path().string());
    std::vector<std::string> kept{running, "foto.bmp", "vesta-12x.bmp"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(test::namesIn(dir.path()), kept);
}

}  // namespace
}  // namespace vesta
