// What the user is told when the construction has no sound continuation.
#pragma once

namespace vesta::degenerate {

inline constexpr const char* kTitle = "NON E' POSSIBILE RADDRIZZARE";
inline constexpr const char* kFugaInfinita = "Fuga verticale o orizzontale all'infinito !!";
inline constexpr const char* kCentroAllineato =
    "Il centro dell'immagine è allineato con un punto di fuga: la costruzione non si può fare.\n"
    "Scegliere un altro centro con il pulsante Centro, oppure ridefinire le rette.";
inline constexpr const char* kCerchioMancato =
    "Con questo centro la costruzione non si chiude: il centro è troppo lontano dai punti di "
    "fuga.\nScegliere un centro più vicino al centro della foto, oppure ridefinire le rette.";
inline constexpr const char* kCornice =
    "Non si può calcolare l'immagine raddrizzata: le rette sono quasi parallele, oppure un "
    "angolo dell'area è allineato con un punto di fuga.\n"
    "Ridefinire le rette, scegliere un'altra area o un altro centro.";

// The rectangle of known measures.
inline constexpr const char* kMisureNonValide =
    "Misure non valide: larghezza e altezza del rettangolo devono essere numeri maggiori di "
    "zero, in centimetri (per esempio 250 o 87,5).";
inline constexpr const char* kRettangoloAperto =
    "Una retta orizzontale e una verticale sono parallele: il rettangolo delle misure note non "
    "ha quattro vertici.\nRidefinire le rette.";
inline constexpr const char* kRettangoloStorto =
    "Gli incroci delle quattro rette non formano un quadrilatero convesso: tre vertici sono "
    "allineati, oppure le rette si incrociano fuori ordine.\nRidefinire le rette.";
inline constexpr const char* kAreaOltreOrizzonte =
    "L'area scelta arriva all'orizzonte della facciata, dove nessun punto ha un'immagine "
    "raddrizzata.\nScegliere un'area più piccola, lontana dall'orizzonte.";
inline constexpr const char* kRisultatoTroppoGrande =
    "L'immagine raddrizzata sarebbe troppo grande.\nScegliere un'area più piccola.";

}  // namespace vesta::degenerate
