#include "rectify/UnsavedResult.h"

#include "rectify/SaveAndPrint.h"

namespace vesta {

bool resultMayGo(Context& ctx, Leaving leaving) {
    if (ctx.s.resultFile != ResultFile::Unsaved) {
        return true;
    }
    const std::string text =
        std::string("L'immagine raddrizzata non è stata salvata.\n") +
        (leaving == Leaving::Exit ? "Salvarla prima di uscire?"
                                  : "Salvarla prima di aprire un'altra immagine?");
    switch (ctx.dialogs.askToSave(text, "VESTA")) {
        case SaveChoice::Save:
            save_Click(ctx);
            return ctx.s.resultFile == ResultFile::Saved;
        case SaveChoice::DontSave:
            return true;
        case SaveChoice::Cancel:
            break;
    }
    return false;
}

}  // namespace vesta
