// SPDX-License-Identifier: GPL-3.0-or-later
#include "primitives_rapides.h"

#include <array>
#include <bit>
#include <initializer_list>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
constexpr Tbits bit(int index) { return Tbits{1} << index; }

struct Tmasques {
    Tbits sauts[64];
    Tbits voisins[64];
    Tbits rayons[8][64];
    Tbits diagonales[64];     // the four bishop rays together
    Tbits droites[64];        // the four rook rays together
    Tbits ligne_par[64][64];  // the whole line through two aligned squares, else 0
    int8_t direction[64][64];  // the ray from the first square that holds the second, or -1
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
        m.voisins[index] = en_bits(TABLES.voisins[index]);
        for (int dir = 0; dir < 8; dir++) m.rayons[dir][index] = en_bits(TABLES.rayons[index][dir]);
    }
    for (int index = 0; index < 64; index++) {
        for (int vers = 0; vers < 64; vers++) m.direction[index][vers] = -1;
        for (int dir = 0; dir < 8; dir++) {
            const Tcibles& rayon = TABLES.rayons[index][dir];
            for (int k = 0; k < rayon.n; k++) {
                m.direction[index][rayon.cases[k]] = static_cast<int8_t>(dir);
            }
            (dir < PREMIER_RAYON_TOUR ? m.diagonales : m.droites)[index] |= m.rayons[dir][index];
        }
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

// The square of `sur_le_rayon` (squares of one ray) nearest to the ray's start.
inline int plus_proche(Tbits sur_le_rayon, int dir) {
    return VERS_LE_HAUT[dir] ? std::countr_zero(sur_le_rayon) : 63 - std::countl_zero(sur_le_rayon);
}

inline Tbits attaques_rayons(int index, Tbits occupees, int premier, int dernier) {
    Tbits attaques = 0;
    for (int dir = premier; dir < dernier; dir++) {
        Tbits rayon = MASQUES.rayons[dir][index];
        const Tbits bloqueurs = rayon & occupees;
        if (bloqueurs != 0) rayon ^= MASQUES.rayons[dir][plus_proche(bloqueurs, dir)];
        attaques |= rayon;
    }
    return attaques;
}

constexpr Tbits COLONNE_A = 0x0101010101010101ull;
constexpr Tbits COLONNE_H = COLONNE_A << 7;
constexpr Tbits LIGNE_2 = 0xFFull << 16;  // where a white pawn stands after one step from row 1
constexpr Tbits LIGNE_5 = 0xFFull << 40;  // where a black pawn stands after one step from row 6

// ---- Filling the list ----

// Which part of the list a generation fills: the moves other than captures (appended at
// the tail), or all of them (captures, en passant included, pushed at the head).
enum class Tpart { calmes, toutes };

inline Tdeplacement deplacement(int depart, int arrivee) {
    return {static_cast<uint8_t>(depart), static_cast<uint8_t>(arrivee)};
}

template <Tpart P>
inline void en_tete(Tcoups* coups, int depart, int arrivee) {
    if constexpr (P != Tpart::calmes) coups->tampon[--coups->debut] = deplacement(depart, arrivee);
}

template <Tpart P>
inline void en_queue(Tcoups* coups, int depart, int arrivee) {
    coups->tampon[coups->fin++] = deplacement(depart, arrivee);
}

// The square where the pawn on `depart` takes en passant, or -1: beside the pawn that has
// just advanced two squares, on the row where such a pawn lands.
inline int prise_en_passant_vers_la_case(const Techiquier* e, int depart, int32_t code) {
    const int ligne = depart / 8, colonne = depart % 8;
    const int d = code > 0 ? 1 : -1;
    if (e->ep_ligne < 0 || (colonne != e->ep_colonne - 1 && colonne != e->ep_colonne + 1) ||
        ligne != (d == 1 ? 4 : 3)) {
        return -1;
    }
    return index_case(ligne + d, e->ep_colonne);
}

// Knight and king: empty squares to the tail, opposing pieces to the head.
template <Tpart P>
inline void coups_sauteur(const int32_t* cases, int depart, int32_t code, const Tcibles& cibles,
                          Tcoups* coups) {
    for (int k = 0; k < cibles.n; k++) {
        const int arrivee = cibles.cases[k];
        const int32_t cible = cases[arrivee];
        if (cible == VIDE) {
            en_queue<P>(coups, depart, arrivee);
        } else if (cible * code < 0) {
            en_tete<P>(coups, depart, arrivee);
        }
    }
}

template <Tpart P>
inline void coups_glisseur(const int32_t* cases, int depart, int32_t code, int premier,
                           int dernier, Tcoups* coups) {
    for (int dir = premier; dir < dernier; dir++) {
        const Tcibles& rayon = TABLES.rayons[depart][dir];
        for (int k = 0; k < rayon.n; k++) {
            const int arrivee = rayon.cases[k];
            const int32_t cible = cases[arrivee];
            if (cible == VIDE) {
                en_queue<P>(coups, depart, arrivee);
                continue;
            }
            if (cible * code < 0) en_tete<P>(coups, depart, arrivee);
            break;
        }
    }
}

template <Tpart P>
void coups_pion_rapide(const Techiquier* e, int depart, int32_t code, Tcoups* coups) {
    const int32_t* cases = e->cases;
    const int ligne = depart / 8, colonne = depart % 8;
    const int d = code > 0 ? 1 : -1;
    // Pushes: one square, two from the starting row.
    if (sur_echiquier(ligne + d, colonne) && cases[depart + 8 * d] == VIDE) {
        en_queue<P>(coups, depart, depart + 8 * d);
        const int ligne_depart = d == 1 ? 1 : 6;
        if (ligne == ligne_depart && cases[depart + 16 * d] == VIDE) {
            en_queue<P>(coups, depart, depart + 16 * d);
        }
    }
    if constexpr (P == Tpart::calmes) return;
    // Captures, toward the lower column first; only while the pawn can still step forward.
    const bool peut_avancer = d == 1 ? ligne < 7 : ligne > 0;
    if (peut_avancer) {
        if (colonne > 0 && cases[depart + 8 * d - 1] * code < 0) {
            en_tete<P>(coups, depart, depart + 8 * d - 1);
        }
        if (colonne < 7 && cases[depart + 8 * d + 1] * code < 0) {
            en_tete<P>(coups, depart, depart + 8 * d + 1);
        }
    }
    const int en_passant = prise_en_passant_vers_la_case(e, depart, code);
    if (en_passant >= 0) en_tete<P>(coups, depart, en_passant);
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
        en_queue<Tpart::toutes>(coups, depart, coin + 2);
    }
    if (petit != 0 && cases[coin + 7] == TOUR * c && cases[coin + 5] == VIDE &&
        cases[coin + 6] == VIDE) {
        en_queue<Tpart::toutes>(coups, depart, coin + 6);
    }
}

// The side's pieces that the generator's scan visits: all of them, unless a count below
// their number stops it early (the loop below is the scan's own).
Tbits pieces_visitees(const Techiquier* e, couleur c, Tbits propres) {
    const int32_t a_voir = c == BLANC ? e->nb_pieces_blanches : e->nb_pieces_noires;
    if (std::popcount(propres) <= a_voir) return propres;
    Tbits visitees = 0;
    int32_t vues = 0;
    for (int i = 0; i < 8; i++) {
        const int ligne = c == BLANC ? i : 7 - i;
        for (int colonne = 0; colonne < 8; colonne++) {
            const int depart = index_case(ligne, colonne);
            if (propres & bit(depart)) {
                visitees |= bit(depart);
                vues++;
            }
            if (vues == a_voir) return visitees;
        }
    }
    return visitees;
}

// The moves of part P of the piece on `depart`, in its generator's order.
template <Tpart P>
void coups_de_la_piece(const Techiquier* e, int depart, Tcoups* coups) {
    const int32_t* cases = e->cases;
    const int32_t code = cases[depart];
    switch (valeur_absolue(code)) {
        case PION:
            coups_pion_rapide<P>(e, depart, code, coups);
            break;
        case ROI:
            roque_rapide(e, depart, code, coups);
            coups_sauteur<P>(cases, depart, code, TABLES.voisins[depart], coups);
            break;
        case CAVALIER:
            coups_sauteur<P>(cases, depart, code, TABLES.sauts[depart], coups);
            break;
        case FOU:
            coups_glisseur<P>(cases, depart, code, 0, PREMIER_RAYON_TOUR, coups);
            break;
        case TOUR:
            coups_glisseur<P>(cases, depart, code, PREMIER_RAYON_TOUR, 8, coups);
            break;
        case DAME:
            coups_glisseur<P>(cases, depart, code, 0, 8, coups);
            break;
        default:
            break;
    }
}

// The first piece of the scan among `pieces`: white's scan goes up the square indexes,
// black's goes down the rows and along each row from column 0.
int premiere_piece(Tbits pieces, couleur c) {
    if (c == BLANC) return std::countr_zero(pieces);
    const int ligne = 7 - std::countl_zero(pieces) / 8;
    return index_case(ligne, std::countr_zero(pieces >> (8 * ligne)));
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
    const Tcamps ensembles = camps(e);
    coups->debut = MOITIE_COUPS;
    coups->fin = MOITIE_COUPS;
    // The generator's scan over the pieces it visits, in its order.
    for (Tbits a_voir = pieces_visitees(e, c, c == BLANC ? ensembles.blancs : ensembles.noirs);
         a_voir != 0;) {
        const int depart = premiere_piece(a_voir, c);
        a_voir &= ~bit(depart);
        coups_de_la_piece<Tpart::toutes>(e, depart, coups);
    }
}

Tcamps camps(const Techiquier* e) {
    Tcamps resultat{0, 0, 0, 0, 0};
#if defined(__SSE2__)
    // Sixteen squares at a time: the codes narrowed to bytes (saturation keeps their sign
    // and leaves no code out of range equal to a piece's), then one bit per square.
    const __m128i zero = _mm_setzero_si128();
    const auto egal = [](__m128i v, int code) {
        return _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(code)));
    };
    for (int i = 0; i < 64; i += 16) {
        const auto* q = reinterpret_cast<const __m128i*>(e->cases + i);
        const __m128i codes =
            _mm_packs_epi16(_mm_packs_epi32(_mm_loadu_si128(q), _mm_loadu_si128(q + 1)),
                            _mm_packs_epi32(_mm_loadu_si128(q + 2), _mm_loadu_si128(q + 3)));
        const __m128i negatifs = _mm_cmpgt_epi8(zero, codes);
        // A kind, of either side.
        const auto type = [&](int32_t t) { return _mm_or_si128(egal(codes, t), egal(codes, -t)); };
        const __m128i dames = type(DAME);
        const auto ensemble = [](__m128i masque) {
            return Tbits{static_cast<uint16_t>(_mm_movemask_epi8(masque))};
        };
        resultat.blancs |= ensemble(_mm_cmpgt_epi8(codes, zero)) << i;
        resultat.noirs |= ensemble(negatifs) << i;
        resultat.diagonaux |= ensemble(_mm_or_si128(type(FOU), dames)) << i;
        resultat.droits |= ensemble(_mm_or_si128(type(TOUR), dames)) << i;
        resultat.pions |= ensemble(type(PION)) << i;
    }
#else
    for (int i = 0; i < 64; i++) {
        const int32_t type = valeur_absolue(e->cases[i]);
        resultat.blancs |= Tbits{e->cases[i] > 0} << i;
        resultat.noirs |= Tbits{e->cases[i] < 0} << i;
        resultat.diagonaux |= Tbits{type == FOU || type == DAME} << i;
        resultat.droits |= Tbits{type == TOUR || type == DAME} << i;
        resultat.pions |= Tbits{type == PION} << i;
    }
#endif
    return resultat;
}

namespace {

void ajoute_prise(Tcoups_par_etapes* etapes, int depart, int arrivee) {
    etapes->prises[etapes->n_prises++] = deplacement(depart, arrivee);
}

// The captures of one piece, in the order in which the generator finds them.
void prises_de_la_piece(const Techiquier* e, int depart, Tcoups_par_etapes* etapes) {
    const int32_t code = e->cases[depart];
    const Tbits adverses = etapes->adverses;
    const auto sauts = [&](const Tcibles& cibles, Tbits masque) {
        const Tbits prises = masque & adverses;
        if (prises == 0) return;
        // One capture needs no order.
        if ((prises & (prises - 1)) == 0) {
            ajoute_prise(etapes, depart, std::countr_zero(prises));
            return;
        }
        for (int k = 0; k < cibles.n; k++) {
            if (adverses & bit(cibles.cases[k])) ajoute_prise(etapes, depart, cibles.cases[k]);
        }
    };
    const auto rayons = [&](int premier, int dernier) {
        for (int dir = premier; dir < dernier; dir++) {
            const Tbits bloqueurs = MASQUES.rayons[dir][depart] & etapes->occupees;
            if (bloqueurs == 0) continue;
            const int premier_bloqueur = plus_proche(bloqueurs, dir);
            if (adverses & bit(premier_bloqueur)) ajoute_prise(etapes, depart, premier_bloqueur);
        }
    };
    switch (valeur_absolue(code)) {
        case PION: {
            const int ligne = depart / 8, colonne = depart % 8;
            const int d = code > 0 ? 1 : -1;
            if (d == 1 ? ligne < 7 : ligne > 0) {
                if (colonne > 0 && (adverses & bit(depart + 8 * d - 1))) {
                    ajoute_prise(etapes, depart, depart + 8 * d - 1);
                }
                if (colonne < 7 && (adverses & bit(depart + 8 * d + 1))) {
                    ajoute_prise(etapes, depart, depart + 8 * d + 1);
                }
            }
            const int en_passant = prise_en_passant_vers_la_case(e, depart, code);
            if (en_passant >= 0) ajoute_prise(etapes, depart, en_passant);
            break;
        }
        case ROI:
            sauts(TABLES.voisins[depart], MASQUES.voisins[depart]);
            break;
        case CAVALIER:
            sauts(TABLES.sauts[depart], MASQUES.sauts[depart]);
            break;
        case FOU:
            if (MASQUES.diagonales[depart] & adverses) rayons(0, PREMIER_RAYON_TOUR);
            break;
        case TOUR:
            if (MASQUES.droites[depart] & adverses) rayons(PREMIER_RAYON_TOUR, 8);
            break;
        case DAME:
            if ((MASQUES.diagonales[depart] | MASQUES.droites[depart]) & adverses) rayons(0, 8);
            break;
        default:
            break;
    }
}

// The last piece of the scan among `pieces`: white's scan goes up the square indexes,
// black's goes down the rows and along each row from column 0.
int derniere_piece(Tbits pieces, couleur c) {
    if (c == BLANC) return 63 - std::countl_zero(pieces);
    const int ligne = std::countr_zero(pieces) / 8;
    return 63 - std::countl_zero(pieces & (Tbits{0xFF} << (8 * ligne)));
}

// The side's pawns that have nothing to capture, en passant included: the walk over the
// pieces skips them.
Tbits pions_sans_prise(const Techiquier* e, couleur c, Tbits pions, Tbits adverses) {
    // The squares from which a pawn of side c would capture an opposing piece.
    const Tbits depuis_gauche =
        c == BLANC ? (adverses & ~COLONNE_A) >> 9 : (adverses & ~COLONNE_A) << 7;
    const Tbits depuis_droite =
        c == BLANC ? (adverses & ~COLONNE_H) >> 7 : (adverses & ~COLONNE_H) << 9;
    Tbits sans_prise = pions & ~(depuis_gauche | depuis_droite);
    if (e->ep_ligne >= 0) sans_prise &= ~(Tbits{0xFF} << (8 * (c == BLANC ? 4 : 3)));
    return sans_prise;
}

}  // namespace

bool cherche_prises(const Techiquier* e, couleur c, Tcoups_par_etapes* etapes) {
    while (etapes->a_revoir != 0) {
        const int depart = derniere_piece(etapes->a_revoir, c);
        etapes->a_revoir &= ~bit(depart);
        prises_de_la_piece(e, depart, etapes);
        if (etapes->n_prises > 0) return true;
    }
    return false;
}

void commence_coups(const Techiquier* e, couleur c, const Tcamps& ensembles,
                    Tcoups_par_etapes* etapes) {
    const Tbits propres = c == BLANC ? ensembles.blancs : ensembles.noirs;
    etapes->adverses = c == BLANC ? ensembles.noirs : ensembles.blancs;
    etapes->occupees = ensembles.blancs | ensembles.noirs;
    etapes->visitees = pieces_visitees(e, c, propres);
    etapes->a_revoir =
        etapes->visitees & ~pions_sans_prise(e, c, ensembles.pions & propres, etapes->adverses);
    etapes->calmes_a_voir = etapes->visitees;
    etapes->n_prises = 0;
    etapes->coups.debut = etapes->coups.fin = MOITIE_COUPS;
    etapes->suivant = MOITIE_COUPS;
}

bool cherche_calmes(const Techiquier* e, couleur c, Tcoups_par_etapes* etapes) {
    while (etapes->calmes_a_voir != 0) {
        const int depart = premiere_piece(etapes->calmes_a_voir, c);
        etapes->calmes_a_voir &= ~bit(depart);
        coups_de_la_piece<Tpart::calmes>(e, depart, &etapes->coups);
        if (etapes->suivant < etapes->coups.fin) return true;
    }
    return false;
}


namespace {

// Pawns, knights and the king of side `par` that attack the square; knights and king are
// looked for only among `candidates`, a set that holds every piece of that side.
inline bool attaque_de_pres(const int32_t* cases, int index, couleur par, Tbits candidates) {
    const int ligne = index / 8, colonne = index % 8;
    // Pawns capture toward the square from one row behind it (seen from `par`).
    const int ligne_pion = ligne - par;
    if (ligne_pion >= 0 && ligne_pion < 8) {
        const int32_t pion = PION * par;
        if (colonne > 0 && cases[index_case(ligne_pion, colonne - 1)] == pion) return true;
        if (colonne < 7 && cases[index_case(ligne_pion, colonne + 1)] == pion) return true;
    }
    for (Tbits b = MASQUES.sauts[index] & candidates; b != 0; b &= b - 1) {
        if (cases[std::countr_zero(b)] == CAVALIER * par) return true;
    }
    for (Tbits b = MASQUES.voisins[index] & candidates; b != 0; b &= b - 1) {
        if (cases[std::countr_zero(b)] == ROI * par) return true;
    }
    return false;
}

// Whether side `par` attacks the square, only the squares of `occupees` blocking its lines
// (a king stepping away no longer shields what stood behind it).
bool attaquee(const Techiquier* e, const Tcamps& ensembles, int index, couleur par,
              Tbits occupees) {
    const Tbits pieces_de_par = par == BLANC ? ensembles.blancs : ensembles.noirs;
    if (attaque_de_pres(e->cases, index, par, pieces_de_par)) return true;
    // A slider of the right kind on one of the square's lines attacks it when it is the
    // first piece along that line.
    const Tbits menaces = ((MASQUES.diagonales[index] & ensembles.diagonaux) |
                           (MASQUES.droites[index] & ensembles.droits)) &
                          pieces_de_par;
    for (Tbits b = menaces; b != 0; b &= b - 1) {
        const int glisseur = std::countr_zero(b);
        const int dir = MASQUES.direction[index][glisseur];
        if (plus_proche(MASQUES.rayons[dir][index] & occupees, dir) == glisseur) return true;
    }
    return false;
}

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

int echec_rapide(const Techiquier* e, couleur c) { return echec_apres(e, c, camps(e)); }

int echec_apres(const Techiquier* e, couleur c, const Tcamps& ensembles) {
    const int roi = case_du_roi(e, c);
    if (roi < 0) return echec_sans_roi(e, c);
    return attaquee(e, ensembles, roi, -c, ensembles.blancs | ensembles.noirs) ||
           prise_en_passant_vers(e, roi, -c);
}

void analyse_surete(const Techiquier* e, couleur c, const Tcamps& ensembles, Tsurete* surete) {
    surete->cloues = 0;
    surete->roi = case_du_roi(e, c);
    if (surete->roi < 0) {
        surete->en_echec = echec_rapide(e, c) != 0;
        surete->sure = false;
        return;
    }
    const int32_t* cases = e->cases;
    const int roi = surete->roi;
    const Tbits adverses = c == BLANC ? ensembles.noirs : ensembles.blancs;
    const Tbits occupees = ensembles.blancs | ensembles.noirs;
    bool attaque = attaque_de_pres(cases, roi, -c, adverses) || prise_en_passant_vers(e, roi, -c);
    // Along the line from the king to each opposing slider that stands on one of its lines
    // (seldom more than two): such a slider first gives check; one own piece and then the
    // slider pins that piece.
    const Tbits menaces = ((MASQUES.diagonales[roi] & ensembles.diagonaux) |
                           (MASQUES.droites[roi] & ensembles.droits)) & adverses;
    for (Tbits b = menaces; b != 0; b &= b - 1) {
        const int dir = MASQUES.direction[roi][std::countr_zero(b)];
        const int32_t glisseur = dir < PREMIER_RAYON_TOUR ? -FOU * c : -TOUR * c;
        const Tbits sur_la_ligne = MASQUES.rayons[dir][roi] & occupees;
        const int premiere = plus_proche(sur_la_ligne, dir);
        if (adverses & bit(premiere)) {
            attaque = attaque || cases[premiere] == glisseur || cases[premiere] == -DAME * c;
            continue;
        }
        const Tbits derriere = sur_la_ligne & ~bit(premiere);
        if (derriere == 0) continue;
        const int seconde = plus_proche(derriere, dir);
        if (cases[seconde] == glisseur || cases[seconde] == -DAME * c) {
            surete->clouage[premiere] = static_cast<int8_t>(dir + 1);
            surete->cloues |= bit(premiere);
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
    if ((surete->cloues & bit(coup.depart)) == 0) return true;
    return sur_la_ligne(surete->roi, surete->clouage[coup.depart] - 1, coup.arrivee);
}

bool est_pas_du_roi(const Techiquier* e, const Tsurete* surete, Tdeplacement coup) {
    if (coup.depart != surete->roi || valeur_absolue(e->cases[coup.depart]) != ROI) return false;
    return valeur_absolue(coup.arrivee % 8 - coup.depart % 8) <= 1;
}

bool pas_du_roi_sur(const Techiquier* e, couleur c, const Tcamps& ensembles, Tdeplacement coup) {
    const Tbits occupees = (ensembles.blancs | ensembles.noirs) & ~bit(coup.depart);
    return !attaquee(e, ensembles, coup.arrivee, -c, occupees);
}

namespace {

// Counting by playing every move: for a king in check, or no king where the record says.
int compte_en_jouant(const Techiquier* e, couleur c) {
    Tcoups coups;
    genere_coups(e, c, &coups);
    int legaux = 0;
    for (int i = coups.debut; i < coups.fin; i++) {
        Techiquier copie;
        copie_rapide(&copie, e);
        execute_coup(&copie, vers_Tcoup(coups.tampon[i]));
        if (!echec_rapide(&copie, c)) legaux++;
    }
    return legaux;
}

int joue_et_compte(const Techiquier* e, couleur c, int depart, int arrivee) {
    Techiquier copie;
    copie_rapide(&copie, e);
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

int compte_roi(const Techiquier* e, const Tcamps& ensembles, int depart, int32_t code) {
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
        n += pas_du_roi_sur(e, c, ensembles, deplacement(depart, arrivee));
    }
    return n;
}

}  // namespace

int compte_coups_legaux(const Techiquier* e, couleur c) {
    const Tcamps ensembles = camps(e);
    Tsurete surete;
    analyse_surete(e, c, ensembles, &surete);
    return compte_coups_legaux_connus(e, c, ensembles, surete);
}

int compte_coups_legaux_connus(const Techiquier* e, couleur c, const Tcamps& ensembles,
                               const Tsurete& surete) {
    if (!surete.sure) return compte_en_jouant(e, c);

    // The board as sets of squares: empty ones, the side's own, and its own by kind.
    const int32_t* cases = e->cases;
    const Tbits vides = ~(ensembles.blancs | ensembles.noirs);
    const Tbits propres = c == BLANC ? ensembles.blancs : ensembles.noirs;
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
        legaux += compte_roi(e, ensembles, std::countr_zero(b), ROI * c);
    }
    return legaux;
}
