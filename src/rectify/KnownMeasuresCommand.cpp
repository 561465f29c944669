#include "rectify/KnownMeasuresCommand.h"

#include <array>
#include <optional>

#include "construction/ConstructionState.h"
#include "rectify/KnownMeasuresRectification.h"
#include "rectify/Rectification.h"
#include "state/Numbers.h"

namespace vesta {

namespace {

constexpr const char* kTitle = "MISURE NOTE";

}  // namespace

void misureNote_Click(Context& ctx) {
    WorkingState& s = ctx.s;
    if (s.nRette != 4 || s.nRaddr != 0 || s.resultFile == ResultFile::Writing) {
        return;
    }
    const std::optional<std::string> width = ctx.dialogs.inputBox(
        "Larghezza vera del rettangolo delimitato dalle quattro rette, in cm:", kTitle);
    if (!width) {
        return;
    }
    const std::optional<std::string> height = ctx.dialogs.inputBox(
        "Altezza vera del rettangolo delimitato dalle quattro rette, in cm:", kTitle);
    if (!height) {
        return;
    }
    const std::optional<double> w = typedLength(*width);
    const std::optional<double> h = typedLength(*height);
    for (const std::string* typed : {&*width, &*height}) {
        if (ambiguousPoint(*typed)) {
            ctx.dialogs.messageBox(ambiguousPointMessage(*typed), kTitle, MessageIcon::Warning);
            return;
        }
    }
    if (!w || !h) {
        ctx.dialogs.messageBox(
            "Misure non valide: inserire larghezza e altezza maggiori di zero, "
            "in centimetri (per esempio 120 o 12,5).",
            kTitle, MessageIcon::Warning);
        return;
    }
    const std::optional<std::array<double, 2>> before = s.misureNote;
    s.misureNote = std::array<double, 2>{*w, *h};
    const Result<KnownMeasuresFrame> frame = knownMeasuresFrameOf(s);
    if (!frame.ok()) {
        s.misureNote = before;
        ctx.dialogs.messageBox(frame.error(), kTitle, MessageIcon::Critical);
        return;
    }
    RADDR1(ctx);
    // A rectification that could not start leaves the measures as they were.
    if (s.raddrAvviato != 1) {
        s.misureNote = before;
        offerStageCommands(ctx);
    }
}

}  // namespace vesta
