#include "codec/JpegErrors.h"

#include <cstring>

// clang-format off
#include <jerror.h>
// clang-format on

namespace vesta {

namespace {

JpegErrors* errorsOf(j_common_ptr cinfo) {
    return reinterpret_cast<JpegErrors*>(cinfo->err);
}

void jpegErrorExit(j_common_ptr cinfo) {
    JpegErrors* errors = errorsOf(cinfo);
    if (errors->detail[0] == 0) {
        (*cinfo->err->format_message)(cinfo, errors->detail);
    }
    std::longjmp(errors->jump, 1);
}

// Nothing is printed: the window has no terminal. libjpeg only warns of missing or corrupt
// data and fills the gap with grey, so a warning ends the decoding as an error does. Two are
// not about the pixels (an unknown JFIF revision, an unknown Adobe transform). The end of
// the file before the end marker is noted and judged once the rows are read: a file that
// lacks only its end marker holds every pixel, and other readers open it.
void jpegEmitMessage(j_common_ptr cinfo, int level) {
    JpegErrors* errors = errorsOf(cinfo);
    const int code = cinfo->err->msg_code;
    if (level < 0) {
        ++cinfo->err->num_warnings;
        if (code == JWRN_JPEG_EOF) {
            errors->missingEnd = true;
        } else if (code != JWRN_JFIF_MAJOR && code != JWRN_ADOBE_XFORM) {
            errors->corrupt = true;
            (*cinfo->err->format_message)(cinfo, errors->detail);
            std::longjmp(errors->jump, 1);
        }
    } else if (level == 1 && code == JTRC_SOS && ++errors->scans > kMaxJpegScans) {
        errors->tooManyScans = true;
        std::longjmp(errors->jump, 1);
    } else if (level == 1 && code == JTRC_SOS_COMPONENT) {
        errors->scannedComponents |= std::uint32_t(1) << (cinfo->err->msg_parm.i[0] & 31);
    }
}

}  // namespace

void initJpegErrors(JpegErrors& errors) {
    std::memset(&errors, 0, sizeof errors);
    jpeg_std_error(&errors.pub);
    errors.pub.error_exit = jpegErrorExit;
    errors.pub.emit_message = jpegEmitMessage;
}

}  // namespace vesta
