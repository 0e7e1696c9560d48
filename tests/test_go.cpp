// SPDX-License-Identifier: GPL-3.0-or-later
// The "go" command: the choice of plan (fixed depth, deepening, clock budget), the answer
// and the move played on the game board.
//
// A plan is observed through the "info" lines it prints. Searches run on small boards and
// read their polls from a text console; the queued lines are read one per poll, after
// each root move, so N harmless lines followed by "stop" let a first search of N root
// moves run to its end and stop the next one after its first root move.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "ai.h"
#include "ai_memoire.h"
#include "aide_tests.h"
#include "divers.h"
#include "gui_xboard.h"
#include "primitives_listes.h"
#include "primitives_pieces.h"

namespace {


// Handles one command line with `attente` queued on the console; returns what it printed.
std::string commande(Tpartie* p, const std::string& ligne, const std::string& attente = "") {
    Console console(attente);
    traite_ligne(p, ligne);
    return console.texte();
}

// One go line on a fresh game set up by a position line; returns what the go printed.
std::string commande_sur(const std::string& position, const std::string& go,
                         const std::string& attente = "") {
    Tpartie p;
    init_partie(&p);
    commande(&p, position);
    return commande(&p, go, attente);
}

// A board from eight rows of text, rank 8 first: "KQRBNP" white, lower case black, '.'
// empty. No castling right, no en passant; counters as drawn.
Techiquier plateau(const std::vector<std::string>& rangs) {
    Techiquier e;
    init_echiquier(&e);
    e.nb_pieces_blanches = e.nb_pieces_noires = 0;
    e.nb_fous_blancs = e.nb_fous_noirs = 0;
    e.grand_roque_blanc = e.petit_roque_blanc = e.grand_roque_noir = e.petit_roque_noir = 0;
    e.ep_ligne = e.ep_colonne = -1;
    for (int ligne = 0; ligne < 8; ligne++) {
        for (int colonne = 0; colonne < 8; colonne++) {
            const char lettre = rangs[static_cast<size_t>(7 - ligne)][static_cast<size_t>(colonne)];
            const char* const types = ".pknbrq";
            int32_t type = VIDE;
            for (int32_t t = 1; t <= DAME; t++) {
                if (std::tolower(static_cast<unsigned char>(lettre)) == types[t]) type = t;
            }
            const couleur c = std::isupper(static_cast<unsigned char>(lettre)) ? BLANC : NOIR;
            e.cases[index_case(ligne, colonne)] = type * c;
            if (type == VIDE) continue;
            (c == BLANC ? e.nb_pieces_blanches : e.nb_pieces_noires)++;
            if (type == FOU) (c == BLANC ? e.nb_fous_blancs : e.nb_fous_noirs)++;
            if (type == ROI) {
                (c == BLANC ? e.roi_blanc_ligne : e.roi_noir_ligne) = ligne;
                (c == BLANC ? e.roi_blanc_colonne : e.roi_noir_colonne) = colonne;
            }
        }
    }
    return e;
}

// Two kings in their corners: searches of any depth used here are quick.
const std::vector<std::string> ROIS_SEULS = {".......k", "........", "........", "........",
                                             "........", "........", "........", "K......."};

// A game in step on a given board with a given side to move.
Tpartie partie_sur(const std::vector<std::string>& rangs, couleur camp) {
    Tpartie p;
    init_partie(&p);
    p.echiquier = plateau(rangs);
    p.camp = camp;
    p.etat_partie = 1;
    return p;
}

size_t nombre_de_coups(const Techiquier& e, couleur c) {
    Tliste liste;
    init_liste(&liste);
    generateur(&e, c, &liste);
    enleve_pos_echec(&e, &liste);
    const size_t n = static_cast<size_t>(longueur_liste(liste));
    total_destroy_liste(&liste);
    return n;
}

struct Tinfo {
    int profondeur;
    long long noeuds;
    int score;
    std::string pv;
};

// The "info" lines of an output, in order.
std::vector<Tinfo> infos(const std::string& sortie) {
    std::vector<Tinfo> resultat;
    for (const std::string& l : lignes(sortie)) {
        Tinfo i{};
        char pv[16] = {};
        long long temps = 0, nps = 0;
        if (std::sscanf(l.c_str(),
                        "info depth %d nodes %lld time %lld nps %lld score cp %d pv %15s",
                        &i.profondeur, &i.noeuds, &temps, &nps, &i.score, pv) == 6) {
            i.pv = pv;
            resultat.push_back(i);
        }
    }
    return resultat;
}

std::vector<int> profondeurs(const std::string& sortie) {
    std::vector<int> d;
    for (const Tinfo& i : infos(sortie)) d.push_back(i.profondeur);
    return d;
}

std::string derniere_ligne(const std::string& sortie) {
    const std::vector<std::string> l = lignes(sortie);
    return l.empty() ? "" : l.back();
}

// Runs a "go" line so that its first search runs whole and a second one stops after its
// first root move: a fixed plan shows one depth, a deepening plan two.
std::string plan(Tpartie* p, const std::string& ligne) {
    std::string attente;
    for (size_t k = 0; k < nombre_de_coups(p->echiquier, p->camp); k++) attente += "test\n";
    attente += "stop\n";
    return commande(p, ligne, attente);
}

// ---------------------------------------------------------------------------------------

TEST(Go, ProfondeurFixePuisAutreCamp) {
    Tpartie p;
    init_partie(&p);
    commande(&p, "position startpos");
    const std::string sortie = commande(&p, "go depth 3");
    const std::vector<std::string> l = lignes(sortie);
    ASSERT_EQ(l.size(), 2u) << sortie;
    const std::vector<Tinfo> i = infos(sortie);
    ASSERT_EQ(i.size(), 1u);
    EXPECT_EQ(i[0].profondeur, 3);
    EXPECT_EQ(l[1], "bestmove " + i[0].pv);
    EXPECT_EQ(p.profondeur, 3);
    EXPECT_EQ(p.camp, NOIR);

    Techiquier attendu;
    init_echiquier(&attendu);
    const std::string m = i[0].pv;
    execute_coup(&attendu, fait_coup(m[1] - '1', m[0] - 'a', m[3] - '1', m[2] - 'a'));
    for (int k = 0; k < 64; k++) EXPECT_EQ(p.echiquier.cases[k], attendu.cases[k]) << k;
    ASSERT_EQ(p.historique.size(), 1u);

    // The second "go" answers for black on the updated board.
    const std::string reponse = derniere_ligne(commande(&p, "go depth 3"));
    ASSERT_EQ(reponse.rfind("bestmove ", 0), 0u) << reponse;
    const std::string n = reponse.substr(9);
    EXPECT_LT(attendu.cases[index_case(n[1] - '1', n[0] - 'a')], 0) << n;
    EXPECT_EQ(p.camp, BLANC);
    EXPECT_EQ(p.historique.size(), 2u);
}

struct Tcas_plan {
    const char* ligne;
    couleur camp;
    std::vector<int> profondeurs;
    int32_t coups_restants;  // -1: not looked at
    int32_t temps_par_coup;  // -1: not looked at
    int32_t profondeur_apres;
};

void PrintTo(const Tcas_plan& cas, std::ostream* flux) {
    *flux << "\"" << cas.ligne << "\" with side " << cas.camp;
}

class GoPlans : public ::testing::TestWithParam<Tcas_plan> {};

TEST_P(GoPlans, ProfondeursDesRecherches) {
    const Tcas_plan& cas = GetParam();
    Tpartie p = partie_sur(ROIS_SEULS, cas.camp);
    const std::string sortie = plan(&p, cas.ligne);
    EXPECT_EQ(profondeurs(sortie), cas.profondeurs) << cas.ligne << "\n" << sortie;
    EXPECT_EQ(derniere_ligne(sortie).rfind("bestmove ", 0), 0u) << sortie;
    if (cas.coups_restants >= 0) {
        EXPECT_EQ(p.coups_restants, cas.coups_restants);
    }
    if (cas.temps_par_coup >= 0) {
        EXPECT_EQ(p.temps_par_coup, cas.temps_par_coup);
    }
    EXPECT_EQ(p.profondeur, cas.profondeur_apres);
    EXPECT_EQ(p.camp, -cas.camp);
}

const std::vector<int> DEPUIS_5 = {5, 6};

INSTANTIATE_TEST_SUITE_P(
    GoFormes, GoPlans,
    ::testing::Values(
        Tcas_plan{"go depth 3", BLANC, {3}, -1, -1, 3},
        Tcas_plan{"go depth 2 and more", NOIR, {2}, -1, -1, 2},
        // A fresh game's depth is 5; "DEPTH" selects the fixed form but scans no number.
        Tcas_plan{"go DEPTH 3", BLANC, {5}, -1, -1, 5},
        Tcas_plan{"go depth", BLANC, {5}, -1, -1, 5},
        Tcas_plan{"go depth x", BLANC, {5}, -1, -1, 5},
        Tcas_plan{"go infinite", BLANC, {1, 2}, -1, -1, 3},
        Tcas_plan{"go INFINITE", NOIR, {1, 2}, -1, -1, 3},
        Tcas_plan{"GO depth 3", BLANC, DEPUIS_5, -1, -1, 7},
        Tcas_plan{"go", BLANC, DEPUIS_5, -1, -1, 7},
        // Pondering searches as "go infinite" until "stop".
        Tcas_plan{"go ponder", NOIR, {1, 2}, -1, -1, 3},
        Tcas_plan{"go movetime 1000", BLANC, DEPUIS_5, -1, -1, 7},
        Tcas_plan{"go ponder MoveTime 900 nodes 5", NOIR, {1, 2}, -1, -1, 3},
        // No time at all: one search of one ply.
        Tcas_plan{"go movetime 0", BLANC, {1}, -1, -1, 1},
        Tcas_plan{"go movetime -40", NOIR, {1}, -1, -1, 1},
        Tcas_plan{"go movetime", BLANC, DEPUIS_5, -1, -1, 7},
        // A node limit deepens from one ply; no limit to count to: one search of one ply.
        Tcas_plan{"go nodes 100", BLANC, {1, 2}, -1, -1, 3},
        // One root move: the three harmless lines let three searches end.
        Tcas_plan{"go wtime 9 btime 9 NODES 100 searchmoves a1a2", BLANC, {1, 2, 3, 4}, -1, -1, 5},
        Tcas_plan{"go nodes 0", NOIR, {1}, -1, -1, 1},
        Tcas_plan{"go nodes many", BLANC, {1}, -1, -1, 1},
        Tcas_plan{"go btime 300000 wtime 300000 movestogo 40", BLANC, DEPUIS_5, -1, -1, 7}));

INSTANTIATE_TEST_SUITE_P(
    GoBudget, GoPlans,
    ::testing::Values(
        // Five minutes each, 40 moves: 7.5 s a move.
        Tcas_plan{
            "go wtime 300000 btime 300000 winc 0 binc 0 movestogo 40", BLANC, {5}, 40, 7500, 5},
        // No movestogo: 10 moves, 30 s.
        Tcas_plan{"go wtime 300000 btime 300000 winc 0 binc 0", BLANC, DEPUIS_5, 10, 30000, 7},
        // The scan stops at "movestogo" where "winc" is expected.
        Tcas_plan{"go wtime 300000 btime 300000 movestogo 40", BLANC, DEPUIS_5, 10, 30000, 7},
        Tcas_plan{
            "go wtime 30000 btime 300000 winc 0 binc 0 movestogo 10", BLANC, {4}, 10, 3000, 5},
        Tcas_plan{
            "go wtime 30000 btime 300000 winc 0 binc 0 movestogo 11", BLANC, {5}, 11, 2727, 5},
        Tcas_plan{"go wtime 150000 btime 0 winc 0 binc 0 movestogo 10", BLANC, {5}, 10, 15000, 5},
        Tcas_plan{"go wtime 150010 btime 0 winc 0 binc 0 movestogo 10", BLANC, DEPUIS_5, 10, 15001,
                  7},
        Tcas_plan{"go wtime 50010 btime 0 winc 0 binc 0 movestogo 10", BLANC, {5}, 10, 5001, 5},
        Tcas_plan{"go wtime 50000 btime 0 winc 0 binc 0 movestogo 10", BLANC, {4}, 10, 5000, 5},
        Tcas_plan{"go wtime 55000 btime 0 winc 0 binc 0 movestogo 11", BLANC, {5}, 11, 5000, 5},
        Tcas_plan{"go wtime 22011 btime 0 winc 0 binc 0 movestogo 11", BLANC, {5}, 11, 2001, 5},
        Tcas_plan{"go wtime 22000 btime 0 winc 0 binc 0 movestogo 11", BLANC, {4}, 11, 2000, 5},
        Tcas_plan{"go wtime 20000 btime 0 winc 0 binc 0 movestogo 10", BLANC, {4}, 10, 2000, 5},
        Tcas_plan{"go wtime 0 btime 0 winc 0 binc 0 movestogo 10", BLANC, {4}, 10, 0, 5},
        Tcas_plan{"go wtime -50000 btime 0 winc 0 binc 0 movestogo 10", BLANC, {4}, 10, -5000, 5},
        // Black's budget comes from btime; the increments change nothing.
        Tcas_plan{"go wtime 300000 btime 30000 winc 0 binc 0 movestogo 10", NOIR, {4}, 10, 3000, 5},
        Tcas_plan{"go wtime 30000 btime 300000 winc 0 binc 0 movestogo 40", NOIR, {5}, 40, 7500, 5},
        Tcas_plan{"go wtime 30000 btime 30000 winc 900000 binc 900000 movestogo 10",
                  NOIR,
                  {4},
                  10,
                  3000,
                  5},
        // Second clock form.
        Tcas_plan{"go movestogo 20 btime 100000 wtime 400000", BLANC, DEPUIS_5, 20, 20000, 7},
        Tcas_plan{"go movestogo 20 btime 100000 wtime 400000", NOIR, {5}, 20, 5000, 5},
        Tcas_plan{"go movestogo 10 btime 100000 wtime 30000", BLANC, {4}, 10, 3000, 5},
        // A movestogo of 0 or below counts as 1 move.
        Tcas_plan{"go wtime 10000 btime 10000 winc 0 binc 0 movestogo 0", BLANC, {5}, -1, 10000, 5},
        Tcas_plan{"go wtime 10000 btime 10000 winc 0 binc 0 movestogo -4", NOIR, {5}, -1, 10000, 5},
        Tcas_plan{"go movestogo 0 btime 10000 wtime 10000", BLANC, {5}, -1, 10000, 5},
        // "WTIME" selects the clock form, but the scan reads nothing: the clocks are 0.
        Tcas_plan{
            "go WTIME 300000 btime 300000 winc 0 binc 0 movestogo 40", BLANC, {4}, 10, 0, 5}));

// A clock line keeps the values of the fields it does not reach.
TEST(Go, ChampsAbsentsGardes) {
    Tpartie p = partie_sur(ROIS_SEULS, NOIR);
    p.increment_blanc = 77;
    p.increment_noir = 88;
    plan(&p, "go wtime 300000 btime 40000 movestogo 40");
    EXPECT_EQ(p.temps_blanc, 300000);
    EXPECT_EQ(p.temps_noir, 40000);
    EXPECT_EQ(p.increment_blanc, 77);
    EXPECT_EQ(p.increment_noir, 88);
    EXPECT_EQ(p.coups_restants, 10);

    // Only wtime given: black's budget still reads the btime of the last line.
    p.camp = NOIR;
    const std::string sortie = plan(&p, "go wtime 1");
    EXPECT_EQ(profondeurs(sortie), std::vector<int>{4});
    EXPECT_EQ(p.temps_par_coup, 4000);
    EXPECT_EQ(p.temps_blanc, 1);
}

// The last given depth serves a fixed-depth line whose number cannot be scanned.
TEST(Go, DerniereProfondeurDonnee) {
    Tpartie p = partie_sur(ROIS_SEULS, BLANC);
    EXPECT_EQ(profondeurs(plan(&p, "go depth 2")), std::vector<int>{2});
    EXPECT_EQ(profondeurs(plan(&p, "go DEPTH 7")), std::vector<int>{2});
    // A clock plan leaves 5.
    plan(&p, "go wtime 300000 btime 300000 winc 0 binc 0 movestogo 40");
    EXPECT_EQ(p.profondeur, 5);
    EXPECT_EQ(profondeurs(plan(&p, "go Depth 9")), std::vector<int>{5});
}

TEST(Go, InfiniArreteParStop) {
    Tpartie p;
    init_partie(&p);
    commande(&p, "position startpos");
    const std::string sortie = commande(&p, "go infinite", "stop\n");
    const std::vector<Tinfo> i = infos(sortie);
    ASSERT_EQ(i.size(), 1u) << sortie;
    EXPECT_EQ(i[0].profondeur, 1);
    EXPECT_EQ(i[0].noeuds, 1);  // the first root move only
    EXPECT_EQ(i[0].pv, "b1c3");
    EXPECT_EQ(derniere_ligne(sortie), "bestmove b1c3");
    EXPECT_EQ(p.profondeur, 2);
    EXPECT_EQ(p.camp, NOIR);
}

// "quit" read by a poll, or the end of input, ends "go infinite" after the root move in
// progress; "bestmove" is still given, and "quit" is left for the command loop.
TEST(Go, InfiniFiniParQuitOuFinDEntree) {
    for (const std::string attente : {"", "quit\n"}) {
        Tpartie p;
        init_partie(&p);
        commande(&p, "position startpos");
        Console console(attente);
        traite_ligne(&p, "go infinite");
        const std::string sortie = console.texte();
        const std::vector<Tinfo> i = infos(sortie);
        ASSERT_EQ(i.size(), 1u) << sortie;
        EXPECT_EQ(i[0].profondeur, 1);
        EXPECT_EQ(i[0].noeuds, 1) << "search went on after the poll (input: " << attente << ")";
        EXPECT_EQ(derniere_ligne(sortie), "bestmove " + i[0].pv);
        EXPECT_EQ(p.camp, NOIR);
        std::string suite;
        if (attente.empty()) {
            EXPECT_FALSE(lit_commande(&suite));
        } else {
            ASSERT_TRUE(lit_commande(&suite));
            EXPECT_EQ(suite, "quit");
        }
    }
}

// Without a legal move every plan makes one search and answers "bestmove 0000"; nothing is
// played.
TEST(Go, SansCoupLegal) {
    const char* const lignes_go[] = {"go depth 2", "go", "go infinite",
                                     "go wtime 1000 btime 1000 winc 0 binc 0 movestogo 1",
                                     "go movestogo 1 btime 100000 wtime 100000"};
    for (const char* ligne : lignes_go) {
        Tpartie p;
        init_partie(&p);
        commande(&p, "position startpos moves f2f3 e7e5 g2g4 d8h4");
        const Techiquier avant = p.echiquier;
        const std::string sortie = commande(&p, ligne);
        const std::vector<std::string> l = lignes(sortie);
        ASSERT_EQ(l.size(), 2u) << ligne << "\n" << sortie;
        const std::vector<Tinfo> i = infos(sortie);
        ASSERT_EQ(i.size(), 1u) << ligne;
        EXPECT_EQ(i[0].noeuds, 0);
        EXPECT_EQ(i[0].score, 0);
        EXPECT_EQ(i[0].pv, "0000");
        EXPECT_EQ(l[1], "bestmove 0000");
        EXPECT_EQ(p.camp, BLANC);
        EXPECT_EQ(p.historique.size(), 4u);
        for (int k = 0; k < 64; k++) EXPECT_EQ(p.echiquier.cases[k], avant.cases[k]) << ligne;
    }
    // Stalemate alike.
    Tpartie pat = partie_sur({".......k", "........", "......Q.", "........", "........",
                              "........", "........", "K......."},
                             NOIR);
    const std::string sortie = commande(&pat, "go infinite");
    EXPECT_EQ(profondeurs(sortie), std::vector<int>{1});
    EXPECT_EQ(derniere_ligne(sortie), "bestmove 0000");
    EXPECT_EQ(pat.camp, NOIR);
}

// The engine's own promotion is answered with "q" and played as a queen.
TEST(Go, PromotionRepondueAvecQ) {
    Tpartie p = partie_sur({"......k.", "P.......", "........", "........", "........", "........",
                            "........", "....K..."},
                           BLANC);
    const std::string sortie = commande(&p, "go depth 1");
    EXPECT_EQ(derniere_ligne(sortie), "bestmove a7a8q");
    EXPECT_EQ(infos(sortie).at(0).pv, "a7a8q");
    EXPECT_EQ(p.echiquier.cases[index_case(7, 0)], DAME);
    EXPECT_EQ(p.camp, NOIR);
}

// The output of a go line without its times, which alone may change from run to run.
std::string sans_temps(const std::string& sortie) {
    std::string texte;
    for (const std::string& l : lignes(sortie)) {
        const size_t t = l.find(" time ");
        const size_t s = l.find(" score ");
        texte += (t == std::string::npos || s == std::string::npos ? l : l.substr(0, t) + l.substr(s)) + "\n";
    }
    return texte;
}

// A node limit ends the go at exactly N evaluations, with the same output whether the memo
// is cold, warm from the same search or from others, or off.
TEST(Go, NoeudsExactsQuelleQueSoitLaMemoire) {
    const std::string espagnole =
        "position startpos moves e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1 f8e7";
    for (const std::string go : {"go nodes 1", "go nodes 20", "go nodes 777", "go nodes 20000",
                                 "go nodes 300000", "go searchmoves d2d4 c2c3 nodes 50000"}) {
        std::string premiere;
        for (int essai = 0; essai < 4; essai++) {
            if (essai == 0) vide_memoire();
            memoire_active(essai != 3);
            if (essai == 2) commande_sur(espagnole, "go depth 6");  // the memo warm from elsewhere
            const std::string sortie = commande_sur(espagnole, go);
            long long total = 0;
            for (const Tinfo& i : infos(sortie)) total += i.noeuds;
            EXPECT_EQ(std::to_string(total), go.substr(go.rfind(' ') + 1)) << go << "\n" << sortie;
            if (essai == 0) premiere = sans_temps(sortie);
            EXPECT_EQ(sans_temps(sortie), premiere) << go << ", memo " << essai;
        }
        memoire_active(true);
    }
    // The depth the line gives comes first.
    EXPECT_EQ(profondeurs(commande_sur("position fen 7k/8/8/8/8/8/8/K7 w - - 0 1",
                                       "go depth 3 nodes 100000")),
              (std::vector<int>{1, 2, 3}));
}

// "searchmoves": only the legal moves listed, the others ignored; none legal, all moves.
TEST(Go, CoupsCherches) {
    const std::string debut = "position startpos";
    // The whole root answers b1c3 at this depth.
    EXPECT_EQ(derniere_ligne(commande_sur(debut, "go depth 4 searchmoves e2e4 d2d4 e2e5 xyz")),
              "bestmove e2e4");
    EXPECT_EQ(derniere_ligne(commande_sur(debut, "go depth 1 searchmoves a2a3")), "bestmove a2a3");
    EXPECT_EQ(sans_temps(commande_sur(debut, "go depth 3 searchmoves e2e5 e7e5")),
              sans_temps(commande_sur(debut, "go depth 3")));
    EXPECT_EQ(derniere_ligne(commande_sur(debut, "go infinite searchmoves h2h3", "stop\n")),
              "bestmove h2h3");
}

// "go ponder": no answer before "ponderhit" or "stop". After "ponderhit" the line without
// "ponder" runs from that moment: here the clock plan's one search of five plies.
TEST(Go, ReflexionPuisPonderhitOuStop) {
    Tpartie p = partie_sur(ROIS_SEULS, BLANC);
    const std::string sortie = commande(&p, "go ponder wtime 60000 btime 60000", "ponderhit\n");
    Tpartie q = partie_sur(ROIS_SEULS, BLANC);
    const std::string attendu = commande(&q, "go wtime 60000 btime 60000");
    ASSERT_EQ(profondeurs(sortie), (std::vector<int>{1, 5})) << sortie;
    EXPECT_EQ(sans_temps(sortie).substr(sans_temps(sortie).find("info depth 5")), sans_temps(attendu));
    EXPECT_EQ(p.camp, NOIR);

    // With the Ponder option on, the answer names the reply it expects; a stop answers at
    // once. With no legal move the answer waits all the same, and "isready" is answered.
    Tpartie r = partie_sur(ROIS_SEULS, BLANC);
    commande(&r, "setoption name Ponder value true");
    EXPECT_EQ(derniere_ligne(commande(&r, "go ponder", "stop\n")), "bestmove a1b2 ponder h8g8");
    commande(&r, "setoption name Ponder value false");
    EXPECT_EQ(derniere_ligne(commande(&r, "go depth 1")), "bestmove h8g8");
    Tpartie pat = partie_sur({".......k", "........", "......Q.", "........", "........",
                              "........", "........", "K......."},
                             NOIR);
    EXPECT_EQ(lignes(commande(&pat, "go ponder", "isready\nstop\n")),
              (std::vector<std::string>{"info depth 1 nodes 0 time 0 nps 0 score cp 0 pv 0000",
                                        "readyok", "bestmove 0000"}));

    // A ponder line that arrived during a search, its "ponderhit" behind it: both wait for
    // the loop, and the ponder's search then hears the ponderhit.
    Tpartie s = partie_sur(ROIS_SEULS, BLANC);
    Console console("go ponder depth 2\nponderhit\n");
    traite_ligne(&s, "go depth 1");
    std::string suite;
    ASSERT_TRUE(lit_commande(&suite));
    traite_ligne(&s, suite);
    EXPECT_EQ(profondeurs(console.texte()), (std::vector<int>{1, 1, 2})) << console.texte();
}

// "go mate N": one line with the mate and its whole line, the answer with its promotion
// letter (and, with Ponder on, the line's next move), the piece played on the board.
// Without a mate, or stopped first: a sentence, then the answer of "go depth 1".
TEST(Go, Mat) {
    const std::string sous_promotion = "position fen 6nb/5Ppk/6pp/8/8/8/8/K7 w - - 0 1";
    Tpartie p;
    init_partie(&p);
    commande(&p, sous_promotion);
    std::vector<std::string> l = lignes(commande(&p, "go mate 2"));
    ASSERT_EQ(l.size(), 2u);
    EXPECT_TRUE(std::regex_match(l[0], std::regex("info depth 1 nodes [1-9][0-9]* time [0-9]+ nps "
                                                  "[0-9]+ score mate 1 pv f7f8n")))
        << l[0];
    EXPECT_EQ(l[1], "bestmove f7f8n");
    EXPECT_EQ(p.echiquier.cases[index_case(7, 5)], CAVALIER);

    commande(&p, "setoption name Ponder value true");
    commande(&p, "position fen 8/1P6/8/8/8/8/5K2/7k w - - 0 1");
    l = lignes(commande(&p, "go mate 3"));
    ASSERT_EQ(l.size(), 2u);
    const std::string ligne = l[0].substr(l[0].find(" pv ") + 4);
    EXPECT_NE(l[0].find("score mate 2 pv b7b8r "), std::string::npos) << l[0];
    EXPECT_EQ(std::count(ligne.begin(), ligne.end(), ' '), 2) << ligne;  // three plies
    EXPECT_EQ(l[1], "bestmove b7b8r ponder " + ligne.substr(6, 4));

    l = lignes(commande_sur(sous_promotion, "go mate 1 searchmoves f7f8q f7g8n"));
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0], "info string aucun mat en 1 coup ou moins");
    EXPECT_EQ(infos(l[1]).size(), 1u);
    EXPECT_EQ(l[2].substr(0, 11), "bestmove f7");
    l = lignes(commande_sur("position startpos moves e2e4 e7e5 f1c4 b8c6 g1f3 g8f6 e1g1",
                            "go mate 9", "stop\n"));
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0], "info string recherche de mat interrompue avant d'en trouver un");
    EXPECT_EQ(infos(l[1]).at(0).profondeur, 1);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Limited strength (UCI_LimitStrength, UCI_Elo)

namespace {

// What a script prints in a fresh command loop, times left out.
std::string joue_sans_temps(const std::string& script) {
    return sans_temps(execute_en_memoire(script));
}

std::vector<std::string> coups_joues(const std::string& sortie) {
    std::vector<std::string> coups;
    for (const std::string& l : lignes(sortie)) {
        if (l.rfind("bestmove ", 0) == 0) coups.push_back(l.substr(9));
    }
    return coups;
}

const char* const JEU =
    "position startpos moves e2e4 e7e5 g1f3 b8c6\ngo wtime 10000 btime 10000 winc 100 binc 100\n"
    "position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6\ngo depth 4\ngo depth 3\n"
    "go nodes 2000\nposition fen 2k4r/pp2b1pp/2n2p2/2p2P1P/P7/5bP1/3p3r/6K1 b - - 1 37\n"
    "go mate 2\n";

}  // namespace

TEST(Niveau, ArreteNeChangeRienEtUnNiveauSeRejoueAvecSaGraine) {
    // Off, a rating and a seed change no output.
    EXPECT_EQ(joue_sans_temps(std::string("setoption name UCI_Elo value 310\nsetoption name Graine value 3\n") + JEU),
              joue_sans_temps(JEU));
    const std::string niveau =
        "setoption name UCI_LimitStrength value true\nsetoption name UCI_Elo value 310\n";
    // On, a seed plays the same moves again; "go mate" stays the exact mate search.
    const std::string graine = niveau + "setoption name Graine value 11\n";
    const std::string une = joue_sans_temps(graine + JEU);
    EXPECT_EQ(joue_sans_temps(graine + JEU), une);
    EXPECT_NE(une, joue_sans_temps(JEU));
    EXPECT_EQ(coups_joues(une).back(), coups_joues(joue_sans_temps(JEU)).back());
    // Each new game draws another seed: from the same position, other moves.
    std::string parties = graine;
    for (int k = 0; k < 12; k++) parties += "ucinewgame\nposition startpos moves d2d4 d7d5\ngo movetime 100\n";
    const std::vector<std::string> coups = coups_joues(joue_sans_temps(parties));
    ASSERT_EQ(coups.size(), 12u);
    EXPECT_GT(std::set<std::string>(coups.begin(), coups.end()).size(), 2u);
}

TEST(Niveau, ProfondeurEtNoeudsDuNiveauBornesParLaLigne) {
    const std::string niveau =
        "setoption name UCI_LimitStrength value true\nsetoption name UCI_Elo value 170\n"
        "position startpos moves e2e4 e7e5\n";
    // The lowest level searches two plies, whatever the clock says; "depth 1" lowers it.
    EXPECT_EQ(profondeurs(execute_en_memoire(niveau + "go wtime 600000 btime 600000\n")),
              (std::vector<int>{1, 2}));
    EXPECT_EQ(profondeurs(execute_en_memoire(niveau + "go depth 1\n")), std::vector<int>{1});
    // "nodes" caps the evaluations of all its searches together.
    long long total = 0;
    for (const Tinfo& i : infos(execute_en_memoire(niveau + "go nodes 500\n"))) total += i.noeuds;
    EXPECT_EQ(total, 500);
    // Full strength at its rating: four plies, the plan at 10 s + 0.1 s.
    EXPECT_EQ(profondeurs(execute_en_memoire(
                  "setoption name UCI_LimitStrength value true\nsetoption name UCI_Elo value 99999\n"
                  "go movetime 60000\n")),
              (std::vector<int>{1, 2, 3, 4}));
    // "go infinite" answers only after "stop".
    Tmoteur m = lance_moteur();
    envoie(&m, "setoption name UCI_LimitStrength value true\ngo infinite\n");
    std::vector<std::string> lues;
    EXPECT_FALSE(attend_ligne(&m, "bestmove", &lues, 300));
    envoie(&m, "stop\n");
    EXPECT_TRUE(attend_ligne(&m, "bestmove", &lues, 10000));
    EXPECT_EQ(ferme_moteur(&m), 0);
}

// The lowest level sees the reply to its move: a queen left to be taken is never played,
// whatever the generator draws.
TEST(Niveau, LePlusFaibleNeLaissePasSaDamePrendre) {
    std::string script = "setoption name UCI_LimitStrength value true\nsetoption name UCI_Elo value 0\n";
    for (int k = 0; k < 30; k++) {
        script += "ucinewgame\nposition fen 4k3/8/8/3p4/8/8/3Q4/4K3 w - - 0 1\ngo movetime 100\n";
    }
    for (const std::string& coup : coups_joues(execute_en_memoire(script))) {
        EXPECT_NE(coup, "d2d4") << "the queen left to the pawn";
        EXPECT_NE(coup, "d2c3");
        EXPECT_NE(coup, "d2e3");
    }
}
