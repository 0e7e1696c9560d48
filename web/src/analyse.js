// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis: "go infinite" on the position on the board, its reports shown as they come
// (depth, score from white's side, speed, best move as an arrow), started again on each new
// position and stopped on demand.
import { ligne_position, tour } from './partie.js';
import { Chess } from '../vendor/chess.js/chess.js';

// An "info" line as a record: { profondeur, noeuds, nps, cp | mat, pv: [moves] }.
export function lire_info(ligne) {
  const mots = ligne.trim().split(/\s+/);
  const info = { pv: [] };
  for (let i = 1; i < mots.length; i++) {
    const m = mots[i];
    if (m === 'depth') info.profondeur = Number(mots[++i]);
    else if (m === 'nodes') info.noeuds = Number(mots[++i]);
    else if (m === 'nps') info.nps = Number(mots[++i]);
    else if (m === 'score' && mots[i + 1] === 'cp') info.cp = Number(mots[(i += 2)]);
    else if (m === 'score' && mots[i + 1] === 'mate') info.mat = Number(mots[(i += 2)]);
    else if (m === 'pv') {
      info.pv = mots.slice(i + 1);
      break;
    }
  }
  return info;
}

// The score as a person reads it, from white's side: "+0,35", "−1,20", "#3", "#−2".
// The engine gives it from the side to move's.
export function texte_score(info, trait) {
  const signe = trait === 'white' ? 1 : -1;
  const signer = (n, texte) => (n > 0 ? '+' : n < 0 ? '−' : '') + texte;
  if (info.mat !== undefined) return '#' + signer(signe * info.mat, String(Math.abs(info.mat))).replace('+', '');
  if (info.cp === undefined) return '';
  const v = (signe * info.cp) / 100;
  return signer(v, Math.abs(v).toFixed(2).replace('.', ','));
}

function texte_vitesse(nps) {
  if (!nps) return '—';
  if (nps >= 1e6) return `${(nps / 1e6).toFixed(1).replace('.', ',')} M n/s`;
  return `${Math.round(nps / 1e3)} k n/s`;
}

// The engine's move (coordinates) as SAN on the given position, or the move as it came.
function en_san(fen, coup) {
  try {
    const e = new Chess(fen);
    return e.move({ from: coup.slice(0, 2), to: coup.slice(2, 4), promotion: coup[4] }).san;
  } catch {
    return coup;
  }
}

// elements: { profondeur, score, vitesse, coup, etat } (elements whose text is set);
// fleche(coup | null) draws the best move on the board.
export function creer_analyse(moteur, elements, fleche) {
  let recherche = null;
  const vue = {};

  const afficher = (valeurs) => {
    for (const [cle, texte] of Object.entries(valeurs)) elements[cle].textContent = texte;
  };

  vue.active = () => recherche !== null;

  vue.demarrer = (partie) => {
    vue.arreter();
    const fen = partie.echecs.fen();
    const trait = tour(partie);
    afficher({ profondeur: '—', score: '—', vitesse: '—', coup: '—', etat: 'Analyse en cours…' });
    fleche(null);
    if (partie.echecs.isGameOver()) {
      afficher({ etat: 'Partie terminée : rien à analyser.' });
      recherche = { annuler() {} };
      return;
    }
    recherche = moteur.chercher({
      position: ligne_position(partie),
      go: 'go infinite',
      sur_info: (ligne) => {
        const info = lire_info(ligne);
        const coup = info.pv[0];
        afficher({
          profondeur: String(info.profondeur ?? '—'),
          score: texte_score(info, trait) || '—',
          vitesse: texte_vitesse(info.nps),
          coup: coup ? en_san(fen, coup) : '—',
        });
        fleche(coup ?? null);
      },
    });
  };

  vue.arreter = () => {
    if (!recherche) return;
    recherche.annuler();
    recherche = null;
    afficher({ etat: 'Analyse arrêtée.' });
  };

  return vue;
}
