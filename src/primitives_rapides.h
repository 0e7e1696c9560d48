// SPDX-License-Identifier: GPL-3.0-or-later
// Move generation and check detection for the search's inner loops: the same moves in the
// same order as `generateur`, the same answers as `echec`, with move buffers on the stack,
// the board's squares as sets kept from a position to the next, and precomputed move and
// ray tables instead of heap lists and whole opponent lists.
#ifndef QUORVIK_PRIMITIVES_RAPIDES_H
#define QUORVIK_PRIMITIVES_RAPIDES_H

#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "primitives.h"

// A set of squares, bit i for the square of index i.
using Tbits = uint64_t;

// A copy of the record, made for every move the search plays. Compilers copy 316 bytes
// with a block instruction that is slow to start; sixteen-byte moves written out one by
// one (a loop would be turned back into that instruction) take a tenth of the search's
// time less.
#if defined(__SSE2__)
template <size_t... Blocs>
inline void copie_par_blocs(char* vers, const char* depuis, std::index_sequence<Blocs...>) {
    (_mm_storeu_si128(reinterpret_cast<__m128i*>(vers + 16 * Blocs),
                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(depuis + 16 * Blocs))),
     ...);
}
#endif

inline void copie_rapide(Techiquier* destination, const Techiquier* source) {
#if defined(__SSE2__)
    constexpr size_t BLOCS = sizeof(Techiquier) / 16;
    auto* vers = reinterpret_cast<char*>(destination);
    const auto* depuis = reinterpret_cast<const char*>(source);
    copie_par_blocs(vers, depuis, std::make_index_sequence<BLOCS>{});
    std::memcpy(vers + 16 * BLOCS, depuis + 16 * BLOCS, sizeof(Techiquier) - 16 * BLOCS);
#else
    *destination = *source;
#endif
}

// A move as two square indexes (ligne * 8 + colonne).
struct Tdeplacement {
    uint8_t depart;
    uint8_t arrivee;
};

inline Tcoup vers_Tcoup(Tdeplacement d) {
    return fait_coup(d.depart / 8, d.depart % 8, d.arrivee / 8, d.arrivee % 8);
}

// The pseudo-legal moves of one side in generator order. Captures are pushed in front of
// the middle (last found first) and the other moves after it (first found first), so the
// list is the run tampon[debut .. fin).
constexpr int MOITIE_COUPS = 384;  // far above the moves any side can have
struct Tcoups {
    int debut;
    int fin;
    Tdeplacement tampon[2 * MOITIE_COUPS];
};

void genere_coups(const Techiquier* echiquier, couleur c, Tcoups* coups);

// The squares of each side, and the sliders of both sides by the lines they move along.
struct Tcamps {
    Tbits blancs;
    Tbits noirs;
    Tbits diagonaux;  // bishops and queens
    Tbits droits;     // rooks and queens
    Tbits pions;
};
Tcamps camps(const Techiquier* echiquier);

// ---- The sets kept from a position to the next (inline: the search does it for every
// child it plays) ----

// Which sets a piece code belongs to, one bit per set in the order of Tcamps, by the low
// four bits of the code (a square holds -6..6, so no two codes share them).
constexpr uint8_t appartenance_calculee(int32_t code) {
    const int32_t type = valeur_absolue(code);
    return static_cast<uint8_t>((code > 0 ? 1 : 0) | (code < 0 ? 2 : 0) |
                                (type == FOU || type == DAME ? 4 : 0) |
                                (type == TOUR || type == DAME ? 8 : 0) | (type == PION ? 16 : 0));
}

inline constexpr auto APPARTENANCE = [] {
    std::array<uint8_t, 16> table{};
    for (int32_t code = -8; code < 8; code++) table[code & 15] = appartenance_calculee(code);
    return table;
}();

// Takes the squares out of every set.
inline void vide_cases(Tcamps* ensembles, Tbits cases) {
    ensembles->blancs &= ~cases;
    ensembles->noirs &= ~cases;
    ensembles->diagonaux &= ~cases;
    ensembles->droits &= ~cases;
    ensembles->pions &= ~cases;
}

// Puts an empty square in the sets of the code now on it.
inline void pose_code(Tcamps* ensembles, int32_t code, int index) {
    const uint8_t dans = APPARTENANCE[code & 15];
    const auto si = [index, dans](int rang) { return Tbits{(dans >> rang) & 1u} << index; };
    ensembles->blancs |= si(0);
    ensembles->noirs |= si(1);
    ensembles->diagonaux |= si(2);
    ensembles->droits |= si(3);
    ensembles->pions |= si(4);
}

// Puts the square in the sets of the code now on it, and takes it out of the others.
inline void revoit_case(Tcamps* ensembles, int32_t code, int index) {
    vide_cases(ensembles, Tbits{1} << index);
    pose_code(ensembles, code, index);
}

// The sets after a move, from the sets before it and the board after it: only the squares
// a move can change are looked at (its own two, a pawn taken en passant, a castling rook's).
inline Tcamps camps_apres(const Tcamps& avant, const Techiquier* echiquier, Tdeplacement coup,
                          const Techiquier* apres) {
    Tcamps ensembles = avant;
    vide_cases(&ensembles, (Tbits{1} << coup.depart) | (Tbits{1} << coup.arrivee));
    pose_code(&ensembles, apres->cases[coup.arrivee], coup.arrivee);
    const int32_t code = echiquier->cases[coup.depart];
    const int colonne_depart = coup.depart % 8, colonne_arrivee = coup.arrivee % 8;
    if (valeur_absolue(code) == PION && colonne_depart != colonne_arrivee) {
        const int ligne_prise = coup.arrivee / 8 - signe(code);
        if (ligne_prise >= 0 && ligne_prise < 8) {
            const int index = index_case(ligne_prise, colonne_arrivee);
            revoit_case(&ensembles, apres->cases[index], index);
        }
    }
    if (valeur_absolue(code) == ROI && colonne_depart == 4 &&
        (colonne_arrivee == 2 || colonne_arrivee == 6)) {
        const int base = coup.depart - 4;
        for (int colonne : {0, 3, 5, 7}) {
            revoit_case(&ensembles, apres->cases[base + colonne], base + colonne);
        }
    }
    return ensembles;
}

// The same moves in the same order, handed out one at a time, with no more work than the
// moves handed out need: most searches end on the first capture. The captures stand in
// the reverse of their finding order, so they are found piece by piece from the last piece
// of the scan backward; the other moves, once every capture is out, piece by piece from
// the first piece on.
struct Tcoups_par_etapes {
    Tbits adverses;
    Tbits occupees;
    Tbits visitees;             // the side's pieces the generator's scan visits
    Tbits a_revoir;             // pieces whose captures have not been looked at yet
    Tbits calmes_a_voir;        // pieces whose other moves have not been found yet
    int n_prises;               // captures of the piece last looked at, still to hand out
    Tdeplacement prises[16];    // in its finding order, handed out from the end
    Tcoups coups;               // the other moves found, from the middle on
    int suivant;                // the next of them to hand out
};
void commence_coups(const Techiquier* echiquier, couleur c, const Tcamps& ensembles,
                    Tcoups_par_etapes* etapes);
// The same walk in its two parts: the captures (false once they are all out), then the
// other moves.
bool cherche_prises(const Techiquier* echiquier, couleur c, Tcoups_par_etapes* etapes);
inline bool prise_suivante(const Techiquier* echiquier, couleur c, Tcoups_par_etapes* etapes,
                           Tdeplacement* coup) {
    // The captures of one piece are found at a time (cherche_prises looks at the pieces
    // from the last of the scan backward until one has some).
    if (etapes->n_prises == 0 && !cherche_prises(echiquier, c, etapes)) return false;
    *coup = etapes->prises[--etapes->n_prises];
    return true;
}
bool cherche_calmes(const Techiquier* echiquier, couleur c, Tcoups_par_etapes* etapes);
inline bool calme_suivant(const Techiquier* echiquier, couleur c, Tcoups_par_etapes* etapes,
                          Tdeplacement* coup) {
    // The other moves stand in their finding order: cherche_calmes finds those of the next
    // piece of the scan, from the first on, when the ones found are all out.
    if (etapes->suivant == etapes->coups.fin && !cherche_calmes(echiquier, c, etapes)) {
        return false;
    }
    *coup = etapes->coups.tampon[etapes->suivant++];
    return true;
}

// Both parts one after the other; false once every move has been handed out.
inline bool coup_suivant(const Techiquier* echiquier, couleur c, Tcoups_par_etapes* etapes,
                         Tdeplacement* coup) {
    return prise_suivante(echiquier, c, etapes, coup) || calme_suivant(echiquier, c, etapes, coup);
}

// Same answer as `echec`, by looking outward from the king's square.
int echec_rapide(const Techiquier* echiquier, couleur c);
// The same with the board's sets already known.
int echec_apres(const Techiquier* echiquier, couleur c, const Tcamps& ensembles);

// What one position says about the safety of its side's king: whether it stands in check
// and which of its pieces are pinned (and along which line).
struct Tsurete {
    bool en_echec;
    bool sure;  // false: no usable king square or the king is in check; test every move
    int roi;
    uint64_t cloues;     // the pinned squares, one bit each
    int8_t clouage[64];  // for a pinned square only: the index + 1 of the pin's direction
};

void analyse_surete(const Techiquier* echiquier, couleur c, const Tcamps& ensembles,
                    Tsurete* surete);

// Whether the move certainly leaves the king safe, known without playing it. False means
// "play it and ask echec_rapide" (or echec_apres).
bool sans_danger(const Techiquier* echiquier, const Tsurete* surete, Tdeplacement coup);

// Whether the move is a step of the king from its stored square, castling aside: whether
// it leaves the king safe is then known from the attacks on its destination.
bool est_pas_du_roi(const Techiquier* echiquier, const Tsurete* surete, Tdeplacement coup);
// For such a step: whether the king is safe on its destination, the square it leaves no
// longer shielding what stood behind it. The same answer as playing the step and asking
// echec_rapide.
bool pas_du_roi_sur(const Techiquier* echiquier, couleur c, const Tcamps& ensembles,
                    Tdeplacement coup);

// The number of moves after which the mover's king is not attacked.
int compte_coups_legaux(const Techiquier* echiquier, couleur c);
// The same count from the sets and the king's safety of the position, already known.
int compte_coups_legaux_connus(const Techiquier* echiquier, couleur c, const Tcamps& ensembles,
                               const Tsurete& surete);

#endif
