#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BitmapBytes.h"
#include "cli/BatchRun.h"
#include "sidecar/StateRecord.h"

namespace vesta {
namespace {

struct Outcome {
    int code = 0;
    std::string out, err;
};

namespace fs = std::filesystem;

// Runs the installed-style binary as a user's script would. `before` is shell text run first in
// the same process (limits, variables); the binary then replaces the shell and keeps its pid,
// unless `wrapper` (a command such as timeout) runs it.
Outcome run(const std::string& args, const test::TempDir& dir, const std::string& before = "",
            const std::string& wrapper = "") {
    const auto out = dir / "stdout.txt";
    const auto err = dir / "stderr.txt";
    const std::string command = before + " exec " + wrapper + " " + VESTA_RECTIFY + " " + args +
                                " > " + out.string() + " 2> " + err.string();
    const int status = std::system(command.c_str());
    const auto text = [](const std::filesystem::path& p) {
        const auto b = test::readBytes(p);
        return std::string(b.begin(), b.end());
    };
    return {WEXITSTATUS(status), text(out), text(err)};
}

const std::string kSample = VESTA_SAMPLES_DIR "/facciata_ruotata.bmp";
const std::string kLines =
    " --h1 234,174,615,135 --h2 201,352,602,379 --v1 163,448,216,174 --v2 635,525,651,129";

TEST(Cli, RefusalsSayWhyAndWriteNothing) {
    test::TempDir dir;
    const auto out = (dir / "out.bmp").string();
    const std::pair<std::string, std::string> cases[] = {
        {(dir / "nessuna.bmp").string() + " " + out + kLines, "non si può aprire"},
        {kSample + " " + out + " --h1 0,0,100,10 --h2 0,50,100,60 --v1 10,10,20,300" +
             " --v2 700,10,710,300",
         "Fuga verticale o orizzontale all'infinito !!"},
        // A corner on the horizontal vanishing point: refused at the area, after a sound
        // construction from the lines alone, which must not be rectified instead.
        {kSample + " " + out + kLines + " --area -828.04154130988184,282.71291367738945,600,500",
         "angolo dell'area è allineato"},
        {kSample + " " + out + kLines + " --area 200,150,200,150", "sarebbe vuota"},
    };
    for (const auto& [args, why] : cases) {
        const Outcome r = run(args, dir);
        EXPECT_EQ(r.code, 1) << args;
        EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(out)) << args;
    }
}

// Whatever stands at OUTPUT when the run fails is left exactly as it was, and nothing of the
// run is left beside it.
TEST(Cli, AFailedRunLeavesWhateverIsAtTheOutput) {
    test::TempDir dir;
    const auto folder = dir / "lavoro";
    fs::create_directory(folder);
    const auto out = folder / "out.bmp";
    const auto args = kSample + " " + out.string() + kLines;
    // The run fails and leaves only what was at OUTPUT in the folder.
    const auto fails = [&](const std::string& before = "") {
        const Outcome r = run(args, dir, before);
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(test::namesIn(folder), std::vector<std::string>{"out.bmp"});
        return r;
    };

    test::writeBytes(out, {'v', 'e', 'c', 'c', 'h', 'i', 'a'});
    // The disk is full after 100 blocks (50 or 100 KiB, as the shell counts them): the image is
    // 3 MB.
    fails("trap '' XFSZ; ulimit -f 100;");
    EXPECT_EQ(test::readBytes(out), (std::vector<std::uint8_t>{'v', 'e', 'c', 'c', 'h', 'i', 'a'}));
    fs::remove(out);

    fs::create_directory(out);
    fails();
    EXPECT_TRUE(fs::is_directory(out)) << "an empty folder at OUTPUT";
    fs::remove(out);

    ASSERT_EQ(::mkfifo(out.c_str(), 0600), 0);
    const Outcome r = fails();
    EXPECT_TRUE(fs::is_fifo(out)) << "a pipe at OUTPUT";
    EXPECT_NE(r.err.find("non un file"), std::string::npos) << r.err;
}

// The scratch folder is private: a link planted in the temporary folder under the name a run
// could choose never lets the run write through it, and the run leaves nothing behind.
TEST(Cli, TheScratchFolderCannotBePlantedAndAMissingTmpdirIsRefused) {
    test::TempDir dir;
    const auto tmp = dir / "tmp";
    const auto planted = dir / "planted";
    fs::create_directories(tmp);
    fs::create_directories(planted);
    test::writeBytes(dir / "victim.bmp", {'m', 'i', 'a'});
    fs::create_symlink(dir / "victim.bmp", planted / "vesta.bmp");
    // $$ is the pid the binary will have, since it replaces the shell.
    const Outcome r = run(kSample + " " + (dir / "out.bmp").string() + kLines, dir,
                          "TMPDIR=" + tmp.string() + "; export TMPDIR; ln -s " + planted.string() +
                              " " + tmp.string() + "/vesta-rectify-$$;");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(test::readBytes(dir / "victim.bmp"), (std::vector<std::uint8_t>{'m', 'i', 'a'}));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "out.bmp")));
    const auto left = test::namesIn(tmp);
    ASSERT_EQ(left.size(), 1u) << "the planted link stays, nothing else remains";
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(tmp / left[0])));

    for (const std::string& bad : {(dir / "missing").string(), (dir / "victim.bmp").string()}) {
        const Outcome t = run(kSample + " " + (dir / "t.bmp").string() + kLines, dir,
                              "TMPDIR=" + bad + "; export TMPDIR;");
        EXPECT_EQ(t.code, 1) << bad;
        EXPECT_NE(t.err.find("TMPDIR"), std::string::npos) << t.err;
    }
}

// A pipe with no writer would block the read for ever; a folder or a device holds no image.
TEST(Cli, OnlyARegularFileIsReadAsThePhotograph) {
    test::TempDir dir;
    const auto pipe = dir / "pipe.bmp";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& input :
         {pipe.string(), dir.path().string(), std::string("/dev/null")}) {
        const Outcome r =
            run(input + " " + (dir / "o.bmp").string() + kLines, dir, "", "timeout 20");
        EXPECT_EQ(r.code, 1) << input;
        EXPECT_NE(r.err.find("Non è un file normale"), std::string::npos) << r.err;
    }
}

TEST(Cli, UsageErrorsExitWithTwoAndHelpWithZero) {
    test::TempDir dir;
    const std::string o = " " + (dir / "o.bmp").string();
    const std::string rest = " --h2 201,352,602,379 --v1 163,448,216,174 --v2 635,525,651,129";
    for (const std::string& args : {
             std::string(),
             kSample,
             kSample + o + " --h1 1,2,3",
             kSample + o + kLines + " --size 2.5",
             kSample + o + kLines + " --zoom 3",
             kSample + o + " --h1 0x1p3,174,615,135" + rest,
             kSample + o + " --h1 ' 234,174,615,135'" + rest,
             kSample + o + " --h1 nan,174,615,135" + rest,
             kSample + o + kLines + " --h1 234,174,615,135",
             kSample + o + kLines + " --known 0,250",
             kSample + o + kLines + " --known 300;250",
         }) {
        const Outcome r = run(args, dir);
        EXPECT_EQ(r.code, 2) << args;
        EXPECT_NE(r.err.find("uso: vesta-rectify"), std::string::npos) << args;
    }
    EXPECT_FALSE(fs::exists(dir / "o.bmp"));
    const Outcome help = run("--help", dir);
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("uso: vesta-rectify", 0), 0u) << help.out;
}

TEST(Cli, SizeStepsAccumulateLikeTheSpinButton) {
    EXPECT_EQ(sizeAfterSteps(9), 1.9000000000000008);
    const auto parsed = parseArgs({"a.bmp", "b.bmp", "--h1", "1,2,3,4", "--h2", "1,2,3,4", "--v1",
                                   "1,2,3,4", "--v2", "1,2,3,4.5", "--size", "1.5"});
    ASSERT_TRUE(parsed.request) << parsed.error;
    EXPECT_EQ(parsed.request->sizeSteps, 5);
    EXPECT_EQ(parsed.request->lines[3][1].y, 4.5f);
}

// A kept construction replays to the very bytes of the run that made it, on that photograph
// only.
TEST(CliReplay, AKeptConstructionGivesTheSameBytesOnItsOwnPhotographOnly) {
    test::TempDir dir;
    fs::copy_file(kSample, dir / "facciata.bmp");
    const std::string photo = (dir / "facciata.bmp").string();
    const std::string direct = (dir / "diretta.bmp").string();
    const Outcome first =
        run(photo + " " + direct + kLines + " --area 200,150,620,500 --size 1.3", dir);
    ASSERT_EQ(first.code, 0) << first.err;
    EXPECT_NE(first.out.find("distanzaPrinc: "), std::string::npos) << "the construction printed";

    BatchRequest request =
        *parseArgs({photo, (dir / "scarto.bmp").string(), "--h1", "234,174,615,135", "--h2",
                    "201,352,602,379", "--v1", "163,448,216,174", "--v2", "635,525,651,129",
                    "--area", "200,150,620,500", "--size", "1.3"})
             .request;
    // The record of the run `request` asks for, kept as `name`.
    const auto keep = [&](const char* name) {
        const BatchResult made = runBatch(request, dir.path().string());
        ASSERT_TRUE(made.ok) << made.message;
        const Result<ConstructionRecord> record = recordOf(made.state);
        ASSERT_TRUE(record.ok()) << record.error();
        const std::string t = constructionJson(record.value());
        test::writeBytes(dir / name, std::vector<std::uint8_t>(t.begin(), t.end()));
    };
    keep("facciata.json");
    const Outcome replay =
        run((dir / "rifatta.bmp").string() + " --from " + (dir / "facciata.json").string(), dir);
    ASSERT_EQ(replay.code, 0) << replay.err;
    EXPECT_EQ(test::readBytes(dir / "rifatta.bmp"), test::readBytes(direct));

    // So does one rectified by known measures; this run prints its figures as JSON.
    const std::string known = (dir / "note.bmp").string();
    const Outcome json =
        run(photo + " " + known + kLines + " --area 200,150,620,500 --known 300,250 --json", dir);
    ASSERT_EQ(json.code, 0);
    EXPECT_EQ(json.out.front(), '{');
    request.known = std::array<double, 2>{300, 250};
    request.sizeSteps = 0;
    keep("note.json");
    ASSERT_EQ(run(photo + " " + (dir / "note-rifatta.bmp").string() + " --from " +
                      (dir / "note.json").string(),
                  dir)
                  .code,
              0);
    EXPECT_EQ(test::readBytes(dir / "note-rifatta.bmp"), test::readBytes(known));

    // Another photograph under the same name is not the one the lines were drawn on.
    auto bytes = test::readBytes(photo);
    bytes.back() ^= 1;
    test::writeBytes(photo, bytes);
    const Outcome other =
        run((dir / "altra.bmp").string() + " --from " + (dir / "facciata.json").string(), dir);
    EXPECT_EQ(other.code, 1);
    EXPECT_NE(other.err.find("non è quella"), std::string::npos) << other.err;
    EXPECT_FALSE(fs::exists(dir / "altra.bmp"));
    EXPECT_EQ(run("a.bmp b.bmp --from x.json" + kLines, dir).code, 2);
}

}  // namespace
}  // namespace vesta
