#include "construction/FocalLengthCommand.h"

#include "construction/Overlay.h"
#include "construction/PictureInput.h"
#include "geometry/FocalLength.h"
#include "state/Numbers.h"

namespace vesta {

namespace {

constexpr const char* kTitle = "FOCALE";

std::string millimetres(double mm, char decimalSeparator) {
    return plainForm(mm, decimalSeparator) + " mm";
}

// What the window does after a new principal point: the photograph bare again with the four
// lines, then the vanishing points and the construction from them.
void buildAgain(Context& ctx) {
    WorkingState& s = ctx.s;
    if (s.nRette != 4 || !s.fughe || !ctx.form.Picture1.visible ||
        s.resultFile == ResultFile::Writing) {
        return;
    }
    drawLinesAgain(ctx);
}

}  // namespace

std::string focalRangeMessage(char decimalSeparator) {
    return "Focale fuori dai limiti: la focale equivalente 35 mm va da " +
           plainForm(kFocal35Min, decimalSeparator) + " a " +
           millimetres(kFocal35Max, decimalSeparator) + ".";
}

void useFocalLength(Context& ctx, std::optional<double> focal35, bool fromExif) {
    ctx.focal35 = focal35;
    ctx.focal35FromExif = focal35 && fromExif;
    buildAgain(ctx);
}

void focale_Click(Context& ctx) {
    std::string prompt =
        "Lunghezza focale equivalente 35 mm dell'obiettivo, in mm.\n"
        "La distanza principale si ricava da questa invece che dalle fughe.\n"
        "Vuoto o 0: la distanza principale torna a ricavarsi dalle fughe.";
    if (ctx.focal35) {
        prompt += "\nIn uso: " + millimetres(*ctx.focal35, ctx.decimalSeparator) + ".";
    }
    if (ctx.s.exifFocal35 && plausibleFocal35(*ctx.s.exifFocal35)) {
        prompt += "\nLa fotografia dichiara " +
                  millimetres(*ctx.s.exifFocal35, ctx.decimalSeparator) + ".";
    }
    // The field holds the focal length in use: Enter keeps it, to the bit, whether typed or
    // taken from the camera file.
    const std::string inUse = ctx.focal35 ? plainForm(*ctx.focal35, ctx.decimalSeparator) : "";
    const std::optional<std::string> typed = ctx.dialogs.inputBoxHolding(prompt, kTitle, inUse);
    if (!typed || (ctx.focal35 && *typed == inUse)) {
        return;
    }
    if (typed->find_first_not_of(' ') == std::string::npos) {
        useFocalLength(ctx, std::nullopt, false);
        return;
    }
    if (ambiguousPoint(*typed)) {
        ctx.dialogs.messageBox(ambiguousPointMessage(*typed), kTitle, MessageIcon::Warning);
        return;
    }
    const std::optional<double> mm = typedNumber(*typed);
    if (!mm || *mm < 0) {
        ctx.dialogs.messageBox(
            "Focale non valida: inserire la focale equivalente 35 mm in millimetri (per esempio "
            "28 o 28,5), oppure 0 per ricavare la distanza principale dalle fughe.",
            kTitle, MessageIcon::Warning);
        return;
    }
    if (*mm == 0) {
        useFocalLength(ctx, std::nullopt, false);
        return;
    }
    if (!plausibleFocal35(*mm)) {
        ctx.dialogs.messageBox(focalRangeMessage(ctx.decimalSeparator), kTitle,
                               MessageIcon::Warning);
        return;
    }
    const bool sameAsExif = ctx.s.exifFocal35 && *ctx.s.exifFocal35 == *mm;
    useFocalLength(ctx, *mm, sameAsExif);
}

bool offerExifFocalLength(Context& ctx, const std::string& why, const std::vector<double>& key) {
    WorkingState& s = ctx.s;
    if (s.constructionWordsHeld || !s.exifFocal35 || !plausibleFocal35(*s.exifFocal35) ||
        ctx.focal35 == s.exifFocal35 || key == s.warnedClicks) {
        return false;
    }
    s.warnedClicks = key;
    const std::string question = "La fotografia dichiara una focale equivalente di " +
                                 millimetres(*s.exifFocal35, ctx.decimalSeparator) +
                                 ". Usarla per la distanza principale?";
    if (!ctx.dialogs.confirm(why.empty() ? question : why + "\n\n" + question, kTitle)) {
        return false;
    }
    useFocalLength(ctx, s.exifFocal35, true);
    return true;
}

void focalLengthForNewPhotograph(Context& ctx) {
    if (!ctx.focal35FromExif || ctx.focal35 != ctx.s.exifFocal35) {
        ctx.focal35 = std::nullopt;
        ctx.focal35FromExif = false;
    }
}

}  // namespace vesta
