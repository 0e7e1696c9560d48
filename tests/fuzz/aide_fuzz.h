// SPDX-License-Identifier: GPL-3.0-or-later
// What the fuzz targets share (aide_fuzz.cpp, linked into every target, which also sets
// the sanitizer's defaults): streams for the engine's answers that have no descriptor, so
// that the engine's test of whether its reader is gone costs no system call and answers
// as for a reader that is there.
#ifndef QUORVIK_AIDE_FUZZ_H
#define QUORVIK_AIDE_FUZZ_H

#include <cstdio>
#include <string>

// A stream that drops everything written to it.
FILE* flux_perdu();

// An unbuffered stream whose text collects until `vide_texte_recu()`.
FILE* flux_recu();
std::string texte_recu();
void vide_texte_recu();

#endif
