#include "rectify/TurnResult.h"

#include <filesystem>
#include <vector>

#include "codec/ColourFileWriter.h"
#include "files/FilePlacement.h"
#include "image/BitmapFile.h"
#include "image/QuarterTurns.h"
#include "image/Scrolling.h"
#include "rectify/ScratchFile.h"
#include "state/Numbers.h"

namespace vesta {

namespace {

// A palette image as a bitmap file into `fd`: header, palette, rows bottom first and padded,
// the layout every rectified image has.
bool writeBitmapTo(int fd, const HeaderBlock& header, const IndexedImage& image,
                   std::string& error) {
    const HeaderBlock patched = patchedHeader(header, image.width, image.height);
    if (!writeAll(fd, patched.data(), patched.size(), error) ||
        !writeAll(fd, image.palette.data(), image.palette.size(), error)) {
        return false;
    }
    std::vector<std::uint8_t> row(std::size_t(image.width + outputPadding(image.width)), 0);
    for (int r = image.height - 1; r >= 0; --r) {
        std::copy_n(image.row(r), image.width, row.begin());
        if (!writeAll(fd, row.data(), row.size(), error)) {
            return false;
        }
    }
    return true;
}

// Writes the turned result into the scratch file. The scratch file holds what Save keeps. One
// already saved was moved away: its name is taken again exclusively, so nothing this window did
// not make is ever replaced. On failure, tells the user and leaves the result as it was.
bool writeScratch(Context& ctx, const FileFiller& fill) {
    WorkingState& s = ctx.s;
    std::string error;
    const std::string scratch = ctx.paths.scratchFile();
    std::error_code ignored;
    std::filesystem::create_directories(ctx.paths.scratchDir, ignored);
    const bool ours = s.resultFile == ResultFile::Unsaved || createExclusively(scratch);
    if (!ours || !replaceFile(scratch, fill, error)) {
        ctx.dialogs.messageBox("Impossibile scrivere il file dell'immagine raddrizzata girata" +
                                   (error.empty() ? std::string() : " (" + error + ")") + ":\n" +
                                   scratch,
                               "IMPOSSIBILE GIRARE", MessageIcon::Critical);
        if (ours && s.resultFile != ResultFile::Unsaved) {
            std::filesystem::remove(scratch, ignored);
        }
        return false;
    }
    s.resultFile = ResultFile::Unsaved;
    return true;
}

// The reference pair of the scale turns with the image; a first point waiting for its second
// was taken on the image before the turn.
void turnScalePair(WorkingState& s, int q) {
    const int width = s.largRaddr;
    const int height = int(s.altRaddr);
    const TurnedPixel a = turnedPixel(s.scalaCoppia[0], s.scalaCoppia[1], width, height, q);
    const TurnedPixel b = turnedPixel(s.scalaCoppia[2], s.scalaCoppia[3], width, height, q);
    s.scalaCoppia = {a.x, a.y, b.x, b.y};
    s.attesaSecondo = 0;
    s.primoMovimento = 1;
}

// The result's view laid out anew for its turned size, scrolled to its top-left corner.
void layOutResultView(FormModel& f, const WorkingState& s) {
    f.Picture2.left = 0;
    f.Picture2.top = 0;
    f.Picture2.width = s.largRaddr;
    f.Picture2.height = s.altRaddr;
    f.HScroll2.value = 0;
    f.VScroll2.value = 0;
    f.VScroll2.visible = false;
    f.HScroll2.visible = false;
    showScrollBars(f, f.VScroll2, f.HScroll2, f.Picture2, s.largRaddr, s.altRaddr,
                   visibleRegion(s));
    f.tfuox.caption = strForm(s.largRaddr) + "x";
    f.tfuoy.caption = strForm(floorInt(s.altRaddr)) + "y";
}

}  // namespace

void turnResult(Context& ctx, int quarters) {
    WorkingState& s = ctx.s;
    const int q = quarterTurns(quarters);
    const bool colour = s.risultatoColori.width > 0;
    if (q == 0 || s.resultFile == ResultFile::Writing ||
        (!colour && s.immagineRaddrizzata.width < 1)) {
        return;
    }
    ColourImage turnedColour;
    IndexedImage turnedIndexed;
    HeaderBlock header = s.resultHeader;
    FileFiller fill;
    const Result<ColourFileFormat> format = colourFormatForPath(s.formatoRisultato);
    if (colour) {
        turnedColour = turnedClockwise(s.risultatoColori, q);
        fill = [&](int fd, std::string& why) {
            why = format.ok() ? writeColourImage(fd, turnedColour, format.value()) : format.error();
            return why.empty();
        };
    } else {
        turnedIndexed = turnedClockwise(s.immagineRaddrizzata, q);
        header = turnedHeader(s.resultHeader, turnedIndexed.width, turnedIndexed.height, q);
        fill = [&](int fd, std::string& why) {
            return writeBitmapTo(fd, header, turnedIndexed, why);
        };
    }
    if (!writeScratch(ctx, fill)) {
        return;
    }
    const int width = s.largRaddr;
    const int height = int(s.altRaddr);
    turnScalePair(s, q);
    if (colour) {
        s.risultatoColori = std::move(turnedColour);
        ctx.picture2.setPicture(s.risultatoColori);
    } else {
        s.immagineRaddrizzata = std::move(turnedIndexed);
        s.resultHeader = header;
        ctx.picture2.setPicture(s.immagineRaddrizzata);
    }
    if (q % 2 == 1) {
        s.largRaddr = height;
        s.altRaddr = width;
    }
    s.resultTurn = quarterTurns(s.resultTurn + q);
    layOutResultView(ctx.form, s);
}

}  // namespace vesta
