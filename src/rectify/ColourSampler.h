// The samplers that turn a row's source points into the samples of a grey or colour result.
//
// Nearest copies exactly the pixel the palette road takes its index from (forEachNearestPixel),
// so a colour photograph that is a palette bitmap expanded gives the palette result expanded.
//
// Bilinear weighs the four pixels around the source point. The pixel whose column the nearest
// rule picks for x is the one whose centre lies at x = column + 1.5 (sx counts from 1, so the
// pixel covers [column + 1, column + 2)), and the pixel of row r has its centre at y = r + 0.5:
// the nearest pixel is the one the point falls in, and a point on a centre gives that pixel
// alone. With fx = sx − 1.5, fy = sy − 0.5, each in 1/128 of a pixel rounded down
// (qx = floor(fx · 128), qy = floor(fy · 128)):
//   x0 = qx >> 7, wx = qx & 127, y0 = qy >> 7, wy = qy & 127, x1 = x0 + 1, y1 = y0 + 1,
//   out = (p(x0,y0)·(128 − wx)·(128 − wy) + p(x1,y0)·wx·(128 − wy)
//          + p(x0,y1)·(128 − wx)·wy + p(x1,y1)·wx·wy + 8192) >> 14
// in unsigned 32-bit integers (exact for 8 and 16 bits), each column and row index clamped into
// the photograph; 1/128 of a pixel keeps the 8-bit sums within 16-bit lanes. Every step is
// exact integer arithmetic, so the result is the same on every processor, thread and band.
// A point outside the area, or whose nearest pixel lies outside the photograph, gives 0 in
// every channel, where the palette road gives index 0.
#pragma once

#include <cstdint>

#include "rectify/RowRectifier.h"
#include "state/ColourImage.h"

namespace vesta {

enum class Interpolation { Nearest, Bilinear };

// One output row of largOut pixels (channels samples each, cleared first) from the source
// points rowSourcePoints left in work, right to left when columnsReversed. The 8-bit forms need an
// 8-bit photograph, the 16-bit forms a 16-bit one.
void sampleNearest(const RectifyInputs& in, const ColourImage& photograph, RowWork& work,
                   std::uint8_t* out);
void sampleNearest(const RectifyInputs& in, const ColourImage& photograph, RowWork& work,
                   std::uint16_t* out);
void sampleBilinear(const RectifyInputs& in, const ColourImage& photograph, RowWork& work,
                    std::uint8_t* out);
void sampleBilinear(const RectifyInputs& in, const ColourImage& photograph, RowWork& work,
                    std::uint16_t* out);

}  // namespace vesta
