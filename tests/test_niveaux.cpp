// SPDX-License-Identifier: GPL-3.0-or-later
// The strength levels: the settings a rating gives, the seeded generator and the choice
// among near-equal root moves.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "ai_niveaux.h"

namespace {

TEST(Niveaux, LesReglagesSuiventLaNoteEntreLesPointsMesures) {
    // At a measured level, its own settings; below and above the range, the ends'.
    for (const Tpoint_de_niveau& point : POINTS_DE_NIVEAU) {
        const Tniveau n = niveau_pour_elo(point.elo);
        EXPECT_EQ(n.profondeur * 1000 + n.pour_mille_de_plus, point.profondeur_millieme) << point.elo;
        EXPECT_EQ(n.marge, point.marge) << point.elo;
        EXPECT_GT(n.noeuds_max, 0);
    }
    const auto millieme = [](int elo) {
        const Tniveau n = niveau_pour_elo(elo);
        return n.profondeur * 1000 + n.pour_mille_de_plus;
    };
    EXPECT_EQ(millieme(-5000), POINTS_DE_NIVEAU[0].profondeur_millieme);
    EXPECT_EQ(millieme(99999), POINTS_DE_NIVEAU[std::size(POINTS_DE_NIVEAU) - 1].profondeur_millieme);
    // Between two levels, a stronger rating never searches less nor with a wider margin.
    for (int elo = ELO_MINIMUM; elo < ELO_MAXIMUM; elo++) {
        ASSERT_LE(millieme(elo), millieme(elo + 1)) << elo;
        ASSERT_GE(niveau_pour_elo(elo).marge, niveau_pour_elo(elo + 1).marge) << elo;
        ASSERT_GE(niveau_pour_elo(elo).pour_mille_de_plus, 0);
        ASSERT_LT(niveau_pour_elo(elo).pour_mille_de_plus, 1000);
    }
}

std::vector<int> tirages(int n) {
    std::vector<int> suite;
    for (int k = 0; k < n; k++) suite.push_back(tire_entre(1000000));
    return suite;
}

TEST(Niveaux, UneGraineDonneUneSuiteEtUneNouvellePartieUneAutre) {
    seme_hasard(42);
    const std::vector<int> premiere = tirages(20);
    seme_hasard(42);
    EXPECT_EQ(tirages(20), premiere);
    seme_hasard(43);
    EXPECT_NE(tirages(20), premiere);
    // A new game's seed comes from the generator: another sequence, the same every time.
    seme_hasard(42);
    nouvelle_graine();
    const std::vector<int> partie_suivante = tirages(20);
    EXPECT_NE(partie_suivante, premiere);
    seme_hasard(42);
    nouvelle_graine();
    EXPECT_EQ(tirages(20), partie_suivante);
    // 0 draws a seed from the clock: two of them differ.
    seme_hasard(0);
    const std::vector<int> a = tirages(20);
    seme_hasard(0);
    EXPECT_NE(tirages(20), a);
}

TEST(Niveaux, LeChoixResteDansLaMarge) {
    const auto coup = [](int colonne) { return fait_coup(1, colonne, 3, colonne); };
    // White-positive scores; for black the best is the lowest.
    const std::vector<Tcoup_note> racines = {
        {coup(0), 40}, {coup(1), 52}, {coup(2), -300}, {coup(3), 45}, {coup(4), 60}, {coup(5), 52}};
    seme_hasard(7);
    for (const auto& [c, marge, attendus] :
         {std::tuple{BLANC, 10, std::set<int>{1, 4, 5}}, std::tuple{BLANC, 0, std::set<int>{4}},
          std::tuple{NOIR, 0, std::set<int>{2}}, std::tuple{NOIR, 400, std::set<int>{0, 1, 2, 3, 4, 5}},
          std::tuple{BLANC, 20, std::set<int>{0, 1, 3, 4, 5}}}) {
        std::set<int> vus;
        for (int k = 0; k < 300; k++) vus.insert(choix_du_niveau(racines, c, marge).colonne_depart);
        EXPECT_EQ(vus, attendus) << "side " << c << ", margin " << marge;
    }
    // Equal scores at margin 0: either may come.
    const std::vector<Tcoup_note> egaux = {{coup(6), 10}, {coup(7), 10}, {coup(0), 9}};
    std::set<int> vus;
    for (int k = 0; k < 100; k++) vus.insert(choix_du_niveau(egaux, BLANC, 0).colonne_depart);
    EXPECT_EQ(vus, (std::set<int>{6, 7}));
}

}  // namespace
