// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as the rest of a "position fen" line, handled by the
// command loop in the middle of a game. A refused line must change nothing and answer
// "Commande non reconnue"; an accepted one must leave a consistent board record whose
// moves the fast generator, check test and legality filter see as the list generator,
// `echec` and the straightforward filter do. The FEN reader itself must fill nothing when
// it refuses. Any failure aborts with the line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "aide_fuzz.h"
#include "divers.h"
#include "gui_xboard.h"
#include "primitives_fen.h"
#include "primitives_listes.h"
#include "primitives_pieces.h"
#include "primitives_rapides.h"

namespace {

[[noreturn]] void echec_du_test(const char* quoi, const std::string& ligne) {
    std::fprintf(stderr, "%s: \"%s\"\n", quoi, ligne.c_str());
    std::abort();
}

// The generator's moves, kept whole or through one of the two legality filters, as text.
std::string liste_lente(const Techiquier* e, couleur c, int filtre) {
    Tliste liste;
    init_liste(&liste);
    generateur(e, c, &liste);
    if (filtre == 1) enleve_pos_echec(e, &liste);
    if (filtre == 2) enleve_pos_echec_rapide(e, &liste);
    std::string texte;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) texte += texte_coup(e, *n) + " ";
    total_destroy_liste(&liste);
    return texte;
}

std::string liste_rapide(const Techiquier* e, couleur c) {
    Tcoups coups;
    genere_coups(e, c, &coups);
    std::string texte;
    for (int i = coups.debut; i < coups.fin; i++) {
        texte += texte_coup(e, vers_Tcoup(coups.tampon[i])) + " ";
    }
    return texte;
}

int legaux_par_copie(const Techiquier* e, couleur c) {
    Tcoups coups;
    genere_coups(e, c, &coups);
    int n = 0;
    for (int i = coups.debut; i < coups.fin; i++) {
        Techiquier copie = *e;
        execute_coup(&copie, vers_Tcoup(coups.tampon[i]));
        n += !echec(&copie, c);
    }
    return n;
}

void verifie_position(const Techiquier* e, const std::string& ligne) {
    if (!echiquier_coherent(e)) echec_du_test("inconsistent board record", ligne);
    for (couleur c : {BLANC, NOIR}) {
        if (liste_rapide(e, c) != liste_lente(e, c, 0)) {
            echec_du_test("the two generators differ", ligne);
        }
        if (echec_rapide(e, c) != echec(e, c)) echec_du_test("the two check tests differ", ligne);
        if (liste_lente(e, c, 2) != liste_lente(e, c, 1)) {
            echec_du_test("the two legality filters differ", ligne);
        }
        if (compte_coups_legaux(e, c) != legaux_par_copie(e, c)) {
            echec_du_test("the legal move counts differ", ligne);
        }
    }
}

bool meme_partie(const Tpartie& a, const Tpartie& b) {
    return std::memcmp(&a.echiquier, &b.echiquier, sizeof(Techiquier)) == 0 && a.camp == b.camp &&
           a.etat_partie == b.etat_partie && a.depuis_fen == b.depuis_fen &&
           a.historique.size() == b.historique.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* octets, size_t taille) {
    const std::string texte(reinterpret_cast<const char*>(octets), taille);

    // The reader alone: a refusal leaves the record and the side as they were.
    Techiquier lu;
    std::memset(&lu, 0x5A, sizeof lu);
    const Techiquier temoin = lu;
    couleur camp = 77;
    if (lit_fen_texte(texte, &lu, &camp) == 0) {
        if (std::memcmp(&lu, &temoin, sizeof lu) != 0 || camp != 77) {
            echec_du_test("a refused FEN changed the record", texte);
        }
    } else {
        verifie_position(&lu, texte);
    }

    // The same bytes as a line of the command loop, in the middle of a game: the console
    // cuts them into lines as it cuts any input, and the first one is handled.
    installe_console_texte("position fen " + texte + "\n", flux_recu());
    Tpartie partie;
    init_partie(&partie);
    traite_ligne(&partie, "ucinewgame");
    traite_ligne(&partie, "position startpos moves e2e4 e7e5 g1f3");
    const Tpartie avant = partie;
    std::string ligne;
    if (lit_commande(&ligne)) {
        vide_texte_recu();
        traite_ligne(&partie, ligne);
        const std::string reponse = texte_recu();
        if (reponse == "Commande non reconnue\n") {
            if (!meme_partie(avant, partie)) {
                echec_du_test("a refused line changed the game", ligne);
            }
        } else if (!reponse.empty()) {
            echec_du_test("an accepted line printed something", ligne);
        } else {
            if (!partie.depuis_fen || partie.etat_partie != 1) {
                echec_du_test("an accepted line left no game from FEN", ligne);
            }
            verifie_position(&partie.echiquier, ligne);
        }
    }
    installe_console_texte("", flux_perdu());
    return 0;
}
