// vesta-rectify: the rectification of a photograph from the command line, for batch work.
// Exit status: 0 done, 1 refused (the program's message on standard error), 2 usage error.
#include <cstdio>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "cli/BatchRun.h"
#include "cli/RecordReplay.h"
#include "cli/ScratchFolder.h"
#include "cli/TerminationCleanup.h"
#include "files/FilePlacement.h"

namespace {

constexpr const char* kOutOfMemory =
    "Memoria insufficiente per raddrizzare questa fotografia: la fotografia o l'immagine "
    "raddrizzata è troppo grande per la memoria disponibile.\n";

// The run after its arguments; `scratchFolder` names the scratch folder once it is made.
int rectify(const vesta::ParsedArgs& parsed, std::string& scratchFolder) {
    vesta::BatchRequest request = *parsed.request;
    if (parsed.from) {
        vesta::Result<vesta::BatchRequest> replay = vesta::requestFromRecord(*parsed.from, request);
        if (!replay.ok()) {
            std::fprintf(stderr, "%s\n", replay.error().c_str());
            return 1;
        }
        request = replay.value();
    }
    // What runs of this user killed midway left: their scratch folders and their temporary
    // files beside OUTPUT. Only those of processes no longer running.
    vesta::removeAbandonedScratchFolders(vesta::temporaryFolder());
    const std::filesystem::path folder = std::filesystem::path(request.output).parent_path();
    vesta::removeAbandonedTemporaries(folder.empty() ? "." : folder.string());
    // A scratch folder of this run's own, so batch runs side by side never share a file.
    {
        const vesta::TerminationHeld held;
        vesta::Result<std::string> scratch = vesta::makeScratchFolder();
        if (!scratch.ok()) {
            std::fprintf(stderr, "%s\n", scratch.error().c_str());
            return 1;
        }
        // Moved, never copied: no memory is taken between making the folder and knowing it.
        scratchFolder = std::move(scratch.value());
        vesta::rememberLeftover(vesta::Leftover::ScratchFolder, scratchFolder);
    }
    const vesta::BatchResult result = vesta::runBatch(request, scratchFolder);
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

}  // namespace

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
    // Stopped by a signal, the run leaves nothing behind.
    vesta::removeLeftoversOnTermination();
    std::string scratchFolder;
    int code = 1;
    try {
        code = rectify(parsed, scratchFolder);
    } catch (const std::bad_alloc&) {
        std::fputs(kOutOfMemory, stderr);
    } catch (const std::system_error& e) {
        // A thread that could not be started for want of memory for its stack.
        if (e.code() != std::errc::resource_unavailable_try_again &&
            e.code() != std::errc::not_enough_memory) {
            throw;
        }
        std::fputs(kOutOfMemory, stderr);
    }
    // Without taking memory, which may have run out.
    if (!scratchFolder.empty()) {
        vesta::removeScratchFolder(scratchFolder.c_str());
        vesta::forgetLeftover(vesta::Leftover::ScratchFolder);
    }
    return code;
}
