// SPDX-License-Identifier: GPL-3.0-or-later
#include "aide_tests.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "divers.h"
#include "gui_xboard.h"

std::string execute_en_memoire(const std::string& script) {
    char* tampon = nullptr;
    size_t taille = 0;
    FILE* sortie = open_memstream(&tampon, &taille);
    installe_console_texte(script, sortie);
    Tpartie partie;
    init_partie(&partie);
    boucle_commandes(&partie);
    std::fclose(sortie);
    std::string texte(tampon, taille);
    std::free(tampon);
    installe_console_texte("", stdout);
    return texte;
}

Techiquier position_apres(const std::string& coups, couleur* camp) {
    return position_de_ligne("position startpos moves " + coups, camp);
}

Techiquier position_de_ligne(const std::string& ligne, couleur* camp) {
    FILE* poubelle = std::fopen("/dev/null", "w");
    installe_console_texte("", poubelle);
    Tpartie partie;
    init_partie(&partie);
    traite_ligne(&partie, ligne);
    std::fclose(poubelle);
    installe_console_texte("", stdout);
    if (camp != nullptr) *camp = partie.camp;
    return partie.echiquier;
}

std::string fen_de(const Techiquier* e, couleur camp) {
    std::string fen;
    for (int ligne = 7; ligne >= 0; ligne--) {
        int vides = 0;
        for (int colonne = 0; colonne < 8; colonne++) {
            const int32_t code = e->cases[index_case(ligne, colonne)];
            if (code == VIDE) {
                vides++;
                continue;
            }
            if (vides > 0) fen += static_cast<char>('0' + vides);
            vides = 0;
            const char lettre = "?pknbrq"[valeur_absolue(code)];
            fen += code > 0 ? static_cast<char>(lettre - 'a' + 'A') : lettre;
        }
        if (vides > 0) fen += static_cast<char>('0' + vides);
        if (ligne > 0) fen += '/';
    }
    fen += camp == BLANC ? " w " : " b ";
    std::string roques;
    if (e->petit_roque_blanc != 0) roques += 'K';
    if (e->grand_roque_blanc != 0) roques += 'Q';
    if (e->petit_roque_noir != 0) roques += 'k';
    if (e->grand_roque_noir != 0) roques += 'q';
    fen += roques.empty() ? "-" : roques;
    if (e->ep_ligne < 0) {
        fen += " -";
    } else {
        // The en passant square is the one the pawn crossed.
        fen += ' ';
        fen += static_cast<char>('a' + e->ep_colonne);
        fen += static_cast<char>('1' + (e->ep_ligne == 3 ? 2 : 5));
    }
    return fen + " 0 1";
}

std::vector<std::string> lignes(const std::string& texte) {
    std::vector<std::string> resultat;
    std::istringstream flux(texte);
    std::string ligne;
    while (std::getline(flux, ligne)) resultat.push_back(ligne);
    return resultat;
}

const char* chemin_moteur() {
    const char* autre = std::getenv("QUORVIK_MOTEUR");
    return autre != nullptr && *autre != '\0' ? autre : QUORVIK_BINAIRE;
}

Tmoteur lance_moteur() {
    const char* const moteur = chemin_moteur();
    int entree[2], sortie[2];
    if (pipe(entree) != 0 || pipe(sortie) != 0) std::abort();
    Tmoteur m;
    m.pid = fork();
    if (m.pid == 0) {
        dup2(entree[0], 0);
        dup2(sortie[1], 1);
        close(entree[0]);
        close(entree[1]);
        close(sortie[0]);
        close(sortie[1]);
        execl(moteur, moteur, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(entree[0]);
    close(sortie[1]);
    m.vers_moteur = entree[1];
    m.depuis_moteur = sortie[0];
    signal(SIGPIPE, SIG_IGN);
    return m;
}

void envoie(Tmoteur* m, const std::string& texte) {
    size_t ecrits = 0;
    while (ecrits < texte.size()) {
        const ssize_t n = write(m->vers_moteur, texte.data() + ecrits, texte.size() - ecrits);
        if (n <= 0) return;
        ecrits += static_cast<size_t>(n);
    }
}

namespace {

using horloge = std::chrono::steady_clock;

// Reads what the engine has printed, waiting at most until the deadline; false at the end
// of its output or when the deadline passes with nothing read.
bool lit_plus(Tmoteur* m, horloge::time_point limite) {
    const auto reste =
        std::chrono::duration_cast<std::chrono::milliseconds>(limite - horloge::now()).count();
    if (reste <= 0 || m->depuis_moteur < 0) return false;
    pollfd attente{m->depuis_moteur, POLLIN, 0};
    if (poll(&attente, 1, static_cast<int>(reste)) <= 0) return false;
    char bloc[65536];
    const ssize_t n = read(m->depuis_moteur, bloc, sizeof bloc);
    if (n <= 0) {
        close(m->depuis_moteur);
        m->depuis_moteur = -1;
        return false;
    }
    m->recu.append(bloc, static_cast<size_t>(n));
    return true;
}

}  // namespace

bool lit_ligne_moteur(Tmoteur* m, std::string* ligne, int delai_ms) {
    const auto limite = horloge::now() + std::chrono::milliseconds(delai_ms);
    for (;;) {
        const size_t fin = m->recu.find('\n');
        if (fin != std::string::npos) {
            ligne->assign(m->recu, 0, fin);
            m->recu.erase(0, fin + 1);
            return true;
        }
        if (!lit_plus(m, limite)) return false;
    }
}

bool attend_ligne(Tmoteur* m, const std::string& debut, std::vector<std::string>* lues,
                  int delai_ms) {
    const auto limite = horloge::now() + std::chrono::milliseconds(delai_ms);
    std::string ligne;
    for (;;) {
        const auto reste =
            std::chrono::duration_cast<std::chrono::milliseconds>(limite - horloge::now());
        if (reste.count() <= 0) return false;
        if (!lit_ligne_moteur(m, &ligne, static_cast<int>(reste.count()))) return false;
        if (lues != nullptr) lues->push_back(ligne);
        if (ligne.rfind(debut, 0) == 0) return true;
    }
}

bool attend_fin(Tmoteur* m, int delai_ms, int* statut) {
    const auto limite = horloge::now() + std::chrono::milliseconds(delai_ms);
    for (;;) {
        int etat = 0;
        const pid_t fini = waitpid(m->pid, &etat, WNOHANG);
        if (fini == m->pid) {
            *statut = WIFEXITED(etat) ? WEXITSTATUS(etat) : 128 + WTERMSIG(etat);
            m->pid = -1;
            return true;
        }
        if (horloge::now() >= limite) return false;
        // Keep the engine's output flowing so that it never blocks on a full pipe.
        if (!lit_plus(m, horloge::now() + std::chrono::milliseconds(10))) usleep(2000);
    }
}

int ferme_moteur(Tmoteur* m, int delai_ms, std::string* reste) {
    if (m->vers_moteur >= 0) {
        close(m->vers_moteur);
        m->vers_moteur = -1;
    }
    int statut = -1;
    if (m->pid > 0 && !attend_fin(m, delai_ms, &statut)) {
        kill(m->pid, SIGKILL);
        int etat = 0;
        waitpid(m->pid, &etat, 0);
        m->pid = -1;
        statut = -1;
    }
    while (lit_plus(m, horloge::now() + std::chrono::milliseconds(100))) {
    }
    if (reste != nullptr) reste->append(m->recu);
    m->recu.clear();
    if (m->depuis_moteur >= 0) {
        close(m->depuis_moteur);
        m->depuis_moteur = -1;
    }
    return statut;
}

std::string execute_en_processus(const std::string& script, int* statut, int delai_ms) {
    Tmoteur m = lance_moteur();
    envoie(&m, script);
    std::string sortie;
    const int etat = ferme_moteur(&m, delai_ms, &sortie);
    if (statut != nullptr) *statut = etat;
    return sortie;
}

const std::vector<std::string> BLOC_UCI = {
    "id name Quorvik 0.14",
    "id author Dremmond",
    "option name OwnBook type check default false",
    "option name Ponder type check default false",
    "option name MultiPV type spin default 1 min 1 max 256",
    "option name UCI_AnalyseMode type check default false",
    "option name Hash type spin default 24 min 1 max 65536",
    "option name Clear Hash type button",
    "option name UCI_LimitStrength type check default false",
    "option name UCI_Elo type spin default 80 min 80 max 990",
    "option name Graine type spin default 0 min 0 max 2147483647",
    "uciok",
};
