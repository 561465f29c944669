#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "BatchRuns.h"
#include "image/BitmapFile.h"
#include "image/QuarterTurns.h"
#include "rectify/WorldFile.h"
#include "state/Numbers.h"

namespace vesta {
namespace {

using test::kLines;
using test::kSample;
using test::Outcome;
using test::run;
using test::textOf;
namespace fs = std::filesystem;

std::string inTmp(const fs::path& tmp) {
    return "TMPDIR=" + tmp.string() + "; export TMPDIR;";
}

// A refused run exits with 1 and says why, a usage error with 2 and the usage (the reasons of
// the arguments' refusals are below), and neither writes anything; a destination folder that
// cannot take OUTPUT is refused before the photograph is even opened. A run that fails on a full
// disk (100 blocks, 50 or 100 KiB as the shell counts them, for a 3 MB image) leaves what stood
// at OUTPUT as it was. --help prints the usage and exits with 0.
TEST(Cli, RefusalsSayWhyAndLeaveTheOutputAlone) {
    test::TempDir dir;
    const auto out = (dir / "out.bmp").string();
    const std::string none = (dir / "nessuna.bmp").string() + " ";
    const std::string usage = "uso: vesta-rectify";
    const std::tuple<std::string, int, std::string> cases[] = {
        {none + out + kLines, 1, "non si può aprire"},
        {none + (dir / "manca" / "o.bmp").string() + kLines, 1, "Impossibile scrivere il file "},
        // A corner on the horizontal vanishing point: refused at the area, after a sound
        // construction from the lines alone, which must not be rectified instead.
        {kSample + " " + out + kLines + " --area -828.04154130988184,282.71291367738945,600,500", 1,
         "angolo dell'area è allineato"},
        {kSample + " " + out + kLines + " --focal35 exif", 1, "non dichiara la sua focale"},
        {kSample, 2, usage},
    };
    for (const auto& [args, code, why] : cases) {
        const Outcome r = run(args, dir);
        EXPECT_EQ(r.code, code) << args;
        EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(out)) << args;
    }
    test::writeBytes(out, {'v', 'e', 'c', 'c', 'h', 'i', 'a'});
    EXPECT_EQ(run(kSample + " " + out + kLines, dir, "trap '' XFSZ; ulimit -f 100;").code, 1);
    EXPECT_EQ(test::readBytes(out), (std::vector<std::uint8_t>{'v', 'e', 'c', 'c', 'h', 'i', 'a'}));
    const Outcome help = run("--help", dir);
    EXPECT_TRUE(help.code == 0 && help.out.rfind(usage, 0) == 0) << help.out;
}

// The scratch folder is private: a link planted in the temporary folder under the name a run
// could choose never lets the run write through it, and the run leaves nothing behind. Its
// result, new, is a document others on the survey can read (0666 less the umask, here not the
// usual one), not the private scratch file renamed.
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
                          inTmp(tmp) + " umask 027; ln -s " + planted.string() + " " +
                              tmp.string() + "/vesta-rectify-$$;");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(test::readBytes(dir / "victim.bmp"), (std::vector<std::uint8_t>{'m', 'i', 'a'}));
    EXPECT_EQ(fs::status(dir / "out.bmp").permissions(), fs::perms(0640));
    const auto left = test::namesIn(tmp);
    ASSERT_EQ(left.size(), 1u) << "the planted link stays, nothing else remains";
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(tmp / left[0])));

    const Outcome t =
        run(kSample + " " + (dir / "t.bmp").string() + kLines, dir, inTmp(dir / "missing"));
    EXPECT_EQ(t.code, 1);
    EXPECT_NE(t.err.find("TMPDIR"), std::string::npos) << t.err;
}

// Lines reach the request. A line of three points is a line, its ends the first and the last;
// --h and --v stand for the four where those are not given, in their order, and the rest are
// further lines.
TEST(Cli, LinesReachTheRequest) {
    const ParsedArgs p =
        parseArgs({"in.bmp", "out.bmp", "--h", "1,2,0,0,3,4", "--v1", "0,0,0,9", "--h", "5,6,7,8",
                   "--v", "9,9,9,0", "--h", "1,1,2,1", "--v", "4,4,4,8"});
    ASSERT_TRUE(p.request) << p.error;
    const BatchRequest& r = *p.request;
    EXPECT_EQ(r.linePoints[0].size(), 3u);
    EXPECT_TRUE(r.lines[0][1].y == 4 && r.lines[1][0].x == 5 && r.lines[2][1].y == 9 &&
                r.lines[3][0].x == 9);
    ASSERT_EQ(r.extraLines.size(), 2u);
    EXPECT_TRUE(r.extraLines[0].horizontal && r.extraLines[0].ends[1].x == 2);
    EXPECT_TRUE(!r.extraLines[1].horizontal && r.extraLines[1].ends[1].y == 8);
}

// Each refusal of the arguments says why. A slip in the order of --h and --v would swap a
// further line for one of the four, or lose it silently; found lines replace the clicked ones; a
// kept construction's clicks take no others.
TEST(Cli, ArgumentsAreRefusedWithTheirReason) {
    const std::vector<std::string> lines = {"--h2",    "0,9,9,9", "--v1",
                                            "0,0,0,9", "--v2",    "9,0,9,9"};
    const std::string from =
        "--from non si combina con rette, centro, area, grandezza, "
        "interpolazione, rotazione, obiettivo o aggancio ai bordi";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--h1", "1,2,3,4", "--zoom", "3"}, "opzione sconosciuta: --zoom"},
        {{"--h1", "1,2,3,4", "--size", "2.5"},
         "--size vuole un fattore da 1.0 a 1.9 a passi di 0.1"},
        {{"--h1", "nan,174,615,135"}, "--h1 vuole X1,Y1,X2,Y2"},
        {{"--h1", "1,2,3,4", "--known", "300,250cm"},
         "--known vuole larghezza,altezza in cm, maggiori di zero"},
        {{"--h1", "1,2,3,4", "--click-sigma", "-1"},
         "--click-sigma vuole uno scarto in pixel maggiore di zero"},
        {{"--focal35", "2001"},
         "--focal35 vuole la focale equivalente 35 mm, da 4 a 2000 mm, o exif"},
        {{"--h1", "1,2,3,4,5"}, "--h1 vuole X1,Y1,X2,Y2"},
        {{"--h1", "1,2,3,4", "--h1", "1,2,3,4"}, "opzione ripetuta: --h1"},
        {{"--h", "1,2,3,4", "--v", "0,0,0,9", "--v", "1,0,1,9"}, "manca --h2 (o un'altra --h)"},
        {{"--auto", "--h", "1,2,3,4"}, "--auto non si combina con --h1 --h2 --v1 --v2 --h --v"},
    };
    for (const auto& [more, why] : cases) {
        std::vector<std::string> args = {"in.bmp", "out.bmp"};
        args.insert(args.end(), more.begin(), more.end());
        if (more[0] == "--h1") {  // the other three lines given
            args.insert(args.end(), lines.begin(), lines.end());
        }
        EXPECT_EQ(parseArgs(args).error, why) << why;
    }
    EXPECT_EQ(parseArgs({"out.bmp", "--from", "c.json", "--h", "1,2,3,4"}).error, from);
}

// Scripts read the report: its numbers keep their point and every bit under any locale the
// tool runs in, and read back to the very doubles.
TEST(Cli, TheReportsNumbersAreTheSameUnderAnItalianLocale) {
    WorkingState s;
    s.centroX = 0.1;
    s.centroY = 1e20;
    s.aspectSigma = 2.5e-7;
    const std::string plain = describe(s, false);
    const std::string before = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "it_IT.UTF-8"), nullptr);
    const std::string italian = describe(s, false);
    const std::string json = describe(s, true);
    std::setlocale(LC_ALL, before.c_str());
    EXPECT_EQ(italian, plain);
    EXPECT_NE(plain.find("centroX: 0.10000000000000001\ncentroY: 1e+20\n"), std::string::npos);
    EXPECT_NE(json.find("\"aspect_sigma\": 2.4999999999999999e-07"), std::string::npos) << json;
}

// The rolled sample's results as they stand: a change anywhere on the palette road (the
// construction, the frame's roundings, the row loop, the file) shows here, where comparing the
// window with the batch tool would not.
TEST(Cli, ThePaletteRoadKeepsItsBytes) {
    test::TempDir dir;
    const std::pair<std::string, std::string> runs[] = {
        {" --area 200,150,620,500",
         "7d0b4e3ebec4ce275e2d123decb658f42da35b7c67017361c54f120b6d2cc9e0"},
        {" --size 1.3", "599bc6e579dadb70e8a5365606f4a094c5ce16c3fd15d1a1ca16647078fa922e"}};
    for (const auto& [args, sum] : runs) {
        const std::string out = (dir / ("r" + sum + ".bmp")).string();
        ASSERT_EQ(run(kSample + " " + out + kLines + args, dir).code, 0) << args;
        EXPECT_EQ(fileSha256(out).value(), sum) << args;
    }
}

// A kept construction replays to the very bytes of the run that made it, on that photograph
// only: the size factor, the view the lines were clicked on, known measures and a given focal
// length each travel in the record, and so do further lines. (Snapping and a lens's coefficient
// travel as LensCli.FittedBendsAreToldKeptAndReplayed shows.)
TEST(CliReplay, AKeptConstructionGivesTheSameBytesOnItsOwnPhotographOnly) {
    test::TempDir dir;
    fs::copy_file(kSample, dir / "facciata.bmp");
    const std::string photo = (dir / "facciata.bmp").string();
    const std::string made = (dir / "fatta.bmp").string();
    BatchRequest request =
        test::sampleRequest(photo, made, {"--area", "200,150,620,500", "--size", "1.3"});
    // Runs `request` and replays its record with the tool, which must give the same bytes; what
    // the replay printed.
    const auto replays = [&](const std::string& name, const std::string& flags = "") {
        return test::replayed(runBatch(request, dir.path().string()), made, dir, name, flags,
                              request.focal35);
    };
    const std::string printed = replays("semplice");

    // Lines clicked on a view at 1:4 travel with their scale: the replay states the figure of
    // clicks four pixels wide, the one --click-sigma gives for them.
    const auto aspectLine = [](const std::string& text) {
        const std::size_t at = text.find("aspect_sigma: ");
        return at == std::string::npos ? text : text.substr(at, text.find('\n', at) - at);
    };
    const BatchRequest atFullScale = request;
    for (auto& line : request.lines) {
        line[0].viewScale = line[1].viewScale = 0.25;
    }
    const std::string reduced = replays("ridotta");
    const Outcome wide =
        run(photo + " " + (dir / "larga.bmp").string() + kLines +
                " --area 200,150,620,500 --size 1.3 --click-sigma 1.1547005383792515",
            dir);
    EXPECT_EQ(aspectLine(reduced), aspectLine(wide.out));
    EXPECT_NE(aspectLine(reduced), aspectLine(printed));
    request = atFullScale;

    request.focal35 = 20;
    replays("focale");

    request.focal35.reset();
    request.known = std::array<double, 2>{300, 250};
    request.sizeSteps = 0;
    EXPECT_EQ(replays("note", " --json").front(), '{');

    // A further line a direction (each moves the result): the replay prints the residuals.
    request.known.reset();
    request.extraLines =
        test::sampleRequest(photo, made, {"--h", "218,263,608,257", "--v", "399,486,433,152"})
            .extraLines;
    const std::string further = replays("rette", " --json");
    EXPECT_NE(further.find("\"residuals_v\": ["), std::string::npos) << further;

    // Another photograph under the same name is not the one the lines were drawn on.
    auto bytes = test::readBytes(photo);
    bytes.back() ^= 1;
    test::writeBytes(photo, bytes);
    const Outcome other =
        run((dir / "altra.bmp").string() + " --from " + (dir / "semplice.json").string(), dir);
    EXPECT_EQ(other.code, 1);
    EXPECT_NE(other.err.find("non è quella"), std::string::npos) << other.err;
}

// A photograph stored sideways (a quarter anticlockwise) and set upright by --rotate 90 takes
// the upright photograph's clicks and gives its very bytes (a colour one turns by the window's
// own procedure, which the window's turn tests hold to its samples). A kept construction keeps
// that turn and the result's, and replays both.
TEST(CliRotate, ATurnedPhotographTurnedBackGivesTheUprightBytesAndReplays) {
    test::TempDir dir;
    const SourceBitmap upright = readSourceBitmap(kSample).value();
    const IndexedImage side = turnedClockwise(upright.image, -1);
    const std::string lying = (dir / "coricata.bmp").string();
    ASSERT_TRUE(writeBitmapFile(
        lying, turnedHeader(upright.intestazione, side.width, side.height, -1), side));
    ASSERT_EQ(test::runOnArea(dir, kSample, "a.bmp").code, 0);
    const Outcome turned = test::runOnArea(dir, lying, "b.bmp", " --rotate 90");
    ASSERT_EQ(turned.code, 0) << turned.err;
    EXPECT_EQ(test::readBytes(dir / "b.bmp"), test::readBytes(dir / "a.bmp"));

    // Turned upright, rectified, the result turned a half: the record replays it to its bytes.
    BatchRequest request = test::sampleRequest(lying, (dir / "d.bmp").string(),
                                               {"--area", "200,150,620,500", "--rotate", "90"});
    request.resultTurn = 2;
    const BatchResult done = runBatch(request, dir.path().string());
    ASSERT_TRUE(done.ok) << done.message;
    EXPECT_TRUE(
        readSourceBitmap((dir / "d.bmp").string()).value().image.pixels ==
        turnedClockwise(readSourceBitmap((dir / "a.bmp").string()).value().image, 2).pixels);
    test::replayed(done, request.output, dir, "e");
}

// Out of memory: a run whose bands find no room is told so; exit 1 and nothing left in the
// temporary folder or beside OUTPUT. (Under AddressSanitizer a memory limit stops the sanitizer
// first.)
// The address space, KiB, the tool needs just to start: its shared libraries (the line detector's
// among them) take tens of megabytes, and how many depends on the machine.
long startupKiB(const test::TempDir& dir) {
    long fails = 1000, starts = 1 << 20;
    while (starts - fails > 500) {
        const long mid = (fails + starts) / 2;
        (run("--help", dir, "ulimit -v " + std::to_string(mid) + ";").code == 0 ? starts : fails) =
            mid;
    }
    return starts;
}

TEST(Cli, RunningOutOfMemoryIsToldAndLeavesNothing) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer cannot run under a memory limit";
#endif
    test::TempDir dir;
    const fs::path tmp = dir / "tmp", out = dir / "out";
    fs::create_directories(tmp);
    fs::create_directories(out);
    const Outcome r = run(
        test::colourPhotograph(dir) + " " + (out / "o.tif").string() + kLines + test::kLargeArea,
        dir, inTmp(tmp) + " ulimit -v " + std::to_string(startupKiB(dir) + 8000) + ";");
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_NE(r.err.find("Memoria insufficiente"), std::string::npos) << r.err;
    EXPECT_TRUE(test::namesIn(tmp).empty() && test::namesIn(out).empty());
}

// Starts the tool with TMPDIR set and the default action for the stopping signals (a test
// runner may ignore some, and a shell cannot restore what it was started ignoring); its pid.
pid_t spawn(const std::string& args, const fs::path& tmp) {
    const std::string command = std::string("exec ") + VESTA_RECTIFY + " " + args;
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
            ::signal(s, SIG_DFL);
        }
        ::setenv("TMPDIR", tmp.c_str(), 1);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
        ::_exit(127);
    }
    return pid;
}

// Waits until the run has a file in its scratch folder: it is computing. False after a minute.
bool computing(const fs::path& tmp) {
    for (int i = 0; i < 6000; ++i) {
        for (const std::string& name : test::namesIn(tmp)) {
            std::error_code ec;
            if (fs::is_directory(tmp / name) && !fs::is_empty(tmp / name, ec) && !ec) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// A run stopped by SIGINT, SIGTERM or SIGHUP removes its scratch folder and the temporary file
// beside OUTPUT, and ends by that signal. One killed outright cannot: the next run removes what
// it left, and nothing else: not a running process's files, not another user's, not a user's
// file of a similar name.
TEST(Cli, StoppedRunsLeaveNothingAndKilledRunsLeftoversGoAtTheNextStart) {
    test::TempDir dir;
    const fs::path tmp = dir / "tmp", out = dir / "out";
    fs::create_directories(tmp);
    fs::create_directories(out);
    const std::string args =
        test::colourPhotograph(dir) + " " + (out / "r.tif").string() + kLines + test::kLargeArea;
    pid_t killed = -1;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGKILL}) {
        const pid_t pid = spawn(args, tmp);
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(computing(tmp)) << signal;
        EXPECT_EQ(test::namesIn(out).size(), 1u) << "OUTPUT's temporary file, made first";
        ::kill(pid, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        if (signal != SIGKILL) {
            EXPECT_TRUE(test::namesIn(tmp).empty() && test::namesIn(out).empty()) << signal;
        }
        killed = pid;
    }
    EXPECT_EQ(test::namesIn(tmp).size(), 1u);
    const std::string live = std::to_string(::getpid()), dead = std::to_string(killed);
    std::vector<std::string> expected = {"vesta-rectify-" + live + "-abcdef"};
    fs::create_directory(tmp / expected[0]);
    std::vector<std::string> beside = {".r.tif.vesta-" + live + "-0123456789ab.tmp",
                                       "r.tif.vesta-" + dead + "-0123456789ab.tmp",
                                       ".r.tif.vesta-" + dead + "-0123456789ab.tmp.bak"};
    for (const std::string& name : beside) {
        test::writeBytes(out / name, {1});
    }
    if (::geteuid() == 0) {  // another user's folder of a dead run
        const fs::path theirs = tmp / ("vesta-rectify-" + dead + "-ghijkl");
        fs::create_directory(theirs);
        ASSERT_EQ(::chown(theirs.c_str(), 12345, 12345), 0);
        expected.push_back(theirs.filename().string());
    }
    ASSERT_EQ(run(kSample + " " + (out / "ok.bmp").string() + kLines, dir, inTmp(tmp)).code, 0);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(test::namesIn(tmp), expected);
    beside.push_back("ok.bmp");
    std::sort(beside.begin(), beside.end());
    EXPECT_EQ(test::namesIn(out), beside);
}

// Two points of the result 300 pixels apart, 600 cm on the facade: 2 cm a pixel. The image's
// bytes are those of the run without a scale; --known writes the file too, and a file of the
// user's at its name refuses the run before anything is written. The file is named after the
// extension's first and last letters and a w, a capital W after a capital.
TEST(WorldFile, TheBatchToolWritesItBesideAResultWhoseScaleIsKnown) {
    test::TempDir dir;
    const auto rectify = [&](const std::string& output, const std::string& more) {
        return test::runOnArea(dir, test::kSample, output, more).code;
    };
    ASSERT_EQ(rectify("senza.bmp", ""), 0);
    EXPECT_FALSE(fs::exists(dir / "senza.bpw"));
    ASSERT_EQ(rectify("r.bmp", " --scale 10,20,190,260,600"), 0);
    EXPECT_EQ(test::readBytes(dir / "r.bmp"), test::readBytes(dir / "senza.bmp"));
    EXPECT_EQ(textOf(dir / "r.bpw"), "0.02\n0\n0\n-0.02\n0.01\n-0.01\n");
    // Replaced by a run of its own kind; the image and its scale come again.
    ASSERT_EQ(rectify("r.bmp", " --scale 0,0,0,100,50"), 0);
    EXPECT_EQ(textOf(dir / "r.bpw"), worldFileText(0.5));

    ASSERT_EQ(rectify("k.PNG", " --known 1200,900"), 0);
    const std::string known = textOf(dir / "k.PGW");
    EXPECT_EQ(known.find(','), std::string::npos) << known;
    EXPECT_GT(typedNumber(known.substr(0, known.find('\n'))).value_or(0), 0);

    test::writeBytes(dir / "mio.bpw", {'n', 'o', 't', 'e'});
    EXPECT_EQ(rectify("mio.bmp", " --scale 0,0,1,0,5"), 1);
    EXPECT_FALSE(fs::exists(dir / "mio.bmp"));
    EXPECT_EQ(textOf(dir / "mio.bpw"), "note");

    for (const char* bad : {" --scale 1,1,1,1,5", " --scale 0,0,1,0,0", " --scale 0,0,1,0"}) {
        EXPECT_EQ(rectify("u.bmp", bad), 2) << bad;
    }
}

// A survey of a dozen kept constructions, on a palette and a colour photograph, rectified by
// GNU parallel four at a time as the README shows: each result has the bytes of the run that
// kept the record (a replay alone gives those, as the replay tests hold), whatever else runs
// beside it (scratch folders, temporary files, threads).
TEST(Survey, GnuParallelGivesEveryResultTheBytesOfASerialRun) {
    if (std::system("command -v parallel > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "GNU parallel is not installed";
    }
    test::TempDir dir;
    fs::copy_file(test::kSample, dir / "facciata.bmp");
    test::colourPhotograph(dir, "colori.png");
    fs::create_directories(dir / "parallelo");
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) {
        std::vector<std::string> more = {
            "--size", "1." + std::to_string(i % 10), "--area",
            std::to_string(150 + 10 * i) + ",150,620," + std::to_string(400 + 10 * i)};
        names.push_back("r" + std::string(1, char('a' + i)));
        const std::string& name = names.back();
        const BatchRequest request =
            test::sampleRequest((dir / (i >= 8 ? "colori.png" : "facciata.bmp")).string(),
                                (dir / (name + ".bmp")).string(), more);
        ASSERT_TRUE(test::keepRecord(runBatch(request, dir.path().string()), dir, name));
    }
    ASSERT_EQ(std::system(("cd " + dir.path().string() +
                           " && parallel --will-cite --halt now,fail=1 -j 4 " + VESTA_RECTIFY +
                           " parallelo/{.}.bmp --from {} ::: r*.json > /dev/null")
                              .c_str()),
              0);
    for (const std::string& name : names) {
        EXPECT_EQ(test::readBytes(dir / "parallelo" / (name + ".bmp")),
                  test::readBytes(dir / (name + ".bmp")))
            << name;
    }
    EXPECT_EQ(test::namesIn(dir / "parallelo").size(), names.size());
}

}  // namespace
}  // namespace vesta
