// SPDX-License-Identifier: GPL-3.0-or-later
// Strength levels (UCI_LimitStrength, UCI_Elo): a rating gives settings of the engine's own
// search, fewer plies, a limit on its evaluations and a margin within which it chooses
// among near-equal root moves, and a seeded generator draws the choices. The ratings are
// measured (tools/niveaux) on the scale of stockfish's UCI_Elo.
#ifndef QUORVIK_AI_NIVEAUX_H
#define QUORVIK_AI_NIVEAUX_H

#include <cstdint>
#include <vector>

#include "ai.h"
#include "primitives.h"

struct Tniveau {
    int profondeur;          // plies; one more with probability pour_mille_de_plus / 1000
    int pour_mille_de_plus;
    int64_t noeuds_max;      // evaluations a move may take, the same on every machine
    int marge;               // centipawns: root moves this far below the best may be played
};

// The measured levels: from the weakest that still plays chess to full strength at 10 s
// plus 0.1 s a game, where the engine searches 4 plies.
struct Tpoint_de_niveau {
    int elo;
    int profondeur_millieme;  // plies times 1000: 2500 is 2 plies, or 3 one move in two
    int marge;
};
inline constexpr Tpoint_de_niveau POINTS_DE_NIVEAU[] = {
    {80, 1625, 10},  {275, 1855, 10}, {435, 1959, 10}, {585, 2124, 10},
    {670, 2411, 10}, {800, 2674, 10}, {940, 2921, 10}, {990, 4000, 0},
};
inline constexpr int ELO_MINIMUM = POINTS_DE_NIVEAU[0].elo;
inline constexpr int ELO_MAXIMUM = POINTS_DE_NIVEAU[std::size(POINTS_DE_NIVEAU) - 1].elo;

// The settings for a rating: between two measured levels, their plies (and the chance of
// one more) and their margins are interpolated; outside the range, the nearest end's.
Tniveau niveau_pour_elo(int elo);

// The generator of the levels' choices (splitmix64). 0 seeds it from the clock and the
// process; any other seed gives the same sequence every time, on every machine.
void seme_hasard(uint64_t graine);
// A new game's seed, drawn from the generator itself: games differ, and a match played
// from a given seed is played the same again.
void nouvelle_graine();
// Uniform in 0 .. n - 1 (n >= 1).
int tire_entre(int n);

// The level's move among the root moves of a finished search (racines_notees): one of
// those whose scores lie within `marge` of the best, all equally likely. Exact scores
// (every root move searched with the whole window) make the margin mean what it says.
Tcoup choix_du_niveau(const std::vector<Tcoup_note>& racines, couleur c, int marge);

#endif
