#include "cli/ScratchFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "files/FilePlacement.h"

namespace vesta {

namespace {

constexpr std::string_view kPrefix = "vesta-rectify-";
constexpr std::size_t kRandomPart = 6;  // what mkdtemp puts in place of XXXXXX

// The process number in a scratch folder's name, "vesta-rectify-<pid>-XXXXXX", or nothing for
// any other name.
std::optional<long> pidInName(const std::string& name) {
    if (name.size() < kPrefix.size() + 2 + kRandomPart || !name.starts_with(kPrefix) ||
        name[name.size() - kRandomPart - 1] != '-') {
        return std::nullopt;
    }
    const char* first = name.data() + kPrefix.size();
    const char* last = name.data() + name.size() - kRandomPart - 1;
    long pid = 0;
    const auto read = std::from_chars(first, last, pid);
    if (read.ec != std::errc() || read.ptr != last || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

}  // namespace

std::string temporaryFolder() {
    const char* variable = std::getenv("TMPDIR");
    return variable && *variable ? variable : "/tmp";
}

Result<std::string> makeScratchFolder() {
    const std::string base = temporaryFolder();
    struct stat st {};
    if (::stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return Result<std::string>::failure("La cartella temporanea " + base +
                                            " (TMPDIR) non esiste o non è una cartella.");
    }
    // mkdtemp creates the folder exclusively with mode 0700: a name planted there beforehand
    // makes it try another, never write through someone else's link. The process number in
    // the name tells a killed run's folder from a running one's.
    // Nothing is allocated once the folder exists, so running out of memory cannot lose it.
    std::string name = base + "/" + std::string(kPrefix) + std::to_string(::getpid()) + "-XXXXXX";
    if (!::mkdtemp(name.data())) {
        return Result<std::string>::failure(
            "Impossibile creare una cartella di lavoro in " + base + " (" +
            std::error_code(errno, std::system_category()).message() + ").");
    }
    return Result<std::string>::success(std::move(name));
}

void removeScratchFolder(const char* folder) {
    // The folder is private to this run, so everything in it is this run's own. Its entries are
    // read into a buffer on the stack; a pass that removed something is followed by another,
    // since removing while reading may skip an entry.
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    alignas(8) char entries[4096];
    for (bool removed = true; removed;) {
        removed = false;
        ::lseek(fd, 0, SEEK_SET);
        for (long n; (n = ::syscall(SYS_getdents64, fd, entries, sizeof entries)) > 0;) {
            for (long at = 0; at < n;) {
                const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
                at += entry->d_reclen;
                const char* name = entry->d_name;
                if (!(name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) &&
                    ::unlinkat(fd, name, 0) == 0) {
                    removed = true;
                }
            }
        }
    }
    ::close(fd);
    ::rmdir(folder);
}

void removeAbandonedScratchFolders(const std::string& base) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        const std::optional<long> pid = pidInName(it->path().filename().string());
        struct stat st {};
        if (pid && *pid != long(::getpid()) && ::lstat(it->path().c_str(), &st) == 0 &&
            S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && processGone(*pid)) {
            removeScratchFolder(it->path().c_str());
        }
    }
}

}  // namespace vesta
