// SPDX-License-Identifier: GPL-3.0-or-later
#include "ai_mat.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <new>

#include "ai.h"
#include "ai_memoire.h"
#include "divers.h"
#include "primitives_rapides.h"

namespace {

// ---- Lines and jumps as sets of squares ----

// Bishop directions first, then rook directions (rows, columns).
constexpr int DIR_LIGNE[8] = {1, 1, -1, -1, 1, -1, 0, 0};
constexpr int DIR_COLONNE[8] = {1, -1, 1, -1, 0, 0, 1, -1};
// Directions 0, 1, 4, 6 go toward higher square indexes.
constexpr bool VERS_LE_HAUT[8] = {true, true, false, false, true, false, true, false};

constexpr Tbits bit(int index) {
    return Tbits{1} << index;
}

struct Tlignes {
    Tbits rayons[8][64];
    Tbits entre[64][64];  // the squares strictly between two aligned squares, else 0
    Tbits diagonales[64];
    Tbits droites[64];
    Tbits sauts[64];
    Tbits voisins[64];
};

constexpr Tlignes calcule_lignes() {
    Tlignes t{};
    constexpr int SAUT_L[8] = {2, 2, -2, -2, 1, -1, -1, 1};
    constexpr int SAUT_C[8] = {1, -1, -1, 1, 2, 2, -2, -2};
    for (int index = 0; index < 64; index++) {
        const int l = index / 8, c = index % 8;
        for (int k = 0; k < 8; k++) {
            if (sur_echiquier(l + SAUT_L[k], c + SAUT_C[k])) {
                t.sauts[index] |= bit(index_case(l + SAUT_L[k], c + SAUT_C[k]));
            }
            if (sur_echiquier(l + DIR_LIGNE[k], c + DIR_COLONNE[k])) {
                t.voisins[index] |= bit(index_case(l + DIR_LIGNE[k], c + DIR_COLONNE[k]));
            }
        }
        for (int dir = 0; dir < 8; dir++) {
            Tbits passees = 0;
            for (int ll = l + DIR_LIGNE[dir], cc = c + DIR_COLONNE[dir]; sur_echiquier(ll, cc);
                 ll += DIR_LIGNE[dir], cc += DIR_COLONNE[dir]) {
                const int vers = index_case(ll, cc);
                t.entre[index][vers] = passees;
                passees |= bit(vers);
            }
            t.rayons[dir][index] = passees;
            (dir < 4 ? t.diagonales : t.droites)[index] |= passees;
        }
    }
    return t;
}

constexpr Tlignes LIGNES = calcule_lignes();

inline int plus_proche(Tbits sur_le_rayon, int dir) {
    return VERS_LE_HAUT[dir] ? std::countr_zero(sur_le_rayon) : 63 - std::countl_zero(sur_le_rayon);
}

// The pieces of side `par` that attack the square (the pieces of `ensembles` blocking).
Tbits attaquants(const Techiquier* e, const Tcamps& ensembles, int cible, couleur par) {
    const Tbits siens = par == BLANC ? ensembles.blancs : ensembles.noirs;
    const Tbits occupees = ensembles.blancs | ensembles.noirs;
    Tbits trouves = 0;
    for (Tbits b = LIGNES.sauts[cible] & siens; b != 0; b &= b - 1) {
        if (e->cases[std::countr_zero(b)] == CAVALIER * par) trouves |= b & -b;
    }
    for (Tbits b = LIGNES.voisins[cible] & siens; b != 0; b &= b - 1) {
        if (e->cases[std::countr_zero(b)] == ROI * par) trouves |= b & -b;
    }
    const int ligne_pion = cible / 8 - par, colonne = cible % 8;
    if (ligne_pion >= 0 && ligne_pion < 8) {
        for (int cc : {colonne - 1, colonne + 1}) {
            if (cc >= 0 && cc < 8 && e->cases[index_case(ligne_pion, cc)] == PION * par) {
                trouves |= bit(index_case(ligne_pion, cc));
            }
        }
    }
    for (int dir = 0; dir < 8; dir++) {
        const Tbits sur_le_rayon = LIGNES.rayons[dir][cible] & occupees;
        if (sur_le_rayon == 0) continue;
        const int premiere = plus_proche(sur_le_rayon, dir);
        const Tbits glisseurs = dir < 4 ? ensembles.diagonaux : ensembles.droits;
        if (siens & glisseurs & bit(premiere)) trouves |= bit(premiere);
    }
    return trouves;
}

// ---- Moves ----

// A move of the search: two squares, the promotion piece (0 for none).
struct Tcoup_mat {
    uint8_t depart;
    uint8_t arrivee;
    int8_t promotion;
};

bool meme_coup(Tcoup_mat a, Tcoup_mat b) {
    return a.depart == b.depart && a.arrivee == b.arrivee && a.promotion == b.promotion;
}

constexpr Tcoup_mat AUCUN_COUP = {0, 0, -1};

// Far above the legal moves of any position a FEN can give (at most 16 pieces a side).
constexpr int COUPS_MAX = 2 * MOITIE_COUPS + 96;

// Promotions in the order they are tried: the queen first, then the pieces that mate
// where she would stalemate or could not check.
constexpr int32_t PROMOTIONS[4] = {DAME, CAVALIER, TOUR, FOU};

bool est_promotion(const Techiquier* e, Tdeplacement d) {
    const int32_t m = e->cases[d.depart];
    return (m == PION && d.arrivee / 8 == 7) || (m == -PION && d.arrivee / 8 == 0);
}

int32_t* droit_de(Techiquier* e, couleur c, bool grand) {
    if (c == BLANC) return grand ? &e->grand_roque_blanc : &e->petit_roque_blanc;
    return grand ? &e->grand_roque_noir : &e->petit_roque_noir;
}

int32_t droit(const Techiquier* e, couleur c, bool grand) {
    if (c == BLANC) return grand ? e->grand_roque_blanc : e->petit_roque_blanc;
    return grand ? e->grand_roque_noir : e->petit_roque_noir;
}

// The board record drops a castling right when a rook leaves column a or h, or is taken
// there, from any row; the rules drop it only for the rook in its home corner.
void garde_le_droit(const Techiquier* avant, Techiquier* apres, int32_t code, int index) {
    if (valeur_absolue(code) != TOUR) return;
    const couleur c = signe(code);
    const int colonne = index % 8;
    if ((colonne != 0 && colonne != 7) || index / 8 == ligne_de_base(c)) return;
    *droit_de(apres, c, colonne == 0) = droit(avant, c, colonne == 0);
}

// The search's own move: joue_coup_promu with the castling rights as the rules keep them.
void joue(const Techiquier* e, Tcoup_mat coup, Techiquier* apres) {
    copie_rapide(apres, e);
    const int32_t m = e->cases[coup.depart], x = e->cases[coup.arrivee];
    execute_coup(apres, vers_Tcoup({coup.depart, coup.arrivee}));
    if (coup.promotion != 0) apres->cases[coup.arrivee] = coup.promotion * signe(m);
    garde_le_droit(e, apres, m, coup.depart);
    garde_le_droit(e, apres, x, coup.arrivee);
}

// What legality needs to know of a position: its king's safety and, in check, the squares
// a move other than the king's must land on (the checker, or between it and the king).
struct Tposition {
    Tcamps ensembles;
    Tsurete surete;
    Tbits parades;
};

void analyse(const Techiquier* e, couleur c, const Tcamps& ensembles, Tposition* p) {
    p->ensembles = ensembles;
    analyse_surete(e, c, p->ensembles, &p->surete);
    p->parades = ~Tbits{0};
    if (!p->surete.en_echec || p->surete.roi < 0) return;
    const Tbits echecs = attaquants(e, p->ensembles, p->surete.roi, -c);
    if (echecs == 0) return;  // a check no piece gives (a record no game makes): test all
    if (std::popcount(echecs) > 1) {
        p->parades = 0;
        return;
    }
    const int ou = std::countr_zero(echecs);
    p->parades = echecs | LIGNES.entre[p->surete.roi][ou];
}

bool legal_en_jouant(const Techiquier* e, couleur c, const Tposition& p, Tdeplacement d) {
    Techiquier apres;
    copie_rapide(&apres, e);
    execute_coup(&apres, vers_Tcoup(d));
    return !echec_apres(&apres, c, camps_apres(p.ensembles, e, d, &apres));
}

// Whether a pseudo-legal move of the generator is legal under the full rules.
bool est_legal(const Techiquier* e, couleur c, const Tposition& p, Tdeplacement d) {
    const int32_t type = valeur_absolue(e->cases[d.depart]);
    const int ecart = d.arrivee % 8 - d.depart % 8;
    if (type == ROI) {
        if (ecart != 2 && ecart != -2) return pas_du_roi_sur(e, c, p.ensembles, d);
        // Castling: not out of check, not through an attacked square, not into check.
        if (p.surete.en_echec) return false;
        const Tdeplacement passage = {d.depart, static_cast<uint8_t>(d.depart + ecart / 2)};
        return pas_du_roi_sur(e, c, p.ensembles, passage) && legal_en_jouant(e, c, p, d);
    }
    const bool en_passant = type == PION && ecart != 0 && e->cases[d.arrivee] == VIDE;
    if (!en_passant && (p.parades & bit(d.arrivee)) == 0) return false;
    return sans_danger(e, &p.surete, d) || legal_en_jouant(e, c, p, d);
}

// Whether the generator gives the move here, castling aside: a move remembered from another
// position is tried early only when it is one of this position's.
bool est_pseudo_legal(const Techiquier* e, couleur c, const Tcamps& ensembles, Tcoup_mat coup) {
    if (coup.promotion < 0) return false;
    const int32_t m = e->cases[coup.depart], x = e->cases[coup.arrivee];
    if (m * c <= 0 || x * c > 0) return false;
    const Tbits occupees = ensembles.blancs | ensembles.noirs;
    const Tbits vers = bit(coup.arrivee);
    const auto libre = [&] { return (LIGNES.entre[coup.depart][coup.arrivee] & occupees) == 0; };
    const int32_t type = valeur_absolue(m);
    if (type != PION) {
        if (coup.promotion != 0) return false;
        switch (type) {
            case CAVALIER:
                return (LIGNES.sauts[coup.depart] & vers) != 0;
            case ROI:
                return (LIGNES.voisins[coup.depart] & vers) != 0;
            case FOU:
                return (LIGNES.diagonales[coup.depart] & vers) != 0 && libre();
            case TOUR:
                return (LIGNES.droites[coup.depart] & vers) != 0 && libre();
            default:
                return ((LIGNES.diagonales[coup.depart] | LIGNES.droites[coup.depart]) & vers) !=
                           0 &&
                       libre();
        }
    }
    if (est_promotion(e, {coup.depart, coup.arrivee}) != (coup.promotion != 0)) return false;
    const int ligne = coup.depart / 8, avance = coup.arrivee / 8 - ligne;
    const int ecart = coup.arrivee % 8 - coup.depart % 8;
    if (ecart == 0) {
        if (x != VIDE) return false;
        if (avance == c) return true;
        return avance == 2 * c && ligne == (c == BLANC ? 1 : 6) &&
               e->cases[coup.depart + 8 * c] == VIDE;
    }
    if ((ecart != 1 && ecart != -1) || avance != c) return false;
    if (x != VIDE) return true;
    return e->ep_ligne >= 0 && coup.arrivee % 8 == e->ep_colonne && ligne == (c == BLANC ? 4 : 3);
}

// The legal moves in the generator's order, each promotion four times; their number.
int genere_legaux(const Techiquier* e, couleur c, const Tposition& p, Tcoup_mat* sortie) {
    Tcoups coups;
    genere_coups(e, c, &coups);
    int n = 0;
    for (int i = coups.debut; i < coups.fin; i++) {
        const Tdeplacement d = coups.tampon[i];
        if (!est_legal(e, c, p, d)) continue;
        if (!est_promotion(e, d)) {
            sortie[n++] = {d.depart, d.arrivee, 0};
            continue;
        }
        for (const int32_t promue : PROMOTIONS) {
            sortie[n++] = {d.depart, d.arrivee, static_cast<int8_t>(promue)};
        }
    }
    return n;
}

// Whether the side to move, in check, has a legal move: the king's steps first, then only
// the moves that take the checker or step between (en passant always played).
bool a_une_parade(const Techiquier* e, couleur c, const Tposition& p) {
    const int roi = p.surete.roi;
    if (roi < 0) {
        Tcoup_mat tous[COUPS_MAX];
        return genere_legaux(e, c, p, tous) > 0;
    }
    const Tbits propres = c == BLANC ? p.ensembles.blancs : p.ensembles.noirs;
    for (Tbits b = LIGNES.voisins[roi] & ~propres; b != 0; b &= b - 1) {
        const Tdeplacement pas = {static_cast<uint8_t>(roi),
                                  static_cast<uint8_t>(std::countr_zero(b))};
        if (pas_du_roi_sur(e, c, p.ensembles, pas)) return true;
    }
    if (p.parades == 0) return false;
    Tcoups coups;
    genere_coups(e, c, &coups);
    for (int i = coups.debut; i < coups.fin; i++) {
        const Tdeplacement d = coups.tampon[i];
        if (d.depart != roi && est_legal(e, c, p, d)) return true;
    }
    return false;
}

// Whether the move may give check: it lands where its piece attacks the king from, or
// leaves a line through the king (a discovered check), or castles, or takes en passant.
// Never false for a move that checks.
bool peut_donner_echec(const Techiquier* e, couleur c, Tcoup_mat coup, int roi) {
    const int32_t type = valeur_absolue(e->cases[coup.depart]);
    if ((LIGNES.diagonales[roi] | LIGNES.droites[roi]) & bit(coup.depart)) return true;
    const int ecart = coup.arrivee % 8 - coup.depart % 8;
    if (type == ROI) return ecart == 2 || ecart == -2;
    if (type == PION && ecart != 0 && e->cases[coup.arrivee] == VIDE) return true;
    switch (coup.promotion != 0 ? coup.promotion : type) {
        case PION:
            return roi / 8 == coup.arrivee / 8 + c &&
                   (roi % 8 - coup.arrivee % 8 == 1 || roi % 8 - coup.arrivee % 8 == -1);
        case CAVALIER:
            return (LIGNES.sauts[roi] & bit(coup.arrivee)) != 0;
        case FOU:
            return (LIGNES.diagonales[roi] & bit(coup.arrivee)) != 0;
        case TOUR:
            return (LIGNES.droites[roi] & bit(coup.arrivee)) != 0;
        default:
            return ((LIGNES.diagonales[roi] | LIGNES.droites[roi]) & bit(coup.arrivee)) != 0;
    }
}

int case_du_roi_adverse(const Techiquier* e, couleur c) {
    return c == BLANC ? index_case(e->roi_noir_ligne, e->roi_noir_colonne)
                      : index_case(e->roi_blanc_ligne, e->roi_blanc_colonne);
}

// ---- The table of positions proved or refuted ----

// Budgets: the mating side's moves still allowed, counted from the position (its move
// next) or, for the other side to move, from the position after its reply.
constexpr int16_t INCONNU = 0x7FFF;

// A position with its whole record as the key; `sans_mat`: no mate within that many moves
// (0 when unknown), `mat`: a mate within that many (INCONNU when unknown); the move that
// mated or refuted.
struct alignas(64) Tentree_mat {
    uint64_t cle[5];
    uint32_t generation;  // an entry of an earlier search is empty
    int16_t sans_mat;
    int16_t mat;
    Tcoup_mat coup;
};
static_assert(sizeof(Tentree_mat) == 64, "one entry, one cache line");

constexpr size_t ENTREES = size_t{1} << 16;  // 4 MiB
Tentree_mat* table = nullptr;
bool allocation_essayee = false;
uint32_t generation = 0;

void prepare_table() {
    if (!allocation_essayee) {
        allocation_essayee = true;
        // Zeroed: an entry of generation 0 is empty. Without the memory, no table.
        table = new (std::nothrow) Tentree_mat[ENTREES]();
    }
    generation++;
}

struct Tcle_mat {
    bool valide;
    uint64_t mots[5];
    size_t place;
};

Tcle_mat cle_de(const Techiquier* e, couleur c) {
    Tcle_mat k{};
    Tcle cle;
    if (table == nullptr || !cle_de_position(e, c, 0, Tgenre_memoire::recherche, &cle)) return k;
    k.valide = true;
    uint64_t h = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < 5; i++) {
        k.mots[i] = cle.mots[i];
        h = (h ^ cle.mots[i]) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    k.place = h & (ENTREES - 1);
    return k;
}

const Tentree_mat* trouve(const Tcle_mat& k) {
    if (!k.valide) return nullptr;
    const Tentree_mat* entree = &table[k.place];
    if (entree->generation != generation || std::memcmp(entree->cle, k.mots, sizeof k.mots) != 0) {
        return nullptr;
    }
    return entree;
}

void range(const Tcle_mat& k, int sans_mat, int mat, Tcoup_mat coup) {
    if (!k.valide || arret != 0) return;
    Tentree_mat* entree = &table[k.place];
    if (entree->generation != generation || std::memcmp(entree->cle, k.mots, sizeof k.mots) != 0) {
        std::memcpy(entree->cle, k.mots, sizeof k.mots);
        entree->generation = generation;
        entree->sans_mat = 0;
        entree->mat = INCONNU;
        entree->coup = AUCUN_COUP;
    }
    if (sans_mat > entree->sans_mat) entree->sans_mat = static_cast<int16_t>(sans_mat);
    if (mat < entree->mat) entree->mat = static_cast<int16_t>(mat);
    if (coup.promotion >= 0) entree->coup = coup;
}

// ---- The search ----

// Far beyond any mate the search can prove in a lifetime; it bounds the plies.
constexpr int COUPS_MAX_CHERCHES = 100;
constexpr int PLIS_MAX = 2 * COUPS_MAX_CHERCHES;

// The moves of one position handed out best first, ties in the generator's order.
struct Tordre {
    Tcoup_mat coups[COUPS_MAX];
    int rangs[COUPS_MAX];
    int n;
    int servis;
};

// One search's state, on the heap: each ply's moves, and the last moves that mated or
// refuted at each ply (tried first in their sisters).
struct Tcontexte {
    couleur attaquant;
    int64_t noeuds;
    Tcoup_mat tueurs[PLIS_MAX][2];
    Tordre ordres[PLIS_MAX];
};

// Counts a position and polls the input every 1024; true when the search must end.
bool compte_noeud(Tcontexte* x) {
    if ((++x->noeuds & 1023) == 0 && ecoute_pendant_recherche()) arret = 1;
    return arret != 0;
}

void note_tueur(Tcontexte* x, int pli, Tcoup_mat coup) {
    if (meme_coup(x->tueurs[pli][0], coup)) return;
    x->tueurs[pli][1] = x->tueurs[pli][0];
    x->tueurs[pli][0] = coup;
}

bool suivant(Tordre* o, Tcoup_mat* coup) {
    if (o->servis == o->n) return false;
    int meilleur = o->servis;
    for (int i = o->servis + 1; i < o->n; i++) {
        if (o->rangs[i] > o->rangs[meilleur]) meilleur = i;
    }
    // The moves passed over move up by one and keep their order.
    *coup = o->coups[meilleur];
    const int rang = o->rangs[meilleur];
    for (int i = meilleur; i > o->servis; i--) {
        o->coups[i] = o->coups[i - 1];
        o->rangs[i] = o->rangs[i - 1];
    }
    o->coups[o->servis] = *coup;
    o->rangs[o->servis] = rang;
    o->servis++;
    return true;
}

constexpr int VALEUR[7] = {0, 1, 0, 3, 3, 5, 9};

int rang_de_prise(const Techiquier* e, Tcoup_mat coup) {
    const int32_t pris = valeur_absolue(e->cases[coup.arrivee]);
    return pris != VIDE ? 100 + 10 * VALEUR[pris] : 0;
}

// The mating side's moves: the move that mated here before, the last ones that mated at
// this ply, then checks (the fewer replies they leave, the sooner), captures, the rest.
void ordonne_attaque(const Techiquier* e, const Tposition& p, const Tcontexte* x, int pli,
                     const Tentree_mat* entree, Tordre* o) {
    const couleur c = x->attaquant;
    o->n = genere_legaux(e, c, p, o->coups);
    o->servis = 0;
    const int roi = case_du_roi_adverse(e, c);
    for (int i = 0; i < o->n; i++) {
        const Tcoup_mat coup = o->coups[i];
        if (entree != nullptr && meme_coup(entree->coup, coup)) {
            o->rangs[i] = 10000;
        } else if (meme_coup(x->tueurs[pli][0], coup)) {
            o->rangs[i] = 9000;
        } else if (meme_coup(x->tueurs[pli][1], coup)) {
            o->rangs[i] = 8000;
        } else {
            o->rangs[i] = rang_de_prise(e, coup);
            if (!peut_donner_echec(e, c, coup, roi)) continue;
            Techiquier apres;
            joue(e, coup, &apres);
            const Tcamps suite = camps_apres(p.ensembles, e, {coup.depart, coup.arrivee}, &apres);
            if (!echec_apres(&apres, -c, suite)) continue;
            Tposition q;
            analyse(&apres, -c, suite, &q);
            Tcoup_mat reponses[COUPS_MAX];
            o->rangs[i] += 1100 - std::min(99, genere_legaux(&apres, -c, q, reponses));
        }
    }
}

// The defending side's moves, legality not yet tested (most nodes end on their first):
// captures first, the moves already tried left out.
void ordonne_defense(const Techiquier* e, couleur c, const Tcoup_mat* essayes, int n_essayes,
                     Tordre* o) {
    Tcoups coups;
    genere_coups(e, c, &coups);
    o->n = 0;
    o->servis = 0;
    const auto ajoute = [&](Tcoup_mat coup) {
        for (int k = 0; k < n_essayes; k++) {
            if (meme_coup(essayes[k], coup)) return;
        }
        o->rangs[o->n] = rang_de_prise(e, coup);
        o->coups[o->n++] = coup;
    };
    for (int i = coups.debut; i < coups.fin; i++) {
        const Tdeplacement d = coups.tampon[i];
        if (!est_promotion(e, d)) {
            ajoute({d.depart, d.arrivee, 0});
            continue;
        }
        for (const int32_t promue : PROMOTIONS) {
            ajoute({d.depart, d.arrivee, static_cast<int8_t>(promue)});
        }
    }
}

// Whether the move, legal, checkmates.
bool donne_mat(Tcontexte* x, const Techiquier* e, const Tcamps& ensembles, Tcoup_mat coup) {
    const couleur c = x->attaquant;
    Techiquier apres;
    joue(e, coup, &apres);
    const Tcamps suite = camps_apres(ensembles, e, {coup.depart, coup.arrivee}, &apres);
    if (!echec_apres(&apres, -c, suite)) return false;
    if (compte_noeud(x)) return false;
    Tposition q;
    analyse(&apres, -c, suite, &q);
    return !a_une_parade(&apres, -c, q);
}

// A mate in one move: the first checking move, in the generator's order, that leaves no
// legal reply. Only the moves that may check are tested for legality.
bool mat_en_un(Tcontexte* x, const Techiquier* e, const Tposition& p, Tcoup_mat* mat) {
    const couleur c = x->attaquant;
    const int roi = case_du_roi_adverse(e, c);
    Tcoups coups;
    genere_coups(e, c, &coups);
    for (int i = coups.debut; i < coups.fin; i++) {
        const Tdeplacement d = coups.tampon[i];
        const bool promotion = est_promotion(e, d);
        bool legal_vu = false;
        for (int k = 0; k < (promotion ? 4 : 1); k++) {
            const Tcoup_mat coup = {d.depart, d.arrivee,
                                    static_cast<int8_t>(promotion ? PROMOTIONS[k] : 0)};
            if (!peut_donner_echec(e, c, coup, roi)) continue;
            if (!legal_vu) {
                if (!est_legal(e, c, p, d)) break;
                legal_vu = true;
            }
            if (donne_mat(x, e, p.ensembles, coup)) {
                *mat = coup;
                return true;
            }
            if (arret != 0) return false;
        }
    }
    return false;
}

bool attaque(Tcontexte* x, const Techiquier* e, const Tcamps& ensembles, int n, int pli);

// The defending side to move: whether every reply leaves a mate within n more moves
// (checkmate: yes; stalemate: no). The reply that refuted here before and the last ones
// that refuted at this ply are tried before the moves are generated.
bool defense(Tcontexte* x, const Techiquier* e, const Tcamps& ensembles, int n, int pli) {
    if (compte_noeud(x)) return false;
    const couleur c = -x->attaquant;
    const Tcle_mat cle = cle_de(e, c);
    const Tentree_mat* entree = trouve(cle);
    if (entree != nullptr && entree->mat <= n) return true;
    if (entree != nullptr && entree->sans_mat >= n) return false;
    Tposition p;
    analyse(e, c, ensembles, &p);
    bool legal_vu = false;
    // Whether the reply is legal and leaves no mate within n.
    const auto refute = [&](Tcoup_mat coup) {
        if (!est_legal(e, c, p, {coup.depart, coup.arrivee})) return false;
        legal_vu = true;
        Techiquier apres;
        joue(e, coup, &apres);
        const Tcamps suite = camps_apres(ensembles, e, {coup.depart, coup.arrivee}, &apres);
        if (attaque(x, &apres, suite, n, pli + 1) || arret != 0) return false;
        note_tueur(x, pli, coup);
        range(cle, n, INCONNU, coup);
        return true;
    };
    const Tcoup_mat premiers[3] = {entree != nullptr ? entree->coup : AUCUN_COUP, x->tueurs[pli][0],
                                   x->tueurs[pli][1]};
    Tcoup_mat essayes[3];
    int n_essayes = 0;
    for (const Tcoup_mat coup : premiers) {
        bool deja = false;
        for (int k = 0; k < n_essayes; k++) deja = deja || meme_coup(essayes[k], coup);
        if (deja || !est_pseudo_legal(e, c, ensembles, coup)) continue;
        essayes[n_essayes++] = coup;
        if (refute(coup) || arret != 0) return false;
    }
    Tordre* o = &x->ordres[pli];
    ordonne_defense(e, c, essayes, n_essayes, o);
    Tcoup_mat coup;
    while (suivant(o, &coup)) {
        if (refute(coup) || arret != 0) return false;
    }
    if (!legal_vu && !p.surete.en_echec) {
        range(cle, INCONNU - 1, INCONNU, AUCUN_COUP);  // stalemate: never a mate
        return false;
    }
    range(cle, 0, n, AUCUN_COUP);
    return true;
}

// The mating side to move: whether it mates within n moves.
bool attaque(Tcontexte* x, const Techiquier* e, const Tcamps& ensembles, int n, int pli) {
    if (compte_noeud(x)) return false;
    const couleur c = x->attaquant;
    Tposition p;
    analyse(e, c, ensembles, &p);
    if (n == 1) {
        Tcoup_mat coup;
        return mat_en_un(x, e, p, &coup);
    }
    const Tcle_mat cle = cle_de(e, c);
    const Tentree_mat* entree = trouve(cle);
    if (entree != nullptr && entree->mat <= n) return true;
    if (entree != nullptr && entree->sans_mat >= n) return false;
    Tordre* o = &x->ordres[pli];
    ordonne_attaque(e, p, x, pli, entree, o);
    Tcoup_mat coup;
    while (suivant(o, &coup)) {
        Techiquier apres;
        joue(e, coup, &apres);
        const Tcamps suite = camps_apres(ensembles, e, {coup.depart, coup.arrivee}, &apres);
        const bool mate = defense(x, &apres, suite, n - 1, pli + 1);
        if (arret != 0) return false;
        if (mate) {
            note_tueur(x, pli, coup);
            range(cle, 0, n, coup);
            return true;
        }
    }
    range(cle, n, INCONNU, AUCUN_COUP);
    return false;
}

// ---- The line ----

Tcoup_promu vers_promu(Tcoup_mat coup) {
    return {vers_Tcoup({coup.depart, coup.arrivee}), coup.promotion};
}

bool ligne_attaque(Tcontexte* x, const Techiquier* e, int n, int pli,
                   std::vector<Tcoup_promu>* ligne);

// The defence that resists longest where every reply leaves a mate within n more moves and
// some reply none within n - 1: the first such reply in the generator's order.
bool ligne_defense(Tcontexte* x, const Techiquier* e, int n, int pli,
                   std::vector<Tcoup_promu>* ligne) {
    const couleur c = -x->attaquant;
    Tposition p;
    analyse(e, c, camps(e), &p);
    std::vector<Tcoup_mat> coups(COUPS_MAX);
    const int nombre = genere_legaux(e, c, p, coups.data());
    for (int i = 0; i < nombre; i++) {
        Techiquier apres;
        joue(e, coups[i], &apres);
        if (n > 1) {
            const bool plus_court = attaque(x, &apres, camps(&apres), n - 1, pli + 1);
            if (arret != 0) return false;
            if (plus_court) continue;
        }
        ligne->push_back(vers_promu(coups[i]));
        return ligne_attaque(x, &apres, n, pli + 1, ligne);
    }
    return false;
}

// The mating side's part of the line from a position with a mate in exactly n: the first
// move, in the search's order, that mates within n.
bool ligne_attaque(Tcontexte* x, const Techiquier* e, int n, int pli,
                   std::vector<Tcoup_promu>* ligne) {
    Tposition p;
    analyse(e, x->attaquant, camps(e), &p);
    Tcoup_mat coup;
    if (n == 1) {
        if (!mat_en_un(x, e, p, &coup)) return false;
        ligne->push_back(vers_promu(coup));
        return true;
    }
    Tordre* o = &x->ordres[pli];
    ordonne_attaque(e, p, x, pli, trouve(cle_de(e, x->attaquant)), o);
    while (suivant(o, &coup)) {
        Techiquier apres;
        joue(e, coup, &apres);
        const bool mate = defense(x, &apres, camps(&apres), n - 1, pli + 1);
        if (arret != 0) return false;
        if (mate) {
            ligne->push_back(vers_promu(coup));
            return ligne_defense(x, &apres, n - 1, pli + 1, ligne);
        }
    }
    return false;
}

// A move of the caller's as the search's: a promotion given without its piece is a queen's.
Tcoup_mat vers_coup_mat(const Techiquier* e, Tcoup_promu coup) {
    const Tcoup& c = coup.coup;
    const Tdeplacement d = {static_cast<uint8_t>(index_case(c.ligne_depart, c.colonne_depart)),
                            static_cast<uint8_t>(index_case(c.ligne_arrivee, c.colonne_arrivee))};
    int32_t promue = 0;
    if (est_promotion(e, d)) promue = coup.promotion != 0 ? coup.promotion : DAME;
    return {d.depart, d.arrivee, static_cast<int8_t>(promue)};
}

// The first moves in the search's order, only those of `racine` when it is not empty.
void ordonne_racine(const Techiquier* e, const Tposition& p, Tcontexte* x,
                    const std::vector<Tcoup_promu>& racine) {
    Tordre* o = &x->ordres[0];
    ordonne_attaque(e, p, x, 0, nullptr, o);
    if (racine.empty()) return;
    int gardes = 0;
    for (int i = 0; i < o->n; i++) {
        bool donne = false;
        for (const Tcoup_promu& r : racine)
            donne = donne || meme_coup(vers_coup_mat(e, r), o->coups[i]);
        if (!donne) continue;
        o->coups[gardes] = o->coups[i];
        o->rangs[gardes++] = o->rangs[i];
    }
    o->n = gardes;
}

}  // namespace

std::string texte_coup_promu(Tcoup_promu coup) {
    const Tcoup& c = coup.coup;
    std::string texte = {
        static_cast<char>('a' + c.colonne_depart), static_cast<char>('1' + c.ligne_depart),
        static_cast<char>('a' + c.colonne_arrivee), static_cast<char>('1' + c.ligne_arrivee)};
    if (coup.promotion >= CAVALIER && coup.promotion <= DAME)
        texte += "nbrq"[coup.promotion - CAVALIER];
    return texte;
}

void joue_coup_promu(Techiquier* echiquier, Tcoup_promu coup) {
    const int index = index_case(coup.coup.ligne_arrivee, coup.coup.colonne_arrivee);
    execute_coup(echiquier, coup.coup);
    if (coup.promotion != 0)
        echiquier->cases[index] = coup.promotion * signe(echiquier->cases[index]);
}

std::vector<Tcoup_promu> coups_legaux_complets(const Techiquier* echiquier, couleur c) {
    Tposition p;
    analyse(echiquier, c, camps(echiquier), &p);
    Tcoup_mat coups[COUPS_MAX];  // 2.6 kB, written before they are read
    const int n = genere_legaux(echiquier, c, p, coups);
    std::vector<Tcoup_promu> legaux;
    legaux.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; i++) legaux.push_back(vers_promu(coups[i]));
    return legaux;
}

size_t taille_table_mat() {
    return ENTREES * sizeof(Tentree_mat);
}

Tresultat_mat cherche_mat(const Techiquier* echiquier, couleur c, int coups_max,
                          const std::vector<Tcoup_promu>& racine) {
    Tresultat_mat resultat{0, {}, 0, false};
    arret = 0;
    prepare_table();
    // Taken once and kept, as the table is: a search that allocated its own paid more for
    // it than a short search costs. Left uninitialised: a ply's moves are written before
    // they are read, and the pages of the plies no search reaches are never touched.
    static const std::unique_ptr<Tcontexte> contexte(new Tcontexte);
    Tcontexte* const x = contexte.get();
    x->noeuds = 0;
    x->attaquant = c;
    for (auto& tueurs : x->tueurs) tueurs[0] = tueurs[1] = AUCUN_COUP;
    Tposition p;
    analyse(echiquier, c, camps(echiquier), &p);
    // Mates in 1, 2, ...: the first found is the shortest.
    bool trouve_mat = false;
    for (int n = 1; n <= std::min(coups_max, COUPS_MAX_CHERCHES) && !trouve_mat; n++) {
        ordonne_racine(echiquier, p, x, racine);
        Tordre* o = &x->ordres[0];
        Tcoup_mat coup;
        while (arret == 0 && suivant(o, &coup)) {
            Techiquier apres;
            joue(echiquier, coup, &apres);
            const bool mate = n == 1 ? donne_mat(x, echiquier, p.ensembles, coup)
                                     : defense(x, &apres, camps(&apres), n - 1, 1);
            if (!mate || arret != 0) continue;
            trouve_mat = true;
            resultat.ligne.push_back(vers_promu(coup));
            if (n == 1 || ligne_defense(x, &apres, n - 1, 1, &resultat.ligne)) {
                resultat.coups = n;
            } else {
                resultat.ligne.clear();  // "stop" came while the line was built
            }
            break;
        }
        if (arret != 0) break;
    }
    resultat.noeuds = x->noeuds;
    resultat.interrompu = arret != 0;
    return resultat;
}
