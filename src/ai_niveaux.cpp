// SPDX-License-Identifier: GPL-3.0-or-later
#include "ai_niveaux.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace {

uint64_t etat_du_hasard = 0x853C49E6748FEA9Bull;
// A seed from the clock and the system is drawn only when a level first needs one: every
// new command loop asks for it, few of them play a level.
bool graine_a_tirer = false;

uint64_t graine_du_moment();

uint64_t suivant_du_hasard() {
    if (graine_a_tirer) {
        graine_a_tirer = false;
        etat_du_hasard = graine_du_moment();
    }
    uint64_t z = (etat_du_hasard += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t graine_du_moment() {
    uint64_t graine = static_cast<uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    try {
        std::random_device appareil;
        graine ^= static_cast<uint64_t>(appareil()) << 32 | appareil();
    } catch (...) {
        // No source of entropy: the clock alone.
    }
    return graine;
}

// A search deep enough for every level in a few milliseconds, cut long before a position
// with many moves could make it slow.
constexpr int64_t NOEUDS_PAR_COUP = 1000000;

}  // namespace

Tniveau niveau_pour_elo(int elo) {
    const auto& points = POINTS_DE_NIVEAU;
    constexpr size_t n = std::size(points);
    const auto reglages = [](int millieme, int marge) {
        return Tniveau{millieme / 1000, millieme % 1000, NOEUDS_PAR_COUP, marge};
    };
    if (elo <= points[0].elo) return reglages(points[0].profondeur_millieme, points[0].marge);
    for (size_t k = 1; k < n; k++) {
        if (elo > points[k].elo) continue;
        const Tpoint_de_niveau& a = points[k - 1];
        const Tpoint_de_niveau& b = points[k];
        const auto entre = [&](int x, int y) {
            return x + static_cast<int>(static_cast<int64_t>(y - x) * (elo - a.elo) / (b.elo - a.elo));
        };
        return reglages(entre(a.profondeur_millieme, b.profondeur_millieme), entre(a.marge, b.marge));
    }
    return reglages(points[n - 1].profondeur_millieme, points[n - 1].marge);
}

void seme_hasard(uint64_t graine) {
    etat_du_hasard = graine;
    graine_a_tirer = graine == 0;
}

void nouvelle_graine() { etat_du_hasard = suivant_du_hasard(); }

int tire_entre(int n) { return static_cast<int>(suivant_du_hasard() % static_cast<uint64_t>(n)); }

Tcoup choix_du_niveau(const std::vector<Tcoup_note>& racines, couleur c, int marge) {
    int meilleur = racines.front().valeur;
    for (const Tcoup_note& r : racines) meilleur = c * r.valeur > c * meilleur ? r.valeur : meilleur;
    std::vector<Tcoup> proches;
    for (const Tcoup_note& r : racines) {
        if (c * r.valeur >= c * meilleur - marge) proches.push_back(r.coup);
    }
    return proches[static_cast<size_t>(tire_entre(static_cast<int>(proches.size())))];
}
