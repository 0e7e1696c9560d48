// SPDX-License-Identifier: GPL-3.0-or-later
// The engine binary driven through pipes, as an interface drives it. Every read has a
// deadline and every test ends its child process.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "aide_tests.h"
#include "arbitre.h"

namespace {

const char* const ERREUR = "Commande non reconnue";

// Ends the engine when a test leaves early on a failed assertion.
struct Tgarde {
    Tmoteur* moteur;
    ~Tgarde() {
        if (moteur->pid > 0) ferme_moteur(moteur, 5000);
    }
};

// Reads lines until the engine has answered "isready": every line before "readyok".
std::vector<std::string> jusqu_a_readyok(Tmoteur* m) {
    envoie(m, "isready\n");
    std::vector<std::string> lues;
    EXPECT_TRUE(attend_ligne(m, "readyok", &lues, 30000));
    if (!lues.empty()) lues.pop_back();
    return lues;
}

// The board grid printed by "chess", as its lines.
std::vector<std::string> grille(Tmoteur* m) {
    envoie(m, "chess\n");
    std::vector<std::string> l = jusqu_a_readyok(m);
    EXPECT_EQ(l.size(), 23u);
    return l;
}

// The row line of a rank in a grid (rank 8 first).
std::string rang(const std::vector<std::string>& g, int r) {
    const size_t i = static_cast<size_t>(5 + 2 * (8 - r));
    return i < g.size() ? g[i] : std::string();
}

std::string ligne_de(std::initializer_list<int> codes, int r) {
    std::string texte = " |";
    for (int c : codes) {
        texte += ' ';
        texte += std::to_string(c);
        texte += " |";
    }
    return texte + " " + std::to_string(r);
}

const std::string VIDE_RANG_3 = " | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 3";

}  // namespace

TEST(Protocole, IdentificationEtReady) {
    Tmoteur m = lance_moteur();
    Tgarde garde{&m};
    envoie(&m, "uci\n");
    std::vector<std::string> lues;
    ASSERT_TRUE(attend_ligne(&m, "uciok", &lues, 10000));
    // The memo's largest size is the platform's (the WebAssembly launcher may run this
    // test): at least 1024 MiB everywhere.
    const std::regex hash("(option name Hash type spin default 24 min 1 max )([0-9]+)");
    std::smatch n;
    for (std::string& ligne : lues) {
        if (std::regex_match(ligne, n, hash)) {
            EXPECT_GE(std::stoll(n[2]), 1024) << ligne;
            ligne = n[1].str() + "65536";
        }
    }
    EXPECT_EQ(lues, BLOC_UCI);
    envoie(&m, "isready\n");
    std::string ligne;
    ASSERT_TRUE(lit_ligne_moteur(&m, &ligne, 10000));
    EXPECT_EQ(ligne, "readyok");
    std::string reste;
    EXPECT_EQ(ferme_moteur(&m, 10000, &reste), 0);
    EXPECT_EQ(reste, "");
}

TEST(Protocole, MotInconnuEtQuirksDeLecture) {
    Tmoteur m = lance_moteur();
    Tgarde garde{&m};
    envoie(&m, "foo bar\n");
    envoie(&m, "POSITION startpos\n");
    envoie(&m, "isready\n\n");  // the empty line repeats "isready"
    envoie(&m, "position startpos moves e2e4\n");
    envoie(&m, "position startpos moves e2e4 e7e5 \n");  // blank after the last move
    envoie(&m, "position startpos\n\n");                 // empty line: the word is "startpos"
    envoie(&m, "uci\n");
    std::vector<std::string> l;
    ASSERT_TRUE(attend_ligne(&m, "uciok", &l, 10000));
    l.resize(l.size() - BLOC_UCI.size());
    EXPECT_EQ(l, (std::vector<std::string>{ERREUR, ERREUR, "readyok", "readyok", ERREUR, ERREUR}));
    EXPECT_EQ(ferme_moteur(&m), 0);
}

TEST(Protocole, SuiviDeLaPartieSurPlusieursLignes) {
    Tmoteur m = lance_moteur();
    Tgarde garde{&m};
    envoie(&m, "ucinewgame\nposition startpos moves e2e4 e7e5\n");
    envoie(&m, "position startpos moves e2e4 e7e5 g1f3\n");
    envoie(&m, "position startpos moves e2e4 e7e5 g1f3  b8c6\n");
    std::vector<std::string> g = grille(&m);
    EXPECT_EQ(rang(g, 8), ligne_de({-5, 0, -4, -6, -2, -4, -3, -5}, 8));
    EXPECT_EQ(rang(g, 6), ligne_de({0, 0, -3, 0, 0, 0, 0, 0}, 6));
    EXPECT_EQ(rang(g, 5), ligne_de({0, 0, 0, 0, -1, 0, 0, 0}, 5));
    EXPECT_EQ(rang(g, 4), ligne_de({0, 0, 0, 0, 1, 0, 0, 0}, 4));
    EXPECT_EQ(rang(g, 3), ligne_de({0, 0, 0, 0, 0, 3, 0, 0}, 3));
    EXPECT_EQ(rang(g, 1), ligne_de({5, 3, 4, 6, 2, 4, 0, 5}, 1));

    // A take-back: the board is the shorter game.
    envoie(&m, "position startpos moves e2e4 e7e5\n");
    g = grille(&m);
    EXPECT_EQ(rang(g, 3), VIDE_RANG_3);
    EXPECT_EQ(rang(g, 1), ligne_de({5, 3, 4, 6, 2, 4, 3, 5}, 1));

    // A new game without "ucinewgame".
    envoie(&m, "position startpos moves d2d4\n");
    g = grille(&m);
    EXPECT_EQ(rang(g, 5), ligne_de({0, 0, 0, 0, 0, 0, 0, 0}, 5));
    EXPECT_EQ(rang(g, 4), ligne_de({0, 0, 0, 1, 0, 0, 0, 0}, 4));
    EXPECT_EQ(rang(g, 2), ligne_de({1, 1, 1, 0, 1, 1, 1, 1}, 2));
    EXPECT_EQ(ferme_moteur(&m), 0);
}

// A last move glued to the one before it, after a line that did not have that one: the line
// names another game, which the engine sets up before it answers (for black here).
TEST(Protocole, DernierCoupColleAuPrecedent) {
    Tmoteur m = lance_moteur();
    Tgarde garde{&m};
    envoie(&m, "ucinewgame\nposition startpos moves e2e4 e7e5\n");
    envoie(&m, "position startpos moves e2e4 e7e5 g1f3b8c6\n");
    const std::vector<std::string> g = grille(&m);
    EXPECT_EQ(rang(g, 8), ligne_de({-5, -3, -4, -6, -2, -4, -3, -5}, 8));
    EXPECT_EQ(rang(g, 3), ligne_de({0, 0, 0, 0, 0, 3, 0, 0}, 3));
    envoie(&m, "go depth 2\n");
    std::vector<std::string> lues;
    ASSERT_TRUE(attend_ligne(&m, "bestmove ", &lues, 30000));
    // Black's move: from rank 7 or 8 (black has moved only its e-pawn to rank 5).
    const char rang_depart = lues.back().at(10);
    EXPECT_TRUE(rang_depart == '7' || rang_depart == '8' || lues.back() == "bestmove e5e4")
        << lues.back();
    EXPECT_EQ(ferme_moteur(&m), 0);
}

TEST(Protocole, QuirksDeLaListe) {
    Tmoteur m = lance_moteur();
    Tgarde garde{&m};
    // Two blanks end the list: only e2e4 is played.
    envoie(&m, "position startpos moves e2e4  e7e5\n");
    std::vector<std::string> g = grille(&m);
    EXPECT_EQ(rang(g, 5), ligne_de({0, 0, 0, 0, 0, 0, 0, 0}, 5));
    EXPECT_EQ(rang(g, 4), ligne_de({0, 0, 0, 0, 1, 0, 0, 0}, 4));
    // "STARTPOS" in capitals: the board is reset and the move is not played.
    envoie(&m, "position STARTPOS moves e2e4\n");
    g = grille(&m);
    EXPECT_EQ(rang(g, 4), ligne_de({0, 0, 0, 0, 0, 0, 0, 0}, 4));
    // Leading blanks and a bad rank digit: refused, nothing changes.
    envoie(&m, " position startpos moves d2d4\nposition startpos moves d2d9\n");
    EXPECT_EQ(jusqu_a_readyok(&m), (std::vector<std::string>{ERREUR, ERREUR}));
    g = grille(&m);
    EXPECT_EQ(rang(g, 2), ligne_de({1, 1, 1, 1, 1, 1, 1, 1}, 2));
    EXPECT_EQ(ferme_moteur(&m), 0);
}

TEST(Protocole, Promotions) {
    Tmoteur m = lance_moteur();
    Tgarde garde{&m};
    const std::string jusqu_a_b7 =
        "position startpos moves e2e4 d7d5 e4d5 c7c6 d5c6 b8a6 c6b7 a6c5";
    envoie(&m, jusqu_a_b7 + " b7a8n\n");
    std::vector<std::string> g = grille(&m);
    EXPECT_EQ(rang(g, 8), ligne_de({3, 0, -4, -6, -2, -4, -3, -5}, 8));
    // The same game with the queen: another game, set up again from the start.
    envoie(&m, jusqu_a_b7 + " b7a8Q g8f6\n");
    g = grille(&m);
    EXPECT_EQ(rang(g, 8), ligne_de({6, 0, -4, -6, -2, -4, 0, -5}, 8));
    // Then the game goes on with one move at a time; a letter on a knight move changes nothing.
    envoie(&m, jusqu_a_b7 + " b7a8q g8f6 g1f3q\n");
    g = grille(&m);
    EXPECT_EQ(rang(g, 3), ligne_de({0, 0, 0, 0, 0, 3, 0, 0}, 3));
    EXPECT_EQ(rang(g, 8), ligne_de({6, 0, -4, -6, -2, -4, 0, -5}, 8));
    EXPECT_EQ(ferme_moteur(&m), 0);
}

TEST(Protocole, GoDepth2UneLigneInfoPuisBestmove) {
    Tmoteur m = lance_moteur();
    Tgarde garde{&m};
    envoie(&m, "ucinewgame\nposition startpos moves e2e4\ngo depth 2\n");
    std::vector<std::string> lues;
    ASSERT_TRUE(attend_ligne(&m, "bestmove", &lues, 60000));
    ASSERT_EQ(lues.size(), 2u);
    std::smatch trouve;
    const std::regex info(
        "info depth 2 nodes [0-9]+ time [0-9]+ nps [0-9]+ score cp -?[0-9]+ pv "
        "([a-h][1-8][a-h][1-8])");
    ASSERT_TRUE(std::regex_match(lues[0], trouve, info)) << lues[0];
    EXPECT_EQ(lues[1], "bestmove " + trouve[1].str());
    // The answer is a black move, and it is on the board: the game goes on from it.
    EXPECT_TRUE(lues[1][10] == '7' || lues[1][10] == '8') << lues[1];
    EXPECT_EQ(jusqu_a_readyok(&m), std::vector<std::string>{});
    std::string reste;
    EXPECT_EQ(ferme_moteur(&m, 10000, &reste), 0);
    EXPECT_EQ(reste, "");
}

TEST(Protocole, LesLignesRecuesPendantUneRechercheSontTraiteesApres) {
    Tmoteur m = lance_moteur();
    Tgarde garde{&m};
    // Everything after "go" arrives while the search runs (or just after it).
    envoie(&m,
           "position startpos\ngo depth 4\nuci\nposition startpos moves e2e4\nchess\nisready\n");
    std::vector<std::string> lues;
    ASSERT_TRUE(attend_ligne(&m, "uciok", &lues, 60000));
    int readyok = 0;
    size_t bestmove = lues.size();
    for (size_t i = 0; i < lues.size(); i++) {
        if (lues[i] == "readyok") readyok++;
        if (lues[i].rfind("bestmove", 0) == 0) bestmove = i;
    }
    // "isready" is answered once, at once or afterwards; "uci" waits for the answer.
    ASSERT_LT(bestmove, lues.size());
    EXPECT_EQ(lues[bestmove + 1], "id name Quorvik 0.14");
    std::vector<std::string> suite;
    ASSERT_TRUE(attend_ligne(&m, "   A", &suite, 30000));
    for (const std::string& l : suite) readyok += l == "readyok";
    // The kept position line set the board after the engine's own move: e2e4 alone.
    std::vector<std::string> sans_ready;
    for (const std::string& l : suite) {
        if (l != "readyok") sans_ready.push_back(l);
    }
    ASSERT_EQ(sans_ready.size(), 22u);
    EXPECT_EQ(rang(sans_ready, 4), ligne_de({0, 0, 0, 0, 1, 0, 0, 0}, 4));
    EXPECT_EQ(rang(sans_ready, 3), VIDE_RANG_3);
    EXPECT_EQ(rang(sans_ready, 1), ligne_de({5, 3, 4, 6, 2, 4, 3, 5}, 1));
    std::string reste;
    EXPECT_EQ(ferme_moteur(&m, 10000, &reste), 0);
    for (const std::string& l : lignes(reste)) readyok += l == "readyok";
    EXPECT_EQ(readyok, 1);
}

TEST(Protocole, StopEtFinDEntreePendantGoInfinite) {
    {
        Tmoteur m = lance_moteur();
        Tgarde garde{&m};
        envoie(&m, "position startpos\ngo infinite\n");
        std::vector<std::string> lues;
        ASSERT_TRUE(attend_ligne(&m, "info depth 2", &lues, 30000));
        envoie(&m, "stop\n");
        ASSERT_TRUE(attend_ligne(&m, "bestmove", &lues, 60000));
        EXPECT_EQ(jusqu_a_readyok(&m), std::vector<std::string>{});
        EXPECT_EQ(ferme_moteur(&m), 0);
    }
    {
        // The interface goes away: the search ends, answers and the engine exits.
        Tmoteur m = lance_moteur();
        Tgarde garde{&m};
        envoie(&m, "position startpos\ngo infinite\n");
        std::vector<std::string> lues;
        ASSERT_TRUE(attend_ligne(&m, "info depth 2", &lues, 30000));
        std::string reste;
        EXPECT_EQ(ferme_moteur(&m, 60000, &reste), 0);
        EXPECT_NE(reste.find("bestmove "), std::string::npos) << reste;
    }
    {
        // "quit" with the input still open: the answer, then the end.
        Tmoteur m = lance_moteur();
        Tgarde garde{&m};
        envoie(&m, "position startpos\ngo infinite\n");
        std::vector<std::string> lues;
        ASSERT_TRUE(attend_ligne(&m, "info depth 2", &lues, 30000));
        envoie(&m, "quit\n");
        int statut = -1;
        EXPECT_TRUE(attend_fin(&m, 60000, &statut));
        EXPECT_EQ(statut, 0);
        std::string reste;
        ferme_moteur(&m, 5000, &reste);
        const std::vector<std::string> l = lignes(reste);
        ASSERT_FALSE(l.empty());
        EXPECT_EQ(l.back().rfind("bestmove ", 0), 0u) << reste;
    }
}

TEST(Protocole, FinDEntreeEtQuitTerminentAvecLeStatut0) {
    {
        Tmoteur m = lance_moteur();
        Tgarde garde{&m};
        envoie(&m, "isready\n");
        std::string ligne;
        ASSERT_TRUE(lit_ligne_moteur(&m, &ligne, 10000));
        EXPECT_EQ(ligne, "readyok");
        std::string reste;
        EXPECT_EQ(ferme_moteur(&m, 10000, &reste), 0);
        EXPECT_EQ(reste, "");
    }
    {
        // "quit" ends the engine with its input still open; what follows is not read.
        Tmoteur m = lance_moteur();
        Tgarde garde{&m};
        envoie(&m, "quit\nuci\n");
        int statut = -1;
        const bool fini = attend_fin(&m, 10000, &statut);
        std::string reste;
        ferme_moteur(&m, 10000, &reste);  // collects what it printed; kills it if it lingers
        EXPECT_TRUE(fini);
        EXPECT_EQ(statut, 0);
        EXPECT_EQ(reste, "");
    }
    {
        int statut = -1;
        EXPECT_EQ(execute_en_processus("", &statut, 10000), "");
        EXPECT_EQ(statut, 0);
        EXPECT_EQ(execute_en_processus("uci\nQuit\nisready\n", &statut, 10000).find("readyok"),
                  std::string::npos);
        EXPECT_EQ(statut, 0);
    }
}

TEST(Protocole, QuitPendantUneRechercheAttendLaReponse) {
    Tmoteur m = lance_moteur();
    Tgarde garde{&m};
    envoie(&m, "position startpos\ngo depth 4\nquit\nisready\n");
    int statut = -1;
    EXPECT_TRUE(attend_fin(&m, 60000, &statut));
    EXPECT_EQ(statut, 0);
    std::string sortie;
    ferme_moteur(&m, 5000, &sortie);
    const std::vector<std::string> l = lignes(sortie);
    // "isready" may be answered during the search, never after "quit".
    ASSERT_FALSE(l.empty());
    EXPECT_EQ(l.back().rfind("bestmove ", 0), 0u) << sortie;
}

TEST(Protocole, SortieFermeeSansPlantage) {
    int entree[2], sortie[2], erreurs[2];
    ASSERT_EQ(pipe(entree), 0);
    ASSERT_EQ(pipe(sortie), 0);
    ASSERT_EQ(pipe(erreurs), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(entree[0], 0);
        dup2(sortie[1], 1);
        dup2(erreurs[1], 2);
        for (int fd : {entree[0], entree[1], sortie[0], sortie[1], erreurs[0], erreurs[1]})
            close(fd);
        execl(chemin_moteur(), chemin_moteur(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(entree[0]);
    close(sortie[1]);
    close(erreurs[1]);
    close(sortie[0]);  // nobody reads the answers
    signal(SIGPIPE, SIG_IGN);
    const std::string script =
        "uci\nisready\nfoo\nposition startpos moves e2e4\nchess\ngo depth 2\nperft depth 2\n";
    [[maybe_unused]] const ssize_t ecrits = write(entree[1], script.data(), script.size());
    close(entree[1]);

    int etat = 0;
    pid_t fini = 0;
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while ((fini = waitpid(pid, &etat, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < limite) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (fini != pid) {
        kill(pid, SIGKILL);
        waitpid(pid, &etat, 0);
        ADD_FAILURE() << "the engine did not end";
    }
    EXPECT_TRUE(WIFEXITED(etat)) << "signal " << (WIFSIGNALED(etat) ? WTERMSIG(etat) : 0);
    EXPECT_EQ(WIFEXITED(etat) ? WEXITSTATUS(etat) : -1, 0);
    std::string texte_erreurs;
    char bloc[4096];
    ssize_t n;
    while ((n = read(erreurs[0], bloc, sizeof bloc)) > 0)
        texte_erreurs.append(bloc, static_cast<size_t>(n));
    close(erreurs[0]);
    EXPECT_EQ(texte_erreurs, "");
}

TEST(Protocole, LigneDe5000Caracteres) {
    // About a thousand moves that bring the knights home, then e2e4.
    std::string ligne = "position startpos moves";
    for (int i = 0; i < 249; i++) ligne += " g1f3 g8f6 f3g1 f6g8";
    ligne += " e2e4";
    ASSERT_GT(ligne.size(), 5000u);
    Tmoteur m = lance_moteur();
    Tgarde garde{&m};
    envoie(&m, ligne + "\n");
    std::vector<std::string> g = grille(&m);
    EXPECT_EQ(rang(g, 8), ligne_de({-5, -3, -4, -6, -2, -4, -3, -5}, 8));
    EXPECT_EQ(rang(g, 4), ligne_de({0, 0, 0, 0, 1, 0, 0, 0}, 4));
    EXPECT_EQ(rang(g, 1), ligne_de({5, 3, 4, 6, 2, 4, 3, 5}, 1));
    // One long unknown line gives one answer, not one per piece of it.
    envoie(&m, std::string(5000, 'x') + "\n");
    EXPECT_EQ(jusqu_a_readyok(&m), std::vector<std::string>{ERREUR});
    // The game goes on from the long line: black to move.
    envoie(&m, ligne + " e7e5\n");
    g = grille(&m);
    EXPECT_EQ(rang(g, 5), ligne_de({0, 0, 0, 0, -1, 0, 0, 0}, 5));
    EXPECT_EQ(ferme_moteur(&m), 0);
}

// The script is one of the sessions that the WebAssembly builds also run (tests/web).
TEST(Protocole, LesDeuxRoutesRepondentPareilAuxQuirks) {
    std::ifstream fichier(QUORVIK_SESSIONS "/lecture.uci", std::ios::binary);
    const std::string script{std::istreambuf_iterator<char>(fichier), {}};
    ASSERT_FALSE(script.empty());
    int statut = -1;
    const std::string processus = execute_en_processus(script, &statut, 30000);
    EXPECT_EQ(statut, 0);
    EXPECT_EQ(processus, execute_en_memoire(script));
}

// A GUI's analysis board: positions sent as FEN with moves after them, searches of every
// kind, a refused FEN between them. Every answer must be a legal move of the position the
// engine was given, as the referee (stockfish) sees it from the same line.
TEST(Protocole, AnalyseDePositionsDonneesEnFen) {
    Tarbitre arbitre;
    const bool avec_arbitre = demarre_arbitre(&arbitre);
    Tmoteur m = lance_moteur();
    Tgarde garde{&m};
    const std::string milieu =
        "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1 "
        "moves e2a6 b4c3";
    const std::regex info(
        "info depth [0-9]+ nodes [0-9]+ time [0-9]+ nps [0-9]+ score cp -?[0-9]+ pv "
        "[a-h][1-8][a-h][1-8]q?");
    // Sends the lines, reads the search's answer; returns the move, checked against the
    // referee's legal moves after `position` when the referee is there.
    auto analyse = [&](const std::string& lignes, const std::string& position) {
        envoie(&m, lignes);
        std::vector<std::string> lues;
        EXPECT_TRUE(attend_ligne(&m, "bestmove ", &lues, 60000)) << lignes;
        if (lues.empty()) return std::string();
        EXPECT_GE(lues.size(), 2u) << lignes;
        for (size_t k = 0; k + 1 < lues.size(); k++) {
            EXPECT_TRUE(std::regex_match(lues[k], info)) << lues[k];
        }
        const std::string coup = lues.back().substr(9);
        if (avec_arbitre) {
            std::set<std::string> legaux;
            uint64_t total = 0;
            EXPECT_TRUE(perft_arbitre_apres(&arbitre, position + "\n", 1, &total, &legaux));
            EXPECT_EQ(legaux.count(coup), 1u) << coup << " after " << position;
        }
        return coup;
    };

    envoie(&m, "uci\nucinewgame\n");
    ASSERT_TRUE(attend_ligne(&m, "uciok", nullptr, 10000));
    const std::string premier = analyse(milieu + "\ngo depth 3\n", milieu);
    // A refused FEN changes nothing: the next search is on the game as it stood, which
    // holds the engine's own answer.
    envoie(&m, "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq\n");
    EXPECT_EQ(jusqu_a_readyok(&m), std::vector<std::string>{ERREUR});
    analyse("go depth 2\n", milieu + " " + premier);
    // Black to move with an en passant capture on offer, searched by the clock.
    const std::string tour_et_pions =
        "position fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1 "
        "moves e2e4";
    analyse(tour_et_pions + "\ngo wtime 3000 btime 3000\n", tour_et_pions);
    // Promotions on both sides; "go infinite" until "stop".
    const std::string promotions = "position fen n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1";
    envoie(&m, promotions + "\ngo infinite\n");
    ASSERT_TRUE(attend_ligne(&m, "info depth 2 ", nullptr, 30000));
    analyse("stop\n", promotions);
    // Back to a game from the initial position.
    analyse("position startpos moves e2e4\ngo depth 2\n", "position startpos moves e2e4");
    EXPECT_EQ(ferme_moteur(&m), 0);
    if (avec_arbitre) arrete_arbitre(&arbitre);
}
