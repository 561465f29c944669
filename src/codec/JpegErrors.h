// libjpeg's errors and warnings, for the reader and the writer alike. libjpeg reports a fatal
// error by calling error_exit, which must not return: it jumps back to the setjmp of the step
// that called into the library. Those steps hold only plain C data, so no C++ object is
// skipped by the jump.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <cstdio>

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace vesta {

// A progressive file may hold many scans, each a pass over the whole image; a damaged one can
// declare thousands and take minutes. Real cameras and encoders write a dozen at most.
inline constexpr int kMaxJpegScans = 500;

struct JpegErrors {
    jpeg_error_mgr pub;  // first, so the library's pointer is also ours
    std::jmp_buf jump;
    char detail[JMSG_LENGTH_MAX];
    bool missingEnd;  // the file ended before its end marker
    bool corrupt;     // a warning of missing or corrupt data, kept in detail
    bool tooManyScans;
    int scans;
    std::uint32_t scannedComponents;  // a bit for each component id a scan carried
};

// Nothing is printed, and a warning of missing or corrupt data ends the work as an error does.
void initJpegErrors(JpegErrors& errors);

}  // namespace vesta
