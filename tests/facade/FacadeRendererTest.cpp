// The synthetic photographs are the ground truth of later rectification tests: the committed
// ones must be what the renderer makes, so that a renderer that moved an edge shows here.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "facade/FacadeRenderer.h"
#include "image/BitmapFile.h"

namespace vesta::facade {
namespace {

#ifdef VESTA_SAMPLES_DIR
// The committed photographs must be what the renderer makes today, or their notes lie.
TEST(CommittedSamples, MatchTheRenderer) {
    const std::pair<const char*, FacadeScene> files[] = {
        {"facciata_centrata.bmp", samples::centred()},
        {"facciata_ruotata.bmp", samples::rolled()},
        {"facciata_grande.bmp", samples::large()},
        {"facciata_livellata.bmp", samples::level()},
    };
    for (const auto& [file, scene] : files) {
        SCOPED_TRACE(file);
        const auto read = readSourceBitmap(std::string(VESTA_SAMPLES_DIR) + "/" + file);
        ASSERT_TRUE(read.ok()) << read.error();
        const IndexedImage& stored = read.value().image;
        const IndexedImage fresh = renderFacade(scene);
        ASSERT_TRUE(stored.width == fresh.width && stored.height == fresh.height);
        EXPECT_EQ(stored.palette, fresh.palette);
        // Another compiler may round a ray that grazes an edge the other way: a handful of
        // pixels may differ, a moved feature would change thousands.
        std::size_t differ = 0;
        for (std::size_t i = 0; i < fresh.pixels.size(); ++i) {
            differ += stored.pixels[i] != fresh.pixels[i];
        }
        EXPECT_LE(differ, fresh.pixels.size() / 2000);
    }
}
#endif

}  // namespace
}  // namespace vesta::facade
