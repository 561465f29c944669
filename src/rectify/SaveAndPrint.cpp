#include "rectify/SaveAndPrint.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "rectify/FilePlacement.h"

namespace vesta {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTitle = "SALVATAGGIO";

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

bool moveFile(const std::string& from, const std::string& to, std::string& error) {
    if (!canReplace(to, error) || !syncFile(from, error)) {
        return false;
    }
    // On one volume the rename is the whole move: the old file keeps its name until the new
    // one takes it.
    if (::rename(from.c_str(), to.c_str()) == 0) {
        syncFolderOf(to);
        return true;
    }
    if (errno != EXDEV) {
        error = std::error_code(errno, std::system_category()).message();
        return false;
    }
    if (!replaceFile(to, copyOf(from), error)) {
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

std::string nameForSaving(const std::string& chosen) {
    return endsWith(chosen, ".bmp") || endsWith(chosen, ".BMP") ? chosen : chosen + ".BMP";
}

void save_Click(Context& ctx) {
    const std::optional<std::string> chosen = ctx.dialogs.saveFile(ctx.paths.documentsDir, "*.bmp");
    if (!chosen) {
        return;
    }
    const std::string name = nameForSaving(*chosen);
    const fs::path scratch = ctx.paths.scratchFile();
    std::error_code ec;
    if (!fs::is_regular_file(scratch, ec)) {
        ctx.dialogs.messageBox(
            "Non c'è una nuova immagine raddrizzata da salvare: l'ultima è già stata salvata.\n"
            "Eseguire un nuovo raddrizzamento per salvarne un'altra.",
            kTitle, MessageIcon::Information);
        return;
    }
    if (fs::exists(name, ec) &&
        !ctx.dialogs.confirm("Il file\n" + name + "\nesiste già. Sostituirlo?", kTitle)) {
        return;
    }
    std::string error;
    if (!moveFile(scratch.string(), name, error)) {
        ctx.dialogs.messageBox("Impossibile salvare l'immagine raddrizzata in\n" + name + "\n(" +
                                   error +
                                   ").\nL'immagine è ancora disponibile: scegliere un "
                                   "altro nome o un'altra cartella.",
                               kTitle, MessageIcon::Critical);
    }
}

void print_Click(Context& ctx) {
    ctx.dialogs.printWindow();
}

}  // namespace vesta
