// SPDX-License-Identifier: GPL-3.0-or-later
// The exact mate search: the shortest forced mate of one side, under the full rules of
// chess at every ply (castling neither out of, through nor into check, en passant, every
// promotion piece), with the defence that resists longest.
#ifndef QUORVIK_AI_MAT_H
#define QUORVIK_AI_MAT_H

#include <cstdint>
#include <string>
#include <vector>

#include "primitives.h"

// A move with the piece a promoting pawn becomes (CAVALIER, FOU, TOUR or DAME; 0 for any
// other move).
struct Tcoup_promu {
    Tcoup coup;
    int32_t promotion;
};

struct Tresultat_mat {
    int coups;                       // the mating side's moves; 0 when no mate was found
    std::vector<Tcoup_promu> ligne;  // the whole mating line, 2 * coups - 1 plies, ending in mate
    int64_t noeuds;                  // positions the search visited
    bool interrompu;                 // ended by `arret` ("stop", "quit", a time limit)
};

// Mates in 1, 2, ..., coups_max (at most 100) for side c on the board: the shortest found.
// `racine`, when not empty, restricts the first move to those moves (legal ones; a
// promotion given with 0 is a queen's). The search polls the input as the other searches
// do; once `arret` is raised it returns at once with `interrompu`, and with no mate, since
// a mate is reported only with its whole line.
Tresultat_mat cherche_mat(const Techiquier* echiquier, couleur c, int coups_max,
                          const std::vector<Tcoup_promu>& racine);

// The move as the protocol writes it: four characters, and the promotion piece's letter.
std::string texte_coup_promu(Tcoup_promu coup);

// The board after a move with its promotion piece: execute_coup, then the promoted pawn's
// square becomes the piece asked for (counts untouched, as for the game's own moves).
void joue_coup_promu(Techiquier* echiquier, Tcoup_promu coup);

// The legal moves of c under the full rules, in the generator's order; a promotion comes
// four times, as queen, knight, rook and bishop.
std::vector<Tcoup_promu> coups_legaux_complets(const Techiquier* echiquier, couleur c);

// The table of positions proved or refuted, in bytes (allocated at the first search).
size_t taille_table_mat();

#endif
