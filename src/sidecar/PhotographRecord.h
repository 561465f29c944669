// The latest construction of a photograph, kept where opening that photograph looks: beside it,
// as photo editors keep their edit files, or, when its folder cannot take it, in the user's data
// folder under the photograph's checksum. The record beside a saved result stays as well.
#pragma once

#include <optional>
#include <string>

#include "sidecar/ConstructionFile.h"

namespace vesta {

// The record beside the photograph: its whole file name and ".json" ("foto.jpg.json"), so two
// photographs of one stem ("foto.jpg", "foto.png") never take each other's.
std::string photographRecordPath(const std::string& photographPath);

// The record in the user's data folder, named by the photograph's checksum.
std::string dataRecordPath(const std::string& recordsDir, const std::string& sha256);

// Keeps `text`, the JSON of `record`, as the latest construction of the photograph at
// `photographPath`: beside it when that folder takes it and nothing stands at that name but an
// earlier record of this very photograph; else in `recordsDir`. The installation's samples
// (`samplesDir`) are the program's, not the user's: never written beside. The path written, or
// an Italian reason.
Result<std::string> keepLatestRecord(const std::string& photographPath,
                                     const std::string& samplesDir, const std::string& recordsDir,
                                     const ConstructionRecord& record, const std::string& text);

// The newest record made on this very photograph (same checksum): in its folder, beside it or
// beside a result saved there, or in `recordsDir`. Nothing when there is none.
std::optional<std::string> latestRecordFor(const std::string& photographPath,
                                           const std::string& recordsDir);

}  // namespace vesta
