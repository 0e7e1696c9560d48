// SPDX-License-Identifier: GPL-3.0-or-later
#include "ai.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <chrono>
#include <limits>

#include "ai_mat.h"
#include "ai_memoire.h"
#include "divers.h"
#include "primitives_listes.h"
#include "primitives_pieces.h"
#include "primitives_rapides.h"

int32_t arret = 0;
int64_t node = 0;

namespace {

// Each table is written as a player sees the board from white's side: rank 8 on the
// first row, file a on the left. The white half (entries 0..63) is indexed by
// ligne * 8 + colonne; the black half (64..127) is the white half mirrored top to
// bottom, which is the written layout read row by row.
using Tplan = std::array<int32_t, 64>;

constexpr Ttable deux_moities(const Tplan& rang8_en_tete) {
    Ttable table{};
    for (int ligne = 0; ligne < 8; ligne++) {
        for (int colonne = 0; colonne < 8; colonne++) {
            table[ligne * 8 + colonne] = rang8_en_tete[(7 - ligne) * 8 + colonne];
            table[64 + ligne * 8 + colonne] = rang8_en_tete[ligne * 8 + colonne];
        }
    }
    return table;
}

}  // namespace

const Ttable PionSq = [] {
    Ttable table = deux_moities({
        840, 840, 840, 840, 840, 840, 840, 840,
        10,  10,  24,  32,  32,  24,  15,  10,
        10,  10,  24,  32,  32,  24,  15,  10,
        10,  10,  18,  27,  27,  16,  11,  10,
        10,  7,   18,  25,  25,  16,  7,   4,
        10,  6,   12,  12,  12,  4,   6,   10,
        10,  3,   4,   0,   0,   4,   3,   10,
        0,   0,   0,   0,   0,   0,   0,   0,
    });
    table[64 + 3 * 8 + 7] = 6;  // a black pawn on h4 is worth 6, not the mirrored 10
    return table;
}();


const Ttable CavalierSq = deux_moities({
    -7, -3, 1,  3,  3,  1,  -3, -7,
    2,  6,  14, 20, 20, 14, 6,  2,
    6,  14, 28, 32, 32, 28, 14, 6,
    8,  18, 30, 32, 32, 30, 18, 8,
    8,  18, 26, 30, 30, 26, 18, 8,
    6,  14, 22, 26, 26, 22, 14, 6,
    2,  6,  14, 20, 20, 14, 6,  2,
    -7, -3, 1,  3,  3,  1,  -3, -7,
});


const Ttable FouSq = deux_moities({
    16, 16, 16, 16, 16, 16, 16, 16,
    16, 29, 31, 31, 31, 31, 29, 16,
    16, 28, 32, 32, 32, 32, 28, 16,
    16, 26, 32, 32, 32, 32, 26, 16,
    16, 26, 32, 32, 32, 32, 26, 16,
    26, 28, 32, 32, 32, 32, 28, 26,
    26, 29, 31, 31, 31, 31, 29, 26,
    16, 16, 16, 16, 16, 16, 16, 16,
});


const Ttable TourSq = deux_moities({
    0,  0,  0,  0,  0,  0,  0,  0,
    10, 10, 10, 10, 10, 10, 10, 10,
    -2, 0,  0,  0,  0,  0,  0,  -2,
    -2, 0,  0,  0,  0,  0,  0,  -2,
    -2, 0,  0,  0,  0,  0,  0,  -2,
    -2, 0,  0,  0,  0,  0,  0,  -2,
    -2, 0,  0,  0,  0,  0,  0,  -2,
    0,  0,  0,  3,  3,  0,  0,  0,
});


const Ttable DameSq = deux_moities({
    -2, -2, 0,  0, 0, 0,  0,  0,
    -2, -2, 0,  0, 0, 0,  0,  0,
    -2, -2, 0,  0, 0, 0,  0,  0,
    0,  0,  0,  2, 2, 0,  0,  0,
    0,  0,  0,  2, 2, 0,  0,  0,
    0,  1,  1,  1, 1, 0,  0,  0,
    0,  0,  1,  1, 1, 0,  0,  0,
    -2, -2, -2, 0, 0, -2, -2, -2,
});


const Ttable RoiSq = deux_moities({
    -20, -20, -20, -20, -20, -20, -20, -20,
    -20, -20, -20, -20, -20, -20, -20, -20,
    -20, -20, -20, -20, -20, -20, -20, -20,
    -20, -20, -20, -20, -20, -20, -20, -20,
    -20, -20, -20, -20, -20, -20, -20, -20,
    -7,  -15, -15, -15, -15, -15, -15, -7,
    -5,  -5,  -12, -12, -12, -12, -5,  -5,
    3,   3,   8,   -12, -8,  -12, 10,  5,
});

namespace {

// Material and table by piece kind (index 0 unused).
constexpr int32_t VALEUR_MATERIELLE[7] = {0, 100, 3000, 331, 323, 500, 909};
const Ttable* const TABLE_DU_TYPE[7] = {nullptr, &PionSq, &RoiSq, &CavalierSq,
                                        &FouSq,  &TourSq, &DameSq};

constexpr int32_t BONUS_PAIRE_DE_FOUS = 20;

// The signed share of a piece code (-6..6, at index code + 6) standing on a square of the
// white-positive score: material plus table entry, 0 for an empty square.
using Tscores = std::array<std::array<int32_t, 64>, 13>;
const Tscores SCORE_PIECE = [] {
    Tscores scores{};
    for (int32_t code = -DAME; code <= DAME; code++) {
        if (code == VIDE) continue;
        const int32_t type = valeur_absolue(code);
        for (int index = 0; index < 64; index++) {
            scores[code + DAME][index] =
                signe(code) * (VALEUR_MATERIELLE[type] +
                               (*TABLE_DU_TYPE[type])[(code > 0 ? 0 : 64) + index]);
        }
    }
    return scores;
}();

}  // namespace


// ---------------------------------------------------------------------------------------
// Evaluation
// ---------------------------------------------------------------------------------------

int evaluation(const Techiquier* e, int ligne, int colonne) {
    const int32_t code = e->cases[index_case(ligne, colonne)];
    if (code == VIDE) return 0;
    const int moitie = code > 0 ? 0 : 64;
    const int32_t type = valeur_absolue(code);
    return VALEUR_MATERIELLE[type] + (*TABLE_DU_TYPE[type])[moitie + index_case(ligne, colonne)];
}

int evaluation_complete(const Techiquier* e) {
    int total = 0, fous_blancs = 0, fous_noirs = 0;
    for (int index = 0; index < 64; index++) {
        const int32_t code = e->cases[index];
        total += SCORE_PIECE[code + DAME][index];
        fous_blancs += code == FOU;
        fous_noirs += code == -FOU;
    }
    // The pair bonus reads the counter, and counts once for every bishop on the board.
    if (e->nb_fous_blancs == 2) total += BONUS_PAIRE_DE_FOUS * fous_blancs;
    if (e->nb_fous_noirs == 2) total -= BONUS_PAIRE_DE_FOUS * fous_noirs;
    return total;
}

int evaluation_partiel(const Techiquier* e, Tcoup coup, int total, int multiplicateur) {
    return total + multiplicateur * evaluation(e, coup.ligne_depart, coup.colonne_depart) +
           multiplicateur * evaluation(e, coup.ligne_arrivee, coup.colonne_arrivee);
}

namespace {

int score_de(int32_t code, int index) { return SCORE_PIECE[code + DAME][index]; }

// The change of one side's pair bonus when `pris` of its bishops leave the board: the bonus
// reads the counter, which goes down with them, and counts every bishop left.
int variation_du_bonus(int32_t compteur, int fous, int pris) {
    const auto bonus = [](int32_t n, int k) { return n == 2 ? BONUS_PAIRE_DE_FOUS * k : 0; };
    return bonus(compteur - pris, fous - pris) - bonus(compteur, fous);
}

}  // namespace

int evaluation_apres_coup(const Techiquier* e, const Tcamps& ensembles, int avant,
                          Tdeplacement coup) {
    const int32_t* cases = e->cases;
    const int32_t m = cases[coup.depart], x = cases[coup.arrivee];
    const int colonne_depart = coup.depart % 8, colonne_arrivee = coup.arrivee % 8;
    const int ligne_arrivee = coup.arrivee / 8;
    int score = avant - score_de(m, coup.depart) - score_de(x, coup.arrivee);
    int32_t pose = m;
    int fous_pris_blancs = x == FOU, fous_pris_noirs = x == -FOU;
    if (valeur_absolue(m) == PION) {
        // A pawn moving to the next column onto an empty square takes what stands behind
        // it; one reaching its last row becomes a queen.
        const int ligne_prise = ligne_arrivee - signe(m);
        if (x == VIDE && valeur_absolue(colonne_arrivee - colonne_depart) == 1 &&
            ligne_prise >= 0 && ligne_prise < 8) {
            const int index_prise = index_case(ligne_prise, colonne_arrivee);
            const int32_t prise = cases[index_prise];
            score -= score_de(prise, index_prise);
            fous_pris_blancs += prise == FOU;
            fous_pris_noirs += prise == -FOU;
        }
        if ((m == PION && ligne_arrivee == 7) || (m == -PION && ligne_arrivee == 0)) {
            pose = DAME * m;
        }
    } else if (valeur_absolue(m) == ROI && colonne_depart == 4 &&
               (colonne_arrivee == 2 || colonne_arrivee == 6)) {
        // Castling: the rook on the corner of the king's row moves beside it.
        const int coin = coup.depart - 4 + (colonne_arrivee == 2 ? 0 : 7);
        const int a_cote = coup.depart - 4 + (colonne_arrivee == 2 ? 3 : 5);
        score += score_de(cases[coin], a_cote) - score_de(cases[coin], coin) -
                 score_de(cases[a_cote], a_cote);
    }
    score += score_de(pose, coup.arrivee);
    const Tbits fous = ensembles.diagonaux & ~ensembles.droits;  // queens are in both
    if (fous_pris_blancs > 0) {
        score += variation_du_bonus(e->nb_fous_blancs, std::popcount(fous & ensembles.blancs),
                                    fous_pris_blancs);
    }
    if (fous_pris_noirs > 0) {
        score -= variation_du_bonus(e->nb_fous_noirs, std::popcount(fous & ensembles.noirs),
                                    fous_pris_noirs);
    }
    return score;
}

// ---------------------------------------------------------------------------------------
// Search
// ---------------------------------------------------------------------------------------

namespace {

// Whether a move changes only its own two squares and no bishop counter: no bishop taken,
// no en passant, castling or promotion.
inline bool coup_ordinaire(int32_t m, int32_t x, Tdeplacement d) {
    if (valeur_absolue(x) == FOU) return false;
    const int colonne_depart = d.depart % 8, colonne_arrivee = d.arrivee % 8;
    switch (valeur_absolue(m)) {
        case PION: {
            const int ligne_arrivee = d.arrivee / 8;
            if (x == VIDE && colonne_depart != colonne_arrivee) return false;
            return m > 0 ? ligne_arrivee != 7 : ligne_arrivee != 0;
        }
        case ROI:
            return colonne_depart != 4 || (colonne_arrivee != 2 && colonne_arrivee != 6);
        default:
            return true;
    }
}

// evaluation_apres_coup with the common move worked out here: the search scores every
// move it looks at this way.
inline int score_enfant(const Techiquier* e, const Tcamps& ensembles, int avant, Tdeplacement d) {
    const int32_t m = e->cases[d.depart], x = e->cases[d.arrivee];
    if (coup_ordinaire(m, x, d)) {
        return avant + score_de(m, d.arrivee) - score_de(m, d.depart) - score_de(x, d.arrivee);
    }
    return evaluation_apres_coup(e, ensembles, avant, d);
}

int64_t limite_de_noeuds = INT64_MAX;

// While a line left open by the memo is completed: nothing is counted, heard or stopped.
bool en_silence = false;
int64_t completions_de_lignes = 0;

// ---- The lines of the search ----
// Where analysis lines are asked for, each position searched with the full window keeps the
// line that produced its score: the move that last raised alpha, then that child's line,
// down to a position whose score is its own (the horizon, or no move raised alpha). A
// position whose result came from the memo has no line of its own: its line is marked as
// going on from there, with the window it was searched with, and is completed only for the
// lines printed (complete_ligne). Lines are kept by distance from the root's child.
constexpr int PLIS_DES_LIGNES = 64;
struct Tligne_recherche {
    int longueur;
    bool suite_en_memoire;  // the position after the moves had its result from the memo
    int alpha_suite;
    int beta_suite;
    int score_suite;  // what the memo gave for that position
    Tdeplacement coups[PLIS_DES_LIGNES];
};
bool lignes_actives = false;
Tligne_recherche lignes[PLIS_DES_LIGNES + 1];

inline void ligne_vide(int pli) {
    lignes[pli].longueur = 0;
    lignes[pli].suite_en_memoire = false;
}

inline void ligne_d_un_coup(int pli, Tdeplacement d) {
    lignes[pli].coups[0] = d;
    lignes[pli].longueur = 1;
    lignes[pli].suite_en_memoire = false;
}

// The move that raised alpha, then the line its child has just left.
inline void ligne_par(int pli, Tdeplacement d) {
    Tligne_recherche& ligne = lignes[pli];
    const Tligne_recherche& suite = lignes[pli + 1];
    ligne.coups[0] = d;
    std::copy(suite.coups, suite.coups + suite.longueur, ligne.coups + 1);
    ligne.longueur = suite.longueur + 1;
    ligne.suite_en_memoire = suite.suite_en_memoire;
    ligne.alpha_suite = suite.alpha_suite;
    ligne.beta_suite = suite.beta_suite;
    ligne.score_suite = suite.score_suite;
}

inline void ligne_en_memoire(int pli, int alpha, int beta, int score) {
    lignes[pli].longueur = 0;
    lignes[pli].suite_en_memoire = true;
    lignes[pli].alpha_suite = alpha;
    lignes[pli].beta_suite = beta;
    lignes[pli].score_suite = score;
}

// Looks at the input whenever another 1024 horizon evaluations have been made since
// `avant` ("isready" is answered at once). Raises `arret` when the search must end now
// ("stop", the time limit, the node limit): every level then returns at once, and the root
// drops the move in progress. Otherwise this never changes what the search computes.
// Every count of evaluations is followed by this call before the root hears of it, so a
// search that reaches its node limit is cut inside the same root move whether its
// evaluations came one by one or at once from the memo: the output does not depend on it.
inline void ecoute_si_besoin(int64_t avant) {
    if (node >= limite_de_noeuds) {
        node = limite_de_noeuds;
        arret = 1;
        return;
    }
    if ((avant >> 10) != (node >> 10) && !en_silence && ecoute_pendant_recherche()) arret = 1;
}

// The most a move that takes nothing and promotes nothing raises its side's static score:
// one piece moving across its table, or king and rook together when castling. A pawn's
// table is read without its last row, since a push there promotes.
int32_t ecart_de_table(const Ttable& table, int ligne_exclue_blanc, int ligne_exclue_noir) {
    int32_t ecart = 0;
    for (int moitie = 0; moitie < 2; moitie++) {
        const int exclue = moitie == 0 ? ligne_exclue_blanc : ligne_exclue_noir;
        int32_t plus_haut = std::numeric_limits<int32_t>::min();
        int32_t plus_bas = std::numeric_limits<int32_t>::max();
        for (int index = 0; index < 64; index++) {
            if (index / 8 == exclue) continue;
            plus_haut = std::max(plus_haut, table[64 * moitie + index]);
            plus_bas = std::min(plus_bas, table[64 * moitie + index]);
        }
        ecart = std::max(ecart, plus_haut - plus_bas);
    }
    return ecart;
}

const int32_t GAIN_CALME_MAXIMAL = [] {
    int32_t gain = ecart_de_table(RoiSq, -1, -1) + ecart_de_table(TourSq, -1, -1);
    gain = std::max(gain, ecart_de_table(PionSq, 7, 0));
    for (const Ttable* table : {&CavalierSq, &FouSq, &TourSq, &DameSq, &RoiSq}) {
        gain = std::max(gain, ecart_de_table(*table, -1, -1));
    }
    return gain;
}();

// Whether the side has a pawn one push from its last row.
bool promotion_possible(const Techiquier* e, couleur c) {
    const int ligne = c == BLANC ? 6 : 1;
    for (int colonne = 0; colonne < 8; colonne++) {
        if (e->cases[index_case(ligne, colonne)] == PION * c) return true;
    }
    return false;
}

// What the search knows of a position beside its record, worked out from its parent's:
// its distance from the position alpha_beta was asked about, its static score, its sets
// of squares, and its key in the memo (the window left out) when it has one.
struct Tconnu {
    int pli;
    int statique;
    Tcamps ensembles;
    bool memorisable;
    Tcle cle;
};

// Within one search a position comes back only through another order of the same moves,
// which takes plies to happen: a tenth of the look-ups three plies down find their
// position, one in two hundred two plies down, none above. Looking up nearer the start
// would cost more than it finds.
constexpr int PLI_MINIMAL_DE_LA_MEMOIRE = 3;

// The key of a position `pli` plies down that will be searched `profondeur` plies deep,
// when the memo keeps such searches; its slot is asked for at once.
bool cle_pour_la_memoire(const Techiquier* e, couleur c, int profondeur, int pli, Tcle* cle) {
    if (profondeur < 2 || pli < PLI_MINIMAL_DE_LA_MEMOIRE || !memoire_est_active() ||
        !cle_de_position(e, c, profondeur, Tgenre_memoire::recherche, cle)) {
        return false;
    }
    prepare_memoire(*cle);
    return true;
}

// What the last ply before the horizon keeps while it walks its moves.
struct Tdernier_pli {
    const Tcamps* ensembles;
    couleur c;
    int alpha;
    int beta;
    int statique;
    bool alpha_releve;
    int legaux;  // legal moves scored so far
    const Tsurete* surete;
    Tdeplacement meilleur;  // the move that last raised alpha
};

// Scores one move of the last ply: its child's score is the static score after it, worked
// out from this position's score without playing the move where it can. True when the
// move cuts the search off.
bool coupe_au_dernier_pli(const Techiquier* e, Tdernier_pli* p, Tdeplacement d) {
    const couleur c = p->c;
    if (!sans_danger(e, p->surete, d)) {
        // A step of the king is judged on this board; other moves are played on a copy.
        if (est_pas_du_roi(e, p->surete, d)) {
            if (!pas_du_roi_sur(e, c, *p->ensembles, d)) return false;
        } else {
            Techiquier copie;
            copie_rapide(&copie, e);
            execute_coup(&copie, vers_Tcoup(d));
            if (echec_apres(&copie, c, camps_apres(*p->ensembles, e, d, &copie))) return false;
        }
    }
    const int v = score_enfant(e, *p->ensembles, p->statique, d);
    p->legaux++;
    // A child at the horizon is one evaluation; a probe searched again is two.
    node++;
    if (p->alpha_releve && c * p->alpha < c * v && c * v < c * p->beta) node++;
    if (c * v >= c * p->beta) return true;
    if (c * v > c * p->alpha) {
        p->alpha = v;
        p->alpha_releve = true;
        p->meilleur = d;
    }
    return false;
}

// Whether no move left to score can change anything but the node count: every capture is
// scored, nothing promotes, and even the best quiet move stays at or below alpha (and
// below beta) from the side's view. Each legal one then counts one evaluation.
bool calmes_sans_effet(const Techiquier* e, const Tdernier_pli& p) {
    const int plafond = p.c * p.statique + GAIN_CALME_MAXIMAL;
    return p.surete->sure && plafond <= p.c * p.alpha && plafond < p.c * p.beta &&
           !promotion_possible(e, p.c);
}

// The last ply before the horizon.
int avant_horizon(const Techiquier* e, couleur c, int alpha, int beta, const Tconnu& connu) {
    const int statique = connu.statique;
    Tcoups_par_etapes coups;
    commence_coups(e, c, connu.ensembles, &coups);
    Tsurete surete;
    analyse_surete(e, c, connu.ensembles, &surete);
    Tdernier_pli p{&connu.ensembles, c, alpha, beta, statique, false, 0, &surete, {}};
    const int64_t avant = node;
    Tdeplacement d;
    bool coupe = false;
    while (!coupe && prise_suivante(e, c, &coups, &d)) coupe = coupe_au_dernier_pli(e, &p, d);
    if (!coupe && calmes_sans_effet(e, p)) {
        // The quiet moves are counted, not played: all legal moves less the captures.
        node += compte_coups_legaux_connus(e, c, connu.ensembles, surete) - p.legaux;
    } else {
        while (!coupe && calme_suivant(e, c, &coups, &d)) coupe = coupe_au_dernier_pli(e, &p, d);
    }
    ecoute_si_besoin(avant);
    if (coupe) return beta;
    if (lignes_actives) {
        if (p.alpha_releve) {
            ligne_d_un_coup(connu.pli, p.meilleur);
        } else {
            ligne_vide(connu.pli);
        }
    }
    if (p.alpha_releve) return p.alpha;
    if (p.surete->en_echec) return 9 * statique - 7000 * c;
    return statique;
}

int recherche(const Techiquier* e, couleur c, int profondeur, int alpha, int beta,
              const Tconnu& connu);

// A child of a position: the move, the board after it, what is known of it.
struct Tenfant {
    Tdeplacement coup;
    Techiquier echiquier;
    Tconnu connu;
};

// Plays the next move of a position on a copy and asks at once for the child's slot in the
// memo; false when no move is left.
bool prepare_enfant(const Techiquier* e, couleur c, int profondeur, const Tconnu& connu,
                    Tcoups_par_etapes* coups, Tenfant* enfant) {
    if (!coup_suivant(e, c, coups, &enfant->coup)) return false;
    copie_rapide(&enfant->echiquier, e);
    execute_coup(&enfant->echiquier, vers_Tcoup(enfant->coup));
    enfant->connu.pli = connu.pli + 1;
    enfant->connu.memorisable = cle_pour_la_memoire(&enfant->echiquier, adversaire(c),
                                                    profondeur - 1, connu.pli + 1,
                                                    &enfant->connu.cle);
    return true;
}

// A position two plies or more from the horizon: every legal move searched one ply less
// deep, in the generator's order. Where the children are kept in the memo, each is
// prepared one turn ahead, so that its slot arrives from memory while its elder brother
// is searched: waiting for it would cost more than the memo saves. Elsewhere each child
// is prepared in its turn, none in vain when a move cuts the search off.
int recherche_interieure(const Techiquier* e, couleur c, int profondeur, int alpha, int beta,
                         const Tconnu& connu) {
    Tcoups_par_etapes coups;
    commence_coups(e, c, connu.ensembles, &coups);
    Tsurete surete;
    analyse_surete(e, c, connu.ensembles, &surete);
    const couleur autre = adversaire(c);
    const bool en_avance = profondeur - 1 >= 2 && connu.pli + 1 >= PLI_MINIMAL_DE_LA_MEMOIRE;
    bool alpha_releve = false;
    Tenfant enfants[2];
    int courant = 0;
    bool reste = prepare_enfant(e, c, profondeur, connu, &coups, &enfants[0]);
    while (reste) {
        Tenfant& enfant = enfants[courant];
        courant = 1 - courant;
        if (en_avance) reste = prepare_enfant(e, c, profondeur, connu, &coups, &enfants[courant]);
        const Tdeplacement d = enfant.coup;
        enfant.connu.ensembles = camps_apres(connu.ensembles, e, d, &enfant.echiquier);
        const bool legal = sans_danger(e, &surete, d) ||
                           !echec_apres(&enfant.echiquier, c, enfant.connu.ensembles);
        if (legal) {
            enfant.connu.statique = score_enfant(e, connu.ensembles, connu.statique, d);
            // Two plies from the horizon, the child is the last ply: no dispatch needed.
            const auto cherche = [&](int alpha_enfant, int beta_enfant) {
                return profondeur == 2 ? avant_horizon(&enfant.echiquier, autre, alpha_enfant,
                                                       beta_enfant, enfant.connu)
                                       : recherche(&enfant.echiquier, autre, profondeur - 1,
                                                   alpha_enfant, beta_enfant, enfant.connu);
            };
            int v;
            if (!alpha_releve) {
                v = cherche(beta, alpha);
            } else {
                v = cherche(alpha + c, alpha);
                if (arret == 0 && c * alpha < c * v && c * v < c * beta) v = cherche(beta, alpha);
            }
            if (arret != 0) return beta;  // cut short: the value no longer matters
            if (c * v >= c * beta) return beta;
            if (c * v > c * alpha) {
                alpha = v;
                alpha_releve = true;
                if (lignes_actives) ligne_par(connu.pli, d);
            }
        }
        if (!en_avance) reste = prepare_enfant(e, c, profondeur, connu, &coups, &enfants[courant]);
    }
    if (lignes_actives && !alpha_releve) ligne_vide(connu.pli);
    if (alpha_releve) return alpha;
    if (surete.en_echec) return (10 - profondeur) * connu.statique - 7000 * c;
    return connu.statique;
}

// The one place where a search result enters the memo. A search that "stop" has cut short
// returns a value that means nothing; kept, it would be handed to later searches.
void retient_recherche(const Tcle& cle, int score, int64_t noeuds) {
    if (arret == 0) range_en_memoire(cle, score, noeuds);
}

// recherche_interieure through the memo: a position met again with the same depth and
// window gives the same score after the same horizon evaluations, so both are taken from
// the memo instead of searched again.
int recherche_memorisee(const Techiquier* e, couleur c, int profondeur, int alpha, int beta,
                        const Tconnu& connu) {
    if (!connu.memorisable) return recherche_interieure(e, c, profondeur, alpha, beta, connu);
    Tcle cle = connu.cle;
    fixe_fenetre(&cle, alpha, beta);
    const int64_t avant = node;
    int score;
    int64_t noeuds;
    if (trouve_en_memoire(cle, &score, &noeuds)) {
        // The evaluations count as made, and the poll they would have brought is made.
        node += noeuds;
        ecoute_si_besoin(avant);
        if (lignes_actives) ligne_en_memoire(connu.pli, alpha, beta, score);
        return score;
    }
    score = recherche_interieure(e, c, profondeur, alpha, beta, connu);
    retient_recherche(cle, score, node - avant);
    return score;
}

// alpha_beta with the position's static score known: every child's score is derived from
// its parent's instead of counted again over the whole board.
int recherche(const Techiquier* e, couleur c, int profondeur, int alpha, int beta,
              const Tconnu& connu) {
    if (profondeur <= 0) {
        const int64_t avant = node++;
        ecoute_si_besoin(avant);
        if (lignes_actives) ligne_vide(connu.pli);
        return connu.statique;
    }
    if (profondeur == 1) return avant_horizon(e, c, alpha, beta, connu);
    return recherche_memorisee(e, c, profondeur, alpha, beta, connu);
}

// The static score of the position after a move.
int score_statique_apres(const Techiquier* e, Tcoup coup) {
    Techiquier copie;
    copie_Techiquier(e, &copie);
    execute_coup(&copie, coup);
    return evaluation_complete(&copie);
}

Tconnu connu_de(const Techiquier* e, int pli) {
    Tconnu connu{};
    connu.statique = evaluation_complete(e);
    connu.ensembles = camps(e);
    connu.pli = pli;
    connu.memorisable = false;
    return connu;
}

// The rest of a line that stops at a position whose result came from the memo: that
// position is searched again with the same window (its children through the memo, which
// mostly still holds them), and its own line is added, until no part comes from the memo.
// The search gives the same score and line as the first time, since nothing it reads has
// changed; it counts nothing, polls nothing and cannot be stopped. `e` is the position the
// line starts from, `c` its side to move, `profondeur` its depth.
void complete_ligne(const Techiquier* e, couleur c, int profondeur, Tligne_recherche* ligne) {
    const int64_t noeuds = node, limite = limite_de_noeuds;
    const int32_t arret_avant = arret;
    const bool actives = lignes_actives;
    arret = 0;
    limite_de_noeuds = INT64_MAX;
    en_silence = true;
    lignes_actives = true;
    while (ligne->suite_en_memoire) {
        Techiquier position;
        copie_Techiquier(e, &position);
        couleur cote = c;
        for (int k = 0; k < ligne->longueur; k++) {
            execute_coup(&position, vers_Tcoup(ligne->coups[k]));
            cote = adversaire(cote);
        }
        const int pli = ligne->longueur;
        ligne_vide(pli);
        [[maybe_unused]] const int score =
            recherche_interieure(&position, cote, profondeur - pli, ligne->alpha_suite,
                                 ligne->beta_suite, connu_de(&position, pli));
        assert(score == ligne->score_suite);
        const Tligne_recherche& suite = lignes[pli];
        std::copy(suite.coups, suite.coups + suite.longueur, ligne->coups + pli);
        ligne->longueur = pli + suite.longueur;
        ligne->suite_en_memoire = suite.suite_en_memoire;
        ligne->alpha_suite = suite.alpha_suite;
        ligne->beta_suite = suite.beta_suite;
        ligne->score_suite = suite.score_suite;
        completions_de_lignes++;
    }
    lignes_actives = actives;
    en_silence = false;
    limite_de_noeuds = limite;
    arret = arret_avant;
    node = noeuds;
}

}  // namespace

int alpha_beta(const Techiquier* e, couleur c, int profondeur, int alpha, int beta) {
    Tconnu connu = connu_de(e, 0);
    connu.memorisable = cle_pour_la_memoire(e, c, profondeur, 0, &connu.cle);
    return recherche(e, c, profondeur, alpha, beta, connu);
}

int alpha_beta_ligne(const Techiquier* e, couleur c, int profondeur, int alpha, int beta,
                     std::vector<Tcoup>* ligne) {
    ligne->clear();
    if (profondeur > PLIS_DES_LIGNES) return alpha_beta(e, c, profondeur, alpha, beta);
    const bool actives = lignes_actives;
    lignes_actives = true;
    ligne_vide(0);
    const int v = alpha_beta(e, c, profondeur, alpha, beta);
    Tligne_recherche trouvee = lignes[0];
    if (v == beta) {  // cut off: no line
        trouvee.longueur = 0;
        trouvee.suite_en_memoire = false;
    }
    if (arret == 0) complete_ligne(e, c, profondeur, &trouvee);
    lignes_actives = actives;
    for (int k = 0; k < trouvee.longueur; k++) ligne->push_back(vers_Tcoup(trouvee.coups[k]));
    return v;
}

void garde_coups_permis(Tliste* liste, const std::vector<Tcoup>& permis) {
    const auto est_permis = [&permis](const Tcoup* n) {
        return std::any_of(permis.begin(), permis.end(),
                           [n](Tcoup m) { return comp_Tcoup(m, *n) != 0; });
    };
    bool un_permis = false;
    for (const Tcoup* n = *liste; n != nullptr; n = n->suivant) un_permis |= est_permis(n);
    if (!un_permis) return;
    for (Tcoup* n = *liste; n != nullptr;) {
        Tcoup* const suivant = n->suivant;
        if (!est_permis(n)) supprimer_dans_liste(*n, liste);
        n = suivant;
    }
}

namespace {

int lignes_demandees = 0;
std::vector<Tcoup_note> notees;

// A root move searched to its end, with its score and the line that produced it.
struct Tracine_finie {
    Tcoup coup;
    int valeur;
    Tligne_recherche ligne;
};

// The root move's line as the protocol writes it, after "pv": the move, then its child's
// line, each move with "q" when a pawn promotes. It stops before a move the rules forbid
// there: the search checks only that the mover's king is safe after a move, which leaves
// only castling out of or through check to look at. `*mat` tells whether the last
// position written is checkmate, `*plis` how many moves were written.
std::string texte_de_ligne(const Techiquier* e, couleur c, const Tracine_finie& racine,
                           int* plis, bool* mat) {
    Techiquier position;
    copie_Techiquier(e, &position);
    couleur cote = c;
    std::string pv;
    *plis = 0;
    const auto permis = [&](Tcoup coup) {
        const int32_t piece = position.cases[index_case(coup.ligne_depart, coup.colonne_depart)];
        if (valeur_absolue(piece) != ROI ||
            valeur_absolue(coup.colonne_arrivee - coup.colonne_depart) != 2) {
            return true;
        }
        Tliste legaux;
        init_liste(&legaux);
        generateur(&position, cote, &legaux);
        enleve_pos_echec_rapide(&position, &legaux);
        const bool legal = est_dans_liste(coup, legaux) != 0;
        total_destroy_liste(&legaux);
        return legal;
    };
    const auto joue = [&](Tcoup coup) {
        if (!permis(coup)) return false;
        pv += " " + texte_coup(&position, coup);
        execute_coup(&position, coup);
        cote = adversaire(cote);
        ++*plis;
        return true;
    };
    bool suite = joue(racine.coup);
    for (int k = 0; suite && k < racine.ligne.longueur; k++) {
        suite = joue(vers_Tcoup(racine.ligne.coups[k]));
    }
    Tsurete surete;
    analyse_surete(&position, cote, camps(&position), &surete);
    *mat = surete.en_echec && coups_legaux_complets(&position, cote).empty();
    return pv;
}

void ecrit_ligne_d_analyse(int profondeur, int rang, const std::string& score, int64_t temps,
                           int64_t nps, const std::string& pv) {
    ecrit("info depth %d multipv %d score %s nodes %lld time %lld nps %lld%s%s\n", profondeur,
          rang, score.c_str(), static_cast<long long>(node), static_cast<long long>(temps),
          static_cast<long long>(nps), pv.empty() ? "" : " pv", pv.c_str());
}

// The analysis lines of one root search: the best finished root moves first, equal scores
// in the root list's order, so that the first is the move the search hands back. Each
// score is the search's own, from the side to move: "mate M" when the line ends in
// checkmate (M moves, negative when the side to move is mated), else "cp".
void ecrit_lignes_d_analyse(const Techiquier* e, couleur c, int profondeur,
                            std::vector<Tracine_finie>* finies, bool aucun_coup, int64_t temps,
                            int64_t nps) {
    if (aucun_coup) {
        // Mated (mate 0) or stalemate, with no line.
        ecrit_ligne_d_analyse(profondeur, 1, echec(e, c) ? "mate 0" : "cp 0", temps, nps, "");
        return;
    }
    std::stable_sort(finies->begin(), finies->end(),
                     [c](const Tracine_finie& a, const Tracine_finie& b) {
                         return c * a.valeur > c * b.valeur;
                     });
    const size_t nombre = std::min(finies->size(), static_cast<size_t>(lignes_demandees));
    for (size_t rang = 0; rang < nombre; rang++) {
        Tracine_finie& racine = (*finies)[rang];
        Techiquier enfant;
        copie_Techiquier(e, &enfant);
        execute_coup(&enfant, racine.coup);
        complete_ligne(&enfant, adversaire(c), profondeur - 1, &racine.ligne);
        int plis = 0;
        bool mat = false;
        const std::string pv = texte_de_ligne(e, c, racine, &plis, &mat);
        const std::string score =
            mat ? "mate " + std::to_string(plis % 2 == 1 ? (plis + 1) / 2 : -(plis / 2))
                : "cp " + std::to_string(c * racine.valeur);
        ecrit_ligne_d_analyse(profondeur, static_cast<int>(rang) + 1, score, temps, nps, pv);
    }
}

}  // namespace

void fixe_lignes_d_analyse(int nombre) { lignes_demandees = std::max(nombre, 0); }

int lignes_d_analyse() { return lignes_demandees; }

int64_t lignes_completees() { return completions_de_lignes; }

const std::vector<Tcoup_note>& racines_notees() { return notees; }

void fixe_limite_de_noeuds(int64_t limite) { limite_de_noeuds = limite; }

void leve_limite_de_noeuds() { limite_de_noeuds = INT64_MAX; }

int64_t choix_coup(const Techiquier* e, couleur c, int profondeur, Tcoup* coup,
                   const std::vector<Tcoup>* permis) {
    Tliste liste;
    init_liste(&liste);
    generateur(e, c, &liste);
    enleve_pos_echec_rapide(e, &liste);
    if (permis != nullptr) garde_coups_permis(&liste, *permis);

    arret = 0;
    node = 0;
    int meilleur = c * -50000;
    int score_rapporte = 0;
    bool adopte = false;
    int termines = 0;
    const int64_t debut = maintenant_ms();
    // Lines are kept only where they are printed, and for depths whose lines fit.
    const bool analyse = lignes_demandees > 0;
    lignes_actives = analyse && profondeur <= PLIS_DES_LIGNES;
    std::vector<Tracine_finie> finies;
    notees.clear();

    for (Tcoup* n = liste; n != nullptr && arret == 0;) {
        Techiquier copie;
        copie_Techiquier(e, &copie);
        execute_coup(&copie, *n);
        if (lignes_actives) ligne_vide(0);
        const int v = alpha_beta(&copie, adversaire(c), profondeur - 1, c * 10000, c * -10000);
        if (arret != 0) break;  // cut inside this move: its partial score is not used
        termines++;
        notees.push_back({*n, v});
        if (analyse) {
            finies.push_back({*n, v, {}});
            // A child that reached its beta was cut off, and its line means nothing.
            if (lignes_actives && v != c * -10000) finies.back().ligne = lignes[0];
        }
        if (c * v > c * meilleur) {
            meilleur = v;
            *coup = fait_coup(n->ligne_depart, n->colonne_depart, n->ligne_arrivee,
                              n->colonne_arrivee);
            score_rapporte = c * evaluation_complete(&copie);
            adopte = true;
        }
        n = n->suivant;
        arret = stop();
    }
    if (!adopte && liste != nullptr) {
        // A search cut before any move was done keeps the caller's move when it is legal
        // here (the best move of an earlier depth of the same plan). Otherwise the first
        // legal move is answered, as when no score beats the starting bound (only absurd
        // material does that): a legal answer, where the previous move might not be.
        if (termines > 0 || !est_dans_liste(*coup, liste)) {
            *coup = fait_coup(liste->ligne_depart, liste->colonne_depart, liste->ligne_arrivee,
                              liste->colonne_arrivee);
        }
        if (termines == 0) score_rapporte = c * score_statique_apres(e, *coup);
    }

    const int64_t ecoule = maintenant_ms() - debut;
    int64_t temps = 0, nps = 0;
    if (ecoule > 0) {
        temps = ecoule;
        nps = static_cast<int64_t>(static_cast<double>(node) / (static_cast<double>(ecoule) / 1000.0));
    }
    if (analyse) {
        ecrit_lignes_d_analyse(e, c, profondeur, &finies, liste == nullptr, temps, nps);
        lignes_actives = false;
    } else {
        const std::string pv = liste == nullptr ? "0000" : texte_coup(e, *coup);
        ecrit("info depth %d nodes %lld time %lld nps %lld score cp %d pv %s\n", profondeur,
              static_cast<long long>(node), static_cast<long long>(temps),
              static_cast<long long>(nps), score_rapporte, pv.c_str());
    }
    total_destroy_liste(&liste);
    return temps;
}

// ---------------------------------------------------------------------------------------
// Move-path counting
// ---------------------------------------------------------------------------------------

int64_t perft(const Techiquier* e, couleur c, int profondeur) {
    Tliste liste;
    init_liste(&liste);
    generateur(e, c, &liste);
    enleve_pos_echec_rapide(e, &liste);
    int64_t total = 0;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) {
        Techiquier copie;
        copie_Techiquier(e, &copie);
        execute_coup(&copie, *n);
        total += min_max(&copie, adversaire(c), profondeur - 1) + 1;
        // A long count whose interface has gone away ends after the root move in progress.
        if (sortie_abandonnee()) break;
    }
    total_destroy_liste(&liste);
    return total;
}

namespace {

int64_t compte(const Techiquier* e, couleur c, int profondeur, const Tcamps& ensembles);

// min_max two plies or more from the end: every move that leaves the king safe, counted
// with the paths below it.
int64_t compte_interieur(const Techiquier* e, couleur c, int profondeur, const Tcamps& ensembles) {
    Tcoups coups;
    genere_coups(e, c, &coups);
    Tsurete surete;
    analyse_surete(e, c, ensembles, &surete);
    int64_t total = 0;
    for (int i = coups.debut; i < coups.fin; i++) {
        const Tdeplacement d = coups.tampon[i];
        Techiquier copie;
        copie_rapide(&copie, e);
        execute_coup(&copie, vers_Tcoup(d));
        const Tcamps ensembles_enfant = camps_apres(ensembles, e, d, &copie);
        if (!sans_danger(e, &surete, d) && echec_apres(&copie, c, ensembles_enfant)) continue;
        total += compte(&copie, adversaire(c), profondeur - 1, ensembles_enfant) + 1;
    }
    return total;
}

// compte_interieur through the memo: the count of a position met again at the same depth
// is the one counted before. Counts always run to their end, so every one is kept.
int64_t compte_memorise(const Techiquier* e, couleur c, int profondeur, const Tcamps& ensembles) {
    Tcle cle;
    if (!memoire_est_active() ||
        !cle_memoire(e, c, profondeur, Tgenre_memoire::comptage, 0, 0, &cle)) {
        return compte_interieur(e, c, profondeur, ensembles);
    }
    int inutilise;
    int64_t total;
    if (trouve_en_memoire(cle, &inutilise, &total)) return total;
    total = compte_interieur(e, c, profondeur, ensembles);
    range_en_memoire(cle, 0, total);
    return total;
}

// min_max with the board's sets known.
int64_t compte(const Techiquier* e, couleur c, int profondeur, const Tcamps& ensembles) {
    if (profondeur <= 0) return 0;
    if (profondeur == 1) {
        // The last ply counts the moves that leave the king safe without playing them.
        Tsurete surete;
        analyse_surete(e, c, ensembles, &surete);
        return compte_coups_legaux_connus(e, c, ensembles, surete);
    }
    return compte_memorise(e, c, profondeur, ensembles);
}

}  // namespace

int64_t min_max(const Techiquier* e, couleur c, int profondeur) {
    return compte(e, c, profondeur, camps(e));
}
