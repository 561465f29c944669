// The zoom viewer: the current picture stretched, enlarged or reduced in steps that
// accelerate in one direction, scrolled, and for a rectified image a square grid beneath it.
#pragma once

#include "state/Context.h"

namespace vesta {

// zoo: shows the viewer (loading it when needed) with the rectified image when one exists,
// otherwise the photograph, at 10 twips per pixel.
void zoo_Click(Context& ctx);
void zoom_Form_Load(Context& ctx);
// The window's client area has become width x height twips.
void zoom_Form_Resize(Context& ctx, double width, double height);
void zoom_HScroll1_Change(Context& ctx, int value);
void zoom_VScroll1_Change(Context& ctx, int value);
void Spin1_SpinDown(Context& ctx);
void Spin1_SpinUp(Context& ctx);
void Image1_DblClick(Context& ctx);
// A mouse button released on the window outside the picture fits the window to it.
void zoom_Form_MouseUp(Context& ctx);
// The user closed the viewer; the zoom fields of the working state stay.
void zoom_Form_Unload(Context& ctx);

}  // namespace vesta
