#include "state/LargePages.h"

#include <sys/mman.h>

#include <cstdint>

namespace vesta {

namespace {

constexpr std::uintptr_t kLargePage = std::uintptr_t(2) << 20;
// Below this the buffer is left to the heap: few pages, little to gain.
constexpr std::size_t kWorthIt = std::size_t(4) << 20;

}  // namespace

void adviseLargePages(void* p, std::size_t bytes) {
    if (p == nullptr || bytes < kWorthIt) {
        return;
    }
    const auto begin = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t last = (begin + bytes) & ~(kLargePage - 1);
    if (last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
}

}  // namespace vesta
