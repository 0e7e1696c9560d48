// SPDX-License-Identifier: GPL-3.0-or-later
// Speed benchmarks. Each prints the work done as a signature that must not change when
// only speed changes (perft counts, node totals, chosen moves, the "info" lines), then
// time and speed:
//   1. "perft depth 6" from the initial position: the count in this process, then whole
//      processes as a user starts them, "echo 'perft depth 6' | build/quorvik" beside
//      "printf 'go perft 6\nquit\n' | /usr/games/stockfish" (Debian's stockfish package),
//      each run several times in turn; best and median;
//   2. the time from the engine's start to its "uciok";
//   3. two search suites, "go depth 5" from fixed positions, through the engine's search
//      (memo emptied before each run of a suite), with the memo off, and through the
//      straightforward reference search, with the speed-ups (best times of several runs);
//   4. "go infinite" from the Ruy Lopez after 5.O-O Be7, the time from "go" to each
//      depth's "info" line, until depth 9; again with UCI_AnalyseMode on at MultiPV 1 and
//      5 (the same nodes at each depth); the best of three runs each.
//   The suites run with analysis lines too (MultiPV 1 and 5), with the same signature.
// Usage: quorvik_banc [--sans-reference] [--sans-stockfish] [--repetitions N]
//                     [--profondeur-infinie D]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ai.h"
#include "ai_memoire.h"
#include "ai_reference.h"
#include "aide_tests.h"
#include "divers.h"
#include "gui_xboard.h"

namespace {

using horloge = std::chrono::steady_clock;

struct Tposition_banc {
    const char* nom;
    const char* coups;
};

// Openings, tactical middlegames and endgames with few pieces, as position lines give them.
const Tposition_banc SUITE[] = {
    {"initiale", ""},
    {"espagnole", "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6"},
    {"gambit dame", "d2d4 d7d5 c2c4 e7e6 b1c3 g8f6 c1g5 f8e7"},
    {"sicilienne", "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3 a7a6"},
    {"italienne", "e2e4 e7e5 g1f3 b8c6 f1c4 f8c5 c2c3 g8f6 d2d4 e5d4 c3d4 c5b4 c1d2 b4d2 b1d2 d7d5"},
    {"foie frit", "e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 f3g5 d7d5 e4d5 f6d5 g5f7 e8f7 d1f3 f7e6"},
    {"indienne roi",
     "d2d4 g8f6 c2c4 g7g6 b1c3 f8g7 e2e4 d7d6 g1f3 e8g8 f1e2 e7e5 e1g1 b8c6 d4d5 c6e7"},
    {"scandinave", "e2e4 d7d5 e4d5 d8d5 b1c3 d5a5 d2d4 g8f6 g1f3 c8f5 f3e5 c7c6 g2g4 f5e4"},
    {"finale tour fou",
     "g1h3 a7a5 e2e4 a8a7 h3f4 a5a4 d1f3 h7h6 d2d3 e7e6 f4e6 a7a6 c1h6 h8h6 e6d8 e8d8 f3f7 h6h2 "
     "h1h2 a6a8 f7g7 c7c5 h2h5 f8g7 h5c5 g7b2 f1e2 b2a1 c5c8 d8c8 b1d2 a8a7 e2h5 a4a3 h5e8 c8d8 "
     "g2g3 d8e8 d2b1 e8d8 b1a3 a7a3 c2c3 a1c3 e1e2 a3a2 e2d1 a2f2 e4e5 c3e5 d1e1 e5g3 d3d4 g8h6 "
     "d4d5 d8c7 e1d1 f2f3 d1d2 f3f1 d2c3 h6g8 c3d3 f1d1 d3c2 d1d5"},
    {"finale pieces",
     "g2g3 c7c5 b1c3 d8a5 f2f4 e7e5 f4e5 a5c3 b2c3 e8e7 c3c4 f7f5 c1a3 h7h6 e2e3 e7f7 d2d3 b7b5 "
     "f1e2 c8a6 c4b5 a6b5 e2f1 d7d6 a3c5 b5e8 d1c1 d6e5 c5a7 g8e7 a7b8 a8a2 c1d2 a2b2 b8e5 b2c2 "
     "e5g7 c2d2 g1e2 d2d3 g7h8 f8g7 h8g7 d3e3 g7c3 e3g3 e2g3 e7g6 c3e5 e8c6 g3f5 c6h1 f5h6 f7e8 "
     "e5d6 e8d7 a1a8 d7d6"},
    {"finale tour pions",
     "d2d4 a7a5 c1d2 e7e5 d2g5 e5d4 d1c1 d7d5 g5d8 e8d8 b1a3 f8a3 e1d1 a3b2 c1b2 a8a6 a2a4 h7h5 "
     "b2d4 c8h3 a1b1 h3g2 b1b3 g2f1 b3b7 f1e2 d1e2 a6b6 b7b6 c7b6 d4e5 d5d4 e5h5 g7g6 h5h8 b8a6 "
     "h8g8 d8e7 g8f7 e7f7 e2e1 a6c5 h2h4 f7e7 g1f3 e7e8 f3d4 c5a4 e1d2 e8f7 d4b3 a4b2 b3a5 f7g7 "
     "c2c3 b6a5 d2e2 b2d1 e2d1"},
    {"finale pions",
     "f2f3 b7b6 h2h3 b6b5 h3h4 c7c6 e1f2 g7g5 f2e3 g5h4 h1h4 e7e5 h4h7 h8h7 f3f4 e5f4 e3f4 f8d6 "
     "f4e3 h7h8 b2b3 h8h7 c1b2 d6h2 c2c3 h2g1 e3f4 f7f6 d2d4 e8f7 g2g3 a7a6 f4e4 g1d4 c3d4 a6a5 "
     "b1c3 f7e6 c3b5 b8a6 a2a4 c6b5 a4b5 d7d6 e4f3 a6b8 a1a5 a8a5 f3f2 a5b5 d1c2 b5b3 c2b3 d6d5 "
     "b3d1 d8e7 b2a3 e7a3 d1c2 a3g3 f2g3 g8h6 c2h7 b8d7 h7h6 c8a6 g3g2 a6e2 f1e2 e6f7 h6h5 f7e7 "
     "e2c4 d5c4 h5d5 e7e8 d5d7 e8d7"},
};
constexpr const char* SIGNATURE_SUITE =
    "nodes 3019999, moves g1f3 b5c4 c4d5 d1f3 e4d5 b2b3 c1g5 f2f3 c2b1 h6f5 g7g8 g2g1";

// The same kinds from other openings, reached by a strong engine playing itself.
const Tposition_banc SECONDE_SUITE[] = {
    {"francaise", "e2e4 e7e6 d2d4 d7d5 b1c3 g8f6 c1g5 f8e7"},
    {"caro-kann", "e2e4 c7c6 d2d4 d7d5 b1c3 d5e4 c3e4 c8f5"},
    {"slave", "d2d4 d7d5 c2c4 c7c6 g1f3 g8f6 b1c3 d5c4"},
    {"pirc", "e2e4 d7d6 d2d4 g8f6 b1c3 g7g6 f2f4 f8g7"},
    {"francaise, milieu",
     "e2e4 e7e6 d2d4 d7d5 b1c3 g8f6 c1g5 f8e7 e4e5 f6d7 g5e3 a7a6 d1g4 g7g6 h2h4 h7h5 g4f4 b7b5 "
     "f1d3 c7c5 c3d5 e6d5 e5e6 d7f6"},
    {"anglaise, milieu",
     "c2c4 e7e5 b1c3 g8f6 g2g3 d7d5 c4d5 f6d5 f1g2 d5b6 g1f3 f7f6 a2a4 a7a5 d2d4 b8a6 e1g1 e5d4 "
     "f3d4 f8b4 c3b5 c7c6 d4c6 d8d1"},
    {"slave, milieu",
     "d2d4 d7d5 c2c4 c7c6 g1f3 g8f6 b1c3 d5c4 e2e4 b7b5 e4e5 f6d5 a2a4 d5c3 b2c3 a7a6 h2h3 e7e6 "
     "h3h4 c8b7 f3d2 b8d7 d1f3 d7b6"},
    {"ecossaise, milieu",
     "e2e4 e7e5 g1f3 b8c6 d2d4 e5d4 f3d4 g8f6 b1c3 f8b4 f2f3 f6e4 d4c6 e4c3 c6d8 c3d1 c2c3 d1c3 "
     "d8f7 c3a4 e1f2 e8f7 f1b5 a4b6"},
    {"caro-kann, finale",
     "e2e4 c7c6 d2d4 d7d5 b1c3 d5e4 c3e4 c8f5 e4g3 f5g6 c2c3 e7e6 g1f3 b8d7 h2h4 h7h5 f1c4 g8f6 "
     "e1g1 d7b6 c4b3 f8d6 f1e1 a7a5 b3e6 e8g8 e6f5 d6g3 f5g6 g3f2 g1f2 f6g4 f2g1 f7g6 c1g5 d8c7 "
     "e1e7 c7g3 d1e1 f8f3 e1g3 f3g3 g5f4 g3d3 f4e5 g8f8 e5d6 f8g8 d6e5 g4e5 e7e5 g8h7 a1f1 b6d5 "
     "c3c4 d5f6 f1f6 g7f6 e5e7 h7h6 e7f7 d3d4 a2a3 a8d8 b2b3 c6c5 g2g4 g6g5 f7f6 h6g7 f6b6 h5g4 "
     "b3b4 d4d1 g1f2 d8d7 b4a5 d1d2 f2g3 g5h4 g3h4 d2d4 h4g5 g4g3 b6g6 g7f8 g5f6 d7d6 f6f5 d6g6 "
     "f5g6"},
    {"anglaise, finale",
     "c2c4 e7e5 b1c3 g8f6 g2g3 d7d5 c4d5 f6d5 f1g2 d5b6 g1f3 f7f6 a2a4 a7a5 d2d4 b8a6 e1g1 e5d4 "
     "f3d4 f8b4 c3b5 c7c6 d4c6 d8d1 f1d1 b7c6 g2c6 e8f7 c1f4 c8g4 c6b7 a6c5 b7a8 h8a8 f2f3 c5b3 "
     "b5c7 b4c5 g1h1 a8c8 f3g4 b3a1 d1a1 g7g5 a1c1 b6a4 c7a6 g5f4 b2b3 a4b2 g3f4 c8e8 c1c5 e8e2 "
     "c5a5 b2d3 f4f5 e2b2 a6c5 d3c5 a5c5 b2b1 h1g2 b1b3"},
    {"slave, finale",
     "d2d4 d7d5 c2c4 c7c6 g1f3 g8f6 b1c3 d5c4 e2e4 b7b5 e4e5 f6d5 a2a4 d5c3 b2c3 a7a6 h2h3 e7e6 "
     "h3h4 c8b7 f3d2 b8d7 d1f3 d7b6 a4a5 b6a4 d2c4 a4c3 f3c3 b5c4 c3c4 f8e7 c1d2 e8g8 a1b1 d8d7 "
     "f1d3 c6c5 d4c5 a8d8 e1g1 b7a8 d2g5 e7g5 d3e4 g5e7 c5c6 d7c7 f1c1 d8c8 e4f3 c7a5 h4h5 a5e5 "
     "g2g3 e5f5 f3g2 f5a5 g2f3 e7g5 b1a1 a5f5 f3e4 f5e5 f2f4 g5f4 g3f4 e5f4 e4h7 g8h7 c4f4 c8c6 "
     "f4e4 h7g8 e4a4 f8c8 c1c6 a8c6 a4g4 c6f3 g4h3 f3h5 h3h5"},
    {"pirc, finale",
     "e2e4 d7d6 d2d4 g8f6 b1c3 g7g6 f2f4 f8g7 f1d3 b8c6 g1f3 c8g4 c1e3 d6d5 e4e5 f6h5 d3e2 g7h6 "
     "d1d2 h5g7 e1c1 e7e6 h2h3 g4f3 e2f3 g7f5 e3f2 f5h4 d2e3 h4f5 e3d2 f5h4 f2h4 d8h4 c3e2 g6g5 "
     "g2g3 g5g4 h3g4 c6e5 d4e5 h4e7 d2e1 e7c5 e2g1 h6f8 c2c3 c5a5 c1b1 a5b6 g4g5 f8a3 b2b3 a7a5 "
     "g3g4 a5a4 b3b4 c7c5 e1f2 d5d4 g5g6 f7g6 f2d2 a8c8 d2c2 e8g8 c2h2 f8f7 h2d2 c5b4 d2d4 b6b5 "
     "d4d3 c8c4 d3d8 f7f8 d8d7 b5d7 d1d7 c4c3 g1e2 c3f3 d7h7 f3f1 h1f1 g8h7 e2d4 f8e8 d4b5 e8d8 "
     "b5d6 h7g8 f1e1 b7b6 e1d1 d8d7 d1e1 d7c7 f4f5 g6f5 g4f5 e6f5 e5e6 g8f8 d6f5 b4b3 a2b3 a4b3"},
};
constexpr const char* SIGNATURE_SECONDE_SUITE = "";  // filled in below once measured

constexpr int PROFONDEUR_SUITE = 5;

// The Ruy Lopez after 5.O-O Be7, and what "go infinite" reports there, depth by depth.
constexpr const char* ESPAGNOLE_FERMEE =
    "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1 f8e7";
constexpr const char* TEMPS_ESPAGNOLE_AVANT = "depth 8 in 1.8 s, depth 9 in 12.5 s";

double secondes_depuis(horloge::time_point debut) {
    return std::chrono::duration<double>(horloge::now() - debut).count();
}

double mediane(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Tpartie partie_apres(const char* coups) {
    Tpartie partie;
    init_partie(&partie);
    traite_ligne(&partie, std::string("position startpos moves ") + coups);
    return partie;
}

std::string nom_coup(Tcoup c) {
    return {static_cast<char>('a' + c.colonne_depart), static_cast<char>('1' + c.ligne_depart),
            static_cast<char>('a' + c.colonne_arrivee), static_cast<char>('1' + c.ligne_arrivee)};
}

bool stockfish_present() {
    std::FILE* f = std::fopen("/usr/games/stockfish", "r");
    if (f == nullptr) return false;
    std::fclose(f);
    return true;
}

// A whole process started through the shell, its input piped in; seconds from the start to
// the end of its output, and that output's last line of interest in *ligne.
double temps_processus(const std::string& commande, const char* interessante, std::string* ligne) {
    const auto debut = horloge::now();
    std::FILE* p = popen(commande.c_str(), "r");
    if (p == nullptr) return -1;
    char tampon[512];
    while (std::fgets(tampon, sizeof tampon, p) != nullptr) {
        if (std::strstr(tampon, interessante) != nullptr) *ligne = tampon;
    }
    pclose(p);
    const double t = secondes_depuis(debut);
    while (!ligne->empty() && (ligne->back() == '\n' || ligne->back() == '\r')) ligne->pop_back();
    return t;
}

// ---- 1. perft 6 ----

void banc_perft(int repetitions, bool avec_stockfish) {
    Techiquier initiale;
    init_echiquier(&initiale);
    vide_memoire();
    const auto debut = horloge::now();
    const int64_t compte = perft(&initiale, BLANC, 6);
    const double t = secondes_depuis(debut);
    std::printf("perft 6: %lld (signature 124132536) in %.3f s in this process, %.1f M paths/s\n",
                static_cast<long long>(compte), t, static_cast<double>(compte) / t / 1e6);

    const std::string quorvik = std::string("echo 'perft depth 6' | ") + QUORVIK_BINAIRE;
    const std::string stockfish =
        "printf 'go perft 6\\nquit\\n' | /usr/games/stockfish 2>/dev/null";
    std::vector<double> t_quorvik, t_stockfish;
    std::string ligne_quorvik, ligne_stockfish;
    for (int i = 0; i < repetitions; i++) {
        t_quorvik.push_back(temps_processus(quorvik, "6 > ", &ligne_quorvik));
        if (avec_stockfish) {
            t_stockfish.push_back(temps_processus(stockfish, "Nodes searched", &ligne_stockfish));
        }
    }
    std::printf("  whole process, %d runs each, best / median:\n", repetitions);
    std::printf("    %-58s %.3f / %.3f s  (\"%s\")\n", quorvik.c_str(),
                *std::min_element(t_quorvik.begin(), t_quorvik.end()), mediane(t_quorvik),
                ligne_quorvik.c_str());
    if (avec_stockfish) {
        std::printf("    %-58s %.3f / %.3f s  (\"%s\")\n",
                    "printf 'go perft 6\\nquit\\n' | /usr/games/stockfish",
                    *std::min_element(t_stockfish.begin(), t_stockfish.end()),
                    mediane(t_stockfish), ligne_stockfish.c_str());
        std::printf("    quorvik time / stockfish time: %.2f best, %.2f median "
                    "(target 0.70, aim 0.50)\n",
                    *std::min_element(t_quorvik.begin(), t_quorvik.end()) /
                        *std::min_element(t_stockfish.begin(), t_stockfish.end()),
                    mediane(t_quorvik) / mediane(t_stockfish));
    }
}

// ---- 2. "uci" at start-up ----

void banc_demarrage(int repetitions) {
    std::vector<double> t;
    for (int i = 0; i < repetitions; i++) {
        const auto debut = horloge::now();
        Tmoteur m = lance_moteur();
        envoie(&m, "uci\n");
        if (!attend_ligne(&m, "uciok", nullptr, 10000)) std::printf("  no uciok\n");
        t.push_back(secondes_depuis(debut) * 1000);
        envoie(&m, "quit\n");
        ferme_moteur(&m);
    }
    std::printf("\"uci\" answered %.2f ms (median; best %.2f ms) after the process start, "
                "%d runs\n",
                mediane(t), *std::min_element(t.begin(), t.end()), repetitions);
}

// ---- 3. The search suites ----

struct Tresultat_suite {
    int64_t noeuds = 0;
    std::string coups;
    double secondes = 0;
    std::string signature() const { return "nodes " + std::to_string(noeuds) + ", moves " + coups; }
};

// One run of the suite from an empty memo, which each position then leaves to the next as
// a game would.
template <size_t N>
Tresultat_suite suite_moteur(const Tposition_banc (&suite)[N]) {
    Tresultat_suite r;
    vide_memoire();
    std::FILE* poubelle = std::fopen("/dev/null", "w");
    for (const Tposition_banc& p : suite) {
        Tpartie partie = partie_apres(p.coups);
        installe_console_texte("", poubelle);
        const auto debut = horloge::now();
        choix_coup(&partie.echiquier, partie.camp, PROFONDEUR_SUITE, &partie.coup);
        r.secondes += secondes_depuis(debut);
        r.noeuds += node;
        r.coups += (r.coups.empty() ? "" : " ") + nom_coup(partie.coup);
    }
    installe_console_texte("", stdout);
    std::fclose(poubelle);
    return r;
}

template <size_t N>
Tresultat_suite suite_reference(const Tposition_banc (&suite)[N]) {
    Tresultat_suite r;
    for (const Tposition_banc& p : suite) {
        Tpartie partie = partie_apres(p.coups);
        const auto debut = horloge::now();
        const Tchoix_racine choix =
            choix_coup_reference(&partie.echiquier, partie.camp, PROFONDEUR_SUITE, partie.coup);
        r.secondes += secondes_depuis(debut);
        r.noeuds += choix.noeuds;
        r.coups += (r.coups.empty() ? "" : " ") + nom_coup(choix.coup);
    }
    return r;
}

const char* egal(const std::string& a, const std::string& b) {
    return a == b ? "equal" : "DIFFERENT";
}

template <size_t N>
void banc_suite(const char* nom, const Tposition_banc (&suite)[N], const char* attendue,
                int repetitions, bool avec_reference) {
    // Several runs each, the best kept: other work on the machine only ever adds time. The
    // engine's runs are short, so it runs twice as often as asked.
    std::vector<double> temps;
    Tresultat_suite rapide;
    for (int i = 0; i < 2 * repetitions; i++) {
        rapide = suite_moteur(suite);
        temps.push_back(rapide.secondes);
    }
    rapide.secondes = *std::min_element(temps.begin(), temps.end());
    std::printf("%s, depth %d, %zu positions: %s\n", nom, PROFONDEUR_SUITE, N,
                rapide.signature().c_str());
    if (*attendue != '\0') {
        std::printf("  signature %s to the recorded one\n", egal(rapide.signature(), attendue));
    }
    std::printf("  engine:         %.3f s best of %d (median %.3f s), %.0f nodes/s\n",
                rapide.secondes, 2 * repetitions, mediane(temps),
                static_cast<double>(rapide.noeuds) / rapide.secondes);
    memoire_active(false);
    temps.clear();
    Tresultat_suite sans;
    for (int i = 0; i < 2 * repetitions; i++) {
        sans = suite_moteur(suite);
        temps.push_back(sans.secondes);
    }
    memoire_active(true);
    sans.secondes = *std::min_element(temps.begin(), temps.end());
    std::printf("  memo off:       %.3f s best, signature %s\n", sans.secondes,
                egal(sans.signature(), rapide.signature()));
    // With analysis lines (UCI_AnalyseMode on, MultiPV 1 and 5): the lines are kept and
    // printed, the search is the same.
    for (int lignes : {1, 5}) {
        fixe_lignes_d_analyse(lignes);
        temps.clear();
        Tresultat_suite analyse;
        for (int i = 0; i < 2 * repetitions; i++) {
            analyse = suite_moteur(suite);
            temps.push_back(analyse.secondes);
        }
        fixe_lignes_d_analyse(0);
        analyse.secondes = *std::min_element(temps.begin(), temps.end());
        std::printf("  MultiPV %d:      %.3f s best (%.1f %% of the engine's), signature %s\n",
                    lignes, analyse.secondes, 100 * analyse.secondes / rapide.secondes,
                    egal(analyse.signature(), rapide.signature()));
    }
    if (avec_reference) {
        Tresultat_suite lente;
        double meilleur = 0;
        for (int i = 0; i < std::max(1, (repetitions + 1) / 2); i++) {
            lente = suite_reference(suite);
            meilleur = i == 0 ? lente.secondes : std::min(meilleur, lente.secondes);
        }
        lente.secondes = meilleur;
        std::printf("  reference:      %.3f s best of %d, %.0f nodes/s, signature %s\n",
                    lente.secondes, std::max(1, (repetitions + 1) / 2),
                    static_cast<double>(lente.noeuds) / lente.secondes,
                    egal(lente.signature(), rapide.signature()));
        std::printf("  speed-up over the reference: %.1f (target 60)\n",
                    lente.secondes / rapide.secondes);
    }
}

// ---- 4. "go infinite" ----

struct Tprofondeur_infinie {
    double secondes;
    std::string ligne;  // the depth's first "info" line
    long long noeuds;
};

// The time from "go" to each depth's first "info" line, after the options given.
std::vector<Tprofondeur_infinie> temps_infini(int profondeur_max, const std::string& options) {
    Tmoteur m = lance_moteur();
    envoie(&m, options + "position startpos moves " + ESPAGNOLE_FERMEE + "\n");
    const auto debut = horloge::now();
    envoie(&m, "go infinite\n");
    std::vector<Tprofondeur_infinie> profondeurs;
    std::string ligne;
    int derniere = 0;
    while (lit_ligne_moteur(&m, &ligne, 600000)) {
        if (ligne.rfind("info depth ", 0) != 0) continue;
        const int profondeur = std::atoi(ligne.c_str() + 11);
        if (profondeur == derniere) continue;  // the other lines of a depth's block
        derniere = profondeur;
        const char* noeuds = std::strstr(ligne.c_str(), " nodes ");
        profondeurs.push_back({secondes_depuis(debut), ligne, noeuds ? std::atoll(noeuds + 7) : -1});
        if (profondeur >= profondeur_max) break;
    }
    envoie(&m, "stop\n");
    attend_ligne(&m, "bestmove", nullptr, 600000);
    envoie(&m, "quit\n");
    ferme_moteur(&m);
    return profondeurs;
}

// The best time of each depth over several runs: other work on the machine only adds time.
std::vector<Tprofondeur_infinie> meilleurs_temps(int profondeur_max, const std::string& options,
                                                 int repetitions) {
    std::vector<Tprofondeur_infinie> meilleurs = temps_infini(profondeur_max, options);
    for (int i = 1; i < repetitions; i++) {
        const std::vector<Tprofondeur_infinie> essai = temps_infini(profondeur_max, options);
        for (size_t k = 0; k < essai.size() && k < meilleurs.size(); k++) {
            meilleurs[k].secondes = std::min(meilleurs[k].secondes, essai[k].secondes);
        }
    }
    return meilleurs;
}

void banc_infini(int profondeur_max, int repetitions) {
    std::printf("go infinite after \"position startpos moves %s\", best of %d runs\n",
                ESPAGNOLE_FERMEE, repetitions);
    std::printf("  (before this round: %s)\n", TEMPS_ESPAGNOLE_AVANT);
    const std::vector<Tprofondeur_infinie> simple = meilleurs_temps(profondeur_max, "", repetitions);
    for (const Tprofondeur_infinie& p : simple) std::printf("  %7.3f s  %s\n", p.secondes, p.ligne.c_str());
    // The same with analysis lines: the same nodes at every depth, and the time beside.
    for (int lignes : {1, 5}) {
        const std::vector<Tprofondeur_infinie> analyse = meilleurs_temps(
            profondeur_max, "setoption name UCI_AnalyseMode value true\nsetoption name MultiPV value " +
                                std::to_string(lignes) + "\n", repetitions);
        std::printf("  UCI_AnalyseMode, MultiPV %d:", lignes);
        bool memes_noeuds = analyse.size() == simple.size();
        for (size_t k = 0; k < analyse.size() && k < simple.size(); k++) {
            memes_noeuds = memes_noeuds && analyse[k].noeuds == simple[k].noeuds;
            if (k + 3 >= simple.size()) {
                std::printf(" depth %zu %.3f s (%.1f %%)", k + 1, analyse[k].secondes,
                            100 * analyse[k].secondes / simple[k].secondes);
            }
        }
        std::printf(", nodes %s\n", memes_noeuds ? "equal" : "DIFFERENT");
        if (!analyse.empty()) std::printf("    %s\n", analyse.back().ligne.c_str());
    }
}

int entier_apres(int argc, char** argv, const char* option, int defaut) {
    for (int i = 1; i + 1 < argc; i++) {
        if (std::strcmp(argv[i], option) == 0) return std::max(1, std::atoi(argv[i + 1]));
    }
    return defaut;
}

bool present(int argc, char** argv, const char* option) {
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], option) == 0) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const bool avec_reference = !present(argc, argv, "--sans-reference");
    const bool avec_stockfish = !present(argc, argv, "--sans-stockfish") && stockfish_present();
    const int repetitions = entier_apres(argc, argv, "--repetitions", 5);
    const int profondeur_infinie = entier_apres(argc, argv, "--profondeur-infinie", 9);
    std::FILE* poubelle = std::fopen("/dev/null", "w");
    installe_console_texte("", poubelle);
    arret_sur_fin(false);

    banc_perft(repetitions, avec_stockfish);
    banc_demarrage(4 * repetitions);
    banc_suite("search suite", SUITE, SIGNATURE_SUITE, repetitions, avec_reference);
    banc_suite("second search suite", SECONDE_SUITE, SIGNATURE_SECONDE_SUITE, repetitions,
               avec_reference);
    banc_infini(profondeur_infinie, std::min(repetitions, 3));
    std::fclose(poubelle);
    return 0;
}
