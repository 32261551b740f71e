#include "debugger/TexteArret.h"

#include "core/Texte.h"
#include "debugger/Sondes.h"

const char* TexteCauseArret(TCauseArret cause) {
    switch (cause) {
    case TCauseArret::PointArret: return "point d'arrêt";
    case TCauseArret::ArretTemporaire: return "arrêt temporaire";
    case TCauseArret::Pause: return "pause";
    case TCauseArret::Halte: return "HLT";
    case TCauseArret::FinEmul: return "fin de l'émulation";
    case TCauseArret::Budget: return "nombre d'instructions atteint";
    case TCauseArret::PointSurveillance: return "point de surveillance";
    case TCauseArret::DejaEnCours: return "déjà en cours";
    }
    return "?";
}

std::string TexteRapportArret(const TRapportArret& r) { return TexteRapportArret(TexteCauseArret(r.Cause), r.Adresse); }

std::string TexteRapportArret(const char* cause, uint16_t adresse) {
    return Format("arrêt : %s à %.4XH", cause, unsigned(adresse));
}

std::string TexteRapportArret(const TRapportArret& r, const TSondesDebogueur& sondes) {
    const auto& d = sondes.Declenchement();
    if (r.Cause == TCauseArret::PointSurveillance && d) return "arrêt : " + TexteDeclenchement(*d);
    return TexteRapportArret(r);
}

bool ArretAnnonce(const TRapportArret& r) {
    switch (r.Cause) {
    case TCauseArret::PointArret:
    case TCauseArret::ArretTemporaire:
    case TCauseArret::Pause:
    case TCauseArret::Halte:
    case TCauseArret::PointSurveillance: return true;
    case TCauseArret::FinEmul:
    case TCauseArret::Budget:
    case TCauseArret::DejaEnCours: return false;
    }
    return false;
}
