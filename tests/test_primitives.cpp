// SPDX-License-Identifier: GPL-3.0-or-later
// The board record, its small helpers, move execution and positions read from FEN.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "aide_tests.h"
#include "divers.h"
#include "primitives.h"
#include "primitives_fen.h"
#include "primitives_pieces.h"

namespace {

// The record as its 79 words, in their order.
struct Tmots {
    int32_t mot[79];
};

Tmots mots(const Techiquier& e) {
    Tmots m;
    std::memcpy(m.mot, &e, sizeof m.mot);
    return m;
}

int32_t code(const Techiquier& e, const char* case_texte) {
    return e.cases[index_case(case_texte[1] - '1', case_texte[0] - 'a')];
}

void pose(Techiquier* e, const char* case_texte, int32_t code_piece) {
    e->cases[index_case(case_texte[1] - '1', case_texte[0] - 'a')] = code_piece;
}

Tcoup coup(const char* texte) {
    return fait_coup(texte[1] - '1', texte[0] - 'a', texte[3] - '1', texte[2] - 'a');
}

// A board with only the two kings (e1, e8), no castling right and counts that match.
Techiquier deux_rois() {
    Techiquier e;
    init_echiquier(&e);
    for (int32_t& c : e.cases) c = VIDE;
    pose(&e, "e1", ROI);
    pose(&e, "e8", -ROI);
    e.nb_pieces_blanches = 1;
    e.nb_pieces_noires = 1;
    e.nb_fous_blancs = 0;
    e.nb_fous_noirs = 0;
    e.grand_roque_blanc = e.petit_roque_blanc = e.grand_roque_noir = e.petit_roque_noir = 0;
    return e;
}

Techiquier initial() {
    Techiquier e;
    init_echiquier(&e);
    return e;
}

// ---- Record and helpers ----

TEST(EchiquierInit, PositionInitialeEtMotsDEtat) {
    const Techiquier e = initial();
    const int32_t rangee[8] = {5, 3, 4, 6, 2, 4, 3, 5};
    for (int colonne = 0; colonne < 8; colonne++) {
        EXPECT_EQ(e.cases[index_case(0, colonne)], rangee[colonne]);
        EXPECT_EQ(e.cases[index_case(1, colonne)], 1);
        for (int ligne = 2; ligne < 6; ligne++) EXPECT_EQ(e.cases[index_case(ligne, colonne)], 0);
        EXPECT_EQ(e.cases[index_case(6, colonne)], -1);
        EXPECT_EQ(e.cases[index_case(7, colonne)], -rangee[colonne]);
    }
    const Tmots m = mots(e);
    EXPECT_EQ(m.mot[3], 6);
    EXPECT_EQ(m.mot[4], 2);
    EXPECT_EQ(m.mot[59], -6);
    EXPECT_EQ(m.mot[60], -2);
    const int32_t etat[15] = {1, 16, 16, 2, 2, 1, 1, 1, 1, -1, -1, 0, 4, 7, 4};
    for (int i = 0; i < 15; i++) EXPECT_EQ(m.mot[64 + i], etat[i]) << "word " << 64 + i;
}

TEST(EchiquierInit, ReecritToutQuelQueSoitLeContenu) {
    Techiquier sale;
    std::memset(&sale, 0x5a, sizeof sale);
    init_echiquier(&sale);
    const Techiquier propre = initial();
    EXPECT_EQ(std::memcmp(&sale, &propre, sizeof sale), 0);
}

TEST(EchiquierCopie, CopieToutSaufLeTraitEtResteIndependante) {
    Techiquier source = position_apres("e2e4 d7d5 e4d5 g8f6 f1b5 c7c6 g1f3 c6b5 e1g1");
    source.trait = 7;
    Techiquier copie;
    std::memset(&copie, 0x11, sizeof copie);
    copie.trait = -3;
    copie_Techiquier(&source, &copie);

    const Tmots s = mots(source), c = mots(copie);
    for (int i = 0; i < 79; i++) {
        if (i == 64) continue;
        EXPECT_EQ(c.mot[i], s.mot[i]) << "word " << i;
    }
    EXPECT_EQ(copie.trait, -3);

    execute_coup(&copie, coup("f6d5"));
    pose(&copie, "a1", VIDE);
    copie.petit_roque_noir = 0;
    const Tmots apres = mots(source);
    EXPECT_EQ(std::memcmp(apres.mot, s.mot, sizeof s.mot), 0);
}

TEST(EchiquierAides, ComparaisonsDeCasesEtDeCoups) {
    EXPECT_EQ(comp_Tcoord(Tcoord{3, 4}, Tcoord{3, 4}), 1);
    EXPECT_EQ(comp_Tcoord(Tcoord{3, 4}, Tcoord{4, 3}), 0);
    EXPECT_EQ(comp_Tcoord(Tcoord{3, 4}, Tcoord{3, 5}), 0);

    Tcoup autre = coup("e2e4");
    Tcoup a = coup("e2e4");
    a.suivant = &autre;
    EXPECT_EQ(comp_Tcoup(a, coup("e2e4")), 1);  // the link is not part of the move
    EXPECT_EQ(comp_Tcoup(coup("e2e4"), coup("e2e3")), 0);
    EXPECT_EQ(comp_Tcoup(coup("e2e4"), coup("d2e4")), 0);
    EXPECT_EQ(comp_Tcoup(coup("e2e4"), coup("e1e4")), 0);
    EXPECT_EQ(comp_Tcoup(coup("e2e4"), coup("e2f4")), 0);
}

TEST(EchiquierAides, OccupationEtCamps) {
    const Techiquier e = initial();
    EXPECT_EQ(piece(&e, 0, 0), 1);
    EXPECT_EQ(piece(&e, 7, 7), 1);
    EXPECT_EQ(piece(&e, 3, 3), 0);

    EXPECT_EQ(coul_oppos(&e, coup("e2e4")), 0);  // onto an empty square
    EXPECT_EQ(coul_oppos(&e, coup("e2e7")), 1);  // onto a black pawn
    EXPECT_EQ(coul_oppos(&e, coup("e2d1")), 0);  // onto a white piece
    EXPECT_EQ(coul_oppos(&e, coup("e4e7")), 0);  // from an empty square

    EXPECT_EQ(couleur_identique(&e, coup("b1d2")), 1);  // knight onto its own pawn
    EXPECT_EQ(couleur_identique(&e, coup("b1b7")), 0);  // onto a black pawn
    EXPECT_EQ(couleur_identique(&e, coup("b1c3")), 0);  // onto an empty square
    EXPECT_EQ(couleur_identique(&e, coup("e4e7")), 1);  // from an empty square
    EXPECT_EQ(couleur_identique(&e, coup("e4e2")), 1);

    EXPECT_EQ(piece_couleur(0), 0);
    EXPECT_EQ(piece_couleur(3), 1);
    EXPECT_EQ(piece_couleur(-6), -1);
    EXPECT_EQ(adversaire(1), -1);
    EXPECT_EQ(adversaire(-1), 1);
    EXPECT_EQ(adversaire(0), 1);

    couleur c = 1;
    inverser_couleur(&c);
    EXPECT_EQ(c, -1);
    inverser_couleur(&c);
    EXPECT_EQ(c, 1);
    c = 0;
    inverser_couleur(&c);
    EXPECT_EQ(c, 1);
}

TEST(EchiquierAides, SupprimePieceNeToucheAucunCompte) {
    Techiquier e = initial();
    const Tmots avant = mots(e);
    supprime_piece(&e, 0, 2);  // white bishop c1
    supprime_piece(&e, 7, 5);  // black bishop f8
    EXPECT_EQ(code(e, "c1"), 0);
    EXPECT_EQ(code(e, "f8"), 0);
    const Tmots apres = mots(e);
    for (int i = 64; i < 79; i++) EXPECT_EQ(apres.mot[i], avant.mot[i]) << "word " << i;
}

// ---- Move execution ----

TEST(Execution, AvanceeDeDeuxCasesPuisAutreCoup) {
    Techiquier e = initial();
    execute_coup(&e, coup("e2e4"));
    EXPECT_EQ(code(e, "e4"), 1);
    EXPECT_EQ(code(e, "e2"), 0);
    EXPECT_EQ(e.ep_ligne, 3);
    EXPECT_EQ(e.ep_colonne, 4);

    execute_coup(&e, coup("g8f6"));
    EXPECT_EQ(code(e, "f6"), -3);
    EXPECT_EQ(e.ep_ligne, -1);
    EXPECT_EQ(e.ep_colonne, 4);  // kept, meaningless now

    execute_coup(&e, coup("d2d3"));  // one square: no en passant record
    EXPECT_EQ(e.ep_ligne, -1);
    execute_coup(&e, coup("c7c5"));
    EXPECT_EQ(e.ep_ligne, 4);
    EXPECT_EQ(e.ep_colonne, 2);

    EXPECT_EQ(e.nb_pieces_blanches, 16);
    EXPECT_EQ(e.nb_pieces_noires, 16);
    EXPECT_EQ(e.trait, 1);
}

TEST(Execution, PetitEtGrandRoqueBlancs) {
    Techiquier e = initial();
    for (const char* c : {"b1", "c1", "d1", "f1", "g1"}) pose(&e, c, VIDE);
    Techiquier petit = e;
    execute_coup(&petit, coup("e1g1"));
    EXPECT_EQ(code(petit, "g1"), 2);
    EXPECT_EQ(code(petit, "f1"), 5);
    EXPECT_EQ(code(petit, "h1"), 0);
    EXPECT_EQ(code(petit, "e1"), 0);
    EXPECT_EQ(code(petit, "a1"), 5);
    EXPECT_EQ(petit.grand_roque_blanc, 0);
    EXPECT_EQ(petit.petit_roque_blanc, 0);
    EXPECT_EQ(petit.grand_roque_noir, 1);
    EXPECT_EQ(petit.petit_roque_noir, 1);
    EXPECT_EQ(petit.roi_blanc_ligne, 0);
    EXPECT_EQ(petit.roi_blanc_colonne, 6);

    Techiquier grand = e;
    execute_coup(&grand, coup("e1c1"));
    EXPECT_EQ(code(grand, "c1"), 2);
    EXPECT_EQ(code(grand, "d1"), 5);
    EXPECT_EQ(code(grand, "a1"), 0);
    EXPECT_EQ(code(grand, "e1"), 0);
    EXPECT_EQ(code(grand, "h1"), 5);
    EXPECT_EQ(grand.grand_roque_blanc, 0);
    EXPECT_EQ(grand.petit_roque_blanc, 0);
    EXPECT_EQ(grand.roi_blanc_colonne, 2);
}

TEST(Execution, RoquesNoirs) {
    Techiquier e = initial();
    for (const char* c : {"b8", "c8", "d8", "f8", "g8"}) pose(&e, c, VIDE);
    Techiquier petit = e;
    execute_coup(&petit, coup("e8g8"));
    EXPECT_EQ(code(petit, "g8"), -2);
    EXPECT_EQ(code(petit, "f8"), -5);
    EXPECT_EQ(code(petit, "h8"), 0);
    EXPECT_EQ(petit.roi_noir_ligne, 7);
    EXPECT_EQ(petit.roi_noir_colonne, 6);
    EXPECT_EQ(petit.grand_roque_noir, 0);
    EXPECT_EQ(petit.petit_roque_noir, 0);
    EXPECT_EQ(petit.grand_roque_blanc, 1);
    EXPECT_EQ(petit.petit_roque_blanc, 1);

    Techiquier grand = e;
    execute_coup(&grand, coup("e8c8"));
    EXPECT_EQ(code(grand, "c8"), -2);
    EXPECT_EQ(code(grand, "d8"), -5);
    EXPECT_EQ(code(grand, "a8"), 0);
    EXPECT_EQ(grand.roi_noir_colonne, 2);
}

TEST(Execution, LeRoqueDeplaceCeQuiEstDansLeCoin) {
    // Nothing is tested: whatever stands on the corner goes next to the king.
    Techiquier e = deux_rois();
    pose(&e, "h1", CAVALIER);
    e.nb_pieces_blanches = 2;
    execute_coup(&e, coup("e1g1"));
    EXPECT_EQ(code(e, "f1"), CAVALIER);
    EXPECT_EQ(code(e, "h1"), 0);
    EXPECT_EQ(code(e, "g1"), ROI);
}

TEST(Execution, TouteMarcheDuRoiEffaceSesDeuxDroits) {
    Techiquier e = initial();
    pose(&e, "e2", VIDE);
    execute_coup(&e, coup("e1e2"));
    EXPECT_EQ(e.grand_roque_blanc, 0);
    EXPECT_EQ(e.petit_roque_blanc, 0);
    EXPECT_EQ(e.grand_roque_noir, 1);
    EXPECT_EQ(e.petit_roque_noir, 1);
    EXPECT_EQ(e.roi_blanc_ligne, 1);
    EXPECT_EQ(e.roi_blanc_colonne, 4);
    EXPECT_EQ(e.roi_noir_ligne, 7);
    EXPECT_EQ(e.roi_noir_colonne, 4);
    EXPECT_EQ(code(e, "h1"), TOUR);  // a plain step moves no rook
    EXPECT_EQ(code(e, "a1"), TOUR);
}

TEST(Execution, TourQuiQuitteSaColonneEffaceLeDroit) {
    // Only the column counts, not the row.
    Techiquier e = deux_rois();
    e.grand_roque_blanc = e.petit_roque_blanc = e.grand_roque_noir = e.petit_roque_noir = 1;
    pose(&e, "a4", TOUR);
    pose(&e, "h5", -TOUR);
    pose(&e, "d2", TOUR);
    e.nb_pieces_blanches = 3;
    e.nb_pieces_noires = 2;

    execute_coup(&e, coup("d2d3"));
    EXPECT_EQ(e.grand_roque_blanc, 1);
    EXPECT_EQ(e.petit_roque_blanc, 1);

    execute_coup(&e, coup("a4b4"));
    EXPECT_EQ(e.grand_roque_blanc, 0);
    EXPECT_EQ(e.petit_roque_blanc, 1);

    execute_coup(&e, coup("h5g5"));
    EXPECT_EQ(e.petit_roque_noir, 0);
    EXPECT_EQ(e.grand_roque_noir, 1);
    EXPECT_EQ(e.petit_roque_blanc, 1);
}

TEST(Execution, TourPriseSurSaColonneEffaceLeDroit) {
    Techiquier e = deux_rois();
    e.grand_roque_blanc = e.petit_roque_blanc = e.grand_roque_noir = e.petit_roque_noir = 1;
    pose(&e, "a5", -TOUR);
    pose(&e, "h3", TOUR);
    pose(&e, "d5", DAME);
    pose(&e, "d3", -DAME);
    e.nb_pieces_blanches = 3;
    e.nb_pieces_noires = 3;

    execute_coup(&e, coup("d5a5"));
    EXPECT_EQ(e.grand_roque_noir, 0);
    EXPECT_EQ(e.petit_roque_noir, 1);
    EXPECT_EQ(e.nb_pieces_noires, 2);

    execute_coup(&e, coup("d3h3"));
    EXPECT_EQ(e.petit_roque_blanc, 0);
    EXPECT_EQ(e.grand_roque_blanc, 1);
    EXPECT_EQ(e.nb_pieces_blanches, 2);
}

TEST(Execution, PrisesCompteesFousCompris) {
    Techiquier e = initial();
    execute_coup(&e, coup("d1f8"));  // the queen takes the black bishop f8
    EXPECT_EQ(e.nb_pieces_noires, 15);
    EXPECT_EQ(e.nb_fous_noirs, 1);
    EXPECT_EQ(e.nb_pieces_blanches, 16);
    EXPECT_EQ(e.nb_fous_blancs, 2);

    execute_coup(&e, coup("d8c1"));  // the black queen takes the white bishop c1
    EXPECT_EQ(e.nb_pieces_blanches, 15);
    EXPECT_EQ(e.nb_fous_blancs, 1);
    EXPECT_EQ(e.nb_pieces_noires, 15);

    execute_coup(&e, coup("c1b1"));  // a knight: no bishop count moves
    EXPECT_EQ(e.nb_pieces_blanches, 14);
    EXPECT_EQ(e.nb_fous_blancs, 1);
}

TEST(Execution, PriseEnPassantBlancheEtNoire) {
    Techiquier blanc = position_apres("e2e4 a7a6 e4e5 d7d5");
    execute_coup(&blanc, coup("e5d6"));
    EXPECT_EQ(code(blanc, "d6"), 1);
    EXPECT_EQ(code(blanc, "d5"), 0);
    EXPECT_EQ(code(blanc, "e5"), 0);
    EXPECT_EQ(blanc.nb_pieces_noires, 15);
    EXPECT_EQ(blanc.nb_pieces_blanches, 16);
    EXPECT_EQ(blanc.nb_fous_noirs, 2);
    EXPECT_EQ(blanc.nb_fous_blancs, 2);

    Techiquier noir = position_apres("a2a3 e7e5 a3a4 e5e4 d2d4");
    execute_coup(&noir, coup("e4d3"));
    EXPECT_EQ(code(noir, "d3"), -1);
    EXPECT_EQ(code(noir, "d4"), 0);
    EXPECT_EQ(code(noir, "e4"), 0);
    EXPECT_EQ(noir.nb_pieces_blanches, 15);
    EXPECT_EQ(noir.nb_pieces_noires, 16);
}

TEST(Execution, PionEnDiagonaleSurCaseVideRetireCeQuiEstDerriere) {
    // The en passant words are not consulted: a diagonal pawn move onto an empty square
    // always empties the square behind it.
    Techiquier e = deux_rois();
    pose(&e, "e5", PION);
    pose(&e, "d5", -CAVALIER);
    e.nb_pieces_blanches = 2;
    e.nb_pieces_noires = 2;
    ASSERT_EQ(e.ep_ligne, -1);
    execute_coup(&e, coup("e5d6"));
    EXPECT_EQ(code(e, "d5"), 0);
    EXPECT_EQ(code(e, "d6"), PION);
    EXPECT_EQ(e.nb_pieces_noires, 1);

    // A straight move never removes anything.
    pose(&e, "d8", -FOU);
    e.nb_pieces_noires = 2;
    e.nb_fous_noirs = 1;
    execute_coup(&e, coup("d6d7"));
    EXPECT_EQ(code(e, "d6"), 0);
    EXPECT_EQ(code(e, "d8"), -FOU);
    EXPECT_EQ(e.nb_pieces_noires, 2);
}

TEST(Execution, EnPassantHorsEchiquierNeToucheRien) {
    // A pawn sent diagonally onto its own back row by a nonsense move: the square "behind"
    // lies off the board and nothing outside the squares may change.
    struct {
        int32_t avant[16];
        Techiquier e;
        int32_t apres[16];
    } garde;
    for (int32_t& m : garde.avant) m = 77;
    for (int32_t& m : garde.apres) m = 77;
    garde.e = deux_rois();
    pose(&garde.e, "b2", PION);
    pose(&garde.e, "a7", -PION);
    garde.e.nb_pieces_blanches = 2;
    garde.e.nb_pieces_noires = 2;
    const Tmots etat = mots(garde.e);

    execute_coup(&garde.e, coup("b2a1"));  // would empty the word 8 before the squares
    execute_coup(&garde.e, coup("a7b8"));  // would empty word 65 (white piece count)
    EXPECT_EQ(code(garde.e, "a1"), PION);
    EXPECT_EQ(code(garde.e, "b8"), -PION);  // row 7 is not a black pawn's last row
    const Tmots m = mots(garde.e);
    for (int i = 64; i < 79; i++) EXPECT_EQ(m.mot[i], etat.mot[i]) << "word " << i;
    for (int32_t g : garde.avant) EXPECT_EQ(g, 77);
    for (int32_t g : garde.apres) EXPECT_EQ(g, 77);
}

TEST(Execution, PromotionEnDameSansChangerLesComptes) {
    Techiquier e = deux_rois();
    e.petit_roque_noir = 1;
    e.grand_roque_noir = 1;
    pose(&e, "g7", PION);
    pose(&e, "h8", -TOUR);
    pose(&e, "c2", -PION);
    pose(&e, "a2", PION);
    e.nb_pieces_blanches = 3;
    e.nb_pieces_noires = 3;

    execute_coup(&e, coup("g7h8"));
    EXPECT_EQ(code(e, "h8"), DAME);
    EXPECT_EQ(code(e, "g7"), 0);
    EXPECT_EQ(e.nb_pieces_noires, 2);
    EXPECT_EQ(e.nb_pieces_blanches, 3);
    EXPECT_EQ(e.petit_roque_noir, 0);
    EXPECT_EQ(e.grand_roque_noir, 1);

    execute_coup(&e, coup("c2c1"));
    EXPECT_EQ(code(e, "c1"), -DAME);
    EXPECT_EQ(e.nb_pieces_noires, 2);

    execute_coup(&e, coup("a2a3"));  // not the last row: still a pawn
    EXPECT_EQ(code(e, "a3"), PION);
    EXPECT_EQ(e.nb_fous_blancs, 0);
    EXPECT_EQ(e.nb_fous_noirs, 0);
}

TEST(Execution, CoupDepuisUneCaseVide) {
    // Nothing is validated: the empty square lands on the target, which counts as taken.
    Techiquier e = initial();
    execute_coup(&e, coup("e4e7"));
    EXPECT_EQ(code(e, "e7"), 0);
    EXPECT_EQ(e.nb_pieces_noires, 15);
    EXPECT_EQ(e.ep_ligne, -1);
}

// ---- Positions read from FEN ----

TEST(LectureFen, UnRefusNeToucheNiAuPlateauNiAuCamp) {
    Techiquier e = initial();
    e.trait = 77;
    couleur camp = 55;
    const Tmots avant = mots(e);
    const std::string roi_seul = "4k3/8/8/8/8/8/8/4K3";
    const std::vector<std::vector<std::string>> refus = {
        {},
        {""},
        {"", "", "", ""},
        {roi_seul, "w", "", "-"},
        {roi_seul, "w", "-", "-", ""},
        {roi_seul, "w", "-", "-", "0", "1", "2"},
        {roi_seul + std::string(1, '\0'), "w", "-", "-"},
        {roi_seul, std::string("w\0", 2), "-", "-"},
        {std::string(100000, '/'), "w", "-", "-"},
        {std::string(100000, '8'), "w", "-", "-"},
    };
    for (const std::vector<std::string>& champs : refus) {
        EXPECT_EQ(lit_fen(champs, &e, &camp), 0) << champs.size();
        EXPECT_EQ(std::memcmp(mots(e).mot, avant.mot, sizeof avant.mot), 0);
        EXPECT_EQ(camp, 55);
    }
    // Counters are digits only, of any length, and change nothing.
    const std::string enorme(100000, '9');
    ASSERT_EQ(lit_fen({roi_seul, "b", "-", "-", enorme, enorme}, &e, &camp), 1);
    Techiquier sans_compteurs;
    couleur camp_sans = 0;
    ASSERT_EQ(lit_fen_texte(roi_seul + " b - -", &sans_compteurs, &camp_sans), 1);
    EXPECT_EQ(std::memcmp(mots(e).mot, mots(sans_compteurs).mot, sizeof avant.mot), 0);
    EXPECT_EQ(camp, NOIR);
}

TEST(LectureFen, FenAbimesJamaisDeFauteEtCeQuiEstAccepteSeRelit) {
    // Valid FENs with a few characters replaced, inserted or removed: no fault on any of
    // them, and a position accepted is whole and its own FEN reads back to the same record.
    const char* const bases[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "rnbqkbnr/pp1ppppp/8/2pP4/8/8/PPP1PPPP/RNBQKBNR w KQkq c6 0 3",
        "4k3/8/8/8/4Pp2/8/8/4K3 b - e3 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    };
    const std::string alphabet = std::string("pnbrqkPNBRQK0123456789/ wb-abcdefgh\t\xff") + '\0';
    std::mt19937 hasard(4242);
    int acceptes = 0;
    for (int essai = 0; essai < 30000; essai++) {
        std::string texte = bases[hasard() % 4];
        for (auto n = 1 + hasard() % 3; n > 0 && !texte.empty(); n--) {
            const size_t i = hasard() % texte.size();
            const char c = alphabet[hasard() % alphabet.size()];
            switch (hasard() % 3) {
                case 0:
                    texte[i] = c;
                    break;
                case 1:
                    texte.insert(i, 1, c);
                    break;
                default:
                    texte.erase(i, 1);
            }
        }
        Techiquier e;
        couleur camp = 0;
        if (lit_fen_texte(texte, &e, &camp) == 0) continue;
        acceptes++;
        int blanches = 0, noires = 0, fous_blancs = 0, fous_noirs = 0;
        for (const int32_t code : e.cases) {
            blanches += code > 0;
            noires += code < 0;
            fous_blancs += code == FOU;
            fous_noirs += code == -FOU;
        }
        ASSERT_TRUE(camp == BLANC || camp == NOIR) << texte;
        EXPECT_EQ(e.trait, camp) << texte;
        EXPECT_EQ(e.nb_pieces_blanches, blanches) << texte;
        EXPECT_EQ(e.nb_pieces_noires, noires) << texte;
        EXPECT_EQ(e.nb_fous_blancs, fous_blancs) << texte;
        EXPECT_EQ(e.nb_fous_noirs, fous_noirs) << texte;
        EXPECT_EQ(e.cases[index_case(e.roi_blanc_ligne, e.roi_blanc_colonne)], ROI) << texte;
        EXPECT_EQ(e.cases[index_case(e.roi_noir_ligne, e.roi_noir_colonne)], -ROI) << texte;
        EXPECT_EQ(echec(&e, adversaire(camp)), 0) << texte;
        Techiquier relu;
        couleur camp_relu = 0;
        ASSERT_EQ(lit_fen_texte(fen_de(&e, camp), &relu, &camp_relu), 1) << texte;
        EXPECT_EQ(std::memcmp(mots(relu).mot, mots(e).mot, sizeof relu), 0) << texte;
        EXPECT_EQ(camp_relu, camp) << texte;
    }
    EXPECT_GT(acceptes, 500);
}

}  // namespace
