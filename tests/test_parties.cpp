// SPDX-License-Identifier: GPL-3.0-or-later
// Whole games played the way an interface plays them, two engine processes taking turns,
// every answer checked against an independent referee (stockfish); and the search's
// dialogue through pipes: "stop", "quit" and the end of input during "go infinite",
// "isready" during a long search, a whole script piped at once.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "aide_tests.h"
#include "arbitre.h"
#include "primitives_listes.h"
#include "primitives_pieces.h"

namespace {

using horloge = std::chrono::steady_clock;


// Every line read so far, for failure messages.
std::string joint(const std::vector<std::string>& lues) {
    std::string texte;
    for (const std::string& l : lues) texte += l + "\n";
    return texte;
}

// The move of a "bestmove" line, and of the " pv " part of an "info" line.
std::string mot_apres(const std::string& ligne, const std::string& cle) {
    const size_t debut = ligne.find(cle);
    if (debut == std::string::npos) return "";
    const size_t fin = ligne.find(' ', debut + cle.size());
    return ligne.substr(debut + cle.size(),
                        fin == std::string::npos ? std::string::npos : fin - debut - cle.size());
}

// "uci" and "isready" answered: the engine is up.
void prepare_moteur(Tmoteur* m) {
    envoie(m, "uci\nisready\n");
    ASSERT_TRUE(attend_ligne(m, "uciok", nullptr, 10000)) << "no uciok";
    ASSERT_TRUE(attend_ligne(m, "readyok", nullptr, 10000)) << "no readyok";
}

void quitte(Tmoteur* m) {
    envoie(m, "quit\n");
    int statut = -1;
    EXPECT_TRUE(attend_fin(m, 10000, &statut)) << "the engine did not end after quit";
    EXPECT_EQ(statut, 0);
    ferme_moteur(m);
}

// Whether the engine's own rules allow `coup` (UCI text) after the game `coups`: enough for
// the dialogue tests, which must run without the referee.
bool legal_pour_le_moteur(const std::string& coups, const std::string& coup) {
    if (coup.size() < 4) return false;
    couleur camp = BLANC;
    Techiquier e;
    if (coups.empty()) {
        init_echiquier(&e);
    } else {
        e = position_apres(coups, &camp);
    }
    Tliste liste;
    init_liste(&liste);
    generateur(&e, camp, &liste);
    enleve_pos_echec(&e, &liste);
    bool trouve = false;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) {
        trouve =
            trouve || (coup[0] - 'a' == n->colonne_depart && coup[1] - '1' == n->ligne_depart &&
                       coup[2] - 'a' == n->colonne_arrivee && coup[3] - '1' == n->ligne_arrivee);
    }
    total_destroy_liste(&liste);
    return trouve;
}

// Ends the engine however the test ends, so that a failed assertion leaves no process
// behind; harmless after `quitte`.
struct Tgarde_moteur {
    Tmoteur* m;
    ~Tgarde_moteur() { ferme_moteur(m, 5000); }
};

struct Tgarde_arbitre {
    Tarbitre* a;
    ~Tgarde_arbitre() { arrete_arbitre(a); }
};

struct Tbilan_parties {
    int parties = 0;
    int plis = 0;
    int mats_ou_pats = 0;
    int promotions = 0;
    int roques = 0;
};

}  // namespace

// Four games between two engine processes, each engine white twice: a short random opening,
// then "position startpos moves <the whole game>" and a "go" line at every turn, every
// "bestmove" checked against the referee's legal moves for that position.
TEST(Parties, DeuxMoteursJouentDesPartiesEntieres) {
    if (chemin_arbitre().empty()) {
        GTEST_SKIP() << "stockfish is not installed (apt-get install stockfish): the games "
                        "cannot be refereed";
    }
    Tarbitre arbitre;
    ASSERT_TRUE(demarre_arbitre(&arbitre)) << "stockfish did not answer uci/isready";
    Tgarde_arbitre garde_arbitre{&arbitre};
    Tmoteur moteurs[2] = {lance_moteur(), lance_moteur()};
    Tgarde_moteur gardes[2] = {{&moteurs[0]}, {&moteurs[1]}};
    prepare_moteur(&moteurs[0]);
    prepare_moteur(&moteurs[1]);
    constexpr int PLIS_MAX = SOUS_SANITISEUR ? 60 : 150;
    constexpr int PERIODE_HORLOGE = SOUS_SANITISEUR ? 64 : 16;  // plies between clock turns
    Tbilan_parties bilan;
    for (int partie = 0; partie < 4 && !HasFatalFailure(); partie++) {
        std::mt19937 hasard(static_cast<uint32_t>(77 + partie));
        for (Tmoteur& m : moteurs) {
            envoie(&m, "ucinewgame\nisready\n");
            ASSERT_TRUE(attend_ligne(&m, "readyok", nullptr, 10000));
        }
        const int ouverture = 2 * partie;  // random plies before the engines take over
        std::string coups;
        for (int pli = 0; pli < PLIS_MAX; pli++) {
            std::set<std::string> legaux;
            ASSERT_TRUE(coups_legaux_arbitre(&arbitre, coups, &legaux))
                << "the referee did not answer after: " << coups;
            std::string choisi;
            if (pli < ouverture && !legaux.empty()) {
                std::vector<std::string> choix(legaux.begin(), legaux.end());
                choisi = choix[hasard() % choix.size()];
            } else {
                // White is engine partie % 2: each engine plays both colours.
                Tmoteur* m = &moteurs[(partie + pli) % 2];
                std::string go = pli % 4 == 1 ? "go depth 3" : "go depth 2";
                int profondeur = go.back() - '0';
                if (pli % PERIODE_HORLOGE == 15 - partie) {
                    go = "go wtime 1000 btime 1000";  // 100 ms a move: one search at depth 4
                    profondeur = 4;
                }
                envoie(m, ligne_position(coups) + go + "\n");
                std::vector<std::string> lues;
                ASSERT_TRUE(attend_ligne(m, "bestmove", &lues, 60000))
                    << "no bestmove after: " << coups << "\n"
                    << joint(lues);
                ASSERT_GE(lues.size(), 2u) << joint(lues);
                const std::string& info = lues[lues.size() - 2];
                choisi = mot_apres(lues.back(), "bestmove ");
                ASSERT_EQ(info.rfind("info depth " + std::to_string(profondeur) + " ", 0), 0u)
                    << go << "\n"
                    << joint(lues);
                EXPECT_EQ(mot_apres(info, " pv "), choisi) << joint(lues);
                if (legaux.empty()) {
                    EXPECT_EQ(choisi, "0000") << "no legal move after: " << coups;
                    EXPECT_NE(info.find(" nodes 0 "), std::string::npos) << info;
                } else {
                    ASSERT_EQ(legaux.count(choisi), 1u)
                        << "illegal answer " << choisi << " after: " << coups
                        << "\nlegal: " << [&] {
                               std::string t;
                               for (const std::string& c : legaux) t += c + " ";
                               return t;
                           }();
                }
            }
            if (legaux.empty()) {
                bilan.mats_ou_pats++;
                break;
            }
            if (choisi.size() == 5) bilan.promotions++;
            const Techiquier avant = position_apres(coups);
            const int32_t piece_jouee = avant.cases[index_case(choisi[1] - '1', choisi[0] - 'a')];
            const int ecart = choisi[2] - choisi[0];
            if (valeur_absolue(piece_jouee) == ROI && (ecart == 2 || ecart == -2)) {
                bilan.roques++;
            }
            coups += (coups.empty() ? "" : " ") + choisi;
            bilan.plis++;
        }
        bilan.parties++;
    }
    std::cout << "[ games    ] " << bilan.parties << " games, " << bilan.plis << " plies, "
              << bilan.mats_ou_pats << " ended without a legal move, " << bilan.promotions
              << " promotions, " << bilan.roques << " castlings\n";
    for (Tmoteur& m : moteurs) {
        envoie(&m, "isready\n");
        EXPECT_TRUE(attend_ligne(&m, "readyok", nullptr, 10000));
        quitte(&m);
    }
}

// "stop" ends "go infinite": the answer comes, and the engine goes on serving commands.
TEST(Parties, GoInfiniteFinitSurStop) {
    Tmoteur m = lance_moteur();
    Tgarde_moteur garde{&m};
    prepare_moteur(&m);
    envoie(&m, "position startpos moves e2e4 c7c5\ngo infinite\n");
    usleep(300000);
    envoie(&m, "stop\n");
    std::vector<std::string> lues;
    ASSERT_TRUE(attend_ligne(&m, "bestmove", &lues, 60000)) << joint(lues);
    const std::string coup = mot_apres(lues.back(), "bestmove ");
    EXPECT_TRUE(legal_pour_le_moteur("e2e4 c7c5", coup)) << joint(lues);
    EXPECT_EQ(mot_apres(lues[lues.size() - 2], " pv "), coup) << joint(lues);
    // Still serving, and its board holds its answer: the next position line of the game
    // only brings the reply, and a search follows.
    envoie(&m, "isready\n");
    ASSERT_TRUE(attend_ligne(&m, "readyok", &lues, 5000)) << joint(lues);
    lues.clear();
    envoie(&m, "position startpos moves e2e4 c7c5 " + coup + " b8c6\ngo depth 2\n");
    ASSERT_TRUE(attend_ligne(&m, "bestmove", &lues, 10000)) << joint(lues);
    EXPECT_TRUE(
        legal_pour_le_moteur("e2e4 c7c5 " + coup + " b8c6", mot_apres(lues.back(), "bestmove ")))
        << joint(lues);
    quitte(&m);
}

// With no legal move, "go infinite" ends by itself: nothing to search, nothing to wait for.
TEST(Parties, GoInfiniteSansCoupLegalFinitSeul) {
    Tmoteur m = lance_moteur();
    Tgarde_moteur garde{&m};
    prepare_moteur(&m);
    envoie(&m, "position startpos moves f2f3 e7e5 g2g4 d8h4\ngo infinite\n");
    std::vector<std::string> lues;
    ASSERT_TRUE(attend_ligne(&m, "bestmove", &lues, 10000)) << joint(lues);
    EXPECT_EQ(lues.back(), "bestmove 0000") << joint(lues);
    envoie(&m, "isready\n");
    EXPECT_TRUE(attend_ligne(&m, "readyok", &lues, 5000)) << joint(lues);
    quitte(&m);
}

// "quit" during "go infinite": the search ends, the answer is printed, the engine exits 0.
TEST(Parties, GoInfiniteFinitSurQuit) {
    Tmoteur m = lance_moteur();
    Tgarde_moteur garde{&m};
    prepare_moteur(&m);
    envoie(&m, "position startpos moves d2d4\ngo infinite\n");
    usleep(300000);
    envoie(&m, "quit\n");
    int statut = -1;
    ASSERT_TRUE(attend_fin(&m, 60000, &statut)) << "still running after quit: " << m.recu;
    EXPECT_EQ(statut, 0);
    std::string reste;
    ferme_moteur(&m, 1000, &reste);
    const std::vector<std::string> sortie = lignes(reste);
    ASSERT_FALSE(sortie.empty());
    EXPECT_EQ(sortie.back().rfind("bestmove ", 0), 0u) << reste;
    EXPECT_TRUE(legal_pour_le_moteur("d2d4", mot_apres(sortie.back(), "bestmove "))) << reste;
}

// The interface goes away (its end of the pipe closed) during "go infinite": the answer
// is printed all the same and the engine exits 0.
TEST(Parties, GoInfiniteFinitSurFinEntree) {
    Tmoteur m = lance_moteur();
    Tgarde_moteur garde{&m};
    prepare_moteur(&m);
    envoie(&m, "position startpos\ngo infinite\n");
    usleep(300000);
    std::string reste;
    const int statut = ferme_moteur(&m, 60000, &reste);
    EXPECT_EQ(statut, 0) << "-1 means it did not end";
    const std::vector<std::string> sortie = lignes(reste);
    ASSERT_FALSE(sortie.empty());
    EXPECT_EQ(sortie.back().rfind("bestmove ", 0), 0u) << reste;
    EXPECT_TRUE(legal_pour_le_moteur("", mot_apres(sortie.back(), "bestmove "))) << reste;
}

// "isready" in the middle of a long search is answered at once, well before the answer;
// then "stop" ends the search. The search has no end of its own: a fixed depth that once
// lasted long enough ends within the first 200 ms as the engine gets faster.
TEST(Parties, IsreadyPendantUneLongueRecherche) {
    const std::string milieu =
        "e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 d2d3 f8c5 e1g1 d7d6 c2c3 e8g8 b1d2 a7a6";
    Tmoteur m = lance_moteur();
    Tgarde_moteur garde{&m};
    prepare_moteur(&m);
    // Deep enough that no speed of the engine ends it before "stop".
    envoie(&m, "position startpos moves " + milieu + "\ngo depth 30\n");
    usleep(200000);
    const auto envoi = horloge::now();
    envoie(&m, "isready\n");
    std::vector<std::string> lues;
    ASSERT_TRUE(attend_ligne(&m, "readyok", &lues, 10000)) << joint(lues);
    const auto attente =
        std::chrono::duration_cast<std::chrono::milliseconds>(horloge::now() - envoi).count();
    EXPECT_LT(attente, 5000) << "readyok took " << attente << " ms";
    for (const std::string& l : lues) {
        EXPECT_NE(l.rfind("bestmove", 0), 0u) << "the search ended before readyok: " << joint(lues);
    }
    envoie(&m, "stop\n");
    ASSERT_TRUE(attend_ligne(&m, "bestmove", &lues, 120000)) << joint(lues);
    EXPECT_TRUE(legal_pour_le_moteur(milieu, mot_apres(lues.back(), "bestmove "))) << joint(lues);
    // A single "readyok" for the single "isready".
    int reponses = 0;
    for (const std::string& l : lues) reponses += l == "readyok";
    EXPECT_EQ(reponses, 1) << joint(lues);
    quitte(&m);
}

// A whole script piped at once. After the answer the engine's move is on its board and
// black is to move, so "perft" counts from there: 20 black moves, then every white reply.
TEST(Parties, ScriptEntierEnUneFois) {
    int statut = -1;
    const std::string sortie =
        execute_en_processus("position startpos\ngo depth 4\nperft depth 2\nquit\n", &statut);
    EXPECT_EQ(statut, 0);
    const std::vector<std::string> l = lignes(sortie);
    ASSERT_EQ(l.size(), 4u) << sortie;
    EXPECT_EQ(l[0].rfind("info depth 4 nodes ", 0), 0u) << sortie;
    ASSERT_EQ(l[1].rfind("bestmove ", 0), 0u) << sortie;
    const std::string coup = mot_apres(l[1], "bestmove ");
    EXPECT_EQ(mot_apres(l[0], " pv "), coup) << sortie;
    EXPECT_TRUE(legal_pour_le_moteur("", coup)) << sortie;
    EXPECT_EQ(l[2], "1 > 20") << sortie;
    ASSERT_EQ(l[3].rfind("2 > ", 0), 0u) << sortie;
    if (chemin_arbitre().empty()) {
        GTEST_SKIP() << "stockfish is not installed: the count of 2 plies is not refereed";
    }
    Tarbitre arbitre;
    Tgarde_arbitre garde{&arbitre};
    ASSERT_TRUE(demarre_arbitre(&arbitre));
    uint64_t feuilles = 0;
    ASSERT_TRUE(perft_arbitre(&arbitre, coup, 2, &feuilles));
    EXPECT_EQ(l[3], "2 > " + std::to_string(20 + feuilles)) << sortie;
}

namespace {

const std::string ESPAGNOLE = "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1 f8e7";

// Milliseconds from sending `commande` until the "bestmove" line; the lines read go to
// *lues. -1 when no answer comes within a minute.
int64_t delai_de_reponse(Tmoteur* m, const std::string& commande, std::vector<std::string>* lues) {
    const auto envoi = horloge::now();
    envoie(m, commande);
    if (!attend_ligne(m, "bestmove", lues, 60000)) return -1;
    return std::chrono::duration_cast<std::chrono::milliseconds>(horloge::now() - envoi).count();
}

// The info line before "bestmove" names the same move, and it is legal.
void verifie_reponse(const std::string& partie, const std::vector<std::string>& lues) {
    ASSERT_GE(lues.size(), 2u) << joint(lues);
    const std::string coup = mot_apres(lues.back(), "bestmove ");
    EXPECT_TRUE(legal_pour_le_moteur(partie, coup)) << joint(lues);
    EXPECT_EQ(mot_apres(lues[lues.size() - 2], " pv "), coup) << joint(lues);
}

}  // namespace

// "stop" in the middle of a root move that takes seconds is answered within a few
// milliseconds, by a fixed-depth search and by "go infinite" deep in its deepening.
// The median of three stops must be within 20 ms; a loaded machine may delay one.
TEST(Chronometre, StopRepondAussitot) {
    Tmoteur m = lance_moteur();
    Tgarde_moteur garde{&m};
    prepare_moteur(&m);
    for (const char* go : {"go depth 12", "go infinite"}) {
        std::vector<int64_t> delais;
        for (const int attente_ms : {300, 700, 1500}) {
            envoie(&m, "position startpos moves " + ESPAGNOLE + "\n" + go + "\n");
            usleep(static_cast<useconds_t>(attente_ms) * 1000);
            std::vector<std::string> lues;
            const int64_t delai = delai_de_reponse(&m, "stop\n", &lues);
            ASSERT_GE(delai, 0) << go << ": no answer after stop";
            verifie_reponse(ESPAGNOLE, lues);
            delais.push_back(delai);
            EXPECT_LT(delai, 250) << go << " stopped after " << attente_ms << " ms";
        }
        std::sort(delais.begin(), delais.end());
        EXPECT_LE(delais[1], 20) << go << ": median delay of stop " << delais[1] << " ms";
    }
    quitte(&m);
}

// "go movetime N" answers before N milliseconds have passed, from N = 10 ms to 2 s, from
// an opening, a middlegame and an endgame. A sample over N is taken again once, since a
// loaded machine may hold the engine back; the second must be in time.
TEST(Chronometre, MovetimeRepondDansLeTemps) {
    const std::string finale =
        "e2e4 d7d5 e4d5 d8d5 b1c3 d5a5 d2d4 g8f6 g1f3 c8f5 f3e5 c7c6 g2g4 f5e4 f2f3 e4g6 h2h4 "
        "b8d7 e5g6 h7g6 c1d2 e7e6 c3e4 a5b6 e4f6 g7f6";
    Tmoteur m = lance_moteur();
    Tgarde_moteur garde{&m};
    prepare_moteur(&m);
    for (const std::string& partie : {std::string(), ESPAGNOLE, finale}) {
        for (const int n : {10, 40, 150, 600, 2000}) {
            const std::string commande = "position startpos" +
                                         (partie.empty() ? "" : " moves " + partie) +
                                         "\ngo movetime " + std::to_string(n) + "\n";
            std::vector<std::string> lues;
            int64_t delai = delai_de_reponse(&m, commande, &lues);
            if (delai >= n) {
                lues.clear();
                delai = delai_de_reponse(&m, commande, &lues);
            }
            ASSERT_GE(delai, 0) << "no answer to go movetime " << n;
            EXPECT_LT(delai, n) << "go movetime " << n << " after " << partie;
            verifie_reponse(partie, lues);
            // Deepening from 5 plies, one line per search.
            int attendue = 5;
            for (const std::string& l : lues) {
                if (l.rfind("info ", 0) != 0) continue;
                EXPECT_EQ(mot_apres(l, "depth "), std::to_string(attendue++)) << joint(lues);
            }
        }
    }
    quitte(&m);
}

// With little time left on the clock no search runs past half of it, whatever the depth
// the budget chose: 1.5 s for the last move of a control, then 40 ms. A late sample is
// taken again once, as above.
TEST(Chronometre, HorlogeRespectee) {
    Tmoteur m = lance_moteur();
    Tgarde_moteur garde{&m};
    prepare_moteur(&m);
    struct Tcas {
        const char* go;
        int limite_ms;
    };
    for (const Tcas& cas : {Tcas{"go wtime 1500 btime 1500 winc 0 binc 0 movestogo 1", 1500},
                            Tcas{"go movestogo 1 btime 1500 wtime 1500", 1500},
                            Tcas{"go wtime 40 btime 40 winc 0 binc 0 movestogo 1", 40},
                            Tcas{"go wtime 40 btime 40 winc 1000 binc 1000", 40}}) {
        for (const std::string& partie : {ESPAGNOLE, ESPAGNOLE + " f1e1"}) {
            const std::string commande = "position startpos moves " + partie + "\n" + cas.go + "\n";
            std::vector<std::string> lues;
            int64_t delai = delai_de_reponse(&m, commande, &lues);
            if (delai >= cas.limite_ms) {
                lues.clear();
                delai = delai_de_reponse(&m, commande, &lues);
            }
            ASSERT_GE(delai, 0) << cas.go;
            EXPECT_LT(delai, cas.limite_ms) << cas.go << " after " << partie;
            verifie_reponse(partie, lues);
        }
    }
    quitte(&m);
}

// "go ponder" answers nothing while the opponent thinks, "isready" aside. "stop" then
// answers at once; "ponderhit" turns it into the plan of its clock, timed from the
// ponderhit and never past half of the clock (here 1.5 s: one search of four plies). With
// the Ponder option on, the answer names the expected reply.
TEST(Chronometre, ReflexionJusquAStopOuPonderhit) {
    Tmoteur m = lance_moteur();
    Tgarde_moteur garde{&m};
    prepare_moteur(&m);
    envoie(&m, "setoption name Ponder value true\n");
    for (const std::string fin : {"stop\n", "ponderhit\n"}) {
        envoie(&m, "position startpos moves " + ESPAGNOLE +
                       "\ngo ponder wtime 1500 btime 1500 winc 0 binc 0 movestogo 1\n");
        usleep(400000);
        envoie(&m, "isready\n");
        std::vector<std::string> lues;
        ASSERT_TRUE(attend_ligne(&m, "readyok", &lues, 10000));
        for (const std::string& l : lues) EXPECT_EQ(l.rfind("bestmove", 0), std::string::npos) << l;
        lues.clear();
        const int64_t delai = delai_de_reponse(&m, fin, &lues);
        ASSERT_GE(delai, 0) << fin;
        EXPECT_LT(delai, fin == "stop\n" ? 250 : 750) << fin;
        verifie_reponse(ESPAGNOLE, lues);
        EXPECT_NE(lues.back().find(" ponder "), std::string::npos) << lues.back();
        if (fin == "ponderhit\n") {
            EXPECT_EQ(mot_apres(lues[lues.size() - 2], "depth "), "4");
        }
    }
    quitte(&m);
}
