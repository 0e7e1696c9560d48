// SPDX-License-Identifier: GPL-3.0-or-later
// Piece-square tables, evaluation, the alpha-beta search, the root move choice with its
// report, and move-path counting.
#ifndef QUORVIK_AI_H
#define QUORVIK_AI_H

#include <array>
#include <cstdint>
#include <vector>

#include "primitives.h"
#include "primitives_rapides.h"

// Raised when a poll between root moves reads "stop"; cleared when a root search starts.
extern int32_t arret;
// Horizon evaluations of the current root search.
extern int64_t node;

// Piece-square tables: entries 0..63 serve white pieces, 64..127 black ones, each indexed
// by ligne * 8 + colonne.
using Ttable = std::array<int32_t, 128>;
extern const Ttable PionSq;
extern const Ttable RoiSq;
extern const Ttable CavalierSq;
extern const Ttable FouSq;
extern const Ttable TourSq;
extern const Ttable DameSq;

// Material plus table entry of the piece on one square, as a positive magnitude.
int evaluation(const Techiquier* echiquier, int ligne, int colonne);
// White-positive score of the position, bishop-pair bonus included.
int evaluation_complete(const Techiquier* echiquier);
int evaluation_partiel(const Techiquier* echiquier, Tcoup coup, int total, int multiplicateur);
// The static score after a move of the generator, from the score before it and the board's
// sets, without playing the move: equal to evaluation_complete of the board after it.
int evaluation_apres_coup(const Techiquier* echiquier, const Tcamps& ensembles, int avant,
                          Tdeplacement coup);

int alpha_beta(const Techiquier* echiquier, couleur c, int profondeur, int alpha, int beta);
// alpha_beta, and the line that produced its score: at each position the move that last
// raised alpha, down to a position whose score is its own (the horizon, or one where no
// move raised alpha). Empty when no move raised alpha, or after a cut-off.
int alpha_beta_ligne(const Techiquier* echiquier, couleur c, int profondeur, int alpha,
                     int beta, std::vector<Tcoup>* ligne);

// One search of fixed depth: the best move goes to *coup, one "info" line is printed, the
// elapsed milliseconds are returned. A search cut short ("stop", a time limit, the node
// limit: `arret` is then 1) answers the best of the root moves it completed; when it
// completed none, *coup stays if it is a legal move here (the caller's fallback), else the
// first legal move, and the report gives the static score after it. With `permis`, only
// the legal root moves it holds are searched, unless it holds none of them.
int64_t choix_coup(const Techiquier* echiquier, couleur c, int profondeur, Tcoup* coup,
                   const std::vector<Tcoup>* permis = nullptr);

// Analysis lines: with n >= 1, each root search prints, in place of its one line, one line
// for each of its n best finished root moves (fewer when it finished fewer):
// "info depth D multipv I score cp S|mate M nodes N time T nps X pv m1 m2 ...", with the
// search's own score of the move and the whole line that produced it. 0: the one line.
// The search itself, its node count and its move are the same either way.
void fixe_lignes_d_analyse(int nombre);
int lignes_d_analyse();
// How many times a line that stopped at a result of the memo has been searched on, since
// the start: for tests and measurements.
int64_t lignes_completees();

// The root moves the last root search finished, in the root list's order, each with the
// score the search gave it (white-positive): every score is exact, since each root move
// is searched with the whole window.
struct Tcoup_note {
    Tcoup coup;
    int valeur;
};
const std::vector<Tcoup_note>& racines_notees();

// Keeps in a root list only the moves that `permis` holds, in the list's order; a list
// that would be left empty is kept whole.
void garde_coups_permis(Tliste* liste, const std::vector<Tcoup>& permis);

// A limit on the horizon evaluations of the next root searches: a search ends as on
// "stop" at the moment its count reaches the limit, and reports exactly that count.
void fixe_limite_de_noeuds(int64_t limite);
void leve_limite_de_noeuds();

// Move-path counts: every node of the move tree from depth 1 to `profondeur`.
int64_t perft(const Techiquier* echiquier, couleur c, int profondeur);
int64_t min_max(const Techiquier* echiquier, couleur c, int profondeur);

#endif
