#include "cli/ScratchFolder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace vesta {

Result<std::string> makeScratchFolder() {
    const char* variable = std::getenv("TMPDIR");
    const std::string base = variable && *variable ? variable : "/tmp";
    struct stat st {};
    if (::stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return Result<std::string>::failure("La cartella temporanea " + base +
                                            " (TMPDIR) non esiste o non è una cartella.");
    }
    // mkdtemp creates the folder exclusively with mode 0700: a name planted there beforehand
    // makes it try another, never write through someone else's link.
    std::string name = base + "/vesta-rectify-XXXXXX";
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) {
        return Result<std::string>::failure(
            "Impossibile creare una cartella di lavoro in " + base + " (" +
            std::error_code(errno, std::system_category()).message() + ").");
    }
    return Result<std::string>::success(std::string(buffer.data()));
}

void removeScratchFolder(const std::string& folder) {
    // The folder is private to this run, so everything in it is this run's own.
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace vesta
