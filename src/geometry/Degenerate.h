// What the user is told when the construction has no sound continuation.
#pragma once

namespace vesta::degenerate {

inline constexpr const char* kTitle = "NON E' POSSIBILE RADDRIZZARE";
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

}  // namespace vesta::degenerate
