// SPDX-License-Identifier: GPL-3.0-or-later
// The UCI options: the one table of what "uci" announces (name, type, default, range, what
// each sets), their values, and "setoption", which checks a value before it sets anything.
#ifndef QUORVIK_GUI_OPTIONS_H
#define QUORVIK_GUI_OPTIONS_H

#include <cstdint>
#include <string>

#include "ai_niveaux.h"

enum class Tid_option {
    own_book,
    ponder,
    multipv,
    analyse,
    hash,
    vide_hash,
    limite_force,
    elo,
    graine
};
enum class Ttype_option { check, spin, button };

struct Toption {
    const char* nom;  // as announced; "setoption" finds it whatever its letter case
    Ttype_option type;
    Tid_option id;
    int64_t defaut;   // check: 0 false, 1 true
    int64_t minimum;  // spin only
    int64_t maximum;
    const char* role;
};

// The memo's largest size: what a 32-bit address space (WebAssembly's among them) can
// hold beside the engine, or, on 64-bit machines, a bound far above the memory they have
// (a size the machine cannot give is refused when it is taken).
constexpr int64_t HASH_MAXIMUM_MO = sizeof(void*) >= 8 ? 65536 : 1024;

inline constexpr Toption OPTIONS[] = {
    {"OwnBook", Ttype_option::check, Tid_option::own_book, 0, 0, 0,
     "nothing: the engine has no opening book"},
    {"Ponder", Ttype_option::check, Tid_option::ponder, 0, 0, 0,
     "\"bestmove\" names the reply the engine expects (\"bestmove m ponder r\")"},
    {"MultiPV", Ttype_option::spin, Tid_option::multipv, 1, 1, 256,
     "above 1: that many analysis lines, the best root moves with their scores and lines"},
    {"UCI_AnalyseMode", Ttype_option::check, Tid_option::analyse, 0, 0, 0,
     "analysis lines (the search's own score and whole line) even for one line"},
    {"Hash", Ttype_option::spin, Tid_option::hash, 24, 1, HASH_MAXIMUM_MO,
     "the memo's size in MiB, taken at the next go or perft"},
    {"Clear Hash", Ttype_option::button, Tid_option::vide_hash, 0, 0, 0,
     "empties the memo"},
    {"UCI_LimitStrength", Ttype_option::check, Tid_option::limite_force, 0, 0, 0,
     "every go plays at the rating UCI_Elo (except go mate, which stays exact)"},
    {"UCI_Elo", Ttype_option::spin, Tid_option::elo, ELO_MINIMUM, ELO_MINIMUM, ELO_MAXIMUM,
     "the rating of the limited strength, on the scale of stockfish's UCI_Elo"},
    {"Graine", Ttype_option::spin, Tid_option::graine, 0, 0, INT32_MAX,
     "the seed of the levels' choices; 0: drawn at start-up; ucinewgame draws the next"},
};

// The values the options hold, owned by the command loop.
struct Treglages {
    bool ponder;
    int multipv;
    bool analyse;
    int hash_mo;
    bool limite_force;
    int elo;
};

// The defaults of the table; the engine's modules are set to match.
void reglages_par_defaut(Treglages* reglages);

// The "option name ..." lines of the "uci" answer, in the table's order.
void annonce_options();

// "setoption name <name> [value <value>]": a known name with a value it accepts sets it;
// a spin value outside its range is brought to the nearest bound, a value that cannot be
// read is ignored, each with one "info string" line. Unknown names change nothing.
void commande_setoption(Treglages* reglages, const std::string& entree);

// Before a search or a count: takes the memo of the size asked for, and says so in one
// "info string" line when the machine cannot give it.
void prepare_memoire_de_recherche();

#endif
