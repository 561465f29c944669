// libtiff over a file held in memory, with its messages kept for the user instead of printed:
// what the TIFF reader and writer share.
#pragma once

#include <tiffio.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vesta {

// libtiff reports errors through handlers; these keep the first message for the refusal and
// print nothing, since the window has no terminal. Some damage libtiff only warns of and works
// round with made-up data (a strip offset missing: the strip is read from the file's start):
// such warnings, and every warning while pixels are read, are errors here.
struct TiffContext {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t at = 0;
    bool readingPixels = false;
    bool damagedData = false;
    char detail[200] = {};
};

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

struct OptionsFree {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

using TiffOptions = std::unique_ptr<TIFFOpenOptions, OptionsFree>;

// Options whose handlers fill `context` and whose allocations stay under `maxAlloc`.
TiffOptions openOptions(TiffContext* context, std::uint64_t maxAlloc);

// libtiff reading the bytes `context` holds; null when they are no TIFF it can open.
TiffHandle openInMemory(TiffContext& context, TIFFOpenOptions* options);

}  // namespace vesta
