#include "construction/TurnPhotograph.h"

#include <memory>

#include "construction/StartOver.h"
#include "image/BitmapFile.h"
#include "image/QuarterTurns.h"
#include "state/Numbers.h"
#include "state/Prompts.h"

namespace vesta {

void turnPhotograph(Context& ctx, int quarters) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    const int q = quarterTurns(quarters);
    if (q == 0 || s.larghezzaSorg() < 1 || s.resultFile == ResultFile::Writing) {
        return;
    }
    if (s.fotoColori) {
        // A new photograph in memory: bands still sampling the old one keep it alive.
        s.fotoColori = std::make_shared<const ColourImage>(turnedClockwise(*s.fotoColori, q));
        ctx.picture1.setPicture(*s.fotoColori);
    } else {
        SourceBitmap& b = s.sorgente;
        b.image = turnedClockwise(b.image, q);
        b.intestazione = turnedHeader(b.intestazione, b.image.width, b.image.height, q);
        b.padSorg = outputPadding(b.image.width);
        b.lunghezzaFile =
            std::int64_t(kPixelOffset) + std::int64_t(b.image.width + b.padSorg) * b.image.height;
        ctx.picture1.setPicture(b.image);
    }
    s.photographTurn = quarterTurns(s.photographTurn + q);

    // Laid out as a new photograph is: at the corner, its bars at the start.
    f.Picture1.left = 0;
    f.Picture1.top = 0;
    f.HScroll1.value = 0;
    f.VScroll1.value = 0;
    f.Picture1.width = s.larghezzaSorg();
    f.Picture1.height = s.altezzaSorg();
    f.tfuox.caption = strForm(s.larghezzaSorg()) + " x";
    f.tfuoy.caption = strForm(s.altezzaSorg()) + " y";
    f.tfuvx.caption = "fuvx";
    f.domanda1.caption = prompts::kDueRetteOrizz;
    startConstructionOver(ctx);
}

}  // namespace vesta
