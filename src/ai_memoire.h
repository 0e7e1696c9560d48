// SPDX-License-Identifier: GPL-3.0-or-later
// An exact memo of the search and of the move-path counts. A search's score and node count
// depend on nothing but the board record (less the side word, which nothing reads), the
// side to move, the depth and the window; a count on the record, the side and the depth.
// The memo keeps such results under a key that holds all of these exactly, and compares
// the whole key on every look-up, so a result found is the one the work would give.
#ifndef QUORVIK_AI_MEMOIRE_H
#define QUORVIK_AI_MEMOIRE_H

#include <cstddef>
#include <cstdint>

#include "primitives.h"

// What a result is: a search score with its node count, or a move-path count.
enum class Tgenre_memoire : uint8_t { recherche, comptage };

// The key: the 64 squares as 4-bit codes, the state words, side, depth, genre and the memo's
// generation packed in one word, and the window (0 for a count). `region` says which part
// of the table holds it, and follows from the key.
struct Tcle {
    uint64_t mots[6];
    int region;
};

// Builds the key; false when a word lies outside what the packing holds (records no game
// reaches): such a position goes without the memo.
bool cle_memoire(const Techiquier* echiquier, couleur c, int profondeur, Tgenre_memoire genre,
                 int alpha, int beta, Tcle* cle);
// The same in two steps: the position's part (the window left at 0), then the window. The
// slot of a key follows from the first part alone, so that it can be prepared before the
// window is known, and a probe and the search that follows it share one slot.
bool cle_de_position(const Techiquier* echiquier, couleur c, int profondeur,
                     Tgenre_memoire genre, Tcle* cle);
void fixe_fenetre(Tcle* cle, int alpha, int beta);
// Starts bringing the key's slot into the processor's cache: the look-up that follows a
// little later then need not wait for memory, which it otherwise does at almost every
// look-up.
void prepare_memoire(const Tcle& cle);

// The result kept under the key, if any. The table is allocated at the first look-up; when
// its memory cannot be had, the memo turns itself off.
bool trouve_en_memoire(const Tcle& cle, int* score, int64_t* valeur);
void range_en_memoire(const Tcle& cle, int score, int64_t valeur);

// On by default; the differential tests compare the search with and without it. Off too
// when no table could be had.
void memoire_active(bool active);
bool memoire_est_active();
// Forgets every result at once (the table stays allocated): later keys carry another
// generation.
void vide_memoire();

// The table's size in MiB: 24 until another is asked for. A new size takes effect at the
// next allocation (alloue_memoire, or the first look-up after the request); until then, and
// when the new size cannot be had, the table that was there stays.
constexpr size_t TAILLE_MEMOIRE_DEFAUT_MO = 24;
void demande_taille_memoire(size_t mebioctets);
size_t taille_memoire_demandee();
enum class Tallocation_memoire { deja_faite, faite, refusee };
// Takes the table of the size asked for, if not done yet; `refusee` when the memory is not
// to be had (the engine then goes on with the table it had, or none). A refused size is
// not tried again until another is asked for.
Tallocation_memoire alloue_memoire();
// The most the table may take, in bytes: a larger size is refused as a machine without the
// memory refuses it. For the fuzzer, whose inputs ask for any size.
void plafonne_memoire(size_t octets);

// Look-ups, hits and results kept since the start, for tests and measurements.
struct Tstatistiques_memoire {
    int64_t recherches;
    int64_t trouvees;
    int64_t rangees;
};
Tstatistiques_memoire statistiques_memoire();

// The table's size in bytes, the whole of the memo's memory; 0 while there is none.
size_t taille_memoire();

#endif
