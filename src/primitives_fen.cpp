// SPDX-License-Identifier: GPL-3.0-or-later
#include "primitives_fen.h"

#include <cctype>

#include "divers.h"
#include "primitives_pieces.h"

namespace {

// The piece code of a placement letter, 0 for any other character.
int32_t code_de_lettre(char lettre) {
    switch (lettre) {
        case 'P':
            return PION;
        case 'N':
            return CAVALIER;
        case 'B':
            return FOU;
        case 'R':
            return TOUR;
        case 'Q':
            return DAME;
        case 'K':
            return ROI;
        case 'p':
            return -PION;
        case 'n':
            return -CAVALIER;
        case 'b':
            return -FOU;
        case 'r':
            return -TOUR;
        case 'q':
            return -DAME;
        case 'k':
            return -ROI;
        default:
            return VIDE;
    }
}

// Ranks 8 down to 1 separated by "/", each adding up to exactly 8 squares, put on an empty
// board. Digits may follow one another ("44"); the sum is checked at every step, so no
// count can grow.
bool lit_placement(const std::string& champ, Techiquier* e) {
    int ligne = 7, colonne = 0;
    for (const char c : champ) {
        if (c == '/') {
            if (colonne != 8 || ligne == 0) return false;
            ligne--;
            colonne = 0;
        } else if (c >= '1' && c <= '8') {
            colonne += c - '0';
            if (colonne > 8) return false;
        } else {
            const int32_t code = code_de_lettre(c);
            if (code == VIDE || colonne == 8) return false;
            e->cases[index_case(ligne, colonne++)] = code;
        }
    }
    return ligne == 0 && colonne == 8;
}

// "-" or a set of K, Q, k, q without repeats; the rights in the board's order: white
// toward column a, white toward column h, then black's.
bool lit_roques(const std::string& champ, int32_t droits[4]) {
    if (champ == "-") return true;
    if (champ.empty()) return false;
    for (const char c : champ) {
        int k;
        switch (c) {
            case 'Q':
                k = 0;
                break;
            case 'K':
                k = 1;
                break;
            case 'q':
                k = 2;
                break;
            case 'k':
                k = 3;
                break;
            default:
                return false;
        }
        if (droits[k] != 0) return false;
        droits[k] = 1;
    }
    return true;
}

bool que_des_chiffres(const std::string& champ) {
    if (champ.empty()) return false;
    for (const char c : champ) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// A right needs its king on column e and its rook in its corner, both on the home row.
int32_t droit_garde(const Techiquier* e, int32_t droit, couleur c, int colonne_tour) {
    const int base = ligne_de_base(c);
    const bool en_place = e->cases[index_case(base, 4)] == ROI * c &&
                          e->cases[index_case(base, colonne_tour)] == TOUR * c;
    return droit != 0 && en_place ? 1 : 0;
}

// One king a side, no pawn on a last row, at most 16 pieces a side; fills the counts and
// the king squares on the way.
bool compte_les_pieces(Techiquier* e) {
    int rois_blancs = 0, rois_noirs = 0;
    e->nb_pieces_blanches = e->nb_pieces_noires = 0;
    e->nb_fous_blancs = e->nb_fous_noirs = 0;
    for (int ligne = 0; ligne < 8; ligne++) {
        for (int colonne = 0; colonne < 8; colonne++) {
            const int32_t code = e->cases[index_case(ligne, colonne)];
            if (code == VIDE) continue;
            if (valeur_absolue(code) == PION && (ligne == 0 || ligne == 7)) return false;
            if (code > 0) e->nb_pieces_blanches++;
            if (code < 0) e->nb_pieces_noires++;
            if (code == FOU) e->nb_fous_blancs++;
            if (code == -FOU) e->nb_fous_noirs++;
            if (code == ROI) {
                rois_blancs++;
                e->roi_blanc_ligne = ligne;
                e->roi_blanc_colonne = colonne;
            }
            if (code == -ROI) {
                rois_noirs++;
                e->roi_noir_ligne = ligne;
                e->roi_noir_colonne = colonne;
            }
        }
    }
    return rois_blancs == 1 && rois_noirs == 1 && e->nb_pieces_blanches <= 16 &&
           e->nb_pieces_noires <= 16;
}

}  // namespace

int lit_fen(const std::vector<std::string>& champs, Techiquier* echiquier, couleur* camp) {
    if (champs.size() < 4 || champs.size() > 6) return 0;
    for (size_t k = 4; k < champs.size(); k++) {
        if (!que_des_chiffres(champs[k])) return 0;
    }
    Techiquier e{};
    if (!lit_placement(champs[0], &e) || !compte_les_pieces(&e)) return 0;

    couleur trait;
    if (champs[1] == "w") {
        trait = BLANC;
    } else if (champs[1] == "b") {
        trait = NOIR;
    } else {
        return 0;
    }
    e.trait = trait;

    int32_t droits[4] = {0, 0, 0, 0};
    if (!lit_roques(champs[2], droits)) return 0;
    e.grand_roque_blanc = droit_garde(&e, droits[0], BLANC, 0);
    e.petit_roque_blanc = droit_garde(&e, droits[1], BLANC, 7);
    e.grand_roque_noir = droit_garde(&e, droits[2], NOIR, 0);
    e.petit_roque_noir = droit_garde(&e, droits[3], NOIR, 7);

    // The board keeps the square of the pawn that has just advanced two squares, in front
    // of the en passant square, and only when that advance can have been the last move:
    // the pawn of the side that just moved stands there, the square it crossed and the one
    // it came from are empty.
    e.ep_ligne = -1;
    e.ep_colonne = -1;
    const std::string& ep = champs[3];
    if (ep != "-") {
        if (ep.size() != 2 || ep[0] < 'a' || ep[0] > 'h' || (ep[1] != '3' && ep[1] != '6')) {
            return 0;
        }
        const int colonne = ep[0] - 'a';
        const int ligne_case = ep[1] - '1';
        const couleur a_joue = adversaire(trait);
        if (ligne_case == (trait == BLANC ? 5 : 2)) {
            const int ligne_pion = ligne_case + a_joue;
            const int ligne_depart = ligne_case - a_joue;
            if (e.cases[index_case(ligne_pion, colonne)] == PION * a_joue &&
                e.cases[index_case(ligne_case, colonne)] == VIDE &&
                e.cases[index_case(ligne_depart, colonne)] == VIDE) {
                e.ep_ligne = ligne_pion;
                e.ep_colonne = colonne;
            }
        }
    }

    if (echec(&e, adversaire(trait)) != 0) return 0;
    *echiquier = e;
    *camp = trait;
    return 1;
}

int lit_fen_texte(const std::string& texte, Techiquier* echiquier, couleur* camp) {
    std::vector<std::string> champs;
    size_t i = 0;
    while (i < texte.size()) {
        while (i < texte.size() && std::isspace(static_cast<unsigned char>(texte[i])) != 0) i++;
        const size_t debut = i;
        while (i < texte.size() && std::isspace(static_cast<unsigned char>(texte[i])) == 0) i++;
        if (i > debut) champs.emplace_back(texte, debut, i - debut);
        // More words than fields: refused without reading the rest.
        if (champs.size() > 6) return 0;
    }
    return lit_fen(champs, echiquier, camp);
}
