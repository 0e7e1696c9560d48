// SPDX-License-Identifier: GPL-3.0-or-later
// The board record, squares, moves and sides; board set-up, the per-square generator
// dispatch with the board scan, and move execution.
#ifndef QUORVIK_PRIMITIVES_H
#define QUORVIK_PRIMITIVES_H

#include <cstddef>
#include <cstdint>

// A side: 1 for white, -1 for black. The piece of kind k of side c has code k * c, two
// pieces are opposed when the product of their codes is negative, and side c moves
// forward by c rows.
using couleur = int32_t;
constexpr couleur BLANC = 1;
constexpr couleur NOIR = -1;

// Piece kinds. A square holds kind * side; 0 is an empty square.
constexpr int32_t VIDE = 0;
constexpr int32_t PION = 1;
constexpr int32_t ROI = 2;
constexpr int32_t CAVALIER = 3;
constexpr int32_t FOU = 4;
constexpr int32_t TOUR = 5;
constexpr int32_t DAME = 6;

// A square: row 0 is rank 1, column 0 is file a. Every function takes the row first.
struct Tcoord {
    int32_t ligne;
    int32_t colonne;
};

// A move, and at the same time a node of a move list: as a move only the four
// coordinates count, `suivant` is the list link.
struct Tcoup {
    int32_t ligne_depart;
    int32_t colonne_depart;
    int32_t ligne_arrivee;
    int32_t colonne_arrivee;
    Tcoup* suivant;
};

// A move list: the address of its first node on the heap, null when empty.
using Tliste = Tcoup*;

// The position: 79 signed 32-bit words and no pointer, so it is copied wholesale and a
// move is never undone.
struct Techiquier {
    int32_t cases[64];  // square (ligne, colonne) is word ligne * 8 + colonne
    int32_t trait;      // never read, and not carried by copie_Techiquier
    int32_t nb_pieces_blanches;
    int32_t nb_pieces_noires;
    int32_t nb_fous_blancs;
    int32_t nb_fous_noirs;
    int32_t grand_roque_blanc;  // castling with the rook of column 0 (king to column 2)
    int32_t petit_roque_blanc;  // castling with the rook of column 7 (king to column 6)
    int32_t grand_roque_noir;
    int32_t petit_roque_noir;
    int32_t ep_ligne;    // row of a pawn that has just advanced two squares, else -1
    int32_t ep_colonne;  // its column; keeps its last value when ep_ligne goes back to -1
    int32_t roi_blanc_ligne;
    int32_t roi_blanc_colonne;
    int32_t roi_noir_ligne;
    int32_t roi_noir_colonne;
};

static_assert(sizeof(Techiquier) == 79 * sizeof(int32_t), "the board is 79 words");
static_assert(offsetof(Techiquier, trait) == 64 * sizeof(int32_t));
static_assert(offsetof(Techiquier, nb_pieces_blanches) == 65 * sizeof(int32_t));
static_assert(offsetof(Techiquier, nb_pieces_noires) == 66 * sizeof(int32_t));
static_assert(offsetof(Techiquier, nb_fous_blancs) == 67 * sizeof(int32_t));
static_assert(offsetof(Techiquier, nb_fous_noirs) == 68 * sizeof(int32_t));
static_assert(offsetof(Techiquier, grand_roque_blanc) == 69 * sizeof(int32_t));
static_assert(offsetof(Techiquier, petit_roque_blanc) == 70 * sizeof(int32_t));
static_assert(offsetof(Techiquier, grand_roque_noir) == 71 * sizeof(int32_t));
static_assert(offsetof(Techiquier, petit_roque_noir) == 72 * sizeof(int32_t));
static_assert(offsetof(Techiquier, ep_ligne) == 73 * sizeof(int32_t));
static_assert(offsetof(Techiquier, ep_colonne) == 74 * sizeof(int32_t));
static_assert(offsetof(Techiquier, roi_blanc_ligne) == 75 * sizeof(int32_t));
static_assert(offsetof(Techiquier, roi_blanc_colonne) == 76 * sizeof(int32_t));
static_assert(offsetof(Techiquier, roi_noir_ligne) == 77 * sizeof(int32_t));
static_assert(offsetof(Techiquier, roi_noir_colonne) == 78 * sizeof(int32_t));

// Named square helpers.
constexpr int index_case(int ligne, int colonne) { return ligne * 8 + colonne; }
constexpr bool sur_echiquier(int ligne, int colonne) {
    return ligne >= 0 && ligne < 8 && colonne >= 0 && colonne < 8;
}
constexpr int ligne_de_base(couleur c) { return c == BLANC ? 0 : 7; }
constexpr int32_t signe(int32_t x) { return (x > 0) - (x < 0); }
constexpr int32_t valeur_absolue(int32_t x) { return x < 0 ? -x : x; }
inline Tcoup fait_coup(int l1, int c1, int l2, int c2) { return Tcoup{l1, c1, l2, c2, nullptr}; }

// Writes the initial position and every state word.
void init_echiquier(Techiquier* echiquier);

// Plays a move without any test: captures counted, en passant removal, the rook of a
// castling, rights, en passant words and king squares kept, a pawn on its last row
// becomes a queen.
void execute_coup(Techiquier* echiquier, Tcoup coup);

// Counts a piece that leaves the board (piece and bishop counts), en passant included.
void compte_prise(Techiquier* echiquier, int32_t code);

// Adds every pseudo-legal move of one side to the list, captures first.
void generateur(const Techiquier* echiquier, couleur c, Tliste* liste);

// Adds the moves of the piece on one square; nothing for an empty square.
void coups_possibles_case(const Techiquier* echiquier, int ligne, int colonne, Tliste* liste);

// Consistency of the record, for debug checks: codes in range, counts never below the
// pieces on the board, king squares and en passant row in range.
int echiquier_coherent(const Techiquier* echiquier);

#endif
