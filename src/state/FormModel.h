// The form model: every control and menu item of the main window as plain data. Procedures set
// it; the desktop shell pushes it onto the real widgets after each event.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "state/Colours.h"

namespace vesta {

enum class ControlKind {
    Window,
    Frame,
    Button,
    TextBox,
    Label,
    Picture,
    VScrollBar,
    HScrollBar,
    Spin
};

struct Font {
    std::string family;  // the design's (Windows) name; the shell maps it to a font it has
    double points = 9.75;
    bool bold = false;
    friend bool operator==(const Font&, const Font&) = default;
};

struct Control {
    std::string name;
    ControlKind kind = ControlKind::Label;
    std::string container;  // empty: the window's client area
    std::string caption;    // caption of a button, label or frame; text of a text box
    std::string tooltip;
    bool enabled = true;
    bool visible = true;
    // Position and size in pixels of the container.
    double left = 0, top = 0, width = 0, height = 0;
    std::optional<Rgb> background;  // none: the system's colour for the kind
    std::optional<Rgb> foreground;
    std::optional<Font> font;
    MousePointer pointer = MousePointer::Default;
    int zOrder = 0;  // larger is nearer the front among controls of one container
    // Scroll bars only.
    int min = 0, max = 32767, smallChange = 1, largeChange = 1, value = 0;
};

struct MenuItem {
    std::string name;
    std::string parent;    // empty for a menu of the bar
    std::string caption;   // with & before the access key
    std::string shortcut;  // "F2", "Ctrl+C", ...; empty for none
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    bool checkable = false;  // shows a check mark when checked
};

struct FormModel {
    // Window
    std::string caption;
    MousePointer pointer = MousePointer::Default;
    Rgb background{};
    Rgb foreground{};
    Font font;

    // Controls, in their order in the window.
    Control VScroll2, HScroll2, Frame1, cancella, RADDRIZZA, GRIGLIA, RETTANG, CENTRO;
    Control tfuox, tfuoy, tfuvx, tfuvy;
    Control Text6[5];  // elements 1..4; 0 unused
    Control Text1, Text3, Text4, Text2, GRANDEZZA, domanda1, Label2, Label3, zoo;
    Control Picture2, Label1, VScroll1, HScroll1, Picture1, Label4;
    Control incertezza;        // how sure the result's proportions are, under the output size
    Control incertezzaMisura;  // the ± of the last measured length, at the panel's foot
    Control MISURENOTE;        // rectifies by the true measures of the lines' rectangle
    Control avviso;            // the status line: a notice that asks for nothing, on the panel
    Control bordi;   // at the panel's foot: how far the last line moved onto its edge, or why not
    Control scarti;  // how far the lines stray from their vanishing points

    // Menus, in their order on the bar.
    MenuItem file, open, save, exit;
    MenuItem edit, canc, centro1, area, griglia2, frame_m;
    MenuItem view, fitView, scale1to4, scale1to2, scale1to1, scale2to1, scale4to1, scale8to1,
        zoomIn, zoomOut, magnifier;
    MenuItem raddrizza1, start, altra, bilineare;
    MenuItem misureNote;
    MenuItem print1, print;
    MenuItem help, help1;
    MenuItem stampaScala;    // File: the result printed at an architectural scale
    MenuItem focale;         // Edit: the focal length of the photograph
    MenuItem agganciaBordi;  // Edit: clicked lines drawn onto the photograph's edges
    // Edit: turning the picture on show, a quarter clockwise, a quarter anticlockwise, a half.
    MenuItem ruotaDestra, ruotaSinistra, capovolgi;
    // Edit: further lines after the four, and taking a stray one away.
    MenuItem altraRettaOrizz, altraRettaVert, togliRetta, altriPunti;
    // Edit: the lens's distortion from the lens database, shown when it holds the lens.
    MenuItem distorsioneObiettivo;
    // Edit: the lens's radial coefficient typed, or fitted to the lines' edges.
    MenuItem distorsioneK1, correggiDistorsione;
    MenuItem retteAutomatiche, accettaRette;

    // The photograph's view: screen pixels per photograph pixel, and whether the scale follows
    // the window so that the whole photograph fits. Picture1 and its bars are sized in screen
    // pixels; every procedure keeps photograph pixels.
    double viewScale = 1.0;
    bool viewFits = false;

    std::vector<Control*> controls();
    std::vector<const Control*> controls() const;
    std::vector<MenuItem*> menus();
    std::vector<const MenuItem*> menus() const;

    // ZOrder 0 and 1: in front of, or behind, the other controls of its container.
    void bringToFront(Control& control);
    void sendToBack(Control& control);

  private:
    int front_ = 0;
    int back_ = 0;
};

// The window as designed, positions converted from twips to pixels with the screen's twips per
// pixel on each axis.
FormModel designForm(double twipsPerPixelX, double twipsPerPixelY);

}  // namespace vesta
