// SPDX-License-Identifier: GPL-3.0-or-later
// Small square, side and copy helpers; the console print-outs; the console itself (reading
// lines, writing answers) and the input polling done while a search runs.
#ifndef QUORVIK_DIVERS_H
#define QUORVIK_DIVERS_H

#include <cstdint>
#include <cstdio>
#include <string>

#include "primitives.h"

// ---- Square, side and copy helpers (tests return 1 or 0) ----
void copie_Techiquier(const Techiquier* source, Techiquier* destination);
int comp_Tcoord(Tcoord a, Tcoord b);
int comp_Tcoup(Tcoup a, Tcoup b);
int piece(const Techiquier* echiquier, int ligne, int colonne);
int coul_oppos(const Techiquier* echiquier, Tcoup coup);
int couleur_identique(const Techiquier* echiquier, Tcoup coup);
void inverser_couleur(couleur* c);
couleur piece_couleur(int32_t code);
couleur adversaire(couleur c);
void supprime_piece(Techiquier* echiquier, int ligne, int colonne);

// A move as the protocol writes it: four characters, plus "q" when the piece on its
// from-square is a pawn reaching its last row (it always becomes a queen).
std::string texte_coup(const Techiquier* echiquier, Tcoup coup);

// ---- The console ----
// All output goes through `ecrit`; all input through the console's line reader. The
// process console reads descriptor 0 and writes standard output; tests and the fuzzer
// install one that reads a text and writes a file of their own.
void installe_console(int fd_entree, FILE* sortie);
void installe_console_texte(const std::string& texte, FILE* sortie);
FILE* sortie_console();
void ecrit(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Lines longer than this are handled up to it; the rest of such a line is discarded.
constexpr size_t LONGUEUR_MAX_LIGNE = 1u << 20;

// Next command line for the command loop: first the lines a search read and kept, then
// fresh input. The end of line (LF or CR LF) is not stored. False at the end of input.
bool lit_commande(std::string* ligne);

// Next blank-separated word of the input, across lines; false at the end of input.
bool lit_mot_console(std::string* mot);

// ---- Input polling during a search ----
// Whether input waits, without blocking: 0 when nothing waits, else a positive count
// (1 when the answer is "read and see", for instance at the end of input).
int bioskey();
// Reads one waiting line and classifies it: 0 nothing or another line, 1 "stop",
// 2 "ponderhit", 3 "quit" or the end of input. "isready" is answered at once; every line
// other than "stop" and "isready" is kept for the command loop.
int verification_saisie();
// 1 when the waiting line was "stop"; also for "quit" and the end of input while
// `arret_sur_fin` is on, and once the time limit has passed.
int stop();
// For a search that has no end of its own ("go infinite"): "quit" or the end of input
// stops it, as "stop" does.
void arret_sur_fin(bool actif);
// For a search made while the opponent thinks ("go ponder"): "ponderhit" stops it too, and
// is consumed; `ponderhit_recu` tells afterwards which of the two ended it. Turning it on
// forgets an earlier "ponderhit".
void arret_sur_ponderhit(bool actif);
int ponderhit_recu();
// Waits, without a search, for the line that ends a ponder (both stops above on): "stop",
// "ponderhit", "quit" or the end of input. "isready" is answered meanwhile; other lines
// are kept for the loop.
void attend_fin_de_reflexion();
// Called from inside a root move: reads what has arrived without blocking, answers
// "isready" at once and keeps the other lines for the command loop. Returns 1 when the
// search must end now: a "stop" read (and consumed; the lines after it wait for the next
// search or the loop), "quit" or the end of input while `arret_sur_fin` is on, an
// interface gone, or the time limit passed. Cheap when called often.
int ecoute_pendant_recherche();
// The monotonic clock in milliseconds.
int64_t maintenant_ms();
// A time limit (monotonic milliseconds) past which a running search ends as on "stop";
// `leve_echeance` removes it.
void fixe_echeance(int64_t limite_ms);
void leve_echeance();
int echeance_passee();
// Whether a poll has met the end of input, or a kept line for the loop begins with "quit".
int fin_demandee();
// Whether nobody reads the answers any more: what is still being computed is lost.
int sortie_abandonnee();

// ---- Console print-outs ----
void affichage_echiquier(const Techiquier* echiquier);
void affiche_Tcoup(Tcoup coup);
void affiche_Tcoord(Tcoord coord);
void affiche_coups_possibles(Tliste liste);
void affiche_coups_case(const Techiquier* echiquier, Tliste liste);
void affectation_echiquier(Techiquier* echiquier);

#endif
