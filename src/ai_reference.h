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

// Counts its horizon evaluations in the global `node`, like `alpha_beta`. With `ligne`,
// the line that produced the score, as `alpha_beta_ligne` gives it.
int alpha_beta_reference(const Techiquier* echiquier, couleur c, int profondeur, int alpha,
                         int beta, std::vector<Tcoup>* ligne = nullptr);

// What a root search decides, without its report or its polls.
struct Tchoix_racine {
    Tcoup coup;          // left as given when there is no legal move
    int score_rapporte;  // the static score after the move, seen from the side to move
    int64_t noeuds;      // horizon evaluations
    int coups_legaux;    // root moves searched
    // Every root move searched, in the root list's order: its score and, when asked for,
    // its line (the move, then its child's line).
    struct Tracine {
        Tcoup coup;
        int valeur;
        std::vector<Tcoup> ligne;
    };
    std::vector<Tracine> racines;
};
// With `permis`, the root is restricted as choix_coup restricts it; with `avec_lignes`,
// each root move's line is kept too.
Tchoix_racine choix_coup_reference(const Techiquier* echiquier, couleur c, int profondeur,
                                   Tcoup coup_initial,
                                   const std::vector<Tcoup>* permis = nullptr,
                                   bool avec_lignes = false);

int64_t perft_reference(const Techiquier* echiquier, couleur c, int profondeur);
int64_t min_max_reference(const Techiquier* echiquier, couleur c, int profondeur);

#endif
