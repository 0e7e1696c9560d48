// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui_xboard.h"

int main() {
    xboard();
    return 0;
}
