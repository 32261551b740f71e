#include "config/ReglagesEmulateur.h"

#include "config/Modeles.h"
#include "config/Parametres.h"
#include "core/Machine.h"
#include "disks/Lecteurs.h"
#include "devices/Ecran.h"

const std::array<const char*, 3> CouleursTexte{"Vert", "Ambre", "Blanc"};
const std::array<const char*, 4> PlansGraphiques{"1", "2", "3", "4"};
const std::array<const char*, 4> CouleursGraphiques{"Couleurs", "Niveaux de vert", "Niveaux d'ambre",
                                                    "Niveaux de gris"};
const std::array<const char*, 4> ModesClavier{"Mode inconnu", "Mode Basic", "Mode traitement de textes",
                                              "Mode APL"};
const std::array<const char*, 2> TypesDisquettes{"3,5 pouces", "5,25 pouces"};

bool PositionValide(int position, size_t taille) { return position >= 0 && size_t(position) < taille; }

namespace {

// The list position of a field, or -1 when the list has no such item.
int Position(int32_t valeur, size_t taille) { return PositionValide(valeur, taille) ? valeur : -1; }

// `champ` := position + decalage when the position is in its list.
template <typename T>
void Range(T& champ, int position, size_t taille, int decalage = 0) {
    if (PositionValide(position, taille)) champ = T(position + decalage);
}

uint8_t Octet(const std::array<bool, 8>& bits) {
    uint8_t v = 0;
    for (int n = 0; n < 8; ++n)
        if (bits[size_t(n)]) v = uint8_t(v | (1u << n));
    return v;
}

// The sizes of drives 1 and 2 are fixed when the drive table is set up at
// start-up: another type waits for the next start.
bool TypeDifferentDesLecteurs(const TMachine& m, int32_t typeDsq12) {
    if (!m.Lecteurs) return false;
    return m.Lecteurs->LegendeTaille(1) != (typeDsq12 == 1 ? "400 Ko" : "800 Ko");
}

} // namespace

TReglagesEmulateur LitReglagesEmulateur(const TMachine& m, const TParametres& p) {
    TReglagesEmulateur r;
    r.CoulTexte = Position(m.IndCoulTxt, CouleursTexte.size());
    r.PlansG = Position(int32_t(m.PlansGraph) - 1, PlansGraphiques.size());
    r.CoulGraph = Position(m.IndCoulGrph, CouleursGraphiques.size());
    r.Clavier = Position(m.ModeClavier + 1, ModesClavier.size());
    r.EmulRam = Position(m.Machine, NbModeles);
    for (int n = 0; n < 8; ++n) r.Switches[size_t(n)] = (m.NumPoste >> n) & 1;
    r.Dsq12 = Position(p.TypeDsq12, TypesDisquettes.size());
    return r;
}

bool ChangeMachine(TMachine& m, const TFenetresDebogueur& debogueur, size_t* messages) {
    const bool raz = m.AncienneMach != m.Machine;
    if (raz) m.TBRazClick();
    m.AncienneMach = m.Machine;
    size_t postes = 0;
    if (debogueur && m.Hote) {
        for (TIdFenetre f : debogueur()) {
            m.Hote->PosteMessage(TMessage{MsgChoixBanque, f, m.Machine == 0 ? 1 : 0, 0});
            ++postes;
        }
    }
    if (messages) *messages = postes;
    return raz;
}

TEffetsEmulateur AppliqueReglagesEmulateur(const TReglagesEmulateur& r, TMachine& m, TParametres& p,
                                           const TFenetresDebogueur& debogueur) {
    TEffetsEmulateur e;
    const int32_t coulTxt = m.IndCoulTxt, coulGrph = m.IndCoulGrph;
    const uint8_t plans = m.PlansGraph;
    Range(m.IndCoulTxt, r.CoulTexte, CouleursTexte.size());
    Range(m.PlansGraph, r.PlansG, PlansGraphiques.size(), 1);
    Range(m.IndCoulGrph, r.CoulGraph, CouleursGraphiques.size());
    Range(m.ModeClavier, r.Clavier, ModesClavier.size(), -1);
    m.NumPoste = Octet(r.Switches);
    Range(p.TypeDsq12, r.Dsq12, TypesDisquettes.size());
    if (PositionValide(r.EmulRam, NbModeles)) m.ChoisitModele(r.EmulRam);
    e.Raz = ChangeMachine(m, debogueur, &e.MessagesBanque);
    e.Fichier = EcrireParametres(m, p);
    e.Couleurs = coulTxt != m.IndCoulTxt || coulGrph != m.IndCoulGrph || plans != m.PlansGraph;
    e.DisquettesAuDemarrage = TypeDifferentDesLecteurs(m, p.TypeDsq12);
    ChoisitCouleurs(m);
    if (m.Hote) m.Hote->Repeint();
    return e;
}
