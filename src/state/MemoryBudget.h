// How much memory one photograph may take on this machine. A fixed figure either refused
// photographs a large machine opens easily or let a small file's header ask a small machine
// for more than it has; a share of the machine's memory (and of the address space the process
// is allowed, when limited) fits both.
#pragma once

#include <cstdint>

namespace vesta {

enum class MemoryUse {
    Batch,   // vesta-rectify: the photograph, the bands and the encoder
    Window,  // the window also holds the photograph's canvas and views, several times its size
};

// The bytes a decoder may take for one photograph, at most 3 GiB.
std::uint64_t memoryForDecoding(MemoryUse use);

}  // namespace vesta
