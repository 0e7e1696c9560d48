// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui_options.h"

#include <algorithm>
#include <vector>

#include "ai.h"
#include "ai_memoire.h"
#include "divers.h"
#include "gui_xboard.h"

namespace {

const Toption* option_nommee(const std::string& nom) {
    for (const Toption& option : OPTIONS) {
        if (egal_sans_casse(nom, option.nom)) return &option;
    }
    return nullptr;
}

// The analysis lines follow from two options: MultiPV above 1, or the analysis mode.
void applique_lignes(const Treglages* r) {
    fixe_lignes_d_analyse(r->analyse || r->multipv > 1 ? r->multipv : 0);
}

void applique(Treglages* r, Tid_option id, int64_t valeur) {
    switch (id) {
        case Tid_option::own_book:
            break;
        case Tid_option::ponder:
            r->ponder = valeur != 0;
            break;
        case Tid_option::multipv:
            r->multipv = static_cast<int>(valeur);
            applique_lignes(r);
            break;
        case Tid_option::analyse:
            r->analyse = valeur != 0;
            applique_lignes(r);
            break;
        case Tid_option::hash:
            r->hash_mo = static_cast<int>(valeur);
            demande_taille_memoire(static_cast<size_t>(valeur));
            break;
        case Tid_option::vide_hash:
            vide_memoire();
            break;
        case Tid_option::limite_force:
            r->limite_force = valeur != 0;
            break;
        case Tid_option::elo:
            r->elo = static_cast<int>(valeur);
            break;
        case Tid_option::graine:
            seme_hasard(static_cast<uint64_t>(valeur));
            break;
    }
}

// The value of a check or spin option, read from its text; false (with a line that says
// why) when it is no value of that type. A spin value out of range is brought into it.
bool lit_valeur(const Toption& option, const std::string& texte, int64_t* valeur) {
    if (option.type == Ttype_option::check) {
        if (egal_sans_casse(texte, "true") || egal_sans_casse(texte, "false")) {
            *valeur = egal_sans_casse(texte, "true") ? 1 : 0;
            return true;
        }
        ecrit("info string option %s : valeur \"%s\" ignoree, ni true ni false\n", option.nom,
              texte.c_str());
        return false;
    }
    if (!nombre_entier(texte, valeur)) {
        ecrit("info string option %s : valeur \"%s\" ignoree, ce n'est pas un nombre entier\n",
              option.nom, texte.c_str());
        return false;
    }
    const int64_t borne = std::clamp(*valeur, option.minimum, option.maximum);
    if (borne != *valeur) {
        ecrit("info string option %s : valeur %s hors de %lld..%lld, ramenee a %lld\n",
              option.nom, texte.c_str(), static_cast<long long>(option.minimum),
              static_cast<long long>(option.maximum), static_cast<long long>(borne));
        *valeur = borne;
    }
    return true;
}

}  // namespace

void reglages_par_defaut(Treglages* r) {
    *r = Treglages{};
    for (const Toption& option : OPTIONS) {
        if (option.type != Ttype_option::button) applique(r, option.id, option.defaut);
    }
}

void annonce_options() {
    for (const Toption& option : OPTIONS) {
        switch (option.type) {
            case Ttype_option::check:
                ecrit("option name %s type check default %s\n", option.nom,
                      option.defaut != 0 ? "true" : "false");
                break;
            case Ttype_option::spin:
                ecrit("option name %s type spin default %lld min %lld max %lld\n", option.nom,
                      static_cast<long long>(option.defaut),
                      static_cast<long long>(option.minimum),
                      static_cast<long long>(option.maximum));
                break;
            case Ttype_option::button:
                ecrit("option name %s type button\n", option.nom);
                break;
        }
    }
}

void commande_setoption(Treglages* r, const std::string& entree) {
    const std::vector<std::string> liste = mots_de(entree);
    if (liste.size() < 2 || !egal_sans_casse(liste[1], "name")) return;
    // The name runs to the word "value", the value to the end of the line; several blanks
    // in either read as one.
    std::string nom, valeur;
    bool dans_la_valeur = false;
    for (size_t k = 2; k < liste.size(); k++) {
        if (!dans_la_valeur && egal_sans_casse(liste[k], "value")) {
            dans_la_valeur = true;
            continue;
        }
        std::string& cible = dans_la_valeur ? valeur : nom;
        cible += (cible.empty() ? "" : " ") + liste[k];
    }
    const Toption* option = option_nommee(nom);
    if (option == nullptr) return;
    int64_t lue = 0;
    if (option->type == Ttype_option::button || lit_valeur(*option, valeur, &lue)) {
        applique(r, option->id, lue);
    }
}

void prepare_memoire_de_recherche() {
    if (alloue_memoire() != Tallocation_memoire::refusee) return;
    const size_t mo = (taille_memoire() + (size_t{1} << 20) - 1) >> 20;
    if (mo > 0) {
        ecrit("info string memoire de %zu Mo impossible a obtenir : la table de %zu Mo reste "
              "en service\n", taille_memoire_demandee(), mo);
    } else {
        ecrit("info string memoire de %zu Mo impossible a obtenir : recherche sans table\n",
              taille_memoire_demandee());
    }
}
