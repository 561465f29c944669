// The one working state of a running program: the construction the user is building, the
// results computed from it and the counters and flags that tell the step of the work. It lives
// as long as the program, is never saved, and opening a photograph resets most of it.
// Coordinates are pixels of the photograph as shown in Picture1: origin at the top-left pixel,
// x to the right, y downwards. A field that nothing has set yet reads as 0.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "state/ColourImage.h"
#include "state/Construction.h"
#include "state/IndexedImage.h"
#include "state/LensFitSpread.h"
#include "state/LensProfile.h"

namespace vesta {

// What a click on the photograph means (the values are the system's own).
enum class ClickMode : int { LineEnd = 0, AreaCorner = 1, PrincipalPoint = 2 };

// The rectified image of this window in its scratch file.
enum class ResultFile : int {
    None = 0,     // none, or thrown away
    Writing = 1,  // rows are being computed: the file is incomplete
    Unsaved = 2,  // a completed result, not saved yet
    Saved = 3,    // moved away by a save
};

// A construction line as clicked: its first and second end.
struct ClickedLine {
    Point first, second;
    bool operator==(const ClickedLine&) const = default;
};

// The points along a line given by more than two (vesta-rectify, Altri punti sulla retta), in
// the construction's plane and their order along it, with the line as clicked from them: a line
// clicked again since keeps none.
struct PointsAlong {
    ClickedLine line;
    std::vector<Point> points;
};

// A line given after the four, toward the horizontal or the vertical vanishing point, with the
// view scales its ends were clicked at.
struct ExtraLine {
    bool horizontal = true;
    ClickedLine line;  // as clicked: what a record keeps
    std::array<double, 2> viewScales{1.0, 1.0};
    std::optional<ClickedLine> onEdge;  // as drawn onto its edge (Aggancia ai bordi)
    std::optional<double> edgeShift;    // how far it moved there, px

    // The line the construction uses.
    ClickedLine used() const { return onEdge.value_or(line); }
};

struct WorkingState {
    // --- Workflow ---
    int nRette = 0;  // construction lines completed, 0..4; -1 after cancelling the last one
    ClickMode modoClick = ClickMode::LineEnd;
    int attesaSecondo = 0;     // 1 while the second point of a two-point input is awaited
    int primoMovimento = 1;    // 1 until the first rubber band of an input has been drawn
    int raddrAvviato = 0;      // 1 once a rectification has been started and not cancelled
    int interrompi = 0;        // stop request for the rectification loop
    int nRaddr = 0;            // entries into the rectification on this construction
    int nAree = 0;             // area inputs started since the last defaults
    int nMisura = 0;           // points taken by the measuring (and the grid's point counter)
    int pannelloNascosto = 0;  // 1 while the command panel is hidden
    ResultFile resultFile = ResultFile::None;
    // Photographs asked for so far, and the one being read (0: none). A photograph read for an
    // opening that a later one has taken the place of is thrown away.
    int openings = 0;
    int openingUnderWay = 0;

    // --- Construction input ---
    float xPrimo = 0, yPrimo = 0;        // first point of the two-point input in progress
    double firstViewScale = 1.0;         // the view scale that first point was clicked at
    float xSecondo = 0, ySecondo = 0;    // second point of the last two-point input
    float xElastico = 0, yElastico = 0;  // where the rubber band was last drawn
    double pendenza = 0;                 // slope of the last non-vertical line input
    double pendenze[5] = {};             // slope of line k = 1..4
    // The true width and height, in cm, of the rectangle the four lines bound: when given, the
    // result is rectified by them rather than by the vanishing points.
    std::optional<std::array<double, 2>> misureNote;
    // Further lines after the four, in the order given (Canc. takes back the last); the
    // direction of the one being clicked after Altra retta orizzontale / verticale; and each
    // line's distance from its fitted vanishing point, px (the two of the four, then the
    // further ones), empty while the four stand alone.
    std::vector<ExtraLine> extraLines;
    std::optional<bool> extraLineHorizontal;
    std::vector<double> residualsH, residualsV;
    // Lines found in the photograph (Rette automatiche) and offered, not yet taken: toward the
    // horizontal vanishing point [0] and the vertical [1], the first two of each to be the four.
    std::vector<std::array<Point, 2>> proposedLines[2];
    // The lines standing were found in the photograph, not clicked.
    bool linesFound = false;
    // The fronts found beside the one whose lines were offered, each the box around its lines
    // (top left, bottom right): the photograph holds more than one facade.
    std::vector<std::array<Point, 2>> otherFronts;

    // --- What stands on the photograph on show ---
    // The vanishing points of the current four lines, and the whole construction made from
    // them with the current principal point, area and size factor. Nothing is ever computed
    // from the construction of other lines, another point or area, or another photograph:
    // whatever no longer holds is not there. Rectifying and the grid need `construction`.
    std::optional<VanishingPoints> fughe;
    std::optional<Construction> construction;
    double centroX = 0, centroY = 0;  // principal point

    // --- Output, measuring and screen ---
    double grandezza = 1.0;  // size factor of the rectified image, 1.0 to 1.9
    int largRaddr = 0;
    double altRaddr = 0;
    std::string misuraCm;  // real length typed for the first measured distance
    double scala = 0;      // centimetres per pixel of the rectified image
    // Centimetres per pixel of a result rectified by known measures, and its relative
    // uncertainty; 0 for any other result, whose scale a reference pair gives.
    double scalaNota = 0;
    double scalaNotaSigma = 0;
    double misuraReale = 0;
    float larghezzaPic1 = 0, altezzaPic1 = 0;  // size of Picture1 once an image is loaded

    // --- How sure the proportions are ---
    double aspectSigma = 0;    // width:height of the result, relative, one standard deviation
    double distanceSigma = 0;  // principal distance, pixels, one standard deviation
    bool aspectIndeterminate = false;
    // The lines and principal point the last uncertainty warning was about: it is shown once
    // for a construction, not again at every size step or area click.
    std::vector<double> warnedClicks;
    // While found lines are taken one by one, each making the construction again: what the
    // construction tells or asks is held (the last refusal kept) and said once, for all of them.
    bool constructionWordsHeld = false;
    std::string heldRefusal;
    // The pair of points on the result that fixed the scale: x1, y1, x2, y2.
    std::array<double, 4> scalaCoppia{};
    int altezzaBarra = 0;                   // scroll-bar thickness in pixels
    float schermoLarg = 0, schermoAlt = 0;  // window size in pixels (the screen's at start)
    // Pixels at the window's right kept for the command panel and the bar beside it, none
    // while the panel is hidden: no picture lies under the panel.
    double panelColumn = 0;

    // --- Zoom viewer ---
    int zoomPerc = 0;
    double zoomDiv = 0;
    int zoomDir = 0;
    double scalaIniz = 0;
    double fattoreZoom = 0;
    int posH = 0, posV = 0;

    // --- The loaded bitmap (the main window's own fields) ---
    std::string nomeFile;             // path of the loaded photograph
    std::string cartellaSalvataggio;  // the folder of the last save: the Save dialog opens there
    SourceBitmap sorgente;  // lunghezzaFile, intestazione, tavolozza, rows (righe), padSorg
    IndexedImage immagineRaddrizzata;  // the rectified image on show in Picture2
    HeaderBlock resultHeader{};        // the header it was written with

    // --- A grey or colour photograph, beside the palette one ---
    // Shared so that bands still being computed keep the photograph they started from when
    // another one is opened meanwhile.
    std::shared_ptr<const ColourImage> fotoColori;  // null while a palette bitmap is open
    ColourImage risultatoColori;                    // the colour result on show in Picture2
    bool bilineare = true;  // colour photographs: bilinear, else nearest pixel
    // A name whose extension gives the format of the colour scratch file.
    std::string formatoRisultato = "risultato.tif";
    // What the result on show was made from, its pictures left out, and the focal length then
    // given: Save keeps the construction of the result, not of a size step, a line or a focal
    // length changed since. Nothing before the first result.
    std::shared_ptr<const WorkingState> resultMadeFrom;
    std::optional<double> resultFocal35;

    // The 35 mm equivalent focal length the photograph's camera file declares, in mm.
    std::optional<double> exifFocal35;
    // The lens's radial coefficient k1 (geometry/RadialLens.h), when the clicks were taken out
    // of its bend: the construction lies in the undistorted plane. Forgotten on opening.
    std::optional<double> lensK1;
    // How straight the lines were left (rms px) when k1 was fitted to them; nothing when typed.
    std::optional<double> lensFitRms;
    // And how sure the fit is, for the stated uncertainty; nothing when typed or read back
    // from a kept construction, whose points are not kept.
    std::optional<LensFitSpread> lensFitSpread;
    std::vector<PointsAlong> pointsAlong;
    // Altri punti sulla retta: while asked for, a click joins the nearest line standing; the
    // points so given, in the order clicked (Canc. takes back the last first).
    bool pointsAlongAsked = false;
    std::vector<Point> furtherPoints;
    // Or the lens database's calibration of the photograph's lens, taken out the same way; and
    // the one the database offers for the photograph on show, found on opening.
    std::optional<LensProfile> lensProfile;
    std::optional<LensProfile> lensOffered;
    std::string lensNotOffered;  // why the database offers none, when it was asked

    // Clockwise quarter turns, 0 to 3, given to the photograph since it was opened (every click
    // is a pixel of the turned photograph) and to the rectified image since it was computed.
    int photographTurn = 0;
    int resultTurn = 0;

    // Each clicked line is drawn onto the straight edge of the photograph beside it (Aggancia ai
    // bordi, --snap), from the next line clicked on.
    bool agganciaBordi = false;

    // Construction line k = 1..4 (1 and 2 horizontal, 3 and 4 vertical) and corner k = 1..4 of
    // the area (top-left, bottom-left, bottom-right, top-right). A line is the one the
    // construction uses: as clicked, or as drawn onto its edge; clickedLine is always the clicks.
    ClickedLine line(int k) const { return rette[std::size_t(k)]; }
    ClickedLine clickedLine(int k) const { return clickedRette[std::size_t(k)]; }
    // How far line k was moved onto its edge (the farther end, pixels); nothing when it stands
    // as clicked.
    std::optional<double> edgeShift(int k) const { return edgeShifts[std::size_t(k)]; }
    // The view scales (screen pixels per photograph pixel) its two ends were clicked at: each
    // is as sure as a pixel of its view.
    std::array<double, 2> lineViewScales(int k) const { return retteScale[std::size_t(k)]; }
    void setLine(int k, Point a, Point b, std::array<double, 2> viewScales = {1.0, 1.0}) {
        rette[std::size_t(k)] = clickedRette[std::size_t(k)] = {a, b};
        retteScale[std::size_t(k)] = viewScales;
        edgeShifts[std::size_t(k)].reset();
    }
    // Line k, clicked, drawn onto the edge from a to b, `shift` pixels away at most.
    void setLineOnEdge(int k, Point a, Point b, double shift) {
        rette[std::size_t(k)] = {a, b};
        edgeShifts[std::size_t(k)] = shift;
    }
    Point corner(int k) const { return areaCalcolo[std::size_t(k)]; }
    void setCorner(int k, Point p) { areaCalcolo[std::size_t(k)] = p; }
    // The area of the whole photograph, one pixel inside its border.
    void setDefaultArea() {
        const double w = larghezzaPic1, h = altezzaPic1;
        setCorner(1, {1, 1});
        setCorner(2, {1, h - 1});
        setCorner(3, {w - 1, h - 1});
        setCorner(4, {w - 1, 1});
    }

    bool aColori() const { return fotoColori != nullptr; }
    int larghezzaSorg() const { return fotoColori ? fotoColori->width : sorgente.image.width; }
    int altezzaSorg() const { return fotoColori ? fotoColori->height : sorgente.image.height; }

  private:
    // Indexed by k as the procedures count; a line completed after the last one was cancelled
    // (nRette -1) lands in row 0, which nothing reads.
    std::array<ClickedLine, 6> rette{}, clickedRette{};
    std::array<std::optional<double>, 6> edgeShifts{};
    std::array<std::array<double, 2>, 6> retteScale{
        {{1.0, 1.0}, {1.0, 1.0}, {1.0, 1.0}, {1.0, 1.0}, {1.0, 1.0}, {1.0, 1.0}}};
    std::array<Point, 5> areaCalcolo{};
};

}  // namespace vesta
