// SPDX-License-Identifier: GPL-3.0-or-later
// The fast search and counts of `ai` against the straightforward ones of `ai_reference`, on
// thousands of positions of seeded random games and of position lines no GUI would send:
// the same scores, moves, reported scores and node counts, the same move-path counts.
//
// Every message names the position line that reaches the position ("position startpos
// moves ...", as `position_apres` takes it) and the side searched, so that a failure can be
// replayed by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "ai.h"
#include "ai_mat.h"
#include "ai_memoire.h"
#include "ai_reference.h"
#include "aide_tests.h"
#include "divers.h"
#include "primitives_fen.h"
#include "primitives_listes.h"
#include "primitives_pieces.h"
#include "primitives_rapides.h"

namespace {

// Under AddressSanitizer, where the reference's heap lists cost most, fewer games and odd
// lines are played and every comparison takes one position in PAS.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t PAS = 5;
constexpr int PARTIES = 30, LIGNES_ABSURDES = 200, ARBRES_DE_QUATRE_PLIS = 1;
#else
constexpr size_t PAS = 1;
constexpr int PARTIES = 70, LIGNES_ABSURDES = 400, ARBRES_DE_QUATRE_PLIS = 3;
#endif

struct Tposition {
    Techiquier echiquier;
    couleur camp;       // the side to move after the line
    std::string coups;  // the moves of the position line
    std::string fen;    // the FEN the line starts from, empty for the initial position
};

// ---- Moves ----

std::string nom_case(int ligne, int colonne) {
    return std::string{static_cast<char>('a' + colonne), static_cast<char>('1' + ligne)};
}

std::string nom_coup(Tcoup c) {
    return nom_case(c.ligne_depart, c.colonne_depart) + nom_case(c.ligne_arrivee, c.colonne_arrivee);
}

int32_t sur(const Techiquier* e, int ligne, int colonne) {
    return e->cases[index_case(ligne, colonne)];
}

std::vector<Tcoup> pseudo_legaux(const Techiquier* e, couleur c) {
    Tliste liste;
    init_liste(&liste);
    generateur(e, c, &liste);
    std::vector<Tcoup> coups;
    for (Tcoup* n = liste; n != nullptr; n = n->suivant) {
        coups.push_back(fait_coup(n->ligne_depart, n->colonne_depart, n->ligne_arrivee,
                                  n->colonne_arrivee));
    }
    total_destroy_liste(&liste);
    return coups;
}

bool laisse_le_roi_sauf(const Techiquier* e, couleur c, Tcoup coup) {
    Techiquier copie = *e;
    execute_coup(&copie, coup);
    return !echec(&copie, c);
}

std::vector<Tcoup> legaux(const Techiquier* e, couleur c) {
    std::vector<Tcoup> resultat;
    for (const Tcoup& coup : pseudo_legaux(e, c)) {
        if (laisse_le_roi_sauf(e, c, coup)) resultat.push_back(coup);
    }
    return resultat;
}

bool est_promotion(const Techiquier* e, Tcoup coup) {
    const int32_t m = sur(e, coup.ligne_depart, coup.colonne_depart);
    return (m == PION && coup.ligne_arrivee == 7) || (m == -PION && coup.ligne_arrivee == 0);
}

bool est_en_passant(const Techiquier* e, Tcoup coup) {
    return valeur_absolue(sur(e, coup.ligne_depart, coup.colonne_depart)) == PION &&
           coup.colonne_depart != coup.colonne_arrivee &&
           sur(e, coup.ligne_arrivee, coup.colonne_arrivee) == VIDE;
}

bool est_roque(const Techiquier* e, Tcoup coup) {
    return valeur_absolue(sur(e, coup.ligne_depart, coup.colonne_depart)) == ROI &&
           valeur_absolue(coup.colonne_arrivee - coup.colonne_depart) == 2;
}

// Captures, promotions, checks, and the double steps that give an en passant capture.
bool est_force(const Techiquier* e, couleur c, Tcoup coup) {
    if (sur(e, coup.ligne_arrivee, coup.colonne_arrivee) != VIDE) return true;
    if (est_promotion(e, coup) || est_en_passant(e, coup)) return true;
    if (valeur_absolue(sur(e, coup.ligne_depart, coup.colonne_depart)) == PION &&
        valeur_absolue(coup.ligne_arrivee - coup.ligne_depart) == 2) {
        for (int cote : {-1, 1}) {
            const int colonne = coup.colonne_arrivee + cote;
            if (sur_echiquier(coup.ligne_arrivee, colonne) &&
                sur(e, coup.ligne_arrivee, colonne) == -PION * c) {
                return true;
            }
        }
    }
    Techiquier copie = *e;
    execute_coup(&copie, coup);
    return echec(&copie, adversaire(c)) != 0;
}

// ---- Positions ----

// What the samples hold, so that the generator is known to reach the special cases.
struct Tcouverture {
    int roques = 0, en_passant = 0, promotions = 0, echecs = 0, mats = 0, pats = 0;
};

void note_couverture(const Techiquier* e, couleur c, Tcouverture* k) {
    const std::vector<Tcoup> coups = legaux(e, c);
    bool roque = false, ep = false, promotion = false;
    for (const Tcoup& coup : coups) {
        roque = roque || est_roque(e, coup);
        ep = ep || est_en_passant(e, coup);
        promotion = promotion || est_promotion(e, coup);
    }
    const bool en_echec = echec(e, c) != 0;
    k->roques += roque;
    k->en_passant += ep;
    k->promotions += promotion;
    k->echecs += en_echec;
    k->mats += coups.empty() && en_echec;
    k->pats += coups.empty() && !en_echec;
}

// Seeded random legal games from the initial position. Two moves in five are drawn among
// the captures, checks and promotions when there are some; a promotion is sometimes to
// a rook, bishop or knight. Each position is kept with probability 1/garde, the last one
// of a game (mate, stalemate or the ply limit) always.
std::vector<Tposition> parties_aleatoires(unsigned graine, int parties, int garde,
                                          Tcouverture* couverture) {
    std::mt19937 hasard(graine);
    std::vector<Tposition> positions;
    for (int p = 0; p < parties; p++) {
        Techiquier e;
        init_echiquier(&e);
        couleur c = BLANC;
        std::string ligne;
        const int plis = 60 + static_cast<int>(hasard() % 180);
        for (int pli = 0;; pli++) {
            const std::vector<Tcoup> coups = legaux(&e, c);
            const bool derniere = coups.empty() || pli == plis;
            if (derniere || hasard() % static_cast<unsigned>(garde) == 0) {
                couleur camp = BLANC;
                const Techiquier lu = position_apres(ligne, &camp);
                // The board played here and the one the position line sets up must agree,
                // or the messages would name another position.
                EXPECT_EQ(0, std::memcmp(lu.cases, e.cases, sizeof e.cases)) << ligne;
                EXPECT_EQ(camp, c) << ligne;
                positions.push_back(Tposition{lu, camp, ligne, ""});
                note_couverture(&lu, camp, couverture);
            }
            if (derniere) break;
            std::vector<Tcoup> forces, finales;
            if (hasard() % 5 < 2) {
                // Against a few pieces, a move that leaves no answer (mate or stalemate)
                // is taken whenever there is one.
                const int restantes = c == BLANC ? e.nb_pieces_noires : e.nb_pieces_blanches;
                for (const Tcoup& coup : coups) {
                    if (est_force(&e, c, coup)) forces.push_back(coup);
                    if (restantes <= 3) {
                        Techiquier apres = e;
                        execute_coup(&apres, coup);
                        if (legaux(&apres, adversaire(c)).empty()) finales.push_back(coup);
                    }
                }
            }
            const std::vector<Tcoup>& parmi =
                !finales.empty() ? finales : forces.empty() ? coups : forces;
            const Tcoup coup = parmi[hasard() % parmi.size()];
            std::string texte = nom_coup(coup);
            const bool promotion = est_promotion(&e, coup);
            execute_coup(&e, coup);
            if (promotion) {
                const char* lettres = "qqqqrbn";
                const char lettre = lettres[hasard() % 7];
                const int32_t type = lettre == 'r' ? TOUR : lettre == 'b' ? FOU
                                                    : lettre == 'n' ? CAVALIER : DAME;
                e.cases[index_case(coup.ligne_arrivee, coup.colonne_arrivee)] = type * c;
                texte += lettre;
            }
            ligne += (ligne.empty() ? "" : " ") + texte;
            inverser_couleur(&c);
        }
    }
    return positions;
}

// Position lines no GUI would send, applied as the command loop applies them: one side
// moving twice, a king taken, a pawn moved back onto its own back row, moves from any
// square to any square, moves of nothing; between them some legal moves.
std::vector<Tposition> positions_absurdes(unsigned graine, int nombre) {
    std::mt19937 hasard(graine);
    std::vector<Tposition> positions;
    for (int p = 0; p < nombre; p++) {
        std::string ligne;
        const int etapes = 4 + static_cast<int>(hasard() % 40);
        for (int k = 0; k < etapes; k++) {
            couleur camp = BLANC;
            const Techiquier e = position_apres(ligne, &camp);
            Tcoup coup = fait_coup(0, 0, 0, 0);
            bool trouve = false;
            switch (hasard() % 8) {
                case 0: {  // the side that has just moved moves again
                    const std::vector<Tcoup> coups = pseudo_legaux(&e, adversaire(camp));
                    if (!coups.empty()) {
                        coup = coups[hasard() % coups.size()];
                        trouve = true;
                    }
                    break;
                }
                case 1: {  // a king taken, by either side
                    for (couleur c : {camp, adversaire(camp)}) {
                        for (const Tcoup& x : pseudo_legaux(&e, c)) {
                            if (!trouve && valeur_absolue(sur(&e, x.ligne_arrivee, x.colonne_arrivee)) == ROI) {
                                coup = x;
                                trouve = true;
                            }
                        }
                    }
                    break;
                }
                case 2: {  // a pawn back onto its own back row
                    std::vector<int> pions;
                    for (int i = 0; i < 64; i++) {
                        if (valeur_absolue(e.cases[i]) == PION) pions.push_back(i);
                    }
                    if (!pions.empty()) {
                        const int i = pions[hasard() % pions.size()];
                        coup = fait_coup(i / 8, i % 8, ligne_de_base(piece_couleur(e.cases[i])), i % 8);
                        trouve = true;
                    }
                    break;
                }
                case 3: {  // any square to any square
                    coup = fait_coup(static_cast<int>(hasard() % 8), static_cast<int>(hasard() % 8),
                                     static_cast<int>(hasard() % 8), static_cast<int>(hasard() % 8));
                    trouve = true;
                    break;
                }
                case 4: {  // a pseudo-legal move that may leave the king attacked
                    const std::vector<Tcoup> coups = pseudo_legaux(&e, camp);
                    if (!coups.empty()) {
                        coup = coups[hasard() % coups.size()];
                        trouve = true;
                    }
                    break;
                }
                default: {
                    const std::vector<Tcoup> coups = legaux(&e, camp);
                    if (!coups.empty()) {
                        coup = coups[hasard() % coups.size()];
                        trouve = true;
                    }
                    break;
                }
            }
            if (trouve) ligne += (ligne.empty() ? "" : " ") + nom_coup(coup);
        }
        couleur camp = BLANC;
        const Techiquier e = position_apres(ligne, &camp);
        positions.push_back(Tposition{e, camp, ligne, ""});
    }
    return positions;
}

Tcouverture couverture_des_parties;

const std::vector<Tposition>& parties() {
    static const std::vector<Tposition> positions =
        parties_aleatoires(20261207, PARTIES, 4, &couverture_des_parties);
    return positions;
}

const std::vector<Tposition>& absurdes() {
    static const std::vector<Tposition> positions = positions_absurdes(4242, LIGNES_ABSURDES);
    return positions;
}

// All positions: games first, then the odd ones.
std::vector<const Tposition*> toutes() {
    std::vector<const Tposition*> resultat;
    for (const Tposition& p : parties()) resultat.push_back(&p);
    for (const Tposition& p : absurdes()) resultat.push_back(&p);
    return resultat;
}

std::string ou(const Tposition& p, couleur c) {
    const std::string debut = p.fen.empty() ? "startpos" : "fen " + p.fen;
    return "after \"position " + debut + " moves " + p.coups + "\", " +
           (c == BLANC ? "white" : "black") + " to move";
}

// A console that reads nothing and keeps what the engine writes; no "stop" can come.
class Differentiel : public ::testing::Test {
protected:
    void SetUp() override {
        (void)parties();
        (void)absurdes();
        poubelle_ = std::fopen("/dev/null", "w");
        installe_console_texte("", poubelle_);
        arret_sur_fin(false);
    }
    void TearDown() override {
        installe_console_texte("", stdout);
        std::fclose(poubelle_);
    }
    FILE* poubelle_ = nullptr;
};

// ---- alpha_beta ----

struct Tfenetre {
    int alpha, beta;
    const char* genre;
};

// The windows a search meets, seen from the side `c` to move: the root window and its
// exchange, a narrow one around the static score, the null windows of the probes (one
// step on either side of a bound) and any pair of bounds.
std::vector<Tfenetre> fenetres(const Techiquier* e, couleur c, std::mt19937* hasard) {
    const int statique = evaluation_complete(e);
    const int ecart = 1 + static_cast<int>((*hasard)() % 150);
    const int x = statique + static_cast<int>((*hasard)() % 201) - 100;
    const int a = static_cast<int>((*hasard)() % 24001) - 12000;
    const int b = static_cast<int>((*hasard)() % 24001) - 12000;
    return {
        {-c * 10000, c * 10000, "root"},
        {c * 10000, -c * 10000, "exchanged root"},
        {statique - c * ecart, statique + c * ecart, "narrow"},
        {x - c, x, "null below"},
        {x + c, x, "null above"},
        {a, b, "any"},
    };
}

// Compares one search; false (with the failure reported) when they differ.
bool compare_alpha_beta(const Tposition& p, couleur c, int profondeur, Tfenetre f) {
    node = 0;
    const int rapide = alpha_beta(&p.echiquier, c, profondeur, f.alpha, f.beta);
    const int64_t noeuds_rapide = node;
    node = 0;
    const int reference = alpha_beta_reference(&p.echiquier, c, profondeur, f.alpha, f.beta);
    const int64_t noeuds_reference = node;
    const std::string contexte = ou(p, c) + ", depth " + std::to_string(profondeur) + ", " +
                                 f.genre + " window (" + std::to_string(f.alpha) + ", " +
                                 std::to_string(f.beta) + ")";
    EXPECT_EQ(rapide, reference) << "score " << contexte;
    EXPECT_EQ(noeuds_rapide, noeuds_reference) << "nodes " << contexte;
    return rapide == reference && noeuds_rapide == noeuds_reference;
}

// Every `pas`-th position, both sides, every window; stops at the first position that
// differs so that the report names the shallowest case.
void alpha_beta_sur(const std::vector<const Tposition*>& positions, int profondeur, size_t pas,
                    bool toutes_fenetres, unsigned graine) {
    std::mt19937 hasard(graine);
    for (size_t i = 0; i < positions.size(); i += pas) {
        const Tposition& p = *positions[i];
        for (couleur c : {p.camp, adversaire(p.camp)}) {
            std::vector<Tfenetre> liste = fenetres(&p.echiquier, c, &hasard);
            if (!toutes_fenetres) liste = {liste[0], liste[3]};
            for (const Tfenetre& f : liste) {
                if (!compare_alpha_beta(p, c, profondeur, f)) return;
            }
        }
    }
}

// ---- choix_coup ----

struct Trapport {
    int profondeur = -1;
    long long noeuds = -1;
    int score = 0;
    std::string pv;
};

// What the engine prints while `travail` runs.
template <typename Ttravail>
std::string sortie_de(Ttravail travail) {
    char* tampon = nullptr;
    size_t taille = 0;
    FILE* sortie = open_memstream(&tampon, &taille);
    installe_console_texte("", sortie);
    travail();
    std::fclose(sortie);
    const std::string texte(tampon, taille);
    std::free(tampon);
    return texte;
}

// choix_coup with its "info" line read back from the console.
Trapport choix_coup_lu(const Techiquier* e, couleur c, int profondeur, Tcoup* coup,
                       const std::vector<Tcoup>* permis = nullptr) {
    const std::string texte = sortie_de([&] { choix_coup(e, c, profondeur, coup, permis); });
    Trapport r;
    long long temps = 0, nps = 0;
    char pv[16] = {};
    if (std::sscanf(texte.c_str(), "info depth %d nodes %lld time %lld nps %lld score cp %d pv %15s",
                    &r.profondeur, &r.noeuds, &temps, &nps, &r.score, pv) == 6) {
        r.pv = pv;
    }
    return r;
}

// ---- Analysis lines ----

// One analysis line, "info depth D multipv I score ... nodes N time T nps X pv ...", with
// its time and speed left out.
std::string sans_temps(const std::string& ligne) {
    const size_t temps = ligne.find(" time "), pv = ligne.find(" pv ");
    if (temps == std::string::npos) return ligne;
    return ligne.substr(0, temps) + (pv == std::string::npos ? "" : ligne.substr(pv));
}

// The lines the engine prints at every MultiPV, time left out.
std::vector<std::string> lignes_d_analyse_lues(const Techiquier* e, couleur c, int profondeur,
                                               const std::vector<Tcoup>* permis = nullptr) {
    fixe_lignes_d_analyse(256);
    Tcoup coup = fait_coup(7, 7, 0, 0);
    const std::string texte = sortie_de([&] { choix_coup(e, c, profondeur, &coup, permis); });
    fixe_lignes_d_analyse(0);
    std::vector<std::string> resultat;
    for (const std::string& ligne : lignes(texte)) resultat.push_back(sans_temps(ligne));
    return resultat;
}

// The position at the end of a line played from `e`, its side to move, and whether every
// move was legal under the full rules there (where one is not, the line stops before it).
struct Tfin_de_ligne {
    Techiquier echiquier;
    couleur camp;
    size_t jouees;
};

Tfin_de_ligne joue_ligne(const Techiquier* e, couleur c, const std::vector<Tcoup>& ligne) {
    Tfin_de_ligne fin{*e, c, 0};
    for (const Tcoup& coup : ligne) {
        const std::vector<Tcoup_promu> permis = coups_legaux_complets(&fin.echiquier, fin.camp);
        if (std::none_of(permis.begin(), permis.end(),
                         [&](const Tcoup_promu& m) { return comp_Tcoup(m.coup, coup) != 0; })) {
            break;
        }
        execute_coup(&fin.echiquier, coup);
        fin.camp = adversaire(fin.camp);
        fin.jouees++;
    }
    return fin;
}

// What the analysis lines must be, from the reference's root moves: best first, equal
// scores in the root list's order; each line as far as the rules allow it, a mate where it
// ends in checkmate. And every line's own claim, checked on the way: its last position,
// `profondeur` minus its length from the horizon, scores the root move's value (the
// static score, or the formula of a side in check that no move helped).
std::vector<std::string> lignes_d_analyse_attendues(const Tposition& p, couleur c, int profondeur,
                                                    const Tchoix_racine& reference) {
    const Techiquier* e = &p.echiquier;
    const std::string debut = "info depth " + std::to_string(profondeur) + " multipv ";
    const std::string noeuds = " nodes " + std::to_string(reference.noeuds);
    if (reference.racines.empty()) {
        return {debut + "1 score " + (echec(e, c) ? "mate 0" : "cp 0") + noeuds};
    }
    std::vector<Tchoix_racine::Tracine> rangees = reference.racines;
    std::stable_sort(rangees.begin(), rangees.end(), [c](const auto& a, const auto& b) {
        return c * a.valeur > c * b.valeur;
    });
    std::vector<std::string> attendues;
    for (size_t rang = 0; rang < rangees.size(); rang++) {
        const auto& racine = rangees[rang];
        Techiquier fin = *e;
        couleur cote = c;
        for (const Tcoup& coup : racine.ligne) {
            execute_coup(&fin, coup);
            cote = adversaire(cote);
        }
        const int reste = profondeur - static_cast<int>(racine.ligne.size());
        const int statique = evaluation_complete_reference(&fin);
        const int valeur = reste <= 0 || !echec(&fin, cote) ? statique
                                                             : (10 - reste) * statique - 7000 * cote;
        if (valeur != racine.valeur && racine.valeur * c < 10000 && racine.valeur * c > -10000) {
            ADD_FAILURE() << "the line of " << nom_coup(racine.coup) << " ends on " << valeur
                          << ", its score is " << racine.valeur << ", " << ou(p, c);
        }
        const Tfin_de_ligne jouee = joue_ligne(e, c, racine.ligne);
        std::string pv;
        Techiquier avant = *e;
        for (size_t k = 0; k < jouee.jouees; k++) {
            pv += " " + texte_coup(&avant, racine.ligne[k]);
            execute_coup(&avant, racine.ligne[k]);
        }
        const int plis = static_cast<int>(jouee.jouees);
        const bool mat = coups_legaux_complets(&jouee.echiquier, jouee.camp).empty() &&
                         echec(&jouee.echiquier, jouee.camp);
        const std::string score =
            mat ? "mate " + std::to_string(plis % 2 == 1 ? (plis + 1) / 2 : -(plis / 2))
                : "cp " + std::to_string(c * racine.valeur);
        attendues.push_back(debut + std::to_string(rang + 1) + " score " + score + noeuds + " pv" + pv);
    }
    return attendues;
}

bool compare_choix(const Tposition& p, couleur c, int profondeur,
                   const std::vector<Tcoup>* permis = nullptr) {
    // A move no search would choose, so that an unchanged answer shows.
    const Tcoup initial = fait_coup(7, 7, 0, 0);
    Tcoup coup = initial;
    const Trapport rapport = choix_coup_lu(&p.echiquier, c, profondeur, &coup, permis);
    const Tchoix_racine reference =
        choix_coup_reference(&p.echiquier, c, profondeur, initial, permis, true);
    const std::string pv_reference =
        reference.coups_legaux == 0 ? "0000" : texte_coup(&p.echiquier, reference.coup);
    const std::string contexte = ou(p, c) + ", depth " + std::to_string(profondeur);
    EXPECT_EQ(rapport.profondeur, profondeur) << "info line " << contexte;
    EXPECT_EQ(nom_coup(coup), nom_coup(reference.coup)) << "move " << contexte;
    EXPECT_EQ(rapport.pv, pv_reference) << "pv " << contexte;
    EXPECT_EQ(rapport.score, reference.score_rapporte) << "score " << contexte;
    EXPECT_EQ(rapport.noeuds, reference.noeuds) << "nodes " << contexte;
    // With every root move's line asked for: the reference's scores, ranks and lines.
    EXPECT_EQ(lignes_d_analyse_lues(&p.echiquier, c, profondeur, permis),
              lignes_d_analyse_attendues(p, c, profondeur, reference))
        << "analysis lines " << contexte;
    return !::testing::Test::HasFailure();
}

void choix_sur(const std::vector<const Tposition*>& positions, int profondeur, size_t pas,
               bool deux_camps) {
    for (size_t i = 0; i < positions.size(); i += pas) {
        const Tposition& p = *positions[i];
        if (!compare_choix(p, p.camp, profondeur)) return;
        if (deux_camps && !compare_choix(p, adversaire(p.camp), profondeur)) return;
    }
}

// ---- perft and min_max ----

bool compare_comptes(const Tposition& p, couleur c, int profondeur) {
    const std::string contexte = ou(p, c) + ", depth " + std::to_string(profondeur);
    const int64_t perft_rapide = perft(&p.echiquier, c, profondeur);
    const int64_t perft_lent = perft_reference(&p.echiquier, c, profondeur);
    EXPECT_EQ(perft_rapide, perft_lent) << "perft " << contexte;
    const int64_t min_max_rapide = min_max(&p.echiquier, c, profondeur);
    const int64_t min_max_lent = min_max_reference(&p.echiquier, c, profondeur);
    EXPECT_EQ(min_max_rapide, min_max_lent) << "min_max " << contexte;
    return perft_rapide == perft_lent && min_max_rapide == min_max_lent;
}

void comptes_sur(const std::vector<const Tposition*>& positions, int profondeur, size_t pas,
                 bool deux_camps) {
    for (size_t i = 0; i < positions.size(); i += pas) {
        const Tposition& p = *positions[i];
        if (!compare_comptes(p, p.camp, profondeur)) return;
        if (deux_camps && !compare_comptes(p, adversaire(p.camp), profondeur)) return;
    }
}

}  // namespace

// The random games reach what the fast paths treat apart; otherwise the comparisons
// below would prove less than they seem to.
TEST_F(Differentiel, LesPartiesAtteignentLesCasParticuliers) {
    if (PARTIES < 70) GTEST_SKIP() << "the counts below are those of the full set of games";
    const Tcouverture& k = couverture_des_parties;
    EXPECT_GE(parties().size(), 2000u);
    EXPECT_GT(k.roques, 0);
    EXPECT_GT(k.en_passant, 0);
    EXPECT_GT(k.promotions, 0);
    EXPECT_GT(k.echecs, 0);
    EXPECT_GT(k.mats, 0);
    EXPECT_GT(k.pats, 0);
}

// The search scores a child from its parent's score and the move alone; every move of
// every sample, for both sides, must give the score counted over the whole board after it.
TEST_F(Differentiel, EvaluationApresChaqueCoup) {
    int coups_vus = 0;
    for (const Tposition* p : toutes()) {
        for (couleur c : {BLANC, NOIR}) {
            Tcoups coups;
            genere_coups(&p->echiquier, c, &coups);
            const int avant = evaluation_complete(&p->echiquier);
            for (int i = coups.debut; i < coups.fin; i++) {
                Techiquier apres = p->echiquier;
                execute_coup(&apres, vers_Tcoup(coups.tampon[i]));
                ASSERT_EQ(evaluation_apres_coup(&p->echiquier, camps(&p->echiquier), avant,
                                                coups.tampon[i]),
                          evaluation_complete(&apres))
                    << nom_coup(vers_Tcoup(coups.tampon[i])) << ", " << ou(*p, c);
                coups_vus++;
            }
        }
    }
    EXPECT_GT(coups_vus, 20 * static_cast<int>(toutes().size()));
}

TEST_F(Differentiel, AlphaBetaProfondeursZeroAUn) {
    const std::vector<const Tposition*> positions = toutes();
    for (int profondeur = 0; profondeur <= 1; profondeur++) {
        alpha_beta_sur(positions, profondeur, PAS, true, 11u + static_cast<unsigned>(profondeur));
        if (HasFailure()) return;
    }
}

TEST_F(Differentiel, AlphaBetaProfondeurDeux) {
    alpha_beta_sur(toutes(), 2, 3 * PAS, true, 12);
}

TEST_F(Differentiel, AlphaBetaProfondeurTrois) {
    alpha_beta_sur(toutes(), 3, 12 * PAS, true, 13);
}

TEST_F(Differentiel, AlphaBetaProfondeurQuatre) {
    alpha_beta_sur(toutes(), 4, 60 * PAS, false, 14);
}

TEST_F(Differentiel, ChoixCoupProfondeursUnADeux) {
    const std::vector<const Tposition*> positions = toutes();
    choix_sur(positions, 1, PAS, true);
    if (HasFailure()) return;
    choix_sur(positions, 2, 6 * PAS, true);
}

TEST_F(Differentiel, ChoixCoupProfondeursTroisEtQuatre) {
    const std::vector<const Tposition*> positions = toutes();
    choix_sur(positions, 3, 30 * PAS, true);
    if (HasFailure()) return;
    choix_sur(positions, 4, 250 * PAS, false);
}

// A root restricted to some of its moves ("searchmoves"): every other legal move, beside a
// move of the other side that is no legal move here; then only that move, which leaves
// the root whole.
TEST_F(Differentiel, ChoixCoupRacineRestreinte) {
    const std::vector<const Tposition*> positions = toutes();
    for (size_t i = 0; i < positions.size() && !HasFailure(); i += 20 * PAS) {
        const Tposition& p = *positions[i];
        const std::vector<Tcoup> coups = legaux(&p.echiquier, p.camp);
        const std::vector<Tcoup> autres = legaux(&p.echiquier, adversaire(p.camp));
        std::vector<Tcoup> permis;
        for (size_t k = i % 2; k < coups.size(); k += 2) permis.push_back(coups[k]);
        if (!autres.empty()) permis.push_back(autres.back());
        for (int profondeur = 1; profondeur <= 3; profondeur++) {
            compare_choix(p, p.camp, profondeur, &permis);
        }
        if (autres.empty()) continue;
        const std::vector<Tcoup> aucun_legal = {autres.back()};
        compare_choix(p, p.camp, 2, &aucun_legal);
    }
}

// Positions where the lines end in mates, promote, castle or have a king with few moves,
// for either side: every root move's line against the reference, depths 1 to 4.
TEST_F(Differentiel, LignesDAnalyseSurDesPositionsChoisies) {
    const char* const fens[] = {
        "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1",                    // mate in one
        "r3k1n1/1p3p2/3K4/2PPP3/8/8/8/8 b q - 0 1",             // O-O-O mates
        "2k4r/pp2b1pp/2n2p2/2p2P1P/P7/5bP1/3p3r/6K1 b - - 1 37", // mate in two, black
        "8/1P6/8/8/8/8/5K2/7k w - - 0 1",                        // promotion
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",               // promotions both sides
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1",                        // a king with few moves
        "k7/8/1Q6/8/8/8/8/K7 b - - 0 1",                         // stalemate: no line
        "R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1",                     // mated: no line
    };
    int mats = 0;
    for (const char* fen : fens) {
        Tposition p{};
        p.fen = fen;
        ASSERT_EQ(lit_fen_texte(fen, &p.echiquier, &p.camp), 1) << fen;
        for (int profondeur = 1; profondeur <= (SOUS_SANITISEUR ? 3 : 4); profondeur++) {
            if (!compare_choix(p, p.camp, profondeur)) return;
            for (const std::string& ligne : lignes_d_analyse_lues(&p.echiquier, p.camp, profondeur)) {
                mats += ligne.find(" score mate ") != std::string::npos;
            }
        }
    }
    EXPECT_GT(mats, 10);
}

TEST_F(Differentiel, PerftEtMinMaxProfondeursUnADeux) {
    const std::vector<const Tposition*> positions = toutes();
    comptes_sur(positions, 1, PAS, true);
    if (HasFailure()) return;
    comptes_sur(positions, 2, 8 * PAS, true);
}

TEST_F(Differentiel, PerftEtMinMaxProfondeurTrois) {
    comptes_sur(toutes(), 3, 80 * PAS, false);
}

// Depth 4 on a few small trees: positions in check, endgames and odd lines whose
// two-ply count is low.
TEST_F(Differentiel, PerftEtMinMaxProfondeurQuatre) {
    for (const std::vector<Tposition>* ensemble : {&parties(), &absurdes()}) {
        int faites = 0;
        for (const Tposition& p : *ensemble) {
            if (legaux(&p.echiquier, p.camp).size() > 10) continue;
            const int64_t deux_plis = perft_reference(&p.echiquier, p.camp, 2);
            if (deux_plis < 20 || deux_plis > 150) continue;
            if (!compare_comptes(p, p.camp, 4)) return;
            if (++faites == ARBRES_DE_QUATRE_PLIS) break;
        }
        EXPECT_EQ(faites, ARBRES_DE_QUATRE_PLIS) << "too few small trees";
    }
}

// ---- The memo ----
//
// With the memo, a search met again (same record, side, depth and window) three plies or
// more below the position searched, or a count met again (same record, side, depth), is
// taken from the table. Every comparison below runs the memo cold (emptied first), warm
// (over what the first run left) and off, against the straightforward reference where it
// is cheap enough.

namespace {

struct Tresultat {
    int score;
    int64_t noeuds;
    bool operator==(const Tresultat&) const = default;
};

Tresultat cherche(const Techiquier* e, couleur c, int profondeur, Tfenetre f) {
    node = 0;
    const int score = alpha_beta(e, c, profondeur, f.alpha, f.beta);
    return {score, node};
}

// Cold, warm and off, all equal; the reference too when asked. False when they differ.
bool compare_avec_et_sans_memoire(const Tposition& p, couleur c, int profondeur, Tfenetre f,
                                  bool avec_reference) {
    const std::string contexte = ou(p, c) + ", depth " + std::to_string(profondeur) + ", " +
                                 f.genre + " window";
    memoire_active(true);
    vide_memoire();
    const Tresultat froide = cherche(&p.echiquier, c, profondeur, f);
    const Tresultat chaude = cherche(&p.echiquier, c, profondeur, f);
    memoire_active(false);
    const Tresultat sans = cherche(&p.echiquier, c, profondeur, f);
    memoire_active(true);
    EXPECT_EQ(froide.score, sans.score) << "cold memo, " << contexte;
    EXPECT_EQ(froide.noeuds, sans.noeuds) << "cold memo, nodes, " << contexte;
    EXPECT_EQ(chaude.score, sans.score) << "warm memo, " << contexte;
    EXPECT_EQ(chaude.noeuds, sans.noeuds) << "warm memo, nodes, " << contexte;
    bool egaux = froide == sans && chaude == sans;
    if (avec_reference) {
        node = 0;
        const int score = alpha_beta_reference(&p.echiquier, c, profondeur, f.alpha, f.beta);
        EXPECT_EQ(sans.score, score) << "reference, " << contexte;
        EXPECT_EQ(sans.noeuds, node) << "reference, nodes, " << contexte;
        egaux = egaux && sans.score == score && sans.noeuds == node;
    }
    return egaux;
}

// A search over what a search one ply shallower left in the memo, as deepening leaves it:
// the same positions then come back at another depth. Against the search without memo.
bool compare_apres_moins_profonde(const Tposition& p, int profondeur, Tfenetre f) {
    memoire_active(true);
    vide_memoire();
    cherche(&p.echiquier, p.camp, profondeur - 1, f);
    const Tresultat avec = cherche(&p.echiquier, p.camp, profondeur, f);
    memoire_active(false);
    const Tresultat sans = cherche(&p.echiquier, p.camp, profondeur, f);
    memoire_active(true);
    const std::string contexte = ou(p, p.camp) + ", depth " + std::to_string(profondeur) +
                                 " after depth " + std::to_string(profondeur - 1);
    EXPECT_EQ(avec.score, sans.score) << contexte;
    EXPECT_EQ(avec.noeuds, sans.noeuds) << "nodes, " << contexte;
    return avec == sans;
}

// Positions whose five-ply tree is small enough for the reference, as many from the games
// (endgames, positions in check) as from the odd lines. Five plies: the positions three
// plies down are then searched two plies deep, the shallowest searches the memo keeps.
std::vector<const Tposition*> petits_arbres(size_t par_ensemble) {
    std::vector<const Tposition*> choisies;
    memoire_active(false);
    for (const std::vector<Tposition>* ensemble : {&parties(), &absurdes()}) {
        size_t prises = 0;
        for (const Tposition& p : *ensemble) {
            node = 0;
            alpha_beta(&p.echiquier, p.camp, 5, -p.camp * 10000, p.camp * 10000);
            if (node > 200 && node < 20000) {
                choisies.push_back(&p);
                if (++prises == par_ensemble) break;
            }
        }
    }
    memoire_active(true);
    return choisies;
}

}  // namespace

TEST_F(Differentiel, MemoireFroideChaudeEtCoupeeCommeLaReference) {
    arret = 0;
    const size_t par_ensemble = SOUS_SANITISEUR ? 2 : 6;
    const std::vector<const Tposition*> positions = petits_arbres(par_ensemble);
    ASSERT_EQ(positions.size(), 2 * par_ensemble) << "too few small trees";
    std::mt19937 hasard(15);
    const Tstatistiques_memoire avant = statistiques_memoire();
    for (const Tposition* p : positions) {
        const std::vector<Tfenetre> liste = fenetres(&p->echiquier, p->camp, &hasard);
        for (const Tfenetre& f : {liste[0], liste[3]}) {
            if (!compare_avec_et_sans_memoire(*p, p->camp, 5, f, true)) return;
        }
        if (!compare_apres_moins_profonde(*p, 6, liste[0])) return;
    }
    // Transpositions inside the trees, not only the warm runs, were found in the table.
    EXPECT_GT(statistiques_memoire().trouvees - avant.trouvees,
              static_cast<int64_t>(2 * positions.size()));
}

// Without the reference, deeper and on more positions: openings and middlegames too.
TEST_F(Differentiel, MemoireActiveOuCoupeeSurLesParties) {
    arret = 0;
    const std::vector<const Tposition*> positions = toutes();
    std::mt19937 hasard(16);
    for (size_t i = 0; i < positions.size(); i += 45 * PAS) {
        const Tposition& p = *positions[i];
        const std::vector<Tfenetre> liste = fenetres(&p.echiquier, p.camp, &hasard);
        if (!compare_avec_et_sans_memoire(p, p.camp, 5, liste[0], false)) return;
        if (!compare_avec_et_sans_memoire(p, p.camp, 5, liste[4], false)) return;
    }
}

// The root report and choice, with the memo left warm from one depth to the next as the
// deepening plans leave it; the analysis lines too.
TEST_F(Differentiel, ChoixCoupAvecEtSansMemoire) {
    arret = 0;
    const std::vector<const Tposition*> positions = toutes();
    for (size_t i = 0; i < positions.size(); i += 150 * PAS) {
        const Tposition& p = *positions[i];
        for (int profondeur = 1; profondeur <= 6; profondeur++) {
            Tcoup avec = fait_coup(7, 7, 0, 0), sans = avec;
            memoire_active(true);
            const Trapport r_avec = choix_coup_lu(&p.echiquier, p.camp, profondeur, &avec);
            memoire_active(false);
            const Trapport r_sans = choix_coup_lu(&p.echiquier, p.camp, profondeur, &sans);
            memoire_active(true);
            const std::string contexte = ou(p, p.camp) + ", depth " + std::to_string(profondeur);
            ASSERT_EQ(nom_coup(avec), nom_coup(sans)) << contexte;
            ASSERT_EQ(r_avec.noeuds, r_sans.noeuds) << contexte;
            ASSERT_EQ(r_avec.score, r_sans.score) << contexte;
            ASSERT_EQ(r_avec.pv, r_sans.pv) << contexte;
            // Where the memo gave a result on a line, the line was searched on from there.
            memoire_active(true);
            const std::vector<std::string> lignes_avec =
                lignes_d_analyse_lues(&p.echiquier, p.camp, profondeur);
            memoire_active(false);
            ASSERT_EQ(lignes_avec, lignes_d_analyse_lues(&p.echiquier, p.camp, profondeur))
                << contexte;
            memoire_active(true);
        }
    }
    // An endgame whose lines at six plies stop at results of the memo: they are completed,
    // and the same as without the memo.
    const Techiquier finale = position_apres(
        "g1f3 g8f6 h2h4 d7d5 f3g5 b8a6 d2d3 b7b5 g5f7 e8f7 c1h6 g7h6 f2f4 c7c5 b2b4 c8h3 h1h3 "
        "a8c8 a2a3 f6e4 b4c5 d8e8 d3e4 a6c5 e4d5 c5d3 e1d2 d3f4 a3a4 e7e5 e2e3 c8c5 g2g3 a7a5 "
        "b1c3 f4h3 c3b5 f8e7 d1f3 f7g8 d2d3 c5c8 f1h3 h6h5 f3f1 c8c2 f1g1 e8a8 h3e6 g8f8 g1f1 "
        "e7f6 f1f6 f8e8 e6f7 e8d7 d5d6 a8d5 d3c2 d5a8 f7a2 a8g8 f6f8 g8a2 c2c3 a2b2 c3b2 h8f8 "
        "a1b1 f8h8 b5a3 d7d6 g3g4 h8d8 b1d1 d6c5 d1d2 d8d7 g4h5 d7d6");
    const int64_t avant_finale = lignes_completees();
    memoire_active(true);
    vide_memoire();
    const std::vector<std::string> avec = lignes_d_analyse_lues(&finale, BLANC, 6);
    memoire_active(false);
    EXPECT_EQ(avec, lignes_d_analyse_lues(&finale, BLANC, 6));
    memoire_active(true);
    EXPECT_GT(lignes_completees() - avant_finale, 0);
}

// Counts as the "perft" command asks for them, depth after depth over a warm memo.
TEST_F(Differentiel, PerftAvecEtSansMemoire) {
    const std::vector<const Tposition*> positions = toutes();
    for (size_t i = 0; i < positions.size(); i += 120 * PAS) {
        const Tposition& p = *positions[i];
        vide_memoire();
        for (int profondeur = 1; profondeur <= 4; profondeur++) {
            memoire_active(true);
            const int64_t avec = perft(&p.echiquier, p.camp, profondeur);
            memoire_active(false);
            const int64_t sans = perft(&p.echiquier, p.camp, profondeur);
            memoire_active(true);
            ASSERT_EQ(avec, sans) << ou(p, p.camp) << ", depth " << profondeur;
        }
    }
    // And against the reference where the trees are small.
    for (const Tposition* p : petits_arbres(SOUS_SANITISEUR ? 1 : 3)) {
        vide_memoire();
        for (int profondeur = 3; profondeur <= 4; profondeur++) {
            ASSERT_EQ(perft(&p->echiquier, p->camp, profondeur),
                      perft_reference(&p->echiquier, p->camp, profondeur))
                << ou(*p, p->camp) << ", depth " << profondeur;
        }
    }
}

// Positions given as FEN, where transpositions abound: the usual perft suite, and pawn
// endgames whose kings reach the same squares by many roads.
TEST_F(Differentiel, MemoireSurDesPositionsEnFen) {
    arret = 0;
    const char* const fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        "8/k7/3p4/p2P1p2/P2P1P2/8/8/K7 w - - 0 1",
        "8/8/4k3/3p4/3P4/4K3/8/8 b - - 0 1",
    };
    const int profondeur = 5;  // the shallowest search with positions kept in the memo
    std::mt19937 hasard(17);
    const Tstatistiques_memoire avant = statistiques_memoire();
    for (const char* fen : fens) {
        Tposition p{};
        p.fen = fen;
        ASSERT_EQ(lit_fen_texte(fen, &p.echiquier, &p.camp), 1) << fen;
        const std::vector<Tfenetre> liste = fenetres(&p.echiquier, p.camp, &hasard);
        for (const Tfenetre& f : {liste[0], liste[4]}) {
            if (!compare_avec_et_sans_memoire(p, p.camp, profondeur, f, false)) return;
        }
        if (!compare_apres_moins_profonde(p, profondeur, liste[0])) return;
        vide_memoire();
        for (int n = 1; n <= 4; n++) {
            const int64_t avec = perft(&p.echiquier, p.camp, n);
            memoire_active(false);
            const int64_t sans = perft(&p.echiquier, p.camp, n);
            memoire_active(true);
            ASSERT_EQ(avec, sans) << ou(p, p.camp) << ", perft depth " << n;
        }
    }
    EXPECT_GT(statistiques_memoire().trouvees - avant.trouvees, 100);
}

// The key holds every word a search reads, and nothing else.
TEST_F(Differentiel, LaCleDistingueToutCeQueLaRechercheLit) {
    const Techiquier base = position_apres("e2e4 c7c5 g1f3 d7d6 d2d4 c5d4");
    Tcle reference;
    ASSERT_TRUE(cle_memoire(&base, NOIR, 4, Tgenre_memoire::recherche, 10, 11, &reference));
    const auto differe = [&](const Techiquier& e, couleur c, int profondeur, Tgenre_memoire g,
                             int alpha, int beta) {
        Tcle cle;
        EXPECT_TRUE(cle_memoire(&e, c, profondeur, g, alpha, beta, &cle));
        return std::memcmp(cle.mots, reference.mots, sizeof cle.mots) != 0;
    };
    const auto g = Tgenre_memoire::recherche;
    EXPECT_TRUE(differe(base, BLANC, 4, g, 10, 11));
    EXPECT_TRUE(differe(base, NOIR, 3, g, 10, 11));
    EXPECT_TRUE(differe(base, NOIR, 4, Tgenre_memoire::comptage, 10, 11));
    EXPECT_TRUE(differe(base, NOIR, 4, g, 11, 11));
    EXPECT_TRUE(differe(base, NOIR, 4, g, 10, -11));
    // Every square, and every state word from the piece counts to the king squares.
    for (int index = 0; index < 64; index++) {
        Techiquier e = base;
        e.cases[index] = e.cases[index] == VIDE ? -DAME : VIDE;
        EXPECT_TRUE(differe(e, NOIR, 4, g, 10, 11)) << "square " << index;
    }
    for (int32_t Techiquier::*mot :
         {&Techiquier::nb_pieces_blanches, &Techiquier::nb_pieces_noires,
          &Techiquier::nb_fous_blancs, &Techiquier::nb_fous_noirs, &Techiquier::grand_roque_blanc,
          &Techiquier::petit_roque_blanc, &Techiquier::grand_roque_noir,
          &Techiquier::petit_roque_noir, &Techiquier::ep_ligne, &Techiquier::roi_blanc_ligne,
          &Techiquier::roi_blanc_colonne, &Techiquier::roi_noir_ligne,
          &Techiquier::roi_noir_colonne}) {
        Techiquier e = base;
        e.*mot = e.*mot == 0 ? 1 : 0;
        EXPECT_TRUE(differe(e, NOIR, 4, g, 10, 11)) << "state word " << &(e.*mot) - e.cases;
    }
    // The en passant column counts while a capture is possible, not after.
    Techiquier ep = position_apres("e2e4 g8f6 e4e5 d7d5");
    Techiquier ep_autre = ep;
    ep_autre.ep_colonne = 2;
    Tcle a, b;
    ASSERT_TRUE(cle_memoire(&ep, BLANC, 3, g, 0, 1, &a));
    ASSERT_TRUE(cle_memoire(&ep_autre, BLANC, 3, g, 0, 1, &b));
    EXPECT_NE(0, std::memcmp(a.mots, b.mots, sizeof a.mots));
    ep.ep_ligne = ep_autre.ep_ligne = -1;
    ASSERT_TRUE(cle_memoire(&ep, BLANC, 3, g, 0, 1, &a));
    ASSERT_TRUE(cle_memoire(&ep_autre, BLANC, 3, g, 0, 1, &b));
    EXPECT_EQ(0, std::memcmp(a.mots, b.mots, sizeof a.mots));
    // The side word is read by nothing.
    Techiquier trait = base;
    trait.trait = -trait.trait;
    EXPECT_FALSE(differe(trait, NOIR, 4, g, 10, 11));
}

// Records whose words the key cannot hold go without the memo, and are searched and counted
// as the reference does.
TEST_F(Differentiel, LesRecordsHorsDeLaCleSePassentDeLaMemoire) {
    arret = 0;
    const Techiquier base = position_apres("e2e4 e7e5 g1f3 b8c6 f1c4 g8f6");
    std::vector<std::pair<std::string, Techiquier>> etranges;
    const auto ajoute = [&](const std::string& nom, auto change) {
        Techiquier e = base;
        change(&e);
        etranges.emplace_back(nom, e);
    };
    // Words the record's consistency check lets through (debug builds assert it).
    ajoute("castling word 5", [](Techiquier* e) { e->petit_roque_blanc = 5; });
    ajoute("32 white pieces counted", [](Techiquier* e) { e->nb_pieces_blanches = 32; });
    ajoute("bishop counter -1", [](Techiquier* e) { e->nb_fous_noirs = -1; });
    ajoute("bishop counter 9", [](Techiquier* e) { e->nb_fous_blancs = 9; });
    for (const auto& [nom, e] : etranges) {
        Tcle cle;
        EXPECT_FALSE(cle_memoire(&e, BLANC, 3, Tgenre_memoire::recherche, 0, 1, &cle)) << nom;
        const Tposition p{e, BLANC, "(" + nom + ")", ""};
        EXPECT_TRUE(compare_avec_et_sans_memoire(p, BLANC, 3, {-10000, 10000, "root"}, true))
            << nom;
        EXPECT_EQ(perft(&e, BLANC, 3), perft_reference(&e, BLANC, 3)) << nom;
    }
}

// A search that "stop" cut short leaves nothing in the memo; counts, which nothing stops,
// are kept whatever the flag says.
TEST_F(Differentiel, UneRechercheArreteeNeLaissePasDeResultat) {
    const Techiquier e = position_apres("d2d4 d7d5 c2c4 e7e6 b1c3 g8f6");
    vide_memoire();
    arret = 1;
    const int64_t avant = statistiques_memoire().rangees;
    alpha_beta(&e, BLANC, 5, -10000, 10000);
    EXPECT_EQ(statistiques_memoire().rangees, avant);
    perft(&e, BLANC, 4);
    const int64_t apres_perft = statistiques_memoire().rangees;
    EXPECT_GT(apres_perft, avant);
    arret = 0;
    alpha_beta(&e, BLANC, 5, -10000, 10000);
    EXPECT_GT(statistiques_memoire().rangees, apres_perft);
    EXPECT_LE(taille_memoire(), size_t{64} << 20);
}
