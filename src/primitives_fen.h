// SPDX-License-Identifier: GPL-3.0-or-later
// Positions given as FEN text: the fields read into a board record and a side to move.
#ifndef QUORVIK_PRIMITIVES_FEN_H
#define QUORVIK_PRIMITIVES_FEN_H

#include <string>
#include <vector>

#include "primitives.h"

// Reads the fields of a FEN, one string each: placement, side, castling, en passant, then
// none, one or both move counters (digits only, read and ignored). Returns 1 and fills the
// board and the side when every field is well formed and the position valid: one king of
// each side, no pawn on rank 1 or 8, at most 16 pieces a side, the side not to move not in
// check. Otherwise returns 0 and touches neither. A castling letter whose king or rook is
// not at home gives no right; an en passant square counts only behind a pawn that can have
// just advanced two squares. Safe on any bytes.
int lit_fen(const std::vector<std::string>& champs, Techiquier* echiquier, couleur* camp);

// The same with the fields as the words of one text (separated by blanks).
int lit_fen_texte(const std::string& texte, Techiquier* echiquier, couleur* camp);

#endif
