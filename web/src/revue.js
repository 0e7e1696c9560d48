// SPDX-License-Identifier: GPL-3.0-or-later
// The review of a game: every position searched at one depth with every root move's line
// (MultiPV 256 costs the engine nothing: each root move gets the full window anyway). A move
// is judged by what it lost in that one search, between the best root move's score and its
// own; scores of successive positions move with the search's horizon and are not compared.
import { part_des_blancs, lire_info, score_blancs } from './analyse.js';
import * as P from './partie.js';

// A 40-move game (81 positions, every root move's line) on the 2-core development machine:
// depth 6 in 4.7 s natively and 9.8 s in WebAssembly, depth 7 in 37 s and 70 s: one depth
// more costs seven times as much, and the review must stay within half a minute.
export const PROFONDEUR = 6;

// What a move may lose of the mover's expected score (0 to 1, from the same logistic curve as
// the evaluation bar) before it is an inaccuracy, a mistake, a blunder. From an even position
// a pawn lost is an inaccuracy (9 %), a pawn and a half a mistake, a knight a blunder; in a
// position already won or lost, the same material counts for less.
export const SEUILS = [
  ['gaffe', 0.2],
  ['erreur', 0.12],
  ['inexactitude', 0.06],
];

export const JUGEMENTS = ['inexactitude', 'erreur', 'gaffe'];
export const SYMBOLES = { inexactitude: '?!', erreur: '?', gaffe: '??' };

export function jugement(perte) {
  return SEUILS.find(([, seuil]) => perte >= seuil)?.[0] ?? null;
}

// The mover's expected score for a score of the side to move's.
const attendu = (info) => part_des_blancs(score_blancs(info, 'white'));

// One position's search: every root move's last line, by its first move.
function chercher_position(moteur, partie, n, annulation) {
  const lignes = new Map();
  const recherche = moteur.chercher({
    position: P.ligne_position(partie, n),
    go: `go depth ${PROFONDEUR}`,
    reglages: { UCI_AnalyseMode: true, MultiPV: 256, UCI_LimitStrength: false },
    sur_info: (ligne) => {
      if (!/ pv /.test(ligne)) return;
      const info = lire_info(ligne);
      // Each depth's lines replace the last depth's; a depth printed whole comes rank 1 first.
      if (info.rang === 1) lignes.clear();
      lignes.set(info.pv[0], info);
    },
  });
  annulation.en_cours = recherche;
  return recherche.fin.then((coup) => (coup === null && annulation.annulee ? null : lignes));
}

// Reviews the game's first `partie`'s moves as they are now. sur_progres(done, total) after
// each position. Returns { fin, annuler }: fin resolves with the notes ({ note_depart, notes })
// or with null when cancelled.
export function revoir(moteur, partie, sur_progres = () => {}) {
  const coups = P.historique(partie);
  const annulation = { annulee: false, en_cours: null };
  const total = coups.length + 1;

  const fin = (async () => {
    const evals = []; // each position's best score, from white's side (null when the game is over there)
    const notes = [];
    for (let n = 0; n <= coups.length; n++) {
      if (annulation.annulee) return null;
      const position = P.position_a(partie, n);
      const trait = P.tour(position);
      const terminee = P.fin_de_partie(position);
      if (terminee) {
        evals[n] = position.echecs.isCheckmate() ? null : { cp: 0 };
      } else {
        const lignes = await chercher_position(moteur, partie, n, annulation);
        if (lignes === null) return null;
        const classees = [...lignes.values()].sort((a, b) => a.rang - b.rang);
        const meilleure = classees[0];
        evals[n] = meilleure ? score_blancs(meilleure, trait) : null;
        const joue = coups[n];
        if (joue && meilleure) {
          const sienne = lignes.get(joue.lan);
          const perte = sienne ? Math.max(0, attendu(meilleure) - attendu(sienne)) : null;
          const j = perte === null || meilleure.pv[0] === joue.lan ? null : jugement(perte);
          notes[n] = { perte, jugement: j, meilleur: j ? P.en_san(position.echecs.fen(), [meilleure.pv[0]])[0] : undefined };
        }
      }
      sur_progres(n + 1, total);
    }
    return {
      note_depart: { eval: evals[0] },
      notes: coups.map((c, i) => ({ ...notes[i], eval: evals[i + 1] ?? undefined })),
    };
  })();

  const annuler = () => {
    annulation.annulee = true;
    annulation.en_cours?.annuler();
  };
  return { fin, annuler };
}

// Each side's count of each kind of mistake: { white: { inexactitude: 1, ... }, black: ... }.
export function bilan(partie) {
  const compte = { white: {}, black: {} };
  for (const c of Object.values(compte)) for (const j of JUGEMENTS) c[j] = 0;
  P.historique(partie).forEach((coup, i) => {
    const j = partie.notes[i]?.jugement;
    if (j) compte[coup.color === 'w' ? 'white' : 'black'][j]++;
  });
  return compte;
}

export const est_revue = (partie) => partie.notes.some((n) => n && n.eval !== undefined);
