// SPDX-License-Identifier: GPL-3.0-or-later
#include "primitives_pieces.h"

#include <vector>

#include "divers.h"
#include "primitives_listes.h"
#include "primitives_rapides.h"

namespace {

int32_t code_en(const Techiquier* e, int ligne, int colonne) {
    return e->cases[index_case(ligne, colonne)];
}

// Knight and king: each offset on the board and not onto the own side.
void coups_sauteur(const Techiquier* e, int ligne, int colonne, const Tdecalage (&decalages)[8],
                   Tliste* liste) {
    for (const Tdecalage& d : decalages) {
        const int l = ligne + d.ligne, c = colonne + d.colonne;
        if (!sur_echiquier(l, c)) continue;
        const Tcoup coup = fait_coup(ligne, colonne, l, c);
        if (!couleur_identique(e, coup)) inserer_dans_liste(e, coup, liste);
    }
}

// Sliders: empty squares go to the tail, an opposing piece to the head and ends the ray.
void coups_rayons(const Techiquier* e, int ligne, int colonne, const Tdecalage (&rayons)[4],
                  Tliste* liste) {
    for (const Tdecalage& d : rayons) {
        for (int l = ligne + d.ligne, c = colonne + d.colonne; sur_echiquier(l, c);
             l += d.ligne, c += d.colonne) {
            const Tcoup coup = fait_coup(ligne, colonne, l, c);
            if (!piece(e, l, c)) {
                inserer_dans_liste_queue(coup, liste);
                continue;
            }
            if (coul_oppos(e, coup)) inserer_dans_liste_tete(coup, liste);
            break;
        }
    }
}

int direction_pion(int32_t code) { return code > 0 ? 1 : -1; }

}  // namespace

void inserer_dans_liste(const Techiquier* e, Tcoup coup, Tliste* liste) {
    if (piece(e, coup.ligne_arrivee, coup.colonne_arrivee)) {
        inserer_dans_liste_tete(coup, liste);
    } else {
        inserer_dans_liste_queue(coup, liste);
    }
}

// ---- Pawns ----

int pion_dep(const Techiquier* e, int ligne, int colonne) {
    const int d = direction_pion(code_en(e, ligne, colonne));
    if (!sur_echiquier(ligne + d, colonne) || piece(e, ligne + d, colonne)) return 0;
    const int depart = d == 1 ? 1 : 6;
    if (ligne == depart && !piece(e, ligne + 2 * d, colonne)) return 2;
    return 1;
}

int pion_r(const Techiquier* e, Tcoup coup) { return coul_oppos(e, coup); }

int pion_pr(const Techiquier* e, Tcoup coup) {
    const int ligne = coup.ligne_depart;
    const int d = direction_pion(code_en(e, ligne, coup.colonne_depart));
    const bool peut_avancer = d == 1 ? ligne < 7 : ligne > 0;
    if (!peut_avancer) return 0;
    return pion_r(e, fait_coup(ligne, coup.colonne_depart, ligne + d, coup.colonne_arrivee));
}

int pion_pr_g(const Techiquier* e, int ligne, int colonne) {
    if (colonne == 0) return 0;
    return pion_pr(e, fait_coup(ligne, colonne, ligne, colonne - 1));
}

int pion_pr_d(const Techiquier* e, int ligne, int colonne) {
    if (colonne == 7) return 0;
    return pion_pr(e, fait_coup(ligne, colonne, ligne, colonne + 1));
}

void coups_pion(const Techiquier* e, int ligne, int colonne, Tliste* liste) {
    const int d = direction_pion(code_en(e, ligne, colonne));
    const int pas = pion_dep(e, ligne, colonne);
    if (pas >= 1) inserer_dans_liste_queue(fait_coup(ligne, colonne, ligne + d, colonne), liste);
    if (pas == 2) {
        inserer_dans_liste_queue(fait_coup(ligne, colonne, ligne + 2 * d, colonne), liste);
    }
    if (pion_pr_g(e, ligne, colonne)) {
        inserer_dans_liste_tete(fait_coup(ligne, colonne, ligne + d, colonne - 1), liste);
    }
    if (pion_pr_d(e, ligne, colonne)) {
        inserer_dans_liste_tete(fait_coup(ligne, colonne, ligne + d, colonne + 1), liste);
    }
}

// ---- Pieces ----

void coups_cavalier(const Techiquier* e, int ligne, int colonne, Tliste* liste) {
    coups_sauteur(e, ligne, colonne, SAUTS_CAVALIER, liste);
}

void coups_fou(const Techiquier* e, int ligne, int colonne, Tliste* liste) {
    coups_rayons(e, ligne, colonne, RAYONS_FOU, liste);
}

void coups_tour(const Techiquier* e, int ligne, int colonne, Tliste* liste) {
    coups_rayons(e, ligne, colonne, RAYONS_TOUR, liste);
}

void coups_dame(const Techiquier* e, int ligne, int colonne, Tliste* liste) {
    coups_fou(e, ligne, colonne, liste);
    coups_tour(e, ligne, colonne, liste);
}

void coups_roi(const Techiquier* e, int ligne, int colonne, Tliste* liste) {
    coups_sauteur(e, ligne, colonne, PAS_ROI, liste);
}

// ---- En passant and castling ----

void prise_en_passant(const Techiquier* e, int ligne, int colonne, Tliste* liste) {
    if (e->ep_ligne < 0) return;
    if (colonne != e->ep_colonne - 1 && colonne != e->ep_colonne + 1) return;
    const couleur c = piece_couleur(code_en(e, ligne, colonne));
    // The capturer stands where the opposing pawn lands after its two-square advance.
    if (ligne != (c == BLANC ? 4 : 3)) return;
    inserer_dans_liste_tete(fait_coup(ligne, colonne, ligne + c, e->ep_colonne), liste);
}

void roque(const Techiquier* e, int ligne, int colonne, Tliste* liste) {
    if (colonne != 4) return;
    const couleur c = code_en(e, ligne, 4) > 0 ? BLANC : NOIR;
    const int base = ligne_de_base(c);
    if (ligne != base) return;
    const int32_t grand = c == BLANC ? e->grand_roque_blanc : e->grand_roque_noir;
    const int32_t petit = c == BLANC ? e->petit_roque_blanc : e->petit_roque_noir;
    if (grand != 0 && code_en(e, base, 0) == TOUR * c) {
        roque_insert(e, fait_coup(ligne, colonne, base, 0), liste);
    }
    if (petit != 0 && code_en(e, base, 7) == TOUR * c) {
        roque_insert(e, fait_coup(ligne, colonne, base, 7), liste);
    }
}

void roque_insert(const Techiquier* e, Tcoup coup, Tliste* liste) {
    const int pas = coup.colonne_arrivee == 0 ? -1 : 1;
    const int ligne = coup.ligne_depart;
    int colonne = coup.colonne_depart + pas;
    while (colonne > 0 && colonne < 7 && !piece(e, ligne, colonne)) colonne += pas;
    if (colonne != 0 && colonne != 7) return;  // something stands between king and rook
    inserer_dans_liste_queue(
        fait_coup(ligne, coup.colonne_depart, ligne, coup.colonne_depart + 2 * pas), liste);
}

void est_pris_en_passant(Techiquier* e, Tcoup coup) {
    const int l1 = coup.ligne_depart, c1 = coup.colonne_depart;
    const int l2 = coup.ligne_arrivee, c2 = coup.colonne_arrivee;
    if (piece(e, l2, c2)) return;
    if (c2 != c1 - 1 && c2 != c1 + 1) return;
    // The pawn taken stands just behind the to-square, seen from the mover. Only a
    // nonsense position line can aim behind the board; nothing is removed then.
    const int ligne_prise = l2 - piece_couleur(code_en(e, l1, c1));
    if (!sur_echiquier(ligne_prise, c2)) return;
    compte_prise(e, code_en(e, ligne_prise, c2));
    supprime_piece(e, ligne_prise, c2);
}

void fait_un_roque(Techiquier* e, Tcoup coup) {
    const int l1 = coup.ligne_depart;
    if (coup.colonne_depart != 4) return;
    if (coup.colonne_arrivee == 2) {
        e->cases[index_case(l1, 3)] = code_en(e, l1, 0);
        supprime_piece(e, l1, 0);
    } else if (coup.colonne_arrivee == 6) {
        e->cases[index_case(l1, 5)] = code_en(e, l1, 7);
        supprime_piece(e, l1, 7);
    }
}

// ---- Check and legality ----

int echec(const Techiquier* e, couleur c) {
    const int ligne_roi = c == BLANC ? e->roi_blanc_ligne : e->roi_noir_ligne;
    const int colonne_roi = c == BLANC ? e->roi_blanc_colonne : e->roi_noir_colonne;
    if (!sur_echiquier(ligne_roi, colonne_roi)) return 0;  // no king, no check
    Tliste liste;
    init_liste(&liste);
    generateur(e, adversaire(c), &liste);
    int attaque = 0;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) {
        if (n->ligne_arrivee == ligne_roi && n->colonne_arrivee == colonne_roi) {
            attaque = 1;
            break;
        }
    }
    total_destroy_liste(&liste);
    return attaque;
}

namespace {

// The check test of the legality filter: the straightforward one on the whole opponent
// list, or the fast one (same answers) of the search's inner loops.
int en_echec(const Techiquier* e, couleur c, bool rapide) {
    return rapide ? echec_rapide(e, c) : echec(e, c);
}

void retire_si_en_echec(const Techiquier* e, Tcoup coup, Tliste* liste, bool rapide) {
    Techiquier copie;
    copie_Techiquier(e, &copie);
    execute_coup(&copie, coup);
    const int32_t code = code_en(e, coup.ligne_depart, coup.colonne_depart);
    if (!en_echec(&copie, piece_couleur(code), rapide)) return;
    supprimer_dans_liste(coup, liste);
    if (valeur_absolue(code) != ROI) return;
    // A king that may not step one column aside may not castle toward that side either.
    int colonne_roque;
    if (coup.colonne_arrivee == coup.colonne_depart - 1) {
        colonne_roque = coup.colonne_depart - 2;
    } else if (coup.colonne_arrivee == coup.colonne_depart + 1) {
        colonne_roque = coup.colonne_depart + 2;
    } else {
        return;
    }
    const Tcoup castling =
        fait_coup(coup.ligne_depart, coup.colonne_depart, coup.ligne_arrivee, colonne_roque);
    if (est_dans_liste(castling, *liste)) supprimer_dans_liste(castling, liste);
}

void filtre_legal(const Techiquier* e, Tliste* liste, bool rapide) {
    // Each move of the list as it stands now is tested once, in order, by value: a test
    // may release nodes (an equal move further on included), never a value kept here.
    std::vector<Tcoup> a_tester;
    a_tester.reserve(static_cast<size_t>(longueur_liste(*liste)));
    for (Tcoup* n = *liste; n != nullptr; n = n->suivant) a_tester.push_back(*n);
    for (const Tcoup& coup : a_tester) retire_si_en_echec(e, coup, liste, rapide);

    if (*liste == nullptr) return;
    const couleur c = piece_couleur(code_en(e, (*liste)->ligne_depart, (*liste)->colonne_depart));
    if (c == 0) return;
    const int base = ligne_de_base(c);
    if (code_en(e, base, 4) * c == ROI && en_echec(e, c, rapide)) {
        supprimer_dans_liste(fait_coup(base, 4, base, 2), liste);
        supprimer_dans_liste(fait_coup(base, 4, base, 6), liste);
    }
}

}  // namespace

void clouage(const Techiquier* e, Tcoup coup, Tliste* liste) {
    retire_si_en_echec(e, coup, liste, false);
}

void enleve_pos_echec(const Techiquier* e, Tliste* liste) { filtre_legal(e, liste, false); }

void enleve_pos_echec_rapide(const Techiquier* e, Tliste* liste) {
    filtre_legal(e, liste, true);
}

int echec_mat(const Techiquier* e, couleur c) {
    Tliste liste;
    init_liste(&liste);
    generateur(e, c, &liste);
    enleve_pos_echec(e, &liste);
    const int sans_coup = est_vide(liste);
    total_destroy_liste(&liste);
    return sans_coup;
}

int test_echec_ou_mat(const Techiquier* e, couleur c) {
    if (echec_mat(e, c)) return echec(e, c) ? 3 : 2;
    return echec(e, c) ? 1 : 0;
}

Tcoord recherche_roi(const Techiquier* e, couleur c) {
    for (int ligne = 0; ligne < 8; ligne++) {
        for (int colonne = 0; colonne < 8; colonne++) {
            if (code_en(e, ligne, colonne) == ROI * c) return Tcoord{ligne, colonne};
        }
    }
    return Tcoord{8, 8};
}
