// Saving a result: the name, the user's files, the construction kept beside it, and the way a
// file reaches its place without losing what was there.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "RectifySupport.h"
#include "codec/ColourFileWriter.h"
#include "files/FilePlacement.h"
#include "measure/Measuring.h"
#include "opening/OpenImage.h"
#include "rectify/Rectification.h"
#include "rectify/SaveAndPrint.h"
#include "rectify/ScratchFile.h"
#include "sidecar/ConstructionFile.h"
#include "sidecar/PhotographRecord.h"
#include "ui/Undo.h"
#include "ui/WindowCommands.h"

namespace vesta {
namespace {

namespace fs = std::filesystem;
using test::RectifyTest;

// The Save command, its dialog answered with `path`.
void saveAs(test::FakeApp& app, const fs::path& path) {
    app.dialogs.saveAnswers.push_back(path.string());
    save_Click(app.ctx);
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
    const std::vector<std::uint8_t> scratch = test::bitmapBytes({.width = 5, .height = 2});
};

// A bitmap cannot hold a colour result's profile: the panel says it was saved without it.
TEST_F(SaveTest, AColourResultSavedWithoutItsProfileSaysSoInThePanel) {
    ColourImage& result = app.ctx.s.risultatoColori;
    result = test::patternImage(6, 4, 3, 8);
    result.iccProfile.assign(100, 1);
    app.ctx.s.formatoRisultato = "risultato.tif";
    saveAs(app, app.folder / "colori.bmp");
    EXPECT_TRUE(fs::exists(app.folder / "colori.bmp"));
    EXPECT_EQ(app.ctx.form.domanda1.caption, profileNotice(ColourFileFormat::Bmp, 100));
}

// An existing image is replaced only when the user says so. The construction is kept beside
// the image, but a file of that name that vesta did not write is the user's own: it is never
// replaced, and the user is told. A photograph whose file name is not UTF-8 (an old archive's
// Latin-1 name) cannot be named in a record: the image is saved all the same and the user is
// told, the window does not end.
TEST_F(SaveTest, TheUsersFilesAreReplacedOnlyWhenTheySaySoAndNeverByARecord) {
    test::writeBytes(app.folder / "vecchia.bmp", {1, 2, 3});
    test::writeBytes(app.folder / "vecchia.json", {'{', '}'});
    app.dialogs.confirmAnswer = false;
    saveAs(app, app.folder / "vecchia.bmp");
    ASSERT_EQ(app.dialogs.questions.size(), 1u);
    EXPECT_EQ(test::readBytes(app.folder / "vecchia.bmp"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(fs::exists(app.ctx.paths.scratchFile()));
    app.dialogs.confirmAnswer = true;
    saveAs(app, app.folder / "vecchia.bmp");
    EXPECT_EQ(test::readBytes(app.folder / "vecchia.bmp"), scratch);
    EXPECT_EQ(test::readBytes(app.folder / "vecchia.json"), (std::vector<std::uint8_t>{'{', '}'}));
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_NE(app.dialogs.messages[0].text.find("la costruzione no"), std::string::npos);

    test::writeBytes(app.ctx.paths.scratchFile(), scratch);  // a new result
    app.ctx.s.resultFile = ResultFile::Unsaved;
    const fs::path latin1 = app.folder / "facciata\xe0.bmp";
    fs::copy_file(app.ctx.s.nomeFile, latin1);
    app.ctx.s.nomeFile = latin1.string();
    saveAs(app, app.folder / "salvata.bmp");
    EXPECT_EQ(test::readBytes(app.folder / "salvata.bmp"), scratch);
    EXPECT_FALSE(fs::exists(app.folder / "salvata.json"));
    ASSERT_EQ(app.dialogs.messages.size(), 2u);
    EXPECT_NE(app.dialogs.messages[1].text.find("UTF-8"), std::string::npos);
}

// A cancelled dialog, a move that fails, and a file at the scratch name that no completed
// rectification of this window made (left by a run that ended during its loop, or by an earlier
// one): the scratch file stays, and only the failure is told.
TEST_F(SaveTest, NothingButACompletedSaveTouchesTheScratchFile) {
    app.dialogs.saveAnswers.push_back(std::nullopt);
    save_Click(app.ctx);
    EXPECT_TRUE(app.dialogs.messages.empty());
    saveAs(app, app.folder / "no/such/folder/x.bmp");
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_NE(app.dialogs.messages[0].text.find("Impossibile salvare"), std::string::npos);
    app.ctx.s.resultFile = ResultFile::None;
    saveAs(app, app.folder / "vecchia.bmp");
    EXPECT_EQ(app.dialogs.messages.size(), 2u);
    EXPECT_EQ(app.dialogs.saveAnswers.size(), 1u) << "not even the dialog";
    EXPECT_FALSE(fs::exists(app.folder / "vecchia.bmp"));
    EXPECT_EQ(test::readBytes(app.ctx.paths.scratchFile()), scratch);
}

// Only the window's own scratch file is ever replaced or removed: something already at its name
// stays and the result is refused.
TEST_F(RectifyTest, AFileInTheWayIsLeftAlone) {
    test::writeBytes(app.ctx.paths.scratchFile(), {1, 2, 3});
    RADDR1(app.ctx);
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    discardScratchFile(app.ctx);  // the window's end
    EXPECT_EQ(test::readBytes(app.ctx.paths.scratchFile()), (std::vector<std::uint8_t>{1, 2, 3}));
}

// The result takes the chosen name, its construction's record
// beside it; the dialog opens in the photograph's folder, then in the last save's. Once saved it
// is offered again: under another name with the same bytes (its file went with the first save:
// it is made again from memory), and under the same name again, asked first, with nothing lost.
// A file that appears at the scratch name after a save is not the result's: it is never moved
// or removed.
TEST_F(RectifyTest, TheResultIsSavedUnderTheChosenNameAndAgainUnderAny) {
    RADDR1(app.ctx);
    const auto written = test::readBytes(app.ctx.paths.scratchFile());
    const fs::path survey = app.folder / "rilievo";
    fs::create_directory(survey);
    app.ctx.paths.documentsDir = survey;  // not where the dialog first opens
    // .BMP is added unless the name ends in .bmp or .BMP.
    for (const auto& [name, saved] : {std::pair<std::string, fs::path>{"prima", "prima.BMP"},
                                      {"seconda.Bmp", "seconda.Bmp.BMP"},
                                      {"prima.BMP", "prima.BMP"}}) {
        saveAs(app, survey / name);
        EXPECT_EQ(test::readBytes(survey / saved), written) << name;
        EXPECT_TRUE(readConstructionFile(survey / fs::path(saved).replace_extension(".json")).ok())
            << name;
    }
    EXPECT_EQ(app.dialogs.saveFolders,
              (std::vector<std::string>{app.folder.path().string(), survey, survey}));
    EXPECT_TRUE(app.dialogs.messages.empty()) << app.dialogs.messages[0].text;
    EXPECT_EQ(app.dialogs.questions.size(), 1u) << "replacing prima.BMP is asked";
    EXPECT_FALSE(fs::exists(app.ctx.paths.scratchFile()));
    test::writeBytes(app.ctx.paths.scratchFile(), {1, 2, 3});
    saveAs(app, survey / "terza.bmp");
    EXPECT_FALSE(fs::exists(survey / "terza.bmp"));
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
        saveAs(app, elsewhere / name);
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
    saveAs(app, app.folder / "misurata.bmp");
    const auto world = test::readBytes(app.folder / "misurata.bpw");
    EXPECT_EQ(std::string(world.begin(), world.end()), "0.02\n0\n0\n-0.02\n0.01\n-0.01\n");

    ALTRA1(app.ctx);
    RADDR1(app.ctx);
    saveAs(app, app.folder / "nuova.bmp");
    EXPECT_TRUE(fs::exists(app.folder / "nuova.bmp") && !fs::exists(app.folder / "nuova.bpw"));
    EXPECT_EQ(readConstructionFile((app.folder / "nuova.json").string()).value().scale, 0);
    EXPECT_TRUE(app.dialogs.messages.empty()) << app.dialogs.messages[0].text;
}

// Exit and another photograph ask before a result never saved goes: "Annulla", or "Salva" with
// the save dialog cancelled, changes nothing; "Non salvare" goes on and the old result is no
// longer offered. Nothing is asked when nothing is unsaved. ("Salva" saving first is the
// window's closing test.)
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
    EXPECT_TRUE(s.resultFile == ResultFile::Unsaved && fs::exists(scratch) && f.Picture2.visible);
    ASSERT_EQ(app.dialogs.saveQuestions.size(), 4u);
    EXPECT_EQ(app.dialogs.saveQuestions[0],
              "L'immagine raddrizzata non è stata salvata.\nSalvarla prima di uscire?");
    EXPECT_EQ(app.dialogs.saveQuestions[1],
              "L'immagine raddrizzata non è stata salvata.\n"
              "Salvarla prima di aprire un'altra immagine?");

    app.dialogs.openAnswers = {(app.folder / "foto.bmp").string()};
    app.dialogs.saveChoice = SaveChoice::DontSave;
    open_Click(app.ctx);
    EXPECT_TRUE(f.Picture1.visible && !f.Picture2.visible);
    EXPECT_TRUE(s.resultFile == ResultFile::None && !fs::exists(scratch) && !f.save.enabled);
    EXIT_Click(app.ctx);
    EXPECT_EQ(app.events.terminations, 1);
    EXPECT_EQ(app.dialogs.saveQuestions.size(), 5u);
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

// The kernel refuses every write past the limit as a full disk does (EFBIG instead of ENOSPC),
// and the run goes on since the signal it would send is ignored.
struct FullDisk {
    explicit FullDisk(rlim_t bytes) : previous(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limited{bytes, saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FullDisk() {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }
    rlimit saved{};
    void (*previous)(int);
};

// Whether a writable folder lies on another volume than the test's own, so that a move there
// must copy; there is none on some machines.
bool anotherVolume(const fs::path& here, const fs::path& there) {
    struct stat a {
    }, b{};
    return ::stat(here.c_str(), &a) == 0 && ::stat(there.c_str(), &b) == 0 &&
           a.st_dev != b.st_dev && ::access(there.c_str(), W_OK) == 0;
}

// Only a regular file is ever replaced: a folder or a pipe at the chosen name stays. A
// 381,790-byte result onto a disk that is full at 64 KiB, over a file already there: both ways a
// result reaches its name (a copy put in place, and a move from the scratch folder on another
// volume) keep the old file whole, leave nothing beside it, and work once there is room.
TEST(FilePlacement, NeitherANonFileNorAFullDiskLosesWhatIsAtTheTarget) {
    test::TempDir dir;
    const auto result = test::bitmapBytes({.width = 617, .height = 617});
    ASSERT_GT(result.size(), 381000u);
    const auto target = dir / "facciata.bmp";
    const std::vector<std::uint8_t> old = {'v', 'e', 'c', 'c', 'h', 'i', 'a'};
    test::writeBytes(target, old);
    const auto source = dir / "risultato.bmp";
    test::writeBytes(source, result);
    fs::create_directory(dir / "cartella");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const auto before = test::namesIn(dir.path());

    std::string error;
    EXPECT_FALSE(moveFile(source.string(), (dir / "cartella").string(), error));
    EXPECT_FALSE(moveFile(source.string(), (dir / "pipe").string(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(dir / "cartella") && fs::is_fifo(dir / "pipe"));
    EXPECT_EQ(test::readBytes(source), result);

    // The result from `from` put in place over the old file, first on a full disk, then with
    // room; a replaced file keeps its own mode, whatever the umask.
    const auto fullThenRoom = [&](const fs::path& from, fs::perms mode, const auto& place) {
        test::writeBytes(target, old);
        fs::permissions(target, mode);
        {
            FullDisk full(65536);
            EXPECT_FALSE(place());
        }
        EXPECT_EQ(test::readBytes(target), old);
        EXPECT_EQ(test::readBytes(from), result) << "the result is kept for another try";
        EXPECT_EQ(test::namesIn(dir.path()), before) << "no stub left beside the target";
        EXPECT_TRUE(place()) << error;
        EXPECT_EQ(test::readBytes(target), result);
        EXPECT_EQ(fs::status(target).permissions(), mode);
    };
    fullThenRoom(source, fs::perms(0604),
                 [&] { return replaceFile(target.string(), copyOf(source.string()), error); });

    if (!anotherVolume(dir.path(), "/dev/shm")) {
        GTEST_SKIP() << "no second volume for a move that must copy";
    }
    const fs::path scratch =
        fs::path("/dev/shm") / ("vesta-test-" + std::to_string(::getpid()) + ".bmp");
    test::writeBytes(scratch, result);
    fs::permissions(scratch, fs::perms(0600));
    fullThenRoom(scratch, fs::perms(0640),
                 [&] { return moveFile(scratch.string(), target.string(), error); });
    EXPECT_FALSE(fs::exists(scratch));
}

}  // namespace
}  // namespace vesta
