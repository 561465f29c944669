// A camera's photograph for the benchmarks: a 6000 x 4000 JPEG at quality 95, made once in the
// temporary folder.
#pragma once

#include <string>

namespace vesta::bench {

// Smooth shading with fine grain, so that the file's size (about 10 MB) and its decoding work
// are those of a real one. `orientation` is the EXIF one: 6 is a portrait taken with the camera
// turned, which must be turned back on opening. Empty when it cannot be made.
std::string cameraPhotograph(int orientation);

}  // namespace vesta::bench
