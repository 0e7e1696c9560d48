// SPDX-License-Identifier: GPL-3.0-or-later
// The command loop in-process: command words, the word carried from line to line, the
// pattern scans and their quirks, how position lines keep the game board, and positions
// given as FEN.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <random>
#include <regex>
#include <string>

#include "aide_tests.h"
#include "divers.h"
#include "gui_xboard.h"
#include "primitives_fen.h"
#include "primitives_listes.h"
#include "primitives_pieces.h"

namespace {

const std::string ERREUR = "Commande non reconnue\n";

// A game of the command loop with its answers collected in memory.
struct Tsession {
    Tpartie partie;
    char* tampon = nullptr;
    size_t taille = 0;
    size_t deja_lu = 0;
    FILE* sortie = nullptr;

    Tsession() {
        sortie = open_memstream(&tampon, &taille);
        installe_console_texte("", sortie);
        init_partie(&partie);
    }
    ~Tsession() {
        std::fclose(sortie);
        std::free(tampon);
        installe_console_texte("", stdout);
    }
    Tsession(const Tsession&) = delete;
    Tsession& operator=(const Tsession&) = delete;

    // Handles one line; returns what it printed.
    std::string ligne(const std::string& texte, int* suite = nullptr) {
        const int r = traite_ligne(&partie, texte);
        if (suite != nullptr) *suite = r;
        std::fflush(sortie);
        std::string nouveau(tampon + deja_lu, taille - deja_lu);
        deja_lu = taille;
        return nouveau;
    }
};

// Every word of a board, for comparisons that show the difference when they fail.
std::string mots_echiquier(const Techiquier& e) {
    std::string texte;
    for (int l = 7; l >= 0; l--) {
        for (int c = 0; c < 8; c++) texte += std::to_string(e.cases[index_case(l, c)]) + " ";
        texte += "\n";
    }
    for (int32_t mot : {e.trait, e.nb_pieces_blanches, e.nb_pieces_noires, e.nb_fous_blancs,
                        e.nb_fous_noirs, e.grand_roque_blanc, e.petit_roque_blanc,
                        e.grand_roque_noir, e.petit_roque_noir, e.ep_ligne, e.ep_colonne,
                        e.roi_blanc_ligne, e.roi_blanc_colonne, e.roi_noir_ligne,
                        e.roi_noir_colonne}) {
        texte += std::to_string(mot) + " ";
    }
    return texte;
}

// The board after the moves played one by one with execute_coup from the initial
// position; a fifth letter b, n or r turns a promoted pawn into that piece.
Techiquier plateau(std::initializer_list<const char*> coups) {
    Techiquier e;
    init_echiquier(&e);
    for (const char* texte : coups) {
        const Tcoup coup =
            fait_coup(texte[1] - '1', texte[0] - 'a', texte[3] - '1', texte[2] - 'a');
        execute_coup(&e, coup);
        const int arrivee = index_case(coup.ligne_arrivee, coup.colonne_arrivee);
        if (std::strlen(texte) == 5) {
            const int32_t signe_piece = e.cases[arrivee] > 0 ? 1 : -1;
            const char lettre = texte[4];
            if (lettre == 'b') e.cases[arrivee] = FOU * signe_piece;
            if (lettre == 'n') e.cases[arrivee] = CAVALIER * signe_piece;
            if (lettre == 'r') e.cases[arrivee] = TOUR * signe_piece;
        }
    }
    return e;
}

#define EXPECT_PLATEAU(partie, ...) \
    EXPECT_EQ(mots_echiquier((partie).echiquier), mots_echiquier(plateau({__VA_ARGS__})))

// The piece on a square named like "e4".
int32_t sur(const Tpartie& p, const char* carre) {
    return p.echiquier.cases[index_case(carre[1] - '1', carre[0] - 'a')];
}

// A white pawn on b7 that can take the rook on a8 (and the bishop on c8), white to move.
const char* const VERS_B7 = "e2e4 d7d5 e4d5 c7c6 d5c6 b8a6 c6b7 a6c5";
#define COUPS_VERS_B7 "e2e4", "d7d5", "e4d5", "c7c6", "d5c6", "b8a6", "c6b7", "a6c5"

// A black pawn on c2 that can take the knight on b1, black to move.
const char* const VERS_C2 = "a2a3 e7e5 a3a4 e5e4 d2d3 e4d3 a4a5 d3c2 a5a6";

// Whether a line changed nothing of the game (board, side, state, history).
void attend_inchange(const Tpartie& avant, const Tpartie& apres) {
    EXPECT_EQ(mots_echiquier(avant.echiquier), mots_echiquier(apres.echiquier));
    EXPECT_EQ(avant.camp, apres.camp);
    EXPECT_EQ(avant.etat_partie, apres.etat_partie);
    EXPECT_EQ(avant.historique.size(), apres.historique.size());
    EXPECT_EQ(avant.profondeur, apres.profondeur);
    EXPECT_EQ(avant.depuis_fen, apres.depuis_fen);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Command words and the word carried from one line to the next
// ---------------------------------------------------------------------------------------

TEST(Boucle, DepartPositionInitialeBlancsProfondeur5) {
    Tsession s;
    EXPECT_PLATEAU(s.partie);
    EXPECT_EQ(s.partie.camp, 1);
    EXPECT_EQ(s.partie.profondeur, 5);
    EXPECT_EQ(s.partie.etat_partie, -1);
    // The board is usable before any game is set up.
    EXPECT_EQ(s.ligne("perft depth 1"), "1 > 20\n");
}

TEST(Boucle, UciEnToutesCasses) {
    std::string bloc;
    for (const std::string& ligne : BLOC_UCI) bloc += ligne + "\n";
    Tsession s;
    for (const char* mot : {"uci", "UCI", "Uci", "  uci", "uci extra words"}) {
        EXPECT_EQ(s.ligne(mot), bloc) << mot;
    }
    EXPECT_EQ(s.partie.etat_partie, -1);
}

TEST(Boucle, IsreadyPuisLignesVidesRepetentLeMot) {
    Tsession s;
    EXPECT_EQ(s.ligne("isready"), "readyok\n");
    EXPECT_EQ(s.ligne(""), "readyok\n");
    EXPECT_EQ(s.ligne(" \t "), "readyok\n");
    EXPECT_EQ(s.ligne("ISREADY"), "readyok\n");
}

TEST(Boucle, LigneVideApresPositionRepeteLeDernierMotLu) {
    Tsession s;
    // The position scans leave "startpos" in the word: an empty line repeats it.
    EXPECT_EQ(s.ligne("position startpos"), "");
    EXPECT_EQ(s.ligne(""), ERREUR);
    // After a list the word is "moves", and an empty line does not replay the list.
    EXPECT_EQ(s.ligne("position startpos moves e2e4"), "");
    const Tpartie avant = s.partie;
    EXPECT_EQ(s.ligne(""), ERREUR);
    attend_inchange(avant, s.partie);
}

TEST(Boucle, PremiereLigneVideNeFaitRien) {
    Tsession s;
    const Tpartie avant = s.partie;
    EXPECT_EQ(s.ligne(""), "");
    EXPECT_EQ(s.ligne("   "), "");
    attend_inchange(avant, s.partie);
}

TEST(Boucle, MotInconnuRefuseSansRienChanger) {
    Tsession s;
    s.ligne("position startpos moves e2e4");
    const Tpartie avant = s.partie;
    for (const char* ligne :
         {"foo", "ucinewgamex", "positions startpos", "isready?", "go2", "xyzzy uci", "position",
          "position fen 8/8/8/8/8/8/8/8 w - - 0 1", "position STARTPOSX moves e7e5"}) {
        EXPECT_EQ(s.ligne(ligne), ERREUR) << ligne;
        attend_inchange(avant, s.partie);
    }
}

TEST(Boucle, CommandesMuettes) {
    Tsession s;
    s.ligne("position startpos moves e2e4");
    const Tpartie avant = s.partie;
    for (const char* ligne : {"setoption name Ponder value true", "setoption", "SetOption x",
                              "stop", "STOP", "ponderhit", "test", "test 1 2 3"}) {
        int suite = -1;
        EXPECT_EQ(s.ligne(ligne, &suite), "") << ligne;
        EXPECT_EQ(suite, 1) << ligne;
        attend_inchange(avant, s.partie);
    }
}

TEST(Boucle, QuitTermineSansRienEcrire) {
    for (const char* ligne : {"quit", "QUIT", "  quit now"}) {
        Tsession s;
        int suite = -1;
        EXPECT_EQ(s.ligne(ligne, &suite), "") << ligne;
        EXPECT_EQ(suite, 0) << ligne;
    }
    // Nothing after "quit" is handled; the end of the text ends the loop as well.
    EXPECT_EQ(execute_en_memoire("isready\nquit\nuci\n"), "readyok\n");
    EXPECT_EQ(execute_en_memoire("isready\nfoo"), "readyok\n" + ERREUR);
    EXPECT_EQ(execute_en_memoire(""), "");
}

TEST(Boucle, LignesCrLfEtDerniereLigneSansFin) {
    EXPECT_EQ(execute_en_memoire("isready\r\n\r\nfoo\r\nisready"),
              "readyok\nreadyok\n" + ERREUR + "readyok\n");
}

TEST(Boucle, ChessNeChangeRien) {
    Tsession s;
    s.ligne("ucinewgame");
    s.ligne("position startpos moves e2e4 e7e5");
    const Tpartie avant = s.partie;
    const std::string grille = s.ligne("chess");
    EXPECT_NE(grille.find(" | 0 | 0 | 0 | 0 | 1 | 0 | 0 | 0 | 4\n"), std::string::npos);
    EXPECT_NE(grille.find(" | 0 | 0 | 0 | 0 | -1 | 0 | 0 | 0 | 5\n"), std::string::npos);
    attend_inchange(avant, s.partie);
}

// ---------------------------------------------------------------------------------------
// Position lines: the scans and the whole-list path
// ---------------------------------------------------------------------------------------

TEST(Position, UcinewgamePuisListeEntiere) {
    Tsession s;
    s.ligne("position startpos moves e2e4");
    EXPECT_EQ(s.ligne("ucinewgame"), "");
    EXPECT_PLATEAU(s.partie);
    EXPECT_EQ(s.partie.camp, 1);
    EXPECT_EQ(s.partie.etat_partie, 0);
    EXPECT_EQ(s.ligne("position startpos moves e2e4 e7e5"), "");
    EXPECT_PLATEAU(s.partie, "e2e4", "e7e5");
    EXPECT_EQ(s.partie.camp, 1);
    EXPECT_EQ(s.partie.etat_partie, 1);
    EXPECT_EQ(s.partie.coup.ligne_arrivee, 4);  // the last move read stays in `coup`
    EXPECT_EQ(s.partie.coup.colonne_arrivee, 4);
}

TEST(Position, SansUcinewgameLaListeEstJoueeDepuisLeDepart) {
    Tsession s;
    EXPECT_EQ(s.ligne("position startpos moves e2e4 e7e5 g1f3"), "");
    EXPECT_PLATEAU(s.partie, "e2e4", "e7e5", "g1f3");
    EXPECT_EQ(s.partie.camp, -1);
    EXPECT_EQ(s.partie.etat_partie, 1);
}

TEST(Position, PositionEnMajusculesRefusee) {
    Tsession s;
    const Tpartie avant = s.partie;
    // The first word matches, but the "position %s" scan fails on the capital letter.
    EXPECT_EQ(s.ligne("POSITION startpos moves e2e4"), ERREUR);
    EXPECT_EQ(s.ligne("Position startpos"), ERREUR);
    attend_inchange(avant, s.partie);
}

TEST(Position, StartposEnMajusculesRemetSansJouer) {
    Tsession s;
    s.ligne("position startpos moves e2e4");
    ASSERT_EQ(s.partie.camp, -1);
    // "STARTPOS" passes the word test, but the next scan fails and the word is not "moves".
    EXPECT_EQ(s.ligne("position STARTPOS moves d2d4"), "");
    EXPECT_PLATEAU(s.partie);
    EXPECT_EQ(s.partie.camp, 1);
    EXPECT_EQ(s.partie.etat_partie, 1);
    EXPECT_TRUE(s.partie.historique.empty());
}

TEST(Position, MovesEnMajusculesAcceptes) {
    Tsession s;
    EXPECT_EQ(s.ligne("position startpos MOVES e2e4"), "");
    EXPECT_PLATEAU(s.partie, "e2e4");
}

TEST(Position, BlancsEnTeteRefuses) {
    Tsession s;
    s.ligne("position startpos moves e2e4");
    const Tpartie avant = s.partie;
    EXPECT_EQ(s.ligne(" position startpos moves e2e4 e7e5"), ERREUR);
    EXPECT_EQ(s.ligne("\tposition startpos"), ERREUR);
    attend_inchange(avant, s.partie);
}

TEST(Position, LaListeSeLitDepuisLIndex24) {
    {
        // Two blanks between moves: the list ends at the second blank.
        Tsession s;
        EXPECT_EQ(s.ligne("position startpos moves e2e4  e7e5"), "");
        EXPECT_PLATEAU(s.partie, "e2e4");
        EXPECT_EQ(s.partie.camp, -1);
        EXPECT_EQ(s.partie.etat_partie, 1);
    }
    for (const char* ligne : {"position startpos moves  e2e4", "position  startpos moves e2e4",
                              "position startpos  moves e2e4"}) {
        // The scans accept the extra blank, but index 24 is not the first move.
        Tsession s;
        EXPECT_EQ(s.ligne(ligne), "") << ligne;
        EXPECT_PLATEAU(s.partie);
        EXPECT_EQ(s.partie.camp, 1) << ligne;
        EXPECT_EQ(s.partie.etat_partie, 1) << ligne;
    }
    {
        // Any character separates two moves, and tabs are blanks to the scans.
        Tsession s;
        EXPECT_EQ(s.ligne("position\tstartpos\tmoves\te2e4,e7e5;g1f3"), "");
        EXPECT_PLATEAU(s.partie, "e2e4", "e7e5", "g1f3");
    }
    {
        // A digit right after a move is no promotion letter: it is the separator.
        Tsession s;
        EXPECT_EQ(s.ligne("position startpos moves e2e45e7e5"), "");
        EXPECT_PLATEAU(s.partie, "e2e4", "e7e5");
    }
}

TEST(Position, UnCoupMalFormeArreteLaListeEnSilence) {
    for (const char* ligne :
         {"position startpos moves e2e4 e7e9 d2d4", "position startpos moves e2e4 e7e0 d2d4",
          "position startpos moves e2e4 i7i5 d2d4", "position startpos moves e2e4 E7E5 d2d4",
          "position startpos moves e2e4 e7e"}) {
        Tsession s;
        EXPECT_EQ(s.ligne(ligne), "") << ligne;
        EXPECT_PLATEAU(s.partie, "e2e4");
        EXPECT_EQ(s.partie.camp, -1) << ligne;
        EXPECT_EQ(s.partie.etat_partie, 1) << ligne;
    }
}

TEST(Position, LigneFinissantParMoves) {
    Tsession s;
    // No game yet: a new game with an empty list.
    EXPECT_EQ(s.ligne("position startpos moves"), "");
    EXPECT_PLATEAU(s.partie);
    EXPECT_EQ(s.partie.camp, 1);
    EXPECT_EQ(s.partie.etat_partie, 1);
    // A game in step: "move" before the final letter is no move.
    s.ligne("position startpos moves e2e4");
    const Tpartie avant = s.partie;
    EXPECT_EQ(s.ligne("position startpos moves"), ERREUR);
    attend_inchange(avant, s.partie);
}

TEST(Position, StartposSansMovesRemetEtDonneLeTraitAuxBlancs) {
    Tsession s;
    s.ligne("position startpos moves e2e4");
    ASSERT_EQ(s.partie.camp, -1);
    EXPECT_EQ(s.ligne("position startpos"), "");
    EXPECT_PLATEAU(s.partie);
    EXPECT_EQ(s.partie.camp, 1);
    EXPECT_EQ(s.partie.etat_partie, 1);
    // The next list is a new game from the initial position.
    EXPECT_EQ(s.ligne("position startpos moves d2d4"), "");
    EXPECT_PLATEAU(s.partie, "d2d4");
    EXPECT_EQ(s.partie.camp, -1);
}

// ---------------------------------------------------------------------------------------
// The last-move path and the game kept on the board
// ---------------------------------------------------------------------------------------

TEST(Position, LeDernierCoupSeLitEnFinDeLigneQuelQueSoitLEspacement) {
    Tsession s;
    s.ligne("ucinewgame");
    s.ligne("position startpos moves e2e4");
    EXPECT_EQ(s.ligne("position startpos moves e2e4    e7e5"), "");
    EXPECT_PLATEAU(s.partie, "e2e4", "e7e5");
    EXPECT_EQ(s.ligne("position startpos moves  e2e4\te7e5  g1f3"), "");
    EXPECT_PLATEAU(s.partie, "e2e4", "e7e5", "g1f3");
    EXPECT_EQ(s.partie.camp, -1);
    EXPECT_EQ(s.partie.etat_partie, 1);
    EXPECT_EQ(s.partie.historique.size(), 3u);
}

TEST(Position, DernierCoupMalFormeRefuseSansRienChanger) {
    Tsession s;
    s.ligne("position startpos moves e2e4");
    const Tpartie avant = s.partie;
    for (const char* ligne :
         {"position startpos moves e2e4 e7e5 ", "position startpos moves e2e4 e7e0",
          "position startpos moves e2e4 e7e9", "position startpos moves e2e4 e0e5",
          "position startpos moves e2e4 i7e5", "position startpos moves e2e4 e7",
          "position startpos moves e2e4 e7e5\t",
          // A different game before a malformed last move is no reason to reset.
          "position startpos moves d2d4 d7d9"}) {
        EXPECT_EQ(s.ligne(ligne), ERREUR) << ligne;
        attend_inchange(avant, s.partie);
    }
}

// The last move is the line's last four characters (five with a letter), glued to the word
// before it or not; the moves before it are the text before those characters.
TEST(Position, DernierCoupColleAuPrecedent) {
    Tsession s;
    s.ligne("ucinewgame");
    s.ligne("position startpos moves e2e4 e7e5");
    // g1f3 stands before the last move: not the game on the board, so the line is replayed
    // as written (the glued letters as the list reads them: g1f3, then "b" skipped as a
    // letter), and black is to move.
    EXPECT_EQ(s.ligne("position startpos moves e2e4 e7e5 g1f3b8c6"), "");
    EXPECT_PLATEAU(s.partie, "e2e4", "e7e5", "g1f3");
    EXPECT_EQ(s.partie.camp, -1);
    EXPECT_EQ(s.partie.historique.size(), 3u);
    const std::string reponse = s.ligne("go depth 1");
    const size_t debut = reponse.find("bestmove ");
    ASSERT_NE(debut, std::string::npos) << reponse;
    EXPECT_LT(sur(s.partie, reponse.substr(debut + 11, 2).c_str()), 0) << reponse;

    // Once g1f3 is the game, the same glued line continues it with b8c6.
    s.ligne("position startpos moves e2e4 e7e5 g1f3");
    EXPECT_EQ(s.ligne("position startpos moves e2e4 e7e5 g1f3b8c6"), "");
    EXPECT_PLATEAU(s.partie, "e2e4", "e7e5", "g1f3", "b8c6");
    EXPECT_EQ(s.partie.camp, 1);

    // A glued promotion: the letter ends the line, the move is the four before it.
    s.ligne(std::string("position startpos moves ") + VERS_B7);
    EXPECT_EQ(s.ligne(std::string("position startpos moves ") + VERS_B7 + "b7a8n"), "");
    EXPECT_PLATEAU(s.partie, COUPS_VERS_B7, "b7a8n");
    EXPECT_EQ(s.partie.camp, -1);
}

TEST(Position, RetourEnArriere) {
    Tsession s;
    s.ligne("ucinewgame");
    s.ligne("position startpos moves e2e4 e7e5 g1f3");
    EXPECT_EQ(s.ligne("position startpos moves e2e4 e7e5"), "");
    EXPECT_PLATEAU(s.partie, "e2e4", "e7e5");
    EXPECT_EQ(s.partie.camp, 1);
    EXPECT_EQ(s.partie.etat_partie, 1);
    EXPECT_EQ(s.partie.historique.size(), 2u);
}

TEST(Position, MemeLigneRenvoyeeNeRejouePasLeDernierCoup) {
    Tsession s;
    s.ligne("ucinewgame");
    s.ligne("position startpos moves e2e4 e7e5");
    EXPECT_EQ(s.ligne("position startpos moves e2e4 e7e5"), "");
    EXPECT_PLATEAU(s.partie, "e2e4", "e7e5");
    EXPECT_EQ(s.partie.camp, 1);
}

TEST(Position, NouvellePartieSansUcinewgame) {
    Tsession s;
    s.ligne("ucinewgame");
    s.ligne("position startpos moves e2e4 e7e5 g1f3 b8c6");
    EXPECT_EQ(s.ligne("position startpos moves d2d4"), "");
    EXPECT_PLATEAU(s.partie, "d2d4");
    EXPECT_EQ(s.partie.camp, -1);
    EXPECT_EQ(s.ligne("position startpos moves d2d4 d7d5 c2c4"), "");
    EXPECT_PLATEAU(s.partie, "d2d4", "d7d5", "c2c4");
    EXPECT_EQ(s.partie.camp, -1);
}

TEST(Position, LaPartieSuitLesReponsesDuMoteur) {
    Tsession s;
    s.ligne("ucinewgame");
    s.ligne("position startpos moves e2e4");
    const std::string reponse = s.ligne("go depth 1");
    const size_t debut = reponse.find("bestmove ");
    ASSERT_NE(debut, std::string::npos) << reponse;
    const std::string sien = reponse.substr(debut + 9, 4);
    ASSERT_EQ(s.partie.camp, 1);

    // The interface brings the engine's move back with its own reply: only that is played.
    const std::string ligne = "position startpos moves e2e4 " + sien + " g1f3";
    EXPECT_EQ(s.ligne(ligne), "");
    EXPECT_PLATEAU(s.partie, "e2e4", sien.c_str(), "g1f3");
    EXPECT_EQ(s.partie.camp, -1);

    // The same position sent again right after an answer: the board is that position.
    const std::string avant_reponse = ligne;
    s.ligne("go depth 1");
    ASSERT_EQ(s.partie.camp, 1);
    EXPECT_EQ(s.ligne(avant_reponse), "");
    EXPECT_PLATEAU(s.partie, "e2e4", sien.c_str(), "g1f3");
    EXPECT_EQ(s.partie.camp, -1);
}

TEST(Position, LaPremiereListeRepartDuDepartMemeApresUnGo) {
    Tsession s;
    s.ligne("ucinewgame");
    s.ligne("go depth 1");  // the engine plays white's first move on the new game's board
    ASSERT_EQ(s.partie.camp, -1);
    EXPECT_EQ(s.ligne("position startpos moves e2e4 e7e5"), "");
    EXPECT_PLATEAU(s.partie, "e2e4", "e7e5");
    EXPECT_EQ(s.partie.camp, 1);
    EXPECT_EQ(s.partie.etat_partie, 1);
}

TEST(Position, ListeApresStartposSansMovesRejoueeEntiere) {
    Tsession s;
    s.ligne("position startpos");
    EXPECT_EQ(s.ligne("position startpos moves e2e4 e7e5"), "");
    EXPECT_PLATEAU(s.partie, "e2e4", "e7e5");
    EXPECT_EQ(s.partie.camp, 1);
}

// ---------------------------------------------------------------------------------------
// Promotion letters
// ---------------------------------------------------------------------------------------

TEST(Position, LettresDePromotionDansLaListe) {
    struct Tcas {
        const char* suffixe;
        int32_t attendu;
    };
    for (const Tcas& cas :
         {Tcas{"", 6}, Tcas{"q", 6}, Tcas{"Q", 6}, Tcas{"n", 3}, Tcas{"N", 3}, Tcas{"b", 4},
          Tcas{"r", 5}, Tcas{"R", 5}, Tcas{"x", 6}, Tcas{"=", 6}, Tcas{"?", 6}}) {
        Tsession s;
        const std::string ligne =
            std::string("position startpos moves ") + VERS_B7 + " b7a8" + cas.suffixe + " g8f6";
        EXPECT_EQ(s.ligne(ligne), "") << ligne;
        EXPECT_EQ(sur(s.partie, "a8"), cas.attendu) << ligne;
        // The letter is skipped, so the move after it is read too.
        EXPECT_EQ(sur(s.partie, "f6"), -3) << ligne;
        EXPECT_EQ(s.partie.camp, 1) << ligne;
        // Promotion changes no count.
        EXPECT_EQ(s.partie.echiquier.nb_fous_blancs, 2) << ligne;
        EXPECT_EQ(s.partie.echiquier.nb_pieces_noires, 12) << ligne;
    }
    for (const Tcas& cas : {Tcas{"r", -5}, Tcas{"b", -4}, Tcas{"N", -3}, Tcas{"q", -6}}) {
        Tsession s;
        s.ligne(std::string("position startpos moves ") + VERS_C2 + " c2b1" + cas.suffixe);
        EXPECT_EQ(sur(s.partie, "b1"), cas.attendu) << cas.suffixe;
        EXPECT_EQ(s.partie.camp, 1) << cas.suffixe;
    }
}

TEST(Position, LettresDePromotionAuDernierCoup) {
    struct Tcas {
        const char* suffixe;
        int32_t attendu;
    };
    for (const Tcas& cas : {Tcas{"", 6}, Tcas{"q", 6}, Tcas{"Q", 6}, Tcas{"n", 3}, Tcas{"b", 4},
                            Tcas{"B", 4}, Tcas{"r", 5}, Tcas{"z", 6}}) {
        Tsession s;
        s.ligne(std::string("position startpos moves ") + VERS_B7);
        const std::string ligne =
            std::string("position startpos moves ") + VERS_B7 + " b7c8" + cas.suffixe;
        EXPECT_EQ(s.ligne(ligne), "") << ligne;
        EXPECT_EQ(sur(s.partie, "c8"), cas.attendu) << ligne;
        EXPECT_EQ(sur(s.partie, "b7"), 0) << ligne;
        EXPECT_EQ(s.partie.camp, -1) << ligne;
        EXPECT_EQ(s.partie.echiquier.nb_fous_noirs, 1) << ligne;
    }
}

TEST(Position, LettreApresUnCoupOrdinaireNeChangeRien) {
    Tsession s;
    EXPECT_EQ(s.ligne("position startpos moves g1f3q e7e5b e2e4r"), "");
    EXPECT_PLATEAU(s.partie, "g1f3", "e7e5", "e2e4");
    EXPECT_EQ(sur(s.partie, "f3"), 3);
    // The last-move path as well.
    EXPECT_EQ(s.ligne("position startpos moves g1f3q e7e5b e2e4r b8c6n"), "");
    EXPECT_EQ(sur(s.partie, "c6"), -3);
    EXPECT_PLATEAU(s.partie, "g1f3", "e7e5", "e2e4", "b8c6");
}

TEST(Position, LaDameQueLeMoteurAPromueSeReconnaitAuQ) {
    Tsession s;
    s.ligne("ucinewgame");
    s.ligne(std::string("position startpos moves ") + VERS_B7);
    const std::string reponse = s.ligne("go depth 1");
    ASSERT_NE(reponse.find("bestmove b7a8q\n"), std::string::npos) << reponse;
    ASSERT_EQ(sur(s.partie, "a8"), 6);

    // "q" names the queen on a8: only the reply is played.
    EXPECT_EQ(s.ligne(std::string("position startpos moves ") + VERS_B7 + " b7a8q g8f6"), "");
    EXPECT_PLATEAU(s.partie, COUPS_VERS_B7, "b7a8", "g8f6");
    EXPECT_EQ(s.partie.camp, 1);
    EXPECT_EQ(s.ligne(std::string("position startpos moves ") + VERS_B7 + " b7a8 g8f6 d2d4"), "");
    EXPECT_PLATEAU(s.partie, COUPS_VERS_B7, "b7a8", "g8f6", "d2d4");

    // A knight there is another game: it is set up from the start.
    EXPECT_EQ(s.ligne(std::string("position startpos moves ") + VERS_B7 + " b7a8n g8f6 d2d4 h7h6"),
              "");
    EXPECT_PLATEAU(s.partie, COUPS_VERS_B7, "b7a8n", "g8f6", "d2d4", "h7h6");
    EXPECT_EQ(sur(s.partie, "a8"), 3);
    EXPECT_EQ(s.partie.camp, 1);
}

// ---------------------------------------------------------------------------------------
// The pattern scans
// ---------------------------------------------------------------------------------------

TEST(BoucleScan, UnBlancDuMotifAccepteToutEspacementMemeAucun) {
    std::string mot = "avant";
    EXPECT_EQ(scan_motif("position startpos", "position %s", &mot), 1);
    EXPECT_EQ(mot, "startpos");
    EXPECT_EQ(scan_motif("position \t  startpos", "position %s", &mot), 1);
    EXPECT_EQ(mot, "startpos");
    EXPECT_EQ(scan_motif("positionfen", "position %s", &mot), 1);
    EXPECT_EQ(mot, "fen");
    EXPECT_EQ(scan_motif("position  startpos   moves e2e4", "position startpos %s", &mot), 1);
    EXPECT_EQ(mot, "moves");
    EXPECT_EQ(scan_motif("  uci  ", "%s", &mot), 1);
    EXPECT_EQ(mot, "uci");
}

TEST(BoucleScan, LesLitterauxRespectentLaCasseEtLEchecLaisseLesCibles) {
    std::string mot = "avant";
    EXPECT_EQ(scan_motif("Position startpos", "position %s", &mot), 0);
    EXPECT_EQ(scan_motif(" position startpos", "position %s", &mot), 0);
    EXPECT_EQ(scan_motif("position", "position %s", &mot), 0);
    EXPECT_EQ(scan_motif("position   ", "position %s", &mot), 0);
    EXPECT_EQ(scan_motif("", "%s", &mot), 0);
    EXPECT_EQ(scan_motif("position STARTPOS moves", "position startpos %s", &mot), 0);
    EXPECT_EQ(mot, "avant");
}

TEST(BoucleScan, NombresSignesEtSatures) {
    int32_t a = 11, b = 22, c = 33;
    int32_t* const cibles[] = {&a, &b, &c};
    EXPECT_EQ(scan_motif("go depth 7", "go depth %d", nullptr, cibles), 1);
    EXPECT_EQ(a, 7);
    EXPECT_EQ(scan_motif("go depth -12", "go depth %d", nullptr, cibles), 1);
    EXPECT_EQ(a, -12);
    EXPECT_EQ(scan_motif("go depth +3x", "go depth %d", nullptr, cibles), 1);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(scan_motif("go depth 99999999999999999999", "go depth %d", nullptr, cibles), 1);
    EXPECT_EQ(a, INT32_MAX);
    EXPECT_EQ(scan_motif("go depth -99999999999999999999", "go depth %d", nullptr, cibles), 1);
    EXPECT_EQ(a, INT32_MIN);
    EXPECT_EQ(scan_motif("go depth -2147483648", "go depth %d", nullptr, cibles), 1);
    EXPECT_EQ(a, INT32_MIN);

    a = 11;
    for (const char* ligne : {"go depth", "go depth x", "go depth -", "go depth +", "go Depth 3"}) {
        EXPECT_EQ(scan_motif(ligne, "go depth %d", nullptr, cibles), 0) << ligne;
        EXPECT_EQ(a, 11) << ligne;
    }
}

TEST(BoucleScan, LeScanSArreteAuPremierChampAbsent) {
    int32_t a = 1, b = 2, c = 3;
    int32_t* const cibles[] = {&a, &b, &c};
    EXPECT_EQ(scan_motif("go wtime 100 btime 200 movestogo 5", "go wtime %d btime %d winc %d",
                         nullptr, cibles),
              2);
    EXPECT_EQ(a, 100);
    EXPECT_EQ(b, 200);
    EXPECT_EQ(c, 3);
    EXPECT_EQ(
        scan_motif("go wtime100btime-5winc7", "go wtime %d btime %d winc %d", nullptr, cibles), 3);
    EXPECT_EQ(b, -5);
    EXPECT_EQ(c, 7);
}

// ---------------------------------------------------------------------------------------
// Positions given as FEN
// ---------------------------------------------------------------------------------------

namespace {

// The usual middlegame of perft tests: castlings both ways, pins, promotions near.
const char* const MILIEU_PLEIN = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";

// The state words after a FEN: trait, counts, bishops, rights (a-side then h-side, white
// then black), en passant row and column, king squares.
struct Tetat_fen {
    const char* fen;
    int32_t mots[15];
};

std::vector<int32_t> mots_d_etat(const Techiquier& e) {
    std::vector<int32_t> mots(15);
    std::memcpy(mots.data(), &e.trait, 15 * sizeof(int32_t));  // the record's last 15 words
    return mots;
}

// What a line leaves for the next commands to see: the board grid, a count and a search.
std::string ce_que_voit_la_suite(Tsession* s) {
    const std::string vu = s->ligne("chess") + s->ligne("perft depth 2");
    const Tpartie avant = s->partie;
    const std::string recherche = s->ligne("go depth 2");
    s->partie = avant;  // the search played its move: back to the position looked at
    return vu + std::regex_replace(recherche, std::regex(" time [0-9]+ nps [0-9]+"), "");
}

}  // namespace

TEST(PositionFen, ChaqueChampDansLeRecord) {
    // Each case: the line's fields, then the words the record must hold.
    const Tetat_fen cas[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
         {1, 16, 16, 2, 2, 1, 1, 1, 1, -1, -1, 0, 4, 7, 4}},
        {MILIEU_PLEIN, {1, 16, 16, 2, 2, 1, 1, 1, 1, -1, -1, 0, 4, 7, 4}},
        // Black to move, letters in any order, one counter only.
        {"r3k2r/8/8/8/8/8/8/R3K2R b qK - 7", {-1, 3, 3, 0, 0, 0, 1, 1, 0, -1, -1, 0, 4, 7, 4}},
        // Bishops counted from the board, under-promoted ones included; digits in a row.
        {"1b2k3/8/8/8/8/8/8/BBB1K2B w - - 0 1", {1, 5, 2, 4, 1, 0, 0, 0, 0, -1, -1, 0, 4, 7, 4}},
        {"1111k3/8/8/8/8/8/8/4K3 w - -", {1, 1, 1, 0, 0, 0, 0, 0, 0, -1, -1, 0, 4, 7, 4}},
        // Rights dropped: rook of g1 not in its corner, no rook on a8, a black rook on a1.
        {"4k2r/8/8/8/8/8/8/R3K1R1 w KQkq -", {1, 3, 2, 0, 0, 1, 0, 0, 1, -1, -1, 0, 4, 7, 4}},
        {"r3k2r/8/8/8/8/8/8/r3K2R w KQkq -", {1, 2, 4, 0, 0, 0, 1, 1, 1, -1, -1, 0, 4, 7, 4}},
        // Kings away from column e: no right at all.
        {"r2k3r/8/8/8/8/8/8/R4K1R b KQkq - 0 1", {-1, 3, 3, 0, 0, 0, 0, 0, 0, -1, -1, 0, 5, 7, 3}},
        // En passant squares that count: the pawn in front of them.
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", {1, 2, 2, 0, 0, 0, 0, 0, 0, 4, 3, 0, 4, 7, 4}},
        {"4k3/8/8/8/4Pp2/8/8/4K3 b - e3 0 1", {-1, 2, 2, 0, 0, 0, 0, 0, 0, 3, 4, 0, 4, 7, 4}},
        // En passant squares that do not: the wrong rank for the side to move, no pawn in
        // front, the mover's own pawn in front, a knight in front, the square itself taken,
        // the square the pawn came from taken.
        {"4k3/8/8/8/4Pp2/8/8/4K3 w - e3 0 1", {1, 2, 2, 0, 0, 0, 0, 0, 0, -1, -1, 0, 4, 7, 4}},
        {"4k3/8/8/8/8/8/4p3/K7 w - e3 0 1", {1, 1, 2, 0, 0, 0, 0, 0, 0, -1, -1, 0, 0, 7, 4}},
        {"4k3/8/8/8/8/8/8/4K3 w - d6 0 1", {1, 1, 1, 0, 0, 0, 0, 0, 0, -1, -1, 0, 4, 7, 4}},
        {"4k3/8/8/3P4/8/8/8/4K3 w - d6 0 1", {1, 2, 1, 0, 0, 0, 0, 0, 0, -1, -1, 0, 4, 7, 4}},
        {"4k3/8/8/3n4/8/8/8/4K3 w - d6 0 1", {1, 1, 2, 0, 0, 0, 0, 0, 0, -1, -1, 0, 4, 7, 4}},
        {"4k3/8/3n4/3p4/8/8/8/4K3 w - d6 0 1", {1, 1, 3, 0, 0, 0, 0, 0, 0, -1, -1, 0, 4, 7, 4}},
        {"4k3/3n4/8/3p4/8/8/8/4K3 w - d6 0 1", {1, 1, 3, 0, 0, 0, 0, 0, 0, -1, -1, 0, 4, 7, 4}},
        {"4k3/8/8/8/3P4/8/3N4/4K3 b - d3 0 1", {-1, 3, 1, 0, 0, 0, 0, 0, 0, -1, -1, 0, 4, 7, 4}},
        // The side to move may be in check; kings anywhere.
        {"8/8/8/8/8/2k5/8/K1q5 w - - 0 99", {1, 1, 2, 0, 0, 0, 0, 0, 0, -1, -1, 0, 0, 2, 2}},
    };
    for (const Tetat_fen& c : cas) {
        Tsession s;
        s.ligne("ucinewgame");
        EXPECT_EQ(s.ligne(std::string("position fen ") + c.fen), "") << c.fen;
        EXPECT_EQ(mots_d_etat(s.partie.echiquier), std::vector<int32_t>(c.mots, c.mots + 15))
            << c.fen;
        EXPECT_EQ(s.partie.camp, c.mots[0]) << c.fen;
        EXPECT_EQ(s.partie.etat_partie, 1) << c.fen;
        EXPECT_TRUE(s.partie.historique.empty()) << c.fen;
        EXPECT_TRUE(s.partie.depuis_fen) << c.fen;
        EXPECT_EQ(s.partie.mot, "fen") << c.fen;
        EXPECT_TRUE(echiquier_coherent(&s.partie.echiquier)) << c.fen;
    }
    // The squares, and the blanks, letter case of the words and counters around them.
    Tsession s;
    EXPECT_EQ(s.ligne("position\tFEN  r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R \t "
                      "w KQkq - 0 123456789012345678901234567890 MoVeS"),
              "");
    const std::string grille = s.ligne("chess");
    EXPECT_NE(grille.find(" | -5 | 0 | 0 | 0 | -2 | 0 | 0 | -5 | 8\n"), std::string::npos);
    EXPECT_NE(grille.find(" | -4 | -3 | 0 | 0 | -1 | -3 | -1 | 0 | 6\n"), std::string::npos);
    EXPECT_NE(grille.find(" | 0 | 0 | 3 | 0 | 0 | 6 | 0 | -1 | 3\n"), std::string::npos);
    EXPECT_EQ(s.ligne("perft depth 1"), "1 > 48\n");
}

TEST(PositionFen, LigneRefuseeEntiereSansRienChanger) {
    const std::string bon = "4k3/8/8/8/8/8/8/4K2R w K - 0 1";
    const std::string refusees[] = {
        // Missing or extra fields, unknown words.
        "", "4k3/8/8/8/8/8/8/4K3", "4k3/8/8/8/8/8/8/4K3 w", "4k3/8/8/8/8/8/8/4K3 w -",
        "4k3/8/8/8/8/8/8/4K3 w - - 0 1 2", "moves e2e4", "4k3/8/8/8/8/8/8/4K3 w - - 0 1 e2e4",
        "4k3/8/8/8/8/8/8/4K3 w - - 0 1 move e2e4", "4k3/8/8/8/8/8/8/4K3 w - - moves 0 1",
        // Placement: ranks that do not add up to 8, too few or too many ranks, stray
        // characters.
        "4k3/8/8/8/8/8/8/4K2 w - -", "4k3/8/8/8/8/8/8/4K4 w - -", "4k3/8/8/8/8/8/4K3 w - -",
        "4k3/8/8/8/8/8/8/8/4K3 w - -", "4k3/8/8/8/8/8/8/4K3/ w - -", "4k3//8/8/8/8/8/8/4K3 w - -",
        "4k3/8/8/8/8/8/8/4K03 w - -", "4k3/8/8/8/8/8/8/4K13 w - -", "4k3/8/8/8/8/8/8/3XK3 w - -",
        "4k3/8/8/8/8/8/8/9K w - -", "4k3/8/8/8/8/8/8/4K3, w - -", "4k3/7/8/8/8/8/8/4K3 w - -",
        "4k3/44p/8/8/8/8/8/4K3 w - -",
        // Side, castling, en passant, counters.
        "4k3/8/8/8/8/8/8/4K3 W - -", "4k3/8/8/8/8/8/8/4K3 white - -", "4k3/8/8/8/8/8/8/4K3 - - -",
        "4k3/8/8/8/8/8/8/4K3 w KK -", "4k3/8/8/8/8/8/8/4K3 w KQkqK -", "4k3/8/8/8/8/8/8/4K3 w K- -",
        "4k3/8/8/8/8/8/8/4K3 w -- -", "4k3/8/8/8/8/8/8/4K3 w kx -", "4k3/8/8/8/8/8/8/4K3 w - e4",
        "4k3/8/8/8/8/8/8/4K3 w - e9", "4k3/8/8/8/8/8/8/4K3 w - i6", "4k3/8/8/8/8/8/8/4K3 w - E6",
        "4k3/8/8/8/8/8/8/4K3 w - e", "4k3/8/8/8/8/8/8/4K3 w - e66", "4k3/8/8/8/8/8/8/4K3 w - - -1",
        "4k3/8/8/8/8/8/8/4K3 w - - +1", "4k3/8/8/8/8/8/8/4K3 w - - 0 1.5",
        "4k3/8/8/8/8/8/8/4K3 w - - x 1",
        // Invalid positions: kings missing or doubled, pawns on a last row, seventeen
        // pieces, the side not to move in check.
        "8/8/8/8/8/8/8/8 w - -", "8/8/8/8/8/8/8/4K3 w - -", "4k3/8/8/8/8/8/8/8 b - -",
        "4k3/8/8/8/8/8/8/3KK3 w - -", "k3k3/8/8/8/8/8/8/4K3 w - -", "3Pk3/8/8/8/8/8/8/4K3 w - -",
        "4k3/8/8/8/8/8/8/4K2p b - -", "4k3/8/8/8/8/PPPPPPPP/NNNNNNNN/RRRQKBBB w - -",
        "4k3/4R3/8/8/8/8/8/4K3 w - -", "4k3/8/8/8/8/8/3q4/4K3 b - -",
        // A good position with a malformed move word anywhere in the list.
        bon + " moves e2e", bon + " moves h1h2 e8e9", bon + " moves h1h2 i8e7", bon + " moves H1H2",
        bon + " moves h1h2qq", bon + " moves h1h25", bon + " moves h1h2\\x80", bon + " moves moves",
        bon + " moves h1h2 moves e8d8", bon + " moves h1h2 e8d8 0"};
    Tsession s;
    s.ligne("position startpos moves e2e4 e7e5 g1f3");
    const std::string vu_avant = ce_que_voit_la_suite(&s);
    const Tpartie avant = s.partie;
    for (std::string champs : refusees) {
        const size_t octet = champs.find("\\x80");
        if (octet != std::string::npos) champs.replace(octet, 4, "\x80");
        EXPECT_EQ(s.ligne("position fen " + champs), ERREUR) << champs;
        attend_inchange(avant, s.partie);
        EXPECT_EQ(mots_echiquier(s.partie.echiquier), mots_echiquier(avant.echiquier));
    }
    for (const char* ligne : {"position fen", "position FEN  ", "position fen\t"}) {
        EXPECT_EQ(s.ligne(ligne), ERREUR) << ligne;
        attend_inchange(avant, s.partie);
    }
    // As for startpos lines, the line must begin with "position" in lower case.
    for (const std::string& ligne : {"POSITION fen " + bon, " position fen " + bon}) {
        EXPECT_EQ(s.ligne(ligne), ERREUR) << ligne;
        attend_inchange(avant, s.partie);
    }
    EXPECT_EQ(ce_que_voit_la_suite(&s), vu_avant);
    // The next line of the game still continues it.
    EXPECT_EQ(s.ligne("position startpos moves e2e4 e7e5 g1f3 b8c6"), "");
    EXPECT_PLATEAU(s.partie, "e2e4", "e7e5", "g1f3", "b8c6");
}

TEST(PositionFen, LesCoupsSontJouesCommeApresStartpos) {
    Tsession s;
    // Promotion letters as in startpos lines; a letter after another move is skipped.
    EXPECT_EQ(s.ligne("position fen 4k3/1P6/8/8/8/8/6p1/4K2R w K - 0 1 moves b7b8n g2h1R "
                      "e1e2 h1h2= b8c6"),
              "");
    EXPECT_EQ(sur(s.partie, "b8"), 0);
    EXPECT_EQ(sur(s.partie, "c6"), 3);
    EXPECT_EQ(sur(s.partie, "h1"), 0);
    EXPECT_EQ(sur(s.partie, "h2"), -5);
    EXPECT_EQ(sur(s.partie, "e2"), 2);
    EXPECT_EQ(s.partie.camp, -1);
    EXPECT_EQ(s.partie.historique.size(), 5u);
    EXPECT_EQ(s.partie.echiquier.petit_roque_blanc, 0);  // its rook was taken in its corner
    EXPECT_EQ(s.partie.coup.ligne_arrivee, 5);           // the last move read
    // An en passant square given by the FEN is taken by the first move.
    EXPECT_EQ(s.ligne("position fen 4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1 moves e5d6"), "");
    EXPECT_EQ(sur(s.partie, "d5"), 0);
    EXPECT_EQ(s.partie.echiquier.nb_pieces_noires, 1);
}

TEST(PositionFen, LaPartieDepuisUnFen) {
    const std::string fen = "position fen 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1";
    Tsession s;
    // No move played from the FEN yet: a startpos game is never its continuation.
    s.ligne(fen);
    EXPECT_EQ(s.ligne("position startpos moves e2e4"), "");
    EXPECT_PLATEAU(s.partie, "e2e4");
    EXPECT_FALSE(s.partie.depuis_fen);

    // The engine's move is played on the FEN game; the next FEN line replays it all.
    s.ligne(fen + " moves e2e4");
    const std::string reponse = s.ligne("go depth 1");
    const size_t debut = reponse.find("bestmove ");
    ASSERT_NE(debut, std::string::npos) << reponse;
    const std::string sien = reponse.substr(debut + 9, 4);
    EXPECT_EQ(s.partie.historique.size(), 2u);
    EXPECT_EQ(s.partie.camp, 1);
    const Techiquier apres_go = s.partie.echiquier;
    EXPECT_EQ(s.ligne(fen + " moves e2e4 " + sien), "");
    EXPECT_EQ(mots_echiquier(s.partie.echiquier), mots_echiquier(apres_go));
    EXPECT_EQ(s.ligne(fen + " moves e2e4 " + sien + " e1d2"), "");
    EXPECT_EQ(sur(s.partie, "d2"), 2);
    EXPECT_EQ(s.partie.camp, -1);
    EXPECT_EQ(s.partie.historique.size(), 3u);

    // A startpos line that seems to continue the same moves is another game, played from
    // the initial position.
    EXPECT_EQ(s.ligne("position startpos moves e2e4 " + sien + " e1d2 g8f6"), "");
    EXPECT_EQ(sur(s.partie, "a1"), 5);
    EXPECT_EQ(sur(s.partie, "f6"), -3);
    EXPECT_EQ(s.partie.historique.size(), 4u);

    s.ligne(fen);
    EXPECT_EQ(s.ligne("position startpos"), "");
    EXPECT_PLATEAU(s.partie);
    EXPECT_FALSE(s.partie.depuis_fen);
    s.ligne(fen);
    EXPECT_EQ(s.ligne("ucinewgame"), "");
    EXPECT_PLATEAU(s.partie);
    EXPECT_EQ(s.partie.etat_partie, 0);
    EXPECT_FALSE(s.partie.depuis_fen);
}

// A FEN of a position reached by moves and the moves themselves give the same record and
// the same answers to "chess", "perft" and "go". Without promotions, since the bishop
// count of a game follows captures, not the board.
TEST(PositionFen, MemesReponsesQueLesCoupsQuiYMenent) {
    std::vector<std::string> parties = {
        // Bishops taken, white castled; en passant on either side; rights lost to rook
        // moves, also one that left column a and came back.
        "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5c6 d7c6 e1g1",
        "d2d4 g8f6 c2c4 e7e6 b1c3 f8b4 d1c2 e8g8 a2a3 b4c3 c2c3",
        "e2e4 a7a6 e4e5 d7d5",
        "a2a3 e7e5 a3a4 e5e4 d2d4",
        "a2a4 h7h5 a1a3 h8h6 a3a1 h6h8",
    };
    // And seeded random games, cut before any promotion.
    std::mt19937 hasard(1010);
    for (int partie = 0; partie < 6; partie++) {
        Techiquier e;
        init_echiquier(&e);
        couleur camp = BLANC;
        std::string coups;
        for (int pli = 0; pli < 30 + 10 * partie; pli++) {
            Tliste liste;
            init_liste(&liste);
            generateur(&e, camp, &liste);
            enleve_pos_echec(&e, &liste);
            std::vector<Tcoup> legaux;
            for (Tcoup* n = liste; n != nullptr; n = n->suivant) legaux.push_back(*n);
            total_destroy_liste(&liste);
            if (legaux.empty()) break;
            const Tcoup coup = legaux[hasard() % legaux.size()];
            const int32_t m = e.cases[index_case(coup.ligne_depart, coup.colonne_depart)];
            if (valeur_absolue(m) == PION && (coup.ligne_arrivee == 0 || coup.ligne_arrivee == 7)) {
                break;
            }
            coups += (coups.empty() ? "" : " ") + texte_coup(&e, coup);
            execute_coup(&e, coup);
            inverser_couleur(&camp);
        }
        parties.push_back(coups);
    }
    const std::regex temps(" time [0-9]+ nps [0-9]+");
    for (const std::string& coups : parties) {
        // One session at a time: each installs the console.
        Techiquier attendu;
        couleur camp = BLANC;
        std::vector<std::string> reponses;
        const char* const commandes[] = {"chess", "perft depth 3", "go depth 3", "perft depth 2"};
        {
            Tsession par_coups;
            par_coups.ligne("position startpos moves " + coups);
            attendu = par_coups.partie.echiquier;
            camp = par_coups.partie.camp;
            for (const char* ligne : commandes) {
                reponses.push_back(std::regex_replace(par_coups.ligne(ligne), temps, ""));
            }
        }
        const std::string fen = fen_de(&attendu, camp);
        Tsession par_fen;
        EXPECT_EQ(par_fen.ligne("position fen " + fen), "") << fen;
        attendu.trait = camp;
        if (attendu.ep_ligne < 0) attendu.ep_colonne = -1;
        EXPECT_EQ(mots_echiquier(par_fen.partie.echiquier), mots_echiquier(attendu)) << coups;
        EXPECT_EQ(par_fen.partie.camp, camp) << coups;
        for (size_t k = 0; k < reponses.size(); k++) {
            EXPECT_EQ(std::regex_replace(par_fen.ligne(commandes[k]), temps, ""), reponses[k])
                << commandes[k] << " after " << coups << "\n"
                << fen;
        }
    }
}
