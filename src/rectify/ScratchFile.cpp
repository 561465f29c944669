#include "rectify/ScratchFile.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>

namespace vesta {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "vesta-";
constexpr std::string_view kSuffix = ".bmp";

// The process number in a scratch file's name, or nothing for any other name.
std::optional<long> pidInName(const std::string& name) {
    if (name.size() <= kPrefix.size() + kSuffix.size() || !name.starts_with(kPrefix) ||
        !name.ends_with(kSuffix)) {
        return std::nullopt;
    }
    const char* first = name.data() + kPrefix.size();
    const char* last = name.data() + name.size() - kSuffix.size();
    long pid = 0;
    const auto read = std::from_chars(first, last, pid);
    if (read.ec != std::errc() || read.ptr != last || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

bool running(long pid) {
    // EPERM: the process exists but belongs to someone else.
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

std::string scratchNameOf(long pid) {
    return std::string(kPrefix) + std::to_string(pid) + std::string(kSuffix);
}

void removeStaleScratchFiles(const std::string& folder) {
    std::error_code ec;
    const long self = long(::getpid());
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::optional<long> pid = pidInName(it->path().filename().string());
        std::error_code ignored;
        if (pid && (*pid == self || !running(*pid)) && !it->is_directory(ignored)) {
            fs::remove(it->path(), ignored);
        }
    }
}

bool createExclusively(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    return ::close(fd) == 0;
}

void discardScratchFile(Context& ctx) {
    ResultFile& result = ctx.s.resultFile;
    if (result == ResultFile::Writing || result == ResultFile::Unsaved) {
        std::error_code ignored;
        fs::remove(ctx.paths.scratchFile(), ignored);
        result = ResultFile::None;
    }
}

}  // namespace vesta
