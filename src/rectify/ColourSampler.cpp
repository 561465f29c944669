#include "rectify/ColourSampler.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace vesta {

namespace {

// Samples of one pixel, copied.
template <class Sample, int Channels>
void nearestRow(const RectifyInputs& in, const ColourImage& photo, const Sample* pixels,
                RowWork& work, Sample* out) {
    const int n = in.largOut;
    std::fill(out, out + std::size_t(n) * Channels, Sample(0));
    const std::size_t stride = photo.rowSamples();
    Sample* const last = out + std::size_t(n - 1) * Channels;
    const bool reversed = in.columnsReversed;
    forEachNearestPixel(
        work, n, AreaClip::of(in), photo.width, photo.height, [=](int i, int r, int c) {
            const Sample* p = pixels + r * stride + std::size_t(c) * Channels;
            Sample* d =
                reversed ? last - std::size_t(i) * Channels : out + std::size_t(i) * Channels;
            for (int k = 0; k < Channels; ++k) {
                d[k] = p[k];
            }
        });
}

template <class Sample>
void nearestAnyChannels(const RectifyInputs& in, const ColourImage& photo, const Sample* pixels,
                        RowWork& work, Sample* out) {
    if (photo.channels == 1) {
        nearestRow<Sample, 1>(in, photo, pixels, work, out);
    } else {
        nearestRow<Sample, 3>(in, photo, pixels, work, out);
    }
}

#if defined(__x86_64__)
bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

constexpr int kStepBits = 7;
constexpr int kSteps = 1 << kStepBits;  // weights in 1/128 of a pixel
constexpr std::uint32_t kHalf = kSteps * kSteps / 2;

// The taps of one source point as the header's formula gives them, with the clamping folded
// in: col is −1 where the point gives 0; otherwise x0 and y0 lie in the photograph and a weight
// is 0 where its second tap would lie beyond the last column or row (both taps are then the
// same pixel). A tap before the first column or row is the first, so x0 = −1 becomes 0 with
// weight 0. The point is moved into [0.5, width + 1] x [−1, height + 1] first: no decision and
// no tap changes (the nearest column and row are outside the photograph beyond those bounds,
// and every point left of 0.5 takes the first column alone), and no conversion overflows.
struct Taps {
    int col, row, wx, wy;
};

Taps tapsOf(double sx, double sy, const AreaClip& clip, int width, int height) {
    if (!clip.contains(sx, sy)) {
        return {-1, 0, 0, 0};
    }
    const double x = std::min(std::max(sx, 0.5), width + 1.0);
    const double y = std::min(std::max(sy, -1.0), height + 1.0);
    const int r = floorOf(y);
    const int c = std::max(floorOf(x), 1) - 1;
    if (r < 0 || r >= height || c >= width) {
        return {-1, 0, 0, 0};
    }
    const int qx = floorOf((x - 1.5) * kSteps), qy = floorOf((y - 0.5) * kSteps);
    Taps t{qx >> kStepBits, qy >> kStepBits, qx & (kSteps - 1), qy & (kSteps - 1)};
    if (t.col < 0 || t.col >= width - 1) {
        t.col = std::clamp(t.col, 0, width - 1);
        t.wx = 0;
    }
    if (t.row < 0 || t.row >= height - 1) {
        t.row = std::clamp(t.row, 0, height - 1);
        t.wy = 0;
    }
    return t;
}

void rowTapsPlain(const double* sxs, const double* sys, int from, int n, AreaClip clip, int width,
                  int height, std::int32_t* cols, std::int32_t* rows, std::int32_t* wxs,
                  std::int32_t* wys) {
    for (int i = from; i < n; ++i) {
        const Taps t = tapsOf(sxs[i], sys[i], clip, width, height);
        cols[i] = t.col;
        rows[i] = t.row;
        wxs[i] = t.wx;
        wys[i] = t.wy;
    }
}

#if defined(__x86_64__)
// tapsOf four columns at a time; each lane takes the same decisions and the same exact steps
// (floor in double, then an exact conversion). Returns how many columns it did; tapsOf does
// the rest.
__attribute__((target("avx2"))) int rowTapsAvx2(const double* sxs, const double* sys, int n,
                                                AreaClip clip, int width, int height,
                                                std::int32_t* cols, std::int32_t* rows,
                                                std::int32_t* wxs, std::int32_t* wys) {
    const __m256d top = _mm256_set1_pd(clip.top), bottom = _mm256_set1_pd(clip.bottom);
    const __m256d left = _mm256_set1_pd(clip.left), right = _mm256_set1_pd(clip.right);
    const __m256d half = _mm256_set1_pd(0.5), centre = _mm256_set1_pd(1.5);
    const __m256d scale = _mm256_set1_pd(kSteps), zero = _mm256_setzero_pd();
    const __m256d xMax = _mm256_set1_pd(width + 1.0), rowsEnd = _mm256_set1_pd(height);
    // The low half of each 64-bit mask, as 32-bit lanes.
    const __m256i lowHalves = _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6);
    const __m128i izero = _mm_setzero_si128(), fraction = _mm_set1_epi32(kSteps - 1);
    const __m128i lastCol = _mm_set1_epi32(width - 1), lastRow = _mm_set1_epi32(height - 1);
    const __m128i noCol = _mm_set1_epi32(-1);
    // A first tap beyond these has no second one inside the photograph.
    const __m128i colsWithNext = _mm_set1_epi32(width - 2),
                  rowsWithNext = _mm_set1_epi32(height - 2);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m256d sx = _mm256_loadu_pd(sxs + i), sy = _mm256_loadu_pd(sys + i);
        const __m256d inside = _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(top, sy, _CMP_LE_OQ),
                                                           _mm256_cmp_pd(sy, bottom, _CMP_LE_OQ)),
                                             _mm256_and_pd(_mm256_cmp_pd(left, sx, _CMP_LE_OQ),
                                                           _mm256_cmp_pd(sx, right, _CMP_LE_OQ)));
        // floor(sy) in [0, height) is sy in [0, height); max(floor(sx), 1) − 1 < width is
        // sx < width + 1.
        const __m256d ok = _mm256_and_pd(_mm256_and_pd(inside, _mm256_cmp_pd(sx, xMax, _CMP_LT_OQ)),
                                         _mm256_and_pd(_mm256_cmp_pd(sy, zero, _CMP_GE_OQ),
                                                       _mm256_cmp_pd(sy, rowsEnd, _CMP_LT_OQ)));
        // No clamping before the conversion: a lane out of range converts to INT_MIN, whose
        // first column is before the first (the same taps as tapsOf's clamped point) or whose
        // lane is not ok.
        const __m256d fx = _mm256_floor_pd(_mm256_mul_pd(_mm256_sub_pd(sx, centre), scale));
        const __m256d fy = _mm256_floor_pd(_mm256_mul_pd(_mm256_sub_pd(sy, half), scale));
        const __m128i qx = _mm256_cvttpd_epi32(fx), qy = _mm256_cvttpd_epi32(fy);
        const __m128i valid =
            _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(_mm256_castpd_si256(ok), lowHalves));
        __m128i x0 = _mm_srai_epi32(qx, kStepBits), y0 = _mm_srai_epi32(qy, kStepBits);
        const __m128i xEdge =
            _mm_or_si128(_mm_cmplt_epi32(x0, izero), _mm_cmpgt_epi32(x0, colsWithNext));
        const __m128i yEdge =
            _mm_or_si128(_mm_cmplt_epi32(y0, izero), _mm_cmpgt_epi32(y0, rowsWithNext));
        x0 = _mm_min_epi32(_mm_max_epi32(x0, izero), lastCol);
        y0 = _mm_min_epi32(_mm_max_epi32(y0, izero), lastRow);
        const __m128i wx = _mm_andnot_si128(xEdge, _mm_and_si128(qx, fraction));
        const __m128i wy = _mm_andnot_si128(yEdge, _mm_and_si128(qy, fraction));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cols + i), _mm_blendv_epi8(noCol, x0, valid));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows + i), _mm_and_si128(y0, valid));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(wxs + i), _mm_and_si128(wx, valid));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(wys + i), _mm_and_si128(wy, valid));
    }
    return i;
}
#endif

void computeTaps(const RectifyInputs& in, const ColourImage& photo, RowWork& work) {
    const std::size_t n = std::size_t(std::max(0, in.largOut));
    if (photo.width < 1 || photo.height < 1) {
        work.col.assign(n, -1);
        return;
    }
    work.col.resize(n);
    work.row.resize(n);
    work.wx.resize(n);
    work.wy.resize(n);
    int done = 0;
#if defined(__x86_64__)
    if (hasAvx2()) {
        done = rowTapsAvx2(work.sx.data(), work.sy.data(), int(n), AreaClip::of(in), photo.width,
                           photo.height, work.col.data(), work.row.data(), work.wx.data(),
                           work.wy.data());
    }
#endif
    rowTapsPlain(work.sx.data(), work.sy.data(), done, int(n), AreaClip::of(in), photo.width,
                 photo.height, work.col.data(), work.row.data(), work.wx.data(), work.wy.data());
}

// The weighted sum of the header's formula, any depth, any channels.
template <class Sample, int Channels>
void bilinearRow(const RectifyInputs& in, const ColourImage& photo, const Sample* pixels,
                 const RowWork& work, Sample* out) {
    const int n = in.largOut;
    const std::size_t stride = photo.rowSamples();
    const bool reversed = in.columnsReversed;
    for (int i = 0; i < n; ++i) {
        Sample* d = out + std::size_t(reversed ? n - 1 - i : i) * Channels;
        const int x0 = work.col[std::size_t(i)];
        if (x0 < 0) {
            std::fill(d, d + Channels, Sample(0));
            continue;
        }
        const std::uint32_t kx = std::uint32_t(work.wx[std::size_t(i)]);
        const std::uint32_t ky = std::uint32_t(work.wy[std::size_t(i)]);
        const Sample* p00 =
            pixels + std::size_t(work.row[std::size_t(i)]) * stride + std::size_t(x0) * Channels;
        const Sample* p01 = p00 + (kx ? Channels : 0);
        const Sample* p10 = p00 + (ky ? stride : 0);
        const Sample* p11 = p10 + (kx ? Channels : 0);
        for (int k = 0; k < Channels; ++k) {
            const std::uint32_t sum =
                (std::uint32_t(p00[k]) * (kSteps - kx) + std::uint32_t(p01[k]) * kx) *
                    (kSteps - ky) +
                (std::uint32_t(p10[k]) * (kSteps - kx) + std::uint32_t(p11[k]) * kx) * ky;
            d[k] = Sample((sum + kHalf) >> (2 * kStepBits));
        }
    }
}

#if defined(__x86_64__)
// bilinearRow for 8-bit colour, the common case. The two pixels of each row come in one 8-byte
// load; across is weighed in 16-bit lanes (p0·128 + (p1 − p0)·wx is exact there, at most
// 255·128) and down in 32-bit sums of pairs: the same exact sums as bilinearRow, so the same
// bytes. Two output pixels share a register, one in each half.
class Rgb8Bilinear {
  public:
    __attribute__((target("avx2")))
    Rgb8Bilinear(const RowWork& work, const std::uint8_t* pixels, int width, std::size_t total)
        : cols_(work.col.data()),
          rows_(work.row.data()),
          wxs_(work.wx.data()),
          wys_(work.wy.data()),
          pixels_(pixels),
          stride_(std::size_t(width) * 3),
          total_(total) {}

    // Pixels i and i + 1 into a and b, when both have all four neighbours in the photograph's
    // storage; false, with nothing written, otherwise.
    __attribute__((target("avx2"))) bool pair(int i, std::uint8_t* a, std::uint8_t* b) const {
        const int xa = cols_[i], xb = cols_[i + 1];
        if ((xa | xb) < 0) {
            return false;
        }
        const std::size_t at = std::size_t(rows_[i]) * stride_ + std::size_t(xa) * 3;
        const std::size_t bt = std::size_t(rows_[i + 1]) * stride_ + std::size_t(xb) * 3;
        if (std::max(at, bt) + stride_ + 8 > total_) {
            return false;
        }
        // With a zero down weight the row below is read and weighs nothing.
        const __m256i both = _mm256_set_m128i(rowsAt(bt, stride_), rowsAt(at, stride_));
        const __m128i wx = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(wxs_ + i));
        const __m128i wy = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(wys_ + i));
        const __m128i across = _mm_or_si128(wx, _mm_slli_epi32(wx, 16));
        const __m128i down =
            _mm_or_si128(_mm_sub_epi32(_mm_set1_epi32(kSteps), wy), _mm_slli_epi32(wy, 16));
        const __m256i spread = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);
        const __m256i rgb =
            weigh(both, _mm256_permutevar8x32_epi32(_mm256_castsi128_si256(across), spread),
                  _mm256_permutevar8x32_epi32(_mm256_castsi128_si256(down), spread));
        store(a, std::uint32_t(_mm256_cvtsi256_si32(rgb)));
        store(b, std::uint32_t(_mm_cvtsi128_si32(_mm256_extracti128_si256(rgb, 1))));
        return true;
    }

    // Pixel i alone, reading no byte beyond the photograph.
    __attribute__((target("avx2"))) void one(int i, std::uint8_t* d) const {
        const int x0 = cols_[i];
        if (x0 < 0) {
            d[0] = d[1] = d[2] = 0;
            return;
        }
        const int kx = wxs_[i], ky = wys_[i];
        const std::size_t at = std::size_t(rows_[i]) * stride_ + std::size_t(x0) * 3;
        const std::size_t down = ky ? stride_ : 0;
        __m128i both;
        if (at + down + 8 <= total_) {
            both = rowsAt(at, down);
        } else {
            alignas(16) std::uint8_t tail[16] = {};
            std::memcpy(tail, pixels_ + at, std::min<std::size_t>(6, total_ - at));
            std::memcpy(tail + 8, pixels_ + at + down,
                        std::min<std::size_t>(6, total_ - at - down));
            both = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
        }
        const __m256i rgb = weigh(_mm256_castsi128_si256(both), _mm256_set1_epi16(short(kx)),
                                  _mm256_set1_epi32((ky << 16) | (kSteps - ky)));
        store(d, std::uint32_t(_mm256_cvtsi256_si32(rgb)));
    }

  private:
    // [top row: R0 G0 B0 R1 G1 B1 . . | the row below: the same]
    __attribute__((target("avx2"))) __m128i rowsAt(std::size_t at, std::size_t down) const {
        return _mm_unpacklo_epi64(
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixels_ + at)),
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixels_ + at + down)));
    }

    // Each half: the rows of one pixel as rowsAt gives them, its across weight in every 16-bit
    // lane, (wy << 16) | (128 − wy) in every 32-bit lane. Gives R G B in its low bytes.
    __attribute__((target("avx2"))) static __m256i weigh(__m256i both, __m256i wx, __m256i wy) {
        // The first and the second pixel of both rows as 16-bit lanes: [R G B 0 | R G B 0].
        const __m256i first =
            _mm256_setr_epi8(0, -1, 1, -1, 2, -1, -1, -1, 8, -1, 9, -1, 10, -1, -1, -1, 0, -1, 1,
                             -1, 2, -1, -1, -1, 8, -1, 9, -1, 10, -1, -1, -1);
        const __m256i second =
            _mm256_setr_epi8(3, -1, 4, -1, 5, -1, -1, -1, 11, -1, 12, -1, 13, -1, -1, -1, 3, -1, 4,
                             -1, 5, -1, -1, -1, 11, -1, 12, -1, 13, -1, -1, -1);
        const __m256i p0 = _mm256_shuffle_epi8(both, first);
        const __m256i p1 = _mm256_shuffle_epi8(both, second);
        const __m256i across = _mm256_add_epi16(_mm256_slli_epi16(p0, kStepBits),
                                                _mm256_mullo_epi16(_mm256_sub_epi16(p1, p0), wx));
        // Top and bottom of each channel side by side, then top·(128 − wy) + bottom·wy.
        const __m256i pairs = _mm256_unpacklo_epi16(across, _mm256_srli_si256(across, 8));
        const __m256i sums =
            _mm256_add_epi32(_mm256_madd_epi16(pairs, wy), _mm256_set1_epi32(int(kHalf)));
        const __m256i v = _mm256_srli_epi32(sums, 2 * kStepBits);
        const __m256i packed = _mm256_packs_epi32(v, v);
        return _mm256_packus_epi16(packed, packed);
    }

    static void store(std::uint8_t* d, std::uint32_t rgb) {
        d[0] = std::uint8_t(rgb);
        d[1] = std::uint8_t(rgb >> 8);
        d[2] = std::uint8_t(rgb >> 16);
    }

    const std::int32_t* cols_;
    const std::int32_t* rows_;
    const std::int32_t* wxs_;
    const std::int32_t* wys_;
    const std::uint8_t* pixels_;
    std::size_t stride_;
    std::size_t total_;
};

template <bool Mirrored>
__attribute__((target("avx2"))) void bilinearRgb8Avx2(const RowWork& work, int n,
                                                      const std::uint8_t* pixels, int width,
                                                      std::size_t total, std::uint8_t* out) {
    const Rgb8Bilinear sampler(work, pixels, width, total);
    const auto at = [&](int i) { return out + std::size_t(Mirrored ? n - 1 - i : i) * 3; };
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        if (!sampler.pair(i, at(i), at(i + 1))) {
            sampler.one(i, at(i));
            sampler.one(i + 1, at(i + 1));
        }
    }
    if (i < n) {
        sampler.one(i, at(i));
    }
}

#endif

}  // namespace

void sampleNearest(const RectifyInputs& in, const ColourImage& photo, RowWork& work,
                   std::uint8_t* out) {
    nearestAnyChannels(in, photo, photo.samples8.data(), work, out);
}

void sampleNearest(const RectifyInputs& in, const ColourImage& photo, RowWork& work,
                   std::uint16_t* out) {
    nearestAnyChannels(in, photo, photo.samples16.data(), work, out);
}

void sampleBilinear(const RectifyInputs& in, const ColourImage& photo, RowWork& work,
                    std::uint8_t* out) {
    computeTaps(in, photo, work);
    if (photo.channels == 1) {
        bilinearRow<std::uint8_t, 1>(in, photo, photo.samples8.data(), work, out);
        return;
    }
#if defined(__x86_64__)
    if (hasAvx2()) {
        (in.columnsReversed ? bilinearRgb8Avx2<true>
                            : bilinearRgb8Avx2<false>)(work, in.largOut, photo.samples8.data(),
                                                       photo.width, photo.samples8.size(), out);
        return;
    }
#endif
    bilinearRow<std::uint8_t, 3>(in, photo, photo.samples8.data(), work, out);
}

void sampleBilinear(const RectifyInputs& in, const ColourImage& photo, RowWork& work,
                    std::uint16_t* out) {
    computeTaps(in, photo, work);
    if (photo.channels == 1) {
        bilinearRow<std::uint16_t, 1>(in, photo, photo.samples16.data(), work, out);
    } else {
        bilinearRow<std::uint16_t, 3>(in, photo, photo.samples16.data(), work, out);
    }
}

}  // namespace vesta
