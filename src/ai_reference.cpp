// SPDX-License-Identifier: GPL-3.0-or-later
#include "ai_reference.h"

#include "ai.h"
#include "divers.h"
#include "primitives_listes.h"
#include "primitives_pieces.h"

int evaluation_complete_reference(const Techiquier* e) {
    int total = 0;
    for (int ligne = 0; ligne < 8; ligne++) {
        for (int colonne = 0; colonne < 8; colonne++) {
            const int32_t code = e->cases[index_case(ligne, colonne)];
            if (code == VIDE) continue;
            total += evaluation(e, ligne, colonne) * piece_couleur(code);
            if (code == FOU && e->nb_fous_blancs == 2) total += 20;
            if (code == -FOU && e->nb_fous_noirs == 2) total -= 20;
        }
    }
    return total;
}

int alpha_beta_reference(const Techiquier* e, couleur c, int profondeur, int alpha, int beta,
                         std::vector<Tcoup>* ligne) {
    if (ligne != nullptr) ligne->clear();
    if (profondeur <= 0) {
        node++;
        return evaluation_complete_reference(e);
    }
    std::vector<Tcoup> suite;
    std::vector<Tcoup>* const ligne_enfant = ligne != nullptr ? &suite : nullptr;
    Tliste liste;
    init_liste(&liste);
    generateur(e, c, &liste);
    const couleur autre = adversaire(c);
    bool alpha_releve = false;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) {
        Techiquier copie;
        copie_Techiquier(e, &copie);
        execute_coup(&copie, *n);
        if (echec(&copie, c)) continue;
        int v;
        if (!alpha_releve) {
            v = alpha_beta_reference(&copie, autre, profondeur - 1, beta, alpha, ligne_enfant);
        } else {
            v = alpha_beta_reference(&copie, autre, profondeur - 1, alpha + c, alpha, ligne_enfant);
            if (c * alpha < c * v && c * v < c * beta) {
                v = alpha_beta_reference(&copie, autre, profondeur - 1, beta, alpha, ligne_enfant);
            }
        }
        if (c * v >= c * beta) {
            total_destroy_liste(&liste);
            if (ligne != nullptr) ligne->clear();
            return beta;
        }
        if (c * v > c * alpha) {
            alpha = v;
            alpha_releve = true;
            if (ligne != nullptr) {
                *ligne = {*n};
                ligne->insert(ligne->end(), suite.begin(), suite.end());
            }
        }
    }
    total_destroy_liste(&liste);
    if (alpha_releve) return alpha;
    if (ligne != nullptr) ligne->clear();
    if (echec(e, c)) return (10 - profondeur) * evaluation_complete_reference(e) - 7000 * c;
    return evaluation_complete_reference(e);
}

Tchoix_racine choix_coup_reference(const Techiquier* e, couleur c, int profondeur,
                                   Tcoup coup_initial, const std::vector<Tcoup>* permis,
                                   bool avec_lignes) {
    Tliste liste;
    init_liste(&liste);
    generateur(e, c, &liste);
    enleve_pos_echec(e, &liste);
    if (permis != nullptr) garde_coups_permis(&liste, *permis);
    node = 0;
    Tchoix_racine choix{coup_initial, 0, 0, 0, {}};
    int meilleur = c * -50000;
    bool adopte = false;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) {
        Techiquier copie;
        copie_Techiquier(e, &copie);
        execute_coup(&copie, *n);
        std::vector<Tcoup> ligne;
        const int v = alpha_beta_reference(&copie, adversaire(c), profondeur - 1, c * 10000,
                                           c * -10000, avec_lignes ? &ligne : nullptr);
        if (avec_lignes) ligne.insert(ligne.begin(), *n);
        choix.racines.push_back({*n, v, ligne});
        choix.coups_legaux++;
        if (c * v > c * meilleur) {
            meilleur = v;
            choix.coup = fait_coup(n->ligne_depart, n->colonne_depart, n->ligne_arrivee,
                                   n->colonne_arrivee);
            choix.score_rapporte = c * evaluation_complete_reference(&copie);
            adopte = true;
        }
    }
    if (!adopte && liste != nullptr) {
        choix.coup = fait_coup(liste->ligne_depart, liste->colonne_depart, liste->ligne_arrivee,
                               liste->colonne_arrivee);
    }
    choix.noeuds = node;
    total_destroy_liste(&liste);
    return choix;
}

int64_t perft_reference(const Techiquier* e, couleur c, int profondeur) {
    Tliste liste;
    init_liste(&liste);
    generateur(e, c, &liste);
    enleve_pos_echec(e, &liste);
    int64_t total = 0;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) {
        Techiquier copie;
        copie_Techiquier(e, &copie);
        execute_coup(&copie, *n);
        total += min_max_reference(&copie, adversaire(c), profondeur - 1) + 1;
    }
    total_destroy_liste(&liste);
    return total;
}

int64_t min_max_reference(const Techiquier* e, couleur c, int profondeur) {
    if (profondeur <= 0) return 0;
    Tliste liste;
    init_liste(&liste);
    generateur(e, c, &liste);
    int64_t total = 0;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) {
        Techiquier copie;
        copie_Techiquier(e, &copie);
        execute_coup(&copie, *n);
        if (echec(&copie, c)) continue;
        total += min_max_reference(&copie, adversaire(c), profondeur - 1) + 1;
    }
    total_destroy_liste(&liste);
    return total;
}
