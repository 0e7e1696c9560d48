// SPDX-License-Identifier: GPL-3.0-or-later
// An independent referee for the rules: Debian's stockfish, driven as a child process
// through pipes. It lists the legal moves of a position reached from the initial one or
// given as FEN ("go perft 1") and counts move paths. Header only, so that the test
// executable needs no extra source file. Every read has a deadline: a referee that hangs
// fails the caller, it never blocks the suite.
#ifndef QUORVIK_ARBITRE_H
#define QUORVIK_ARBITRE_H

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

struct Tarbitre {
    pid_t pid = -1;
    int vers_arbitre = -1;    // write end of its standard input
    int depuis_arbitre = -1;  // read end of its standard output
    std::string recu;         // read, not yet handed out as lines
};

// The referee's binary, or an empty string when it is not installed.
inline std::string chemin_arbitre() {
    for (const char* chemin : {"/usr/games/stockfish", "/usr/bin/stockfish"}) {
        if (access(chemin, X_OK) == 0) return chemin;
    }
    return "";
}

inline void arbitre_envoie(Tarbitre* a, const std::string& texte) {
    size_t ecrits = 0;
    while (ecrits < texte.size() && a->vers_arbitre >= 0) {
        const ssize_t n = write(a->vers_arbitre, texte.data() + ecrits, texte.size() - ecrits);
        if (n <= 0) return;
        ecrits += static_cast<size_t>(n);
    }
}

// The next line it prints, without its line feed; false when none comes before the delay
// runs out or its output ends.
inline bool arbitre_lit_ligne(Tarbitre* a, std::string* ligne, int delai_ms) {
    using horloge = std::chrono::steady_clock;
    const auto limite = horloge::now() + std::chrono::milliseconds(delai_ms);
    for (;;) {
        const size_t fin = a->recu.find('\n');
        if (fin != std::string::npos) {
            ligne->assign(a->recu, 0, fin);
            if (!ligne->empty() && ligne->back() == '\r') ligne->pop_back();
            a->recu.erase(0, fin + 1);
            return true;
        }
        const auto reste =
            std::chrono::duration_cast<std::chrono::milliseconds>(limite - horloge::now()).count();
        if (reste <= 0 || a->depuis_arbitre < 0) return false;
        pollfd attente{a->depuis_arbitre, POLLIN, 0};
        if (poll(&attente, 1, static_cast<int>(reste)) <= 0) return false;
        char bloc[16384];
        const ssize_t n = read(a->depuis_arbitre, bloc, sizeof bloc);
        if (n <= 0) {
            close(a->depuis_arbitre);
            a->depuis_arbitre = -1;
            return false;
        }
        a->recu.append(bloc, static_cast<size_t>(n));
    }
}

// Reads lines until one starts with `debut`.
inline bool arbitre_attend(Tarbitre* a, const std::string& debut, int delai_ms) {
    std::string ligne;
    while (arbitre_lit_ligne(a, &ligne, delai_ms)) {
        if (ligne.rfind(debut, 0) == 0) return true;
    }
    return false;
}

inline void arrete_arbitre(Tarbitre* a) {
    if (a->pid <= 0) return;
    arbitre_envoie(a, "quit\n");
    if (a->vers_arbitre >= 0) close(a->vers_arbitre);
    a->vers_arbitre = -1;
    int etat = 0;
    bool fini = false;
    for (int essai = 0; essai < 200 && !fini; essai++) {
        fini = waitpid(a->pid, &etat, WNOHANG) == a->pid;
        if (!fini) usleep(10000);
    }
    if (!fini) {
        kill(a->pid, SIGKILL);
        waitpid(a->pid, &etat, 0);
    }
    a->pid = -1;
    if (a->depuis_arbitre >= 0) close(a->depuis_arbitre);
    a->depuis_arbitre = -1;
    a->recu.clear();
}

// Starts the referee and waits until it has answered "uciok" and "readyok". False when it
// is not installed or does not answer.
inline bool demarre_arbitre(Tarbitre* a, int delai_ms = 20000) {
    const std::string chemin = chemin_arbitre();
    if (chemin.empty()) return false;
    int entree[2], sortie[2];
    if (pipe(entree) != 0) return false;
    if (pipe(sortie) != 0) {
        close(entree[0]);
        close(entree[1]);
        return false;
    }
    signal(SIGPIPE, SIG_IGN);
    a->pid = fork();
    if (a->pid == 0) {
        dup2(entree[0], 0);
        dup2(sortie[1], 1);
        const int nul = open("/dev/null", O_WRONLY);
        if (nul >= 0) dup2(nul, 2);
        close(entree[0]);
        close(entree[1]);
        close(sortie[0]);
        close(sortie[1]);
        execl(chemin.c_str(), chemin.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(entree[0]);
    close(sortie[1]);
    a->vers_arbitre = entree[1];
    a->depuis_arbitre = sortie[0];
    if (a->pid < 0) {
        arrete_arbitre(a);
        return false;
    }
    arbitre_envoie(a, "uci\n");
    bool pret = arbitre_attend(a, "uciok", delai_ms);
    if (pret) {
        arbitre_envoie(a, "isready\n");
        pret = arbitre_attend(a, "readyok", delai_ms);
    }
    if (!pret) arrete_arbitre(a);
    return pret;
}

// The position line for a game from the initial position (blank-separated UCI moves).
inline std::string ligne_position(const std::string& coups) {
    return coups.empty() ? "position startpos\n" : "position startpos moves " + coups + "\n";
}

// Runs "go perft <profondeur>" after a position line and puts the number of move paths in
// *total. The moves of the first ply go to *coups_premier_niveau when given, in UCI text
// ("e7e8q" for a promotion). False when the output does not come or does not add up.
inline bool perft_arbitre_apres(Tarbitre* a, const std::string& position, int profondeur,
                                uint64_t* total, std::set<std::string>* coups_premier_niveau,
                                int delai_ms = 20000) {
    if (coups_premier_niveau != nullptr) coups_premier_niveau->clear();
    arbitre_envoie(a, position + "go perft " + std::to_string(profondeur) + "\n");
    uint64_t somme = 0;
    std::string ligne;
    while (arbitre_lit_ligne(a, &ligne, delai_ms)) {
        const std::string fin = "Nodes searched: ";
        if (ligne.rfind(fin, 0) == 0) {
            *total = std::strtoull(ligne.c_str() + fin.size(), nullptr, 10);
            return *total == somme;
        }
        // A move line: "e2e4: 1" or "e7e8q: 1".
        const size_t deux_points = ligne.find(": ");
        if (deux_points != 4 && deux_points != 5) continue;
        const std::string coup = ligne.substr(0, deux_points);
        if (coup[0] < 'a' || coup[0] > 'h' || coup[1] < '1' || coup[1] > '8' || coup[2] < 'a' ||
            coup[2] > 'h' || coup[3] < '1' || coup[3] > '8') {
            continue;
        }
        somme += std::strtoull(ligne.c_str() + deux_points + 2, nullptr, 10);
        if (coups_premier_niveau != nullptr) coups_premier_niveau->insert(coup);
    }
    return false;
}

// The same after the game `coups` from the initial position.
inline bool perft_arbitre(Tarbitre* a, const std::string& coups, int profondeur, uint64_t* total,
                          std::set<std::string>* coups_premier_niveau = nullptr,
                          int delai_ms = 20000) {
    return perft_arbitre_apres(a, ligne_position(coups), profondeur, total, coups_premier_niveau,
                               delai_ms);
}

// Runs "go <limites>" after a position line; *mat gets the last "score mate" before
// "bestmove" (moves of the side to move, negative when it is the one mated), 0 when the
// last score is not a mate. False when "bestmove" does not come.
inline bool mat_arbitre_apres(Tarbitre* a, const std::string& position, const std::string& limites,
                              int* mat, int delai_ms = 60000) {
    arbitre_envoie(a, position + "go " + limites + "\n");
    *mat = 0;
    std::string ligne;
    while (arbitre_lit_ligne(a, &ligne, delai_ms)) {
        if (ligne.rfind("bestmove", 0) == 0) return true;
        const size_t score = ligne.find(" score ");
        if (score == std::string::npos || ligne.find("bound") != std::string::npos) continue;
        *mat = ligne.compare(score, 12, " score mate ") == 0
                   ? std::atoi(ligne.c_str() + score + 12)
                   : 0;
    }
    return false;
}

// The legal moves after the game `coups`, in UCI text (promotions carry their letter).
inline bool coups_legaux_arbitre(Tarbitre* a, const std::string& coups,
                                 std::set<std::string>* legaux) {
    uint64_t total = 0;
    return perft_arbitre(a, coups, 1, &total, legaux) && total == legaux->size();
}

// The legal moves of a position given as FEN.
inline bool coups_legaux_arbitre_fen(Tarbitre* a, const std::string& fen,
                                     std::set<std::string>* legaux) {
    uint64_t total = 0;
    return perft_arbitre_apres(a, "position fen " + fen + "\n", 1, &total, legaux) &&
           total == legaux->size();
}

#endif
