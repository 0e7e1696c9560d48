// SPDX-License-Identifier: GPL-3.0-or-later
// The command loop and its UCI commands.
#ifndef QUORVIK_GUI_XBOARD_H
#define QUORVIK_GUI_XBOARD_H

#include <string>
#include <vector>

#include "gui_options.h"
#include "primitives.h"

// A move applied on the game board since the initial position, with the piece a pawn
// reaching its last row became (0 for any other move).
struct Tcoup_joue {
    Tcoup coup;
    int32_t promotion;
};

// Everything the command loop owns for the life of the process.
struct Tpartie {
    Techiquier echiquier;
    couleur camp;
    int32_t etat_partie;  // -1 no game yet, 0 new game, 1 game in step
    Tcoup coup;
    int32_t profondeur;
    int32_t temps_blanc;
    int32_t temps_noir;
    int32_t increment_blanc;
    int32_t increment_noir;
    int32_t coups_restants;
    int32_t temps_par_coup;
    std::string mot;
    // The moves played since the game's start: the initial position, or the FEN of the
    // last "position fen" line when `depuis_fen` is set.
    std::vector<Tcoup_joue> historique;
    bool depuis_fen;
    // The values of the UCI options.
    Treglages reglages;
    // The root moves of the running "go" ("searchmoves"); empty: all of them.
    std::vector<Tcoup> coups_permis;
};

void init_partie(Tpartie* partie);

// Handles one command line; returns 0 once the loop must end ("quit").
int traite_ligne(Tpartie* partie, std::string entree);

// Reads and handles command lines from the installed console until "quit" or the end of
// input.
void boucle_commandes(Tpartie* partie);

// The process's command loop on standard input and output.
void xboard();

void uci();
void isready();
void ucinewgame(Tpartie* partie);
// The single-move step of a position line: reads the move at `index`, plays it, flips the
// side and applies a promotion letter. Returns 0 when the move is not valid, else the
// number of characters it took (4, or 5 with a promotion letter).
int position(Tpartie* partie, size_t index, const std::string& ligne);

// Scans a line like sscanf: literal characters must match, a blank matches any run of
// blanks, "%s" takes a word into *mot, "%d" an integer into the next of `nombres`.
// Returns the number of targets filled.
// Whether a word is `b`, ASCII letters compared without their case.
bool egal_sans_casse(const std::string& a, const char* b);
// The blank-separated words of a line.
std::vector<std::string> mots_de(const std::string& ligne);
// A whole word that is an optionally signed decimal number; its size is capped a little
// above the 32-bit range.
bool nombre_entier(const std::string& nombre, int64_t* valeur);

int scan_motif(const std::string& ligne, const char* motif, std::string* mot,
               int32_t* const* nombres = nullptr);

#endif
