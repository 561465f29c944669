#include "rectify/PaletteSampler.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace vesta {

namespace {

// The offset in the photograph of the source point's nearest pixel, or −1 where the point
// gives index 0: forEachNearestPixel's rule.
inline std::int32_t offsetOf(double sx, double sy, const AreaClip& clip, int width, int height) {
    if (!clip.contains(sx, sy)) {
        return -1;
    }
    const int row = floorOf(sy);
    const int cell = (floorOf(sx) > 1 ? floorOf(sx) : 1) - 1;
    return row < 0 || row >= height || cell >= width ? -1 : row * width + cell;
}

void nearestOffsets(const double* sx, const double* sy, int n, const AreaClip& clip, int width,
                    int height, std::int32_t* offsets) {
    for (int i = 0; i < n; ++i) {
        offsets[i] = offsetOf(sx[i], sy[i], clip, width, height);
    }
}

#if defined(__x86_64__) && !defined(VESTA_NO_TARGET_CLONES)
bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// The same rule four points at a time, in doubles until the offset: the clip's comparisons as
// above (false with NaN); floor(sy) and floor(sx) are whole numbers within ±2^30, so the
// bounds compared in doubles, max(1, floor(sx)) − 1 and row · width + column (below 2^31, the
// largest photograph being 32767 x 32767) are exact, and only a kept offset or −1 is ever
// converted to an integer. Not an index differs from the rule's.
__attribute__((target("avx2"))) void nearestOffsetsAvx2(const double* sx, const double* sy, int n,
                                                        const AreaClip& clip, int width, int height,
                                                        std::int32_t* offsets) {
    const __m256d top = _mm256_set1_pd(clip.top), bottom = _mm256_set1_pd(clip.bottom);
    const __m256d left = _mm256_set1_pd(clip.left), right = _mm256_set1_pd(clip.right);
    const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0);
    const __m256d none = _mm256_set1_pd(-1.0);
    const __m256d w = _mm256_set1_pd(width), h = _mm256_set1_pd(height);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m256d x = _mm256_loadu_pd(sx + i), y = _mm256_loadu_pd(sy + i);
        const __m256d inside = _mm256_and_pd(
            _mm256_and_pd(_mm256_cmp_pd(top, y, _CMP_LE_OQ), _mm256_cmp_pd(y, bottom, _CMP_LE_OQ)),
            _mm256_and_pd(_mm256_cmp_pd(left, x, _CMP_LE_OQ), _mm256_cmp_pd(x, right, _CMP_LE_OQ)));
        const __m256d row = _mm256_floor_pd(y);
        const __m256d cell = _mm256_sub_pd(_mm256_max_pd(_mm256_floor_pd(x), one), one);
        const __m256d kept = _mm256_and_pd(
            _mm256_and_pd(inside, _mm256_cmp_pd(row, zero, _CMP_GE_OQ)),
            _mm256_and_pd(_mm256_cmp_pd(row, h, _CMP_LT_OQ), _mm256_cmp_pd(cell, w, _CMP_LT_OQ)));
        const __m256d at = _mm256_blendv_pd(none, _mm256_add_pd(_mm256_mul_pd(row, w), cell), kept);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(offsets + i), _mm256_cvttpd_epi32(at));
    }
    for (; i < n; ++i) {
        offsets[i] = offsetOf(sx[i], sy[i], clip, width, height);
    }
}
#endif

}  // namespace

void samplePalette(const RectifyInputs& in, const IndexedImage& src, RowWork& work,
                   std::uint8_t* out) {
    const int n = in.largOut;
    work.col.resize(std::size_t(n));
    std::int32_t* offsets = work.col.data();
    const AreaClip clip = AreaClip::of(in);
#if defined(__x86_64__) && !defined(VESTA_NO_TARGET_CLONES)
    if (hasAvx2()) {
        nearestOffsetsAvx2(work.sx.data(), work.sy.data(), n, clip, src.width, src.height, offsets);
    } else
#endif
    {
        nearestOffsets(work.sx.data(), work.sy.data(), n, clip, src.width, src.height, offsets);
    }
    const std::uint8_t* pixels = src.pixels.data();
    if (in.columnsReversed) {
        for (int i = 0; i < n; ++i) {
            const std::int32_t at = offsets[i];
            out[n - 1 - i] = at < 0 ? 0 : pixels[at];
        }
    } else {
        for (int i = 0; i < n; ++i) {
            const std::int32_t at = offsets[i];
            out[i] = at < 0 ? 0 : pixels[at];
        }
    }
}

}  // namespace vesta
