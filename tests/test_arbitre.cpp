// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's rules against an independent referee (stockfish): at every position of
// seeded random games, the engine's legal root moves must be the referee's legal moves,
// less exactly the engine's two intended differences:
//  - a pawn reaching its last row always becomes a queen, so the referee's e7e8q, e7e8r,
//    e7e8b and e7e8n are the engine's single e7e8;
//  - a rook leaving column a or h from any row, or captured there, clears that side's
//    castling right on that wing, so the engine may lack a castling that the referee
//    lists, but only when the game's history holds such a rook move or capture away from
//    the side's home corner.
// Positions given as FEN are compared the same way, from the same FEN on both sides: the
// usual perft test positions and the positions of random games played from them.
#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "aide_tests.h"
#include "arbitre.h"
#include "divers.h"
#include "primitives.h"
#include "primitives_fen.h"
#include "primitives_listes.h"
#include "primitives_pieces.h"

namespace {

std::string texte_brut(Tcoup coup) {
    return {
        static_cast<char>('a' + coup.colonne_depart), static_cast<char>('1' + coup.ligne_depart),
        static_cast<char>('a' + coup.colonne_arrivee), static_cast<char>('1' + coup.ligne_arrivee)};
}

Tcoup coup_de_texte(const std::string& texte) {
    return fait_coup(texte[1] - '1', texte[0] - 'a', texte[3] - '1', texte[2] - 'a');
}

// The engine's legal moves at the root, as four-character texts. A move listed twice would
// be a fault of its own, reported through *doublon.
std::set<std::string> coups_moteur(const Techiquier* e, couleur c, bool* doublon) {
    Tliste liste;
    init_liste(&liste);
    generateur(e, c, &liste);
    enleve_pos_echec(e, &liste);
    std::set<std::string> textes;
    size_t nombre = 0;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) {
        textes.insert(texte_brut(*n));
        nombre++;
    }
    total_destroy_liste(&liste);
    *doublon = nombre != textes.size();
    return textes;
}

// Castling rights as the rules of chess keep them, and the losses that only the engine's
// column rule explains. Index [side][wing]: side 0 white, 1 black; wing 0 toward column a,
// 1 toward column h.
struct Tdroits {
    bool standard[2][2] = {{true, true}, {true, true}};
    bool perdu_par_colonne[2][2] = {{false, false}, {false, false}};
};

int indice_camp(int32_t code) {
    return code > 0 ? 0 : 1;
}

// Notes what the move about to be played on `e` does to the castling rights.
void note_coup(Tdroits* d, const Techiquier* e, Tcoup coup) {
    // By the rules a right goes when its king or its rook leaves home, or the rook is
    // taken at home: any move from or to e1, a1, h1 (e8, a8, h8) says so.
    for (const auto& [ligne, colonne] : {std::pair{coup.ligne_depart, coup.colonne_depart},
                                         std::pair{coup.ligne_arrivee, coup.colonne_arrivee}}) {
        for (int camp = 0; camp < 2; camp++) {
            if (ligne != (camp == 0 ? 0 : 7)) continue;
            if (colonne == 4 || colonne == 0) d->standard[camp][0] = false;
            if (colonne == 4 || colonne == 7) d->standard[camp][1] = false;
        }
    }
    // The engine also drops a right when a rook of that side leaves column a or h, or is
    // taken there, on a square other than the side's home corner.
    const int32_t part = e->cases[index_case(coup.ligne_depart, coup.colonne_depart)];
    const int32_t pris = e->cases[index_case(coup.ligne_arrivee, coup.colonne_arrivee)];
    auto hors_du_coin = [d](int32_t code, int ligne, int colonne) {
        if (valeur_absolue(code) != TOUR || (colonne != 0 && colonne != 7)) return;
        const int camp = indice_camp(code);
        if (ligne == (camp == 0 ? 0 : 7)) return;
        d->perdu_par_colonne[camp][colonne == 0 ? 0 : 1] = true;
    };
    hors_du_coin(part, coup.ligne_depart, coup.colonne_depart);
    hors_du_coin(pris, coup.ligne_arrivee, coup.colonne_arrivee);
}

// The castling move of a side and wing, as text.
std::string texte_roque(int camp, int aile) {
    const char rang = camp == 0 ? '1' : '8';
    return std::string{'e', rang, aile == 0 ? 'c' : 'g', rang};
}

struct Tbilan {
    int64_t positions = 0;                // compared with the referee
    int64_t identiques = 0;               // same list once promotions are collapsed
    int64_t avec_promotion = 0;           // the referee's four promotion letters collapsed
    int64_t roque_mis_a_part = 0;         // a castling missing, explained by the column rule
    int64_t droit_perdu_par_colonne = 0;  // a right the rules keep and the engine has lost
    int64_t avec_roque = 0;               // the engine lists a castling
    int64_t avec_en_passant = 0;          // the engine lists an en passant capture
    int64_t en_echec = 0;
    int64_t mats = 0;
    int64_t pats = 0;
    int64_t parties = 0;
    int64_t coups_roque_joues = 0;
    int64_t coups_en_passant_joues = 0;
    int64_t promotions_jouees = 0;
};

bool est_en_passant(const Techiquier* e, Tcoup coup) {
    const int32_t m = e->cases[index_case(coup.ligne_depart, coup.colonne_depart)];
    return valeur_absolue(m) == PION && coup.colonne_depart != coup.colonne_arrivee &&
           e->cases[index_case(coup.ligne_arrivee, coup.colonne_arrivee)] == VIDE;
}

bool est_roque(const Techiquier* e, Tcoup coup) {
    const int32_t m = e->cases[index_case(coup.ligne_depart, coup.colonne_depart)];
    const int ecart = coup.colonne_arrivee - coup.colonne_depart;
    return valeur_absolue(m) == ROI && (ecart == 2 || ecart == -2);
}

bool est_promotion(const Techiquier* e, Tcoup coup) {
    const int32_t m = e->cases[index_case(coup.ligne_depart, coup.colonne_depart)];
    return (m == PION && coup.ligne_arrivee == 7) || (m == -PION && coup.ligne_arrivee == 0);
}

std::string liste_texte(const std::set<std::string>& coups) {
    std::string texte;
    for (const std::string& c : coups) texte += c + " ";
    return texte;
}

// Compares the engine's moves with the referee's on one position; an empty string when
// they agree (the intended differences allowed), else what is wrong.
std::string compare_position(const Techiquier* e, couleur camp, const Tdroits& droits,
                             const std::set<std::string>& arbitre, Tbilan* bilan,
                             std::set<std::string>* reduits) {
    bool doublon = false;
    const std::set<std::string> moteur = coups_moteur(e, camp, &doublon);
    reduits->clear();
    bool promotion = false;
    for (const std::string& c : arbitre) {
        reduits->insert(c.substr(0, 4));
        promotion = promotion || c.size() == 5;
    }
    std::ostringstream faute;
    if (doublon) faute << "the engine lists a move twice\n";
    for (const std::string& c : moteur) {
        if (reduits->count(c) == 0) faute << "engine only: " << c << "\n";
    }
    bool mis_a_part = false;
    for (const std::string& c : *reduits) {
        if (moteur.count(c) != 0) continue;
        const Tcoup coup = coup_de_texte(c);
        const int cote = camp == BLANC ? 0 : 1;
        const int aile = coup.colonne_arrivee < coup.colonne_depart ? 0 : 1;
        if (est_roque(e, coup) && c == texte_roque(cote, aile) &&
            droits.perdu_par_colonne[cote][aile]) {
            mis_a_part = true;
            continue;
        }
        faute << "referee only: " << c << "\n";
    }
    // The engine's rights words must be the rules' rights less the column-rule losses.
    const int32_t mots[2][2] = {{e->grand_roque_blanc, e->petit_roque_blanc},
                                {e->grand_roque_noir, e->petit_roque_noir}};
    bool droit_perdu = false;
    for (int cote = 0; cote < 2; cote++) {
        for (int aile = 0; aile < 2; aile++) {
            droit_perdu = droit_perdu ||
                          (droits.standard[cote][aile] && droits.perdu_par_colonne[cote][aile]);
            const bool attendu =
                droits.standard[cote][aile] && !droits.perdu_par_colonne[cote][aile];
            if ((mots[cote][aile] != 0) != attendu) {
                faute << "castling right " << texte_roque(cote, aile) << " is " << mots[cote][aile]
                      << ", expected " << attendu << "\n";
            }
        }
    }
    bilan->positions++;
    if (droit_perdu) bilan->droit_perdu_par_colonne++;
    if (promotion) bilan->avec_promotion++;
    if (mis_a_part) {
        bilan->roque_mis_a_part++;
    } else if (faute.str().empty()) {
        bilan->identiques++;
    }
    bool roque = false, en_passant = false;
    for (const std::string& c : moteur) {
        roque = roque || est_roque(e, coup_de_texte(c));
        en_passant = en_passant || est_en_passant(e, coup_de_texte(c));
    }
    if (roque) bilan->avec_roque++;
    if (en_passant) bilan->avec_en_passant++;
    if (echec(e, camp)) bilan->en_echec++;
    if (faute.str().empty()) return "";
    return faute.str() + "engine:  " + liste_texte(moteur) + "\nreferee: " + liste_texte(arbitre);
}

// How much a random game favours a move: the rare rules come up far more often when the
// moves that reach them are preferred.
uint64_t poids_coup(const Techiquier* e, Tcoup coup) {
    if (est_roque(e, coup) || est_en_passant(e, coup)) return 80;
    if (est_promotion(e, coup)) return 30;
    const int32_t m = e->cases[index_case(coup.ligne_depart, coup.colonne_depart)];
    Techiquier copie;
    copie_Techiquier(e, &copie);
    execute_coup(&copie, coup);
    const couleur autre = adversaire(piece_couleur(m));
    if (echec(&copie, autre)) {
        // A check on a king that may still castle tests the castling rules in check.
        const int base = ligne_de_base(autre);
        const bool droits = autre == BLANC ? copie.grand_roque_blanc + copie.petit_roque_blanc != 0
                                           : copie.grand_roque_noir + copie.petit_roque_noir != 0;
        return copie.cases[index_case(base, 4)] == ROI * autre && droits ? 40 : 10;
    }
    if (valeur_absolue(m) == PION && (coup.ligne_arrivee - coup.ligne_depart == 2 ||
                                      coup.ligne_depart - coup.ligne_arrivee == 2)) {
        // A two-square advance beside an opposing pawn offers an en passant capture.
        for (int cote : {coup.colonne_arrivee - 1, coup.colonne_arrivee + 1}) {
            if (sur_echiquier(coup.ligne_arrivee, cote) &&
                e->cases[index_case(coup.ligne_arrivee, cote)] == PION * autre) {
                return 40;
            }
        }
    }
    if (e->cases[index_case(coup.ligne_arrivee, coup.colonne_arrivee)] != VIDE) return 6;
    switch (valeur_absolue(m)) {
        case CAVALIER:
        case FOU:
            // Clearing the home row opens the way to castling.
            return coup.ligne_depart == ligne_de_base(piece_couleur(m)) ? 8 : 2;
        case TOUR: {
            // Rooks wandering along columns a and h, off the home row, are what the column
            // rule is about.
            const int base = ligne_de_base(piece_couleur(m));
            const bool bord_depart = coup.colonne_depart == 0 || coup.colonne_depart == 7;
            const bool bord_arrivee = coup.colonne_arrivee == 0 || coup.colonne_arrivee == 7;
            if ((bord_depart && coup.ligne_depart != base) ||
                (bord_arrivee && coup.ligne_arrivee != base)) {
                return 12;
            }
            return 4;
        }
        case PION:
            return 4;
        case ROI:  // a king that stays home keeps its castling rights
            return 1;
        default:
            return 2;
    }
}

struct Tpartie_aleatoire {
    Techiquier echiquier;
    couleur camp = BLANC;
    Tdroits droits;
    std::string coups;  // the game as the referee reads it, promotions written "q"
};

void joue(Tpartie_aleatoire* p, const std::string& texte_referee) {
    const Tcoup coup = coup_de_texte(texte_referee);
    note_coup(&p->droits, &p->echiquier, coup);
    execute_coup(&p->echiquier, coup);
    inverser_couleur(&p->camp);
    if (!p->coups.empty()) p->coups += " ";
    p->coups += texte_referee;
}

// The referee's text of a move given in four characters: with "q" when it promotes.
std::string texte_pour_arbitre(const std::set<std::string>& arbitre, const std::string& coup) {
    return arbitre.count(coup + "q") != 0 ? coup + "q" : coup;
}

// Compares every position of a game given as a move list; returns the faults found.
std::string compare_partie(Tarbitre* a, const std::vector<std::string>& coups, Tbilan* bilan,
                           Tpartie_aleatoire* p) {
    init_echiquier(&p->echiquier);
    for (size_t i = 0; i <= coups.size(); i++) {
        std::set<std::string> arbitre, reduits;
        if (!coups_legaux_arbitre(a, p->coups, &arbitre)) return "the referee did not answer";
        const std::string faute =
            compare_position(&p->echiquier, p->camp, p->droits, arbitre, bilan, &reduits);
        if (!faute.empty()) return "after: " + p->coups + "\n" + faute;
        if (i == coups.size()) break;
        if (reduits.count(coups[i]) == 0) return "not legal: " + coups[i] + " after " + p->coups;
        joue(p, texte_pour_arbitre(arbitre, coups[i]));
    }
    return "";
}

// The positions of the usual perft test suites: the initial position, the middlegame full
// of castlings and pins, the rook-and-pawn endgame, the promotion-heavy positions, and the
// small positions built around one rule each (en passant that uncovers a check, castling
// that gives check, promotion out of check, mate and stalemate).
const char* const FENS_DE_REFERENCE[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P3/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N w - - 0 1",
    "rnbqkbnr/pp1ppppp/8/2pP4/8/8/PPP1PPPP/RNBQKBNR w KQkq c6 0 3",
    "3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1",
    "8/8/4k3/8/2p5/8/B2P2K1/8 w - - 0 1",
    "8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1",
    "8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1",
    "5k2/8/8/8/8/8/8/4K2R w K - 0 1",
    "3k4/8/8/8/8/8/8/R3K3 w Q - 0 1",
    "r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1",
    "r3k2r/8/3Q4/8/8/5q2/8/R3K2R b KQkq - 0 1",
    "2K2r2/4P3/8/8/8/8/8/3k4 w - - 0 1",
    "8/8/1P2K3/8/2n5/1q6/8/5k2 b - - 0 1",
    "4k3/1P6/8/8/8/8/K7/8 w - - 0 1",
    "8/P1k5/K7/8/8/8/8/8 w - - 0 1",
    "K1k5/8/P7/8/8/8/8/8 w - - 0 1",
    "8/k1P5/8/1K6/8/8/8/8 w - - 0 1",
    "8/8/2k5/5q2/5n2/8/5K2/8 b - - 0 1",
    "7k/6Q1/6K1/8/8/8/8/8 b - - 0 1",
    "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1",
};

// Compares one position given as FEN: the engine's legal moves on the board it reads from
// the FEN, and the count of the command loop's "perft depth 1" after "position fen", with
// the referee's moves from the same FEN. The castling rights are the FEN's on both sides,
// so the column rule has nothing to set aside here.
std::string compare_fen(Tarbitre* a, const std::string& fen, Tbilan* bilan, Techiquier* e,
                        couleur* camp, std::set<std::string>* reduits) {
    if (lit_fen_texte(fen, e, camp) == 0) return "the engine refuses " + fen;
    std::set<std::string> arbitre;
    if (!coups_legaux_arbitre_fen(a, fen, &arbitre)) return "the referee did not answer: " + fen;
    Tdroits droits;
    droits.standard[0][0] = e->grand_roque_blanc != 0;
    droits.standard[0][1] = e->petit_roque_blanc != 0;
    droits.standard[1][0] = e->grand_roque_noir != 0;
    droits.standard[1][1] = e->petit_roque_noir != 0;
    std::string faute = compare_position(e, *camp, droits, arbitre, bilan, reduits);
    const std::string compte = execute_en_memoire("position fen " + fen + "\nperft depth 1\n");
    if (compte != "1 > " + std::to_string(reduits->size()) + "\n") {
        faute += "perft depth 1 answered: " + compte;
    }
    return faute.empty() ? "" : fen + "\n" + faute;
}

// A weighted choice over the sorted legal moves, drawn with plain arithmetic on the raw
// output of the generator (the standard distributions differ between libraries), so that
// the games are the same everywhere. The rare moves drawn are counted.
std::string tire_coup(const Techiquier* e, const std::set<std::string>& reduits,
                      std::mt19937* hasard, Tbilan* bilan) {
    std::vector<std::string> choix(reduits.begin(), reduits.end());
    std::vector<uint64_t> poids;
    uint64_t somme = 0;
    for (const std::string& c : choix) {
        poids.push_back(poids_coup(e, coup_de_texte(c)));
        somme += poids.back();
    }
    uint64_t tirage = (*hasard)() % somme;
    size_t k = 0;
    while (tirage >= poids[k]) tirage -= poids[k++];
    const Tcoup coup = coup_de_texte(choix[k]);
    if (est_roque(e, coup)) bilan->coups_roque_joues++;
    if (est_en_passant(e, coup)) bilan->coups_en_passant_joues++;
    if (est_promotion(e, coup)) bilan->promotions_jouees++;
    return choix[k];
}

class Arbitre : public ::testing::Test {
   protected:
    void SetUp() override {
        if (chemin_arbitre().empty()) {
            GTEST_SKIP() << "stockfish is not installed (apt-get install stockfish): the "
                            "referee tests are skipped";
        }
        ASSERT_TRUE(demarre_arbitre(&arbitre_)) << "stockfish did not answer uci/isready";
        installe_console_texte("", stdout);
    }
    void TearDown() override { arrete_arbitre(&arbitre_); }
    Tarbitre arbitre_;
};

}  // namespace

// Seeded random games to their end (or 200 plies), every position compared.
TEST_F(Arbitre, PartiesAleatoiresCoupParCoup) {
    constexpr int NOMBRE_PARTIES = 45;
    constexpr int PLIS_MAX = 200;
    Tbilan bilan;
    for (int partie = 0; partie < NOMBRE_PARTIES; partie++) {
        std::mt19937 hasard(static_cast<uint32_t>(20240 + partie));
        Tpartie_aleatoire p;
        init_echiquier(&p.echiquier);
        for (int pli = 0; pli <= PLIS_MAX; pli++) {
            std::set<std::string> arbitre, reduits;
            ASSERT_TRUE(coups_legaux_arbitre(&arbitre_, p.coups, &arbitre))
                << "the referee did not answer after: " << p.coups;
            const std::string faute =
                compare_position(&p.echiquier, p.camp, p.droits, arbitre, &bilan, &reduits);
            ASSERT_EQ(faute, "") << "game " << partie << ", moves: " << p.coups;
            if (reduits.empty()) {
                if (echec(&p.echiquier, p.camp)) {
                    bilan.mats++;
                } else {
                    bilan.pats++;
                }
                break;
            }
            if (pli == PLIS_MAX) break;
            joue(&p,
                 texte_pour_arbitre(arbitre, tire_coup(&p.echiquier, reduits, &hasard, &bilan)));
        }
        bilan.parties++;
    }
    std::cout << "[ referee  ] " << bilan.parties << " games, " << bilan.positions
              << " positions compared: " << bilan.identiques << " identical, "
              << bilan.roque_mis_a_part << " set aside (a castling lost to the column rule), "
              << bilan.avec_promotion
              << " with promotions collapsed to the queen; a castling right kept by the rules "
              << "but lost to the column rule in " << bilan.droit_perdu_par_colonne << "\n"
              << "[ referee  ] positions with a castling listed " << bilan.avec_roque
              << ", with an en passant capture " << bilan.avec_en_passant << ", in check "
              << bilan.en_echec << "; played: castlings " << bilan.coups_roque_joues
              << ", en passant " << bilan.coups_en_passant_joues << ", promotions "
              << bilan.promotions_jouees << "; ends: " << bilan.mats << " mates, " << bilan.pats
              << " stalemates\n";
    RecordProperty("positions", std::to_string(bilan.positions));
    RecordProperty("identiques", std::to_string(bilan.identiques));
    RecordProperty("roque_mis_a_part", std::to_string(bilan.roque_mis_a_part));
    RecordProperty("avec_promotion", std::to_string(bilan.avec_promotion));
    EXPECT_GE(bilan.positions, 3000);
    // The games must reach what they are meant to check.
    EXPECT_GT(bilan.coups_roque_joues, 0);
    EXPECT_GT(bilan.coups_en_passant_joues, 0);
    EXPECT_GT(bilan.promotions_jouees, 0);
    EXPECT_GT(bilan.mats + bilan.pats, 0);
}

// Chosen games that reach rules random play seldom meets, each position compared.
TEST_F(Arbitre, PositionsChoisies) {
    Tbilan bilan;
    Tpartie_aleatoire p;
    auto fin_de = [&](const std::string& texte) {
        std::vector<std::string> coups;
        std::istringstream flux(texte);
        for (std::string c; flux >> c;) coups.push_back(c);
        p = Tpartie_aleatoire{};
        return compare_partie(&arbitre_, coups, &bilan, &p);
    };
    bool doublon = false;

    // An en passant capture that would open the fourth row between the white queen on a4
    // and the black king on h4: not legal.
    ASSERT_EQ(fin_de("c2c3 e7e5 d1a4 e5e4 b1a3 e8e7 a3b1 e7f6 b1a3 f6g5 a3b1 g5h4 d2d4"), "");
    EXPECT_EQ(coups_moteur(&p.echiquier, p.camp, &doublon).count("e4d3"), 0u);
    // The same capture with the king off that row is legal.
    ASSERT_EQ(fin_de("c2c3 e7e5 d1a4 e5e4 b1a3 e8e7 a3b1 e7f6 b1a3 f6g6 d2d4"), "");
    EXPECT_EQ(coups_moteur(&p.echiquier, p.camp, &doublon).count("e4d3"), 1u);

    // The black bishop on a6 watches f1: no castling on that side, nor the step to f1.
    ASSERT_EQ(fin_de("e2e3 b7b6 g2g3 c8a6 g1f3 b8c6 f1g2 g8f6"), "");
    EXPECT_EQ(coups_moteur(&p.echiquier, p.camp, &doublon).count("e1g1"), 0u);
    // In check along column e with f1 and g1 empty: no castling, the step to f1 stays.
    ASSERT_EQ(fin_de("e2e4 d7d5 e4d5 d8d5 g1f3 g8f6 f1c4 d5e6"), "");
    EXPECT_EQ(coups_moteur(&p.echiquier, p.camp, &doublon).count("e1g1"), 0u);
    EXPECT_EQ(coups_moteur(&p.echiquier, p.camp, &doublon).count("e1f1"), 1u);
    // The black knight on a3 watches b1 only: castling toward column a stays legal.
    ASSERT_EQ(fin_de("d2d4 b8c6 b1c3 c6a5 c1f4 a5c4 d1d3 c4a3"), "");
    EXPECT_EQ(coups_moteur(&p.echiquier, p.camp, &doublon).count("e1c1"), 1u);

    // The rook of h1 travels to a3 and leaves column a from there: the engine drops white's
    // castling toward column a although the rook of a1 never moved. Set aside, not failed.
    const int64_t avant = bilan.roque_mis_a_part;
    ASSERT_EQ(fin_de("h2h4 a7a6 h1h3 a6a5 h3a3 h7h6 a3b3 h6h5 b1c3 g7g6 d2d4 g6g5 c1e3 g5g4 "
                     "d1d2 f7f6"),
              "");
    EXPECT_EQ(coups_moteur(&p.echiquier, p.camp, &doublon).count("e1c1"), 0u);
    EXPECT_EQ(bilan.roque_mis_a_part, avant + 1);

    // Promotions by capture for both sides (and an en passant capture on the way): one
    // move each in the engine, four in the referee.
    ASSERT_EQ(fin_de("h2h4 g7g5 h4g5 h7h6 g5h6 f8g7 h6g7 a7a5 g7h8 a5a4 b2b4 a4b3 a2a3 b3b2 "
                     "h1h7 b2a1"),
              "");
    EXPECT_GT(bilan.avec_promotion, 0);

    // The shortest mate, and a stalemate reached in nineteen plies.
    ASSERT_EQ(fin_de("f2f3 e7e5 g2g4 d8h4"), "");
    EXPECT_TRUE(coups_moteur(&p.echiquier, p.camp, &doublon).empty());
    EXPECT_EQ(test_echec_ou_mat(&p.echiquier, p.camp), 3);
    ASSERT_EQ(fin_de("e2e3 a7a5 d1h5 a8a6 h5a5 h7h5 h2h4 a6h6 a5c7 f7f6 c7d7 e8f7 d7b7 d8d3 "
                     "b7b8 d3h7 b8c8 f7g6 c8e6"),
              "");
    EXPECT_TRUE(coups_moteur(&p.echiquier, p.camp, &doublon).empty());
    EXPECT_EQ(test_echec_ou_mat(&p.echiquier, p.camp), 2);
    std::cout << "[ referee  ] chosen games: " << bilan.positions << " positions compared, "
              << bilan.roque_mis_a_part << " set aside (a castling lost to the column rule), "
              << bilan.avec_promotion << " with promotions collapsed to the queen\n";
}

// Each test position from its FEN, then seeded random games played from it, every position
// of them given to both sides as its FEN.
TEST_F(Arbitre, PositionsDonneesEnFen) {
    constexpr int PARTIES_PAR_POSITION = 2;
    constexpr int PLIS_MAX = 40;
    Tbilan bilan;
    int64_t depuis_les_parties = 0;
    std::mt19937 hasard(2718);
    for (const char* depart : FENS_DE_REFERENCE) {
        for (int partie = 0; partie < PARTIES_PAR_POSITION; partie++) {
            std::string fen = depart;
            for (int pli = 0; pli <= PLIS_MAX; pli++) {
                Techiquier e;
                couleur camp = BLANC;
                std::set<std::string> reduits;
                ASSERT_EQ(compare_fen(&arbitre_, fen, &bilan, &e, &camp, &reduits), "")
                    << "from " << depart;
                if (pli > 0) depuis_les_parties++;
                if (reduits.empty()) {
                    if (echec(&e, camp)) {
                        bilan.mats++;
                    } else {
                        bilan.pats++;
                    }
                    break;
                }
                if (pli == PLIS_MAX) break;
                execute_coup(&e, coup_de_texte(tire_coup(&e, reduits, &hasard, &bilan)));
                fen = fen_de(&e, adversaire(camp));
            }
            bilan.parties++;
        }
    }
    std::cout << "[ referee  ] from FEN: " << bilan.positions << " positions compared ("
              << depuis_les_parties << " from " << bilan.parties << " random games), "
              << bilan.identiques << " identical, " << bilan.avec_promotion
              << " with promotions collapsed to the queen\n";
    EXPECT_EQ(bilan.identiques, bilan.positions);
    EXPECT_GE(bilan.positions, 1000);
    EXPECT_GT(bilan.avec_en_passant, 0);
    EXPECT_GT(bilan.coups_roque_joues, 0);
    EXPECT_GT(bilan.promotions_jouees, 0);
    EXPECT_GT(bilan.mats, 0);
    EXPECT_GT(bilan.pats, 0);
}
