// SPDX-License-Identifier: GPL-3.0-or-later
// The exact mate search: the shortest mate of positions from games and of positions built
// around one rule (castling, en passant, promotion to a knight or a rook, stalemate), the
// mating line played out to checkmate, and the referee's distances and legal moves.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "ai.h"
#include "ai_mat.h"
#include "aide_tests.h"
#include "arbitre.h"
#include "divers.h"
#include "primitives_fen.h"
#include "primitives_pieces.h"

namespace {

struct Tcas_mat {
    const char* fen;
    int demande;  // the N of "go mate N"
    int mat;      // the shortest mate in moves of the side to move; 0: none within N
};

// Distances checked once by hand with the referee's "go mate M" and its deepest searches.
// A generous N is not enough there: "go mate 8" stops at the first mate it meets, which for
// the positions marked (*) is one move longer than the shortest.
const Tcas_mat CAS[] = {
    {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 3, 1},
    {"8/8/8/8/2ppp3/3k4/1P3P2/R3K1N1 w Q - 0 1", 3, 1},       // O-O-O#
    {"r3k1n1/1p3p2/3K4/2PPP3/8/8/8/8 b q - 0 1", 3, 1},       // O-O-O# for black
    {"3qrb2/4kp2/5n2/1B1pP3/8/8/8/3QR1K1 w - d6 0 1", 3, 1},  // exd6 e.p.#
    {"6nb/5Ppk/6pp/8/8/8/8/K7 w - - 0 1", 3, 1},              // f8=N#
    {"r1b1kb1r/pp1p1ppp/8/4p1n1/3n1B2/6P1/PPq2P1P/RN2KB1R b kq - 5 13", 3, 1},
    {"8/1P6/8/8/8/8/5K2/7k w - - 0 1", 3, 2},  // b8=R, as b8=Q stalemates
    {"2k4r/pp2b1pp/2n2p2/2p2P1P/P7/5bP1/3p3r/6K1 b - - 1 37", 3, 2},
    {"rnbqkbnr/pp2p1p1/3p3p/2p1NP2/8/8/PPPP1PPP/RNBQKB1R w KQkq - 0 5", 3, 2},
    {"r1b1k1nr/pp1n1ppp/4p3/8/4PP2/2P1p3/qb2N1PP/3RKB1R b Kkq - 1 10", 3, 2},
    {"rnr5/p4p1p/2pN1P2/kpN5/5B2/2P5/PP4PP/R3KB1R w KQ - 5 21", 3, 2},
    {"r4rk1/ppp2pbp/n2p2p1/5b2/PP4n1/NKP2qPN/7P/R1B4R b - - 8 16", 3, 2},
    {"2k1rbnr/p4ppp/2p5/2pp4/P4K2/1P1P3P/1B1P1P2/RN3q2 b - - 4 18", 5, 3},   // (*)
    {"1r2k3/pb4Q1/2p4p/1p2B2P/2PN2n1/1PN5/P3PPB1/R3K2R w KQ - 3 28", 5, 3},  // (*)
    {"r1q1k3/p3Bp1Q/b1pPp1r1/3n4/p1PPN3/5N2/PP3PPP/2R1R1K1 w q - 1 18", 5, 3},
    {"1k4r1/1b1ppN1p/p1P2n1b/6p1/2Q1P3/2N5/PPP2PPP/R1B1KB1R w KQ - 1 17", 5, 3},
    {"2b2b1r/1p2p2k/r3P1p1/2pPq3/P4P2/3K3p/1P5P/nN5n b - - 1 26", 5, 3},
    {"r2qkb1r/1p1b1ppp/p3p3/P2n4/3P1P2/1Pp1p1P1/4P2P/n1BK1B1R b kq - 0 17", 5, 3},
    {"rnbqkbnr/p1pp3p/8/1p2ppN1/3PP3/8/PPP2PPP/RNBQKB1R w KQkq - 0 5", 5, 4},
    {"1n3rk1/2Q3pp/p3p3/5p2/2BP4/B1P2N2/P4PPP/R3K2R w KQ - 0 17", 5, 4},
    {"1r5Q/pb3k2/2p4p/1p2B2P/2PN2n1/1PN5/P3PPB1/R3K2R w KQ - 1 27", 5, 4},
    {"2k4r/pp2b1pp/2n2p2/2p4P/P2p1P2/5bP1/7r/5K2 b - - 0 35", 5, 4},  // ends in d1=Q#
    {"rn1qkbnr/ppp2pp1/4b3/3p3p/5K2/2NP4/PPPQP1PP/R1B2B1R b kq - 0 8", 5, 4},
    {"r1bqk2r/pp3ppp/3p1n2/4N3/1b2PK2/8/PPn2PPP/RNB2BR1 b kq - 1 11", 6, 5},
    {"r1b2rk1/ppp2pbp/n2p1qp1/8/PP4n1/N1P3PN/7P/R1BK3R b - - 4 14", 6, 5},  // (*)
    {"r1b1kbnr/pp6/2n1P1pp/qB1p2N1/2pP4/2N2Q2/PPP2PPP/R1B2RK1 w - - 0 12", 6, 5},
    {"8/8/8/8/8/2k5/8/R3K2R w KQ - 0 1", 6, 5},
    // No mate within N.
    {"8/1P6/8/8/8/8/5K2/7k w - - 0 1", 1, 0},             // b8=Q and b8=B stalemate
    {"8/8/8/8/2ppp3/3k4/1P2bP2/R3KBN1 w Q - 0 1", 3, 0},  // O-O-O would cross d1
    {"8/8/3ppp2/4k3/4p3/1BP5/3P4/5R1K w - - 0 1", 2, 0},  // d4+ is met by exd3 e.p.
    {"rnbqkbnr/p1pp3p/8/1p2ppN1/3PP3/8/PPP2PPP/RNBQKB1R w KQkq - 0 5", 3, 0},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 3, 0},
    {"2b5/2k2N2/2P3p1/P4pPp/5P1P/1n4R1/1q2r3/1K2n3 w - - 0 1", 2, 0},  // already mated
    {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 2, 0},                          // stalemated
};

std::vector<std::string> textes(const std::vector<Tcoup_promu>& coups) {
    std::vector<std::string> liste;
    for (const Tcoup_promu& coup : coups) liste.push_back(texte_coup_promu(coup));
    return liste;
}

// The line of each position: as long as the shortest mate, every move legal (in the
// referee's list too, which must equal coups_legaux_complets at every ply), checkmate at
// its end, the same line and node count when searched again; the referee's "go mate M"
// finds that distance, and no mate within N where there is none.
TEST(Mat, PlusCourtMatEtSaLigne) {
    Tarbitre arbitre;
    const bool avec_arbitre = demarre_arbitre(&arbitre);
    if (!avec_arbitre) std::cout << "stockfish absent: distances checked against the table only\n";
    for (const Tcas_mat& cas : CAS) {
        if (SOUS_SANITISEUR && cas.mat >= 5) continue;
        SCOPED_TRACE(cas.fen);
        Techiquier e;
        couleur c;
        ASSERT_TRUE(lit_fen_texte(cas.fen, &e, &c));
        const Tresultat_mat r = cherche_mat(&e, c, cas.demande, {});
        EXPECT_EQ(r.coups, cas.mat);
        EXPECT_FALSE(r.interrompu);
        const Tresultat_mat encore = cherche_mat(&e, c, cas.demande, {});
        EXPECT_EQ(textes(encore.ligne), textes(r.ligne));
        EXPECT_EQ(encore.noeuds, r.noeuds);
        ASSERT_EQ(r.ligne.size(), static_cast<size_t>(cas.mat > 0 ? 2 * cas.mat - 1 : 0));

        const std::string position = std::string("position fen ") + cas.fen;
        std::string joues;
        for (const Tcoup_promu& coup : r.ligne) {
            const std::vector<std::string> legaux = textes(coups_legaux_complets(&e, c));
            std::set<std::string> selon_arbitre;
            uint64_t total = 0;
            if (avec_arbitre) {
                ASSERT_TRUE(perft_arbitre_apres(&arbitre, position + joues + "\n", 1, &total,
                                                &selon_arbitre));
                EXPECT_EQ(std::set<std::string>(legaux.begin(), legaux.end()), selon_arbitre)
                    << "after" << joues;
            }
            EXPECT_NE(std::find(legaux.begin(), legaux.end(), texte_coup_promu(coup)), legaux.end())
                << texte_coup_promu(coup) << " after" << joues;
            joue_coup_promu(&e, coup);
            c = adversaire(c);
            joues += (joues.empty() ? " moves " : " ") + texte_coup_promu(coup);
        }
        if (cas.mat > 0) {
            EXPECT_TRUE(coups_legaux_complets(&e, c).empty());
            EXPECT_EQ(echec(&e, c), 1);
        }
        if (!avec_arbitre) continue;
        int mat = 0;
        const std::string limites =
            cas.mat > 0 ? "mate " + std::to_string(cas.mat) + " movetime 30000" : "depth 12";
        ASSERT_TRUE(mat_arbitre_apres(&arbitre, position + "\n", limites, &mat));
        if (cas.mat > 0) {
            EXPECT_EQ(mat, cas.mat);
        } else {
            EXPECT_TRUE(mat <= 0 || mat > cas.demande) << "referee: mate in " << mat;
        }
    }
    arrete_arbitre(&arbitre);
}

// The first move restricted: without its only mating move the position has no mate in one,
// and a promotion given without its piece is the queen's, which does not mate here.
TEST(Mat, PremiersCoupsImposes) {
    Techiquier e;
    couleur c;
    ASSERT_TRUE(lit_fen_texte("6nb/5Ppk/6pp/8/8/8/8/K7 w - - 0 1", &e, &c));
    std::vector<Tcoup_promu> sauf_le_mat;
    for (const Tcoup_promu& coup : coups_legaux_complets(&e, c)) {
        if (texte_coup_promu(coup) != "f7f8n") sauf_le_mat.push_back(coup);
    }
    ASSERT_EQ(sauf_le_mat.size(), 10u);  // f8 and fxg8 four ways each, three king moves, less one
    EXPECT_EQ(cherche_mat(&e, c, 1, {}).coups, 1);
    EXPECT_EQ(cherche_mat(&e, c, 1, sauf_le_mat).coups, 0);
    const Tcoup f7f8 = fait_coup(6, 5, 7, 5);
    EXPECT_EQ(cherche_mat(&e, c, 1, {{f7f8, 0}}).coups, 0);
    const Tresultat_mat r = cherche_mat(&e, c, 1, {{f7f8, CAVALIER}});
    EXPECT_EQ(textes(r.ligne), std::vector<std::string>{"f7f8n"});
}

// "stop" waiting on the input ends at once a search that would run for hours: no mate,
// `interrompu`, `arret` raised; the next search clears it and runs whole.
TEST(Mat, ArretParStop) {
    Techiquier e;
    couleur c;
    ASSERT_TRUE(lit_fen_texte("r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
                              &e, &c));
    {
        Console console("stop\n");
        const int64_t debut = maintenant_ms();
        const Tresultat_mat r = cherche_mat(&e, c, 9, {});
        EXPECT_LT(maintenant_ms() - debut, SOUS_SANITISEUR ? 5000 : 1000);
        EXPECT_TRUE(r.interrompu);
        EXPECT_EQ(r.coups, 0);
        EXPECT_TRUE(r.ligne.empty());
        EXPECT_EQ(arret, 1);
    }
    Console console;
    const Tresultat_mat r = cherche_mat(&e, c, 2, {});
    EXPECT_FALSE(r.interrompu);
    EXPECT_EQ(arret, 0);
    EXPECT_EQ(r.coups, 0);
}

}  // namespace
