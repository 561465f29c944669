// Camera files built in the tests: EXIF blocks, profiles and PNG chunks that vesta's own writers
// never produce.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "BitmapBytes.h"
#include "codec/CameraFile.h"
#include "codec/ColourFileWriter.h"

namespace vesta::test {

// A small ICC profile: a valid header and tag table with one text tag, so libraries that check
// profiles accept it.
std::vector<std::uint8_t> smallIccProfile(bool grey);

struct ExifFields {
    int orientation = 1;
    bool bigEndian = false;
    double focalLengthMm = 0;  // written when > 0
    int focalLength35mm = 0;   // written when > 0
    int pixelXDimension = 0;   // written as LONG when > 0
    // Written as ASCII when not empty; braced, so that designated initializers may leave them out.
    std::string make{}, model{}, dateTimeOriginal{}, lensModel{};
};
// A bare TIFF-structured EXIF block (as in a PNG eXIf chunk), without the "Exif\0\0" header.
std::vector<std::uint8_t> exifBlock(const ExifFields& fields);

// The JPEG file with an APP1 EXIF segment inserted right after its start marker.
std::vector<std::uint8_t> withExifSegment(const std::vector<std::uint8_t>& jpeg,
                                          const std::vector<std::uint8_t>& block);

// The PNG file with an eXIf chunk, which vesta's own writer never makes, after its header chunk.
std::vector<std::uint8_t> withExifChunk(std::vector<std::uint8_t> png,
                                        const std::vector<std::uint8_t>& block);

// A fresh folder to save images in and read camera files from.
class CodecTest : public ::testing::Test {
  protected:
    // The image saved under `name`, in the format its name says.
    std::filesystem::path save(const std::string& name, const ColourImage& image,
                               const ColourWriteOptions& options = {}) {
        EXPECT_EQ(saveColourImage((dir / name).string(), image, options), "") << name;
        return dir / name;
    }
    // Its bytes, so saved.
    std::vector<std::uint8_t> saved(const std::string& name, const ColourImage& image) {
        return readBytes(save(name, image));
    }
    std::filesystem::path put(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        writeBytes(dir / name, bytes);
        return dir / name;
    }
    // The file read, which must succeed.
    CameraPhoto read(const std::filesystem::path& path) {
        auto read = readCameraFile(path.string());
        EXPECT_TRUE(read.ok()) << path << ": " << read.error();
        return read.ok() ? read.value() : CameraPhoto{};
    }
    TempDir dir;
};

}  // namespace vesta::test
