// SPDX-License-Identifier: GPL-3.0-or-later
// The straightforward search and count, kept as the definition that the fast ones in `ai`
// must match move for move, score for score and node for node: heap move lists from
// `generateur`, `echec` on the whole opponent list, a fresh board copy per move.
#ifndef QUORVIK_AI_REFERENCE_H
#define QUORVIK_AI_REFERENCE_H

#include <cstdint>
#include <vector>

#include "primitives.h"

// The position's score as the sum of `evaluation` over the squares, bishop-pair bonus
// included.
int evaluation_complete_reference(const Techiquier* echiquier);

// Counts its horizon evaluations in the global `node`, like `alpha_beta`.
int alpha_beta_reference(const Techiquier* echiquier, couleur c, int profondeur, int alpha,
                         int beta);

// What a root search decides, without its report or its polls.
struct Tchoix_racine {
    Tcoup coup;          // left as given when there is no legal move
    int score_rapporte;  // the static score after the move, seen from the side to move
    int64_t noeuds;      // horizon evaluations
    int coups_legaux;    // root moves searched
};
// With `permis`, the root is restricted as choix_coup restricts it.
Tchoix_racine choix_coup_reference(const Techiquier* echiquier, couleur c, int profondeur,
                                   Tcoup coup_initial,
                                   const std::vector<Tcoup>* permis = nullptr);

int64_t perft_reference(const Techiquier* echiquier, couleur c, int profondeur);
int64_t min_max_reference(const Techiquier* echiquier, couleur c, int profondeur);

#endif
