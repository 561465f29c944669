// Writing an image a row at a time, top row first, so that a result computed in bands of rows
// never needs to be whole in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vesta {

struct RowShape {
    int width = 0;
    int height = 0;
    int channels = 3;        // 1 or 3
    int bitsPerChannel = 8;  // of the rows given; the file may hold fewer
};

class RowWriter {
  public:
    virtual ~RowWriter() = default;
    // One row of width * channels samples; the overload matching the shape's bits is used.
    virtual bool writeRow(const std::uint8_t* samples) = 0;
    virtual bool writeRow(const std::uint16_t* samples) = 0;
    // Completes the file after the last row; false when anything failed.
    virtual bool finish() = 0;
    const std::string& error() const { return error_; }

  protected:
    bool fail(std::string message) {
        if (error_.empty()) {
            error_ = std::move(message);
        }
        return false;
    }
    std::string error_;
};

// Empty when a writer can take rows of this shape, else the Italian reason.
std::string rowShapeRefusal(const RowShape& shape, int maxSide);

// Reduces 16-bit samples to 8 bits by rounding: 65535 becomes 255, 128 becomes 0.
void roundTo8Bits(const std::uint16_t* from, std::size_t count, std::uint8_t* to);

// Writes all of `count` bytes to `fd`, retrying short writes; false on any failure.
bool writeAll(int fd, const void* data, std::size_t count);

}  // namespace vesta
