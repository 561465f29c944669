// vesta-rectify: the rectification of a photograph from the command line, for batch work.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/BatchRun.h"

int main(int argc, char** argv) {
    const auto parsed = vesta::parseArgs(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.request) {
        std::fprintf(stderr, "%s\n%s", parsed.error.c_str(), vesta::kUsage);
        return 2;
    }
    // A scratch folder of this run's own, so batch runs side by side never share a file.
    const auto scratch =
        std::filesystem::temp_directory_path() / ("vesta-rectify-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch);
    const vesta::BatchResult result = vesta::runBatch(*parsed.request, scratch.string());
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", result.message.c_str());
        return 1;
    }
    std::fputs(vesta::describe(result.state, parsed.json).c_str(), stdout);
    return 0;
}
