// Speed benchmarks. Each prints the work done as a signature that must not change when
// only speed changes (perft counts, node totals, chosen moves), then time and speed:
//   1. "perft depth 6" from the initial position, and the same count by the Debian
//      stockfish package ("go perft 6") when it is installed, timed in the same run;
//   2. the search suite: "go depth 5" from fixed positions, through the engine's search;
//   3. the same suite through the straightforward reference search, with the speed-up.
// Usage: quorvik_banc [--sans-reference] [--sans-stockfish]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ai.h"
#include "ai_reference.h"
#include "divers.h"
#include "gui_xboard.h"

namespace {

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

constexpr int PROFONDEUR_SUITE = 5;

double secondes_depuis(std::chrono::steady_clock::time_point debut) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
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

// Stockfish's own perft 6, timed from the process start to its count.
double temps_stockfish_perft6() {
    const char* chemin = "/usr/games/stockfish";
    if (std::FILE* f = std::fopen(chemin, "r")) {
        std::fclose(f);
    } else {
        return -1;
    }
    const auto debut = std::chrono::steady_clock::now();
    std::FILE* p = popen("printf 'position startpos\\ngo perft 6\\nquit\\n' | "
                         "/usr/games/stockfish 2>/dev/null", "r");
    if (p == nullptr) return -1;
    char ligne[256];
    long long compte = -1;
    while (std::fgets(ligne, sizeof ligne, p) != nullptr) {
        if (std::strncmp(ligne, "Nodes searched:", 15) == 0) compte = std::atoll(ligne + 15);
    }
    pclose(p);
    const double t = secondes_depuis(debut);
    std::printf("stockfish perft 6: %lld in %.3f s\n", compte, t);
    return t;
}

struct Tresultat_suite {
    int64_t noeuds = 0;
    std::string coups;
    double secondes = 0;
};

Tresultat_suite suite_moteur() {
    Tresultat_suite r;
    std::FILE* poubelle = std::fopen("/dev/null", "w");
    for (const Tposition_banc& p : SUITE) {
        Tpartie partie = partie_apres(p.coups);
        installe_console_texte("", poubelle);
        const auto debut = std::chrono::steady_clock::now();
        choix_coup(&partie.echiquier, partie.camp, PROFONDEUR_SUITE, &partie.coup);
        r.secondes += secondes_depuis(debut);
        r.noeuds += node;
        r.coups += nom_coup(partie.coup) + " ";
    }
    installe_console_texte("", stdout);
    std::fclose(poubelle);
    return r;
}

Tresultat_suite suite_reference() {
    Tresultat_suite r;
    for (const Tposition_banc& p : SUITE) {
        Tpartie partie = partie_apres(p.coups);
        const auto debut = std::chrono::steady_clock::now();
        const Tchoix_racine choix =
            choix_coup_reference(&partie.echiquier, partie.camp, PROFONDEUR_SUITE, partie.coup);
        r.secondes += secondes_depuis(debut);
        r.noeuds += choix.noeuds;
        r.coups += nom_coup(choix.coup) + " ";
    }
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    bool avec_reference = true, avec_stockfish = true;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--sans-reference") == 0) avec_reference = false;
        if (std::strcmp(argv[i], "--sans-stockfish") == 0) avec_stockfish = false;
    }
    FILE* poubelle = std::fopen("/dev/null", "w");
    installe_console_texte("", poubelle);

    Techiquier initiale;
    init_echiquier(&initiale);
    const auto debut_perft = std::chrono::steady_clock::now();
    const int64_t compte = perft(&initiale, BLANC, 6);
    const double t_perft = secondes_depuis(debut_perft);
    std::printf("perft 6: %lld (signature 124132536) in %.3f s, %.1f M paths/s\n",
                static_cast<long long>(compte), t_perft, static_cast<double>(compte) / t_perft / 1e6);
    if (avec_stockfish) {
        const double t_sf = temps_stockfish_perft6();
        if (t_sf > 0) std::printf("perft 6 time / stockfish time: %.2f\n", t_perft / t_sf);
    }

    const Tresultat_suite rapide = suite_moteur();
    std::printf("search suite, depth %d, %zu positions: nodes %lld, moves %s\n", PROFONDEUR_SUITE,
                std::size(SUITE), static_cast<long long>(rapide.noeuds), rapide.coups.c_str());
    std::printf("  engine:    %.3f s, %.0f nodes/s\n", rapide.secondes,
                static_cast<double>(rapide.noeuds) / rapide.secondes);
    if (avec_reference) {
        const Tresultat_suite lente = suite_reference();
        std::printf("  reference: %.3f s, %.0f nodes/s, nodes %lld, moves %s\n", lente.secondes,
                    static_cast<double>(lente.noeuds) / lente.secondes,
                    static_cast<long long>(lente.noeuds), lente.coups.c_str());
        std::printf("  speed-up: %.1f, signatures %s\n", lente.secondes / rapide.secondes,
                    lente.noeuds == rapide.noeuds && lente.coups == rapide.coups ? "equal"
                                                                                 : "DIFFERENT");
    }
    std::fclose(poubelle);
    return 0;
}
