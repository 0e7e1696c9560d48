// libFuzzer target: arbitrary bytes, cut into lines by the console, go through the command
// loop in-process. The loop is the engine's own (`lit_commande` then `traite_ligne`, as
// `boucle_commandes` does) with one filter in front of each line: a "go" or "perft" that
// would search or count deeper than two plies is replaced by a shallow one, so that each
// input runs in milliseconds. What the filter lets through is the line as it came.
#include <cstdint>
#include <cstdio>
#include <string>

#include "aide_fuzz.h"
#include "divers.h"
#include "gui_xboard.h"

namespace {

constexpr int32_t PROFONDEUR_MAX = 2;

bool egal_sans_casse(const std::string& a, const char* b) {
    size_t i = 0;
    for (; b[i] != '\0'; i++) {
        if (i >= a.size()) return false;
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if ((x | 0x20) != y) return false;
    }
    return i == a.size();
}

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
        if (profondeur_de_go(partie, premier, ligne) > PROFONDEUR_MAX) {
            return "go depth 1";
        }
    } else if (egal_sans_casse(premier, "perft")) {
        if (profondeur_de_perft(premier, ligne) > PROFONDEUR_MAX) return "perft depth 2";
    }
    return ligne;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* octets, size_t taille) {
    installe_console_texte(std::string(reinterpret_cast<const char*>(octets), taille),
                           flux_perdu());
    Tpartie partie;
    init_partie(&partie);
    std::string ligne;
    while (lit_commande(&ligne)) {
        if (!traite_ligne(&partie, filtre(partie, ligne))) break;
    }
    installe_console_texte("", flux_perdu());
    return 0;
}
