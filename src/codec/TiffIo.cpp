#include "codec/TiffIo.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace vesta {

namespace {

int collectError(TIFF*, void* userData, const char*, const char* format, va_list args) {
    auto* context = static_cast<TiffContext*>(userData);
    if (context && context->detail[0] == 0) {
        std::vsnprintf(context->detail, sizeof context->detail, format, args);
    }
    return 1;
}

int collectDataWarning(TIFF*, void* userData, const char* module, const char* format,
                       va_list args) {
    auto* context = static_cast<TiffContext*>(userData);
    const bool aboutData = module != nullptr && std::strcmp(module, "TIFFFetchStripThing") == 0;
    if (context && (context->readingPixels || aboutData)) {
        context->damagedData = true;
        if (context->detail[0] == 0) {
            std::vsnprintf(context->detail, sizeof context->detail, format, args);
        }
    }
    return 1;
}

tmsize_t readMemory(thandle_t handle, void* into, tmsize_t count) {
    auto* context = static_cast<TiffContext*>(handle);
    if (count < 0) {
        return -1;
    }
    const std::size_t n = std::min(std::size_t(count), context->size - context->at);
    std::memcpy(into, context->data + context->at, n);
    context->at += n;
    return tmsize_t(n);
}

tmsize_t writeNothing(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t seekMemory(thandle_t handle, toff_t offset, int whence) {
    auto* context = static_cast<TiffContext*>(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR) {
        base = context->at;
    } else if (whence == SEEK_END) {
        base = context->size;
    }
    const std::uint64_t to = base + offset;
    if (to < base || to > context->size) {
        return toff_t(-1);
    }
    context->at = std::size_t(to);
    return to;
}

int closeNothing(thandle_t) {
    return 0;
}

toff_t sizeOfMemory(thandle_t handle) {
    return static_cast<TiffContext*>(handle)->size;
}

int mapNothing(thandle_t, void**, toff_t*) {
    return 0;
}

void unmapNothing(thandle_t, void*, toff_t) {}

}  // namespace

TiffOptions openOptions(TiffContext* context, std::uint64_t maxAlloc) {
    TiffOptions options(TIFFOpenOptionsAlloc());
    if (options) {
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), collectError, context);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), collectDataWarning, context);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), tmsize_t(maxAlloc));
    }
    return options;
}

TiffHandle openInMemory(TiffContext& context, TIFFOpenOptions* options) {
    return TiffHandle(TIFFClientOpenExt("foto", "rm", &context, readMemory, writeNothing,
                                        seekMemory, closeNothing, sizeOfMemory, mapNothing,
                                        unmapNothing, options));
}

}  // namespace vesta
