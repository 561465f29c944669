// The batch tool on facades rendered from known cameras: the cameras, and a photograph written
// for a run.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "../geometry/FacadeClicks.h"
#include "BitmapBytes.h"
#include "cli/BatchRun.h"
#include "image/BitmapFile.h"

namespace vesta::test {

// Turned, rolled, seen from either side and from above; `more` adds a large photograph with a
// shifted lens and a camera seen from below.
inline std::vector<facade::FacadeScene> facadeScenes(bool more = false) {
    std::vector<facade::FacadeScene> scenes = {facade::samples::centred(),
                                               facade::samples::rolled()};
    std::vector<std::array<double, 3>> turns = {{30, 20, 0}, {-24, 12, -3}};
    if (more) {
        scenes.push_back(facade::samples::large());
        turns.push_back({12, -8, 4});
    }
    for (const auto& [yaw, pitch, roll] : turns) {
        scenes.push_back(
            {facade::standardFacade(), aimedCamera(yaw, pitch, roll, 700, 450).value()});
    }
    return scenes;
}

// The palette photograph `image` written as NAME.bmp in `dir`, and a run from it to
// NAME-out.bmp.
inline BatchRequest requestOn(const IndexedImage& image, const TempDir& dir,
                              const std::string& name) {
    BatchRequest r;
    r.input = (dir / (name + ".bmp")).string();
    r.output = (dir / (name + "-out.bmp")).string();
    EXPECT_TRUE(writeBitmapFile(r.input, classicHeader(image.width, image.height), image));
    return r;
}

// Width over height of a run's result against that of the part of the facade it shows, less one.
inline double aspectError(const facade::PinholeCamera& cam, const BatchResult& done) {
    const Construction& c = *done.state.construction;
    return c.frame.largOut / c.frame.altOut / shownAspect(cam, c) - 1;
}

}  // namespace vesta::test
