#include "sidecar/KeepConstruction.h"

#include <exception>
#include <filesystem>

#include "files/FilePlacement.h"
#include "sidecar/PhotographRecord.h"
#include "sidecar/StateRecord.h"

namespace vesta {

namespace {

constexpr const char* kSaveTitle = "SALVATAGGIO";

bool inOneFolder(const std::string& a, const std::string& b) {
    const auto folder = [](const std::string& path) {
        const std::filesystem::path parent = std::filesystem::path(path).parent_path();
        return parent.empty() ? std::filesystem::path(".") : parent;
    };
    std::error_code ec;
    return std::filesystem::equivalent(folder(a), folder(b), ec);
}

}  // namespace

void keepConstructionBeside(Context& ctx, const std::string& imagePath) {
    const std::string path = constructionPathFor(imagePath);
    const auto notKept = [&](const std::string& why) {
        ctx.dialogs.messageBox("L'immagine è stata salvata, ma la costruzione no:\n" + why,
                               kSaveTitle, MessageIcon::Warning);
    };
    // The construction of the result saved, though a size, a line or the focal length has
    // changed since, with what the result itself has taken since: its turn and its scale.
    const WorkingState& made = ctx.s.resultMadeFrom ? *ctx.s.resultMadeFrom : ctx.s;
    Result<ConstructionRecord> record =
        recordOf(made, ctx.s.resultMadeFrom ? ctx.s.resultFocal35 : ctx.focal35);
    if (!record.ok()) {
        notKept(record.error());
        return;
    }
    record.value().resultTurn = ctx.s.resultTurn;
    record.value().referenceLength = ctx.s.misuraCm;
    record.value().scale = ctx.s.scala;
    // A record is UTF-8 text; a photograph whose file name is not (an old archive's Latin-1
    // name) cannot be named in one, and the image saved stays the user's all the same.
    std::string text;
    try {
        text = constructionJson(record.value());
    } catch (const std::exception&) {
        notKept("il nome della fotografia non è un testo UTF-8 e non si può scrivere.");
        return;
    }
    // Never one that could not be read back (a length typed beyond reason): it would stand
    // there as the work kept, and be refused when asked for.
    if (text.size() > kLargestRecord) {
        notKept("la costruzione è troppo grande per essere riletta.");
        return;
    }
    std::error_code ec;
    std::string error;
    bool besideResult = false;
    if (std::filesystem::exists(path, ec) && !readConstructionFile(path).ok()) {
        notKept("esiste già il file " + path + ", che non è una costruzione di VESTA.");
    } else if (!replaceFile(
                   path,
                   [&](int fd, std::string& why) {
                       return writeAll(fd, text.data(), text.size(), why);
                   },
                   error)) {
        notKept(path + " (" + error + ")");
    } else {
        besideResult = true;
    }
    // Opening the photograph looks in its own folder: a result saved there is found already.
    if (besideResult && inOneFolder(path, ctx.s.nomeFile)) {
        return;
    }
    const Result<std::string> latest = keepLatestRecord(
        ctx.s.nomeFile, ctx.paths.samplesDir(), ctx.paths.recordsDir(), record.value(), text);
    if (!latest.ok() && besideResult) {
        ctx.dialogs.messageBox(
            "La costruzione è stata salvata accanto all'immagine, ma non dove la fotografia la "
            "ritrova quando si riapre:\n" +
                latest.error(),
            kSaveTitle, MessageIcon::Warning);
    }
}

void offerKeptConstruction(Context& ctx) {
    const std::optional<std::string> kept = latestRecordFor(ctx.s.nomeFile, ctx.paths.recordsDir());
    if (!kept) {
        return;
    }
    const Result<ConstructionRecord> record = readConstructionFile(*kept);
    if (!record.ok() ||
        !ctx.dialogs.confirm(
            "Per questa fotografia c'è una costruzione salvata:\n" + *kept + "\nRipristinarla?",
            "COSTRUZIONE SALVATA")) {
        return;
    }
    restoreConstruction(ctx, record.value());
}

}  // namespace vesta
