// SPDX-License-Identifier: GPL-3.0-or-later
// Per-piece move generators, en passant and castling, the castling rook move and en
// passant removal used by move execution, check detection and the legality filter.
#ifndef QUORVIK_PRIMITIVES_PIECES_H
#define QUORVIK_PRIMITIVES_PIECES_H

#include "primitives.h"

// Offsets (rows, columns) in the order in which each piece tries them; that order is the
// order of the move list.
struct Tdecalage {
    int ligne;
    int colonne;
};
inline constexpr Tdecalage SAUTS_CAVALIER[8] = {{2, 1},  {2, -1}, {-2, -1}, {-2, 1},
                                                {1, 2},  {-1, 2}, {-1, -2}, {1, -2}};
inline constexpr Tdecalage PAS_ROI[8] = {{1, -1}, {1, 1},   {1, 0},  {0, -1},
                                         {0, 1},  {-1, -1}, {-1, 0}, {-1, 1}};
inline constexpr Tdecalage RAYONS_FOU[4] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
inline constexpr Tdecalage RAYONS_TOUR[4] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

// Pushes the move at the head when its destination is occupied, else appends it.
void inserer_dans_liste(const Techiquier* echiquier, Tcoup coup, Tliste* liste);

void coups_pion(const Techiquier* echiquier, int ligne, int colonne, Tliste* liste);
int pion_dep(const Techiquier* echiquier, int ligne, int colonne);
int pion_r(const Techiquier* echiquier, Tcoup coup);
int pion_pr(const Techiquier* echiquier, Tcoup coup);
int pion_pr_g(const Techiquier* echiquier, int ligne, int colonne);
int pion_pr_d(const Techiquier* echiquier, int ligne, int colonne);
void coups_cavalier(const Techiquier* echiquier, int ligne, int colonne, Tliste* liste);
void coups_fou(const Techiquier* echiquier, int ligne, int colonne, Tliste* liste);
void coups_tour(const Techiquier* echiquier, int ligne, int colonne, Tliste* liste);
void coups_dame(const Techiquier* echiquier, int ligne, int colonne, Tliste* liste);
void coups_roi(const Techiquier* echiquier, int ligne, int colonne, Tliste* liste);

void prise_en_passant(const Techiquier* echiquier, int ligne, int colonne, Tliste* liste);
void roque(const Techiquier* echiquier, int ligne, int colonne, Tliste* liste);
void roque_insert(const Techiquier* echiquier, Tcoup coup, Tliste* liste);

// The parts of move execution that belong to the special moves.
void est_pris_en_passant(Techiquier* echiquier, Tcoup coup);
void fait_un_roque(Techiquier* echiquier, Tcoup coup);

// 1 when the king of side c is attacked (read from the stored king square).
int echec(const Techiquier* echiquier, couleur c);
void clouage(const Techiquier* echiquier, Tcoup coup, Tliste* liste);
void enleve_pos_echec(const Techiquier* echiquier, Tliste* liste);
// The same filter, and the same list, with the fast check test of the search's inner loops:
// for the root of the search and of the counts, where only the straightforward reference
// keeps the filter above.
void enleve_pos_echec_rapide(const Techiquier* echiquier, Tliste* liste);
int echec_mat(const Techiquier* echiquier, couleur c);
// 0 nothing, 1 check, 2 stalemate, 3 checkmate.
int test_echec_ou_mat(const Techiquier* echiquier, couleur c);
Tcoord recherche_roi(const Techiquier* echiquier, couleur c);

#endif
