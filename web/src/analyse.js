// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis: "go infinite" on the position shown, with 1 to 5 lines (MultiPV). Each line
// shows its score from white's side and its moves in SAN, which can be clicked to play the
// line up to there; the first move of each line is an arrow, and line 1 sets the evaluation
// bar. What the engine says is drawn at most five times a second.
import { t, nombre } from './mots.js';
import * as P from './partie.js';

const RENDU_MS = 200;
const COUPS_MONTRES = 12;

// An "info" line as a record: { profondeur, rang, noeuds, nps, cp | mat, pv: [moves] }.
export function lire_info(ligne) {
  const mots = ligne.trim().split(/\s+/);
  const info = { pv: [], rang: 1 };
  for (let i = 1; i < mots.length; i++) {
    const m = mots[i];
    if (m === 'depth') info.profondeur = Number(mots[++i]);
    else if (m === 'multipv') info.rang = Number(mots[++i]);
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

// The engine's score (side to move's) from white's side: { cp } or { mat }, or null.
export function score_blancs(info, trait) {
  const signe = trait === 'white' ? 1 : -1;
  if (info.mat !== undefined) return { mat: signe * info.mat };
  if (info.cp !== undefined) return { cp: signe * info.cp };
  return null;
}

// A score from white's side as a person reads it: "+0.35", "-1.20", "#3", "#-2" (the decimal
// separator of the page's language).
export function texte_score(score, decimales = 2) {
  if (!score) return '';
  if (score.mat !== undefined) return `#${score.mat}`;
  const v = score.cp / 100;
  return (v > 0 ? '+' : v < 0 ? '-' : '') + nombre(Math.abs(v), decimales);
}

// White's expected share of the points for a score from white's side, 0 to 1: a mate is all
// or nothing, a centipawn score follows a logistic curve (a pawn up is about 59 %).
export function part_des_blancs(score) {
  if (!score) return 0.5;
  if (score.mat !== undefined) return score.mat > 0 ? 1 : score.mat < 0 ? 0 : 0.5;
  return 1 / (1 + Math.exp(-0.00368208 * score.cp));
}

function texte_vitesse(nps) {
  if (!nps) return '—';
  if (nps >= 1e6) return t('vitesse_m', { n: nombre(nps / 1e6, 1) });
  return t('vitesse_k', { n: Math.round(nps / 1e3) });
}

// zones: { profondeur, vitesse, etat, lignes (an <ol>), barre (the bar's element) };
// fleches(shapes) draws arrows on the board; jouer_ligne(moves) plays moves of a line from
// the position analysed.
export function creer_analyse(moteur, zones, { fleches, jouer_ligne }) {
  let recherche = null;
  let position = null; // { partie, n, fen, trait }
  let infos = []; // the latest line of each rank
  let montrees = []; // the lines as drawn: a click plays what the reader sees
  let dernier_rendu = 0;
  let minuterie = null;
  const vue = {};

  zones.lignes.addEventListener('click', (e) => {
    const bouton = e.target.closest('button[data-coup]');
    if (!bouton || !position) return;
    const info = montrees[Number(bouton.closest('li').dataset.rang) - 1];
    if (info) jouer_ligne(info.pv.slice(0, Number(bouton.dataset.coup) + 1));
  });

  // The bar for a score from white's side; a game over shows its result instead.
  const montrer_barre = (score, resultat) => {
    const part = resultat ? { '1-0': 1, '0-1': 0 }[resultat] ?? 0.5 : part_des_blancs(score);
    zones.barre.style.setProperty('--blancs', `${(part * 100).toFixed(1)}%`);
    zones.barre.dataset.blancs = part.toFixed(3);
    const texte = zones.barre.querySelector('span');
    texte.textContent = resultat ?? (score ? texte_score(score, score.cp !== undefined && Math.abs(score.cp) >= 1000 ? 0 : 1) : '');
    texte.classList.toggle('noirs', part < 0.5);
  };

  // Each line's <li>, made once and kept, so that a click on one of its moves is not lost to
  // a redraw under the pointer.
  const ligne_numero = (rang) => {
    let li = zones.lignes.children[rang - 1];
    if (!li) {
      li = document.createElement('li');
      li.dataset.rang = String(rang);
      const score = document.createElement('span');
      score.className = 'score';
      const coups = document.createElement('span');
      coups.className = 'pv';
      li.append(score, coups);
      zones.lignes.append(li);
    }
    return li;
  };

  const rendre = () => {
    minuterie = null;
    dernier_rendu = performance.now();
    const premiere = infos[0];
    zones.profondeur.textContent = premiere?.profondeur ? String(premiere.profondeur) : '—';
    zones.vitesse.textContent = texte_vitesse(premiere?.nps);
    const lignes = infos.filter(Boolean);
    montrees = lignes;
    while (zones.lignes.children.length > lignes.length) zones.lignes.lastChild.remove();
    const formes = [];
    lignes.forEach((info, i) => {
      const li = ligne_numero(i + 1);
      const score = score_blancs(info, position.trait);
      li.querySelector('.score').textContent = texte_score(score);
      const sans = P.en_san(position.fen, info.pv.slice(0, COUPS_MONTRES));
      const textes = P.sans_numerotes(position.partie, position.n, sans);
      const pv = li.querySelector('.pv');
      while (pv.children.length > textes.length) pv.lastChild.remove();
      textes.forEach((texte, j) => {
        let bouton = pv.children[j];
        if (!bouton) {
          bouton = document.createElement('button');
          bouton.type = 'button';
          bouton.dataset.coup = String(j);
          pv.append(bouton);
        }
        if (bouton.textContent !== texte) bouton.textContent = texte;
      });
      const coup = info.pv[0];
      if (coup) {
        const forme = { orig: coup.slice(0, 2), dest: coup.slice(2, 4), brush: i === 0 ? 'blue' : 'paleBlue' };
        if (i > 0) forme.modifiers = { lineWidth: 8 };
        formes.unshift(forme); // line 1 drawn last, over the others
      }
    });
    montrer_barre(premiere ? score_blancs(premiere, position.trait) : null);
    fleches(formes);
  };

  const programmer = () => {
    if (minuterie) return;
    minuterie = setTimeout(rendre, Math.max(0, RENDU_MS - (performance.now() - dernier_rendu)));
  };

  const vider = () => {
    clearTimeout(minuterie);
    minuterie = null;
    infos = [];
    montrees = [];
    zones.lignes.replaceChildren();
    zones.lignes.style.minHeight = '';
    zones.profondeur.textContent = '—';
    zones.vitesse.textContent = '—';
    montrer_barre(null);
    fleches([]);
  };

  vue.active = () => recherche !== null;

  // Analyses the game `partie` as it stood after `n` half-moves, with `nombre_lignes` lines.
  vue.demarrer = (partie, n, nombre_lignes) => {
    vue.arreter();
    const a_voir = P.position_a(partie, n);
    position = { partie, n, fen: a_voir.echecs.fen(), trait: P.tour(a_voir) };
    vider();
    const fin = P.fin_de_partie(a_voir);
    if (fin) {
      zones.etat.textContent = t('analyse_fin');
      montrer_barre(null, fin.resultat);
      recherche = { annuler() {} };
      return;
    }
    zones.etat.textContent = t('analyse_en_cours');
    zones.lignes.style.minHeight = `${nombre_lignes * 2.8}rem`; // room kept for the lines to come
    recherche = moteur.chercher({
      position: P.ligne_position(partie, n),
      go: 'go infinite',
      reglages: { UCI_AnalyseMode: true, MultiPV: nombre_lignes, UCI_LimitStrength: false },
      sur_info: (ligne) => {
        if (!/ pv /.test(ligne)) return;
        const info = lire_info(ligne);
        if (info.rang > nombre_lignes) return;
        infos[info.rang - 1] = info;
        programmer();
      },
    });
  };

  vue.arreter = () => {
    if (!recherche) return;
    recherche.annuler();
    recherche = null;
    if (minuterie) {
      clearTimeout(minuterie);
      rendre();
    }
    zones.etat.textContent = t('analyse_arretee');
  };

  // Off: nothing of the analysis left on the board.
  vue.effacer = () => {
    vue.arreter();
    vider();
    zones.etat.textContent = t('analyse_arretee');
  };

  return vue;
}
