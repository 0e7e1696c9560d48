#include <gtest/gtest.h>

#include "primitives.h"

TEST(Echiquier, Initial) {
    Techiquier e;
    init_echiquier(&e);
    EXPECT_EQ(e.cases[3], 6);
}
