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

// The checks every format shares: rows past the last or of the wrong depth, a file finished
// before its last row, the first failure kept as the reason.
class RowWriter {
  public:
    explicit RowWriter(const RowShape& shape) : shape_(shape) {}
    virtual ~RowWriter() = default;
    // One row of width * channels samples; the overload matching the shape's bits is used.
    virtual bool writeRow(const std::uint8_t* samples) = 0;
    virtual bool writeRow(const std::uint16_t* samples) = 0;
    // Completes the file after the last row; false when anything failed.
    bool finish() {
        if (!error_.empty()) {
            return false;
        }
        if (rows_ != shape_.height) {
            return fail("L'immagine da scrivere è incompleta.");
        }
        return completeFile();
    }
    const std::string& error() const { return error_; }
    // The first failure was the encoder running out of memory, not the file refusing bytes.
    bool outOfMemory() const { return outOfMemory_; }

  protected:
    // The format's own end of the file, once every row is written.
    virtual bool completeFile() = 0;
    // Takes the next row, rows_ - 1 from the top: false after a failure or past the last row.
    bool nextRow() {
        if (!error_.empty() || rows_ >= shape_.height) {
            return fail("Riga in più nell'immagine da scrivere.");
        }
        ++rows_;
        return true;
    }
    // False, with the reason, unless the rows given have `bits` bits a sample.
    bool rowsOf(int bits) {
        return shape_.bitsPerChannel == bits ||
               fail("Formato dei pixel non previsto per la scrittura.");
    }
    bool fail(std::string message) {
        if (error_.empty()) {
            error_ = std::move(message);
        }
        return false;
    }
    bool failForMemory(std::string message) {
        outOfMemory_ = error_.empty();
        return fail(std::move(message));
    }
    RowShape shape_;
    int rows_ = 0;  // rows taken
    std::string error_;
    bool outOfMemory_ = false;
};

// Empty when a writer can take rows of this shape, else the Italian reason.
std::string rowShapeRefusal(const RowShape& shape, int maxSide);

// Reduces 16-bit samples to 8 bits by rounding: 65535 becomes 255, 128 becomes 0.
void roundTo8Bits(const std::uint16_t* from, std::size_t count, std::uint8_t* to);

// Writes all of `count` bytes to `fd`, retrying short writes; false on any failure.
bool writeAll(int fd, const void* data, std::size_t count);

}  // namespace vesta
