// SPDX-License-Identifier: GPL-3.0-or-later
// The command loop. Each line's first word decides, letter case ignored; an empty line
// repeats the last word read:
//   uci         -> "id name Quorvik 0.14", "id author Dremmond", one "option name ..." line
//                  for each option of the table in gui_options.h, "uciok"
//   isready     -> "readyok"
//   ucinewgame  -> new game: initial position, white to move
//   setoption   -> "setoption name <name> [value <value>]": sets an option of the table
//                  (Ponder, MultiPV, UCI_AnalyseMode, Hash, Clear Hash; OwnBook changes
//                  nothing); a bad value: one "info string" line; unknown names: nothing
//   position    -> "position startpos [moves m1 m2 ...]": sets the game on the board; the
//                  first list of a game is played whole, afterwards only its last move when
//                  the rest is the game already on the board (else the list is replayed);
//                  "Commande non reconnue" when it is neither from startpos nor from a FEN,
//                  or the last move is malformed
//                  "position fen <fields> [moves m1 m2 ...]": the FEN's position, then every
//                  move; a line with anything malformed or an invalid position is refused
//                  whole ("Commande non reconnue") and changes nothing
//   go          -> "go depth N" | "go infinite" | "go wtime W btime B [winc I binc I]
//                  [movestogo M]" | "go movestogo M btime B wtime W" (never past half of
//                  the clock) | "go movetime N" (answers within N ms) | "go nodes N"
//                  (exactly N evaluations) | "go mate N" (the shortest mate, or a sentence
//                  and a one-ply answer) | "go ponder ..." (no answer before "stop" or
//                  "ponderhit") | "go" (deepening); "searchmoves m1 m2 ..." with any form:
//                  one "info ..." line per search (with MultiPV above 1 or UCI_AnalyseMode,
//                  the best root moves' "info ... multipv I score ... pv ..." lines), then
//                  "bestmove m" ("0000" when there is no legal move); m is played on the board
//   perft       -> "perft [depth N]": "d > count" for d = 1..N (N = 4 by default)
//   chess       -> the board as a grid of piece codes
//   stop, ponderhit, test -> nothing (outside a search; "ponderhit" ends a "go ponder")
//   quit        -> ends the loop; so does the end of input
//   other words -> "Commande non reconnue"
// While a search runs, input is still read: "stop" ends the search at once (the answer is
// the best root move it has finished), "isready" is answered at once, and every other line
// ("quit" included) waits and is handled here, in order, once "bestmove" is out.
// "go infinite" also ends at once on "quit" or at the end of input.
#include "gui_xboard.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "ai.h"
#include "ai_mat.h"
#include "ai_memoire.h"
#include "ai_niveaux.h"
#include "divers.h"
#include "gui_options.h"
#include "primitives_fen.h"
#include "primitives_listes.h"
#include "primitives_pieces.h"

namespace {

const char* const ERREUR = "Commande non reconnue\n";

bool blanc(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

char minuscule(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }


// The character at an index, or 0 past the end of the line.
char car(const std::string& ligne, size_t i) { return i < ligne.size() ? ligne[i] : '\0'; }

// A character after a move's four counts as a promotion letter when its code is 0x3D to
// 0x7F: every letter and a few signs, but no blank, digit or byte above 0x7F.
bool est_lettre_promotion(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code > '<' && code <= 0x7F;
}

bool coup_valide(const std::string& ligne, size_t i) {
    const char a = car(ligne, i), b = car(ligne, i + 1), c = car(ligne, i + 2),
               d = car(ligne, i + 3);
    return a >= 'a' && a <= 'h' && b >= '1' && b <= '8' && c >= 'a' && c <= 'h' && d >= '1' &&
           d <= '8';
}

// The piece a promoting pawn becomes for a letter: bishop, knight, rook, else a queen.
int32_t piece_de_promotion(char lettre) {
    switch (minuscule(lettre)) {
        case 'b':
            return FOU;
        case 'n':
            return CAVALIER;
        case 'r':
            return TOUR;
        default:
            return DAME;
    }
}

bool est_promotion(const Techiquier* e, Tcoup coup) {
    const int32_t m = e->cases[index_case(coup.ligne_depart, coup.colonne_depart)];
    return (m == PION && coup.ligne_arrivee == 7) || (m == -PION && coup.ligne_arrivee == 0);
}

// Plays a move on the game board and records it in the game's history.
void joue_sur_la_partie(Tpartie* p, Tcoup coup, int32_t promotion) {
    p->coup = coup;
    execute_coup(&p->echiquier, coup);
    inverser_couleur(&p->camp);
    if (promotion != 0) {
        const int32_t signe_piece = signe(p->echiquier.cases[index_case(
            coup.ligne_arrivee, coup.colonne_arrivee)]);
        p->echiquier.cases[index_case(coup.ligne_arrivee, coup.colonne_arrivee)] =
            promotion * signe_piece;
    }
    p->historique.push_back(Tcoup_joue{coup, promotion});
}

// Where each blank-separated word of a line starts, and its length.
std::vector<std::pair<size_t, size_t>> etendues_des_mots(const std::string& ligne) {
    std::vector<std::pair<size_t, size_t>> etendues;
    size_t i = 0;
    while (i < ligne.size()) {
        while (i < ligne.size() && blanc(ligne[i])) i++;
        const size_t debut = i;
        while (i < ligne.size() && !blanc(ligne[i])) i++;
        if (i > debut) etendues.emplace_back(debut, i - debut);
    }
    return etendues;
}


// The squares of a move word (its first four characters, already checked).
Tcoup coup_de_mot(const std::string& mot) {
    return fait_coup(mot[1] - '1', mot[0] - 'a', mot[3] - '1', mot[2] - 'a');
}

// Whether a word of a position line names the same move as one of the game's history: the
// same squares and, for a promotion, the same piece ("q" or no letter: a queen).
bool meme_coup(const std::string& mot, const Tcoup_joue& joue) {
    if (mot.size() != 4 && mot.size() != 5) return false;
    if (!coup_valide(mot, 0)) return false;
    if (mot.size() == 5 && !est_lettre_promotion(mot[4])) return false;
    if (!comp_Tcoup(coup_de_mot(mot), joue.coup)) return false;
    if (joue.promotion == 0) return true;
    return (mot.size() == 5 ? piece_de_promotion(mot[4]) : DAME) == joue.promotion;
}

// Whether the moves written before the last move of a position line are the game on the
// board. They are the words of the text before the last move's four characters (five with
// a promotion letter), so a last move glued to the one before it is read as the move it
// is, and the move before it as a move of the game.
bool prolonge_la_partie(const Tpartie* p, const std::string& entree, size_t longueur_dernier) {
    if (p->depuis_fen) return false;  // a game from a FEN is never a game from startpos
    const std::vector<std::string> liste =
        mots_de(entree.substr(0, entree.size() - longueur_dernier));
    // position, startpos, moves, then the moves before the last one.
    if (liste.size() < 3) return p->historique.empty();
    const size_t anciens = liste.size() - 3;
    if (anciens != p->historique.size()) return false;
    for (size_t k = 0; k < anciens; k++) {
        if (!meme_coup(liste[3 + k], p->historique[k])) return false;
    }
    return true;
}

void nouvelle_position_initiale(Tpartie* p) {
    init_echiquier(&p->echiquier);
    p->camp = BLANC;
    p->historique.clear();
    p->depuis_fen = false;
}

// The whole move list of a position line, read from index 24 ("position startpos moves "
// with one blank after each word): each move, its promotion letter if any, and one
// separator. The list ends at the first malformed move.
void applique_liste(Tpartie* p, const std::string& entree) {
    size_t i = 24;
    while (i + 1 < entree.size()) {
        const int lus = position(p, i, entree);
        if (lus == 0) break;
        i += static_cast<size_t>(lus) + 1;
    }
}

// A move word of a FEN line: four characters, or five with a promotion letter.
bool mot_de_coup(const std::string& mot) {
    if (mot.size() != 4 && mot.size() != 5) return false;
    return coup_valide(mot, 0) && (mot.size() == 4 || est_lettre_promotion(mot[4]));
}

// "position fen <fields> [moves m1 m2 ...]": the whole line is read and checked before
// anything changes, so a refused line leaves the game as it was. The game always starts
// anew from the FEN and plays every move, as a replayed startpos list does.
void position_fen(Tpartie* p, const std::string& entree) {
    const std::vector<std::string> liste = mots_de(entree);
    // "position", "fen", the fields up to "moves", then the moves.
    const size_t debut_champs = std::min<size_t>(2, liste.size());
    size_t fin_champs = debut_champs;
    while (fin_champs < liste.size() && !egal_sans_casse(liste[fin_champs], "moves")) {
        fin_champs++;
    }
    const std::vector<std::string> champs(liste.begin() + debut_champs,
                                          liste.begin() + fin_champs);
    Techiquier echiquier;
    couleur camp = BLANC;
    bool valide = lit_fen(champs, &echiquier, &camp) != 0;
    for (size_t k = fin_champs + 1; valide && k < liste.size(); k++) {
        valide = mot_de_coup(liste[k]);
    }
    if (!valide) {
        ecrit("%s", ERREUR);
        return;
    }
    p->echiquier = echiquier;
    p->camp = camp;
    p->historique.clear();
    p->depuis_fen = true;
    p->etat_partie = 1;
    for (size_t k = fin_champs + 1; k < liste.size(); k++) position(p, 0, liste[k]);
}

void commande_position(Tpartie* p, const std::string& entree) {
    scan_motif(entree, "position %s", &p->mot);
    if (egal_sans_casse(p->mot, "fen")) {
        position_fen(p, entree);
        return;
    }
    if (!egal_sans_casse(p->mot, "startpos")) {
        ecrit("%s", ERREUR);
        return;
    }
    scan_motif(entree, "position startpos %s", &p->mot);
    if (!egal_sans_casse(p->mot, "moves")) {
        nouvelle_position_initiale(p);
        p->etat_partie = 1;
        return;
    }
    if (p->etat_partie == -1) ucinewgame(p);
    if (p->etat_partie == 0) {
        // A "go" may have played on the new game's board already: the list starts from
        // the initial position all the same.
        nouvelle_position_initiale(p);
        applique_liste(p, entree);
        p->etat_partie = 1;
        return;
    }
    // A game in step: the new move is at the end of the line, with or without a letter.
    const size_t n = entree.size();
    const size_t longueur = n > 0 && est_lettre_promotion(entree[n - 1]) ? 5 : 4;
    if (n < longueur || !coup_valide(entree, n - longueur)) {
        ecrit("%s", ERREUR);
        return;
    }
    if (prolonge_la_partie(p, entree, longueur)) {
        position(p, n - longueur, entree);
    } else {
        // Another game, a take-back or a re-sent position: set up the line's own game.
        nouvelle_position_initiale(p);
        applique_liste(p, entree);
    }
}

// ---- go ----

int64_t cherche(Tpartie* p, int profondeur) {
    return choix_coup(&p->echiquier, p->camp, profondeur, &p->coup, &p->coups_permis);
}

// No position has this move (its squares are the same): put in place before the first
// search of a "go", it is still there after a search only when the side to move has no
// legal move, since a search hands back a legal move whenever there is one, even when it
// is cut before it has finished any.
Tcoup aucun_coup() { return fait_coup(0, 0, 0, 0); }

bool sans_coup_legal(const Tpartie* p) { return comp_Tcoup(p->coup, aucun_coup()) != 0; }

// Searches at depths 5, 6, ... up to 19. Without a time per move (`temps_fixe` < 0) a
// search of 2000 ms or more is the last; with one, a new depth starts only while less
// than half of it has been used since `debut`. No depth starts past the time limit.
void approfondit_depuis_5(Tpartie* p, int64_t debut = 0, int64_t temps_fixe = -1) {
    p->profondeur = 5;
    for (;;) {
        const int64_t t = cherche(p, p->profondeur);
        p->profondeur++;
        if (arret || p->profondeur > 19 || sans_coup_legal(p) || echeance_passee()) return;
        if (temps_fixe < 0 ? t >= 2000 : 2 * (maintenant_ms() - debut) >= temps_fixe) return;
    }
}

void plan_selon_budget(Tpartie* p, int64_t debut) {
    if (p->coups_restants <= 0) p->coups_restants = 1;
    const int32_t temps_propre = p->camp == BLANC ? p->temps_blanc : p->temps_noir;
    p->temps_par_coup = temps_propre / p->coups_restants;
    // Never a loss on time: no search runs past half of the time left on the clock.
    fixe_echeance(debut + temps_propre / 2);
    if (p->temps_par_coup > 15000) {
        approfondit_depuis_5(p);
    } else if (p->temps_par_coup > 5000 ||
               (p->temps_par_coup > 2000 && p->coups_restants > 10)) {
        cherche(p, p->profondeur);
    } else {
        cherche(p, p->profondeur - 1);
    }
}

// "movetime N" among the words of a go line (the word in any case, N an optionally signed
// decimal number).
bool lit_movetime(const std::string& entree, int64_t* temps) {
    const std::vector<std::string> liste = mots_de(entree);
    for (size_t k = 1; k + 1 < liste.size(); k++) {
        if (egal_sans_casse(liste[k], "movetime")) return nombre_entier(liste[k + 1], temps);
    }
    return false;
}

// The words a go line may hold besides moves: a "searchmoves" list ends at the first one.
bool mot_cle_de_go(const std::string& mot) {
    for (const char* cle : {"searchmoves", "ponder", "wtime", "btime", "winc", "binc",
                            "movestogo", "depth", "nodes", "mate", "movetime", "infinite"}) {
        if (egal_sans_casse(mot, cle)) return true;
    }
    return false;
}

// What a go line asks besides the form its first word chooses: words found anywhere among
// its words, in any case (the first of each counts).
struct Tdemande_go {
    bool ponder = false;
    bool noeuds_donnes = false;
    int64_t noeuds = 0;  // 0 when the word after "nodes" is no number
    bool mat_donne = false;
    int64_t mat = 0;
    int64_t profondeur = 0;  // after "depth"; 0 when there is none
    bool profondeur_donnee = false;  // a number followed "depth"
    std::vector<std::string> coups_cherches;  // the words after "searchmoves"
    std::string sans_ponder;                  // the line without its words "ponder"
};

Tdemande_go lit_demande_go(const std::string& entree) {
    Tdemande_go d;
    const std::vector<std::pair<size_t, size_t>> etendues = etendues_des_mots(entree);
    const auto mot = [&](size_t k) {
        return k < etendues.size() ? entree.substr(etendues[k].first, etendues[k].second)
                                   : std::string();
    };
    std::string sans_ponder;
    size_t copie_depuis = 0;
    for (size_t k = 1; k < etendues.size(); k++) {
        const std::string m = mot(k);
        if (egal_sans_casse(m, "ponder")) {
            d.ponder = true;
            sans_ponder += entree.substr(copie_depuis, etendues[k].first - copie_depuis);
            copie_depuis = etendues[k].first + etendues[k].second;
        } else if (egal_sans_casse(m, "nodes") && !d.noeuds_donnes) {
            d.noeuds_donnes = true;
            nombre_entier(mot(k + 1), &d.noeuds);
        } else if (egal_sans_casse(m, "mate") && !d.mat_donne) {
            d.mat_donne = true;
            nombre_entier(mot(k + 1), &d.mat);
        } else if (egal_sans_casse(m, "depth") && d.profondeur == 0) {
            d.profondeur_donnee = nombre_entier(mot(k + 1), &d.profondeur);
        } else if (egal_sans_casse(m, "searchmoves")) {
            while (k + 1 < etendues.size() && !mot_cle_de_go(mot(k + 1))) {
                d.coups_cherches.push_back(mot(++k));
            }
        }
    }
    d.sans_ponder = sans_ponder + entree.substr(copie_depuis);
    return d;
}

// The moves that the words of a "searchmoves" list name, by their squares (the search
// plays every promotion as a queen); words that name no move are left out.
std::vector<Tcoup> coups_de_mots(const std::vector<std::string>& liste) {
    std::vector<Tcoup> coups;
    for (const std::string& m : liste) {
        if (mot_de_coup(m)) coups.push_back(coup_de_mot(m));
    }
    return coups;
}

// "go nodes N": searches at depths 1, 2, ... up to 19 (or the depth the line gives) until
// the go has counted N horizon evaluations: the search in progress is then cut as "stop"
// cuts it, so the go's "info" lines add up to exactly N. With the evaluations counted the
// same whatever the memo holds, the output depends only on the position and N.
void plan_noeuds(Tpartie* p, int64_t noeuds, int64_t profondeur_donnee) {
    if (noeuds <= 0) {
        p->profondeur = 1;
        cherche(p, p->profondeur);
        return;
    }
    const int64_t derniere = profondeur_donnee >= 1 ? std::min<int64_t>(profondeur_donnee, 19) : 19;
    int64_t comptes = 0;
    p->profondeur = 1;
    for (;;) {
        fixe_limite_de_noeuds(noeuds - comptes);
        cherche(p, p->profondeur);
        comptes += node;
        p->profondeur++;
        if (arret || sans_coup_legal(p) || comptes >= noeuds || p->profondeur > derniere) break;
    }
    leve_limite_de_noeuds();
}

// The reply the engine expects to its move, for "bestmove ... ponder ...": the opponent's
// best move by a search of three plies, which prints nothing. Empty when it has none.
std::string reponse_attendue(const Tpartie* p, int32_t promotion) {
    Techiquier apres;
    copie_Techiquier(&p->echiquier, &apres);
    joue_coup_promu(&apres, Tcoup_promu{p->coup, promotion});
    const couleur autre = adversaire(p->camp);
    Tliste liste;
    init_liste(&liste);
    generateur(&apres, autre, &liste);
    enleve_pos_echec_rapide(&apres, &liste);
    const Tcoup* choisi = liste;
    int meilleur = autre * -50000;
    for (const Tcoup* n = liste; n != nullptr; n = n->suivant) {
        Techiquier copie;
        copie_Techiquier(&apres, &copie);
        execute_coup(&copie, *n);
        const int v = alpha_beta(&copie, p->camp, 2, autre * 10000, autre * -10000);
        if (autre * v > autre * meilleur) {
            meilleur = v;
            choisi = n;
        }
    }
    std::string texte = choisi == nullptr ? "" : texte_coup(&apres, *choisi);
    total_destroy_liste(&liste);
    return texte;
}

// The answer of every go: "bestmove", with the expected reply while the Ponder option is
// on (`attendue` when the search knows it), and the move played on the game board.
void repond(Tpartie* p, int32_t promotion = 0, const std::string& attendue = "") {
    if (sans_coup_legal(p)) {
        ecrit("bestmove 0000\n");
        return;
    }
    if (promotion == 0 && est_promotion(&p->echiquier, p->coup)) promotion = DAME;
    std::string texte = texte_coup_promu(Tcoup_promu{p->coup, promotion});
    if (p->reglages.ponder) {
        const std::string reponse = attendue.empty() ? reponse_attendue(p, promotion) : attendue;
        if (!reponse.empty()) texte += " ponder " + reponse;
    }
    ecrit("bestmove %s\n", texte.c_str());
    joue_sur_la_partie(p, p->coup, promotion);
}

// A fixed time per move: deepening from depth 5, cut a little before the time is up so
// that the answer reaches the interface in time; no time at all: one search of one ply.
void plan_temps_fixe(Tpartie* p, int64_t debut, int64_t temps) {
    if (temps <= 0) {
        p->profondeur = 1;
        cherche(p, p->profondeur);
        return;
    }
    const int64_t marge = std::min<int64_t>(50, temps / 2);
    fixe_echeance(debut + temps - marge);
    approfondit_depuis_5(p, debut, temps);
}

// The legal moves that the words of a "searchmoves" list name, with their promotion piece
// (no letter: a queen).
std::vector<Tcoup_promu> coups_promus_de_mots(const Tpartie* p,
                                              const std::vector<std::string>& liste) {
    std::vector<Tcoup_promu> coups;
    for (const Tcoup_promu& legal : coups_legaux_complets(&p->echiquier, p->camp)) {
        const bool cite = std::any_of(liste.begin(), liste.end(), [&](const std::string& m) {
            if (!mot_de_coup(m)) return false;
            const int32_t piece = m.size() == 5 ? piece_de_promotion(m[4]) : DAME;
            return comp_Tcoup(coup_de_mot(m), legal.coup) && (legal.promotion == 0 || legal.promotion == piece);
        });
        if (cite) coups.push_back(legal);
    }
    return coups;
}

// "go mate N": the shortest mate in N moves or fewer, reported in one line with the whole
// mating line. Without one (or when "stop" comes first), a sentence says so and a search
// of one ply answers at once, as "go depth 1" would.
void plan_mat(Tpartie* p, int64_t coups, const std::vector<std::string>& coups_cherches) {
    const int64_t debut = maintenant_ms();
    const int maximum = static_cast<int>(std::clamp<int64_t>(coups, 0, 1000));
    Tresultat_mat mat{0, {}, 0, false};
    if (maximum >= 1) {
        mat = cherche_mat(&p->echiquier, p->camp, maximum, coups_promus_de_mots(p, coups_cherches));
    }
    if (mat.coups == 0) {
        if (mat.interrompu) {
            ecrit("info string recherche de mat interrompue avant d'en trouver un\n");
        } else {
            ecrit("info string aucun mat en %d coup%s ou moins\n", maximum, maximum > 1 ? "s" : "");
        }
        p->profondeur = 1;
        cherche(p, p->profondeur);
        repond(p);
        return;
    }
    const int64_t ecoule = maintenant_ms() - debut;
    const auto nps = static_cast<int64_t>(
        ecoule > 0 ? static_cast<double>(mat.noeuds) / (static_cast<double>(ecoule) / 1000.0) : 0);
    std::string ligne;
    for (const Tcoup_promu& coup : mat.ligne) {
        ligne += " " + texte_coup_promu(coup);
    }
    ecrit("info depth %d nodes %lld time %lld nps %lld score mate %d pv%s\n", 2 * mat.coups - 1,
          static_cast<long long>(mat.noeuds), static_cast<long long>(ecoule),
          static_cast<long long>(nps), mat.coups, ligne.c_str());
    p->coup = mat.ligne[0].coup;
    repond(p, mat.ligne[0].promotion, mat.ligne.size() > 1 ? texte_coup_promu(mat.ligne[1]) : "");
}

void commande_go(Tpartie* p, const std::string& entree);

// "go ponder ...": the engine searches while the opponent thinks, as "go infinite" does,
// and answers only after "stop" (at once, with the best move found) or after "ponderhit":
// the move it pondered on was played, and the line without "ponder" then runs as a go line
// of its own, its time counted from that moment.
void reflechit(Tpartie* p, const std::string& sans_ponder) {
    arret_sur_fin(true);
    arret_sur_ponderhit(true);
    p->profondeur = 1;
    do {
        cherche(p, p->profondeur);
        p->profondeur++;
    } while (!arret && !sans_coup_legal(p) && !fin_demandee());
    // Nothing to search (no legal move): the answer waits all the same.
    if (!arret && !fin_demandee()) attend_fin_de_reflexion();
    arret_sur_ponderhit(false);
    arret_sur_fin(false);
    if (ponderhit_recu()) {
        commande_go(p, sans_ponder);
        return;
    }
    repond(p);
}

// The two clock forms, "go wtime ..." and "go movestogo ...", read into the loop's clock
// values; false for any other form.
bool lit_pendules(Tpartie* p, const std::string& entree) {
    if (egal_sans_casse(p->mot, "wtime")) {
        p->profondeur = 5;
        p->coups_restants = 10;
        int32_t* const cibles[] = {&p->temps_blanc, &p->temps_noir, &p->increment_blanc,
                                   &p->increment_noir, &p->coups_restants};
        scan_motif(entree, "go wtime %d btime %d winc %d binc %d movestogo %d", nullptr, cibles);
        return true;
    }
    if (egal_sans_casse(p->mot, "movestogo")) {
        p->profondeur = 5;
        p->coups_restants = 10;
        int32_t* const cibles[] = {&p->coups_restants, &p->temps_noir, &p->temps_blanc};
        scan_motif(entree, "go movestogo %d btime %d wtime %d", nullptr, cibles);
        return true;
    }
    return false;
}

// UCI_LimitStrength on: every go but "go mate" plays at the rating of UCI_Elo. Searches of
// 1 ply, 2 plies, ... up to the level's depth (one ply more with the level's chance), all
// within the level's limit of evaluations, then one of the root moves of the deepest search
// that finished, within the level's margin of its best, drawn by the generator. "depth N"
// and "nodes N" lower the depth (to one ply at least) and the limit; the clocks and
// "movetime" only bound the time, as in the other plans; "infinite" answers after "stop", as
// it always does.
void plan_niveau(Tpartie* p, const std::string& entree, const Tdemande_go& demande,
                 int64_t debut) {
    const Tniveau niveau = niveau_pour_elo(p->reglages.elo);
    int64_t derniere = niveau.profondeur + (tire_entre(1000) < niveau.pour_mille_de_plus ? 1 : 0);
    // "depth" lowers the level's depth, down to one ply.
    if (demande.profondeur_donnee) derniere = std::clamp<int64_t>(demande.profondeur, 1, derniere);
    int64_t budget = niveau.noeuds_max;
    if (demande.noeuds_donnes && demande.noeuds > 0) budget = std::min(budget, demande.noeuds);
    int64_t temps_fixe = 0;
    const bool infini = egal_sans_casse(p->mot, "infinite");
    if (lit_pendules(p, entree)) {
        const int32_t temps_propre = p->camp == BLANC ? p->temps_blanc : p->temps_noir;
        fixe_echeance(debut + temps_propre / 2);
    } else if (lit_movetime(entree, &temps_fixe)) {
        // No time at all: one ply, as without a level.
        if (temps_fixe <= 0) derniere = 1;
        if (temps_fixe > 0) fixe_echeance(debut + temps_fixe - std::min<int64_t>(50, temps_fixe / 2));
    }
    arret_sur_fin(infini);
    std::vector<Tcoup_note> finies;
    int64_t comptes = 0;
    for (p->profondeur = 1; p->profondeur <= derniere;) {
        fixe_limite_de_noeuds(budget - comptes);
        cherche(p, p->profondeur);
        comptes += node;
        p->profondeur++;
        if (arret) break;
        finies = racines_notees();
        if (sans_coup_legal(p) || comptes >= budget || echeance_passee()) break;
    }
    leve_limite_de_noeuds();
    if (!finies.empty()) p->coup = choix_du_niveau(finies, p->camp, niveau.marge);
    if (infini && !arret && !fin_demandee()) attend_fin_de_reflexion();
    arret_sur_fin(false);
}

void commande_go(Tpartie* p, const std::string& entree) {
    const int64_t debut = maintenant_ms();
    prepare_memoire_de_recherche();
    const Tdemande_go demande = lit_demande_go(entree);
    p->coups_permis = coups_de_mots(demande.coups_cherches);
    scan_motif(entree, "go %s", &p->mot);
    // A search cut at once then answers the first legal move, not a move of the past.
    p->coup = aucun_coup();
    if (demande.ponder) {
        reflechit(p, demande.sans_ponder);
        return;
    }
    if (demande.mat_donne) {
        plan_mat(p, demande.mat, demande.coups_cherches);
        return;
    }
    int64_t temps_fixe = 0;
    if (p->reglages.limite_force) {
        plan_niveau(p, entree, demande, debut);
    } else if (demande.noeuds_donnes) {
        plan_noeuds(p, demande.noeuds, demande.profondeur);
    } else if (egal_sans_casse(p->mot, "depth")) {
        int32_t* const cibles[] = {&p->profondeur};
        scan_motif(entree, "go depth %d", nullptr, cibles);
        // The root search gives its moves one ply less: the lowest depth has no such ply.
        if (p->profondeur == INT32_MIN) p->profondeur = INT32_MIN + 1;
        cherche(p, p->profondeur);
    } else if (egal_sans_casse(p->mot, "infinite")) {
        p->profondeur = 1;
        arret_sur_fin(true);
        do {
            cherche(p, p->profondeur);
            p->profondeur++;
        } while (!arret && !sans_coup_legal(p) && !fin_demandee());
        arret_sur_fin(false);
    } else if (lit_pendules(p, entree)) {
        plan_selon_budget(p, debut);
    } else if (lit_movetime(entree, &temps_fixe)) {
        plan_temps_fixe(p, debut, temps_fixe);
    } else {
        approfondit_depuis_5(p);
    }
    leve_echeance();
    repond(p);
}

void commande_perft(Tpartie* p, const std::string& entree) {
    prepare_memoire_de_recherche();
    p->profondeur = 4;
    scan_motif(entree, "perft %s", &p->mot);
    if (egal_sans_casse(p->mot, "depth")) {
        int32_t* const cibles[] = {&p->profondeur};
        scan_motif(entree, "perft depth %d", nullptr, cibles);
    }
    for (int d = 1; d <= p->profondeur && !sortie_abandonnee(); d++) {
        ecrit("%d > %lld\n", d, static_cast<long long>(perft(&p->echiquier, p->camp, d)));
    }
}

}  // namespace

bool egal_sans_casse(const std::string& a, const char* b) {
    const size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; i++) {
        if (minuscule(a[i]) != minuscule(b[i])) return false;
    }
    return true;
}

std::vector<std::string> mots_de(const std::string& ligne) {
    std::vector<std::string> liste;
    for (const auto& [debut, longueur] : etendues_des_mots(ligne)) {
        liste.emplace_back(ligne, debut, longueur);
    }
    return liste;
}

// A whole word that is an optionally signed decimal number; its size is capped a little
// above the 32-bit range.
bool nombre_entier(const std::string& nombre, int64_t* valeur) {
    size_t i = !nombre.empty() && (nombre[0] == '-' || nombre[0] == '+') ? 1 : 0;
    if (i == nombre.size()) return false;
    int64_t absolue = 0;
    for (; i < nombre.size(); i++) {
        if (!std::isdigit(static_cast<unsigned char>(nombre[i]))) return false;
        if (absolue < INT32_MAX) absolue = absolue * 10 + (nombre[i] - '0');
    }
    *valeur = nombre[0] == '-' ? -absolue : absolue;
    return true;
}

int scan_motif(const std::string& ligne, const char* motif, std::string* mot,
               int32_t* const* nombres) {
    size_t i = 0;
    int remplis = 0;
    int nombres_remplis = 0;
    const size_t n = ligne.size();
    for (const char* m = motif; *m != '\0';) {
        if (blanc(*m)) {
            while (i < n && blanc(ligne[i])) i++;
            m++;
            continue;
        }
        if (*m != '%') {
            if (i >= n || ligne[i] != *m) return remplis;
            i++;
            m++;
            continue;
        }
        const char conversion = m[1];
        m += 2;
        while (i < n && blanc(ligne[i])) i++;
        if (i >= n) return remplis;
        if (conversion == 's') {
            const size_t debut = i;
            while (i < n && !blanc(ligne[i])) i++;
            mot->assign(ligne, debut, i - debut);
        } else {
            int64_t signe_nombre = 1;
            if (ligne[i] == '+' || ligne[i] == '-') {
                if (ligne[i] == '-') signe_nombre = -1;
                i++;
            }
            if (i >= n || !std::isdigit(static_cast<unsigned char>(ligne[i]))) return remplis;
            int64_t valeur = 0;
            while (i < n && std::isdigit(static_cast<unsigned char>(ligne[i]))) {
                // Saturates at the 32-bit range instead of overflowing.
                if (valeur <= INT32_MAX) valeur = valeur * 10 + (ligne[i] - '0');
                i++;
            }
            valeur *= signe_nombre;
            if (valeur > INT32_MAX) valeur = INT32_MAX;
            if (valeur < INT32_MIN) valeur = INT32_MIN;
            *nombres[nombres_remplis++] = static_cast<int32_t>(valeur);
        }
        remplis++;
    }
    return remplis;
}

void init_partie(Tpartie* p) {
    init_echiquier(&p->echiquier);
    p->camp = BLANC;
    p->etat_partie = -1;
    p->coup = fait_coup(0, 0, 0, 0);
    p->profondeur = 5;
    p->temps_blanc = 0;
    p->temps_noir = 0;
    p->increment_blanc = 0;
    p->increment_noir = 0;
    p->coups_restants = 10;
    p->temps_par_coup = 0;
    p->mot.clear();
    p->historique.clear();
    p->depuis_fen = false;
    reglages_par_defaut(&p->reglages);
    p->coups_permis.clear();
}

void uci() {
    ecrit("id name Quorvik " QUORVIK_VERSION "\n");
    ecrit("id author Dremmond\n");
    annonce_options();
    ecrit("uciok\n");
}

void isready() { ecrit("readyok\n"); }

void ucinewgame(Tpartie* p) {
    nouvelle_position_initiale(p);
    p->etat_partie = 0;
    nouvelle_graine();
}

int position(Tpartie* p, size_t index, const std::string& ligne) {
    if (!coup_valide(ligne, index)) return 0;
    const Tcoup coup = fait_coup(ligne[index + 1] - '1', ligne[index] - 'a',
                                 ligne[index + 3] - '1', ligne[index + 2] - 'a');
    const char lettre = car(ligne, index + 4);
    const bool avec_lettre = est_lettre_promotion(lettre);
    // The letter names the piece only for a pawn reaching its last row; elsewhere it is
    // skipped and changes nothing.
    int32_t promotion = 0;
    if (est_promotion(&p->echiquier, coup)) promotion = avec_lettre ? piece_de_promotion(lettre) : DAME;
    joue_sur_la_partie(p, coup, promotion);
    return avec_lettre ? 5 : 4;
}

int traite_ligne(Tpartie* p, std::string entree) {
    scan_motif(entree, "%s", &p->mot);
    const std::string& mot = p->mot;
    if (mot.empty()) return 1;  // no word read yet
    if (egal_sans_casse(mot, "uci")) {
        uci();
    } else if (egal_sans_casse(mot, "isready")) {
        isready();
    } else if (egal_sans_casse(mot, "ucinewgame")) {
        ucinewgame(p);
    } else if (egal_sans_casse(mot, "setoption")) {
        commande_setoption(&p->reglages, entree);
    } else if (egal_sans_casse(mot, "position")) {
        commande_position(p, entree);
    } else if (egal_sans_casse(mot, "go")) {
        commande_go(p, entree);
    } else if (egal_sans_casse(mot, "perft")) {
        commande_perft(p, entree);
    } else if (egal_sans_casse(mot, "chess")) {
        affichage_echiquier(&p->echiquier);
    } else if (egal_sans_casse(mot, "stop") || egal_sans_casse(mot, "ponderhit") ||
               egal_sans_casse(mot, "test")) {
        // Nothing to do outside a search.
    } else if (egal_sans_casse(mot, "quit")) {
        return 0;
    } else {
        ecrit("%s", ERREUR);
    }
    return 1;
}

void boucle_commandes(Tpartie* p) {
    std::string entree;
    while (lit_commande(&entree)) {
        if (!traite_ligne(p, std::move(entree))) return;
    }
}

void xboard() {
#ifdef SIGPIPE
    // A closed interface must end the process quietly, not kill it on its next answer.
    std::signal(SIGPIPE, SIG_IGN);
#endif
#ifdef _WIN32
    // Bytes as they are both ways: the reader handles CR LF itself, answers end in LF.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    installe_console(0, stdout);
    Tpartie partie;
    init_partie(&partie);
    boucle_commandes(&partie);
}
