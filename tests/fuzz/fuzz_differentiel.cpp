// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the fast search (its score, nodes and line), root choice and counts
// against the straightforward reference, on positions the fuzzer's bytes choose. Any
// difference aborts with the position line, the side, the depth and the window that show
// it.
//
// The input:
//   byte 0   depth 1 + (b & 3) % 3; bit 2: search for the side not to move; bits 3-5: the window
//            (root, exchanged root, narrow, null below, null above, any two bounds); bit 6:
//            the game starts from a FEN; bit 7: the fast side runs without its memo (the memo
//            keeps what earlier inputs taught it, so it is met full and in use)
//   bytes 1-3  the window's numbers
//   with bit 6, the text of a FEN up to the first line end (a FEN the loop refuses leaves
//   the initial position);
//   then the moves of the position line ("position startpos moves ..." or "position fen
//   ... moves ..."), each applied by the command loop's single-move step:
//     a byte below 0xF8 picks a legal move of the side to move (b modulo their number,
//     in generator order; a pawn reaching its last row becomes the piece (b / number) % 4
//     names: q, r, b, n);
//     0xF8 to 0xFF is followed by two bytes, a move from any square (6 low bits) to any
//     square, written as is; the low three bits of the first byte add a letter (4 q,
//     5 r, 6 b, 7 n; below 4 none).
// The reference runs its heap lists through the whole tree, hundreds of times slower than
// the fast search: a depth whose tree holds more than QUORVIK_FUZZ_NOEUDS positions
// (environment, default below) is lowered until it fits, so that the fuzzer keeps its pace.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ai.h"
#include "ai_memoire.h"
#include "ai_reference.h"
#include "aide_fuzz.h"
#include "divers.h"
#include "gui_xboard.h"
#include "primitives_rapides.h"

namespace {

constexpr int64_t NOEUDS_PAR_DEFAUT = 300;
constexpr size_t COUPS_MAX = 300;

int64_t noeuds_max() {
    static const int64_t valeur = [] {
        const char* texte = std::getenv("QUORVIK_FUZZ_NOEUDS");
        const long long n = texte != nullptr ? std::atoll(texte) : 0;
        return n > 0 ? static_cast<int64_t>(n) : NOEUDS_PAR_DEFAUT;
    }();
    return valeur;
}

std::string nom_case(int index) {
    return std::string{static_cast<char>('a' + index % 8), static_cast<char>('1' + index / 8)};
}

// The legal moves of the side to move, in generator order: those after which its king is
// not attacked. A move the pins show to be safe is not played (the search decides so too);
// the others are played and the king's square looked at.
int coups_legaux(const Techiquier* e, couleur c, Tdeplacement* coups) {
    Tcoups tous;
    genere_coups(e, c, &tous);
    Tsurete surete;
    analyse_surete(e, c, camps(e), &surete);
    int n = 0;
    for (int i = tous.debut; i < tous.fin; i++) {
        if (!sans_danger(e, &surete, tous.tampon[i])) {
            Techiquier copie = *e;
            execute_coup(&copie, vers_Tcoup(tous.tampon[i]));
            if (echec_rapide(&copie, c)) continue;
        }
        coups[n++] = tous.tampon[i];
    }
    return n;
}

// Whether a word of the text is "moves" (any case): a FEN line's moves come after it.
bool contient_moves(const std::string& texte) {
    size_t i = 0;
    while (i < texte.size()) {
        while (i < texte.size() && std::isspace(static_cast<unsigned char>(texte[i]))) i++;
        const size_t debut = i;
        while (i < texte.size() && !std::isspace(static_cast<unsigned char>(texte[i]))) i++;
        std::string mot = texte.substr(debut, i - debut);
        for (char& c : mot) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (mot == "moves") return true;
    }
    return false;
}

// Sets up the game the bytes name: the initial position or a FEN, then each move with the
// command loop's own single-move step. Returns the position line that names it all.
std::string construit_position(const uint8_t* octets, size_t taille, bool depuis_fen,
                               Tpartie* partie) {
    std::string ligne = "position startpos moves";
    ucinewgame(partie);
    size_t i = 0;
    if (depuis_fen) {
        // The FEN is one line of text: it ends at a line end or a NUL, as the console cuts.
        while (i < taille && octets[i] != '\n' && octets[i] != '\r' && octets[i] != 0) i++;
        const std::string fen(reinterpret_cast<const char*>(octets), i);
        if (i < taille) i++;
        vide_texte_recu();
        installe_console_texte("", flux_recu());
        traite_ligne(partie, "position fen " + fen);
        installe_console_texte("", flux_perdu());
        if (texte_recu().empty()) {
            ligne = "position fen " + fen + (contient_moves(fen) ? "" : " moves");
        }
    }
    for (size_t joues = 0; i < taille && joues < COUPS_MAX; joues++) {
        const uint8_t b = octets[i++];
        std::string coup;
        if (b < 0xF8) {
            Tdeplacement legaux[2 * MOITIE_COUPS];
            const int n = coups_legaux(&partie->echiquier, partie->camp, legaux);
            if (n == 0) break;
            const Tdeplacement d = legaux[b % n];
            coup = nom_case(d.depart) + nom_case(d.arrivee);
            const int32_t code = partie->echiquier.cases[d.depart];
            const int ligne_finale = partie->camp == BLANC ? 7 : 0;
            if (valeur_absolue(code) == PION && d.arrivee / 8 == ligne_finale) {
                coup += "qrbn"[(b / n) % 4];
            }
        } else {
            if (i + 2 > taille) break;
            coup = nom_case(octets[i] & 63) + nom_case(octets[i + 1] & 63);
            if ((b & 7) >= 4) coup += "qrbn"[(b & 7) - 4];
            i += 2;
        }
        position(partie, 0, coup);
        ligne += " " + coup;
    }
    return ligne;
}

[[noreturn]] void difference(const std::string& quoi, const std::string& ligne, couleur c,
                             int profondeur, int alpha, int beta, long long rapide,
                             long long reference) {
    std::fprintf(stderr,
                 "difference in %s: fast %lld, reference %lld\n  \"%s\", %s searched, depth "
                 "%d, window (%d, %d)\n",
                 quoi.c_str(), rapide, reference, ligne.c_str(), c == BLANC ? "white" : "black",
                 profondeur, alpha, beta);
    std::abort();
}

// The window the bytes name, seen from the side c to move.
void fenetre(const uint8_t* entete, const Techiquier* e, couleur c, int* alpha, int* beta) {
    const int statique = evaluation_complete(e);
    const int ecart = 1 + entete[1];
    const int x = statique + static_cast<int8_t>(entete[2]) * 4;
    const int a = (static_cast<int>(entete[1]) << 8 | entete[2]) % 24001 - 12000;
    const int b = (static_cast<int>(entete[2]) << 8 | entete[3]) % 24001 - 12000;
    switch ((entete[0] >> 3) % 6) {
        case 0:  // the root's
            *alpha = -c * 10000;
            *beta = c * 10000;
            break;
        case 1:  // the root's, exchanged: what a child of the root receives
            *alpha = c * 10000;
            *beta = -c * 10000;
            break;
        case 2:
            *alpha = statique - c * ecart;
            *beta = statique + c * ecart;
            break;
        case 3:  // the null windows of the probes
            *alpha = x - c;
            *beta = x;
            break;
        case 4:
            *alpha = x + c;
            *beta = x;
            break;
        default:
            *alpha = a;
            *beta = b;
            break;
    }
}

struct Trapport {
    long long noeuds = -1;
    int score = 0;
    std::string pv;
};

Trapport lit_rapport(const std::string& texte) {
    Trapport r;
    int profondeur = 0;
    long long temps = 0, nps = 0;
    char pv[16] = {};
    if (std::sscanf(texte.c_str(),
                    "info depth %d nodes %lld time %lld nps %lld score cp %d pv %15s", &profondeur,
                    &r.noeuds, &temps, &nps, &r.score, pv) == 6) {
        r.pv = pv;
    }
    return r;
}

void compare(const Techiquier* e, couleur c, int profondeur, int alpha, int beta,
             const std::string& ligne) {
    auto ecart = [&](const char* quoi, long long rapide, long long reference) {
        if (rapide != reference) {
            difference(quoi, ligne, c, profondeur, alpha, beta, rapide, reference);
        }
    };

    node = 0;
    const int score = alpha_beta(e, c, profondeur, alpha, beta);
    const int64_t noeuds = node;
    node = 0;
    std::vector<Tcoup> ligne_reference;
    const int score_reference =
        alpha_beta_reference(e, c, profondeur, alpha, beta, &ligne_reference);
    ecart("alpha_beta score", score, score_reference);
    ecart("alpha_beta nodes", noeuds, node);
    // The line that produced the score, move for move.
    std::vector<Tcoup> ligne_rapide;
    ecart("alpha_beta_ligne score", alpha_beta_ligne(e, c, profondeur, alpha, beta, &ligne_rapide),
          score_reference);
    ecart("alpha_beta_ligne length", static_cast<long long>(ligne_rapide.size()),
          static_cast<long long>(ligne_reference.size()));
    for (size_t k = 0; k < ligne_rapide.size() && k < ligne_reference.size(); k++) {
        ecart("alpha_beta_ligne move", comp_Tcoup(ligne_rapide[k], ligne_reference[k]), 1);
    }

    // A move no search chooses, so that an answer left unchanged shows.
    const Tcoup initial = fait_coup(7, 7, 0, 0);
    Tcoup coup = initial;
    vide_texte_recu();
    installe_console_texte("", flux_recu());
    choix_coup(e, c, profondeur, &coup);
    const Trapport rapport = lit_rapport(texte_recu());
    installe_console_texte("", flux_perdu());
    const Tchoix_racine choix = choix_coup_reference(e, c, profondeur, initial);
    const std::string pv_reference = choix.coups_legaux == 0 ? "0000" : texte_coup(e, choix.coup);
    if (rapport.pv != pv_reference) {
        difference("choix_coup move " + rapport.pv + " / " + pv_reference, ligne, c, profondeur,
                   alpha, beta, 0, 0);
    }
    ecart("choix_coup move left", comp_Tcoup(coup, choix.coup), 1);
    ecart("choix_coup reported score", rapport.score, choix.score_rapporte);
    ecart("choix_coup nodes", rapport.noeuds, choix.noeuds);

    ecart("perft", perft(e, c, profondeur), perft_reference(e, c, profondeur));
    ecart("min_max", min_max(e, c, profondeur), min_max_reference(e, c, profondeur));
}

// The deepest depth up to `voulue` whose tree fits in the budget. perft counts every
// position of the tree, the size of the reference's work; the third ply is estimated from
// the first two, since counting it would cost more than the comparisons it decides on.
int profondeur_permise(const Techiquier* e, couleur c, int voulue) {
    if (voulue == 1) return 1;
    const int64_t un = perft(e, c, 1), deux = perft(e, c, 2);
    if (deux > noeuds_max()) return 1;
    if (voulue == 2 || un == 0) return 2;
    const int64_t trois = deux + (deux - un) * (deux - un) / un;
    return trois > noeuds_max() ? 2 : 3;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* octets, size_t taille) {
    if (taille < 4) return 0;
    installe_console_texte("", flux_perdu());
    arret_sur_fin(false);
    Tpartie pas_a_pas;
    init_partie(&pas_a_pas);
    const std::string ligne =
        construit_position(octets + 4, taille - 4, (octets[0] & 64) != 0, &pas_a_pas);
    // The searches run on the board that the whole line sets up in the command loop, which
    // must be the one its moves built one by one.
    Tpartie partie;
    init_partie(&partie);
    traite_ligne(&partie, "ucinewgame");
    traite_ligne(&partie, ligne);  // a FEN line is always played whole
    if (std::memcmp(&partie.echiquier, &pas_a_pas.echiquier, sizeof(Techiquier)) != 0 ||
        partie.camp != pas_a_pas.camp) {
        std::fprintf(stderr, "the position line and its moves one by one differ: \"%s\"\n",
                     ligne.c_str());
        std::abort();
    }
    const Techiquier* e = &partie.echiquier;
    const couleur c = (octets[0] & 4) != 0 ? adversaire(partie.camp) : partie.camp;
    const int voulue = 1 + (octets[0] & 3) % 3;
    const int profondeur = profondeur_permise(e, c, voulue);
    int alpha = 0, beta = 0;
    fenetre(octets, e, c, &alpha, &beta);
    memoire_active((octets[0] & 128) == 0);
    compare(e, c, profondeur, alpha, beta, ligne);
    memoire_active(true);
    installe_console_texte("", flux_perdu());
    return 0;
}
