#include "sidecar/KeepConstruction.h"

#include <exception>
#include <filesystem>

#include "files/FilePlacement.h"
#include "sidecar/StateRecord.h"

namespace vesta {

namespace {

constexpr const char* kSaveTitle = "SALVATAGGIO";

}  // namespace

void keepConstructionBeside(Context& ctx, const std::string& imagePath) {
    const std::string path = constructionPathFor(imagePath);
    const auto notKept = [&](const std::string& why) {
        ctx.dialogs.messageBox("L'immagine è stata salvata, ma la costruzione no:\n" + why,
                               kSaveTitle, MessageIcon::Warning);
    };
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !readConstructionFile(path).ok()) {
        notKept("esiste già il file " + path + ", che non è una costruzione di VESTA.");
        return;
    }
    const Result<ConstructionRecord> record = recordOf(ctx.s, ctx.focal35);
    if (!record.ok()) {
        notKept(record.error());
        return;
    }
    // A record is UTF-8 text; a photograph whose file name is not (an old archive's Latin-1
    // name) cannot be named in one, and the image saved stays the user's all the same.
    std::string text;
    try {
        text = constructionJson(record.value());
    } catch (const std::exception&) {
        notKept("il nome della fotografia non è un testo UTF-8 e non si può scrivere.");
        return;
    }
    std::string error;
    const bool written = replaceFile(
        path, [&](int fd, std::string& why) { return writeAll(fd, text.data(), text.size(), why); },
        error);
    if (!written) {
        notKept(path + " (" + error + ")");
    }
}

void offerKeptConstruction(Context& ctx) {
    const std::vector<std::string> kept = constructionsFor(ctx.s.nomeFile);
    if (kept.empty()) {
        return;
    }
    const Result<ConstructionRecord> record = readConstructionFile(kept.front());
    if (!record.ok() ||
        !ctx.dialogs.confirm("Per questa fotografia c'è una costruzione salvata:\n" + kept.front() +
                                 "\nRipristinarla?",
                             "COSTRUZIONE SALVATA")) {
        return;
    }
    restoreConstruction(ctx, record.value());
}

}  // namespace vesta
