// The step prompts of the command panel, the one place that tells the user what to do next.
#pragma once

namespace vesta::prompts {

inline constexpr const char* kCaricare = "Caricare un'immagine ";
inline constexpr const char* kStoCaricando = "Sto caricando...";
inline constexpr const char* kDueRetteOrizz = "Definire due rette orizz.";
inline constexpr const char* kDueRetteVert = "Definire due rette vert.";
inline constexpr const char* kPrimaOrizz = "Definire la 1°retta orizz.";
inline constexpr const char* kSecondaOrizz = "Definire la 2°retta orizz.";
inline constexpr const char* kSecondaOrizzCanc = "Definire la 2° retta orizz.";
inline constexpr const char* kPrimaVert = "Definire la 1° retta vertic.";
inline constexpr const char* kSecondaVert = "Definire la 2° retta vertic.";
inline constexpr const char* kAltraOrizz = "Definire un'altra retta orizz.";
inline constexpr const char* kAltraVert = "Definire un'altra retta vertic.";
inline constexpr const char* kAltriPunti = "Definire altri punti sulle rette";
inline constexpr const char* kTroppeRette = "Non si possono definire più di 500 altre rette";
inline constexpr const char* kFughe = "Definisco le fughe";
inline constexpr const char* kCercoRette = "Sto cercando le rette...";
inline constexpr const char* kRetteTrovate = "Accettare le rette o toglierne con un clic";
inline constexpr const char* kPocheRette = "Poche rette trovate: definirle a mano";
inline constexpr const char* kNuovoCentro = "Definire il nuovo CENTRO";
inline constexpr const char* kDefinisciArea = "Definisci un'area di calcolo";
inline constexpr const char* kDeviDefinireArea = "Devi definire l'area di calcolo";
inline constexpr const char* kImpossibile = "Impossibile raddrizzare";
inline constexpr const char* kVuoiGriglia = "Vuoi definire la griglia ?";
inline constexpr const char* kVuoiRaddrizzare = "Vuoi raddrizzare ?";
inline constexpr const char* kStoCalcolando = "Sto calcolando...";
inline constexpr const char* kHoFinito = "Ho finito.";
inline constexpr const char* kVuoiMisurare = "Vuoi misurare ?";
inline constexpr const char* kDuePunti = "Definire due punti";
inline constexpr const char* kDefault = "valori di DEFAULT ";
inline constexpr const char* kRefresh = " REFRESH ";

// The prompt for the line after the `drawn` lines standing, or for the area once four stand.
inline const char* nextLine(int drawn) {
    switch (drawn) {
        case 0:
            return kPrimaOrizz;
        case 1:
            return kSecondaOrizz;
        case 2:
            return kPrimaVert;
        case 3:
            return kSecondaVert;
        default:
            return kDefinisciArea;
    }
}

}  // namespace vesta::prompts
