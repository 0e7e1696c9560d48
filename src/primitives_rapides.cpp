#include "primitives_rapides.h"

#include <bit>
#include <initializer_list>

#include "primitives_pieces.h"

namespace {

// ---- Precomputed move and ray tables ----

// The generator's offset tables; bishop rays first, then rook rays, as a queen walks them.
constexpr Tdecalage DIRECTIONS[8] = {RAYONS_FOU[0],  RAYONS_FOU[1],  RAYONS_FOU[2],
                                     RAYONS_FOU[3],  RAYONS_TOUR[0], RAYONS_TOUR[1],
                                     RAYONS_TOUR[2], RAYONS_TOUR[3]};
constexpr int PREMIER_RAYON_TOUR = 4;

struct Tcibles {
    int n;
    uint8_t cases[8];
};

struct Ttables {
    Tcibles sauts[64];
    Tcibles voisins[64];
    Tcibles rayons[64][8];  // squares along each direction, nearest first (at most 7)
};

constexpr Tcibles cibles_depuis(int index, const Tdecalage (&decalages)[8]) {
    Tcibles cibles{};
    for (const Tdecalage& d : decalages) {
        const int l = index / 8 + d.ligne, c = index % 8 + d.colonne;
        if (sur_echiquier(l, c)) cibles.cases[cibles.n++] = static_cast<uint8_t>(index_case(l, c));
    }
    return cibles;
}

constexpr Ttables calcule_tables() {
    Ttables t{};
    for (int index = 0; index < 64; index++) {
        t.sauts[index] = cibles_depuis(index, SAUTS_CAVALIER);
        t.voisins[index] = cibles_depuis(index, PAS_ROI);
        for (int dir = 0; dir < 8; dir++) {
            Tcibles& rayon = t.rayons[index][dir];
            for (int l = index / 8 + DIRECTIONS[dir].ligne, c = index % 8 + DIRECTIONS[dir].colonne;
                 sur_echiquier(l, c); l += DIRECTIONS[dir].ligne, c += DIRECTIONS[dir].colonne) {
                rayon.cases[rayon.n++] = static_cast<uint8_t>(index_case(l, c));
            }
        }
    }
    return t;
}

constexpr Ttables TABLES = calcule_tables();

// The same tables as sets of squares, one bit a square, for counting moves by whole sets.
using Tbits = uint64_t;
constexpr Tbits bit(int index) { return Tbits{1} << index; }

struct Tmasques {
    Tbits sauts[64];
    Tbits rayons[8][64];
    Tbits ligne_par[64][64];  // the whole line through two aligned squares, else 0
};

constexpr int DIRECTION_OPPOSEE[8] = {3, 2, 1, 0, 5, 4, 7, 6};

constexpr Tbits en_bits(const Tcibles& cibles) {
    Tbits b = 0;
    for (int k = 0; k < cibles.n; k++) b |= bit(cibles.cases[k]);
    return b;
}

constexpr Tmasques calcule_masques() {
    Tmasques m{};
    for (int index = 0; index < 64; index++) {
        m.sauts[index] = en_bits(TABLES.sauts[index]);
        for (int dir = 0; dir < 8; dir++) m.rayons[dir][index] = en_bits(TABLES.rayons[index][dir]);
    }
    for (int index = 0; index < 64; index++) {
        for (int dir = 0; dir < 8; dir++) {
            const Tbits ligne = m.rayons[dir][index] | m.rayons[DIRECTION_OPPOSEE[dir]][index] | bit(index);
            const Tcibles& rayon = TABLES.rayons[index][dir];
            for (int k = 0; k < rayon.n; k++) m.ligne_par[index][rayon.cases[k]] = ligne;
        }
    }
    return m;
}

constexpr Tmasques MASQUES = calcule_masques();

// Directions 0, 1, 4, 6 go toward higher square indexes, the others toward lower ones.
constexpr bool VERS_LE_HAUT[8] = {true, true, false, false, true, false, true, false};

inline Tbits attaques_rayons(int index, Tbits occupees, int premier, int dernier) {
    Tbits attaques = 0;
    for (int dir = premier; dir < dernier; dir++) {
        Tbits rayon = MASQUES.rayons[dir][index];
        const Tbits bloqueurs = rayon & occupees;
        if (bloqueurs != 0) {
            const int premier_bloqueur = VERS_LE_HAUT[dir] ? std::countr_zero(bloqueurs)
                                                           : 63 - std::countl_zero(bloqueurs);
            rayon ^= MASQUES.rayons[dir][premier_bloqueur];
        }
        attaques |= rayon;
    }
    return attaques;
}

constexpr Tbits COLONNE_A = 0x0101010101010101ull;
constexpr Tbits COLONNE_H = COLONNE_A << 7;
constexpr Tbits LIGNE_2 = 0xFFull << 16;  // where a white pawn stands after one step from row 1
constexpr Tbits LIGNE_5 = 0xFFull << 40;  // where a black pawn stands after one step from row 6

// ---- Filling the list ----

inline void en_tete(Tcoups* coups, int depart, int arrivee) {
    coups->tampon[--coups->debut] = {static_cast<uint8_t>(depart), static_cast<uint8_t>(arrivee)};
}

inline void en_queue(Tcoups* coups, int depart, int arrivee) {
    coups->tampon[coups->fin++] = {static_cast<uint8_t>(depart), static_cast<uint8_t>(arrivee)};
}

// Knight and king: empty squares to the tail, opposing pieces to the head.
inline void coups_sauteur(const int32_t* cases, int depart, int32_t code, const Tcibles& cibles,
                          Tcoups* coups) {
    for (int k = 0; k < cibles.n; k++) {
        const int arrivee = cibles.cases[k];
        const int32_t cible = cases[arrivee];
        if (cible == VIDE) {
            en_queue(coups, depart, arrivee);
        } else if (cible * code < 0) {
            en_tete(coups, depart, arrivee);
        }
    }
}

inline void coups_glisseur(const int32_t* cases, int depart, int32_t code, int premier,
                           int dernier, Tcoups* coups) {
    for (int dir = premier; dir < dernier; dir++) {
        const Tcibles& rayon = TABLES.rayons[depart][dir];
        for (int k = 0; k < rayon.n; k++) {
            const int arrivee = rayon.cases[k];
            const int32_t cible = cases[arrivee];
            if (cible == VIDE) {
                en_queue(coups, depart, arrivee);
                continue;
            }
            if (cible * code < 0) en_tete(coups, depart, arrivee);
            break;
        }
    }
}

void coups_pion_rapide(const Techiquier* e, int depart, int32_t code, Tcoups* coups) {
    const int32_t* cases = e->cases;
    const int ligne = depart / 8, colonne = depart % 8;
    const int d = code > 0 ? 1 : -1;
    // Pushes: one square, two from the starting row.
    if (sur_echiquier(ligne + d, colonne) && cases[depart + 8 * d] == VIDE) {
        en_queue(coups, depart, depart + 8 * d);
        const int ligne_depart = d == 1 ? 1 : 6;
        if (ligne == ligne_depart && cases[depart + 16 * d] == VIDE) {
            en_queue(coups, depart, depart + 16 * d);
        }
    }
    // Captures, toward the lower column first; only while the pawn can still step forward.
    const bool peut_avancer = d == 1 ? ligne < 7 : ligne > 0;
    if (peut_avancer) {
        if (colonne > 0 && cases[depart + 8 * d - 1] * code < 0) {
            en_tete(coups, depart, depart + 8 * d - 1);
        }
        if (colonne < 7 && cases[depart + 8 * d + 1] * code < 0) {
            en_tete(coups, depart, depart + 8 * d + 1);
        }
    }
    // En passant: beside the pawn that has just advanced two squares.
    if (e->ep_ligne >= 0 && (colonne == e->ep_colonne - 1 || colonne == e->ep_colonne + 1) &&
        ligne == (d == 1 ? 4 : 3)) {
        en_tete(coups, depart, index_case(ligne + d, e->ep_colonne));
    }
}

void roque_rapide(const Techiquier* e, int depart, int32_t code, Tcoups* coups) {
    const int32_t* cases = e->cases;
    if (depart % 8 != 4) return;
    const couleur c = code > 0 ? BLANC : NOIR;
    const int base = ligne_de_base(c);
    if (depart / 8 != base) return;
    const int32_t grand = c == BLANC ? e->grand_roque_blanc : e->grand_roque_noir;
    const int32_t petit = c == BLANC ? e->petit_roque_blanc : e->petit_roque_noir;
    const int coin = base * 8;
    if (grand != 0 && cases[coin] == TOUR * c && cases[coin + 1] == VIDE &&
        cases[coin + 2] == VIDE && cases[coin + 3] == VIDE) {
        en_queue(coups, depart, coin + 2);
    }
    if (petit != 0 && cases[coin + 7] == TOUR * c && cases[coin + 5] == VIDE &&
        cases[coin + 6] == VIDE) {
        en_queue(coups, depart, coin + 6);
    }
}

// The en passant capture of side `par` could land on the square: the generator offers it
// without looking at what stands there.
bool prise_en_passant_vers(const Techiquier* e, int index, couleur par) {
    if (e->ep_ligne < 0) return false;
    const int ligne_pion = par == BLANC ? 4 : 3;
    if (index != index_case(ligne_pion + par, e->ep_colonne)) return false;
    const int32_t pion = PION * par;
    const int gauche = e->ep_colonne - 1, droite = e->ep_colonne + 1;
    return (gauche >= 0 && e->cases[index_case(ligne_pion, gauche)] == pion) ||
           (droite <= 7 && e->cases[index_case(ligne_pion, droite)] == pion);
}

// The stored king square of side c when it does hold that king, else -1.
int case_du_roi(const Techiquier* e, couleur c) {
    const int ligne = c == BLANC ? e->roi_blanc_ligne : e->roi_noir_ligne;
    const int colonne = c == BLANC ? e->roi_blanc_colonne : e->roi_noir_colonne;
    if (!sur_echiquier(ligne, colonne)) return -1;
    const int index = index_case(ligne, colonne);
    return e->cases[index] == ROI * c ? index : -1;
}

// A move from `depart` to `arrivee` keeps to the line that starts at the king and goes in
// direction `dir`.
bool sur_la_ligne(int roi, int dir, int arrivee) {
    const int dl = arrivee / 8 - roi / 8, dc = arrivee % 8 - roi % 8;
    const Tdecalage d = DIRECTIONS[dir];
    return dl * d.colonne == dc * d.ligne && dl * d.ligne >= 0 && dc * d.colonne >= 0 &&
           (dl != 0 || dc != 0);
}

}  // namespace

void genere_coups(const Techiquier* e, couleur c, Tcoups* coups) {
    coups->debut = MOITIE_COUPS;
    coups->fin = MOITIE_COUPS;
    const int32_t* cases = e->cases;
    const int32_t a_voir = c == BLANC ? e->nb_pieces_blanches : e->nb_pieces_noires;
    int32_t vues = 0;
    for (int i = 0; i < 8; i++) {
        const int ligne = c == BLANC ? i : 7 - i;
        for (int colonne = 0; colonne < 8; colonne++) {
            const int depart = index_case(ligne, colonne);
            const int32_t code = cases[depart];
            if (code * c > 0) {
                switch (valeur_absolue(code)) {
                    case PION:
                        coups_pion_rapide(e, depart, code, coups);
                        break;
                    case ROI:
                        roque_rapide(e, depart, code, coups);
                        coups_sauteur(cases, depart, code, TABLES.voisins[depart], coups);
                        break;
                    case CAVALIER:
                        coups_sauteur(cases, depart, code, TABLES.sauts[depart], coups);
                        break;
                    case FOU:
                        coups_glisseur(cases, depart, code, 0, PREMIER_RAYON_TOUR, coups);
                        break;
                    case TOUR:
                        coups_glisseur(cases, depart, code, PREMIER_RAYON_TOUR, 8, coups);
                        break;
                    case DAME:
                        coups_glisseur(cases, depart, code, 0, 8, coups);
                        break;
                    default:
                        break;
                }
                vues++;
            }
            if (vues == a_voir) return;
        }
    }
}

namespace {

// Pawns, knights and the king of side `par` that attack the square.
inline bool attaque_de_pres(const int32_t* cases, int index, couleur par) {
    const int ligne = index / 8, colonne = index % 8;
    // Pawns capture toward the square from one row behind it (seen from `par`).
    const int ligne_pion = ligne - par;
    if (ligne_pion >= 0 && ligne_pion < 8) {
        const int32_t pion = PION * par;
        if (colonne > 0 && cases[index_case(ligne_pion, colonne - 1)] == pion) return true;
        if (colonne < 7 && cases[index_case(ligne_pion, colonne + 1)] == pion) return true;
    }
    const Tcibles& sauts = TABLES.sauts[index];
    for (int k = 0; k < sauts.n; k++) {
        if (cases[sauts.cases[k]] == CAVALIER * par) return true;
    }
    const Tcibles& voisins = TABLES.voisins[index];
    for (int k = 0; k < voisins.n; k++) {
        if (cases[voisins.cases[k]] == ROI * par) return true;
    }
    return false;
}

// The attack test, with the square `vide` seen as empty (a king stepping away from it no
// longer shields the squares behind it); -1 for none.
int case_attaquee_sauf(const Techiquier* e, int index, couleur par, int vide) {
    const int32_t* cases = e->cases;
    if (attaque_de_pres(cases, index, par)) return 1;
    for (int dir = 0; dir < 8; dir++) {
        const int32_t glisseur = dir < PREMIER_RAYON_TOUR ? FOU * par : TOUR * par;
        const Tcibles& rayon = TABLES.rayons[index][dir];
        for (int k = 0; k < rayon.n; k++) {
            const int32_t code = cases[rayon.cases[k]];
            if (code == VIDE || rayon.cases[k] == vide) continue;
            if (code == glisseur || code == DAME * par) return 1;
            break;
        }
    }
    return 0;
}

}  // namespace

int case_attaquee(const Techiquier* e, int index, couleur par) {
    return case_attaquee_sauf(e, index, par, -1);
}

namespace {

// No king where the record says (a move no game has made took it): what `echec` asks
// then, whether a move of the other side ends on the recorded square, on the stack.
int echec_sans_roi(const Techiquier* e, couleur c) {
    const int ligne = c == BLANC ? e->roi_blanc_ligne : e->roi_noir_ligne;
    const int colonne = c == BLANC ? e->roi_blanc_colonne : e->roi_noir_colonne;
    if (!sur_echiquier(ligne, colonne)) return 0;
    const int cible = index_case(ligne, colonne);
    Tcoups coups;
    genere_coups(e, -c, &coups);
    for (int i = coups.debut; i < coups.fin; i++) {
        if (coups.tampon[i].arrivee == cible) return 1;
    }
    return 0;
}

}  // namespace

int echec_rapide(const Techiquier* e, couleur c) {
    const int roi = case_du_roi(e, c);
    if (roi < 0) return echec_sans_roi(e, c);
    return case_attaquee(e, roi, -c) || prise_en_passant_vers(e, roi, -c);
}

void analyse_surete(const Techiquier* e, couleur c, Tsurete* surete) {
    surete->roi = case_du_roi(e, c);
    if (surete->roi < 0) {
        surete->en_echec = echec_rapide(e, c) != 0;
        surete->sure = false;
        return;
    }
    const int32_t* cases = e->cases;
    const int roi = surete->roi;
    bool attaque = attaque_de_pres(cases, roi, -c) || prise_en_passant_vers(e, roi, -c);
    for (int8_t& clou : surete->clouage) clou = 0;
    surete->cloues = 0;
    // One walk along each line from the king finds both the checks and the pins.
    for (int dir = 0; dir < 8; dir++) {
        const int32_t glisseur = dir < PREMIER_RAYON_TOUR ? -FOU * c : -TOUR * c;
        const Tcibles& rayon = TABLES.rayons[roi][dir];
        int propre = -1;  // the first own piece on the line
        for (int k = 0; k < rayon.n; k++) {
            const int32_t code = cases[rayon.cases[k]];
            if (code == VIDE) continue;
            if (code * c > 0) {
                if (propre >= 0) break;
                propre = rayon.cases[k];
                continue;
            }
            if (code == glisseur || code == -DAME * c) {
                if (propre >= 0) {
                    surete->clouage[propre] = static_cast<int8_t>(dir + 1);
                    surete->cloues |= uint64_t{1} << propre;
                } else {
                    attaque = true;
                }
            }
            break;
        }
    }
    surete->en_echec = attaque;
    surete->sure = !attaque;
}

bool sans_danger(const Techiquier* e, const Tsurete* surete, Tdeplacement coup) {
    if (!surete->sure) return false;
    const int32_t code = e->cases[coup.depart];
    const int32_t type = valeur_absolue(code);
    // King moves (castling included) and en passant change lines of attack: play them.
    if (type == ROI) return false;
    if (type == PION && (coup.arrivee - coup.depart) % 8 != 0 && e->cases[coup.arrivee] == VIDE) {
        return false;
    }
    const int clou = surete->clouage[coup.depart];
    return clou == 0 || sur_la_ligne(surete->roi, clou - 1, coup.arrivee);
}

namespace {

// Counting by playing every move: for a king in check, or no king where the record says.
int compte_en_jouant(const Techiquier* e, couleur c) {
    Tcoups coups;
    genere_coups(e, c, &coups);
    int legaux = 0;
    for (int i = coups.debut; i < coups.fin; i++) {
        Techiquier copie = *e;
        execute_coup(&copie, vers_Tcoup(coups.tampon[i]));
        if (!echec_rapide(&copie, c)) legaux++;
    }
    return legaux;
}

int joue_et_compte(const Techiquier* e, couleur c, int depart, int arrivee) {
    Techiquier copie = *e;
    execute_coup(&copie, fait_coup(depart / 8, depart % 8, arrivee / 8, arrivee % 8));
    return !echec_rapide(&copie, c);
}

// A pinned pawn: its moves that keep to the pin line.
int compte_pion_cloue(const Techiquier* e, const Tsurete& s, int depart, int32_t code) {
    const int32_t* cases = e->cases;
    const int ligne = depart / 8, colonne = depart % 8;
    const int d = code > 0 ? 1 : -1;
    const int clou = s.clouage[depart] - 1;
    const int devant = depart + 8 * d;
    int n = 0;
    if (sur_echiquier(ligne + d, colonne) && cases[devant] == VIDE &&
        sur_la_ligne(s.roi, clou, devant)) {
        n += 1 + (ligne == (d == 1 ? 1 : 6) && cases[devant + 8 * d] == VIDE);
    }
    if (d == 1 ? ligne < 7 : ligne > 0) {
        if (colonne > 0 && cases[devant - 1] * code < 0) n += sur_la_ligne(s.roi, clou, devant - 1);
        if (colonne < 7 && cases[devant + 1] * code < 0) n += sur_la_ligne(s.roi, clou, devant + 1);
    }
    return n;
}

// En passant captures of the side's pawns: two pawns leave the row at once, so each is
// played.
int compte_en_passant(const Techiquier* e, couleur c) {
    if (e->ep_ligne < 0) return 0;
    const int ligne = c == BLANC ? 4 : 3;
    int n = 0;
    for (int colonne : {e->ep_colonne - 1, e->ep_colonne + 1}) {
        if (colonne < 0 || colonne > 7 || e->cases[index_case(ligne, colonne)] != PION * c) continue;
        n += joue_et_compte(e, c, index_case(ligne, colonne), index_case(ligne + c, e->ep_colonne));
    }
    return n;
}

int compte_roi(const Techiquier* e, int depart, int32_t code) {
    const couleur c = code > 0 ? BLANC : NOIR;
    int n = 0;
    // Castling moves the rook too: play it.
    const bool droits = c == BLANC ? (e->grand_roque_blanc | e->petit_roque_blanc) != 0
                                   : (e->grand_roque_noir | e->petit_roque_noir) != 0;
    if (droits) {
        Tcoups roques;
        roques.debut = roques.fin = MOITIE_COUPS;
        roque_rapide(e, depart, code, &roques);
        for (int i = roques.debut; i < roques.fin; i++) {
            n += joue_et_compte(e, c, depart, roques.tampon[i].arrivee);
        }
    }
    const Tcibles& voisins = TABLES.voisins[depart];
    for (int k = 0; k < voisins.n; k++) {
        const int arrivee = voisins.cases[k];
        if (e->cases[arrivee] * code > 0) continue;
        n += !case_attaquee_sauf(e, arrivee, -c, depart);
    }
    return n;
}

}  // namespace

int compte_coups_legaux(const Techiquier* e, couleur c) {
    Tsurete surete;
    analyse_surete(e, c, &surete);
    if (!surete.sure) return compte_en_jouant(e, c);

    // The board as sets of squares: empty ones, the side's own, and its own by kind.
    const int32_t* cases = e->cases;
    Tbits vides = 0, propres = 0;
    for (int index = 0; index < 64; index++) {
        vides |= Tbits{cases[index] == VIDE} << index;
        propres |= Tbits{cases[index] * c > 0} << index;
    }
    Tbits par_type[7] = {};
    for (Tbits b = propres; b != 0; b &= b - 1) {
        const int index = std::countr_zero(b);
        par_type[valeur_absolue(cases[index])] |= bit(index);
    }
    const auto de = [&](int32_t type) { return par_type[type]; };
    const Tbits adverses = ~(propres | vides);
    const Tbits occupees = ~vides;
    // The generator visits a side's pieces only up to its count: with fewer counted than
    // stand on the board, play every move.
    const int32_t a_voir = c == BLANC ? e->nb_pieces_blanches : e->nb_pieces_noires;
    if (std::popcount(propres) > a_voir) return compte_en_jouant(e, c);

    // Pawns that are not pinned, all at once: pushes, double pushes from the starting row,
    // captures toward the lower and the higher column.
    const Tbits pions = de(PION) & ~surete.cloues;
    Tbits un, deux, prises;
    if (c == BLANC) {
        un = (pions << 8) & vides;
        deux = ((un & LIGNE_2) << 8) & vides;
        prises = ((pions & ~COLONNE_A) << 7) & adverses;
    } else {
        un = (pions >> 8) & vides;
        deux = ((un & LIGNE_5) >> 8) & vides;
        prises = ((pions & ~COLONNE_A) >> 9) & adverses;
    }
    const Tbits prises_hautes = c == BLANC ? ((pions & ~COLONNE_H) << 9) & adverses
                                           : ((pions & ~COLONNE_H) >> 7) & adverses;
    int legaux = std::popcount(un) + std::popcount(deux) + std::popcount(prises) +
                 std::popcount(prises_hautes);
    for (Tbits b = de(PION) & surete.cloues; b != 0; b &= b - 1) {
        legaux += compte_pion_cloue(e, surete, std::countr_zero(b), PION * c);
    }
    legaux += compte_en_passant(e, c);

    // Knights (none of a pinned one) and sliders (a pinned one keeps to its line).
    for (Tbits b = de(CAVALIER) & ~surete.cloues; b != 0; b &= b - 1) {
        legaux += std::popcount(MASQUES.sauts[std::countr_zero(b)] & ~propres);
    }
    const auto compte_glisseurs = [&](Tbits b, int premier, int dernier) {
        for (; b != 0; b &= b - 1) {
            const int depart = std::countr_zero(b);
            Tbits cibles = attaques_rayons(depart, occupees, premier, dernier) & ~propres;
            if (surete.cloues & bit(depart)) cibles &= MASQUES.ligne_par[surete.roi][depart];
            legaux += std::popcount(cibles);
        }
    };
    compte_glisseurs(de(FOU), 0, PREMIER_RAYON_TOUR);
    compte_glisseurs(de(TOUR), PREMIER_RAYON_TOUR, 8);
    compte_glisseurs(de(DAME), 0, 8);

    for (Tbits b = de(ROI); b != 0; b &= b - 1) {
        legaux += compte_roi(e, std::countr_zero(b), ROI * c);
    }
    return legaux;
}
