// How many lines and points a construction holds: what the window and vesta-rectify take, and
// what a record of the construction keeps and reads back, so that none is saved that cannot be
// read again.
#pragma once

#include <cstddef>

namespace vesta {

// Further lines after the four, of both directions together.
inline constexpr std::size_t kMostExtraLines = 500;
// Points along one line given by more than two, its ends included.
inline constexpr std::size_t kMostPointsAlong = 100;

}  // namespace vesta
