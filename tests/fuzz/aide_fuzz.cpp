// SPDX-License-Identifier: GPL-3.0-or-later
#include "aide_fuzz.h"

#include <sys/types.h>

// The address sanitizer's defaults for the fuzz targets. Its quarantine keeps freed
// blocks poisoned so that a late use of one is caught; by default it holds 256 MB, and an
// execution that frees a few hundred small list nodes then writes to fresh pages again
// and again (a third of the run went to page faults). 16 MB still holds every block freed
// by the last thousands of executions. Every allocation and every free records its caller's
// stack, 30 frames deep by default: 8 still name the engine's functions in a report, and
// the command-loop target runs a twentieth faster.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the name the sanitizer looks for.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16:malloc_context_size=8";
}

FILE* flux_perdu() {
    static FILE* flux = [] {
        cookie_io_functions_t fonctions{};
        fonctions.write = [](void*, const char*, size_t n) { return static_cast<ssize_t>(n); };
        return fopencookie(nullptr, "w", fonctions);
    }();
    return flux;
}

namespace {

std::string recu;

}  // namespace

std::string texte_recu() { return recu; }

void vide_texte_recu() { recu.clear(); }

FILE* flux_recu() {
    static FILE* flux = [] {
        cookie_io_functions_t fonctions{};
        fonctions.write = [](void*, const char* octets, size_t n) {
            recu.append(octets, n);
            return static_cast<ssize_t>(n);
        };
        FILE* f = fopencookie(nullptr, "w", fonctions);
        std::setvbuf(f, nullptr, _IONBF, 0);
        return f;
    }();
    return flux;
}
