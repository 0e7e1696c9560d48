// SPDX-License-Identifier: GPL-3.0-or-later
// Move-path counting and the "perft" command.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ai.h"
#include "aide_tests.h"

namespace {

Techiquier initial() {
    Techiquier e;
    init_echiquier(&e);
    return e;
}

// A board with the given pieces (square text, code) and both kings' squares as given;
// counts follow the pieces, no castling right, no en passant record.
struct Tpiece {
    const char* case_texte;
    int32_t code;
};

Techiquier plateau(std::initializer_list<Tpiece> pieces) {
    Techiquier e = initial();
    for (int32_t& c : e.cases) c = VIDE;
    e.nb_pieces_blanches = e.nb_pieces_noires = e.nb_fous_blancs = e.nb_fous_noirs = 0;
    e.grand_roque_blanc = e.petit_roque_blanc = e.grand_roque_noir = e.petit_roque_noir = 0;
    e.roi_blanc_ligne = e.roi_blanc_colonne = e.roi_noir_ligne = e.roi_noir_colonne = 8;
    for (const Tpiece& p : pieces) {
        const int ligne = p.case_texte[1] - '1', colonne = p.case_texte[0] - 'a';
        e.cases[index_case(ligne, colonne)] = p.code;
        (p.code > 0 ? e.nb_pieces_blanches : e.nb_pieces_noires)++;
        if (p.code == FOU) e.nb_fous_blancs++;
        if (p.code == -FOU) e.nb_fous_noirs++;
        if (p.code == ROI) {
            e.roi_blanc_ligne = ligne;
            e.roi_blanc_colonne = colonne;
        }
        if (p.code == -ROI) {
            e.roi_noir_ligne = ligne;
            e.roi_noir_colonne = colonne;
        }
    }
    return e;
}

TEST(Perft, PositionInitialeCumulee) {
    const Techiquier e = initial();
    EXPECT_EQ(perft(&e, BLANC, 1), 20);
    EXPECT_EQ(perft(&e, BLANC, 2), 420);
    EXPECT_EQ(perft(&e, BLANC, 3), 9322);
    EXPECT_EQ(perft(&e, BLANC, 4), 206603);
    EXPECT_EQ(perft(&e, NOIR, 2), 420);

    const Techiquier apres = initial();
    EXPECT_EQ(std::memcmp(&e, &apres, sizeof e), 0);  // the board is only read
}

// Several seconds even in an optimised build: run on demand with
// --gtest_also_run_disabled_tests.
TEST(Perft, DISABLED_PositionInitialeProfondeur5) {
    const Techiquier e = initial();
    EXPECT_EQ(perft(&e, BLANC, 5), 5072212);
}

TEST(Perft, PositionsDePartieAvecEnPassant) {
    // Reference counts of standard chess, summed over the depths; neither castling nor a
    // promotion can happen within these depths.
    couleur camp = 0;
    const Techiquier e4 = position_apres("e2e4", &camp);
    EXPECT_EQ(camp, NOIR);
    EXPECT_EQ(perft(&e4, NOIR, 1), 20);
    EXPECT_EQ(perft(&e4, NOIR, 2), 620);
    EXPECT_EQ(perft(&e4, NOIR, 3), 13780);

    const Techiquier ep = position_apres("e2e4 a7a6 e4e5 d7d5", &camp);
    EXPECT_EQ(camp, BLANC);
    EXPECT_EQ(perft(&ep, BLANC, 1), 31);
    EXPECT_EQ(perft(&ep, BLANC, 2), 812);
    EXPECT_EQ(perft(&ep, BLANC, 3), 24978);
}

TEST(Perft, ProfondeurZeroDeMinMax) {
    const Techiquier e = initial();
    EXPECT_EQ(min_max(&e, BLANC, 0), 0);
    EXPECT_EQ(min_max(&e, BLANC, 1), 20);
    EXPECT_EQ(min_max(&e, NOIR, 2), 420);
}

TEST(Perft, CampMatOuPatNeCompteRien) {
    const Techiquier mat = position_apres("f2f3 e7e5 g2g4 d8h4");
    for (int d = 1; d <= 3; d++) EXPECT_EQ(perft(&mat, BLANC, d), 0) << "depth " << d;
    EXPECT_EQ(min_max(&mat, BLANC, 2), 0);

    const Techiquier pat = plateau({{"h8", -ROI}, {"f7", DAME}, {"g6", ROI}});
    for (int d = 1; d <= 3; d++) EXPECT_EQ(perft(&pat, NOIR, d), 0) << "depth " << d;

    // The move that gives mate still counts at the level above.
    const Techiquier avant_mat = position_apres("f2f3 e7e5 g2g4");
    EXPECT_EQ(perft(&avant_mat, NOIR, 1), 30);
    EXPECT_GT(perft(&avant_mat, NOIR, 2), 30);
}

TEST(Perft, RoqueAuTraversDUneCaseAttaqueeSousLaRacine) {
    // The black pawn on e2 attacks f1: white may not castle, yet below the first ply only
    // the king's destination is checked.
    Techiquier blanc_joue = plateau({{"e1", ROI}, {"h1", TOUR}, {"e2", -PION}, {"a8", -ROI}});
    blanc_joue.petit_roque_blanc = 1;
    EXPECT_EQ(perft(&blanc_joue, BLANC, 1), 12);
    EXPECT_EQ(min_max(&blanc_joue, BLANC, 1), 13);

    // Black first (three king moves), then white: 3 + 3 x 13, where the rules give 3 + 3 x 12.
    EXPECT_EQ(perft(&blanc_joue, NOIR, 1), 3);
    EXPECT_EQ(perft(&blanc_joue, NOIR, 2), 42);
}

TEST(Perft, RoqueHorsDEchecSousLaRacine) {
    // The rook on e8 checks e1: no castling at the first ply, but counted one ply down.
    Techiquier e = plateau({{"e1", ROI}, {"h1", TOUR}, {"e8", -TOUR}, {"a8", -ROI}});
    e.petit_roque_blanc = 1;
    const int64_t racine = perft(&e, BLANC, 1);
    EXPECT_EQ(min_max(&e, BLANC, 1), racine + 1);
}

// ---- The "perft" command ----

// Lines that make the command count from a mated side: four zero lines cost nothing.
const std::string MAT = "position startpos moves f2f3 e7e5 g2g4 d8h4\n";
const std::string QUATRE_ZEROS = "1 > 0\n2 > 0\n3 > 0\n4 > 0\n";

TEST(PerftCommande, ProfondeursLues) {
    EXPECT_EQ(execute_en_memoire("perft\n"), "1 > 20\n2 > 420\n3 > 9322\n4 > 206603\n");
    EXPECT_EQ(execute_en_memoire("perft depth 2\n"), "1 > 20\n2 > 420\n");
    EXPECT_EQ(execute_en_memoire("perft   depth   1\n"), "1 > 20\n");
    EXPECT_EQ(execute_en_memoire("perft depth 0\n"), "");
    EXPECT_EQ(execute_en_memoire("perft depth -3\n"), "");
    EXPECT_EQ(execute_en_memoire(MAT + "perft depth 6\n"), QUATRE_ZEROS + "5 > 0\n6 > 0\n");
}

TEST(PerftCommande, MotsQuiNeSontPasLus) {
    EXPECT_EQ(execute_en_memoire(MAT + "perft depth x\n"), QUATRE_ZEROS);
    EXPECT_EQ(execute_en_memoire(MAT + "perft depth\n"), QUATRE_ZEROS);
    EXPECT_EQ(execute_en_memoire(MAT + "perft profondeur 2\n"), QUATRE_ZEROS);
    // The command word and "depth" match in any case, but the number is reached only when
    // the line starts with "perft depth" in lower case at its very first character.
    EXPECT_EQ(execute_en_memoire(MAT + "PERFT depth 2\n"), QUATRE_ZEROS);
    EXPECT_EQ(execute_en_memoire(MAT + "perft DEPTH 2\n"), QUATRE_ZEROS);
    EXPECT_EQ(execute_en_memoire(MAT + " perft depth 2\n"), QUATRE_ZEROS);
    EXPECT_EQ(execute_en_memoire(MAT + "perft depth 2\nPerft depth 1\n"),
              "1 > 0\n2 > 0\n" + QUATRE_ZEROS);
}

TEST(PerftCommande, CompteDepuisLaPartieSansLaChanger) {
    EXPECT_EQ(execute_en_memoire("position startpos moves e2e4\nperft depth 2\nperft depth 1\n"),
              "1 > 20\n2 > 620\n1 > 20\n");
    // The side to move is the loop's: white again after two moves.
    EXPECT_EQ(execute_en_memoire("position startpos moves e2e4 a7a6 e4e5 d7d5\nperft depth 2\n"),
              "1 > 31\n2 > 812\n");
    EXPECT_EQ(execute_en_memoire("position startpos moves f2f3 e7e5 g2g4 d8h4\nperft depth 2\n"),
              "1 > 0\n2 > 0\n");
}

}  // namespace
