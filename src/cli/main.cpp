// vesta-rectify: the rectification of a photograph from the command line, for batch work.
// Exit status: 0 done, 1 refused (the program's message on standard error), 2 usage error.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/BatchRun.h"
#include "cli/RecordReplay.h"
#include "cli/ScratchFolder.h"

int main(int argc, char** argv) {
    const auto parsed = vesta::parseArgs(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.help) {
        std::fputs(vesta::kUsage, stdout);
        return 0;
    }
    if (!parsed.request) {
        std::fprintf(stderr, "%s\n%s", parsed.error.c_str(), vesta::kUsage);
        return 2;
    }
    vesta::BatchRequest request = *parsed.request;
    if (parsed.from) {
        vesta::Result<vesta::BatchRequest> replay = vesta::requestFromRecord(*parsed.from, request);
        if (!replay.ok()) {
            std::fprintf(stderr, "%s\n", replay.error().c_str());
            return 1;
        }
        request = replay.value();
    }
    // A scratch folder of this run's own, so batch runs side by side never share a file.
    const vesta::Result<std::string> scratch = vesta::makeScratchFolder();
    if (!scratch.ok()) {
        std::fprintf(stderr, "%s\n", scratch.error().c_str());
        return 1;
    }
    const vesta::BatchResult result = vesta::runBatch(request, scratch.value());
    vesta::removeScratchFolder(scratch.value());
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", result.message.c_str());
        return 1;
    }
    if (!result.notice.empty()) {
        std::fprintf(stderr, "%s\n", result.notice.c_str());
    }
    std::fputs(vesta::describe(result.state, parsed.json).c_str(), stdout);
    return 0;
}
