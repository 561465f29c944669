#include "sidecar/PhotographRecord.h"

#include <filesystem>

#include "files/FilePlacement.h"

namespace vesta {

namespace fs = std::filesystem;

namespace {

fs::path folderOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

// Whether `path` may take the record of this photograph: nothing there, or a record of ours made
// on the same bytes (and, beside the photograph, under the same name). Anything else is not ours
// to replace, a link included.
bool mayTake(const std::string& path, const ConstructionRecord& record, bool sameName) {
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(path, ec);
    if (st.type() == fs::file_type::not_found) {
        return true;
    }
    if (st.type() != fs::file_type::regular) {
        return false;
    }
    const Result<ConstructionRecord> there = readConstructionFile(path);
    return there.ok() && there.value().sha256 == record.sha256 &&
           (!sameName || there.value().photograph == record.photograph);
}

bool writeText(const std::string& path, const std::string& text, std::string& error) {
    return replaceFile(
        path, [&](int fd, std::string& why) { return writeAll(fd, text.data(), text.size(), why); },
        error);
}

// The record at `path` when it is one of this checksum's.
bool recordOfChecksum(const std::string& path, const std::string& sha256) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return false;
    }
    const Result<ConstructionRecord> record = readConstructionFile(path);
    return record.ok() && record.value().sha256 == sha256;
}

}  // namespace

std::string photographRecordPath(const std::string& photographPath) {
    return photographPath + ".json";
}

std::string dataRecordPath(const std::string& recordsDir, const std::string& sha256) {
    return recordsDir + "/" + sha256 + ".json";
}

Result<std::string> keepLatestRecord(const std::string& photographPath,
                                     const std::string& samplesDir, const std::string& recordsDir,
                                     const ConstructionRecord& record, const std::string& text) {
    std::error_code ec;
    const bool samples = fs::equivalent(folderOf(photographPath), samplesDir, ec);
    const std::string beside = photographRecordPath(photographPath);
    std::string error;
    // A folder that cannot take it (read-only, a CD, an archive's share) fails here and the
    // data folder takes it instead.
    if (!samples && mayTake(beside, record, true) && writeText(beside, text, error)) {
        return Result<std::string>::success(beside);
    }
    fs::create_directories(recordsDir, ec);
    const std::string kept = dataRecordPath(recordsDir, record.sha256);
    if (!mayTake(kept, record, false)) {
        return Result<std::string>::failure(kept + " non è una costruzione di VESTA");
    }
    if (!writeText(kept, text, error)) {
        return Result<std::string>::failure(kept + " (" + error + ")");
    }
    return Result<std::string>::success(kept);
}

std::optional<std::string> latestRecordFor(const std::string& photographPath,
                                           const std::string& recordsDir) {
    const std::vector<std::string> beside = constructionsFor(photographPath);
    std::optional<std::string> latest;
    if (!beside.empty()) {
        latest = beside.front();
    }
    // The photograph's bytes are read for its checksum only when the data folder holds records.
    std::error_code ec;
    if (!fs::is_directory(recordsDir, ec) || fs::is_empty(recordsDir, ec)) {
        return latest;
    }
    const Result<std::string> sum = fileSha256(photographPath);
    if (!sum.ok()) {
        return latest;
    }
    const std::string kept = dataRecordPath(recordsDir, sum.value());
    if (!recordOfChecksum(kept, sum.value())) {
        return latest;
    }
    std::error_code e1, e2;
    if (!latest || fs::last_write_time(kept, e1) > fs::last_write_time(*latest, e2)) {
        latest = kept;
    }
    return latest;
}

}  // namespace vesta
