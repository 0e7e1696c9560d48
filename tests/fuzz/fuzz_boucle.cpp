// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes, cut into lines by the console, go through the command
// loop in-process. The loop is the engine's own (`lit_commande` then `traite_ligne`, as
// `boucle_commandes` does) with one filter in front of each line: a "go" or "perft" that
// would search or count deeper than two plies (a mate search of more than two moves, a
// node limit of more than a thousand) is replaced by a shallow one, so that each input
// runs in milliseconds. What the filter lets through is the line as it came. The
// Ponder option, which makes every answer search three plies for the expected reply, goes
// off again after the first "go" that answered with it.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ai_memoire.h"
#include "ai_niveaux.h"
#include "aide_fuzz.h"
#include "divers.h"
#include "gui_xboard.h"

namespace {

constexpr int32_t PROFONDEUR_MAX = 2;

// The depth the loop would use for a "go" line; INT32_MAX when its plan does not take a
// depth from the line (clock plans, "infinite", deepening): those search 4 plies or more.
// `premier` is the line's first word (the loop's last word for an empty line); copies of
// the loop's state are scanned exactly as the command does.
int32_t profondeur_de_go(const Tpartie& partie, const std::string& premier,
                         const std::string& ligne) {
    std::string mot = premier;
    scan_motif(ligne, "go %s", &mot);
    if (!egal_sans_casse(mot, "depth")) return INT32_MAX;
    int32_t profondeur = partie.profondeur;
    int32_t* const cibles[] = {&profondeur};
    scan_motif(ligne, "go depth %d", nullptr, cibles);
    return profondeur;
}

int32_t profondeur_de_perft(const std::string& premier, const std::string& ligne) {
    std::string mot = premier;
    scan_motif(ligne, "perft %s", &mot);
    int32_t profondeur = 4;
    if (egal_sans_casse(mot, "depth")) {
        int32_t* const cibles[] = {&profondeur};
        scan_motif(ligne, "perft depth %d", nullptr, cibles);
    }
    return profondeur;
}

// The number after the first word `cle` of a line (in any case): -1 without that word,
// INT64_MAX when what follows is no number.
int64_t nombre_apres(const std::string& ligne, const char* cle) {
    size_t i = 0;
    bool trouve = false;
    while (i < ligne.size()) {
        while (i < ligne.size() && std::isspace(static_cast<unsigned char>(ligne[i]))) i++;
        const size_t debut = i;
        while (i < ligne.size() && !std::isspace(static_cast<unsigned char>(ligne[i]))) i++;
        if (i == debut) break;
        const std::string mot = ligne.substr(debut, i - debut);
        if (trouve) {
            char* fin = nullptr;
            const long long n = std::strtoll(mot.c_str(), &fin, 10);
            return *fin == '\0' ? n : INT64_MAX;
        }
        trouve = egal_sans_casse(mot, cle);
    }
    return trouve ? INT64_MAX : -1;
}

// Whether a go line's plan stays small: a mate search of two moves at most, a node limit
// of a thousand, else a fixed depth of two plies at most. What "go ponder" runs after
// "ponderhit" is the same line without that word.
bool go_leger(const Tpartie& partie, const std::string& premier, const std::string& entree) {
    std::string ligne = entree;
    for (size_t i = 0; (i = ligne.find_first_not_of(" \t\n\v\f\r", i)) != std::string::npos;) {
        const size_t fin = std::min(ligne.find_first_of(" \t\n\v\f\r", i), ligne.size());
        if (i > 0 && egal_sans_casse(ligne.substr(i, fin - i), "ponder")) {
            ligne.erase(i, fin - i);
        } else {
            i = fin;
        }
    }
    const int64_t mat = nombre_apres(ligne, "mate");
    if (mat >= 0) return mat <= PROFONDEUR_MAX;
    const int64_t noeuds = nombre_apres(ligne, "nodes");
    // A thousand nodes already deepen past two plies; five thousand cost a seventh
    // of the target's time for four edges more.
    if (noeuds >= 0) return noeuds <= 1000;
    return profondeur_de_go(partie, premier, ligne) <= PROFONDEUR_MAX;
}

// The line itself, or a shallow stand-in when it would search or count too deep.
std::string filtre(const Tpartie& partie, const std::string& ligne) {
    std::string premier = partie.mot;  // an empty line repeats the last word
    scan_motif(ligne, "%s", &premier);
    if (egal_sans_casse(premier, "go")) {
        // The clock plans' numbers still go through the scanner.
        int32_t nombres[5] = {};
        int32_t* const cibles[] = {&nombres[0], &nombres[1], &nombres[2], &nombres[3],
                                   &nombres[4]};
        scan_motif(ligne, "go wtime %d btime %d winc %d binc %d movestogo %d", nullptr, cibles);
        scan_motif(ligne, "go movestogo %d btime %d wtime %d", nullptr, cibles);
        if (!go_leger(partie, premier, ligne)) return "go depth 1";
    } else if (egal_sans_casse(premier, "perft")) {
        if (profondeur_de_perft(premier, ligne) > PROFONDEUR_MAX) return "perft depth 2";
    }
    return ligne;
}

}  // namespace

// Searches of two plies and counts of two never reach the memo, so it is held to 1 MiB:
// every larger size, the default's included, is refused as a machine without the memory
// would refuse it. Zeroing a table of 24 MiB for every input that resizes it took half
// the target's time.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    plafonne_memoire(size_t{1} << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* octets, size_t taille) {
    installe_console_texte(std::string(reinterpret_cast<const char*>(octets), taille),
                           flux_perdu());
    Tpartie partie;
    init_partie(&partie);
    seme_hasard(1);  // a level's choices, the same at every run of an input
    std::string ligne;
    while (lit_commande(&ligne)) {
        const std::string filtree = filtre(partie, ligne);
        std::string premier = partie.mot;
        scan_motif(filtree, "%s", &premier);
        if (!traite_ligne(&partie, filtree)) break;
        // With Ponder on, every answer searches three plies for the expected reply: one
        // answer each time the option is set, or those searches take two thirds of the
        // target's time.
        if (egal_sans_casse(premier, "go")) partie.reglages.ponder = false;
    }
    installe_console_texte("", flux_perdu());
    return 0;
}
