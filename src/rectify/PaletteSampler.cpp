#include "rectify/PaletteSampler.h"

#include <algorithm>
#include <cstring>

namespace vesta {

void samplePalette(const RectifyInputs& in, const IndexedImage& src, const RowWork& work,
                   std::uint8_t* out) {
    const int n = in.largOut;
    std::memset(out, 0, std::size_t(n));
    // forEachNearestPixel written out: the compiler keeps this form of the palette loop, a
    // select for the reversed columns, measurably faster than the shared template.
    const AreaClip clip = AreaClip::of(in);
    const double top = clip.top, bottom = clip.bottom, left = clip.left, right = clip.right;
    const bool reversed = in.columnsReversed;
    const double* sxs = work.sx.data();
    const double* sys = work.sy.data();
    for (int i = 0; i < n; ++i) {
        const double sx = sxs[i], sy = sys[i];
        // Comparisons with NaN fail, so nothing undefined reaches the rounding below.
        // An invalid column carries NaN and a zero divisor gives an infinity or NaN: the clip,
        // whose bounds are finite, turns both away.
        if (!(top <= sy && sy <= bottom && left <= sx && sx <= right)) {
            continue;
        }
        const int row0 = floorOf(sy);
        const int cell = std::max(1, floorOf(sx)) - 1;
        if (row0 < 0 || row0 >= src.height || cell >= src.width) {
            continue;
        }
        out[reversed ? n - 1 - i : i] = src.row(row0)[cell];
    }
}

}  // namespace vesta
