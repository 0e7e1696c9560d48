// SPDX-License-Identifier: GPL-3.0-or-later
#include "primitives_listes.h"

#include "divers.h"

namespace {

Tcoup* nouveau_noeud(Tcoup coup, Tcoup* suivant) {
    return new Tcoup{coup.ligne_depart, coup.colonne_depart, coup.ligne_arrivee,
                     coup.colonne_arrivee, suivant};
}

}  // namespace

void init_liste(Tliste* liste) { *liste = nullptr; }

int est_vide(Tliste liste) { return liste == nullptr; }

int est_dans_liste(Tcoup coup, Tliste liste) {
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) {
        if (comp_Tcoup(*n, coup)) return 1;
    }
    return 0;
}

int a_bouge(int ligne, int colonne, Tliste liste) {
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) {
        if (comp_Tcoord(Tcoord{n->ligne_depart, n->colonne_depart}, Tcoord{ligne, colonne})) {
            return 1;
        }
    }
    return 0;
}

void inserer_dans_liste_tete(Tcoup coup, Tliste* liste) { *liste = nouveau_noeud(coup, *liste); }

void inserer_dans_liste_queue(Tcoup coup, Tliste* liste) {
    Tcoup* noeud = nouveau_noeud(coup, nullptr);
    if (*liste == nullptr) {
        *liste = noeud;
        return;
    }
    Tcoup* dernier = *liste;
    while (dernier->suivant != nullptr) dernier = dernier->suivant;
    dernier->suivant = noeud;
}

void supprimer_dans_liste(Tcoup coup, Tliste* liste) {
    if (*liste == nullptr) return;
    if (comp_Tcoup(**liste, coup)) {
        Tcoup* premier = *liste;
        *liste = premier->suivant;
        delete premier;
        return;
    }
    Tcoup* precedent_du_dernier_egal = nullptr;
    for (Tcoup* n = *liste; n->suivant != nullptr; n = n->suivant) {
        if (comp_Tcoup(*n->suivant, coup)) precedent_du_dernier_egal = n;
    }
    if (precedent_du_dernier_egal == nullptr) return;
    Tcoup* retire = precedent_du_dernier_egal->suivant;
    precedent_du_dernier_egal->suivant = retire->suivant;
    delete retire;
}

void total_destroy_liste(Tliste* liste) {
    while (*liste != nullptr) {
        Tcoup* suivant = (*liste)->suivant;
        delete *liste;
        *liste = suivant;
    }
}

int longueur_liste(Tliste liste) {
    int n = 0;
    for (; liste != nullptr; liste = liste->suivant) n++;
    return n;
}

void affiche_liste(Tliste liste) {
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) {
        ecrit("%c%d en %c%d\n", 'a' + n->colonne_depart, n->ligne_depart + 1,
              'a' + n->colonne_arrivee, n->ligne_arrivee + 1);
    }
    ecrit("\n");
}

void chargement_echiquier(Techiquier* e, Tliste liste, couleur* c) {
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) {
        execute_coup(e, *n);
        inverser_couleur(c);
    }
}

void inserer_dans_adversaire(const Techiquier* e, int ligne, int colonne, Tadversaire* liste) {
    auto* noeud = new Tadversaire_noeud{' ', e->cases[index_case(ligne, colonne)], ligne,
                                        colonne, nullptr};
    if (*liste == nullptr) {
        *liste = noeud;
        return;
    }
    Tadversaire_noeud* dernier = *liste;
    while (dernier->suivant != nullptr) dernier = dernier->suivant;
    dernier->suivant = noeud;
}

namespace {

Tadversaire_noeud* dernier_adversaire(Tadversaire liste) {
    if (liste == nullptr) return nullptr;
    while (liste->suivant != nullptr) liste = liste->suivant;
    return liste;
}

}  // namespace

void ajout_info_adversaire(const Techiquier* e, int ligne, int colonne, Tadversaire* liste) {
    Tadversaire_noeud* dernier = dernier_adversaire(*liste);
    if (dernier == nullptr) return;
    dernier->code_piece = e->cases[index_case(ligne, colonne)];
    dernier->ligne = ligne;
    dernier->colonne = colonne;
}

void ajout_info_promotion(int32_t valeur, Tadversaire* liste) {
    Tadversaire_noeud* dernier = dernier_adversaire(*liste);
    if (dernier != nullptr) dernier->promotion = valeur;
}

void supprimer_dans_adversaire(Tcoup /*coup*/, Tadversaire* liste) {
    if (*liste == nullptr) return;
    if ((*liste)->suivant == nullptr) {
        delete *liste;
        *liste = nullptr;
        return;
    }
    Tadversaire_noeud* avant_dernier = *liste;
    while (avant_dernier->suivant->suivant != nullptr) avant_dernier = avant_dernier->suivant;
    delete avant_dernier->suivant;
    avant_dernier->suivant = nullptr;
}

void total_destroy_adversaire(Tadversaire* liste) {
    while (*liste != nullptr) {
        Tadversaire_noeud* suivant = (*liste)->suivant;
        delete *liste;
        *liste = suivant;
    }
}
