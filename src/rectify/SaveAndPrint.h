// Keeping the rectified image: the scratch file moved to a name of the user's choice, and the
// main window on the printer.
#pragma once

#include <string>

#include "state/Context.h"

namespace vesta {

// The name a chosen file is saved under: ".BMP" appended unless it ends in ".bmp" or ".BMP"
// (compared case-sensitively, so "x.Bmp" becomes "x.Bmp.BMP").
std::string nameForSaving(const std::string& chosen);

// The names the Save dialog offers for a colour result, and the name it is saved under: as
// chosen when its extension names a format (.png .tif .tiff .jpg .jpeg .bmp), else with ".png".
inline constexpr const char* kResultPattern = "*.png *.tif *.tiff *.jpg *.jpeg *.bmp";
std::string colourNameForSaving(const std::string& chosen);

// Moves a file: a rename, or, when the target lies on another volume, a copy put in place
// beside the target and then the removal of `from`. Whatever was at `to` stays whole on every
// failure, and a folder, device or pipe there is never replaced. The file takes the mode of the
// one it replaces, or that of a new document (the private scratch file's is not kept). False
// with the reason.
bool moveFile(const std::string& from, const std::string& to, std::string& error);

// save_Click: the Save dialog, then the scratch file of this window's last completed result
// moved to the chosen name (a colour result in another format than the scratch file's is
// encoded again from the image on show). Once saved the result is offered again: the scratch file
// is gone, so a palette result is written again from the image in memory and a colour one encoded
// again. An existing file is replaced only when the user says so; when there is no result or the
// save fails the user is told and the scratch file and the image on show are kept.
void save_Click(Context& ctx);

// print_Click: the Print dialog once; the window is printed only when the user confirms.
void print_Click(Context& ctx);

}  // namespace vesta
