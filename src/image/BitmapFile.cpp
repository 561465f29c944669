#include "image/BitmapFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "codec/LittleEndian.h"
#include "state/LargePages.h"

namespace vesta {

namespace {

using le::putU16;
using le::putU32;
using le::readU16;
using le::readU32;

int rowStride(int width) {
    return width + outputPadding(width);
}

// The photograph open for reading, closed at the end of the read.
class FileHandle {
  public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

// Positioned read of exactly `count` bytes; false when the file has fewer.
bool readAt(const FileHandle& in, std::int64_t offset, void* into, std::size_t count) {
    auto* at = static_cast<char*>(into);
    while (count > 0) {
        const ssize_t n = ::pread(in.fd(), at, count, off_t(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        at += n;
        offset += n;
        count -= std::size_t(n);
    }
    return true;
}

Result<SourceBitmap> refuse(const std::string& reason) {
    return Result<SourceBitmap>::failure(reason);
}

constexpr const char* kNotAFile =
    "Non è un file normale (è una cartella, una periferica o una pipe): non contiene "
    "un'immagine.";
constexpr const char* kTruncated =
    "Il file finisce prima delle righe di pixel: è incompleto o danneggiato.";

}  // namespace

int outputPadding(int width) {
    int pad = 4 - width % 4;
    return pad == 4 ? 0 : pad;
}

namespace {

// Opens `path` for reading when it is a regular file; the refusal else. Only a regular file
// can hold a photograph: anything else is refused before it is opened, and again once open (it
// may have been swapped meanwhile). The open never waits, so that a pipe with no writer cannot
// hang the program.
// `fd` is the open descriptor, whoever refuses: the caller's handle closes it.
std::optional<std::string> openRegularFile(const std::string& path, int& fd, struct stat& st) {
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        return kNotAFile;
    }
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return "Il file non si può aprire: non esiste o non è leggibile.";
    }
    if (::fstat(fd, &st) != 0) {
        return "Il file non si può leggere.";
    }
    if (!S_ISREG(st.st_mode)) {
        return kNotAFile;
    }
    return std::nullopt;
}

// What the information header declares of the pixels.
struct BitmapInfo {
    std::int32_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;  // a negative height marks rows stored top first
    std::uint16_t planes = 0, bitCount = 0;
    std::uint32_t compression = 0, coloursUsed = 0;
};

BitmapInfo infoOf(const std::uint8_t* head) {
    BitmapInfo b;
    b.width = static_cast<std::int32_t>(readU32(head + 18));
    const auto signedHeight = static_cast<std::int32_t>(readU32(head + 22));
    b.planes = readU16(head + 26);
    b.bitCount = readU16(head + 28);
    b.compression = readU32(head + 30);
    b.coloursUsed = readU32(head + 46);
    b.topDown = signedHeight < 0;
    b.height = b.topDown ? -std::int64_t(signedHeight) : signedHeight;
    return b;
}

// Why the declared pixels are not an 8-bit palette image the program reads, or nothing.
std::optional<std::string> infoRefusal(const BitmapInfo& b) {
    // The format has one plane; any other count is damage, and would be copied into outputs.
    if (b.planes != 1) {
        return "La bitmap dichiara " + std::to_string(b.planes) +
               " piani di colore invece di uno: il file è danneggiato.";
    }
    if (b.bitCount != 8) {
        return "La bitmap ha " + std::to_string(b.bitCount) +
               " bit per pixel: servono immagini a 256 colori (8 bit) con tavolozza.";
    }
    if (b.compression != 0) {
        return "La bitmap è compressa: servono immagini a 8 bit non compresse.";
    }
    if (b.width < 1 || b.width > kMaxSide) {
        return "Larghezza dell'immagine non valida (" + std::to_string(b.width) +
               " pixel): deve essere fra 1 e 32767.";
    }
    if (b.height < 1 || b.height > kMaxSide) {
        return "Altezza dell'immagine non valida (" + std::to_string(b.height) +
               " pixel): deve essere fra 1 e 32767.";
    }
    if (b.coloursUsed > 256) {
        return "La tavolozza dichiara " + std::to_string(b.coloursUsed) +
               " colori: ne sono ammessi al massimo 256.";
    }
    return std::nullopt;
}

}  // namespace

Result<SourceBitmap> readSourceBitmap(const std::string& path) {
    struct stat st {};
    int fd = -1;
    const std::optional<std::string> unopened = openRegularFile(path, fd, st);
    const FileHandle in(fd);
    if (unopened) {
        return refuse(*unopened);
    }
    const std::int64_t length = st.st_size;

    std::uint8_t head[kHeaderBytes];
    if (length < 2 || !readAt(in, 0, head, 2) || head[0] != 'B' || head[1] != 'M') {
        // Whatever its name says, the file is none of the kinds the program reads: name them.
        return refuse(
            "Il file non è un'immagine riconosciuta: si aprono fotografie JPEG, PNG, TIFF e "
            "bitmap (BMP).");
    }
    if (length < std::int64_t(kHeaderBytes) || !readAt(in, 0, head, kHeaderBytes)) {
        return refuse("L'intestazione della bitmap è incompleta: il file è danneggiato.");
    }
    const std::uint32_t pixelOffset = readU32(head + 10);
    const std::uint32_t infoSize = readU32(head + 14);
    if (infoSize < 40 || std::int64_t(infoSize) + 14 > length) {
        return refuse("Formato della bitmap non riconosciuto (intestazione di " +
                      std::to_string(infoSize) + " byte).");
    }
    const BitmapInfo info = infoOf(head);
    if (auto why = infoRefusal(info)) {
        return refuse(*why);
    }
    const std::int32_t width = info.width;
    const std::int64_t height = info.height;
    const bool topDown = info.topDown;
    const std::uint32_t coloursUsed = info.coloursUsed;
    const std::int64_t paletteStart = 14 + std::int64_t(infoSize);
    std::int64_t paletteEntries = coloursUsed == 0 ? 256 : coloursUsed;
    if (paletteStart + 4 * paletteEntries > pixelOffset && coloursUsed == 0) {
        // No count given and less room than 256 entries: the room is the palette.
        paletteEntries = std::max<std::int64_t>(0, (std::int64_t(pixelOffset) - paletteStart) / 4);
    }
    if (paletteEntries == 0 || paletteStart + 4 * paletteEntries > pixelOffset) {
        return refuse("La tavolozza dei colori manca o è danneggiata.");
    }
    const int stride = rowStride(width);
    const std::int64_t pixelBytes = height * std::int64_t(stride);
    // The last row needs only its pixels, not its padding.
    if (std::int64_t(pixelOffset) + pixelBytes - (stride - width) > length) {
        return refuse(kTruncated);
    }

    SourceBitmap bitmap;
    bitmap.lunghezzaFile = length;
    bitmap.padSorg = stride - width;
    IndexedImage& image = bitmap.image;
    image.width = width;
    image.height = int(height);
    if (!readAt(in, paletteStart, image.palette.data(), std::size_t(4 * paletteEntries))) {
        return refuse(kTruncated);
    }

    const bool classic = infoSize == 40 && pixelOffset == kPixelOffset && !topDown;
    if (classic) {
        std::memcpy(bitmap.intestazione.data(), head, kHeaderBytes);
    } else {
        // Outputs are written as header + 256-entry palette + rows at 1078: describe exactly that.
        bitmap.intestazione = classicHeader(width, int(height));
        std::memcpy(bitmap.intestazione.data() + 6, head + 6, 4);    // reserved
        std::memcpy(bitmap.intestazione.data() + 38, head + 38, 8);  // pixels per metre
    }

    resizeImageBuffer(image.pixels, std::size_t(height) * std::size_t(width));
    for (int j = 0; j < image.height; ++j) {
        const int row = topDown ? j : image.height - 1 - j;
        if (!readAt(in, std::int64_t(pixelOffset) + std::int64_t(j) * stride, image.row(row),
                    std::size_t(width))) {
            return refuse(kTruncated);
        }
    }
    return Result<SourceBitmap>::success(std::move(bitmap));
}

HeaderBlock patchedHeader(const HeaderBlock& source, int width, int height) {
    HeaderBlock header = source;
    header[23] = std::uint8_t(height / 256);
    header[22] = std::uint8_t(height % 256);
    header[19] = std::uint8_t(width / 256);
    header[18] = std::uint8_t(width % 256);
    const std::uint32_t pixelBytes = std::uint32_t(height) * std::uint32_t(rowStride(width));
    putU32(header.data() + 2, std::uint32_t(kPixelOffset) + pixelBytes);
    putU32(header.data() + 34, pixelBytes);
    return header;
}

HeaderBlock classicHeader(int width, int height) {
    HeaderBlock header{};
    header[0] = 'B';
    header[1] = 'M';
    putU32(header.data() + 10, std::uint32_t(kPixelOffset));
    putU32(header.data() + 14, 40);
    putU16(header.data() + 26, 1);
    putU16(header.data() + 28, 8);
    putU32(header.data() + 38, 3780);  // 96 dots per inch
    putU32(header.data() + 42, 3780);
    return patchedHeader(header, width, height);
}

bool BitmapWriter::open(const std::string& path, const HeaderBlock& sourceHeader,
                        const PaletteBlock& palette, int width, int height) {
    path_ = path;
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        error_ = "Dimensioni dell'immagine non valide: " + std::to_string(width) + " x " +
                 std::to_string(height) + " pixel.";
        return false;
    }
    width_ = width;
    height_ = height;
    pad_ = outputPadding(width);
    file_.open(path, std::ios::binary | std::ios::trunc | std::ios::out);
    if (!file_) {
        error_ = "Impossibile creare il file " + path + ".";
        return false;
    }
    const HeaderBlock header = patchedHeader(sourceHeader, width, height);
    file_.write(reinterpret_cast<const char*>(header.data()), kHeaderBytes);
    file_.write(reinterpret_cast<const char*>(palette.data()), kPaletteBytes);
    return bool(file_);
}

bool BitmapWriter::writeRow(int row, const std::uint8_t* pixels) {
    return writeFileRow(height_ - 1 - row, pixels);
}

bool BitmapWriter::writeFileRow(int k, const std::uint8_t* pixels) {
    if (!file_.is_open() || k < 0 || k >= height_) {
        return false;
    }
    static constexpr char zeros[4] = {0, 0, 0, 0};
    const std::int64_t fileRow = k;
    file_.seekp(std::streamoff(kPixelOffset + fileRow * (width_ + pad_)));
    file_.write(reinterpret_cast<const char*>(pixels), width_);
    file_.write(zeros, pad_);
    return bool(file_);
}

bool BitmapWriter::close() {
    if (!file_.is_open()) {
        return false;
    }
    bool good = bool(file_);
    file_.close();
    good = good && !file_.fail();
    if (!good && error_.empty()) {
        error_ = "Errore di scrittura sul file " + path_ + ".";
    }
    return good;
}

bool writeBitmapFile(const std::string& path, const HeaderBlock& sourceHeader,
                     const IndexedImage& image, std::string* error) {
    BitmapWriter writer;
    bool good = writer.open(path, sourceHeader, image.palette, image.width, image.height);
    // Bottom row first, so the file grows in order.
    for (int r = image.height - 1; good && r >= 0; --r) {
        good = writer.writeRow(r, image.row(r));
    }
    good = writer.close() && good;
    if (!good && error) {
        *error =
            writer.error().empty() ? "Errore di scrittura sul file " + path + "." : writer.error();
    }
    return good;
}

}  // namespace vesta
