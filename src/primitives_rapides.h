// Move generation and check detection for the search's inner loops: the same moves in the
// same order as `generateur`, the same answers as `echec`, with move buffers on the stack
// and precomputed move and ray tables instead of heap lists and whole opponent lists.
#ifndef QUORVIK_PRIMITIVES_RAPIDES_H
#define QUORVIK_PRIMITIVES_RAPIDES_H

#include <cstdint>

#include "primitives.h"

// A move as two square indexes (ligne * 8 + colonne).
struct Tdeplacement {
    uint8_t depart;
    uint8_t arrivee;
};

inline Tcoup vers_Tcoup(Tdeplacement d) {
    return fait_coup(d.depart / 8, d.depart % 8, d.arrivee / 8, d.arrivee % 8);
}

// The pseudo-legal moves of one side in generator order. Captures are pushed in front of
// the middle (last found first) and the other moves after it (first found first), so the
// list is the run tampon[debut .. fin).
constexpr int MOITIE_COUPS = 384;  // far above the moves any side can have
struct Tcoups {
    int debut;
    int fin;
    Tdeplacement tampon[2 * MOITIE_COUPS];
};

void genere_coups(const Techiquier* echiquier, couleur c, Tcoups* coups);

// Whether side `par` attacks the square the way a king there is attacked: a capture of
// one of its pieces could end there.
int case_attaquee(const Techiquier* echiquier, int index, couleur par);

// Same answer as `echec`, by looking outward from the king's square.
int echec_rapide(const Techiquier* echiquier, couleur c);

// What one position says about the safety of its side's king: whether it stands in check
// and which of its pieces are pinned (and along which line).
struct Tsurete {
    bool en_echec;
    bool sure;  // false: no usable king square or the king is in check; test every move
    int roi;
    int8_t clouage[64];  // 0: not pinned; else the index + 1 of the pin's direction
    uint64_t cloues;     // the pinned squares, one bit each
};

void analyse_surete(const Techiquier* echiquier, couleur c, Tsurete* surete);

// Whether the move certainly leaves the king safe, known without playing it. False means
// "play it and ask echec_rapide".
bool sans_danger(const Techiquier* echiquier, const Tsurete* surete, Tdeplacement coup);

// The number of moves after which the mover's king is not attacked.
int compte_coups_legaux(const Techiquier* echiquier, couleur c);

#endif
