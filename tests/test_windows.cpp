// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows build (quorvik.exe, cross-built with cmake/mingw-w64.cmake) under Wine.
// Under Wine a Unix pipe is no Windows pipe, so the engine could not poll it; the relay of
// tests/windows starts the engine on an anonymous Windows pipe, as a Windows interface
// does, and forwards our lines into it. Skipped when Wine, the exe or the relay is absent
// (tools/test-all builds both when Wine is installed).
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "aide_tests.h"

namespace {

std::string dossier_des_sources() {
    const std::string fichier = __FILE__;
    return fichier.substr(0, fichier.rfind("/tests/"));
}

std::string chemin(const char* variable, const std::string& defaut) {
    const char* valeur = std::getenv(variable);
    return valeur != nullptr && *valeur != '\0' ? valeur : defaut;
}

bool existe(const std::string& fichier) { return access(fichier.c_str(), F_OK) == 0; }

// The program `nom` on the PATH, or "".
std::string dans_le_path(const std::string& nom) {
    const char* path = std::getenv("PATH");
    std::string reste = path != nullptr ? path : "";
    size_t debut = 0;
    while (debut <= reste.size()) {
        size_t fin = reste.find(':', debut);
        if (fin == std::string::npos) fin = reste.size();
        std::string candidat = reste.substr(debut, fin - debut) + "/" + nom;
        if (fin > debut && access(candidat.c_str(), X_OK) == 0) return candidat;
        debut = fin + 1;
    }
    return "";
}

struct Twindows {
    std::string wine;
    std::string exe;
    std::string relais;
};

Twindows windows;

// The engine under Wine behind the relay, its input and output on pipes.
Tmoteur lance_sous_wine() {
    int entree[2], sortie[2];
    if (pipe(entree) != 0 || pipe(sortie) != 0) std::abort();
    Tmoteur m;
    m.pid = fork();
    if (m.pid == 0) {
        dup2(entree[0], 0);
        dup2(sortie[1], 1);
        close(entree[0]);
        close(entree[1]);
        close(sortie[0]);
        close(sortie[1]);
        execl(windows.wine.c_str(), windows.wine.c_str(), windows.relais.c_str(),
              windows.exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(entree[0]);
    close(sortie[1]);
    m.vers_moteur = entree[1];
    m.depuis_moteur = sortie[0];
    signal(SIGPIPE, SIG_IGN);
    return m;
}

// The engine on a pseudo-terminal: Wine gives it a console, so that its input is polled as
// console events (keys typed), not as a pipe.
Tmoteur lance_sur_console() {
    int maitre = -1;
    Tmoteur m;
    m.pid = forkpty(&maitre, nullptr, nullptr, nullptr);
    if (m.pid == 0) {
        execl(windows.wine.c_str(), windows.wine.c_str(), windows.exe.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    if (m.pid < 0) std::abort();
    m.vers_moteur = maitre;
    m.depuis_moteur = dup(maitre);
    return m;
}

// Reads console lines, without the terminal's cursor escapes and CRs, until one starts
// with `debut`; all of them go to *lues.
bool attend_sur_console(Tmoteur* m, const std::string& debut, std::vector<std::string>* lues,
                        int delai_ms) {
    static const std::regex sequences("\x1b\\[[0-9;?]*[A-Za-z]|\r");
    std::string ligne;
    while (lit_ligne_moteur(m, &ligne, delai_ms)) {
        lues->push_back(std::regex_replace(ligne, sequences, ""));
        if (lues->back().rfind(debut, 0) == 0) return true;
    }
    return false;
}

// Ends the engine when a test leaves early on a failed assertion.
struct Tgarde {
    Tmoteur* moteur;
    ~Tgarde() {
        if (moteur->pid > 0) ferme_moteur(moteur, 10000);
    }
};

// Time and speed differ from run to run; everything else of the "info" line must not.
std::string sans_durees(const std::string& texte) {
    static const std::regex durees("time [0-9]+ nps [0-9]+");
    return std::regex_replace(texte, durees, "time T nps S");
}

// A search that runs until it is told to end, seen running at depth 2.
void lance_go_infinite(Tmoteur* m) {
    envoie(m, "position startpos moves e2e4\ngo infinite\n");
    std::vector<std::string> lues;
    ASSERT_TRUE(attend_ligne(m, "info depth 2", &lues, 60000));
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
#if defined(__SANITIZE_ADDRESS__)
        GTEST_SKIP() << "quorvik.exe is the same whichever build drives it: tested once, "
                        "from the release suite";
#endif
        windows.wine = dans_le_path("wine");
        const std::string build = dossier_des_sources() + "/build-win";
        windows.exe = chemin("QUORVIK_EXE_WINDOWS", build + "/quorvik.exe");
        windows.relais = chemin("QUORVIK_RELAIS_WINDOWS", build + "/relais/relais.exe");
        if (windows.wine.empty()) GTEST_SKIP() << "wine is not installed";
        if (!existe(windows.exe) || !existe(windows.relais)) {
            GTEST_SKIP() << "no cross-built " << windows.exe << " or " << windows.relais;
        }
        // A Wine set-up of our own, made once (the first start takes a while), under a lock
        // because the tests may run side by side.
        const std::string prefixe =
            chemin("QUORVIK_WINEPREFIX", windows.exe.substr(0, windows.exe.rfind('/')) + "/wine");
        setenv("WINEPREFIX", prefixe.c_str(), 1);
        setenv("WINEDEBUG", "-all", 1);
        if (!existe(prefixe + "/system.reg")) {
            const std::string commande = "flock '" + prefixe + ".verrou' sh -c 'test -f '\\''" +
                                         prefixe + "/system.reg'\\'' || wineboot -i' " +
                                         ">/dev/null 2>&1 </dev/null";
            ASSERT_EQ(std::system(commande.c_str()), 0) << commande;
        }
    }
};

TEST_F(Windows, RepondCommeLaVersionLinux) {
    // Handshake, an unknown word, CR LF lines, searches (one answered with a promotion),
    // move-path counts and the board; then the end of input ends the engine.
    const std::string script =
        "uci\r\n"
        "isready\n"
        "bonjour\n"
        "position startpos moves e2e4 e7e5\r\n"
        "go depth 4\n"
        "position startpos moves e2e4 d7d5 e4d5 c7c6 d5c6 b8a6 c6b7 a6c5\n"
        "go depth 3\n"
        "chess\n"
        "perft depth 3\n"
        "ucinewgame\n"
        "go depth 2\n";
    Tmoteur m = lance_sous_wine();
    Tgarde garde{&m};
    envoie(&m, script);
    std::string sous_wine;
    ASSERT_EQ(ferme_moteur(&m, 120000, &sous_wine), 0) << sous_wine;
    int statut = -1;
    const std::string sous_linux = execute_en_processus(script, &statut);
    ASSERT_EQ(statut, 0);

    EXPECT_EQ(sous_wine.find('\r'), std::string::npos) << "answers end in LF alone";
    EXPECT_EQ(sans_durees(sous_wine), sans_durees(sous_linux));
    const std::vector<std::string> l = lignes(sous_wine);
    const size_t n = BLOC_UCI.size();
    ASSERT_GE(l.size(), n + 6);
    EXPECT_EQ(std::vector<std::string>(l.begin(), l.begin() + static_cast<long>(n)), BLOC_UCI);
    EXPECT_EQ(l[n], "readyok");
    EXPECT_EQ(l[n + 1], "Commande non reconnue");
    EXPECT_EQ(sans_durees(l[n + 2]), "info depth 4 nodes 37505 time T nps S score cp 10 pv f1b5");
    EXPECT_EQ(l[n + 3], "bestmove f1b5");
    EXPECT_EQ(sans_durees(l[n + 4]), "info depth 3 nodes 3853 time T nps S score cp 1585 pv b7a8q");
    EXPECT_EQ(l[n + 5], "bestmove b7a8q");
}

TEST_F(Windows, StopFinitGoInfinite) {
    Tmoteur m = lance_sous_wine();
    Tgarde garde{&m};
    ASSERT_NO_FATAL_FAILURE(lance_go_infinite(&m));
    envoie(&m, "stop\n");
    std::vector<std::string> lues;
    ASSERT_TRUE(attend_ligne(&m, "bestmove ", &lues, 60000));
    // The engine is back in its command loop and the game goes on.
    envoie(&m, "isready\n");
    std::string ligne;
    ASSERT_TRUE(lit_ligne_moteur(&m, &ligne, 10000));
    EXPECT_EQ(ligne, "readyok");
    std::string reste;
    EXPECT_EQ(ferme_moteur(&m, 30000, &reste), 0);
    EXPECT_EQ(reste, "");
}

TEST_F(Windows, IsreadyAuCoursDeLaRechercheEtLignesGardees) {
    // "isready" is answered while the search runs; "uci" waits for the answer. Reading only
    // what waits in the pipe is what lets "readyok" out before "stop" is sent.
    Tmoteur m = lance_sous_wine();
    Tgarde garde{&m};
    ASSERT_NO_FATAL_FAILURE(lance_go_infinite(&m));
    envoie(&m, "isready\nuci\n");
    std::vector<std::string> avant;
    ASSERT_TRUE(attend_ligne(&m, "readyok", &avant, 30000));
    avant.pop_back();
    for (const std::string& l : avant) EXPECT_EQ(l.rfind("info depth ", 0), 0u) << l;
    envoie(&m, "stop\n");
    std::vector<std::string> apres;
    ASSERT_TRUE(attend_ligne(&m, "uciok", &apres, 60000));
    size_t bestmove = apres.size();
    for (size_t i = 0; i < apres.size(); i++) {
        if (apres[i].rfind("bestmove ", 0) == 0) bestmove = i;
    }
    ASSERT_LT(bestmove + 1, apres.size());
    EXPECT_EQ(apres[bestmove + 1], "id name Quorvik 0.14");
    EXPECT_EQ(ferme_moteur(&m, 30000), 0);
}

TEST_F(Windows, QuitPendantLaRecherche) {
    Tmoteur m = lance_sous_wine();
    Tgarde garde{&m};
    ASSERT_NO_FATAL_FAILURE(lance_go_infinite(&m));
    envoie(&m, "quit\n");  // the input stays open
    int statut = -1;
    EXPECT_TRUE(attend_fin(&m, 60000, &statut));
    EXPECT_EQ(statut, 0);
    std::string reste;
    ferme_moteur(&m, 5000, &reste);
    const std::vector<std::string> l = lignes(reste);
    ASSERT_FALSE(l.empty());
    EXPECT_EQ(l.back().rfind("bestmove ", 0), 0u) << reste;
}

TEST_F(Windows, FinDEntreePendantLaRecherche) {
    // The interface goes away: the search ends, answers and the engine exits.
    Tmoteur m = lance_sous_wine();
    Tgarde garde{&m};
    ASSERT_NO_FATAL_FAILURE(lance_go_infinite(&m));
    std::string reste;
    EXPECT_EQ(ferme_moteur(&m, 60000, &reste), 0);
    const std::vector<std::string> l = lignes(reste);
    ASSERT_FALSE(l.empty());
    EXPECT_EQ(l.back().rfind("bestmove ", 0), 0u) << reste;
}

TEST_F(Windows, ConsoleDesTouchesTapees) {
    // Typed lines, echoed by the console: the search polls the console's key events.
    Tmoteur m = lance_sur_console();
    Tgarde garde{&m};
    std::vector<std::string> lues;
    // Keys typed before the console is set up are lost: ask until the engine answers.
    bool pret = false;
    for (int essai = 0; essai < 60 && !pret; essai++) {
        envoie(&m, "isready\r");
        pret = attend_sur_console(&m, "readyok", &lues, 1000);
    }
    ASSERT_TRUE(pret);
    envoie(&m, "uci\r");
    ASSERT_TRUE(attend_sur_console(&m, "uciok", &lues, 30000));
    envoie(&m, "go infinite\r");
    ASSERT_TRUE(attend_sur_console(&m, "info depth 2", &lues, 60000));
    lues.clear();
    envoie(&m, "isready\r");
    ASSERT_TRUE(attend_sur_console(&m, "readyok", &lues, 30000));
    for (const std::string& l : lues) EXPECT_NE(l.rfind("bestmove", 0), 0u) << l;
    envoie(&m, "stop\r");
    ASSERT_TRUE(attend_sur_console(&m, "bestmove ", &lues, 60000));
    envoie(&m, "quit\r");
    int statut = -1;
    EXPECT_TRUE(attend_fin(&m, 30000, &statut));
    EXPECT_EQ(statut, 0);
}

}  // namespace
