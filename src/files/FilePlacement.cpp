#include "files/FilePlacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

namespace vesta {

namespace fs = std::filesystem;

namespace {

std::string systemReason(int code) {
    return std::error_code(code, std::system_category()).message();
}

// A new file beside `target` under a random name, created exclusively, so that nothing planted
// there beforehand is ever written through. Mode 0666 less the umask, as any new document.
int createBeside(const std::string& target, std::string& name, std::string& error) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::random_device seed;
    std::mt19937_64 random(seed());
    const fs::path t(target);
    const std::string base = "." + t.filename().string().substr(0, 100) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string tag;
        for (std::uint64_t v = random(), i = 0; i < 12; ++i, v >>= 4) {
            tag += kHex[v & 15];
        }
        name = (t.parent_path() / (base + tag + ".tmp")).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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

}  // namespace

bool canReplace(const std::string& target, std::string& error) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        error = "al suo posto c'è una cartella, una periferica o una pipe, non un file";
        return false;
    }
    return true;
}

bool replaceFile(const std::string& target, const FileFiller& fill, std::string& error) {
    if (!canReplace(target, error)) {
        return false;
    }
    std::string temporary;
    const int fd = createBeside(target, temporary, error);
    if (fd < 0) {
        return false;
    }
    bool good = fill(fd, error);
    if (good && ::fsync(fd) != 0) {
        error = systemReason(errno);
        good = false;
    }
    if (::close(fd) != 0 && good) {
        error = systemReason(errno);
        good = false;
    }
    if (good && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = systemReason(errno);
        good = false;
    }
    if (!good) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolderOf(target);
    return true;
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
