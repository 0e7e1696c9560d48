#include "ai.h"

#include <array>
#include <chrono>

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

int64_t millisecondes_monotones() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

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

// ---------------------------------------------------------------------------------------
// Search
// ---------------------------------------------------------------------------------------

namespace {

// The static score after a move that changes only its two squares and no bishop counter,
// from the score before it. False for the other moves (en passant, castling, promotion,
// a bishop taken), whose score is computed from the board after them.
bool evaluation_apres(const Techiquier* e, int avant, Tdeplacement d, int* apres) {
    const int32_t m = e->cases[d.depart], x = e->cases[d.arrivee];
    const int32_t type = valeur_absolue(m);
    if (m == VIDE || valeur_absolue(x) == FOU) return false;
    if (type == PION) {
        if (x == VIDE && (d.arrivee - d.depart) % 8 != 0) return false;
        const int ligne = d.arrivee / 8;
        if ((m > 0 && ligne == 7) || (m < 0 && ligne == 0)) return false;
    }
    if (type == ROI && d.depart % 8 == 4 && (d.arrivee % 8 == 2 || d.arrivee % 8 == 6)) {
        return false;
    }
    *apres = avant + SCORE_PIECE[m + DAME][d.arrivee] - SCORE_PIECE[m + DAME][d.depart] -
             SCORE_PIECE[x + DAME][d.arrivee];
    return true;
}

// Looks at the input whenever another 1024 horizon evaluations have been made since
// `avant` ("isready" is answered at once); this never changes what the search computes.
inline void ecoute_si_besoin(int64_t avant) {
    if ((avant >> 10) != (node >> 10)) ecoute_pendant_recherche();
}

// The static score of the position after a move, `apres` being the board after it.
inline int score_apres(const Techiquier* e, int avant, Tdeplacement d, const Techiquier* apres) {
    int score;
    return evaluation_apres(e, avant, d, &score) ? score : evaluation_complete(apres);
}

// The last ply before the horizon: each child's score is the static score after the move,
// worked out from this position's score without playing the move where it can.
int avant_horizon(const Techiquier* e, couleur c, int alpha, int beta, int statique) {
    const Tcamps ensembles = camps(e);
    Tcoups_par_etapes coups;
    commence_coups(e, c, ensembles, &coups);
    Tsurete surete;
    analyse_surete(e, c, ensembles, &surete);
    const int64_t avant = node;
    bool alpha_releve = false;
    Tdeplacement d;
    while (coup_suivant(e, c, &coups, &d)) {
        int v;
        const bool sur = sans_danger(e, &surete, d);
        if (!sur || !evaluation_apres(e, statique, d, &v)) {
            Techiquier copie = *e;
            execute_coup(&copie, vers_Tcoup(d));
            if (!sur && echec_rapide(&copie, c)) continue;
            v = score_apres(e, statique, d, &copie);
        }
        // A child at the horizon is one evaluation; a probe searched again is two.
        node++;
        if (alpha_releve && c * alpha < c * v && c * v < c * beta) node++;
        if (c * v >= c * beta) {
            ecoute_si_besoin(avant);
            return beta;
        }
        if (c * v > c * alpha) {
            alpha = v;
            alpha_releve = true;
        }
    }
    ecoute_si_besoin(avant);
    if (alpha_releve) return alpha;
    if (surete.en_echec) return 9 * statique - 7000 * c;
    return statique;
}

// alpha_beta with the position's static score known: every child's score is derived from
// its parent's instead of counted again over the whole board.
int recherche(const Techiquier* e, couleur c, int profondeur, int alpha, int beta, int statique) {
    if (profondeur <= 0) {
        const int64_t avant = node++;
        ecoute_si_besoin(avant);
        return statique;
    }
    if (profondeur == 1) return avant_horizon(e, c, alpha, beta, statique);
    const Tcamps ensembles = camps(e);
    Tcoups_par_etapes coups;
    commence_coups(e, c, ensembles, &coups);
    Tsurete surete;
    analyse_surete(e, c, ensembles, &surete);
    const couleur autre = adversaire(c);
    bool alpha_releve = false;
    Tdeplacement d;
    while (coup_suivant(e, c, &coups, &d)) {
        Techiquier copie = *e;
        execute_coup(&copie, vers_Tcoup(d));
        if (!sans_danger(e, &surete, d) && echec_rapide(&copie, c)) continue;
        const int score_enfant = score_apres(e, statique, d, &copie);
        int v;
        if (!alpha_releve) {
            v = recherche(&copie, autre, profondeur - 1, beta, alpha, score_enfant);
        } else {
            v = recherche(&copie, autre, profondeur - 1, alpha + c, alpha, score_enfant);
            if (c * alpha < c * v && c * v < c * beta) {
                v = recherche(&copie, autre, profondeur - 1, beta, alpha, score_enfant);
            }
        }
        if (c * v >= c * beta) return beta;
        if (c * v > c * alpha) {
            alpha = v;
            alpha_releve = true;
        }
    }
    if (alpha_releve) return alpha;
    if (surete.en_echec) return (10 - profondeur) * statique - 7000 * c;
    return statique;
}

}  // namespace

int alpha_beta(const Techiquier* e, couleur c, int profondeur, int alpha, int beta) {
    return recherche(e, c, profondeur, alpha, beta, evaluation_complete(e));
}

int64_t choix_coup(const Techiquier* e, couleur c, int profondeur, Tcoup* coup) {
    Tliste liste;
    init_liste(&liste);
    generateur(e, c, &liste);
    enleve_pos_echec(e, &liste);

    arret = 0;
    node = 0;
    int meilleur = c * -50000;
    int score_rapporte = 0;
    bool adopte = false;
    const int64_t debut = millisecondes_monotones();

    for (Tcoup* n = liste; n != nullptr && arret == 0;) {
        Techiquier copie;
        copie_Techiquier(e, &copie);
        execute_coup(&copie, *n);
        const int v = alpha_beta(&copie, adversaire(c), profondeur - 1, c * 10000, c * -10000);
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
    // Scores beyond the starting bound can only come from absurd material; the first
    // legal move is still a legal answer, where the previous move would not be.
    if (!adopte && liste != nullptr) {
        *coup = fait_coup(liste->ligne_depart, liste->colonne_depart, liste->ligne_arrivee,
                          liste->colonne_arrivee);
    }

    const int64_t ecoule = millisecondes_monotones() - debut;
    int64_t temps = 0, nps = 0;
    if (ecoule > 0) {
        temps = ecoule;
        nps = static_cast<int64_t>(static_cast<double>(node) / (static_cast<double>(ecoule) / 1000.0));
    }
    const std::string pv = liste == nullptr ? "0000" : texte_coup(e, *coup);
    ecrit("info depth %d nodes %lld time %lld nps %lld score cp %d pv %s\n", profondeur,
          static_cast<long long>(node), static_cast<long long>(temps),
          static_cast<long long>(nps), score_rapporte, pv.c_str());
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
    enleve_pos_echec(e, &liste);
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

int64_t min_max(const Techiquier* e, couleur c, int profondeur) {
    if (profondeur <= 0) return 0;
    // The last ply counts the moves that leave the king safe without playing the others.
    if (profondeur == 1) return compte_coups_legaux(e, c);
    Tcoups coups;
    genere_coups(e, c, &coups);
    Tsurete surete;
    analyse_surete(e, c, camps(e), &surete);
    int64_t total = 0;
    for (int i = coups.debut; i < coups.fin; i++) {
        const Tdeplacement d = coups.tampon[i];
        Techiquier copie = *e;
        execute_coup(&copie, vers_Tcoup(d));
        if (!sans_danger(e, &surete, d) && echec_rapide(&copie, c)) continue;
        total += min_max(&copie, adversaire(c), profondeur - 1) + 1;
    }
    return total;
}
