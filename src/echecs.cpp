#include "gui_xboard.h"

int main() {
    xboard();
    return 0;
}
