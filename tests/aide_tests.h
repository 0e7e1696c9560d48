// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the tests: driving the engine in-process or as a separate process
// through pipes, the way an interface does.
#ifndef QUORVIK_AIDE_TESTS_H
#define QUORVIK_AIDE_TESTS_H

#include <sys/types.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "divers.h"
#include "primitives.h"

// Under the address sanitizer the engine runs about ten times slower: tests then do less.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool SOUS_SANITISEUR = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool SOUS_SANITISEUR = true;
#else
constexpr bool SOUS_SANITISEUR = false;
#endif
#else
constexpr bool SOUS_SANITISEUR = false;
#endif

// Installs a console reading `entree` and writing to memory for the life of the object.
class Console {
   public:
    explicit Console(const std::string& entree = "") {
        sortie_ = open_memstream(&tampon_, &taille_);
        installe_console_texte(entree, sortie_);
    }
    ~Console() {
        installe_console_texte("", stdout);
        std::fclose(sortie_);
        std::free(tampon_);
    }
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;
    std::string texte() {
        std::fflush(sortie_);
        return std::string(tampon_, taille_);
    }

   private:
    char* tampon_ = nullptr;
    size_t taille_ = 0;
    FILE* sortie_ = nullptr;
};

// Runs the command loop in-process on a script; returns everything it printed.
std::string execute_en_memoire(const std::string& script);

// The board after "position startpos moves <coups>" (blank-separated moves), and the side
// to move then.
Techiquier position_apres(const std::string& coups, couleur* camp = nullptr);
// The same after any one position line, as a new game's first.
Techiquier position_de_ligne(const std::string& ligne, couleur* camp = nullptr);

// The FEN of a board record and a side: placement, side, the castling rights the record
// holds, the square behind a pawn that has just advanced two squares, counters "0 1".
std::string fen_de(const Techiquier* echiquier, couleur camp);

// The lines of a text, without their line feeds.
std::vector<std::string> lignes(const std::string& texte);

// The answer to "uci", line by line, "uciok" last.
extern const std::vector<std::string> BLOC_UCI;

// The engine binary as a child process with its standard input and output on pipes.
struct Tmoteur {
    pid_t pid = -1;
    int vers_moteur = -1;    // write end of the engine's standard input
    int depuis_moteur = -1;  // read end of the engine's standard output
    std::string recu;        // read from the engine, not yet returned as lines
};

// The engine the process tests start: QUORVIK_MOTEUR when it is set (another build of the
// same engine, such as the WebAssembly launcher build-web/quorvik), else the build's binary.
const char* chemin_moteur();
Tmoteur lance_moteur();
void envoie(Tmoteur* m, const std::string& texte);  // writes the text as it is
// The next line the engine prints, or false when none comes within the delay.
bool lit_ligne_moteur(Tmoteur* m, std::string* ligne, int delai_ms = 10000);
// Reads lines until one starts with `debut`; all lines read, that one included, go to
// *lues. False when the delay runs out or the engine ends first.
bool attend_ligne(Tmoteur* m, const std::string& debut, std::vector<std::string>* lues,
                  int delai_ms = 60000);
// Closes the engine's input and waits for its end; returns its exit status, or -1 when it
// did not end within the delay (it is then killed). What it printed meanwhile is appended
// to *reste when given.
int ferme_moteur(Tmoteur* m, int delai_ms = 10000, std::string* reste = nullptr);
// Whether the process has ended within the delay, without closing anything; its status.
bool attend_fin(Tmoteur* m, int delai_ms, int* statut);

// Runs the binary on a whole script piped at once; returns what it printed. The exit
// status goes to *statut.
std::string execute_en_processus(const std::string& script, int* statut = nullptr,
                                 int delai_ms = 60000);

#endif
