// SPDX-License-Identifier: GPL-3.0-or-later
// The fast generator, check test and legality filter against the straightforward list
// generator, `echec` and `enleve_pos_echec`, on positions of random games: same moves in
// the same order, same answers.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "divers.h"
#include "primitives_listes.h"
#include "primitives_pieces.h"
#include "primitives_rapides.h"

namespace {

// The generator's list, kept whole or passed through one of the two legality filters.
enum class Tfiltre { aucun, lent, rapide };

std::vector<Tcoup> liste_lente(const Techiquier* e, couleur c, Tfiltre filtre = Tfiltre::aucun) {
    Tliste liste;
    init_liste(&liste);
    generateur(e, c, &liste);
    if (filtre == Tfiltre::lent) enleve_pos_echec(e, &liste);
    if (filtre == Tfiltre::rapide) enleve_pos_echec_rapide(e, &liste);
    std::vector<Tcoup> coups;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) coups.push_back(fait_coup(
        n->ligne_depart, n->colonne_depart, n->ligne_arrivee, n->colonne_arrivee));
    total_destroy_liste(&liste);
    return coups;
}

std::vector<Tcoup> liste_rapide(const Techiquier* e, couleur c) {
    Tcoups coups;
    genere_coups(e, c, &coups);
    std::vector<Tcoup> resultat;
    for (int i = coups.debut; i < coups.fin; i++) resultat.push_back(vers_Tcoup(coups.tampon[i]));
    return resultat;
}

// The moves handed out one at a time, captures found from the last piece backward.
std::vector<Tcoup> liste_par_etapes(const Techiquier* e, couleur c) {
    Tcoups_par_etapes etapes;
    commence_coups(e, c, camps(e), &etapes);
    std::vector<Tcoup> resultat;
    Tdeplacement d;
    while (coup_suivant(e, c, &etapes, &d)) resultat.push_back(vers_Tcoup(d));
    return resultat;
}

std::string texte(const std::vector<Tcoup>& coups) {
    std::string t;
    for (const Tcoup& c : coups) {
        t += static_cast<char>('a' + c.colonne_depart);
        t += static_cast<char>('1' + c.ligne_depart);
        t += static_cast<char>('a' + c.colonne_arrivee);
        t += static_cast<char>('1' + c.ligne_arrivee);
        t += ' ';
    }
    return t;
}

int legaux_par_copie(const Techiquier* e, couleur c) {
    int n = 0;
    for (const Tcoup& coup : liste_lente(e, c)) {
        Techiquier copie;
        copie_Techiquier(e, &copie);
        execute_coup(&copie, coup);
        n += !echec(&copie, c);
    }
    return n;
}

// What the search works out for each move without the general routines: the sets after
// it, kept up to date from the sets before it, and for a step of the king its safety.
void compare_apres_chaque_coup(const Techiquier* e, couleur c, const std::string& partie) {
    const Tcamps ensembles = camps(e);
    Tsurete surete;
    analyse_surete(e, c, ensembles, &surete);
    Tcoups coups;
    genere_coups(e, c, &coups);
    for (int i = coups.debut; i < coups.fin; i++) {
        const Tdeplacement d = coups.tampon[i];
        Techiquier apres = *e;
        execute_coup(&apres, vers_Tcoup(d));
        if (est_pas_du_roi(e, &surete, d)) {
            ASSERT_EQ(pas_du_roi_sur(e, c, ensembles, d), !echec_rapide(&apres, c))
                << texte({vers_Tcoup(d)}) << "side " << c << " after: " << partie;
        }
        const Tcamps attendus = camps(&apres);
        const Tcamps suivis = camps_apres(ensembles, e, d, &apres);
        ASSERT_TRUE(attendus.blancs == suivis.blancs && attendus.noirs == suivis.noirs &&
                    attendus.diagonaux == suivis.diagonaux && attendus.droits == suivis.droits &&
                    attendus.pions == suivis.pions)
            << texte({vers_Tcoup(d)}) << "side " << c << " after: " << partie;
    }
}

// Compares everything the fast routines answer for one position.
void compare_position(const Techiquier* e, const std::string& partie) {
    for (couleur c : {BLANC, NOIR}) {
        const std::string lente = texte(liste_lente(e, c));
        ASSERT_EQ(texte(liste_rapide(e, c)), lente) << "side " << c << " after: " << partie;
        ASSERT_EQ(texte(liste_par_etapes(e, c)), lente) << "side " << c << " after: " << partie;
        ASSERT_EQ(echec_rapide(e, c), echec(e, c)) << "side " << c << " after: " << partie;
        ASSERT_EQ(texte(liste_lente(e, c, Tfiltre::rapide)),
                  texte(liste_lente(e, c, Tfiltre::lent)))
            << "legal moves, side " << c << " after: " << partie;
        ASSERT_EQ(compte_coups_legaux(e, c), legaux_par_copie(e, c))
            << "side " << c << " after: " << partie;
        compare_apres_chaque_coup(e, c, partie);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

std::string nom(Tcoup c) {
    return texte({c}).substr(0, 4);
}

// Random games: legal play, or with `pseudo` any pseudo-legal move (kings may be taken,
// one may castle through check), which reaches the odd positions too.
void parcourt_parties(unsigned graine, int parties, bool pseudo) {
    std::mt19937 hasard(graine);
    for (int p = 0; p < parties; p++) {
        Techiquier e;
        init_echiquier(&e);
        couleur c = BLANC;
        std::string partie;
        for (int ply = 0; ply < 160; ply++) {
            compare_position(&e, partie);
            if (::testing::Test::HasFatalFailure()) return;
            std::vector<Tcoup> coups = liste_lente(&e, c);
            if (!pseudo) {
                std::vector<Tcoup> legaux;
                for (const Tcoup& coup : coups) {
                    Techiquier copie;
                    copie_Techiquier(&e, &copie);
                    execute_coup(&copie, coup);
                    if (!echec(&copie, c)) legaux.push_back(coup);
                }
                coups = legaux;
            }
            if (coups.empty()) break;
            const Tcoup choisi = coups[hasard() % coups.size()];
            partie += nom(choisi) + " ";
            execute_coup(&e, choisi);
            inverser_couleur(&c);
        }
    }
}

}  // namespace

TEST(Rapide, MemesCoupsMemeOrdreSurDesPartiesLegales) { parcourt_parties(1234, 60, false); }

TEST(Rapide, MemesReponsesSurDesPartiesSansRegleDEchec) { parcourt_parties(99, 60, true); }

// Moves a GUI could never send still leave positions that both routines must read alike:
// a king gone from its stored square, pawns on their own back row, pieces on the en
// passant square.
TEST(Rapide, MemesReponsesSurDesPositionsAbsurdes) {
    std::mt19937 hasard(7);
    for (int p = 0; p < 300; p++) {
        Techiquier e;
        init_echiquier(&e);
        std::string partie;
        for (int k = 0; k < 40; k++) {
            const Tcoup coup = fait_coup(static_cast<int>(hasard() % 8), static_cast<int>(hasard() % 8),
                                         static_cast<int>(hasard() % 8), static_cast<int>(hasard() % 8));
            execute_coup(&e, coup);
            partie += nom(coup) + " ";
            compare_position(&e, partie);
            if (HasFatalFailure()) return;
            // Counts below the pieces on the board (no move leads there) stop the
            // generator's scan early: the same moves still, in the same order.
            Techiquier moins = e;
            moins.nb_pieces_blanches -= static_cast<int32_t>(hasard() % 4);
            moins.nb_pieces_noires -= static_cast<int32_t>(hasard() % 4);
            for (couleur c : {BLANC, NOIR}) {
                const std::string lente = texte(liste_lente(&moins, c));
                const std::string ou = "counts lowered, after: " + partie;
                ASSERT_EQ(texte(liste_rapide(&moins, c)), lente) << ou;
                ASSERT_EQ(texte(liste_par_etapes(&moins, c)), lente) << ou;
            }
        }
    }
}
