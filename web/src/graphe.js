// SPDX-License-Identifier: GPL-3.0-or-later
// The review's graph: white's expected share after each move, the same curve as the
// evaluation bar, so that a won position sits near the edge without flattening the rest and
// a mate is at the edge. The move shown is marked; a click or a tap goes to a position.
import { part_des_blancs } from './analyse.js';
import { t } from './mots.js';
import * as P from './partie.js';

const SVG = 'http://www.w3.org/2000/svg';
const LARGEUR = 600;
const HAUTEUR = 100;
const COULEURS = { inexactitude: '#d9a400', erreur: '#e07000', gaffe: '#c0201a' };

const noeud = (nom, attributs) => {
  const e = document.createElementNS(SVG, nom);
  for (const [cle, v] of Object.entries(attributs)) e.setAttribute(cle, String(v));
  return e;
};

// White's share at each position, 0 to n: from the notes; a mate given puts it at the edge.
export function parts(partie) {
  const coups = P.historique(partie);
  const valeurs = [part_des_blancs(partie.note_depart?.eval)];
  coups.forEach((c, i) => {
    const note = partie.notes[i];
    if (c.san.endsWith('#')) valeurs.push(c.color === 'w' ? 1 : 0);
    else valeurs.push(note?.eval ? part_des_blancs(note.eval) : valeurs.at(-1));
  });
  return valeurs;
}

// conteneur: the element that holds the graph; aller_a(n) shows the position after n moves.
export function creer_graphe(conteneur, aller_a) {
  const svg = noeud('svg', { viewBox: `0 0 ${LARGEUR} ${HAUTEUR}`, role: 'img' });
  conteneur.append(svg);
  let nombre = 0;

  // The position nearest to where the pointer is, across the graph's width.
  const position_du_pointeur = (e) => {
    const r = svg.getBoundingClientRect();
    return Math.round(((e.clientX - r.left) / r.width) * nombre);
  };
  let appuye = false;
  svg.addEventListener('pointerdown', (e) => {
    appuye = true;
    svg.setPointerCapture(e.pointerId);
    aller_a(position_du_pointeur(e));
  });
  svg.addEventListener('pointermove', (e) => appuye && aller_a(position_du_pointeur(e)));
  svg.addEventListener('pointerup', () => (appuye = false));

  return {
    // Draws the game's review, with the position after `n` moves marked.
    montrer(partie, n) {
      const valeurs = parts(partie);
      nombre = Math.max(1, valeurs.length - 1);
      const x = (i) => (i / nombre) * LARGEUR;
      const y = (v) => (1 - v) * HAUTEUR;
      const points = valeurs.map((v, i) => `${x(i).toFixed(1)},${y(v).toFixed(1)}`);
      svg.replaceChildren(
        noeud('rect', { x: 0, y: 0, width: LARGEUR, height: HAUTEUR, class: 'fond' }),
        noeud('polygon', { points: `0,${HAUTEUR} ${points.join(' ')} ${x(valeurs.length - 1)},${HAUTEUR}`, class: 'blancs' }),
        noeud('line', { x1: 0, y1: HAUTEUR / 2, x2: LARGEUR, y2: HAUTEUR / 2, class: 'milieu' }),
        noeud('polyline', { points: points.join(' '), class: 'courbe' }),
      );
      partie.notes.forEach((note, i) => {
        if (!note?.jugement) return;
        // Kept off the edges, where a won position's mark would be cut in half.
        const point = noeud('circle', { cx: Math.min(x(i + 1), LARGEUR - 4), cy: Math.min(Math.max(y(valeurs[i + 1]), 4), HAUTEUR - 4), r: 3.5, fill: COULEURS[note.jugement], class: 'faute' });
        point.dataset.demi = String(i + 1);
        svg.append(point);
      });
      svg.append(noeud('line', { x1: x(n), y1: 0, x2: x(n), y2: HAUTEUR, class: 'curseur' }));
      svg.setAttribute('aria-label', t('graphe_titre'));
      svg.dataset.points = String(valeurs.length);
    },
  };
}
