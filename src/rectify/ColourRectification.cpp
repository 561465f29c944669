#include "rectify/ColourRectification.h"

namespace vesta {

void bilineare_Click(Context& ctx) {
    ctx.s.bilineare = !ctx.s.bilineare;
    ctx.form.bilineare.checked = ctx.s.bilineare;
}

}  // namespace vesta
