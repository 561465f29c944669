#include "files/FilePlacement.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <system_error>
#include <vector>

namespace vesta {

namespace fs = std::filesystem;

namespace {

std::string systemReason(int code) {
    return std::error_code(code, std::system_category()).message();
}

constexpr std::string_view kTagMark = ".vesta-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kTagLength = 12;

// A new file beside `target` under a random name that carries this process's number, created
// exclusively, so that nothing planted there beforehand is ever written through. Private while
// it is written; it takes its final mode just before its name.
int createBeside(const std::string& target, std::string& name, std::string& error) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::random_device seed;
    std::mt19937_64 random(seed());
    const fs::path t(target);
    const std::string base = "." + t.filename().string().substr(0, 100) + std::string(kTagMark) +
                             std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string tag;
        for (std::uint64_t v = random(), i = 0; i < kTagLength; ++i, v >>= 4) {
            tag += kHex[v & 15];
        }
        name = (t.parent_path() / (base + tag + std::string(kTemporarySuffix))).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            return fd;
        }
        if (errno != EEXIST) {
            error = systemReason(errno);
            return -1;
        }
    }
    error = systemReason(EEXIST);
    return -1;
}

// The process's umask, read from the kernel's status of this process, which changes nothing; a
// kernel without that line gives it by setting and restoring it, once.
mode_t readUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            std::size_t at = 6;
            while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
                ++at;
            }
            unsigned mask = 0;
            const auto read = std::from_chars(line.data() + at, line.data() + line.size(), mask, 8);
            if (read.ec == std::errc() && mask <= 0777) {
                return mode_t(mask);
            }
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// The process number in the name of a temporary file createBeside made, or nothing for any
// other name: ".NAME.vesta-<pid>-<12 hex>.tmp".
std::optional<long> pidOfTemporary(const std::string& name) {
    if (name.size() < 1 + kTagMark.size() + 2 + kTagLength + kTemporarySuffix.size() ||
        name[0] != '.' || !name.ends_with(kTemporarySuffix)) {
        return std::nullopt;
    }
    const std::size_t tagAt = name.size() - kTemporarySuffix.size() - kTagLength;
    for (std::size_t i = tagAt; i < tagAt + kTagLength; ++i) {
        const char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return std::nullopt;
        }
    }
    const std::size_t mark = name.rfind(kTagMark, tagAt);
    if (mark == std::string::npos || mark == 0 || name[tagAt - 1] != '-') {
        return std::nullopt;
    }
    const char* first = name.data() + mark + kTagMark.size();
    const char* last = name.data() + tagAt - 1;
    long pid = 0;
    const auto read = std::from_chars(first, last, pid);
    if (read.ec != std::errc() || read.ptr != last || pid <= 0 || pid > 0x7fffffff) {
        return std::nullopt;
    }
    return pid;
}

}  // namespace

mode_t newFileMode() {
    static const mode_t mode = 0666 & ~readUmask();
    return mode;
}

mode_t modeFor(const std::string& target) {
    struct stat st {};
    return ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? st.st_mode & 07777
                                                                   : newFileMode();
}

bool processGone(long pid) {
    return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

void removeAbandonedTemporaries(const std::string& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::optional<long> pid = pidOfTemporary(it->path().filename().string());
        struct stat st {};
        if (pid && *pid != long(::getpid()) && ::lstat(it->path().c_str(), &st) == 0 &&
            S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && processGone(*pid)) {
            ::unlink(it->path().c_str());
        }
    }
}

bool canReplace(const std::string& target, std::string& error) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        error = "al suo posto c'è una cartella, una periferica o una pipe, non un file";
        return false;
    }
    return true;
}

PendingFile::PendingFile(const std::string& target) : target_(target) {
    fd_ = createBeside(target, temporary_, error_);
}

PendingFile::~PendingFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!temporary_.empty() && !placed_) {
        ::unlink(temporary_.c_str());
    }
}

bool PendingFile::ready(std::string& error) const {
    if (fd_ < 0) {
        error = error_;
    }
    return fd_ >= 0;
}

bool PendingFile::place(const FileFiller& fill, std::string& error) {
    if (!ready(error) || placed_ || !canReplace(target_, error)) {
        return false;
    }
    bool good = fill(fd_, error);
    if (good && ::fsync(fd_) != 0) {
        error = systemReason(errno);
        good = false;
    }
    // The mode of the file it replaces, or that of a new document; best effort, since some
    // volumes keep no modes.
    if (good) {
        ::fchmod(fd_, modeFor(target_));
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && good) {
        error = systemReason(errno);
        good = false;
    }
    if (good && ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        error = systemReason(errno);
        good = false;
    }
    if (!good) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    placed_ = true;
    syncFolderOf(target_);
    return true;
}

bool PendingFile::placeFrom(const std::string& from, std::string& error) {
    if (!ready(error) || placed_ || !canReplace(target_, error) || !syncFile(from, error)) {
        return false;
    }
    // On one volume the finished file takes the temporary file's place, still private, then
    // its mode and the target's name; the old file keeps its name until the new one takes it.
    if (::rename(from.c_str(), temporary_.c_str()) != 0) {
        if (errno != EXDEV) {
            error = systemReason(errno);
            return false;
        }
        if (!place(copyOf(from), error)) {
            return false;
        }
        ::unlink(from.c_str());
        return true;
    }
    ::chmod(temporary_.c_str(), modeFor(target_));
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        error = systemReason(errno);
        // Back where it was, private again, for another try.
        ::chmod(temporary_.c_str(), 0600);
        ::rename(temporary_.c_str(), from.c_str());
        return false;
    }
    placed_ = true;
    syncFolderOf(target_);
    return true;
}

bool replaceFile(const std::string& target, const FileFiller& fill, std::string& error) {
    if (!canReplace(target, error)) {
        return false;
    }
    PendingFile pending(target);
    return pending.place(fill, error);
}

FileFiller copyOf(const std::string& from) {
    return [from](int out, std::string& error) {
        const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) {
            error = systemReason(errno);
            return false;
        }
        std::vector<char> buffer(1 << 16);
        bool good = true;
        while (good) {
            const ssize_t n = ::read(in, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                error = systemReason(errno);
                good = false;
            } else if (n == 0) {
                break;
            } else {
                good = writeAll(out, buffer.data(), std::size_t(n), error);
            }
        }
        ::close(in);
        return good;
    };
}

bool syncFile(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = systemReason(errno);
        return false;
    }
    const bool good = ::fsync(fd) == 0;
    if (!good) {
        error = systemReason(errno);
    }
    ::close(fd);
    return good;
}

void syncFolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool writeAll(int fd, const void* bytes, std::size_t size, std::string& error) {
    const char* data = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = systemReason(n < 0 ? errno : ENOSPC);
            return false;
        }
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

}  // namespace vesta
