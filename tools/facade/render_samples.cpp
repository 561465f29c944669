// vesta-render-samples FOLDER: writes the sample photographs and, next to each, a note in
// Italian with the true measures of the facade and the camera, to check a rectification by.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "facade/FacadeRenderer.h"
#include "image/BitmapFile.h"

namespace {

using namespace vesta::facade;

// Italian notation: decimal comma.
std::string num(double value, int decimals = 1) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string s = buffer;
    for (char& ch : s) {
        if (ch == '.') {
            ch = ',';
        }
    }
    return s == "-0" || s == "-0,0" ? s.substr(1) : s;
}

std::string at(ImagePoint p) {
    return "x = " + num(p.x) + "; y = " + num(p.y);
}

std::string cm(double value) {
    return num(value, 0) + " cm";
}

struct Sample {
    std::string file;
    std::string title;
    std::string remark;  // what sets this photograph apart
    FacadeScene scene;
};

// Two points of an edge a little inside its ends, where the edge is sharp on both sides.
ImageSegment clickPoints(const PinholeCamera& camera, const ReferenceEdge& e) {
    const double inset = 0.06;
    const FacadePoint a{e.from.u + inset * (e.to.u - e.from.u),
                        e.from.v + inset * (e.to.v - e.from.v)};
    const FacadePoint b{e.to.u - inset * (e.to.u - e.from.u), e.to.v - inset * (e.to.v - e.from.v)};
    return {projectFacadePoint(camera, a), projectFacadePoint(camera, b)};
}

std::string edgeLine(const PinholeCamera& camera, const FacadeLayout& f, const std::string& name,
                     int number) {
    const ReferenceEdge e = referenceEdge(f, name);
    const ImageSegment s = clickPoints(camera, e);
    std::string where;
    if (e.horizontal && e.from.v > 0) {
        where = ", a " + cm(e.from.v) + " da terra";
    } else if (!e.horizontal && e.from.u > 0 && e.from.u < f.width) {
        where = ", a " + cm(e.from.u) + " dallo spigolo sinistro";
    }
    return "  " + std::to_string(number) + ") " + e.label + where + ":\n" +
           "       primo punto   " + at(s.from) + "\n" + "       secondo punto " + at(s.to) + "\n";
}

std::string describe(const Sample& sample) {
    const FacadeLayout& f = sample.scene.facade;
    const PinholeCamera& c = sample.scene.camera;
    const FacadeRect& w = f.windows.front();
    const FacadeRect& d = f.door;
    std::ostringstream t;

    t << "VESTA - fotografia di prova " << sample.file << "\n";
    t << std::string(28 + sample.file.size(), '=') << "\n\n";
    t << sample.title << "\n";
    t << "Immagine sintetica: una facciata in mattoni ripresa in prospettiva da una fotocamera\n"
         "nota. Le misure qui sotto sono quelle vere e servono a controllare un raddrizzamento.\n";
    t << sample.remark << "\n\n";

    t << "FACCIATA (misure reali)\n";
    t << "  larghezza                  " << cm(f.width) << "\n";
    t << "  altezza                    " << cm(f.height)
      << " (dal marciapiede alla sommità del cornicione)\n";
    t << "  rapporto larghezza/altezza " << num(f.width / f.height, 4) << "\n";
    t << "  finestre                   " << cm(w.width()) << " x " << cm(w.height())
      << " (larghezza x altezza, filo esterno del telaio bianco; " << f.windows.size()
      << " finestre)\n";
    t << "  interasse delle finestre   280 cm in orizzontale; assi a 180, 460, 740 e 1020 cm\n"
         "                             dallo spigolo sinistro\n";
    t << "  davanzali (filo inferiore del telaio)  100 cm al piano terra, 390 cm al primo piano,\n"
         "                             640 cm al secondo piano (250 cm tra primo e secondo)\n";
    t << "  portone                    " << cm(d.width()) << " x " << cm(d.height()) << ", da "
      << cm(d.left) << " a " << cm(d.right) << " dal bordo sinistro;\n"
      << "                             cornice in pietra di " << cm(f.doorSurround) << "\n";
    t << "  persiane                   " << cm(f.shutterWidth)
      << " di larghezza, ai lati delle finestre del primo e del secondo piano\n";
    t << "  zoccolo                    da 0 a " << cm(f.plinthTop) << "\n";
    t << "  fascia marcapiano          da " << cm(f.stringCourseBottom) << " a "
      << cm(f.stringCourseTop) << "\n";
    t << "  cornicione                 da " << cm(f.corniceBottom) << " a " << cm(f.height) << "\n";
    t << "  mattoni                    corsi di " << cm(f.courseHeight) << ", mattoni di "
      << cm(f.brickLength) << " (giunti di " << cm(f.mortar) << " compresi)\n\n";

    t << "FOTOCAMERA\n";
    t << "  immagine                   " << c.width << " x " << c.height << " pixel\n";
    t << "  distanza focale            " << num(c.focal) << " pixel\n";
    t << "  punto principale           " << at(c.principal);
    if (c.principal.x * 2 == c.width && c.principal.y * 2 == c.height) {
        t << " (esattamente il centro dell'immagine)\n";
    } else {
        t << "\n                             (il centro dell'immagine è "
          << at({c.width / 2.0, c.height / 2.0}) << ")\n";
    }
    t << "  imbardata (yaw)            " << num(c.yaw) << "° ("
      << (c.yaw >= 0 ? "ruotata verso destra" : "ruotata verso sinistra") << ")\n";
    t << "  beccheggio (pitch)         " << num(c.pitch) << "° (verso l'alto)\n";
    t << "  rollio (roll)              " << num(c.roll) << "°";
    if (c.roll != 0) {
        t << (c.roll > 0 ? " (fotocamera girata in senso antiorario: nella foto la facciata\n"
                           "                             appare girata in senso orario)"
                         : " (fotocamera girata in senso orario: nella foto la facciata\n"
                           "                             appare girata in senso antiorario)");
    }
    t << "\n";
    t << "  posizione                  " << cm(c.position.x) << " lungo la facciata, "
      << cm(c.position.y) << " da terra, " << cm(c.position.z) << " davanti alla facciata\n";
    if (auto h = horizontalVanishingPoint(c)) {
        t << "  fuga delle orizzontali     " << at(*h) << "\n";
    }
    if (auto v = verticalVanishingPoint(c)) {
        t << "  fuga delle verticali       " << at(*v) << "\n";
    }
    t << "\n";

    t << "POSIZIONI NELLA FOTO (pixel)\n";
    t << "  x verso destra, y verso il basso, origine nell'angolo in alto a sinistra; il pixel\n"
         "  da cliccare è quello indicato dalla parte intera delle coordinate.\n\n";
    const auto corners = facadeCorners(f, c);
    const char* names[] = {"in alto a sinistra ", "in basso a sinistra", "in basso a destra  ",
                           "in alto a destra   "};
    t << "  Spigoli della facciata\n";
    for (int i = 0; i < 4; ++i) {
        t << "    " << names[i] << "  " << at(corners[i]) << "\n";
    }
    t << "\n  Due rette orizzontali comode da cliccare\n";
    t << edgeLine(c, f, "cornice-bottom", 1);
    t << edgeLine(c, f, "string-course-top", 2);
    t << "\n  Due rette verticali comode da cliccare\n";
    t << edgeLine(c, f, "left", 1);
    t << edgeLine(c, f, "right", 2);
    t << "\n";

    t << "VERIFICA\n";
    t << "  Nell'immagine raddrizzata la facciata deve risultare un rettangolo con rapporto\n"
         "  larghezza/altezza "
      << num(f.width / f.height, 4)
      << ". Con Misura, dando alla prima distanza (da spigolo a\n"
         "  spigolo, in basso o in alto) la lunghezza di "
      << cm(f.width)
      << ", si devono ritrovare l'altezza\n"
         "  di "
      << cm(f.height) << ", le finestre di " << cm(w.width()) << " x " << cm(w.height())
      << ", il portone di " << cm(d.width()) << " x " << cm(d.height())
      << " e l'interasse\n"
         "  di 280 cm; i bordi orizzontali devono avere angolo 0° e quelli verticali 90°.\n";
    return t.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "uso: " << argv[0] << " CARTELLA\n"
                  << "scrive le fotografie di prova (.bmp) e le loro note (.txt) nella cartella\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::cerr << "non posso creare " << folder << ": " << ec.message() << "\n";
        return 1;
    }

    const Sample all[] = {
        {"facciata_centrata.bmp", "Fotocamera non ruotata, punto principale al centro.",
         "Il fotografo sta a sinistra della facciata e guarda verso destra e verso l'alto.",
         samples::centred()},
        {"facciata_ruotata.bmp", "Fotocamera ruotata sul proprio asse, punto principale al centro.",
         "Il fotografo sta a destra della facciata e guarda verso sinistra e verso l'alto; la\n"
         "fotocamera è inclinata di lato, quindi nessuna retta è orizzontale nella foto.",
         samples::rolled()},
        {"facciata_grande.bmp", "Immagine grande, punto principale fuori dal centro.",
         "Come con un obiettivo decentrabile o una foto ritagliata, il punto principale non sta\n"
         "al centro dell'immagine: per un raddrizzamento esatto spostarlo con il pulsante\n"
         "Centro nella posizione indicata sotto.",
         samples::large()},
        {"facciata_livellata.bmp", "Fotocamera a livello, punto principale al centro.",
         "Il fotografo sta a sinistra della facciata, all'altezza del primo piano, e guarda verso\n"
         "destra tenendo la fotocamera quasi orizzontale: le verticali sono quasi parallele e il\n"
         "loro punto di fuga è lontanissimo, quindi le proporzioni della sola costruzione sono\n"
         "incerte. Aiutano le misure note (Misure note) o la focale (Focale...).",
         samples::level()},
    };

    for (const Sample& s : all) {
        const vesta::IndexedImage image = renderFacade(s.scene);
        const std::string bmp = (folder / s.file).string();
        std::string error;
        if (!vesta::writeBitmapFile(bmp, vesta::classicHeader(image.width, image.height), image,
                                    &error)) {
            std::cerr << bmp << ": " << error << "\n";
            return 1;
        }
        const std::string txt = (folder / s.file).replace_extension(".txt").string();
        std::ofstream out(txt, std::ios::binary);
        out << describe(s);
        if (!out.flush()) {
            std::cerr << "non posso scrivere " << txt << "\n";
            return 1;
        }
        std::cout << bmp << "  " << image.width << " x " << image.height << "\n";
    }
    return 0;
}
