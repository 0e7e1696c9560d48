// SPDX-License-Identifier: GPL-3.0-or-later
// The move list, its print-out and replay, and the dormant record list.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "aide_tests.h"
#include "divers.h"
#include "primitives_listes.h"

namespace {

Tcoup coup(const char* texte) {
    return fait_coup(texte[1] - '1', texte[0] - 'a', texte[3] - '1', texte[2] - 'a');
}

std::string texte(const Tcoup& c) {
    return {static_cast<char>('a' + c.colonne_depart), static_cast<char>('1' + c.ligne_depart),
            static_cast<char>('a' + c.colonne_arrivee), static_cast<char>('1' + c.ligne_arrivee)};
}

std::vector<std::string> textes(Tliste liste) {
    std::vector<std::string> resultat;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) resultat.push_back(texte(*n));
    return resultat;
}

std::vector<Tcoup*> noeuds(Tliste liste) {
    std::vector<Tcoup*> resultat;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) resultat.push_back(n);
    return resultat;
}

// A list built by appending the moves in order.
Tliste liste_de(std::initializer_list<const char*> coups) {
    Tliste liste;
    init_liste(&liste);
    for (const char* c : coups) inserer_dans_liste_queue(coup(c), &liste);
    return liste;
}

// Everything affiche_liste prints for the list.
std::string affichage(Tliste liste) {
    char* tampon = nullptr;
    size_t taille = 0;
    FILE* sortie = open_memstream(&tampon, &taille);
    installe_console_texte("", sortie);
    affiche_liste(liste);
    std::fclose(sortie);
    installe_console_texte("", stdout);
    std::string resultat(tampon, taille);
    std::free(tampon);
    return resultat;
}

using V = std::vector<std::string>;

TEST(Liste, VideEtInsertions) {
    Tcoup ancien = coup("a1a2");
    Tliste liste = &ancien;  // whatever it held before
    init_liste(&liste);
    EXPECT_EQ(liste, nullptr);
    EXPECT_EQ(est_vide(liste), 1);

    inserer_dans_liste_tete(coup("e2e4"), &liste);
    EXPECT_EQ(est_vide(liste), 0);
    inserer_dans_liste_queue(coup("d2d4"), &liste);
    inserer_dans_liste_tete(coup("g1f3"), &liste);
    EXPECT_EQ(textes(liste), (V{"g1f3", "e2e4", "d2d4"}));
    inserer_dans_liste_queue(coup("c2c4"), &liste);
    EXPECT_EQ(textes(liste), (V{"g1f3", "e2e4", "d2d4", "c2c4"}));
    EXPECT_EQ(longueur_liste(liste), 4);

    total_destroy_liste(&liste);
    EXPECT_EQ(liste, nullptr);
    total_destroy_liste(&liste);  // an empty list: nothing to do
    EXPECT_EQ(liste, nullptr);
}

TEST(Liste, LInsertionCopieLesCoordonneesSeulement) {
    Tcoup leurre = coup("a1a2");
    Tcoup donne = coup("e2e4");
    donne.suivant = &leurre;
    Tliste liste;
    init_liste(&liste);
    inserer_dans_liste_queue(donne, &liste);
    EXPECT_EQ(liste->suivant, nullptr);
    inserer_dans_liste_tete(donne, &liste);
    EXPECT_EQ(liste->suivant->suivant, nullptr);
    EXPECT_NE(liste, &donne);
    total_destroy_liste(&liste);
}

TEST(Liste, AppartenanceEtABouge) {
    Tliste vide;
    init_liste(&vide);
    EXPECT_EQ(est_dans_liste(coup("e2e4"), vide), 0);
    EXPECT_EQ(a_bouge(1, 4, vide), 0);

    Tliste liste = liste_de({"e2e4", "g8f6", "g1f3"});
    EXPECT_EQ(est_dans_liste(coup("g8f6"), liste), 1);
    EXPECT_EQ(est_dans_liste(coup("g1f3"), liste), 1);
    EXPECT_EQ(est_dans_liste(coup("f6g8"), liste), 0);
    EXPECT_EQ(est_dans_liste(coup("e2e3"), liste), 0);

    EXPECT_EQ(a_bouge(1, 4, liste), 1);  // e2
    EXPECT_EQ(a_bouge(0, 6, liste), 1);  // g1
    EXPECT_EQ(a_bouge(3, 4, liste), 0);  // e4 is a destination, not an origin
    EXPECT_EQ(a_bouge(0, 4, liste), 0);
    EXPECT_EQ(a_bouge(4, 1, liste), 0);  // row and column are not swapped
    total_destroy_liste(&liste);
}

TEST(Liste, SuppressionSimple) {
    Tliste liste = liste_de({"a2a3", "b2b3", "c2c3"});
    supprimer_dans_liste(coup("b2b3"), &liste);
    EXPECT_EQ(textes(liste), (V{"a2a3", "c2c3"}));
    total_destroy_liste(&liste);

    liste = liste_de({"a2a3", "b2b3", "c2c3"});
    supprimer_dans_liste(coup("a2a3"), &liste);
    EXPECT_EQ(textes(liste), (V{"b2b3", "c2c3"}));
    total_destroy_liste(&liste);

    liste = liste_de({"a2a3", "b2b3", "c2c3"});
    supprimer_dans_liste(coup("c2c3"), &liste);
    EXPECT_EQ(textes(liste), (V{"a2a3", "b2b3"}));
    supprimer_dans_liste(coup("d2d3"), &liste);
    EXPECT_EQ(textes(liste), (V{"a2a3", "b2b3"}));
    supprimer_dans_liste(coup("b2b3"), &liste);
    supprimer_dans_liste(coup("a2a3"), &liste);
    EXPECT_EQ(liste, nullptr);
    supprimer_dans_liste(coup("a2a3"), &liste);
    EXPECT_EQ(liste, nullptr);
}

TEST(Liste, SuppressionAvecDoublons) {
    // Not the first node: the last equal node goes.
    Tliste liste = liste_de({"b2b3", "a2a3", "c2c3", "a2a3"});
    std::vector<Tcoup*> avant = noeuds(liste);
    supprimer_dans_liste(coup("a2a3"), &liste);
    EXPECT_EQ(noeuds(liste), (std::vector<Tcoup*>{avant[0], avant[1], avant[2]}));
    total_destroy_liste(&liste);

    // The first node is equal: only it goes, the later equal node stays.
    liste = liste_de({"a2a3", "b2b3", "a2a3"});
    avant = noeuds(liste);
    supprimer_dans_liste(coup("a2a3"), &liste);
    EXPECT_EQ(noeuds(liste), (std::vector<Tcoup*>{avant[1], avant[2]}));
    EXPECT_EQ(textes(liste), (V{"b2b3", "a2a3"}));
    total_destroy_liste(&liste);

    // Three equal nodes after the first: the last of them.
    liste = liste_de({"h2h3", "a2a3", "a2a3", "a2a3", "g2g3"});
    avant = noeuds(liste);
    supprimer_dans_liste(coup("a2a3"), &liste);
    EXPECT_EQ(noeuds(liste), (std::vector<Tcoup*>{avant[0], avant[1], avant[2], avant[4]}));
    total_destroy_liste(&liste);
}

TEST(Liste, Affichage) {
    Tliste liste = liste_de({"e2e4"});
    EXPECT_EQ(affichage(liste), "e2 en e4\n\n");
    inserer_dans_liste_queue(coup("h7h8"), &liste);
    inserer_dans_liste_tete(coup("a1b1"), &liste);
    EXPECT_EQ(affichage(liste), "a1 en b1\ne2 en e4\nh7 en h8\n\n");
    total_destroy_liste(&liste);
    EXPECT_EQ(affichage(liste), "\n");
}

TEST(Liste, ChargementRejoueLaListeDansLOrdre) {
    Tliste liste = liste_de({"e2e4", "e7e5", "g1f3"});
    Techiquier e;
    init_echiquier(&e);
    couleur c = BLANC;
    chargement_echiquier(&e, liste, &c);
    EXPECT_EQ(c, NOIR);

    const Techiquier attendu = position_apres("e2e4 e7e5 g1f3");
    for (int i = 0; i < 64; i++) EXPECT_EQ(e.cases[i], attendu.cases[i]) << "square " << i;
    EXPECT_EQ(e.ep_ligne, -1);
    EXPECT_EQ(e.ep_colonne, 4);  // from e7e5, the last two-square advance
    total_destroy_liste(&liste);

    // An empty list changes nothing, the side included.
    Techiquier avant = e;
    chargement_echiquier(&e, nullptr, &c);
    EXPECT_EQ(c, NOIR);
    for (int i = 0; i < 64; i++) EXPECT_EQ(e.cases[i], avant.cases[i]);

    // Order matters: the knight cannot leave f3 before it has arrived there.
    liste = liste_de({"f3g5", "g1f3"});
    init_echiquier(&e);
    c = BLANC;
    chargement_echiquier(&e, liste, &c);
    EXPECT_EQ(c, BLANC);
    EXPECT_EQ(e.cases[index_case(2, 5)], CAVALIER);
    EXPECT_EQ(e.cases[index_case(4, 6)], VIDE);
    total_destroy_liste(&liste);
}

TEST(ListeAdversaire, AjoutsEnFinEtSuppressionsEnFin) {
    Techiquier e;
    init_echiquier(&e);
    Tadversaire liste = nullptr;

    // Changes on an empty list are ignored.
    ajout_info_adversaire(&e, 0, 0, &liste);
    ajout_info_promotion(6, &liste);
    supprimer_dans_adversaire(coup("a1a2"), &liste);
    EXPECT_EQ(liste, nullptr);

    inserer_dans_adversaire(&e, 0, 3, &liste);  // white queen d1
    ASSERT_NE(liste, nullptr);
    EXPECT_EQ(liste->promotion, 32);
    EXPECT_EQ(liste->code_piece, DAME);
    EXPECT_EQ(liste->ligne, 0);
    EXPECT_EQ(liste->colonne, 3);
    EXPECT_EQ(liste->suivant, nullptr);

    inserer_dans_adversaire(&e, 7, 4, &liste);  // black king e8
    ASSERT_NE(liste->suivant, nullptr);
    Tadversaire_noeud* second = liste->suivant;
    EXPECT_EQ(second->code_piece, -ROI);

    // Only the last record is written.
    ajout_info_adversaire(&e, 6, 0, &liste);
    ajout_info_promotion(6, &liste);
    EXPECT_EQ(second->code_piece, -PION);
    EXPECT_EQ(second->ligne, 6);
    EXPECT_EQ(second->colonne, 0);
    EXPECT_EQ(second->promotion, 6);
    EXPECT_EQ(liste->code_piece, DAME);
    EXPECT_EQ(liste->promotion, 32);

    // Removal takes the last record; the one before it stays.
    supprimer_dans_adversaire(coup("a1a2"), &liste);
    ASSERT_NE(liste, nullptr);
    EXPECT_EQ(liste->suivant, nullptr);
    EXPECT_EQ(liste->code_piece, DAME);
    supprimer_dans_adversaire(coup("a1a2"), &liste);
    EXPECT_EQ(liste, nullptr);

    for (int colonne = 0; colonne < 8; colonne++) inserer_dans_adversaire(&e, 1, colonne, &liste);
    total_destroy_adversaire(&liste);
    EXPECT_EQ(liste, nullptr);
    total_destroy_adversaire(&liste);
    EXPECT_EQ(liste, nullptr);
}

}  // namespace
