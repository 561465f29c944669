#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "BitmapBytes.h"
#include "files/FilePlacement.h"
#include "rectify/SaveAndPrint.h"

namespace vesta {
namespace {

namespace fs = std::filesystem;

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
