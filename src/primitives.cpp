// SPDX-License-Identifier: GPL-3.0-or-later
#include "primitives.h"

#include <cassert>

#include "divers.h"
#include "primitives_pieces.h"

namespace {

constexpr int32_t RANGEE_BLANCHE[8] = {5, 3, 4, 6, 2, 4, 3, 5};

}  // namespace

void compte_prise(Techiquier* e, int32_t x) {
    if (x > 0) {
        e->nb_pieces_blanches--;
        if (x == FOU) e->nb_fous_blancs--;
    } else if (x < 0) {
        e->nb_pieces_noires--;
        if (x == -FOU) e->nb_fous_noirs--;
    }
}

void init_echiquier(Techiquier* e) {
    for (int colonne = 0; colonne < 8; colonne++) {
        e->cases[index_case(0, colonne)] = RANGEE_BLANCHE[colonne];
        e->cases[index_case(1, colonne)] = PION;
        for (int ligne = 2; ligne < 6; ligne++) e->cases[index_case(ligne, colonne)] = VIDE;
        e->cases[index_case(6, colonne)] = -PION;
        e->cases[index_case(7, colonne)] = -RANGEE_BLANCHE[colonne];
    }
    e->trait = 1;
    e->nb_pieces_blanches = 16;
    e->nb_pieces_noires = 16;
    e->nb_fous_blancs = 2;
    e->nb_fous_noirs = 2;
    e->grand_roque_blanc = 1;
    e->petit_roque_blanc = 1;
    e->grand_roque_noir = 1;
    e->petit_roque_noir = 1;
    e->ep_ligne = -1;
    e->ep_colonne = -1;
    e->roi_blanc_ligne = 0;
    e->roi_blanc_colonne = 4;
    e->roi_noir_ligne = 7;
    e->roi_noir_colonne = 4;
}

void execute_coup(Techiquier* e, Tcoup coup) {
    const int l1 = coup.ligne_depart, c1 = coup.colonne_depart;
    const int l2 = coup.ligne_arrivee, c2 = coup.colonne_arrivee;
    const int32_t m = e->cases[index_case(l1, c1)];
    const int32_t x = e->cases[index_case(l2, c2)];

    compte_prise(e, x);
    e->ep_ligne = -1;

    switch (valeur_absolue(m)) {
        case PION:
            est_pris_en_passant(e, coup);
            if (l2 - l1 == 2 || l1 - l2 == 2) {
                e->ep_ligne = l2;
                e->ep_colonne = c2;
            }
            break;
        case ROI:
            fait_un_roque(e, coup);
            if (m == ROI) {
                e->grand_roque_blanc = 0;
                e->petit_roque_blanc = 0;
                e->roi_blanc_ligne = l2;
                e->roi_blanc_colonne = c2;
            } else {
                e->grand_roque_noir = 0;
                e->petit_roque_noir = 0;
                e->roi_noir_ligne = l2;
                e->roi_noir_colonne = c2;
            }
            break;
        case TOUR:
            // Only the column counts: a rook leaving column a or h from any row loses the
            // right of that side.
            if (m == TOUR) {
                if (c1 == 0) e->grand_roque_blanc = 0;
                if (c1 == 7) e->petit_roque_blanc = 0;
            } else {
                if (c1 == 0) e->grand_roque_noir = 0;
                if (c1 == 7) e->petit_roque_noir = 0;
            }
            break;
        default:
            break;
    }

    if (x == TOUR) {
        if (c2 == 0) e->grand_roque_blanc = 0;
        if (c2 == 7) e->petit_roque_blanc = 0;
    } else if (x == -TOUR) {
        if (c2 == 0) e->grand_roque_noir = 0;
        if (c2 == 7) e->petit_roque_noir = 0;
    }

    int32_t pose = m;
    if (m == PION && l2 == 7) pose = DAME;
    if (m == -PION && l2 == 0) pose = -DAME;
    e->cases[index_case(l2, c2)] = pose;
    supprime_piece(e, l1, c1);

    assert(echiquier_coherent(e));
}

void generateur(const Techiquier* e, couleur c, Tliste* liste) {
    const int32_t a_voir = c == BLANC ? e->nb_pieces_blanches : e->nb_pieces_noires;
    int32_t vues = 0;
    for (int i = 0; i < 8; i++) {
        const int ligne = c == BLANC ? i : 7 - i;
        for (int colonne = 0; colonne < 8; colonne++) {
            if (e->cases[index_case(ligne, colonne)] * c > 0) {
                coups_possibles_case(e, ligne, colonne, liste);
                vues++;
            }
            if (vues == a_voir) return;
        }
    }
}

void coups_possibles_case(const Techiquier* e, int ligne, int colonne, Tliste* liste) {
    switch (valeur_absolue(e->cases[index_case(ligne, colonne)])) {
        case PION:
            coups_pion(e, ligne, colonne, liste);
            prise_en_passant(e, ligne, colonne, liste);
            break;
        case ROI:
            roque(e, ligne, colonne, liste);
            coups_roi(e, ligne, colonne, liste);
            break;
        case CAVALIER:
            coups_cavalier(e, ligne, colonne, liste);
            break;
        case FOU:
            coups_fou(e, ligne, colonne, liste);
            break;
        case TOUR:
            coups_tour(e, ligne, colonne, liste);
            break;
        case DAME:
            coups_dame(e, ligne, colonne, liste);
            break;
        default:
            break;
    }
}

int echiquier_coherent(const Techiquier* e) {
    int32_t blanches = 0, noires = 0;
    for (int32_t code : e->cases) {
        if (code < -DAME || code > DAME) return 0;
        blanches += code > 0;
        noires += code < 0;
    }
    if (e->nb_pieces_blanches < blanches || e->nb_pieces_noires < noires) return 0;
    if (e->ep_ligne < -1 || e->ep_ligne > 7) return 0;
    const bool rois_valides = e->roi_blanc_ligne >= 0 && e->roi_blanc_ligne <= 8 &&
                              e->roi_blanc_colonne >= 0 && e->roi_blanc_colonne <= 8 &&
                              e->roi_noir_ligne >= 0 && e->roi_noir_ligne <= 8 &&
                              e->roi_noir_colonne >= 0 && e->roi_noir_colonne <= 8;
    return rois_valides ? 1 : 0;
}
