// SPDX-License-Identifier: GPL-3.0-or-later
// Quorvik's strengths as the page offers them: its measured levels by rating, then full
// strength with a time per move. A choice is a string kept in the page's storage:
// "elo 600" or "movetime 500".

// The ratings of the levels as measured (doc/strength.md, tools/niveaux): games at 10 s +
// 0.1 s against stockfish's UCI_Elo 1350 and down a ladder of the levels themselves. The
// last is full strength at that clock. Only those within the range the engine announces
// are offered.
export const NIVEAUX = [80, 275, 435, 585, 670, 800, 940, 990];

// Full strength: the time per move, in milliseconds.
export const TEMPS = [100, 500, 1000, 3000];

export const CHOIX_PAR_DEFAUT = 'movetime 500';

// A level answers a "go movetime" of this long quickly: its strength comes from UCI_Elo.
const TEMPS_D_UN_NIVEAU = 1000;

// Every choice the engine allows: [{ valeur, elo } | { valeur, ms }], levels first.
// option: the engine's UCI_Elo option ({ min, max }), or undefined when it has none.
export function choix_offerts(option) {
  const niveaux = option ? NIVEAUX.filter((elo) => elo >= option.min && elo <= option.max) : [];
  return [...niveaux.map((elo) => ({ valeur: `elo ${elo}`, elo })), ...TEMPS.map((ms) => ({ valeur: `movetime ${ms}`, ms }))];
}

// What a choice asks of the engine: the options to set and the "go" line.
export function recherche_du_choix(valeur) {
  const [genre, nombre] = valeur.split(' ');
  if (genre === 'elo') {
    return { reglages: { UCI_AnalyseMode: false, MultiPV: 1, UCI_LimitStrength: true, UCI_Elo: Number(nombre) }, go: `go movetime ${TEMPS_D_UN_NIVEAU}` };
  }
  return { reglages: { UCI_AnalyseMode: false, MultiPV: 1, UCI_LimitStrength: false }, go: `go movetime ${Number(nombre)}` };
}
