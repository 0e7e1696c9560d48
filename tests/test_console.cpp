// SPDX-License-Identifier: GPL-3.0-or-later
// The console: the print-outs and the board set-up, reading command lines, and the input
// polling done between root moves, on a text console and on a pipe.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "aide_tests.h"
#include "divers.h"
#include "gui_xboard.h"
#include "primitives_listes.h"

namespace {

// What the engine writes, collected in memory. The console goes back to standard output
// when the collector ends.
struct Tsortie {
    char* tampon = nullptr;
    size_t taille = 0;
    FILE* flux = open_memstream(&tampon, &taille);

    Tsortie() = default;
    Tsortie(const Tsortie&) = delete;
    Tsortie& operator=(const Tsortie&) = delete;
    ~Tsortie() {
        installe_console_texte("", stdout);
        std::fclose(flux);
        std::free(tampon);
    }
    std::string texte() {
        std::fflush(flux);
        return std::string(tampon, taille);
    }
};

// A pipe whose read end is the engine's console.
struct Ttuyau {
    int lecture = -1;
    int ecriture = -1;

    explicit Ttuyau(FILE* sortie) {
        int fd[2];
        if (pipe(fd) != 0) std::abort();
        lecture = fd[0];
        ecriture = fd[1];
        installe_console(lecture, sortie);
    }
    Ttuyau(const Ttuyau&) = delete;
    Ttuyau& operator=(const Ttuyau&) = delete;
    ~Ttuyau() {
        ferme_ecriture();
        close(lecture);
    }
    void ecrit_texte(const std::string& texte) const {
        size_t ecrits = 0;
        while (ecrits < texte.size()) {
            const ssize_t n = write(ecriture, texte.data() + ecrits, texte.size() - ecrits);
            if (n <= 0) return;
            ecrits += static_cast<size_t>(n);
        }
    }
    void ferme_ecriture() {
        if (ecriture >= 0) close(ecriture);
        ecriture = -1;
    }
};

// Runs a poll that must not wait for input; a poll that blocks fails the test instead of
// hanging it (a line is then written to release it).
int sans_attendre(const Ttuyau& tuyau, int (*sondage)()) {
    auto resultat = std::async(std::launch::async, sondage);
    if (resultat.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        tuyau.ecrit_texte("\n");
        resultat.wait();
        ADD_FAILURE() << "the poll waited for input";
        return -1;
    }
    return resultat.get();
}

const std::string REGLE = " ---------------------------------\n";

std::string grille_initiale() {
    return "\n\n\tAffichage de l'echiquier\n\n" + REGLE +
           " | -5 | -3 | -4 | -6 | -2 | -4 | -3 | -5 | 8\n" + REGLE +
           " | -1 | -1 | -1 | -1 | -1 | -1 | -1 | -1 | 7\n" + REGLE +
           " | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 6\n" + REGLE +
           " | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 5\n" + REGLE +
           " | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 4\n" + REGLE +
           " | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 3\n" + REGLE +
           " | 1 | 1 | 1 | 1 | 1 | 1 | 1 | 1 | 2\n" + REGLE +
           " | 5 | 3 | 4 | 6 | 2 | 4 | 3 | 5 | 1\n" + REGLE +
           "   A   B   C   D   E   F   G   H \n\n";
}

std::string invite(char lettre, int rang) {
    return std::string("\tChoississez la piece en ") + lettre + std::to_string(rang) +
           " (P, C, F, T, D, ou R) :\n";
}

// Answers for the 64 squares: `debut` first, then zeros.
std::string reponses(const std::string& debut, int deja) {
    std::string texte = debut;
    for (int i = deja; i < 64; i++) texte += " 0";
    return texte + "\n";
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Print-outs
// ---------------------------------------------------------------------------------------

TEST(Console, GrilleDeLaPositionInitialeAuCaractere) {
    Tsortie sortie;
    installe_console_texte("", sortie.flux);
    Techiquier e;
    init_echiquier(&e);
    affichage_echiquier(&e);
    const std::string texte = sortie.texte();
    EXPECT_EQ(texte, grille_initiale());
    const std::vector<std::string> l = lignes(texte);
    ASSERT_EQ(l.size(), 23u);
    EXPECT_EQ(l[15], " | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 3");
    EXPECT_EQ(l[21], "   A   B   C   D   E   F   G   H ");
    EXPECT_EQ(l[22], "");
}

TEST(Console, LaCommandeChessMontreLaGrille) {
    EXPECT_EQ(execute_en_memoire("ucinewgame\nchess\n"), grille_initiale());
    // Before any game the board is the initial position too.
    EXPECT_EQ(execute_en_memoire("CHESS\n"), grille_initiale());
}

TEST(Console, CodesNegatifsNonAlignes) {
    Tsortie sortie;
    installe_console_texte("", sortie.flux);
    Techiquier e;
    init_echiquier(&e);
    execute_coup(&e, fait_coup(1, 4, 3, 4));
    execute_coup(&e, fait_coup(6, 3, 4, 3));
    execute_coup(&e, fait_coup(3, 4, 4, 3));  // e4xd5
    affichage_echiquier(&e);
    const std::vector<std::string> l = lignes(sortie.texte());
    ASSERT_EQ(l.size(), 23u);
    EXPECT_EQ(l[7], " | -1 | -1 | -1 | 0 | -1 | -1 | -1 | -1 | 7");
    EXPECT_EQ(l[11], " | 0 | 0 | 0 | 1 | 0 | 0 | 0 | 0 | 5");
    EXPECT_EQ(l[17], " | 1 | 1 | 1 | 1 | 0 | 1 | 1 | 1 | 2");
}

TEST(Console, CoupEtCase) {
    Tsortie sortie;
    installe_console_texte("", sortie.flux);
    affiche_Tcoup(fait_coup(1, 4, 3, 4));
    affiche_Tcoup(fait_coup(7, 7, 0, 0));
    affiche_Tcoord(Tcoord{0, 4});
    affiche_Tcoord(Tcoord{7, 7});
    EXPECT_EQ(sortie.texte(),
              "Deplacement de e2 vers e4\n"
              "Deplacement de h8 vers a1\n"
              "Coordonnees : e1\n"
              "Coordonnees : h8\n");
}

TEST(Console, ListesDeCoups) {
    Tsortie sortie;
    installe_console_texte("", sortie.flux);
    affiche_coups_possibles(nullptr);
    EXPECT_EQ(sortie.texte(), "LISTE DE COUPS POSSIBLES :\n\n\n");

    Tliste liste;
    init_liste(&liste);
    inserer_dans_liste_queue(fait_coup(1, 4, 3, 4), &liste);
    inserer_dans_liste_queue(fait_coup(0, 6, 2, 5), &liste);
    Techiquier e;
    init_echiquier(&e);
    Tsortie autre;
    installe_console_texte("", autre.flux);
    affiche_coups_case(&e, liste);
    total_destroy_liste(&liste);
    EXPECT_EQ(autre.texte(),
              grille_initiale() + "LISTE DE COUPS POSSIBLES :\n\ne2 en e4\ng1 en f3\n\n");
}

// ---------------------------------------------------------------------------------------
// Board set-up from the console
// ---------------------------------------------------------------------------------------

TEST(Console, AffectationRedemandeLaCaseRefusee) {
    Tsortie sortie;
    installe_console_texte(reponses("7\n5\n-3 4", 3), sortie.flux);
    Techiquier e;
    init_echiquier(&e);
    affectation_echiquier(&e);
    EXPECT_EQ(e.cases[0], 5);
    EXPECT_EQ(e.cases[1], -3);
    EXPECT_EQ(e.cases[2], 4);
    for (int i = 3; i < 64; i++) EXPECT_EQ(e.cases[i], 0) << i;
    const std::string texte = sortie.texte();
    EXPECT_EQ(texte.substr(0, 3 * invite('a', 1).size() + invite('b', 1).size()),
              invite('a', 1) + invite('a', 1) + invite('b', 1) + invite('c', 1));
    EXPECT_EQ(lignes(texte).size(), 65u);
    EXPECT_EQ(lignes(texte).back(), invite('h', 8).substr(0, invite('h', 8).size() - 1));
}

TEST(Console, AffectationRefuseHorsCodesEtNonNombres) {
    Tsortie sortie;
    installe_console_texte(reponses("-7 abc 5x 99999999999 - +6\n006 -0006 -6", 4), sortie.flux);
    Techiquier e;
    init_echiquier(&e);
    affectation_echiquier(&e);
    EXPECT_EQ(e.cases[0], 6);
    EXPECT_EQ(e.cases[1], 6);
    EXPECT_EQ(e.cases[2], -6);
    EXPECT_EQ(e.cases[3], -6);
    const std::string texte = sortie.texte();
    // Five refusals on a1, then one prompt per square.
    EXPECT_EQ(lignes(texte).size(), 64u + 5u);
    EXPECT_EQ(texte.rfind(invite('a', 1)), 5 * invite('a', 1).size());
}

TEST(Console, AffectationSArreteEnFinDEntree) {
    Tsortie sortie;
    installe_console_texte("1 2\n3 9", sortie.flux);
    Techiquier e;
    init_echiquier(&e);
    Techiquier avant = e;
    affectation_echiquier(&e);  // must return although three squares only are answered
    EXPECT_EQ(e.cases[0], 1);
    EXPECT_EQ(e.cases[1], 2);
    EXPECT_EQ(e.cases[2], 3);
    avant.cases[0] = 1;
    avant.cases[1] = 2;
    avant.cases[2] = 3;
    // Only squares are written: the counts, rights and king squares are left alone.
    EXPECT_EQ(0, std::memcmp(&avant, &e, sizeof e));
    EXPECT_EQ(sortie.texte(),
              invite('a', 1) + invite('b', 1) + invite('c', 1) + invite('d', 1) + invite('d', 1));
}

TEST(Console, UneNouvelleConsoleNeGardeRienDeLAncienne) {
    Techiquier e;
    init_echiquier(&e);
    {
        Tsortie sortie;
        // More answers on the last line than there are squares.
        std::string texte = "1";
        for (int i = 1; i < 64; i++) texte += " 0";
        installe_console_texte(texte + " 4 4 4\n", sortie.flux);
        affectation_echiquier(&e);
    }
    Tsortie sortie;
    installe_console_texte(reponses("-2", 1), sortie.flux);
    affectation_echiquier(&e);
    EXPECT_EQ(e.cases[0], -2);
    EXPECT_EQ(e.cases[1], 0);
}

// ---------------------------------------------------------------------------------------
// Command lines
// ---------------------------------------------------------------------------------------

TEST(ConsoleLecture, LignesLonguesLuesEntieres) {
    Tsortie sortie;
    const std::string longue(5000, 'x');
    installe_console_texte("uci\r\n" + longue + "\nfin", sortie.flux);
    std::string ligne;
    ASSERT_TRUE(lit_commande(&ligne));
    EXPECT_EQ(ligne, "uci");
    ASSERT_TRUE(lit_commande(&ligne));
    EXPECT_EQ(ligne, longue);
    ASSERT_TRUE(lit_commande(&ligne));
    EXPECT_EQ(ligne, "fin");
    EXPECT_FALSE(lit_commande(&ligne));
}

TEST(ConsoleLecture, UnOctetNulFinitLaLigne) {
    Tsortie sortie;
    installe_console_texte(std::string("isready\0uci\nquit\n", 17), sortie.flux);
    std::string ligne;
    ASSERT_TRUE(lit_commande(&ligne));
    EXPECT_EQ(ligne, "isready");
    ASSERT_TRUE(lit_commande(&ligne));
    EXPECT_EQ(ligne, "quit");
    EXPECT_EQ(execute_en_memoire(std::string("isready\0uci\nisready\n", 20)), "readyok\nreadyok\n");
}

TEST(ConsoleLecture, AuDelaDuPlafondLaLigneEstCoupeeEtSaSuiteJetee) {
    // The part past the cap would be a command of its own if it were read as a line.
    const std::string longue =
        "isready" + std::string(LONGUEUR_MAX_LIGNE - 7, ' ') + "uci" + std::string(1000, ' ');
    {
        Tsortie sortie;
        installe_console_texte(longue + "\nisready\n", sortie.flux);
        std::string ligne;
        ASSERT_TRUE(lit_commande(&ligne));
        EXPECT_EQ(ligne.size(), LONGUEUR_MAX_LIGNE);
        ASSERT_TRUE(lit_commande(&ligne));
        EXPECT_EQ(ligne, "isready");
        EXPECT_FALSE(lit_commande(&ligne));
    }
    EXPECT_EQ(execute_en_memoire(longue + "\nisready\n"), "readyok\nreadyok\n");
    // The same without a final line feed.
    EXPECT_EQ(execute_en_memoire(longue), "readyok\n");
}

TEST(ConsoleLecture, AuDelaDuPlafondSurUnTuyau) {
    Tsortie sortie;
    Ttuyau tuyau(sortie.flux);
    const std::string longue =
        "isready" + std::string(LONGUEUR_MAX_LIGNE - 7, ' ') + "uci" + std::string(300000, 'x');
    std::thread ecrivain([&tuyau, &longue] {
        tuyau.ecrit_texte(longue + "\r\nisready\r\n");
        tuyau.ferme_ecriture();
    });
    Tpartie partie;
    init_partie(&partie);
    boucle_commandes(&partie);
    ecrivain.join();
    EXPECT_EQ(sortie.texte(), "readyok\nreadyok\n");
}

// ---------------------------------------------------------------------------------------
// Input polling
// ---------------------------------------------------------------------------------------

TEST(Sondage, ClassesDesLignesSurUneConsoleTexte) {
    struct Tcas {
        const char* ligne;
        int classe;
        bool gardee;
    };
    for (const Tcas& cas :
         {Tcas{"stop", 1, false}, Tcas{"STOP", 1, false}, Tcas{"StOp now", 1, false},
          Tcas{"stopx", 1, false}, Tcas{"sto", 0, true}, Tcas{" stop", 0, true},
          Tcas{"ponderhit", 2, true}, Tcas{"PonderHit 1", 2, true}, Tcas{"ponder", 0, true},
          Tcas{"quit", 3, true}, Tcas{"QUIT", 3, true}, Tcas{"go depth 3", 0, true},
          Tcas{"", 0, true}}) {
        Tsortie sortie;
        installe_console_texte(std::string(cas.ligne) + "\n", sortie.flux);
        EXPECT_GT(bioskey(), 0) << cas.ligne;
        EXPECT_EQ(verification_saisie(), cas.classe) << cas.ligne;
        EXPECT_EQ(sortie.texte(), "") << cas.ligne;
        std::string ligne;
        EXPECT_EQ(lit_commande(&ligne), cas.gardee) << cas.ligne;
        if (cas.gardee) {
            EXPECT_EQ(ligne, cas.ligne);
        }
        EXPECT_FALSE(lit_commande(&ligne)) << cas.ligne;
    }
}

TEST(Sondage, StopNeRepondOuiQuAStop) {
    for (const char* texte : {"stop\n", "Stop\r\n", "stop"}) {
        Tsortie sortie;
        installe_console_texte(texte, sortie.flux);
        EXPECT_EQ(stop(), 1) << texte;
    }
    for (const char* texte : {"ponderhit\n", "quit\n", "sto\n", "isready\n", ""}) {
        Tsortie sortie;
        installe_console_texte(texte, sortie.flux);
        EXPECT_EQ(stop(), 0) << texte;
    }
}

TEST(Sondage, QuitEtFinDEntreeArretentUneRechercheSansFin) {
    for (const char* texte : {"quit\n", "QUIT now\n", ""}) {
        Tsortie sortie;
        installe_console_texte(texte, sortie.flux);
        arret_sur_fin(true);
        EXPECT_EQ(stop(), 1) << texte;
        arret_sur_fin(false);
        EXPECT_EQ(fin_demandee(), 1) << texte;
    }
    Tsortie sortie;
    installe_console_texte("ponderhit\nsto\n", sortie.flux);
    arret_sur_fin(true);
    EXPECT_EQ(stop(), 0);
    EXPECT_EQ(stop(), 0);
    std::string ligne;
    ASSERT_TRUE(lit_commande(&ligne));
    EXPECT_EQ(ligne, "ponderhit");
}

TEST(Sondage, IsreadyReponduAussitotEtNonGarde) {
    Tsortie sortie;
    installe_console_texte("isready\nIsReady extra\n", sortie.flux);
    EXPECT_EQ(verification_saisie(), 0);
    EXPECT_EQ(verification_saisie(), 0);
    EXPECT_EQ(sortie.texte(), "readyok\nreadyok\n");
    std::string ligne;
    EXPECT_FALSE(lit_commande(&ligne));
}

TEST(Sondage, FinDEntree) {
    Tsortie sortie;
    installe_console_texte("", sortie.flux);
    EXPECT_GT(bioskey(), 0);  // a read would meet the end at once
    EXPECT_EQ(fin_demandee(), 0);
    EXPECT_EQ(verification_saisie(), 3);
    EXPECT_EQ(fin_demandee(), 1);
    EXPECT_EQ(verification_saisie(), 3);
    EXPECT_EQ(sortie.texte(), "");
}

TEST(Sondage, LesLignesGardeesReviennentDansLOrdre) {
    Tsortie sortie;
    installe_console_texte("ponderhit\nsto\nstop\nquit\nposition startpos\nsuite\n", sortie.flux);
    EXPECT_EQ(verification_saisie(), 2);
    EXPECT_EQ(verification_saisie(), 0);
    EXPECT_EQ(verification_saisie(), 1);
    EXPECT_EQ(verification_saisie(), 3);
    EXPECT_EQ(verification_saisie(), 0);
    std::string ligne;
    for (const char* attendue : {"ponderhit", "sto", "quit", "position startpos", "suite"}) {
        ASSERT_TRUE(lit_commande(&ligne));
        EXPECT_EQ(ligne, attendue);
    }
    EXPECT_FALSE(lit_commande(&ligne));
}

TEST(Sondage, UnQuitGardeCompteJusquAceQueLaBoucleLePrenne) {
    Tsortie sortie;
    installe_console_texte("quitter\nisready\n", sortie.flux);
    EXPECT_EQ(verification_saisie(), 3);
    EXPECT_EQ(fin_demandee(), 1);
    std::string ligne;
    ASSERT_TRUE(lit_commande(&ligne));
    EXPECT_EQ(ligne, "quitter");
    // The loop rejects "quitter" and goes on: later searches must not see a quit.
    EXPECT_EQ(fin_demandee(), 0);
}

TEST(Sondage, LignesLonguesCrLfEtNul) {
    const std::string longue_stop = "stop" + std::string(296, 'x');
    const std::string longue = std::string(3000, 'y');
    Tsortie sortie;
    installe_console_texte(longue_stop + "\n" + longue + "\r\nsto\r\n" +
                               std::string("sto\0p\n", 6) + std::string("stop\0\n", 6),
                           sortie.flux);
    EXPECT_EQ(verification_saisie(), 1);  // the whole line is consumed
    EXPECT_EQ(verification_saisie(), 0);
    EXPECT_EQ(verification_saisie(), 0);
    EXPECT_EQ(verification_saisie(), 0);
    EXPECT_EQ(verification_saisie(), 1);
    std::string ligne;
    ASSERT_TRUE(lit_commande(&ligne));
    EXPECT_EQ(ligne, longue);
    ASSERT_TRUE(lit_commande(&ligne));
    EXPECT_EQ(ligne, "sto");
    ASSERT_TRUE(lit_commande(&ligne));
    EXPECT_EQ(ligne, "sto");
    EXPECT_FALSE(lit_commande(&ligne));
}

TEST(Sondage, AuDelaDuPlafondLaSuiteNEstPasUneLigne) {
    // Past the cap, "stop" would be read as a line of its own if the rest were kept.
    const std::string longue = std::string(LONGUEUR_MAX_LIGNE, 'a') + "stop" + std::string(10, 'b');
    Tsortie sortie;
    installe_console_texte(longue + "\nquit\n", sortie.flux);
    EXPECT_EQ(verification_saisie(), 0);
    EXPECT_EQ(verification_saisie(), 3);
    std::string ligne;
    ASSERT_TRUE(lit_commande(&ligne));
    EXPECT_EQ(ligne, std::string(LONGUEUR_MAX_LIGNE, 'a'));
    ASSERT_TRUE(lit_commande(&ligne));
    EXPECT_EQ(ligne, "quit");
    EXPECT_FALSE(lit_commande(&ligne));
}

TEST(Sondage, EcouteEnCoursDeCoupRepondIsreadyEtGardeLeReste) {
    // "stop" ends the search at once; the lines before it wait for the loop, the lines
    // after it for the next poll (they may belong to the next search).
    Tsortie sortie;
    installe_console_texte("setoption name x\nisready\nstop\ngo infinite\nstop\n", sortie.flux);
    EXPECT_EQ(ecoute_pendant_recherche(), 1);
    EXPECT_EQ(sortie.texte(), "readyok\n");
    EXPECT_EQ(verification_saisie(), 0);  // go infinite, kept
    EXPECT_EQ(verification_saisie(), 1);
    std::string ligne;
    for (const char* attendue : {"setoption name x", "go infinite"}) {
        ASSERT_TRUE(lit_commande(&ligne));
        EXPECT_EQ(ligne, attendue);
    }
    EXPECT_FALSE(lit_commande(&ligne));
    EXPECT_EQ(sortie.texte(), "readyok\n");
}

TEST(Sondage, EcouteArreteSurQuitFinEtEcheance) {
    std::string ligne;
    {
        // Without a search that needs it, "quit" and the end of input only wait.
        Tsortie sortie;
        installe_console_texte("position startpos\nquit\n", sortie.flux);
        EXPECT_EQ(ecoute_pendant_recherche(), 0);
        EXPECT_EQ(fin_demandee(), 1);
        for (const char* attendue : {"position startpos", "quit"}) {
            ASSERT_TRUE(lit_commande(&ligne));
            EXPECT_EQ(ligne, attendue);
        }
    }
    for (const char* texte : {"isready\nquit\n", "ucinewgame", ""}) {
        Tsortie sortie;
        installe_console_texte(texte, sortie.flux);
        arret_sur_fin(true);
        EXPECT_EQ(ecoute_pendant_recherche(), 1) << texte;
        arret_sur_fin(false);
    }
    {
        Tsortie sortie;
        installe_console_texte("", sortie.flux);
        fixe_echeance(maintenant_ms() + 60000);
        EXPECT_EQ(echeance_passee(), 0);
        fixe_echeance(maintenant_ms() - 1);
        EXPECT_EQ(echeance_passee(), 1);
        EXPECT_EQ(ecoute_pendant_recherche(), 1);
        EXPECT_EQ(stop(), 1);
        leve_echeance();
        EXPECT_EQ(echeance_passee(), 0);
    }
}

TEST(Sondage, TuyauVideRienNEstLu) {
    Tsortie sortie;
    Ttuyau tuyau(sortie.flux);
    EXPECT_EQ(bioskey(), 0);
    EXPECT_EQ(sans_attendre(tuyau, verification_saisie), 0);
    EXPECT_EQ(sans_attendre(tuyau, stop), 0);
    ecoute_pendant_recherche();
    EXPECT_EQ(fin_demandee(), 0);
    tuyau.ecrit_texte("uci\n");
    std::string ligne;
    ASSERT_TRUE(lit_commande(&ligne));
    EXPECT_EQ(ligne, "uci");
    EXPECT_EQ(sortie.texte(), "");
}

TEST(Sondage, TuyauClassesEtOrdre) {
    Tsortie sortie;
    Ttuyau tuyau(sortie.flux);
    tuyau.ecrit_texte("stop\n");
    EXPECT_GE(bioskey(), 5);
    EXPECT_EQ(sans_attendre(tuyau, verification_saisie), 1);
    EXPECT_EQ(bioskey(), 0);

    tuyau.ecrit_texte("isready\r\n");
    EXPECT_EQ(sans_attendre(tuyau, verification_saisie), 0);
    EXPECT_EQ(sortie.texte(), "readyok\n");

    tuyau.ecrit_texte("ponderhit\nsto\n");
    EXPECT_EQ(sans_attendre(tuyau, verification_saisie), 2);
    EXPECT_EQ(sans_attendre(tuyau, stop), 0);
    tuyau.ecrit_texte("QUIT\n" + std::string(2000, 'z') + "\n");
    EXPECT_EQ(sans_attendre(tuyau, verification_saisie), 3);
    EXPECT_EQ(sans_attendre(tuyau, verification_saisie), 0);
    EXPECT_EQ(sans_attendre(tuyau, verification_saisie), 0);  // nothing left

    std::string ligne;
    for (const std::string& attendue : {std::string("ponderhit"), std::string("sto"),
                                        std::string("QUIT"), std::string(2000, 'z')}) {
        ASSERT_TRUE(lit_commande(&ligne));
        EXPECT_EQ(ligne, attendue);
    }
    EXPECT_EQ(sortie.texte(), "readyok\n");
}

TEST(Sondage, TuyauFermeCompteCommeQuit) {
    Tsortie sortie;
    Ttuyau tuyau(sortie.flux);
    tuyau.ferme_ecriture();
    EXPECT_GT(bioskey(), 0);
    EXPECT_EQ(sans_attendre(tuyau, verification_saisie), 3);
    EXPECT_EQ(fin_demandee(), 1);
    EXPECT_EQ(sans_attendre(tuyau, stop), 0);
    std::string ligne;
    EXPECT_FALSE(lit_commande(&ligne));
}

TEST(Sondage, TuyauEcouteEnCoursDeCoup) {
    Tsortie sortie;
    Ttuyau tuyau(sortie.flux);
    tuyau.ecrit_texte("isready\ngo depth 2\nstop\n");
    EXPECT_EQ(ecoute_pendant_recherche(), 1);
    EXPECT_EQ(sortie.texte(), "readyok\n");
    EXPECT_EQ(sans_attendre(tuyau, verification_saisie), 0);
    EXPECT_EQ(sans_attendre(tuyau, stop), 0);
    std::string ligne;
    ASSERT_TRUE(lit_commande(&ligne));
    EXPECT_EQ(ligne, "go depth 2");
}
