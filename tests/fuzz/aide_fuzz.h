// What the fuzz targets share: streams for the engine's answers that have no descriptor,
// so that the engine's test of whether its reader is gone costs no system call and
// answers as for a reader that is there. aide_fuzz.cpp, linked into every target, also
// sets the sanitizer's defaults.
#ifndef QUORVIK_AIDE_FUZZ_H
#define QUORVIK_AIDE_FUZZ_H

#include <sys/types.h>

#include <cstdio>
#include <string>

// A stream that drops everything written to it.
inline FILE* flux_perdu() {
    static FILE* flux = [] {
        cookie_io_functions_t fonctions{};
        fonctions.write = [](void*, const char*, size_t n) { return static_cast<ssize_t>(n); };
        return fopencookie(nullptr, "w", fonctions);
    }();
    return flux;
}

// A stream whose text collects in `texte_recu()`, unbuffered so that the text is there as
// soon as it is written.
inline std::string& texte_recu() {
    static std::string texte;
    return texte;
}

inline FILE* flux_recu() {
    static FILE* flux = [] {
        cookie_io_functions_t fonctions{};
        fonctions.write = [](void*, const char* octets, size_t n) {
            texte_recu().append(octets, n);
            return static_cast<ssize_t>(n);
        };
        FILE* f = fopencookie(nullptr, "w", fonctions);
        std::setvbuf(f, nullptr, _IONBF, 0);
        return f;
    }();
    return flux;
}

#endif
