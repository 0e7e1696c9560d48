// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluation, the alpha-beta search and the root move choice with its "info" report.
//
// The search is checked against a small second implementation written here from the rules
// of the search alone (built on the engine's generator, move execution, check test and
// evaluation), on positions reached by seeded random play.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "ai.h"
#include "aide_tests.h"
#include "divers.h"
#include "primitives_listes.h"
#include "primitives_pieces.h"

namespace {

// ---- Boards ----

// A board from eight rows of text, rank 8 first, files a to h: "KQRBNP" white pieces,
// lower case black ones, '.' an empty square. No castling right, no en passant; the piece
// and bishop counters are those of the pieces drawn.
Techiquier plateau(const std::vector<std::string>& rangs) {
    Techiquier e;
    init_echiquier(&e);
    e.nb_pieces_blanches = e.nb_pieces_noires = 0;
    e.nb_fous_blancs = e.nb_fous_noirs = 0;
    e.grand_roque_blanc = e.petit_roque_blanc = e.grand_roque_noir = e.petit_roque_noir = 0;
    e.ep_ligne = e.ep_colonne = -1;
    e.roi_blanc_ligne = e.roi_blanc_colonne = e.roi_noir_ligne = e.roi_noir_colonne = 8;
    for (int ligne = 0; ligne < 8; ligne++) {
        for (int colonne = 0; colonne < 8; colonne++) {
            const char lettre = rangs[static_cast<size_t>(7 - ligne)][static_cast<size_t>(colonne)];
            int32_t type = VIDE;
            switch (std::tolower(static_cast<unsigned char>(lettre))) {
                case 'p':
                    type = PION;
                    break;
                case 'k':
                    type = ROI;
                    break;
                case 'n':
                    type = CAVALIER;
                    break;
                case 'b':
                    type = FOU;
                    break;
                case 'r':
                    type = TOUR;
                    break;
                case 'q':
                    type = DAME;
                    break;
                default:
                    break;
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

Techiquier initiale() {
    Techiquier e;
    init_echiquier(&e);
    return e;
}

Tcoup coup_texte(const std::string& t) {
    return fait_coup(t[1] - '1', t[0] - 'a', t[3] - '1', t[2] - 'a');
}

std::string en_texte(Tcoup c) {
    return {static_cast<char>('a' + c.colonne_depart), static_cast<char>('1' + c.ligne_depart),
            static_cast<char>('a' + c.colonne_arrivee), static_cast<char>('1' + c.ligne_arrivee)};
}

Techiquier apres(const Techiquier& e, Tcoup coup) {
    Techiquier copie = e;
    execute_coup(&copie, coup);
    return copie;
}

std::vector<Tcoup> pseudo_legaux(const Techiquier& e, couleur c) {
    Tliste liste;
    init_liste(&liste);
    generateur(&e, c, &liste);
    std::vector<Tcoup> coups;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) coups.push_back(*n);
    total_destroy_liste(&liste);
    return coups;
}

// The root's moves: the generator's list less what the legality filter removes.
std::vector<Tcoup> coups_racine(const Techiquier& e, couleur c) {
    Tliste liste;
    init_liste(&liste);
    generateur(&e, c, &liste);
    enleve_pos_echec(&e, &liste);
    std::vector<Tcoup> coups;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) coups.push_back(*n);
    total_destroy_liste(&liste);
    return coups;
}

struct Tposition {
    Techiquier echiquier;
    couleur camp;
};

// Positions of seeded random games from the initial position, one per game, after 0 to
// `plis_max` plies (a game ends early when the side to move has no move).
std::vector<Tposition> positions_aleatoires(unsigned graine, int nombre, int plis_max) {
    std::mt19937 hasard(graine);
    std::vector<Tposition> positions;
    for (int k = 0; k < nombre; k++) {
        Tposition p{initiale(), BLANC};
        const int plis = static_cast<int>(hasard() % static_cast<unsigned>(plis_max + 1));
        for (int pli = 0; pli < plis; pli++) {
            const std::vector<Tcoup> coups = coups_racine(p.echiquier, p.camp);
            if (coups.empty()) break;
            execute_coup(&p.echiquier, coups[hasard() % coups.size()]);
            p.camp = adversaire(p.camp);
        }
        positions.push_back(p);
    }
    return positions;
}

// ---- The search, written a second time ----

// Scores are white-positive and never negated; the side c compares c * score. The window
// is exchanged when handed to the opponent; after a move has raised alpha, each further
// move is first probed just beyond alpha and searched again when the probe lands strictly
// inside the window.
int recherche_reference(const Techiquier& e, couleur c, int d, int alpha, int beta,
                        int64_t* horizons) {
    if (d <= 0) {
        ++*horizons;
        return evaluation_complete(&e);
    }
    bool alpha_releve = false;
    for (const Tcoup& coup : pseudo_legaux(e, c)) {
        const Techiquier enfant = apres(e, coup);
        if (echec(&enfant, c)) continue;
        int v;
        if (!alpha_releve) {
            v = recherche_reference(enfant, -c, d - 1, beta, alpha, horizons);
        } else {
            v = recherche_reference(enfant, -c, d - 1, alpha + c, alpha, horizons);
            if (c * v > c * alpha && c * v < c * beta) {
                v = recherche_reference(enfant, -c, d - 1, beta, alpha, horizons);
            }
        }
        if (c * v >= c * beta) return beta;
        if (c * v > c * alpha) {
            alpha = v;
            alpha_releve = true;
        }
    }
    if (alpha_releve) return alpha;
    const int statique = evaluation_complete(&e);
    if (echec(&e, c)) return (10 - d) * statique - 7000 * c;
    return statique;
}

struct Tchoix {
    bool adopte = false;
    Tcoup coup{};
    int score_rapporte = 0;
    int64_t horizons = 0;
};

// The root as a plain loop over the legal moves, each with the same full window.
Tchoix choix_reference(const Techiquier& e, couleur c, int d, size_t coups_max = SIZE_MAX) {
    Tchoix choix;
    int meilleur = c * -50000;
    const std::vector<Tcoup> coups = coups_racine(e, c);
    for (size_t i = 0; i < coups.size() && i < coups_max; i++) {
        const Techiquier enfant = apres(e, coups[i]);
        const int v =
            recherche_reference(enfant, -c, d - 1, c * 10000, c * -10000, &choix.horizons);
        if (c * v > c * meilleur) {
            meilleur = v;
            choix.adopte = true;
            choix.coup = coups[i];
            choix.score_rapporte = c * evaluation_complete(&enfant);
        }
    }
    return choix;
}

// ---- The console ----


struct Trapport {
    int profondeur = -1;
    int64_t noeuds = -1, temps = -1, nps = -1;
    int score = 0;
    std::string pv;
};

// The one "info" line a root search prints, or a failure when the output is not exactly
// that line.
::testing::AssertionResult lit_rapport(const std::string& sortie, Trapport* r) {
    static const std::regex forme(
        R"(info depth (-?\d+) nodes (\d+) time (\d+) nps (\d+) score cp (-?\d+) pv (\S+)\n)");
    std::smatch m;
    if (!std::regex_match(sortie, m, forme)) {
        return ::testing::AssertionFailure() << "not one info line: [" << sortie << "]";
    }
    r->profondeur = std::stoi(m[1]);
    r->noeuds = std::stoll(m[2]);
    r->temps = std::stoll(m[3]);
    r->nps = std::stoll(m[4]);
    r->score = std::stoi(m[5]);
    r->pv = m[6];
    return ::testing::AssertionSuccess();
}

// One root search on a console holding `entree`; its report goes to *r.
int64_t cherche(const Techiquier& e, couleur c, int d, Tcoup* coup, Trapport* r,
                const std::string& entree = "") {
    Console console(entree);
    const int64_t temps = choix_coup(&e, c, d, coup);
    EXPECT_TRUE(lit_rapport(console.texte(), r));
    return temps;
}

// ---- Tables as a player reads them: rank 8 first, files a to h ----

using Tgrille = std::array<int, 64>;

// clang-format off
const Tgrille PION_BLANC = {
    840, 840, 840, 840, 840, 840, 840, 840,
    10,  10,  24,  32,  32,  24,  15,  10,
    10,  10,  24,  32,  32,  24,  15,  10,
    10,  10,  18,  27,  27,  16,  11,  10,
    10,  7,   18,  25,  25,  16,  7,   4,
    10,  6,   12,  12,  12,  4,   6,   10,
    10,  3,   4,   0,   0,   4,   3,   10,
    0,   0,   0,   0,   0,   0,   0,   0};

const Tgrille CAVALIER_BLANC = {
    -7, -3, 1,  3,  3,  1,  -3, -7,
    2,  6,  14, 20, 20, 14, 6,  2,
    6,  14, 28, 32, 32, 28, 14, 6,
    8,  18, 30, 32, 32, 30, 18, 8,
    8,  18, 26, 30, 30, 26, 18, 8,
    6,  14, 22, 26, 26, 22, 14, 6,
    2,  6,  14, 20, 20, 14, 6,  2,
    -7, -3, 1,  3,  3,  1,  -3, -7};

const Tgrille FOU_BLANC = {
    16, 16, 16, 16, 16, 16, 16, 16,
    16, 29, 31, 31, 31, 31, 29, 16,
    16, 28, 32, 32, 32, 32, 28, 16,
    16, 26, 32, 32, 32, 32, 26, 16,
    16, 26, 32, 32, 32, 32, 26, 16,
    26, 28, 32, 32, 32, 32, 28, 26,
    26, 29, 31, 31, 31, 31, 29, 26,
    16, 16, 16, 16, 16, 16, 16, 16};

const Tgrille TOUR_BLANC = {
    0,  0, 0, 0, 0, 0, 0, 0,
    10, 10, 10, 10, 10, 10, 10, 10,
    -2, 0, 0, 0, 0, 0, 0, -2,
    -2, 0, 0, 0, 0, 0, 0, -2,
    -2, 0, 0, 0, 0, 0, 0, -2,
    -2, 0, 0, 0, 0, 0, 0, -2,
    -2, 0, 0, 0, 0, 0, 0, -2,
    0,  0, 0, 3, 3, 0, 0, 0};

const Tgrille DAME_BLANC = {
    -2, -2, 0,  0, 0, 0,  0,  0,
    -2, -2, 0,  0, 0, 0,  0,  0,
    -2, -2, 0,  0, 0, 0,  0,  0,
    0,  0,  0,  2, 2, 0,  0,  0,
    0,  0,  0,  2, 2, 0,  0,  0,
    0,  1,  1,  1, 1, 0,  0,  0,
    0,  0,  1,  1, 1, 0,  0,  0,
    -2, -2, -2, 0, 0, -2, -2, -2};

const Tgrille ROI_BLANC = {
    -20, -20, -20, -20, -20, -20, -20, -20,
    -20, -20, -20, -20, -20, -20, -20, -20,
    -20, -20, -20, -20, -20, -20, -20, -20,
    -20, -20, -20, -20, -20, -20, -20, -20,
    -20, -20, -20, -20, -20, -20, -20, -20,
    -7,  -15, -15, -15, -15, -15, -15, -7,
    -5,  -5,  -12, -12, -12, -12, -5,  -5,
    3,   3,   8,   -12, -8,  -12, 10,  5};
// clang-format on

struct Tpiece_table {
    const char* nom;
    int32_t type;
    int valeur;
    const Ttable* table;
    const Tgrille* blanc;
};

const Tpiece_table PIECES[] = {
    {"PionSq", PION, 100, &PionSq, &PION_BLANC},
    {"RoiSq", ROI, 3000, &RoiSq, &ROI_BLANC},
    {"CavalierSq", CAVALIER, 331, &CavalierSq, &CAVALIER_BLANC},
    {"FouSq", FOU, 323, &FouSq, &FOU_BLANC},
    {"TourSq", TOUR, 500, &TourSq, &TOUR_BLANC},
    {"DameSq", DAME, 909, &DameSq, &DAME_BLANC},
};

// The white entry of a square, read from the grid.
int entree_blanche(const Tgrille& g, int ligne, int colonne) {
    return g[static_cast<size_t>((7 - ligne) * 8 + colonne)];
}

// The black entry: the white one of the mirrored row, but a black pawn on h4 is worth 6.
int entree_noire(const Tpiece_table& t, int ligne, int colonne) {
    if (t.type == PION && ligne == 3 && colonne == 7) return 6;
    return entree_blanche(*t.blanc, 7 - ligne, colonne);
}

// ---------------------------------------------------------------------------------------
// Evaluation
// ---------------------------------------------------------------------------------------

TEST(Evaluation, TablesBlanchesEtNoires) {
    for (const Tpiece_table& t : PIECES) {
        for (int ligne = 0; ligne < 8; ligne++) {
            for (int colonne = 0; colonne < 8; colonne++) {
                const size_t i = static_cast<size_t>(index_case(ligne, colonne));
                EXPECT_EQ((*t.table)[i], entree_blanche(*t.blanc, ligne, colonne))
                    << t.nom << " white, ligne " << ligne << " colonne " << colonne;
                EXPECT_EQ((*t.table)[64 + i], entree_noire(t, ligne, colonne))
                    << t.nom << " black, ligne " << ligne << " colonne " << colonne;
            }
        }
    }
    EXPECT_EQ(PionSq[64 + index_case(3, 7)], 6);
    EXPECT_EQ(PionSq[64 + index_case(4, 7)], 4);  // white's h4 entry reappears on black's h5
}

// Every piece of either colour on every square: material plus the entry of its half, the
// same positive magnitude for both colours.
TEST(Evaluation, ValeurDeChaquePieceSurChaqueCase) {
    for (const Tpiece_table& t : PIECES) {
        for (int ligne = 0; ligne < 8; ligne++) {
            for (int colonne = 0; colonne < 8; colonne++) {
                Techiquier e = plateau({"........", "........", "........", "........", "........",
                                        "........", "........", "........"});
                e.cases[index_case(ligne, colonne)] = t.type;
                EXPECT_EQ(evaluation(&e, ligne, colonne),
                          t.valeur + entree_blanche(*t.blanc, ligne, colonne))
                    << t.nom << " white on " << ligne << "," << colonne;
                e.cases[index_case(ligne, colonne)] = -t.type;
                EXPECT_EQ(evaluation(&e, ligne, colonne),
                          t.valeur + entree_noire(t, ligne, colonne))
                    << t.nom << " black on " << ligne << "," << colonne;
                e.cases[index_case(ligne, colonne)] = VIDE;
                EXPECT_EQ(evaluation(&e, ligne, colonne), 0);
            }
        }
    }
}

TEST(Evaluation, CasesDeLaPositionInitiale) {
    const Techiquier e = initiale();
    struct {
        const char* nom;
        int ligne, colonne, valeur;
    } const attendus[] = {{"a1", 0, 0, 500}, {"b1", 0, 1, 328}, {"c1", 0, 2, 339},
                          {"d1", 0, 3, 909}, {"e2", 1, 4, 100}, {"e1", 0, 4, 2992},
                          {"a8", 7, 0, 500}, {"b8", 7, 1, 328}, {"c8", 7, 2, 339},
                          {"d8", 7, 3, 909}, {"e7", 6, 4, 100}, {"e8", 7, 4, 2992},
                          {"e4", 3, 4, 0}};
    for (const auto& a : attendus) {
        EXPECT_EQ(evaluation(&e, a.ligne, a.colonne), a.valeur) << a.nom;
    }
}

TEST(Evaluation, PionsSurLaColonneH) {
    const Techiquier e = plateau({"....k...", "........", "........", "P......p", "p......P",
                                  "........", "........", "....K..."});
    EXPECT_EQ(evaluation(&e, 3, 7), 104);  // white pawn h4
    EXPECT_EQ(evaluation(&e, 4, 7), 104);  // black pawn h5
    const Techiquier f = plateau({"....k...", "........", "........", ".......P", ".......p",
                                  "........", "........", "....K..."});
    EXPECT_EQ(evaluation(&f, 4, 7), 110);  // white pawn h5
    EXPECT_EQ(evaluation(&f, 3, 7), 106);  // black pawn h4
    // White pawn h5 (110) against black pawn h4 (106); the kings cancel.
    EXPECT_EQ(evaluation_complete(&f), 4);
}

TEST(Evaluation, PartiesCourantes) {
    Techiquier e = initiale();
    EXPECT_EQ(evaluation_complete(&e), 0);
    execute_coup(&e, coup_texte("e2e4"));
    EXPECT_EQ(evaluation_complete(&e), 25);
    execute_coup(&e, coup_texte("e7e5"));
    EXPECT_EQ(evaluation_complete(&e), 0);

    Techiquier sans_fou = initiale();
    sans_fou.cases[index_case(0, 2)] = VIDE;
    sans_fou.nb_fous_blancs = 1;
    sans_fou.nb_pieces_blanches = 15;
    EXPECT_EQ(evaluation_complete(&sans_fou), -379);

    // The same loss through play: the bishop's counter follows the capture.
    Techiquier jeu = position_apres("d2d3 b8c6 e2e4 c6d4 h2h3 d4c2 d1c2 e7e6 c1g5 d8g5");
    EXPECT_EQ(jeu.nb_fous_blancs, 1);
    EXPECT_EQ(jeu.nb_fous_noirs, 2);
}

// The pair bonus reads the counter, once for every bishop found on the board.
TEST(Evaluation, CompteurDeFous) {
    const std::vector<std::string> trois_fous = {"....k...", "........", "........", "........",
                                                 "........", "........", "........", "BBB.K..."};
    Techiquier e = plateau(trois_fous);
    const int materiel = 3 * 323 + 3 * 16;
    for (int32_t compteur : {0, 1, 3, 4}) {
        e.nb_fous_blancs = compteur;
        EXPECT_EQ(evaluation_complete(&e), materiel) << "counter " << compteur;
    }
    e.nb_fous_blancs = 2;
    EXPECT_EQ(evaluation_complete(&e), materiel + 60);

    Techiquier un = plateau({"....k...", "........", "........", "........", "........", "........",
                             "........", "..B.K..."});
    un.nb_fous_blancs = 2;
    EXPECT_EQ(evaluation_complete(&un), 323 + 16 + 20);
    un.nb_fous_noirs = 2;  // a black counter of 2 without black bishops gives nothing
    EXPECT_EQ(evaluation_complete(&un), 323 + 16 + 20);

    Techiquier noirs = plateau({"..b.kb..", "........", "........", "........", "........",
                                "........", "........", "....K..."});
    EXPECT_EQ(evaluation_complete(&noirs), -(2 * 323 + 2 * 16 + 40));
    noirs.nb_fous_noirs = 3;
    EXPECT_EQ(evaluation_complete(&noirs), -(2 * 323 + 2 * 16));
    noirs.nb_fous_noirs = 1;
    EXPECT_EQ(evaluation_complete(&noirs), -(2 * 323 + 2 * 16));
}

TEST(Evaluation, Partiel) {
    const Techiquier e = initiale();
    // Colours play no part: both squares' magnitudes are added, each times the multiplier.
    EXPECT_EQ(evaluation_partiel(&e, coup_texte("e2e4"), 7, 2), 7 + 2 * 100);
    EXPECT_EQ(evaluation_partiel(&e, coup_texte("b1b8"), 0, 1), 328 + 328);
    EXPECT_EQ(evaluation_partiel(&e, coup_texte("d1e8"), 1000, -1), 1000 - 909 - 2992);
    EXPECT_EQ(evaluation_partiel(&e, coup_texte("e4d5"), 42, 3), 42);
}

// ---------------------------------------------------------------------------------------
// Alpha-beta
// ---------------------------------------------------------------------------------------

TEST(Recherche, HorizonDonneLeScoreStatique) {
    Console console;
    const Techiquier mat = position_apres("f2f3 e7e5 g2g4 d8h4");  // white is mated
    const Techiquier pat = plateau({".......k", "........", "......Q.", "........", "........",
                                    "........", "........", "K......."});
    for (const Techiquier* e : {&mat, &pat}) {
        for (int d : {0, -1, -7}) {
            for (couleur c : {BLANC, NOIR}) {
                node = 10;
                EXPECT_EQ(alpha_beta(e, c, d, c * 10000, c * -10000), evaluation_complete(e));
                EXPECT_EQ(node, 11);
            }
        }
    }
}

TEST(Recherche, MatEtPat) {
    Console console;
    const Techiquier mat_blanc = position_apres("f2f3 e7e5 g2g4 d8h4");
    const int e_blanc = evaluation_complete(&mat_blanc);
    const Techiquier mat_noir = position_apres("e2e4 e7e5 f1c4 b8c6 d1h5 g8f6 h5f7");
    const int e_noir = evaluation_complete(&mat_noir);
    for (int d : {1, 2, 3, 10, 12}) {
        node = 0;
        EXPECT_EQ(alpha_beta(&mat_blanc, BLANC, d, -10000, 10000), (10 - d) * e_blanc - 7000)
            << "depth " << d;
        EXPECT_EQ(alpha_beta(&mat_noir, NOIR, d, 10000, -10000), (10 - d) * e_noir + 7000)
            << "depth " << d;
        // Every pseudo-legal move leaves the king attacked: nothing is searched.
        EXPECT_EQ(node, 0);
    }
    EXPECT_EQ(alpha_beta(&mat_blanc, BLANC, 10, -10000, 10000), -7000);

    // Stalemate: the plain static score at any depth.
    const Techiquier pat = plateau({".......k", "........", "......Q.", "........", "........",
                                    "........", "........", "K......."});
    for (int d : {1, 3}) {
        node = 0;
        EXPECT_EQ(alpha_beta(&pat, NOIR, d, 10000, -10000), evaluation_complete(&pat));
        EXPECT_EQ(node, 0);
    }
}

// In check with moves, none of which raises alpha: the check formula, not alpha and not the
// best child.
TEST(Recherche, FormuleDEchec) {
    Console console;
    // White in check from the rook on e5; evaluates to 700.
    const Techiquier blanc = plateau({"....k...", ".p......", ".p......", "....r...", "........",
                                      "........", "........", "R..QK..."});
    ASSERT_EQ(evaluation_complete(&blanc), 700);
    ASSERT_TRUE(echec(&blanc, BLANC));
    EXPECT_EQ(alpha_beta(&blanc, BLANC, 1, 5000, 6000), -700);

    // Black in check from the rook on e4; evaluates to -800.
    const Techiquier noir = plateau({"r...k...", "...q....", "........", "........", "....R...",
                                     "........", "P.......", "....K..."});
    ASSERT_EQ(evaluation_complete(&noir), -800);
    ASSERT_TRUE(echec(&noir, NOIR));
    int64_t horizons = 0;
    EXPECT_EQ(recherche_reference(noir, NOIR, 2, -5000, -6000, &horizons), 600);
    node = 0;
    EXPECT_EQ(alpha_beta(&noir, NOIR, 2, -5000, -6000), 600);
    EXPECT_EQ(node, horizons);

    // Not in check: the static score, again not the best child.
    const Techiquier calme = initiale();
    EXPECT_EQ(alpha_beta(&calme, BLANC, 1, 5000, 6000), 0);
    EXPECT_EQ(alpha_beta(&calme, NOIR, 2, -5000, -6000), 0);
}

TEST(Recherche, CoupureRenvoieBeta) {
    Console console;
    const Techiquier e = initiale();
    node = 0;
    // Every child scores far beyond -8999: the first one cuts.
    EXPECT_EQ(alpha_beta(&e, BLANC, 1, -9000, -8999), -8999);
    EXPECT_EQ(node, 1);
    node = 0;
    EXPECT_EQ(alpha_beta(&e, NOIR, 1, 9000, 8999), 8999);
    EXPECT_EQ(node, 1);
    node = 0;
    EXPECT_EQ(alpha_beta(&e, BLANC, 3, -9000, -8999), -8999);
}

// Depth 1 with the full window: one horizon per legal move, and one more for each move
// whose probe lands inside the window and is searched again.
TEST(Recherche, SondesRecherchees) {
    Console console;
    int ameliorations = 0;
    for (const Tposition& p : positions_aleatoires(5u, 12, 40)) {
        const couleur c = p.camp;
        int64_t attendu = 0;
        int alpha = -c * 10000;
        bool releve = false;
        for (const Tcoup& coup : coups_racine(p.echiquier, c)) {
            const Techiquier enfant = apres(p.echiquier, coup);
            const int v = evaluation_complete(&enfant);
            attendu++;
            if (c * v > c * alpha) {
                if (releve) {
                    attendu++;
                    ameliorations++;
                }
                alpha = v;
                releve = true;
            }
        }
        if (!releve) continue;  // no legal move
        node = 0;
        EXPECT_EQ(alpha_beta(&p.echiquier, c, 1, c * -10000, c * 10000), alpha);
        EXPECT_EQ(node, attendu);
    }
    EXPECT_GT(ameliorations, 5);
}

// Moves that leave the own king attacked are neither searched nor counted.
TEST(Recherche, CoupsIllegauxIgnores) {
    Console console;
    // The knight on e2 is pinned by the rook on e8; the white king has few squares.
    const Techiquier e = plateau({"....r..k", "........", "........", "........", "........",
                                  "........", "....N...", "....K..."});
    const size_t pseudo = pseudo_legaux(e, BLANC).size();
    const size_t legaux = coups_racine(e, BLANC).size();
    ASSERT_LT(legaux, pseudo);
    node = 0;
    // A window out of reach: no move raises alpha, no move cuts, each legal one counted once.
    EXPECT_EQ(alpha_beta(&e, BLANC, 1, 9000, 9500), evaluation_complete(&e));
    EXPECT_EQ(node, static_cast<int64_t>(legaux));
}

// The engine's search against the second implementation, for the score and the count of
// horizon positions, with the root's window and with narrow and shifted windows.
TEST(Recherche, CommeLaReference) {
    Console console;
    const std::vector<Tposition> positions = positions_aleatoires(20240611u, 24, 70);
    const int fenetres[][2] = {{10000, -10000}, {-10000, 10000}, {-30, 40}, {60, 59}, {5, -5}};
    int verifies = 0;
    for (size_t k = 0; k < positions.size(); k++) {
        const Tposition& p = positions[k];
        for (int d = 1; d <= 3; d++) {
            for (const auto& f : fenetres) {
                if (d == 3 && f[0] != -10000 && f[0] != 5) continue;  // keep the run short
                int64_t horizons = 0;
                const int attendu =
                    recherche_reference(p.echiquier, p.camp, d, f[0], f[1], &horizons);
                node = 0;
                const int obtenu = alpha_beta(&p.echiquier, p.camp, d, f[0], f[1]);
                EXPECT_EQ(obtenu, attendu)
                    << "position " << k << " depth " << d << " window " << f[0] << "," << f[1];
                EXPECT_EQ(node, horizons)
                    << "position " << k << " depth " << d << " window " << f[0] << "," << f[1];
                verifies++;
            }
        }
    }
    EXPECT_EQ(verifies, 24 * 12);
}

// ---------------------------------------------------------------------------------------
// Root move choice
// ---------------------------------------------------------------------------------------

TEST(Racine, FormeDuRapport) {
    Tcoup coup = fait_coup(0, 0, 0, 0);
    Trapport r;
    const int64_t temps = cherche(initiale(), BLANC, 3, &coup, &r);
    EXPECT_EQ(r.profondeur, 3);
    EXPECT_EQ(r.temps, temps);
    // nps follows from the two printed counts.
    if (r.temps == 0) {
        EXPECT_EQ(r.nps, 0);
    } else {
        EXPECT_EQ(r.nps, static_cast<int64_t>(static_cast<double>(r.noeuds) /
                                              (static_cast<double>(r.temps) / 1000.0)));
    }
    EXPECT_EQ(r.pv, en_texte(coup));
    EXPECT_EQ(arret, 0);
    EXPECT_EQ(node, r.noeuds);
}

// Depth 1: one horizon per legal move, the first move with the best static score for the
// side to move, reported from that side's view.
TEST(Racine, ProfondeurUnEgaleForceBrute) {
    const std::vector<Tposition> positions = positions_aleatoires(7u, 25, 60);
    for (size_t k = 0; k < positions.size(); k++) {
        const Tposition& p = positions[k];
        const std::vector<Tcoup> coups = coups_racine(p.echiquier, p.camp);
        if (coups.empty()) continue;
        size_t meilleur = 0;
        int meilleur_score = 0;
        for (size_t i = 0; i < coups.size(); i++) {
            const Techiquier enfant = apres(p.echiquier, coups[i]);
            const int s = p.camp * evaluation_complete(&enfant);
            if (i == 0 || s > meilleur_score) {
                meilleur = i;
                meilleur_score = s;
            }
        }
        Tcoup coup = fait_coup(0, 0, 0, 0);
        Trapport r;
        cherche(p.echiquier, p.camp, 1, &coup, &r);
        EXPECT_EQ(r.noeuds, static_cast<int64_t>(coups.size())) << "position " << k;
        EXPECT_TRUE(comp_Tcoup(coup, coups[meilleur])) << "position " << k;
        EXPECT_EQ(r.score, meilleur_score) << "position " << k;
        EXPECT_EQ(r.pv.substr(0, 4), en_texte(coups[meilleur])) << "position " << k;
    }
}

TEST(Racine, ProfondeursDeuxEtTroisCommeLaReference) {
    const std::vector<Tposition> positions = positions_aleatoires(99u, 10, 60);
    for (size_t k = 0; k < positions.size(); k++) {
        const Tposition& p = positions[k];
        if (coups_racine(p.echiquier, p.camp).empty()) continue;
        for (int d = 2; d <= (k < 4 ? 3 : 2); d++) {  // depth 3 on a few only
            const Tchoix attendu = choix_reference(p.echiquier, p.camp, d);
            Tcoup coup = fait_coup(0, 0, 0, 0);
            Trapport r;
            cherche(p.echiquier, p.camp, d, &coup, &r);
            ASSERT_TRUE(attendu.adopte);
            EXPECT_TRUE(comp_Tcoup(coup, attendu.coup)) << "position " << k << " depth " << d;
            EXPECT_EQ(r.noeuds, attendu.horizons) << "position " << k << " depth " << d;
            EXPECT_EQ(r.score, attendu.score_rapporte) << "position " << k << " depth " << d;
            EXPECT_EQ(r.profondeur, d);
        }
    }
}

TEST(Racine, EgalitesGardentLePremier) {
    const Techiquier e = initiale();
    const std::vector<Tcoup> coups = coups_racine(e, BLANC);
    int egaux = 0;
    for (const Tcoup& c : coups) {
        const Techiquier enfant = apres(e, c);
        if (evaluation_complete(&enfant) == 25) egaux++;
    }
    ASSERT_GE(egaux, 2);  // b1c3, g1f3, d2d4 and e2e4 all reach 25
    size_t premier = 0;
    while (premier < coups.size()) {
        const Techiquier enfant = apres(e, coups[premier]);
        if (evaluation_complete(&enfant) == 25) break;
        premier++;
    }
    ASSERT_LT(premier, coups.size());
    Tcoup coup = fait_coup(0, 0, 0, 0);
    Trapport r;
    cherche(e, BLANC, 1, &coup, &r);
    EXPECT_EQ(r.pv, en_texte(coups[premier]));
    EXPECT_EQ(r.score, 25);
    EXPECT_EQ(r.noeuds, 20);
}

TEST(Racine, ScoreDesNoirs) {
    // Black to move can take the pawn on e4.
    const Techiquier e = position_apres("e2e4 d7d5 a2a3");
    Tcoup coup = fait_coup(0, 0, 0, 0);
    Trapport r;
    cherche(e, NOIR, 1, &coup, &r);
    EXPECT_EQ(r.pv, "d5e4");
    const Techiquier enfant = apres(e, coup);
    EXPECT_EQ(r.score, -evaluation_complete(&enfant));
    EXPECT_GT(r.score, 0);
}

// A "stop" read at the poll after a root move ends the search there.
TEST(Racine, StopApresLePremierCoup) {
    for (const Tposition& p :
         {Tposition{initiale(), BLANC}, Tposition{position_apres("e2e4 e7e5 g1f3"), NOIR}}) {
        const std::vector<Tcoup> coups = coups_racine(p.echiquier, p.camp);
        const Tchoix un = choix_reference(p.echiquier, p.camp, 3, 1);
        Tcoup coup = fait_coup(0, 0, 0, 0);
        Trapport r;
        cherche(p.echiquier, p.camp, 3, &coup, &r, "stop\n");
        EXPECT_EQ(arret, 1);
        EXPECT_TRUE(comp_Tcoup(coup, coups[0]));
        EXPECT_EQ(r.noeuds, un.horizons);
        EXPECT_EQ(r.score, un.score_rapporte);

        // One line per poll: the second line stops after the second root move.
        const Tchoix deux = choix_reference(p.echiquier, p.camp, 3, 2);
        cherche(p.echiquier, p.camp, 3, &coup, &r, "test\nSTOP now\n");
        EXPECT_EQ(arret, 1);
        EXPECT_EQ(r.noeuds, deux.horizons);
        EXPECT_TRUE(comp_Tcoup(coup, deux.coup));
    }
    // A "stop" that ended one search does not end the next.
    Tcoup coup = fait_coup(0, 0, 0, 0);
    Trapport r;
    cherche(initiale(), BLANC, 1, &coup, &r, "stop\n");
    EXPECT_EQ(r.noeuds, 1);
    cherche(initiale(), BLANC, 1, &coup, &r, "sto\n");
    EXPECT_EQ(arret, 0);
    EXPECT_EQ(r.noeuds, 20);
}

// A search cut inside a root move ("stop" read by the poll within the move, or the time
// limit) drops that move: it answers the best of the moves it finished, as a search of
// those moves alone would, and reports the nodes counted so far.
TEST(Racine, CoupeeDansUnCoup) {
    const Tposition espagnole{position_apres("e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6"), BLANC};
    const std::vector<Tcoup> coups = coups_racine(espagnole.echiquier, BLANC);
    const int d = 5;
    ASSERT_GE(choix_reference(espagnole.echiquier, BLANC, d, 1).horizons, 2048);

    // "stop" waiting from the start: read by the first poll, inside the first move. None
    // finished: a legal caller's move stands (the best of an earlier depth), else the
    // first legal move; each with its static score.
    for (const Tcoup repli : {coups[5], fait_coup(0, 0, 0, 0)}) {
        Tcoup coup = repli;
        Trapport r;
        cherche(espagnole.echiquier, BLANC, d, &coup, &r, "stop\n");
        EXPECT_EQ(arret, 1);
        const Tcoup attendu = comp_Tcoup(repli, coups[5]) ? coups[5] : coups[0];
        EXPECT_TRUE(comp_Tcoup(coup, attendu)) << r.pv;
        EXPECT_EQ(r.pv, en_texte(attendu));
        const Techiquier enfant = apres(espagnole.echiquier, attendu);
        EXPECT_EQ(r.score, evaluation_complete(&enfant));
        EXPECT_GE(r.noeuds, 1024);
        EXPECT_LT(r.noeuds, choix_reference(espagnole.echiquier, BLANC, d, 1).horizons);
    }

    // Time limits at several points of the search (already past, then fractions of the
    // whole search's time): the answer and score are those of the finished moves, whose
    // count follows from the nodes reported.
    Tcoup entier = fait_coup(0, 0, 0, 0);
    Trapport r_entier;
    const int64_t t = cherche(espagnole.echiquier, BLANC, d, &entier, &r_entier);
    for (const int64_t limite_ms : {int64_t{-1}, 1 + t / 8, 1 + t / 3, 1 + 2 * t / 3}) {
        Tcoup coup = fait_coup(0, 0, 0, 0);
        Trapport r;
        {
            Console console;
            fixe_echeance(maintenant_ms() + limite_ms);
            choix_coup(&espagnole.echiquier, BLANC, d, &coup);
            leve_echeance();
            ASSERT_TRUE(lit_rapport(console.texte(), &r));
        }
        // The reference's root loop, one move at a time, as far as the nodes reported.
        Tchoix fait;
        size_t termines = 0;
        int meilleur = -50000;
        for (; termines < coups.size(); termines++) {
            const Techiquier enfant = apres(espagnole.echiquier, coups[termines]);
            int64_t horizons = fait.horizons;
            const int v = recherche_reference(enfant, NOIR, d - 1, 10000, -10000, &horizons);
            if (horizons > r.noeuds) break;
            fait.horizons = horizons;
            if (v > meilleur) {
                meilleur = v;
                fait.coup = coups[termines];
                fait.score_rapporte = evaluation_complete(&enfant);
            }
        }
        if (termines == 0) {
            EXPECT_TRUE(comp_Tcoup(coup, coups[0])) << limite_ms << " ms: " << r.pv;
            const Techiquier enfant = apres(espagnole.echiquier, coups[0]);
            EXPECT_EQ(r.score, evaluation_complete(&enfant)) << limite_ms << " ms";
        } else {
            EXPECT_TRUE(comp_Tcoup(coup, fait.coup)) << limite_ms << " ms: " << r.pv;
            EXPECT_EQ(r.score, fait.score_rapporte) << limite_ms << " ms";
        }
        if (termines < coups.size()) {
            EXPECT_EQ(arret, 1) << limite_ms << " ms";
        }
    }
}

TEST(Racine, SansCoupLegal) {
    const Techiquier mat = position_apres("f2f3 e7e5 g2g4 d8h4");
    const Techiquier pat = plateau({".......k", "........", "......Q.", "........", "........",
                                    "........", "........", "K......."});
    const Tposition cas[] = {{mat, BLANC}, {pat, NOIR}};
    for (const Tposition& p : cas) {
        const Tcoup avant = coup_texte("d8h4");
        Tcoup coup = avant;
        Trapport r;
        cherche(p.echiquier, p.camp, 3, &coup, &r);
        EXPECT_EQ(r.noeuds, 0);
        EXPECT_EQ(r.nps, 0);
        EXPECT_EQ(r.score, 0);
        EXPECT_EQ(r.pv, "0000");
        EXPECT_TRUE(comp_Tcoup(coup, avant));
    }
}

// A pawn reaching its last row is written with "q" in the report.
TEST(Racine, PromotionDansLeRapport) {
    const Techiquier blanc = plateau({"......k.", "P.......", "........", "........", "........",
                                      "........", "........", "....K..."});
    Tcoup coup = fait_coup(0, 0, 0, 0);
    Trapport r;
    cherche(blanc, BLANC, 1, &coup, &r);
    EXPECT_EQ(r.pv, "a7a8q");
    EXPECT_TRUE(comp_Tcoup(coup, coup_texte("a7a8")));

    const Techiquier noir = plateau({"....k...", "........", "........", "........", "........",
                                     "........", ".p......", "R.....K."});
    cherche(noir, NOIR, 2, &coup, &r);
    EXPECT_EQ(r.pv, "b2a1q");  // taking the rook while promoting
    EXPECT_GT(r.score, 0);
}

}  // namespace
