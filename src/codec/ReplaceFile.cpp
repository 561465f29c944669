#include "codec/ReplaceFile.h"

#include "files/FilePlacement.h"

namespace vesta {

std::string replaceFile(const std::string& destination,
                        const std::function<std::string(int fd)>& write) {
    std::string error;
    const bool placed = replaceFile(
        destination,
        [&](int fd, std::string& why) {
            why = write(fd);
            return why.empty();
        },
        error);
    return placed ? std::string() : error;
}

}  // namespace vesta
