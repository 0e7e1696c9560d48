// SPDX-License-Identifier: GPL-3.0-or-later
// Move generation (order included), en passant, castling, check and the legality filter.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "aide_tests.h"
#include "divers.h"
#include "primitives_listes.h"
#include "primitives_pieces.h"

namespace {

using V = std::vector<std::string>;

Tcoup coup(const char* texte) {
    return fait_coup(texte[1] - '1', texte[0] - 'a', texte[3] - '1', texte[2] - 'a');
}

std::string texte(const Tcoup& c) {
    return {static_cast<char>('a' + c.colonne_depart), static_cast<char>('1' + c.ligne_depart),
            static_cast<char>('a' + c.colonne_arrivee), static_cast<char>('1' + c.ligne_arrivee)};
}

// The moves of a list as text; the list is released.
V textes_et_libere(Tliste* liste) {
    V resultat;
    for (Tcoup* n = *liste; n != nullptr; n = n->suivant) resultat.push_back(texte(*n));
    total_destroy_liste(liste);
    return resultat;
}

// A board from its rows written rank 8 first, "/" between rows, a digit for a run of empty
// squares, PKNBRQ for white and pkbnrq for black. Counts and king squares follow the
// pieces (row 8 when a king is missing); no castling right, no en passant record.
Techiquier plateau(const std::string& rangees) {
    Techiquier e;
    init_echiquier(&e);
    for (int32_t& c : e.cases) c = VIDE;
    e.nb_pieces_blanches = e.nb_pieces_noires = e.nb_fous_blancs = e.nb_fous_noirs = 0;
    e.grand_roque_blanc = e.petit_roque_blanc = e.grand_roque_noir = e.petit_roque_noir = 0;
    e.roi_blanc_ligne = e.roi_blanc_colonne = e.roi_noir_ligne = e.roi_noir_colonne = 8;
    int ligne = 7, colonne = 0;
    for (char ch : rangees) {
        if (ch == '/') {
            ligne--;
            colonne = 0;
        } else if (ch >= '1' && ch <= '8') {
            colonne += ch - '0';
        } else {
            const std::string genres = "pkbnrq";
            const int32_t codes[6] = {PION, ROI, FOU, CAVALIER, TOUR, DAME};
            const bool blanc = ch >= 'A' && ch <= 'Z';
            const int32_t genre = codes[genres.find(static_cast<char>(blanc ? ch - 'A' + 'a' : ch))];
            const int32_t c = blanc ? genre : -genre;
            e.cases[index_case(ligne, colonne)] = c;
            (blanc ? e.nb_pieces_blanches : e.nb_pieces_noires)++;
            if (genre == FOU) (blanc ? e.nb_fous_blancs : e.nb_fous_noirs)++;
            if (genre == ROI) {
                (blanc ? e.roi_blanc_ligne : e.roi_noir_ligne) = ligne;
                (blanc ? e.roi_blanc_colonne : e.roi_noir_colonne) = colonne;
            }
            colonne++;
        }
    }
    return e;
}

V coups_de(const Techiquier& e, couleur c) {
    Tliste liste;
    init_liste(&liste);
    generateur(&e, c, &liste);
    return textes_et_libere(&liste);
}

V coups_legaux(const Techiquier& e, couleur c) {
    Tliste liste;
    init_liste(&liste);
    generateur(&e, c, &liste);
    enleve_pos_echec(&e, &liste);
    return textes_et_libere(&liste);
}

using Generateur_piece = void (*)(const Techiquier*, int, int, Tliste*);

V coups_piece(const Techiquier& e, Generateur_piece generateur_piece, const char* case_texte) {
    Tliste liste;
    init_liste(&liste);
    generateur_piece(&e, case_texte[1] - '1', case_texte[0] - 'a', &liste);
    return textes_et_libere(&liste);
}

bool contient(const V& coups, const std::string& c) {
    return std::find(coups.begin(), coups.end(), c) != coups.end();
}

int nombre(const V& coups, const std::string& c) {
    return static_cast<int>(std::count(coups.begin(), coups.end(), c));
}

Techiquier initial() {
    Techiquier e;
    init_echiquier(&e);
    return e;
}

// ---- Order of the generated list ----

TEST(GenerateurOrdre, PositionInitiale) {
    EXPECT_EQ(coups_de(initial(), BLANC),
              (V{"b1c3", "b1a3", "g1h3", "g1f3", "a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4",
                 "d2d3", "d2d4", "e2e3", "e2e4", "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4"}));
    EXPECT_EQ(coups_de(initial(), NOIR),
              (V{"b8a6", "b8c6", "g8f6", "g8h6", "a7a6", "a7a5", "b7b6", "b7b5", "c7c6", "c7c5",
                 "d7d6", "d7d5", "e7e6", "e7e5", "f7f6", "f7f5", "g7g6", "g7g5", "h7h6", "h7h5"}));
}

TEST(GenerateurOrdre, PrisesDEabordDernieresTrouveesEnTete) {
    // Scan order d1, e1, c3, e4: three captures of d5, found rook first.
    const Techiquier e = plateau("4k3/8/8/3p4/4P3/2N5/8/3RK3");
    EXPECT_EQ(coups_de(e, BLANC),
              (V{"e4d5", "c3d5", "d1d5", "d1d2", "d1d3", "d1d4", "d1c1", "d1b1", "d1a1", "e1d2",
                 "e1f2", "e1e2", "e1f1", "c3b5", "c3b1", "c3e2", "c3a2", "c3a4", "e4e5"}));
    // Black scans from rank 8 down: the king first, then the pawn.
    EXPECT_EQ(coups_de(e, NOIR),
              (V{"d5e4", "e8d8", "e8f8", "e8d7", "e8e7", "e8f7", "d5d4"}));
}

TEST(GenerateurOrdre, CompteDArretDuBalayage) {
    Techiquier e = initial();
    e.nb_pieces_blanches = 40;  // too high: every square is visited, nothing changes
    e.nb_pieces_noires = 40;
    EXPECT_EQ(coups_de(e, BLANC), coups_de(initial(), BLANC));
    EXPECT_EQ(coups_de(e, NOIR), coups_de(initial(), NOIR));

    e.nb_pieces_blanches = 15;  // too low: the last piece in scan order is left out
    e.nb_pieces_noires = 15;
    const V blancs = coups_de(e, BLANC);
    EXPECT_EQ(blancs.size(), 18u);
    EXPECT_FALSE(contient(blancs, "h2h3"));
    EXPECT_TRUE(contient(blancs, "g2g4"));
    const V noirs = coups_de(e, NOIR);
    EXPECT_EQ(noirs.size(), 18u);
    EXPECT_FALSE(contient(noirs, "h7h6"));
    EXPECT_TRUE(contient(noirs, "g8f6"));
}

// ---- Per-piece generators ----

TEST(GenerateurPion, PoussesEtPrises) {
    const Techiquier e = plateau("8/8/3p1n2/4P3/8/8/8/8");
    EXPECT_EQ(coups_piece(e, coups_pion, "e5"), (V{"e5f6", "e5d6", "e5e6"}));

    // From the starting row: two pushes, one when the square two ahead is taken, none when
    // the square ahead is taken.
    EXPECT_EQ(coups_piece(initial(), coups_pion, "e2"), (V{"e2e3", "e2e4"}));
    EXPECT_EQ(coups_piece(plateau("8/8/8/8/4n3/8/4P3/8"), coups_pion, "e2"), (V{"e2e3"}));
    EXPECT_EQ(coups_piece(plateau("8/8/8/8/8/4N3/4P3/8"), coups_pion, "e2"), V{});
    EXPECT_EQ(coups_piece(plateau("8/4p3/8/4P3/8/8/8/8"), coups_pion, "e7"), (V{"e7e6"}));
    EXPECT_EQ(coups_piece(plateau("8/4p3/4p3/8/8/8/8/8"), coups_pion, "e7"), V{});
    EXPECT_EQ(coups_piece(plateau("8/8/8/8/8/4p3/8/8"), coups_pion, "e3"), (V{"e3e2"}));
}

TEST(GenerateurPion, BordsEtDerniereRangee) {
    // No capture toward a column off the board.
    EXPECT_EQ(coups_piece(plateau("8/8/8/8/8/1p5p/P6P/8"), coups_pion, "a2"),
              (V{"a2b3", "a2a3", "a2a4"}));
    EXPECT_EQ(coups_piece(plateau("8/8/8/8/8/p5p1/P6P/8"), coups_pion, "h2"),
              (V{"h2g3", "h2h3", "h2h4"}));
    const Techiquier e = plateau("8/8/8/8/8/8/8/8");
    EXPECT_EQ(pion_pr_g(&e, 1, 0), 0);
    EXPECT_EQ(pion_pr_d(&e, 1, 7), 0);

    // Onto the last row: each move once, no under-promotion.
    EXPECT_EQ(coups_piece(plateau("6r1/5P2/8/8/8/8/8/8"), coups_pion, "f7"),
              (V{"f7g8", "f7f8"}));
    EXPECT_EQ(coups_piece(plateau("8/8/8/8/8/8/1p6/R7"), coups_pion, "b2"),
              (V{"b2a1", "b2b1"}));
    // On the last row itself: nothing, and nothing read off the board.
    EXPECT_EQ(coups_piece(plateau("P7/8/8/8/8/8/8/7p"), coups_pion, "a8"), V{});
    EXPECT_EQ(coups_piece(plateau("P7/8/8/8/8/8/8/7p"), coups_pion, "h1"), V{});
}

TEST(GenerateurPion, FonctionsDeTest) {
    const Techiquier e = plateau("3k4/8/3b4/4P3/8/8/4P3/3p4");
    EXPECT_EQ(pion_dep(&e, 1, 4), 2);  // e2
    EXPECT_EQ(pion_dep(&e, 4, 4), 1);  // e5
    EXPECT_EQ(pion_dep(&e, 0, 3), 0);  // black pawn d1 on its last row

    // pion_r: a piece of the other side on the destination.
    EXPECT_EQ(pion_r(&e, coup("e5d6")), 1);
    EXPECT_EQ(pion_r(&e, coup("e5f6")), 0);
    EXPECT_EQ(pion_r(&e, coup("e5e2")), 0);
    // pion_pr: the destination row is always one row ahead, whatever the move says.
    EXPECT_EQ(pion_pr(&e, coup("e5d1")), 1);
    EXPECT_EQ(pion_pr(&e, coup("e2d8")), 0);
    EXPECT_EQ(pion_pr_g(&e, 4, 4), 1);
    EXPECT_EQ(pion_pr_d(&e, 4, 4), 0);
    // A king is captured like any other piece.
    const Techiquier roi = plateau("8/8/8/3k4/4P3/8/8/8");
    EXPECT_EQ(coups_piece(roi, coups_pion, "e4"), (V{"e4d5", "e4e5"}));
}

TEST(GenerateurPieces, Cavalier) {
    EXPECT_EQ(coups_piece(plateau("8/8/8/8/8/8/8/N7"), coups_cavalier, "a1"), (V{"a1b3", "a1c2"}));
    EXPECT_EQ(coups_piece(initial(), coups_cavalier, "g1"), (V{"g1h3", "g1f3"}));
    // Own pieces are skipped, opposing ones taken at the head.
    EXPECT_EQ(coups_piece(plateau("8/8/3p1P2/8/4N3/8/8/8"), coups_cavalier, "e4"),
              (V{"e4d6", "e4d2", "e4f2", "e4g5", "e4g3", "e4c3", "e4c5"}));
}

TEST(GenerateurPieces, Tour) {
    EXPECT_EQ(coups_piece(plateau("8/3n4/8/8/3R2q1/8/8/8"), coups_tour, "d4"),
              (V{"d4g4", "d4d7", "d4d5", "d4d6", "d4d3", "d4d2", "d4d1", "d4e4", "d4f4", "d4c4",
                 "d4b4", "d4a4"}));
    EXPECT_EQ(coups_piece(initial(), coups_tour, "a1"), V{});
}

TEST(GenerateurPieces, Fou) {
    // Ray by ray; an own piece ends a ray without a move.
    EXPECT_EQ(coups_piece(plateau("8/8/5P2/8/3B4/8/1p6/8"), coups_fou, "d4"),
              (V{"d4b2", "d4e5", "d4c5", "d4b6", "d4a7", "d4e3", "d4f2", "d4g1", "d4c3"}));
}

TEST(GenerateurPieces, Roi) {
    EXPECT_EQ(coups_piece(plateau("8/8/8/8/4K3/8/8/8"), coups_roi, "e4"),
              (V{"e4d5", "e4f5", "e4e5", "e4d4", "e4f4", "e4d3", "e4e3", "e4f3"}));
    EXPECT_EQ(coups_piece(plateau("8/8/8/8/8/8/8/K7"), coups_roi, "a1"), (V{"a1b2", "a1a2", "a1b1"}));
}

TEST(GenerateurPieces, Dame) {
    EXPECT_EQ(coups_piece(plateau("8/8/8/8/3Q4/8/8/8"), coups_dame, "d4"),
              (V{"d4e5", "d4f6", "d4g7", "d4h8", "d4c5", "d4b6", "d4a7", "d4e3", "d4f2",
                 "d4g1", "d4c3", "d4b2", "d4a1", "d4d5", "d4d6", "d4d7", "d4d8", "d4d3",
                 "d4d2", "d4d1", "d4e4", "d4f4", "d4g4", "d4h4", "d4c4", "d4b4", "d4a4"}));
}

TEST(GenerateurPieces, CaseVideNeDonneRien) {
    Tliste liste;
    init_liste(&liste);
    const Techiquier e = initial();
    coups_possibles_case(&e, 3, 3, &liste);
    EXPECT_EQ(liste, nullptr);
}

// ---- En passant ----

TEST(GenerateurEnPassant, SeulsLesVoisinsPrennent) {
    // Black has just played d7d5; every other white pawn stands on rank 5 too.
    Techiquier e = plateau("4k3/8/8/PPPpPPPP/8/8/8/4K3");
    e.ep_ligne = 4;
    e.ep_colonne = 3;
    const V coups = coups_de(e, BLANC);
    ASSERT_GE(coups.size(), 2u);
    EXPECT_EQ(coups[0], "e5d6");
    EXPECT_EQ(coups[1], "c5d6");
    int diagonales = 0;
    for (const std::string& c : coups) diagonales += c[0] != c[2] && c[1] == '5';
    EXPECT_EQ(diagonales, 2);

    // After a real d7d5 reply, from the game.
    EXPECT_EQ(coups_de(position_apres("e2e4 a7a6 e4e5 d7d5"), BLANC)[0], "e5d6");
}

TEST(GenerateurEnPassant, PrisesNoires) {
    Techiquier e = plateau("4k3/8/8/8/3pPp2/8/8/4K3");
    e.ep_ligne = 3;
    e.ep_colonne = 4;
    EXPECT_EQ(coups_de(e, NOIR),
              (V{"f4e3", "d4e3", "e8d8", "e8f8", "e8d7", "e8e7", "e8f7", "d4d3", "f4f3"}));
    // From a game: a black pawn on d4 when white plays e2e4.
    EXPECT_EQ(coups_de(position_apres("a2a3 d7d5 a3a4 d5d4 e2e4"), NOIR)[0], "d4e3");
}

TEST(GenerateurEnPassant, DevantLesPrisesOrdinairesDuPion) {
    Techiquier e = plateau("8/8/5n2/3pP3/8/8/8/8");
    e.ep_ligne = 4;
    e.ep_colonne = 3;
    EXPECT_EQ(coups_de(e, BLANC), (V{"e5d6", "e5f6", "e5e6"}));
}

TEST(GenerateurEnPassant, DureUnSeulCoupEtSuitLeSigneDeEpLigne) {
    const Techiquier apres = position_apres("e2e4 a7a6 e4e5 d7d5 g1f3 b8c6");
    EXPECT_EQ(apres.ep_colonne, 3);  // still there, but meaningless
    EXPECT_FALSE(contient(coups_de(apres, BLANC), "e5d6"));

    Techiquier e = plateau("8/8/8/3pP3/8/8/8/8");
    e.ep_colonne = 3;
    e.ep_ligne = -1;
    EXPECT_FALSE(contient(coups_de(e, BLANC), "e5d6"));
    e.ep_ligne = 0;  // only the sign counts, not the row
    EXPECT_TRUE(contient(coups_de(e, BLANC), "e5d6"));

    // The capturer must stand on its fifth rank.
    Techiquier mauvaise_rangee = plateau("8/8/8/8/3pP3/8/8/8");
    mauvaise_rangee.ep_ligne = 3;
    mauvaise_rangee.ep_colonne = 3;
    EXPECT_EQ(coups_de(mauvaise_rangee, BLANC), (V{"e4e5"}));
}

// ---- Castling ----

TEST(GenerateurRoque, CheminLibreEtOrdreEnQueue) {
    EXPECT_FALSE(contient(coups_de(initial(), BLANC), "e1g1"));
    EXPECT_FALSE(contient(coups_de(initial(), BLANC), "e1c1"));

    Techiquier e = plateau("4k3/8/8/8/8/8/8/R3K2R");
    e.grand_roque_blanc = e.petit_roque_blanc = 1;
    const V coups = coups_de(e, BLANC);
    const V suite = {"e1c1", "e1g1", "e1d2", "e1f2", "e1e2", "e1d1", "e1f1"};
    EXPECT_NE(std::search(coups.begin(), coups.end(), suite.begin(), suite.end()), coups.end());

    Techiquier noir = plateau("r3k2r/8/8/8/8/8/8/4K3");
    noir.grand_roque_noir = noir.petit_roque_noir = 1;
    const V coups_noirs = coups_de(noir, NOIR);
    const V suite_noire = {"e8c8", "e8g8", "e8d8", "e8f8", "e8d7", "e8e7", "e8f7"};
    EXPECT_NE(std::search(coups_noirs.begin(), coups_noirs.end(), suite_noire.begin(),
                          suite_noire.end()),
              coups_noirs.end());
}

TEST(GenerateurRoque, ConditionsLuesSurLEchiquier) {
    // b1 taken: no grand roque, though the king never crosses b1.
    Techiquier b1 = plateau("4k3/8/8/8/8/8/8/RN2K2R");
    b1.grand_roque_blanc = b1.petit_roque_blanc = 1;
    V coups = coups_de(b1, BLANC);
    EXPECT_FALSE(contient(coups, "e1c1"));
    EXPECT_TRUE(contient(coups, "e1g1"));

    // Rights without the side's rook on the corners.
    Techiquier sans_tour = plateau("4k3/8/8/8/8/8/8/r3K2B");
    sans_tour.grand_roque_blanc = sans_tour.petit_roque_blanc = 1;
    coups = coups_de(sans_tour, BLANC);
    EXPECT_FALSE(contient(coups, "e1c1"));
    EXPECT_FALSE(contient(coups, "e1g1"));

    // Rooks in place, rights gone.
    coups = coups_de(plateau("4k3/8/8/8/8/8/8/R3K2R"), BLANC);
    EXPECT_FALSE(contient(coups, "e1c1"));
    EXPECT_FALSE(contient(coups, "e1g1"));

    // In check, castling is still generated here.
    Techiquier echec_e1 = plateau("k3r3/8/8/8/8/8/8/R3K2R");
    echec_e1.grand_roque_blanc = echec_e1.petit_roque_blanc = 1;
    coups = coups_de(echec_e1, BLANC);
    EXPECT_TRUE(contient(coups, "e1c1"));
    EXPECT_TRUE(contient(coups, "e1g1"));

    // Only a king on its home square castles.
    Techiquier deplace = plateau("4k3/8/8/8/8/8/8/R2K3R");
    deplace.grand_roque_blanc = deplace.petit_roque_blanc = 1;
    EXPECT_EQ(coups_piece(deplace, roque, "d1"), V{});
    Techiquier monte = plateau("4k3/8/8/8/8/8/4K3/R6R");
    monte.grand_roque_blanc = monte.petit_roque_blanc = 1;
    EXPECT_EQ(coups_piece(monte, roque, "e2"), V{});
}

// ---- Check and legality ----

TEST(LegaliteEchec, PositionInitiale) {
    const Techiquier e = initial();
    EXPECT_EQ(echec(&e, BLANC), 0);
    EXPECT_EQ(echec(&e, NOIR), 0);
    EXPECT_EQ(coups_legaux(e, BLANC), coups_de(e, BLANC));
    EXPECT_EQ(coups_legaux(e, NOIR).size(), 20u);
    EXPECT_EQ(test_echec_ou_mat(&e, BLANC), 0);
    EXPECT_EQ(test_echec_ou_mat(&e, NOIR), 0);
}

TEST(LegaliteEchec, LitLaCaseDuRoiEnregistree) {
    Techiquier e = plateau("4r2k/8/8/8/8/8/8/4K3");
    EXPECT_EQ(echec(&e, BLANC), 1);
    EXPECT_EQ(echec(&e, NOIR), 0);
    e.roi_blanc_ligne = 8;  // no king: no check
    EXPECT_EQ(echec(&e, BLANC), 0);
    e.roi_blanc_ligne = 0;
    e.roi_blanc_colonne = 0;  // the stored square is trusted, the board not searched
    EXPECT_EQ(echec(&e, BLANC), 0);

    const Techiquier sans_roi = plateau("8/8/8/8/8/8/8/4r2k");
    EXPECT_EQ(echec(&sans_roi, BLANC), 0);  // no white king at all
}

TEST(LegaliteEchec, RechercheDuRoi) {
    const Techiquier e = initial();
    EXPECT_TRUE(comp_Tcoord(recherche_roi(&e, BLANC), Tcoord{0, 4}));
    EXPECT_TRUE(comp_Tcoord(recherche_roi(&e, NOIR), Tcoord{7, 4}));
    const Techiquier sans = plateau("8/8/8/8/3k4/8/8/8");
    EXPECT_TRUE(comp_Tcoord(recherche_roi(&sans, BLANC), Tcoord{8, 8}));
    EXPECT_TRUE(comp_Tcoord(recherche_roi(&sans, NOIR), Tcoord{3, 3}));
}

TEST(LegaliteFiltre, ClouagesParTourEtParFou) {
    EXPECT_EQ(coups_legaux(plateau("4r2k/8/8/8/8/8/4R3/4K3"), BLANC),
              (V{"e2e8", "e1d2", "e1f2", "e1d1", "e1f1", "e2e3", "e2e4", "e2e5", "e2e6",
                 "e2e7"}));
    const V fou = coups_legaux(plateau("4k3/8/8/8/1b6/8/3N4/4K3"), BLANC);
    for (const std::string& c : fou) EXPECT_NE(c.substr(0, 2), "d2") << c;
    EXPECT_EQ(fou, (V{"e1f2", "e1e2", "e1d1", "e1f1"}));
}

TEST(LegaliteFiltre, RoqueHorsDEchec) {
    Techiquier e = plateau("4r2k/8/8/8/8/8/8/R3K2R");
    e.grand_roque_blanc = e.petit_roque_blanc = 1;
    const V coups = coups_legaux(e, BLANC);
    EXPECT_FALSE(contient(coups, "e1g1"));
    EXPECT_FALSE(contient(coups, "e1c1"));
    EXPECT_TRUE(contient(coups, "e1f1"));
    EXPECT_TRUE(contient(coups, "e1d1"));
    EXPECT_FALSE(contient(coups, "e1e2"));

    Techiquier noir = plateau("r3k2r/8/8/8/8/8/8/4R2K");
    noir.grand_roque_noir = noir.petit_roque_noir = 1;
    const V noirs = coups_legaux(noir, NOIR);
    EXPECT_FALSE(contient(noirs, "e8g8"));
    EXPECT_FALSE(contient(noirs, "e8c8"));
    EXPECT_TRUE(contient(noirs, "e8f8"));
}

TEST(LegaliteFiltre, RoqueAuTraversDUneCaseAttaquee) {
    // f1 attacked: the step and the castling that crosses it both go.
    Techiquier f1 = plateau("7k/8/8/8/2b5/8/8/R3K2R");
    f1.grand_roque_blanc = f1.petit_roque_blanc = 1;
    V coups = coups_legaux(f1, BLANC);
    EXPECT_FALSE(contient(coups, "e1f1"));
    EXPECT_FALSE(contient(coups, "e1g1"));
    EXPECT_TRUE(contient(coups, "e1c1"));
    EXPECT_TRUE(contient(coups, "e1d1"));

    // g1 attacked, f1 not: the castling fails on its own destination.
    Techiquier g1 = plateau("6rk/8/8/8/8/8/8/R3K2R");
    g1.grand_roque_blanc = g1.petit_roque_blanc = 1;
    coups = coups_legaux(g1, BLANC);
    EXPECT_FALSE(contient(coups, "e1g1"));
    EXPECT_TRUE(contient(coups, "e1f1"));
    EXPECT_TRUE(contient(coups, "e1c1"));

    // Only b1 attacked: the king does not cross it.
    Techiquier b1 = plateau("7k/8/8/8/8/8/b7/R3K2R");
    b1.grand_roque_blanc = b1.petit_roque_blanc = 1;
    coups = coups_legaux(b1, BLANC);
    EXPECT_TRUE(contient(coups, "e1c1"));
    EXPECT_TRUE(contient(coups, "e1g1"));

    // Black: d8 attacked from a5.
    Techiquier noir = plateau("r3k2r/8/8/B7/8/8/8/4K3");
    noir.grand_roque_noir = noir.petit_roque_noir = 1;
    coups = coups_legaux(noir, NOIR);
    EXPECT_FALSE(contient(coups, "e8d8"));
    EXPECT_FALSE(contient(coups, "e8c8"));
    EXPECT_TRUE(contient(coups, "e8g8"));
    EXPECT_TRUE(contient(coups, "e8f8"));
}

TEST(LegaliteFiltre, EnPassantQuiDecouvreLeRoi) {
    Techiquier e = plateau("7k/8/8/KPp4r/8/8/8/8");
    e.ep_ligne = 4;
    e.ep_colonne = 2;
    EXPECT_TRUE(contient(coups_de(e, BLANC), "b5c6"));
    const V coups = coups_legaux(e, BLANC);
    EXPECT_FALSE(contient(coups, "b5c6"));
    EXPECT_TRUE(contient(coups, "b5b6"));
}

TEST(LegaliteFiltre, PromotionDUnPionCloue) {
    // The pawn on b7 is pinned along rank 7: neither its push nor its capture onto the last
    // row is legal.
    EXPECT_EQ(coups_legaux(plateau("2b4k/KP5r/8/8/8/8/8/8"), BLANC),
              (V{"a7b8", "a7a8", "a7a6", "a7b6"}));
}

TEST(LegaliteFiltre, CoupEnDoubleSansAccesMemoireInvalide) {
    // One side moved twice: the en passant capture lands on an occupied square, next to
    // the ordinary capture of that square.
    couleur camp = 0;
    const Techiquier partie = position_apres("e2e4 a7a6 e4e5 d7d6 a2a3 d2d4", &camp);
    ASSERT_EQ(camp, BLANC);
    EXPECT_EQ(nombre(coups_de(partie, BLANC), "e5d6"), 2);
    const V legaux = coups_legaux(partie, BLANC);
    EXPECT_EQ(nombre(legaux, "e5d6"), 2);
    EXPECT_EQ(legaux.size(), coups_de(partie, BLANC).size());

    // The same pair, illegal (pinned on the e-file) and behind another capture: both
    // copies go, every other move stays.
    Techiquier cloue = plateau("2b1r2k/8/1N1p4/4P3/8/8/8/4K3");
    cloue.ep_ligne = 3;
    cloue.ep_colonne = 3;
    EXPECT_EQ(coups_de(cloue, BLANC),
              (V{"b6c8", "e5d6", "e5d6", "e1d2", "e1f2", "e1e2", "e1d1", "e1f1", "e5e6", "b6a8",
                 "b6a4", "b6c4", "b6d7", "b6d5"}));
    EXPECT_EQ(coups_legaux(cloue, BLANC),
              (V{"b6c8", "e1d2", "e1f2", "e1e2", "e1d1", "e1f1", "e5e6", "b6a8", "b6a4", "b6c4",
                 "b6d7", "b6d5"}));
}

TEST(LegaliteFiltre, ListeVide) {
    Tliste liste;
    init_liste(&liste);
    const Techiquier e = initial();
    enleve_pos_echec(&e, &liste);
    EXPECT_EQ(liste, nullptr);
}

TEST(LegaliteFin, MatPatEtEchec) {
    const Techiquier mat = position_apres("f2f3 e7e5 g2g4 d8h4");
    EXPECT_EQ(echec(&mat, BLANC), 1);
    EXPECT_EQ(echec_mat(&mat, BLANC), 1);
    EXPECT_EQ(test_echec_ou_mat(&mat, BLANC), 3);
    EXPECT_EQ(echec_mat(&mat, NOIR), 0);

    const Techiquier pat = plateau("7k/5Q2/6K1/8/8/8/8/8");
    EXPECT_EQ(echec(&pat, NOIR), 0);
    EXPECT_EQ(echec_mat(&pat, NOIR), 1);
    EXPECT_EQ(test_echec_ou_mat(&pat, NOIR), 2);
    EXPECT_EQ(test_echec_ou_mat(&pat, BLANC), 0);

    const Techiquier echec_simple = position_apres("e2e4 e7e5 d1h5 b8c6 h5f7");
    EXPECT_EQ(test_echec_ou_mat(&echec_simple, NOIR), 1);
    EXPECT_EQ(coups_legaux(echec_simple, NOIR), (V{"e8f7"}));
}

}  // namespace
