// The construction's record on disk: read within a bound, the photograph's checksum, and the
// records found beside a photograph.
#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string_view>

#include "sidecar/ConstructionFile.h"
#include "state/LineLimits.h"

namespace vesta {

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

// The largest record the writer makes, as it writes it (two spaces a level): a number takes at
// most 24 characters ("-1.2345678901234567e-300"), a line holding one at most 36 with its
// indent and ",\n"; a point along a line (two such lines and its brackets) at most 100; a further
// line without its points at most 400; and names, options and results, all a record held before
// points and further lines, stay well within 64 KiB: 5.3 MB in all (the largest record made,
// every number and name at its longest, is 4.8 MB).
constexpr std::size_t kPointBytes = 100;
constexpr std::size_t kExtraLineBytes = 400 + kMostPointsAlong * kPointBytes;
constexpr std::size_t kRestBytes = std::size_t(64) << 10;
constexpr std::size_t kLargestWritten =
    kMostExtraLines * kExtraLineBytes + 4 * kMostPointsAlong * kPointBytes + kRestBytes;
static_assert(kLargestWritten + kLargestWritten / 2 <= kLargestRecord,
              "a record the writer makes is read back, with room to spare");
// Every record the writer makes begins so: its keys in order, "area" the first.
constexpr std::string_view kRecordStart = "{\n  \"area\": [";
// A record of four lines and a few further ones is smaller than this: a larger file in a
// photograph's folder is read only when it begins as a record does.
constexpr std::size_t kFewLinesRecord = std::size_t(64) << 10;

// At most `limit` bytes of the regular file `path` into `text`; false when it is not a regular
// file, cannot be read or is larger. Opened without waiting, so a pipe put there never blocks.
bool readSmallFile(const std::string& path, std::size_t limit, std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    bool good = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && std::uintmax_t(st.st_size) <= limit;
    text.assign(good ? std::size_t(st.st_size) : 0, '\0');
    std::size_t got = 0;
    while (good && got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        good = n > 0;
        got += good ? std::size_t(n) : 0;
    }
    ::close(fd);
    return good;
}

// True when the regular file `path` begins as every written record does. Opened without
// waiting, as above.
bool beginsAsRecord(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char head[kRecordStart.size()];
    std::size_t got = 0;
    while (got < sizeof head) {
        const ssize_t n = ::read(fd, head + got, sizeof head - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += std::size_t(n);
    }
    ::close(fd);
    return std::string_view(head, got) == kRecordStart;
}

}  // namespace

Result<ConstructionRecord> readConstructionFile(const std::string& path) {
    std::string text;
    if (!readSmallFile(path, kLargestRecord, text)) {
        return Result<ConstructionRecord>::failure("Impossibile leggere la costruzione:\n" + path);
    }
    return parseConstructionJson(text);
}

Result<std::string> fileSha256(const std::string& path) {
    const auto failure = [&] {
        return Result<std::string>::failure("Impossibile leggere il file:\n" + path);
    };
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return failure();
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> md(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!file || !md || EVP_DigestInit_ex(md.get(), EVP_sha256(), nullptr) != 1) {
        return failure();
    }
    std::vector<unsigned char> buffer(1 << 16);
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) {
        EVP_DigestUpdate(md.get(), buffer.data(), got);
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (std::ferror(file.get()) || EVP_DigestFinal_ex(md.get(), digest, &length) != 1) {
        return failure();
    }
    static const char* const hex = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 15];
    }
    return Result<std::string>::success(out);
}

std::string constructionPathFor(const std::string& imagePath) {
    return fs::path(imagePath).replace_extension(".json").string();
}

std::vector<std::string> constructionsFor(const std::string& photographPath) {
    const fs::path photograph(photographPath);
    std::error_code ec;
    fs::directory_iterator it(photograph.parent_path().empty() ? "." : photograph.parent_path(),
                              ec);
    if (ec) {
        return {};
    }
    const std::string name = photograph.filename().string();
    // The name as every record of this photograph writes it: a file without it is passed over
    // unparsed, so a folder of foreign or large files costs little more than their listing.
    const std::string nameInRecord =
        json(name).dump(-1, ' ', false, json::error_handler_t::replace);
    std::optional<std::string> checksum;
    std::vector<std::pair<fs::file_time_type, std::string>> found;
    std::string text;
    for (const fs::directory_entry& entry : it) {
        if (entry.path().extension() != ".json" || !entry.is_regular_file(ec)) {
            continue;
        }
        const std::uintmax_t size = entry.file_size(ec);
        if (ec || size > kLargestRecord ||
            (size > kFewLinesRecord && !beginsAsRecord(entry.path().string()))) {
            continue;
        }
        if (!readSmallFile(entry.path().string(), kLargestRecord, text) ||
            text.find(nameInRecord) == std::string::npos) {
            continue;
        }
        const Result<ConstructionRecord> record = parseConstructionJson(text);
        if (!record.ok() || record.value().photograph != name) {
            continue;
        }
        if (!checksum) {
            const Result<std::string> sum = fileSha256(photographPath);
            if (!sum.ok()) {
                return {};
            }
            checksum = sum.value();
        }
        if (record.value().sha256 == *checksum) {
            found.emplace_back(entry.last_write_time(ec), entry.path().string());
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a > b; });
    std::vector<std::string> out;
    for (auto& f : found) {
        out.push_back(std::move(f.second));
    }
    return out;
}

}  // namespace vesta
