// Filled by the ground-truth check of the construction against a known camera.
#include <gtest/gtest.h>
