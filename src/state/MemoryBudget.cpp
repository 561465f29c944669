#include "state/MemoryBudget.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace vesta {

namespace {

constexpr std::uint64_t kCeiling = std::uint64_t(3) << 30;

}  // namespace

std::uint64_t memoryForDecoding(MemoryUse use) {
    // The batch tool holds about the decoded photograph; the window about four times it (the
    // canvas at 4 bytes a pixel, its working copy, a reduced view).
    const std::uint64_t share = use == MemoryUse::Window ? 8 : 2;
    std::uint64_t budget = kCeiling;
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) {
        budget = std::min(budget, std::uint64_t(pages) * std::uint64_t(pageSize) / share);
    }
    rlimit space{};
    if (::getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY) {
        budget = std::min(budget, std::uint64_t(space.rlim_cur) / share);
    }
    return budget;
}

}  // namespace vesta
