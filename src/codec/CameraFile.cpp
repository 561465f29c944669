#include "codec/CameraFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "codec/ColourBmpFile.h"
#include "codec/JpegFile.h"
#include "codec/Orientation.h"
#include "codec/PngFile.h"
#include "codec/TiffFile.h"

namespace vesta {

namespace {

bool startsWith(const std::uint8_t* head, std::size_t size, const char* magic, std::size_t n) {
    return size >= n && std::memcmp(head, magic, n) == 0;
}

Result<CameraPhoto> refuse(const std::string& message) {
    return Result<CameraPhoto>::failure(message);
}

constexpr const char* kUnknown =
    "Il file non è un'immagine riconosciuta: si aprono fotografie JPEG, PNG, TIFF e bitmap (BMP).";

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// Reads up to `count` bytes from the current position; the number read, or -1.
std::int64_t readUpTo(int fd, std::uint8_t* into, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd, into + done, count - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += std::size_t(n);
    }
    return std::int64_t(done);
}

}  // namespace

CameraFormat sniffCameraFormat(const std::uint8_t* head, std::size_t size) {
    if (startsWith(head, size, "BM", 2)) {
        // The palette road takes every bitmap it may read, and those too short to tell.
        if (size < 30 || (head[28] | head[29] << 8) == 8) {
            return CameraFormat::PaletteBitmap;
        }
        return CameraFormat::ColourBitmap;
    }
    if (startsWith(head, size, "\xFF\xD8\xFF", 3)) {
        return CameraFormat::Jpeg;
    }
    if (startsWith(head, size, "\x89PNG\r\n\x1A\n", 8)) {
        return CameraFormat::Png;
    }
    if (startsWith(head, size, "II*\0", 4) || startsWith(head, size, "MM\0*", 4) ||
        startsWith(head, size, "II+\0", 4) || startsWith(head, size, "MM\0+", 4)) {
        return CameraFormat::Tiff;
    }
    return CameraFormat::Unknown;
}

Result<CameraPhoto> decodeCameraFile(const std::uint8_t* data, std::size_t size,
                                     const DecodeLimits& limits) {
    const CameraFormat format = sniffCameraFormat(data, size);
    if (format == CameraFormat::PaletteBitmap) {
        CameraPhoto photo;
        photo.paletteBitmap = true;
        return Result<CameraPhoto>::success(std::move(photo));
    }
    Result<DecodedImage> decoded = Result<DecodedImage>::failure(kUnknown);
    switch (format) {
        case CameraFormat::ColourBitmap:
            decoded = decodeColourBmp(data, size, limits);
            break;
        case CameraFormat::Jpeg:
            decoded = decodeJpeg(data, size, limits);
            break;
        case CameraFormat::Png:
            decoded = decodePng(data, size, limits);
            break;
        case CameraFormat::Tiff:
            decoded = decodeTiff(data, size, limits);
            break;
        default:
            break;
    }
    if (!decoded.ok()) {
        return refuse(decoded.error());
    }
    CameraPhoto photo;
    photo.facts = decoded.value().facts;
    photo.image = decoded.value().upright
                      ? std::move(decoded.value().image)
                      : turnUpright(std::move(decoded.value().image), photo.facts.orientation);
    return Result<CameraPhoto>::success(std::move(photo));
}

Result<CameraFileBytes> readCameraFileBytes(const std::string& path, const DecodeLimits& limits) {
    // A device is not even opened (opening some has effects); the descriptor is checked again,
    // since the name may change hands in between. Non-blocking, so that a pipe put there
    // meanwhile does not wait for a writer before it is refused.
    struct stat named {};
    if (::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
        return Result<CameraFileBytes>::failure(
            "Il file non si può aprire: non è un file ordinario.");
    }
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.get() < 0) {
        return Result<CameraFileBytes>::failure(
            "Il file non si può aprire: non esiste o non è leggibile.");
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return Result<CameraFileBytes>::failure(
            "Il file non si può aprire: non è un file ordinario.");
    }
    const std::uint64_t length = std::uint64_t(status.st_size);
    // The file's bytes are held while it is decoded: they count against the limit.
    if (length >= limits.maxBytes) {
        return Result<CameraFileBytes>::failure(
            "Il file è troppo grande per la memoria di questo computer.");
    }
    std::uint8_t head[32];
    const std::int64_t headLength = readUpTo(file.get(), head, sizeof head);
    if (headLength < 0) {
        return Result<CameraFileBytes>::failure("Il file non si può leggere.");
    }
    if (headLength == 0) {
        return Result<CameraFileBytes>::failure(kUnknown);
    }
    if (sniffCameraFormat(head, std::size_t(headLength)) == CameraFormat::PaletteBitmap) {
        CameraFileBytes palette;
        palette.paletteBitmap = true;
        return Result<CameraFileBytes>::success(std::move(palette));
    }
    CameraFileBytes read;
    std::vector<std::uint8_t>& bytes = read.bytes;
    bytes.resize(std::size_t(std::max<std::uint64_t>(length, std::uint64_t(headLength))));
    std::memcpy(bytes.data(), head, std::size_t(headLength));
    const std::int64_t rest =
        readUpTo(file.get(), bytes.data() + headLength, bytes.size() - std::size_t(headLength));
    if (rest < 0) {
        return Result<CameraFileBytes>::failure("Il file non si può leggere.");
    }
    bytes.resize(std::size_t(headLength + rest));
    read.left = DecodeLimits{limits.maxBytes - length};
    return Result<CameraFileBytes>::success(std::move(read));
}

Result<CameraPhoto> readCameraFile(const std::string& path, const DecodeLimits& limits) {
    Result<CameraFileBytes> read = readCameraFileBytes(path, limits);
    if (!read.ok()) {
        return refuse(read.error());
    }
    if (read.value().paletteBitmap) {
        CameraPhoto photo;
        photo.paletteBitmap = true;
        return Result<CameraPhoto>::success(std::move(photo));
    }
    const std::vector<std::uint8_t>& bytes = read.value().bytes;
    return decodeCameraFile(bytes.data(), bytes.size(), read.value().left);
}

}  // namespace vesta
