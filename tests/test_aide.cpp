// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "aide_tests.h"

// The helpers themselves: the process and in-process routes answer alike.
TEST(Aides, LesDeuxRoutesRepondentPareil) {
    const std::string script = "uci\nisready\nquit\n";
    int statut = -1;
    EXPECT_EQ(execute_en_processus(script, &statut), execute_en_memoire(script));
    EXPECT_EQ(statut, 0);
}
