#include "ui/WindowCommands.h"

#include <filesystem>

#include "rectify/ScratchFile.h"
#include "rectify/UnsavedResult.h"
#include "ui/WindowSize.h"

namespace vesta {

void frame_m_Click(Context& ctx) {
    FormModel& f = ctx.form;
    if (ctx.s.pannelloNascosto == 0) {
        f.Frame1.visible = false;
        f.frame_m.checked = false;
        ctx.s.pannelloNascosto = 1;
    } else {
        f.Frame1.visible = true;
        f.frame_m.checked = true;
        ctx.s.pannelloNascosto = 0;
    }
    // The picture takes the panel's column, or gives it back.
    ctx.s.panelColumn = ctx.s.pannelloNascosto == 1 ? 0 : f.Frame1.width + f.VScroll1.width;
    fitToWindow(ctx, ctx.s.schermoLarg, ctx.s.schermoAlt);
}

void help1_Click(Context& ctx) {
    const std::string path = ctx.paths.helpFile();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        ctx.dialogs.messageBox("Non trovo la guida di VESTA:\n" + path, "GUIDA NON DISPONIBILE",
                               MessageIcon::Warning);
        return;
    }
    ctx.dialogs.showHelp(path);
}

void EXIT_Click(Context& ctx) {
    if (!resultMayGo(ctx, Leaving::Exit)) {
        return;
    }
    // Saved, or chosen not to be: closing the window asks nothing more.
    discardScratchFile(ctx);
    ctx.events.terminate();
}

}  // namespace vesta
