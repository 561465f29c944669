#include "rectify/SaveAndPrint.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "codec/ColourFileWriter.h"
#include "files/FilePlacement.h"
#include "image/BitmapFile.h"

#include "rectify/ScratchFile.h"
#include "rectify/WorldFile.h"
#include "sidecar/KeepConstruction.h"

namespace vesta {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTitle = "SALVATAGGIO";

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool sameFormat(const std::string& a, const std::string& b) {
    const Result<ColourFileFormat> fa = colourFormatForPath(a);
    const Result<ColourFileFormat> fb = colourFormatForPath(b);
    return fa.ok() && fb.ok() && fa.value() == fb.value();
}

}  // namespace

std::string colourNameForSaving(const std::string& chosen) {
    return colourFormatForPath(chosen).ok() ? chosen : chosen + ".png";
}

bool moveFile(const std::string& from, const std::string& to, std::string& error) {
    if (!canReplace(to, error)) {
        return false;
    }
    PendingFile pending(to);
    return pending.placeFrom(from, error);
}

std::string nameForSaving(const std::string& chosen) {
    return endsWith(chosen, ".bmp") || endsWith(chosen, ".BMP") ? chosen : chosen + ".BMP";
}

namespace {

// The palette result's scratch file is not there (moved by an earlier save, or removed by
// hand): it is made again from the image in memory, with the header it was written with. False
// with the reason told to the user when that cannot be.
bool rewriteScratchFile(Context& ctx, const std::string& scratch) {
    const WorkingState& s = ctx.s;
    if (s.immagineRaddrizzata.width < 1) {
        ctx.dialogs.messageBox("Il file temporaneo dell'immagine raddrizzata\n" + scratch +
                                   "\nnon esiste più e l'immagine non è in memoria: eseguire di "
                                   "nuovo il raddrizzamento per salvarla.",
                               kTitle, MessageIcon::Warning);
        return false;
    }
    std::error_code ignored;
    fs::create_directories(ctx.paths.scratchDir, ignored);
    std::string error;
    const bool created = createExclusively(scratch);
    if (!created || !writeBitmapFile(scratch, s.resultHeader, s.immagineRaddrizzata, &error)) {
        // Only a file made here goes: one already at the name is not this window's.
        if (created) {
            fs::remove(scratch, ignored);
        }
        ctx.dialogs.messageBox("Il file temporaneo dell'immagine raddrizzata\n" + scratch +
                                   "\nnon esiste più e non si può ricreare" +
                                   (error.empty() ? std::string() : " (" + error + ")") +
                                   ": l'immagine resta visibile, ma non è stata salvata.",
                               kTitle, MessageIcon::Critical);
        return false;
    }
    return true;
}

// Where the Save dialog opens: the folder of the last save, else the photograph's when it may
// be written, else the documents folder.
std::string folderForSaving(const Context& ctx) {
    const WorkingState& s = ctx.s;
    if (!s.cartellaSalvataggio.empty()) {
        return s.cartellaSalvataggio;
    }
    const std::string photographs = fs::path(s.nomeFile).parent_path().string();
    if (!photographs.empty() && ::access(photographs.c_str(), W_OK) == 0) {
        return photographs;
    }
    return ctx.paths.documentsDir;
}

}  // namespace

void save_Click(Context& ctx) {
    WorkingState& s = ctx.s;
    // Only this window's last completed result is offered, never a file it did not finish. Once
    // saved it is offered again, under another name or in another format.
    if (s.resultFile != ResultFile::Unsaved && s.resultFile != ResultFile::Saved) {
        ctx.dialogs.messageBox(
            "Non c'è un'immagine raddrizzata da salvare: eseguire prima un raddrizzamento.", kTitle,
            MessageIcon::Information);
        return;
    }
    const bool colour = s.risultatoColori.width > 0;
    const std::optional<std::string> chosen =
        ctx.dialogs.saveFile(folderForSaving(ctx), colour ? kResultPattern : "*.bmp");
    if (!chosen) {
        return;
    }
    const std::string name = colour ? colourNameForSaving(*chosen) : nameForSaving(*chosen);
    const std::string scratch = ctx.paths.scratchFile();
    std::error_code ec;
    if (fs::exists(name, ec) &&
        !ctx.dialogs.confirm("Il file\n" + name + "\nesiste già. Sostituirlo?", kTitle)) {
        return;
    }
    // After a save the scratch name is no longer the result's: whatever is there is not read,
    // moved or removed.
    const bool inScratch = s.resultFile == ResultFile::Unsaved && fs::is_regular_file(scratch, ec);
    std::string error;
    bool saved = false;
    if (colour && !(inScratch && sameFormat(name, s.formatoRisultato))) {
        // Another format than the scratch file's, or no scratch file: encoded again from the
        // result on show.
        error = saveColourImage(name, s.risultatoColori);
        saved = error.empty();
        if (saved && inScratch) {
            fs::remove(scratch, ec);
            // Advice, not a question: the panel says what the chosen format could not keep.
            const auto format = colourFormatForPath(name);
            const std::string notice =
                format.ok() ? profileNotice(format.value(), s.risultatoColori.iccProfile.size())
                            : std::string();
            if (!notice.empty()) {
                ctx.form.domanda1.caption = notice;
            }
        }
    } else if (!inScratch && !rewriteScratchFile(ctx, scratch)) {
        return;
    } else {
        saved = moveFile(scratch, name, error);
        // A file made again for this save goes when it could not be moved, unless it holds
        // the result not yet saved.
        if (!saved && !inScratch && s.resultFile == ResultFile::Saved) {
            fs::remove(scratch, ec);
        }
    }
    if (!saved) {
        ctx.dialogs.messageBox("Impossibile salvare l'immagine raddrizzata in\n" + name + "\n(" +
                                   error +
                                   ").\nL'immagine è ancora disponibile: scegliere un "
                                   "altro nome o un'altra cartella.",
                               kTitle, MessageIcon::Critical);
        return;
    }
    s.resultFile = ResultFile::Saved;
    s.cartellaSalvataggio = fs::path(name).parent_path().string();
    keepConstructionBeside(ctx, name);
    // A result whose scale is known (measured, or by known measures) drops into a drawing at
    // its true size.
    if (s.scala > 0 && !writeWorldFile(name, s.scala, error)) {
        ctx.dialogs.messageBox(
            "L'immagine è stata salvata, ma il file di georeferenziazione no:\n" + error, kTitle,
            MessageIcon::Warning);
    }
}

void print_Click(Context& ctx) {
    ctx.dialogs.printWindow();
}

}  // namespace vesta
