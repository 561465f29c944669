#include "codec/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

namespace vesta {

namespace {

std::string temporaryBeside(const std::filesystem::path& destination, unsigned attempt) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char tag[32];
    std::snprintf(tag, sizeof tag, ".%d.%u.%08llx.tmp", int(::getpid()), attempt,
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFull));
    const std::filesystem::path folder =
        destination.has_parent_path() ? destination.parent_path() : std::filesystem::path(".");
    return (folder / ("." + destination.filename().string() + tag)).string();
}

}  // namespace

std::string replaceFile(const std::string& destination,
                        const std::function<std::string(int fd)>& write) {
    const std::filesystem::path target(destination);
    if (!target.has_filename()) {
        return "Nome del file non valido: " + destination + ".";
    }
    std::string temporary;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = temporaryBeside(target, attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        return "Impossibile creare il file " + destination + ".";
    }
    std::string error = write(fd);
    if (error.empty() && ::fsync(fd) != 0) {
        error = "Errore di scrittura sul file " + destination + ".";
    }
    if (::close(fd) != 0 && error.empty()) {
        error = "Errore di scrittura sul file " + destination + ".";
    }
    if (error.empty() && std::rename(temporary.c_str(), destination.c_str()) != 0) {
        error = "Impossibile sostituire il file " + destination + ".";
    }
    if (!error.empty()) {
        ::unlink(temporary.c_str());
        return error;
    }
    // The rename itself reaches the disk only with its folder.
    const int folder = ::open(
        (target.has_parent_path() ? target.parent_path().string() : std::string(".")).c_str(),
        O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return error;
}

}  // namespace vesta
