#include "cli/TerminationCleanup.h"

#include <limits.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "cli/ScratchFolder.h"

namespace vesta {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kKinds = 2;

char paths[kKinds][PATH_MAX];
// Set once a path is whole in its buffer, cleared before it changes: the handler reads only
// whole paths. Lock-free, so safe to read in a handler.
std::atomic<bool> kept[kKinds];
static_assert(std::atomic<bool>::is_always_lock_free);

void removeAndReraise(int signal) {
    const int saved = errno;
    if (kept[int(Leftover::OutputTemporary)].load()) {
        ::unlink(paths[int(Leftover::OutputTemporary)]);
    }
    if (kept[int(Leftover::ScratchFolder)].load()) {
        removeScratchFolder(paths[int(Leftover::ScratchFolder)]);
    }
    errno = saved;
    // The default action, as if no handler had been there: the process ends by this signal.
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    ::sigaction(signal, &plain, nullptr);
    ::raise(signal);
}

sigset_t terminationSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int s : kSignals) {
        sigaddset(&set, s);
    }
    return set;
}

}  // namespace

void removeLeftoversOnTermination() {
    struct sigaction action {};
    action.sa_handler = removeAndReraise;
    // One cleanup at a time: the other two wait until this one has re-raised its signal.
    action.sa_mask = terminationSignals();
    for (const int s : kSignals) {
        struct sigaction before {};
        if (::sigaction(s, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
            ::sigaction(s, &action, nullptr);
        }
    }
}

void rememberLeftover(Leftover what, const std::string& path) {
    kept[int(what)].store(false);
    if (path.size() < PATH_MAX) {
        std::memcpy(paths[int(what)], path.c_str(), path.size() + 1);
        kept[int(what)].store(true);
    }
}

void forgetLeftover(Leftover what) {
    kept[int(what)].store(false);
}

TerminationHeld::TerminationHeld() {
    const sigset_t set = terminationSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

TerminationHeld::~TerminationHeld() {
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace vesta
