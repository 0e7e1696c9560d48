// SPDX-License-Identifier: GPL-3.0-or-later
// The move list (a singly linked chain of Tcoup nodes on the heap) and the dormant
// record list of captured pieces.
#ifndef QUORVIK_PRIMITIVES_LISTES_H
#define QUORVIK_PRIMITIVES_LISTES_H

#include "primitives.h"

void init_liste(Tliste* liste);
int est_vide(Tliste liste);
int est_dans_liste(Tcoup coup, Tliste liste);
// Whether some move of the list starts from the square (given the moves played so far:
// whether the piece of that square has moved).
int a_bouge(int ligne, int colonne, Tliste liste);
void inserer_dans_liste_tete(Tcoup coup, Tliste* liste);
void inserer_dans_liste_queue(Tcoup coup, Tliste* liste);
// Removes at most one node equal to the move: the first node when it is equal, else the
// last equal node; the node is released.
void supprimer_dans_liste(Tcoup coup, Tliste* liste);
void total_destroy_liste(Tliste* liste);
int longueur_liste(Tliste liste);
void affiche_liste(Tliste liste);
// Plays the list on the board, flipping the side after each move.
void chargement_echiquier(Techiquier* echiquier, Tliste liste, couleur* c);

// A record of a square and the piece found there, kept in order of arrival. Nothing in
// the engine uses it yet.
struct Tadversaire_noeud {
    int32_t promotion;  // 32 (a space) until ajout_info_promotion writes it
    int32_t code_piece;
    int32_t ligne;
    int32_t colonne;
    Tadversaire_noeud* suivant;
};
using Tadversaire = Tadversaire_noeud*;

void inserer_dans_adversaire(const Techiquier* echiquier, int ligne, int colonne,
                             Tadversaire* liste);
void ajout_info_adversaire(const Techiquier* echiquier, int ligne, int colonne,
                           Tadversaire* liste);
void ajout_info_promotion(int32_t valeur, Tadversaire* liste);
void supprimer_dans_adversaire(Tcoup coup, Tadversaire* liste);
void total_destroy_adversaire(Tadversaire* liste);

#endif
