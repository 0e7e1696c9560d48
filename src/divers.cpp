// SPDX-License-Identifier: GPL-3.0-or-later
#include "divers.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <deque>
#include <iterator>

#include "primitives_listes.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#else
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

// ---------------------------------------------------------------------------------------
// Square, side and copy helpers
// ---------------------------------------------------------------------------------------

void copie_Techiquier(const Techiquier* source, Techiquier* destination) {
    // Everything but `trait`, which the destination keeps.
    std::memcpy(destination->cases, source->cases, sizeof source->cases);
    std::memcpy(&destination->nb_pieces_blanches, &source->nb_pieces_blanches,
                sizeof(Techiquier) - offsetof(Techiquier, nb_pieces_blanches));
}

int comp_Tcoord(Tcoord a, Tcoord b) { return a.ligne == b.ligne && a.colonne == b.colonne; }

int comp_Tcoup(Tcoup a, Tcoup b) {
    return a.ligne_depart == b.ligne_depart && a.colonne_depart == b.colonne_depart &&
           a.ligne_arrivee == b.ligne_arrivee && a.colonne_arrivee == b.colonne_arrivee;
}

int piece(const Techiquier* e, int ligne, int colonne) {
    return e->cases[index_case(ligne, colonne)] != VIDE;
}

int coul_oppos(const Techiquier* e, Tcoup coup) {
    const int32_t depart = e->cases[index_case(coup.ligne_depart, coup.colonne_depart)];
    const int32_t arrivee = e->cases[index_case(coup.ligne_arrivee, coup.colonne_arrivee)];
    return depart * arrivee < 0;
}

int couleur_identique(const Techiquier* e, Tcoup coup) {
    if (!piece(e, coup.ligne_arrivee, coup.colonne_arrivee)) return 0;
    return !coul_oppos(e, coup);
}

void inverser_couleur(couleur* c) { *c = *c == BLANC ? NOIR : BLANC; }

couleur piece_couleur(int32_t code) { return signe(code); }

couleur adversaire(couleur c) { return c == BLANC ? NOIR : BLANC; }

void supprime_piece(Techiquier* e, int ligne, int colonne) {
    e->cases[index_case(ligne, colonne)] = VIDE;
}

std::string texte_coup(const Techiquier* e, Tcoup coup) {
    std::string texte = {static_cast<char>('a' + coup.colonne_depart),
                         static_cast<char>('1' + coup.ligne_depart),
                         static_cast<char>('a' + coup.colonne_arrivee),
                         static_cast<char>('1' + coup.ligne_arrivee)};
    const int32_t m = e->cases[index_case(coup.ligne_depart, coup.colonne_depart)];
    if ((m == PION && coup.ligne_arrivee == 7) || (m == -PION && coup.ligne_arrivee == 0)) {
        texte += 'q';
    }
    return texte;
}

// ---------------------------------------------------------------------------------------
// The console
// ---------------------------------------------------------------------------------------

namespace {

// The engine's one input channel and one output channel. All input is read from the
// descriptor with read(2) into `tampon`, so nothing waits unseen in a library buffer.
struct Tconsole {
    int fd = -1;                          // -1: no descriptor, only the text in `tampon`
    std::string tampon;                   // bytes read, not yet cut into lines
    bool fin = true;                      // no more bytes will come
    bool rejet = false;                   // discarding the rest of an over-long line
    std::deque<std::string> a_classer;    // lines read inside a root move, for the poll
    std::deque<std::string> gardees;      // lines read during a search, for the loop
    bool fin_vue = false;                 // a poll met the end of input
    bool fin_arrete = false;              // "quit" or the end of input also stops a search
    bool ponderhit_arrete = false;        // "ponderhit" also stops a search
    bool ponderhit_vu = false;            // ... and has come
    std::string mots;                     // the line `lit_mot_console` takes words from
    size_t position_mot = 0;              // where its next word starts
    FILE* sortie = stdout;
    std::chrono::steady_clock::time_point derniere_ecoute{};
    int64_t echeance = INT64_MAX;         // monotonic ms past which a search ends
};

Tconsole console;

// The only code that differs between systems: whether input waits, and reading it.
// `entree_en_attente` answers without blocking: 0 when nothing waits, else a positive
// count, 1 when the system cannot tell (the read that follows then finds out). It lowers
// `*a_lire` to what a read may ask for without blocking.
#ifdef _WIN32

// Standard input of the process, a console or a pipe, learned at the first call.
int entree_en_attente(int /*fd*/, size_t* a_lire) {
    static int init = 0;
    static int pipe = 0;
    static HANDLE inh = nullptr;
    if (!init) {
        init = 1;
        inh = GetStdHandle(STD_INPUT_HANDLE);
        DWORD mode = 0;
        if (!GetConsoleMode(inh, &mode)) {
            pipe = 1;
        } else {
            pipe = 0;
            // No window-size or mouse events from now on; what was typed before is dropped.
            const DWORD sans = ENABLE_WINDOW_INPUT | ENABLE_MOUSE_INPUT;
            SetConsoleMode(inh, mode & ~sans);
            FlushConsoleInputBuffer(inh);
        }
    }
    if (pipe) {
        DWORD octets = 0;
        if (!PeekNamedPipe(inh, nullptr, 0, nullptr, &octets, nullptr)) return 1;
        // More than is waiting would block.
        *a_lire = std::min<size_t>(*a_lire, octets);
        return static_cast<int>(std::min<DWORD>(octets, INT_MAX));
    }
    // Events, not characters: a lone one (such as the release of Enter) is no input.
    DWORD evenements = 0;
    if (!GetNumberOfConsoleInputEvents(inh, &evenements)) return 1;
    return evenements < 2 ? 0 : static_cast<int>(std::min<DWORD>(evenements, INT_MAX));
}

// Standard input is in binary mode: the bytes as they came, CR LF handled by the reader.
long long lit_entree(int fd, char* bloc, size_t taille) {
    return _read(fd, bloc, static_cast<unsigned>(taille));
}

bool lecteur_parti(FILE* sortie) { return std::ferror(sortie) != 0; }

#else

int entree_en_attente(int fd, size_t* /*a_lire*/) {
    pollfd attente{fd, POLLIN, 0};
    const int pret = poll(&attente, 1, 0);
    if (pret < 0) return errno == EINTR ? 0 : 1;
    if (pret == 0) return 0;
    int octets = 0;
    if (ioctl(fd, FIONREAD, &octets) < 0 || octets <= 0) return 1;
    return octets;
}

long long lit_entree(int fd, char* bloc, size_t taille) { return read(fd, bloc, taille); }

// Whether nobody reads the answers any more (the reading end of the output is closed).
bool lecteur_parti(FILE* sortie) {
    if (std::ferror(sortie) != 0) return true;
    const int fd = fileno(sortie);
    if (fd < 0) return false;
    pollfd attente{fd, POLLOUT, 0};
    return poll(&attente, 1, 0) > 0 && (attente.revents & POLLERR) != 0;
}

#endif

// Reads what the descriptor holds into `tampon`. Without `bloquant`, only when input is
// already waiting. Returns whether anything changed (bytes or the end of input).
bool remplit(bool bloquant) {
    if (console.fin || console.fd < 0) {
        console.fin = true;
        return false;
    }
    char bloc[65536];
    size_t a_lire = sizeof bloc;
    if (!bloquant && entree_en_attente(console.fd, &a_lire) == 0) return false;
    long long lus;
    do {
        lus = lit_entree(console.fd, bloc, a_lire);
    } while (lus < 0 && errno == EINTR);
    if (lus <= 0) {
        console.fin = true;
        return true;
    }
    console.tampon.append(bloc, static_cast<size_t>(lus));
    return true;
}

// Drops the rest of an over-long line as bytes arrive.
void rejette_suite() {
    if (!console.rejet) return;
    const size_t fin_ligne = console.tampon.find('\n');
    if (fin_ligne == std::string::npos) {
        console.tampon.clear();
    } else {
        console.tampon.erase(0, fin_ligne + 1);
        console.rejet = false;
    }
}

// Cuts one whole line out of `tampon`, without its LF or CR LF.
bool extrait_ligne(std::string* ligne) {
    rejette_suite();
    if (console.rejet) return false;
    const size_t fin_ligne = console.tampon.find('\n');
    if (fin_ligne == std::string::npos) {
        if (console.tampon.size() < LONGUEUR_MAX_LIGNE) return false;
        // Too long: handle the line up to the cap and drop the rest when it comes.
        ligne->assign(console.tampon, 0, LONGUEUR_MAX_LIGNE);
        console.tampon.clear();
        console.rejet = true;
        return true;
    }
    size_t longueur = fin_ligne;
    if (longueur > 0 && console.tampon[longueur - 1] == '\r') longueur--;
    ligne->assign(console.tampon, 0, std::min(longueur, LONGUEUR_MAX_LIGNE));
    console.tampon.erase(0, fin_ligne + 1);
    return true;
}

// Reads one fresh line, waiting for it; a last line without LF counts as a line.
bool lit_ligne_brute(std::string* ligne) {
    for (;;) {
        if (extrait_ligne(ligne)) return true;
        if (console.fin) {
            if (console.tampon.empty()) return false;
            ligne->swap(console.tampon);
            console.tampon.clear();
            if (ligne->size() > LONGUEUR_MAX_LIGNE) ligne->resize(LONGUEUR_MAX_LIGNE);
            return true;
        }
        remplit(true);
    }
}

// Text lines behave as C strings: a NUL byte ends the line.
void coupe_au_nul(std::string* ligne) {
    const size_t nul = ligne->find('\0');
    if (nul != std::string::npos) ligne->resize(nul);
}

bool commence_par(const std::string& ligne, const char* prefixe) {
    const size_t n = std::strlen(prefixe);
    if (ligne.size() < n) return false;
    for (size_t i = 0; i < n; i++) {
        if (std::tolower(static_cast<unsigned char>(ligne[i])) != prefixe[i]) return false;
    }
    return true;
}

// The first word of a line is "isready", in any case.
bool est_isready(const std::string& ligne) {
    size_t debut = 0;
    while (debut < ligne.size() && std::isspace(static_cast<unsigned char>(ligne[debut]))) {
        debut++;
    }
    size_t fin_mot = debut;
    while (fin_mot < ligne.size() && !std::isspace(static_cast<unsigned char>(ligne[fin_mot]))) {
        fin_mot++;
    }
    return fin_mot - debut == 7 && commence_par(ligne.substr(debut), "isready");
}

// The next line of input, pending lines first, without its part from a null character on;
// false at the end of input.
bool ligne_suivante(std::string* ligne) {
    if (!console.a_classer.empty()) {
        *ligne = std::move(console.a_classer.front());
        console.a_classer.pop_front();
    } else if (!lit_ligne_brute(ligne)) {
        console.fin_vue = true;
        return false;
    }
    coupe_au_nul(ligne);
    return true;
}

// A line read while a search runs: "isready" is answered at once, a line for the command
// loop is kept. True when the line ends the search: "stop", "ponderhit" during a ponder,
// "quit" when it stops the search too.
bool ligne_arrete_la_recherche(std::string ligne) {
    if (commence_par(ligne, "stop")) return true;
    if (est_isready(ligne)) {
        ecrit("readyok\n");
        return false;
    }
    if (console.ponderhit_arrete && commence_par(ligne, "ponderhit")) {
        console.ponderhit_vu = true;
        return true;
    }
    const bool quitte = commence_par(ligne, "quit");
    console.gardees.push_back(std::move(ligne));
    return quitte && console.fin_arrete;
}

}  // namespace

void installe_console(int fd_entree, FILE* sortie) {
    console = Tconsole{};
    console.fd = fd_entree;
    console.fin = fd_entree < 0;
    console.sortie = sortie;
}

void installe_console_texte(const std::string& texte, FILE* sortie) {
    console = Tconsole{};
    console.tampon = texte;
    console.sortie = sortie;
}

FILE* sortie_console() { return console.sortie; }

void ecrit(const char* format, ...) {
    char court[512];
    va_list arguments;
    va_start(arguments, format);
    va_list copie;
    va_copy(copie, arguments);
    const int n = std::vsnprintf(court, sizeof court, format, arguments);
    va_end(arguments);
    if (n < 0) {
        va_end(copie);
        return;
    }
    // One write per answer, so that a line reaches the interface whole.
    if (static_cast<size_t>(n) < sizeof court) {
        std::fwrite(court, 1, static_cast<size_t>(n), console.sortie);
    } else {
        std::string long_texte(static_cast<size_t>(n) + 1, '\0');
        std::vsnprintf(long_texte.data(), long_texte.size(), format, copie);
        std::fwrite(long_texte.data(), 1, static_cast<size_t>(n), console.sortie);
    }
    va_end(copie);
    std::fflush(console.sortie);
}

bool lit_commande(std::string* ligne) {
    if (!console.gardees.empty()) {
        *ligne = std::move(console.gardees.front());
        console.gardees.pop_front();
        // The lines kept after this one came after it: to the command it starts they are
        // input still to come, which its search polls ("stop", "ponderhit").
        console.a_classer.insert(console.a_classer.begin(),
                                 std::make_move_iterator(console.gardees.begin()),
                                 std::make_move_iterator(console.gardees.end()));
        console.gardees.clear();
    } else if (!console.a_classer.empty()) {
        *ligne = std::move(console.a_classer.front());
        console.a_classer.pop_front();
    } else if (!lit_ligne_brute(ligne)) {
        return false;
    }
    coupe_au_nul(ligne);
    return true;
}

bool lit_mot_console(std::string* mot) {
    // Words are taken from the front of the pending lines; a line is consumed as its
    // words are. The line in hand belongs to the console, so a new console starts afresh.
    std::string& reste = console.mots;
    size_t& position = console.position_mot;
    for (;;) {
        while (position < reste.size() &&
               std::isspace(static_cast<unsigned char>(reste[position]))) {
            position++;
        }
        if (position < reste.size()) {
            size_t fin_mot = position;
            while (fin_mot < reste.size() &&
                   !std::isspace(static_cast<unsigned char>(reste[fin_mot]))) {
                fin_mot++;
            }
            mot->assign(reste, position, fin_mot - position);
            position = fin_mot;
            return true;
        }
        if (!lit_commande(&reste)) {
            reste.clear();
            position = 0;
            return false;
        }
        position = 0;
    }
}

// ---------------------------------------------------------------------------------------
// Input polling during a search
// ---------------------------------------------------------------------------------------

int bioskey() {
    if (!console.a_classer.empty()) return static_cast<int>(console.a_classer.size());
    if (!console.tampon.empty()) return static_cast<int>(console.tampon.size());
    if (console.fin || console.fd < 0) return 1;  // a read would meet the end of input
    size_t a_lire = 0;
    return entree_en_attente(console.fd, &a_lire);
}

int verification_saisie() {
    if (bioskey() == 0) return 0;
    std::string ligne;
    if (!ligne_suivante(&ligne)) return 3;
    if (commence_par(ligne, "stop")) return 1;
    if (est_isready(ligne)) {
        ecrit("readyok\n");
        return 0;
    }
    if (console.ponderhit_arrete && commence_par(ligne, "ponderhit")) {
        console.ponderhit_vu = true;
        return 2;
    }
    int classe = 0;
    if (commence_par(ligne, "ponderhit")) {
        classe = 2;
    } else if (commence_par(ligne, "quit")) {
        classe = 3;
    }
    console.gardees.push_back(std::move(ligne));
    return classe;
}

int stop() {
    const int classe = verification_saisie();
    // Input ended and no one reads the answers: the interface is gone, the search with it.
    const bool abandon = console.fin_vue && lecteur_parti(console.sortie);
    return classe == 1 || (classe == 2 && console.ponderhit_vu) ||
           (classe == 3 && (console.fin_arrete || abandon)) || echeance_passee();
}

void arret_sur_fin(bool actif) { console.fin_arrete = actif; }

void arret_sur_ponderhit(bool actif) {
    console.ponderhit_arrete = actif;
    if (actif) console.ponderhit_vu = false;
}

int ponderhit_recu() { return console.ponderhit_vu; }

void attend_fin_de_reflexion() {
    std::string ligne;
    while (ligne_suivante(&ligne)) {
        if (ligne_arrete_la_recherche(std::move(ligne))) return;
    }
}

int64_t maintenant_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void fixe_echeance(int64_t limite_ms) { console.echeance = limite_ms; }

void leve_echeance() { console.echeance = INT64_MAX; }

int echeance_passee() { return console.echeance != INT64_MAX && maintenant_ms() >= console.echeance; }

int ecoute_pendant_recherche() {
    if (echeance_passee()) return 1;
    const auto maintenant = std::chrono::steady_clock::now();
    if (maintenant - console.derniere_ecoute < std::chrono::milliseconds(5)) return 0;
    console.derniere_ecoute = maintenant;
    remplit(false);
    std::string ligne;
    while (extrait_ligne(&ligne) || (console.fin && lit_ligne_brute(&ligne))) {
        coupe_au_nul(&ligne);
        console.a_classer.push_back(std::move(ligne));
    }
    // The lines in arrival order, up to the first that ends the search: what follows it
    // belongs to the next search or to the command loop.
    while (!console.a_classer.empty()) {
        ligne = std::move(console.a_classer.front());
        console.a_classer.pop_front();
        if (ligne_arrete_la_recherche(std::move(ligne))) return 1;
    }
    if (console.fin) {
        console.fin_vue = true;
        if (console.fin_arrete || lecteur_parti(console.sortie)) return 1;
    }
    return 0;
}

int sortie_abandonnee() { return lecteur_parti(console.sortie); }

int fin_demandee() {
    if (console.fin_vue) return 1;
    // A kept "quit" counts until the loop has taken it: a line such as "quitter", which
    // the loop rejects, must not end the searches that come after it.
    for (const std::string& ligne : console.gardees) {
        if (commence_par(ligne, "quit")) return 1;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------
// Console print-outs
// ---------------------------------------------------------------------------------------

void affichage_echiquier(const Techiquier* e) {
    std::string grille = "\n\n\tAffichage de l'echiquier\n";
    grille += "\n ---------------------------------\n";
    char morceau[64];
    for (int ligne = 7; ligne >= 0; ligne--) {
        grille += " |";
        for (int colonne = 0; colonne < 8; colonne++) {
            std::snprintf(morceau, sizeof morceau, " %d |", e->cases[index_case(ligne, colonne)]);
            grille += morceau;
        }
        std::snprintf(morceau, sizeof morceau, " %d\n ---------------------------------\n",
                      ligne + 1);
        grille += morceau;
    }
    grille += " ";
    for (char lettre = 'A'; lettre <= 'H'; lettre++) {
        std::snprintf(morceau, sizeof morceau, "  %c ", lettre);
        grille += morceau;
    }
    grille += "\n\n";
    ecrit("%s", grille.c_str());
}

void affiche_Tcoup(Tcoup coup) {
    ecrit("Deplacement de %c%d vers %c%d\n", 'a' + coup.colonne_depart, coup.ligne_depart + 1,
          'a' + coup.colonne_arrivee, coup.ligne_arrivee + 1);
}

void affiche_Tcoord(Tcoord coord) {
    ecrit("Coordonnees : %c%d\n", 'a' + coord.colonne, coord.ligne + 1);
}

void affiche_coups_possibles(Tliste liste) {
    ecrit("LISTE DE COUPS POSSIBLES :\n\n");
    affiche_liste(liste);
}

void affiche_coups_case(const Techiquier* e, Tliste liste) {
    affichage_echiquier(e);
    affiche_coups_possibles(liste);
}

namespace {

// A whole word that is an optionally signed decimal number within the piece codes' reach.
bool lit_code_piece(const std::string& mot, int32_t* code) {
    size_t i = 0;
    if (i < mot.size() && (mot[i] == '-' || mot[i] == '+')) i++;
    if (i == mot.size()) return false;
    for (size_t j = i; j < mot.size(); j++) {
        if (!std::isdigit(static_cast<unsigned char>(mot[j]))) return false;
    }
    // Leading zeros do not make a number longer ("006" is 6); more than three digits
    // after them is out of reach anyway.
    while (i + 1 < mot.size() && mot[i] == '0') i++;
    if (mot.size() - i > 3) return false;
    *code = static_cast<int32_t>(std::strtol(mot.c_str(), nullptr, 10));
    return true;
}

}  // namespace

void affectation_echiquier(Techiquier* e) {
    for (int ligne = 0; ligne < 8; ligne++) {
        for (int colonne = 0; colonne < 8; colonne++) {
            for (;;) {
                ecrit("\tChoississez la piece en %c%d (%c, %c, %c, %c, %c, ou %c) :\n",
                      'a' + colonne, ligne + 1, 'P', 'C', 'F', 'T', 'D', 'R');
                std::string mot;
                if (!lit_mot_console(&mot)) return;  // input ended: the rest stays as it was
                int32_t code = 0;
                if (lit_code_piece(mot, &code) && code >= -DAME && code <= DAME) {
                    e->cases[index_case(ligne, colonne)] = code;
                    break;
                }
            }
        }
    }
}
