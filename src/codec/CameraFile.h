// Opening a photograph of any kind vesta reads. The kind is told by the file's first bytes,
// never by its name: an 8-bit palette bitmap goes the palette road (readSourceBitmap), every
// other kind is decoded here into an upright colour or grey image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/CameraFacts.h"
#include "codec/DecodeLimits.h"
#include "state/ColourImage.h"
#include "state/Result.h"

namespace vesta {

enum class CameraFormat { Unknown, PaletteBitmap, ColourBitmap, Jpeg, Png, Tiff };

// The kind of file whose first bytes are these (up to 32 are looked at).
CameraFormat sniffCameraFormat(const std::uint8_t* head, std::size_t size);

struct CameraPhoto {
    bool paletteBitmap = false;  // true: nothing decoded, read it with readSourceBitmap
    ColourImage image;           // upright: the orientation applied; the profile kept
    CameraFacts facts;           // orientation as the file said it
};

// A file's bytes as read whole, the first thing readCameraFile does.
struct CameraFileBytes {
    bool paletteBitmap = false;  // true: nothing read, read it with readSourceBitmap
    std::vector<std::uint8_t> bytes;
    // What the bytes take of the limits: decoding them has the rest.
    DecodeLimits left;
};
Result<CameraFileBytes> readCameraFileBytes(const std::string& path,
                                            const DecodeLimits& limits = {});

// Reads a regular file; anything else (a folder, a device, a pipe) is refused before a byte is
// read. A file that is not an image of a known kind, or a damaged one, gives a message.
Result<CameraPhoto> readCameraFile(const std::string& path, const DecodeLimits& limits = {});

// Decodes a whole file held in memory (what readCameraFile does after reading it); an 8-bit
// palette bitmap is only recognised, as there.
Result<CameraPhoto> decodeCameraFile(const std::uint8_t* data, std::size_t size,
                                     const DecodeLimits& limits = {});

}  // namespace vesta
