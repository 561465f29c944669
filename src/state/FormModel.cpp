#include "state/FormModel.h"

#include "state/Prompts.h"

namespace vesta {

namespace {

const Font kPanelButtonFont{"Arial", 9.75, false};
const Font kTextBoxFont{"Arial", 9.0, false};
const Font kSmallFont{"Small Fonts", 6.0, false};
const Font kLabelFont{"MS Serif", 6.0, false};
constexpr const char* kParametri = "Parametri di calcolo";

struct Twips {
    double tppX, tppY;
    void place(Control& c, double left, double top, double width, double height) const {
        c.left = left / tppX;
        c.top = top / tppY;
        c.width = width / tppX;
        c.height = height / tppY;
    }
};

Control make(const char* name, ControlKind kind, const char* container, const char* caption,
             const char* tooltip) {
    Control c;
    c.name = name;
    c.kind = kind;
    c.container = container;
    c.caption = caption;
    c.tooltip = tooltip;
    return c;
}

MenuItem menu(const char* name, const char* parent, const char* caption, const char* shortcut) {
    MenuItem m;
    m.name = name;
    m.parent = parent;
    m.caption = caption;
    m.shortcut = shortcut;
    return m;
}

void textBox(Control& c) {
    c.background = colours::white;
    c.foreground = colours::black;
    c.font = kTextBoxFont;
}

}  // namespace

FormModel designForm(double twipsPerPixelX, double twipsPerPixelY) {
    const Twips t{twipsPerPixelX, twipsPerPixelY};
    FormModel f;
    f.caption = "VESTA 3.04";
    f.background = colours::windowBackground;
    f.foreground = colours::red;
    f.font = Font{"MS Sans Serif", 9.75, true};

    f.VScroll2 = make("VScroll2", ControlKind::VScrollBar, "", "", "");
    t.place(f.VScroll2, 17760, 0, 255, 11535);
    f.HScroll2 = make("HScroll2", ControlKind::HScrollBar, "", "", "");
    t.place(f.HScroll2, 0, 11040, 17775, 255);

    f.Frame1 = make("Frame1", ControlKind::Frame, "", "COMANDI", "");
    // Taller than designed by the foot that holds the ± of a measured length and the notice.
    t.place(f.Frame1, 13680, 240, 3135, 5715);
    f.Frame1.background = colours::windowBackground;
    f.Frame1.foreground = colours::orange;

    f.cancella =
        make("cancella", ControlKind::Button, "Frame1", "Canc.", "cancella l'ultima operazione");
    t.place(f.cancella, 2280, 1800, 735, 375);
    f.RADDRIZZA =
        make("RADDRIZZA", ControlKind::Button, "Frame1", "Raddrizza", "opera il raddrizzamento");
    t.place(f.RADDRIZZA, 1440, 1200, 1575, 375);
    f.RADDRIZZA.background = colours::orange;
    f.GRIGLIA = make("GRIGLIA", ControlKind::Button, "Frame1", "Griglia",
                     "visualizza una griglia regolare in prospettiva");
    t.place(f.GRIGLIA, 1440, 2280, 732, 375);
    f.RETTANG =
        make("RETTANG", ControlKind::Button, "Frame1", "Area", "stabilisce un'area di calcolo");
    t.place(f.RETTANG, 2280, 2280, 735, 375);
    f.CENTRO = make("CENTRO", ControlKind::Button, "Frame1", "Centro",
                    "riposiziona il centro dell'immagine");
    t.place(f.CENTRO, 1440, 1800, 732, 375);
    f.MISURENOTE =
        make("MISURENOTE", ControlKind::Button, "Frame1", "Misure note",
             "raddrizza con larghezza e altezza vere del rettangolo delle quattro rette");
    t.place(f.MISURENOTE, 120, 2340, 1305, 375);
    f.MISURENOTE.enabled = false;
    for (Control* b :
         {&f.cancella, &f.RADDRIZZA, &f.GRIGLIA, &f.RETTANG, &f.CENTRO, &f.MISURENOTE}) {
        b->font = kPanelButtonFont;
    }

    f.tfuox = make("tfuox", ControlKind::TextBox, "Frame1", "fuox", kParametri);
    t.place(f.tfuox, 105, 2775, 1320, 330);
    f.tfuoy = make("tfuoy", ControlKind::TextBox, "Frame1", "fuoy", kParametri);
    t.place(f.tfuoy, 120, 3120, 1335, 330);
    f.tfuvx = make("tfuvx", ControlKind::TextBox, "Frame1", "fuvx", kParametri);
    t.place(f.tfuvx, 1440, 2760, 1575, 330);
    f.tfuvy = make("tfuvy", ControlKind::TextBox, "Frame1", "fuvy", kParametri);
    t.place(f.tfuvy, 1440, 3120, 1575, 330);
    const double text6[5][2] = {{0, 0}, {120, 3525}, {120, 3840}, {1440, 3525}, {1440, 3840}};
    for (int i = 1; i <= 4; ++i) {
        const std::string n = std::to_string(i);
        f.Text6[i] = make(("Text6(" + n + ")").c_str(), ControlKind::TextBox, "Frame1",
                          ("m" + n).c_str(), kParametri);
        t.place(f.Text6[i], text6[i][0], text6[i][1], i <= 2 ? 1335 : 1575, 330);
    }
    // Wide enough for the pointer's position to the tenth of a pixel in a photograph thousands
    // of pixels wide.
    f.Text1 = make("Text1", ControlKind::TextBox, "Frame1", "x.", "coordinate X");
    t.place(f.Text1, 60, 1815, 675, 255);
    f.Text3 = make("Text3", ControlKind::TextBox, "Frame1", " ",
                   "è possibile variare la grandeza dell'immagine raddrizzata");
    t.place(f.Text3, 240, 1200, 492, 228);
    f.Text4 = make("Text4", ControlKind::TextBox, "Frame1", " ", "");
    t.place(f.Text4, 240, 1200, 492, 228);
    f.Text2 = make("Text2", ControlKind::TextBox, "Frame1", "y.", "coordinate Y");
    t.place(f.Text2, 750, 1815, 675, 255);
    for (Control* b : {&f.tfuox, &f.tfuoy, &f.tfuvx, &f.tfuvy, &f.Text6[1], &f.Text6[2],
                       &f.Text6[3], &f.Text6[4], &f.Text1, &f.Text3, &f.Text4, &f.Text2}) {
        textBox(*b);
    }
    f.Text4.font = Font{"Small Fonts", 6.0, true};

    f.GRANDEZZA = make("GRANDEZZA", ControlKind::Spin, "Frame1", "", "");
    t.place(f.GRANDEZZA, 1080, 1200, 255, 255);
    f.domanda1 =
        make("domanda1", ControlKind::Label, "Frame1", prompts::kCaricare, "seguire le istruzioni");
    t.place(f.domanda1, 120, 360, 2865, 660);
    f.Label2 = make("Label2", ControlKind::Label, "Frame1", "y.", "");
    t.place(f.Label2, 840, 2055, 180, 270);
    f.Label3 = make("Label3", ControlKind::Label, "Frame1", "x.", "");
    t.place(f.Label3, 240, 2055, 180, 270);
    f.incertezza = make("incertezza", ControlKind::Label, "Frame1", "",
                        "incertezza delle proporzioni (larghezza:altezza) dell'immagine "
                        "raddrizzata dovuta alla precisione dei clic, una deviazione standard");
    t.place(f.incertezza, 240, 1470, 1140, 270);
    f.incertezzaMisura = make("incertezzaMisura", ControlKind::Label, "Frame1", "",
                              "incertezza della misura d, una deviazione standard, con le sue "
                              "parti: la scala, i due punti presi e le proporzioni");
    t.place(f.incertezzaMisura, 120, 4185, 2895, 480);
    f.avviso = make("avviso", ControlKind::Label, "Frame1", "", "");
    t.place(f.avviso, 120, 4965, 2895, 660);
    // In the measuring length's place, which is empty while lines are clicked.
    f.bordi = make("bordi", ControlKind::Label, "Frame1", "",
                   "retta agganciata al bordo della fotografia (Edit, Aggancia ai bordi)");
    t.place(f.bordi, 120, 4185, 2895, 480);
    // Under it, while the photograph is on show: the measured length's ± is on the result.
    f.scarti = make("scarti", ControlKind::Label, "Frame1", "", "");
    t.place(f.scarti, 120, 4695, 2895, 240);
    f.scarti.visible = false;
    for (Control* l : {&f.Label2, &f.Label3}) {
        l->font = kLabelFont;
        l->background = colours::windowBackground;
    }
    // Figures and notices read as the panel's boxes do: its font, dark on white; red is set
    // where a figure is not sure enough.
    for (Control* l : {&f.incertezza, &f.incertezzaMisura, &f.avviso, &f.bordi, &f.scarti}) {
        l->font = kTextBoxFont;
        l->background = colours::white;
        l->foreground = colours::black;
    }

    f.zoo =
        make("zoo", ControlKind::Button, "", "Zoom", "visualizza l'immagine ingrandita o ridotta");
    t.place(f.zoo, 11040, 240, 732, 252);
    f.zoo.font = kSmallFont;

    f.Picture2 = make("Picture2", ControlKind::Picture, "", "", "immagine raddrizzata");
    t.place(f.Picture2, 5760, 480, 1935, 2415);
    f.Picture2.background = colours::windowBackground;
    f.Picture2.foreground = colours::resultForeground;
    // The title of the rectified image, wide enough for its whole caption.
    f.Label1 = make("Label1", ControlKind::Label, "Picture2", "Immagine raddrizzata", "");
    t.place(f.Label1, 120, 120, 2700, 240);
    f.VScroll1 = make("VScroll1", ControlKind::VScrollBar, "", "", "");
    t.place(f.VScroll1, 17760, 0, 240, 11535);
    f.HScroll1 = make("HScroll1", ControlKind::HScrollBar, "", "", "");
    t.place(f.HScroll1, 0, 11040, 17775, 240);
    f.Picture1 =
        make("Picture1", ControlKind::Picture, "", "", "inserire i punti relativi alle rette");
    t.place(f.Picture1, 0, 0, 3972, 4092);
    f.Picture1.background = colours::windowBackground;
    f.Picture1.foreground = colours::red;
    f.Label4 = make("Label4", ControlKind::Label, "Picture1", "Immagine sorgente", "");
    t.place(f.Label4, 240, 120, 1995, 240);
    for (Control* l : {&f.Label1, &f.Label4}) {
        l->foreground = colours::red;
    }

    // Later controls of the design lie in front of earlier ones.
    for (Control* c : f.controls()) {
        f.bringToFront(*c);
    }

    f.file = menu("file", "", "&File", "");
    f.open = menu("open", "file", "&Open File", "F2");
    f.save = menu("save", "file", "&Save File", "F3");
    f.stampaScala = menu("stampaScala", "file", "S&tampa in scala...", "");
    f.stampaScala.enabled = false;  // until a result's scale is known
    f.exit = menu("exit", "file", "&Exit", "F4");
    f.edit = menu("edit", "", "&Edit", "");
    f.canc = menu("canc", "edit", "&Canc", "Ctrl+C");
    f.centro1 = menu("centro1", "edit", "&Centro Oo", "Ctrl+O");
    f.area = menu("area", "edit", "&Area", "Ctrl+A");
    f.griglia2 = menu("griglia2", "edit", "&Griglia", "Ctrl+G");
    f.frame_m = menu("frame_m", "edit", "&Frame", "Ctrl+F");
    f.view = menu("view", "", "&Vista", "");
    f.fitView = menu("fitView", "view", "&Adatta alla finestra", "Ctrl+0");
    f.scale1to4 = menu("scale1to4", "view", "1:&4", "");
    f.scale1to2 = menu("scale1to2", "view", "1:&2", "");
    f.scale1to1 = menu("scale1to1", "view", "&1:1", "Ctrl+1");
    f.scale2to1 = menu("scale2to1", "view", "2:1", "");
    f.scale4to1 = menu("scale4to1", "view", "4:1", "");
    f.scale8to1 = menu("scale8to1", "view", "&8:1", "");
    f.zoomIn = menu("zoomIn", "view", "&Ingrandisci", "Ctrl++");
    f.zoomOut = menu("zoomOut", "view", "&Riduci", "Ctrl+-");
    f.magnifier = menu("magnifier", "view", "&Lente", "Ctrl+L");
    for (MenuItem* m : {&f.fitView, &f.scale1to4, &f.scale1to2, &f.scale1to1, &f.scale2to1,
                        &f.scale4to1, &f.scale8to1, &f.magnifier}) {
        m->checkable = true;
    }
    f.scale1to1.checked = true;
    f.raddrizza1 = menu("raddrizza1", "", "&Raddrizza", "");
    f.start = menu("start", "raddrizza1", "&Start", "F6");
    f.altra = menu("altra", "raddrizza1", "&Altra", "F7");
    // Read for grey and colour photographs only: a palette bitmap always takes the nearest pixel.
    f.bilineare = menu("bilineare", "raddrizza1", "&Interpolazione bilineare", "");
    f.bilineare.checkable = true;
    f.bilineare.checked = true;
    f.bilineare.enabled = false;  // until a grey or colour photograph is open
    f.misureNote = menu("misureNote", "raddrizza1", "&Misure note...", "");
    f.misureNote.enabled = false;
    f.print1 = menu("print1", "", "&Print", "");
    f.print = menu("print", "print1", "&Print window", "F5");
    f.help = menu("help", "", "&?", "");
    f.help1 = menu("help1", "help", "&help", "F1");
    f.focale = menu("focale", "edit", "F&ocale...", "");
    f.focale.enabled = false;  // a focal length belongs to a photograph
    f.agganciaBordi = menu("agganciaBordi", "edit", "Aggancia ai &bordi", "");
    f.agganciaBordi.checkable = true;
    f.ruotaDestra = menu("ruotaDestra", "edit", "Ruota a &destra", "");
    f.ruotaSinistra = menu("ruotaSinistra", "edit", "Ruota a &sinistra", "");
    f.capovolgi = menu("capovolgi", "edit", "Ca&povolgi", "");
    f.altraRettaOrizz = menu("altraRettaOrizz", "edit", "Altra retta &orizzontale", "");
    f.altraRettaVert = menu("altraRettaVert", "edit", "Altra retta &verticale", "");
    f.togliRetta = menu("togliRetta", "edit", "&Togli la retta anomala", "");
    f.altriPunti = menu("altriPunti", "edit", "Altri punti sulla &retta", "");
    f.altriPunti.checkable = true;
    f.distorsioneObiettivo =
        menu("distorsioneObiettivo", "edit", "Distorsione dall'ob&iettivo (lensfun)", "");
    f.distorsioneObiettivo.checkable = true;
    f.distorsioneObiettivo.visible = false;  // until a photograph's lens is in the database
    f.distorsioneObiettivo.enabled = false;
    f.distorsioneK1 = menu("distorsioneK1", "edit", "Distorsione de&ll'obiettivo...", "");
    f.correggiDistorsione =
        menu("correggiDistorsione", "edit", "Correggi la distorsio&ne dalle rette", "");
    f.distorsioneK1.enabled = f.correggiDistorsione.enabled = false;  // until a photograph
    f.retteAutomatiche = menu("retteAutomatiche", "edit", "Rette a&utomatiche", "");
    f.accettaRette = menu("accettaRette", "edit", "Acc&etta le rette", "");
    // Offered once a photograph is on show.
    for (MenuItem* m : {&f.altraRettaOrizz, &f.altraRettaVert, &f.togliRetta, &f.altriPunti,
                        &f.retteAutomatiche, &f.accettaRette}) {
        m->enabled = false;
    }
    for (MenuItem* m : {&f.ruotaDestra, &f.ruotaSinistra, &f.capovolgi}) {
        m->enabled = false;
    }
    for (MenuItem* m : {&f.canc, &f.centro1, &f.area, &f.griglia2}) {
        m->enabled = false;
    }
    f.frame_m.checked = true;
    f.altra.visible = false;
    return f;
}

std::vector<Control*> FormModel::controls() {
    std::vector<Control*> all = {
        &VScroll2, &HScroll2, &Frame1, &cancella, &RADDRIZZA, &GRIGLIA,  &RETTANG,  &CENTRO,
        &tfuox,    &tfuoy,    &tfuvx,  &tfuvy,    &Text6[1],  &Text6[2], &Text6[3], &Text6[4],
        &Text1,    &Text3,    &Text4,  &Text2,    &GRANDEZZA, &domanda1, &Label2,   &Label3,
        &zoo,      &Picture2, &Label1, &VScroll1, &HScroll1,  &Picture1, &Label4,   &incertezza};
    all.push_back(&MISURENOTE);
    all.push_back(&incertezzaMisura);
    all.push_back(&avviso);
    all.push_back(&bordi);
    all.push_back(&scarti);
    return all;
}

std::vector<const Control*> FormModel::controls() const {
    auto all = const_cast<FormModel*>(this)->controls();
    return {all.begin(), all.end()};
}

std::vector<MenuItem*> FormModel::menus() {
    return {&file,
            &open,
            &save,
            &stampaScala,
            &exit,
            &edit,
            &canc,
            &centro1,
            &area,
            &griglia2,
            &frame_m,
            &view,
            &fitView,
            &scale1to4,
            &scale1to2,
            &scale1to1,
            &scale2to1,
            &scale4to1,
            &scale8to1,
            &zoomIn,
            &zoomOut,
            &magnifier,
            &raddrizza1,
            &start,
            &altra,
            &bilineare,
            &misureNote,
            &print1,
            &print,
            &help,
            &help1,
            &focale,
            &ruotaDestra,
            &ruotaSinistra,
            &capovolgi,
            &agganciaBordi,
            &altraRettaOrizz,
            &altraRettaVert,
            &togliRetta,
            &altriPunti,
            &distorsioneObiettivo,
            &distorsioneK1,
            &correggiDistorsione,
            &retteAutomatiche,
            &accettaRette};
}

std::vector<const MenuItem*> FormModel::menus() const {
    auto all = const_cast<FormModel*>(this)->menus();
    return {all.begin(), all.end()};
}

void FormModel::bringToFront(Control& control) {
    control.zOrder = ++front_;
}

void FormModel::sendToBack(Control& control) {
    control.zOrder = --back_;
}

}  // namespace vesta
