// SPDX-License-Identifier: GPL-3.0-or-later
// The game on the page: its starting position and its moves, kept by the rules library, and
// the review's notes on its moves. The engine never decides what is legal here; the page
// checks every move, the engine's too.
import { Chess, DEFAULT_POSITION } from '../vendor/chess.js/chess.js';
import { t } from './mots.js';

export const FEN_DEPART = DEFAULT_POSITION;

// chess.js's reasons for refusing a FEN, in the page's language.
const RAISONS_FEN = [
  ['move number', 'fen_numero'],
  ['half move', 'fen_demi_coups'],
  ['en-passant square is invalid', 'fen_en_passant'],
  ['illegal en-passant', 'fen_en_passant_trait'],
  ['castling', 'fen_roques'],
  ['side-to-move', 'fen_trait'],
  ["8 '/'", 'fen_rangees'],
  ['consecutive number', 'fen_chiffres'],
  ['invalid piece', 'fen_piece'],
  ['too many squares', 'fen_cases'],
  ['missing white king', 'fen_sans_roi_blanc'],
  ['missing black king', 'fen_sans_roi_noir'],
  ['too many white kings', 'fen_rois_blancs'],
  ['too many black kings', 'fen_rois_noirs'],
  ['edge rows', 'fen_pion_bord'],
];

function traduire(erreur) {
  const trouvee = RAISONS_FEN.find(([cle]) => erreur.message.includes(cle));
  return trouvee ? t(trouvee[1]) : erreur.message;
}

// The castling rights whose king and rook are at home; the engine ignores the others and the
// rules library would let a king castle with a rook that is not there.
function roques_possibles(echecs, droits) {
  const chez_soi = (c, t) => {
    const p = echecs.get(c);
    return p !== undefined && p !== null && p.type === t[0] && p.color === t[1];
  };
  const cases = { K: ['e1', 'h1', 'w'], Q: ['e1', 'a1', 'w'], k: ['e8', 'h8', 'b'], q: ['e8', 'a8', 'b'] };
  const gardes = [...'KQkq'].filter((l) => {
    if (!droits.includes(l)) return false;
    const [roi, tour, camp] = cases[l];
    return chez_soi(roi, 'k' + camp) && chez_soi(tour, 'r' + camp);
  });
  return gardes.join('') || '-';
}

// Reads a FEN as the engine would take it: { fen } with the FEN rewritten in full (six fields,
// only the castling rights and en passant square that can be used), or { erreur, raison } in
// words.
const refus = (raison) => ({ erreur: t('fen_refusee', { raison }), raison });
export function lire_fen(texte) {
  const champs = texte.trim().split(/\s+/);
  if (champs.length < 2) return refus(t('fen_champs_manquants'));
  if (champs.length > 6) return refus(t('fen_champs_en_trop'));
  let echecs;
  try {
    echecs = new Chess(champs.join(' '));
  } catch (erreur) {
    return refus(traduire(erreur));
  }
  const pieces = { w: 0, b: 0 };
  for (const rangee of echecs.board()) for (const p of rangee) if (p) pieces[p.color]++;
  if (pieces.w > 16 || pieces.b > 16) return refus(t('fen_seize'));
  const autre = echecs.fen().split(' ');
  autre[1] = autre[1] === 'w' ? 'b' : 'w';
  autre[3] = '-';
  if (new Chess(autre.join(' '), { skipValidation: true }).inCheck()) {
    return refus(t('fen_echec_sans_trait'));
  }
  const fen = echecs.fen().split(' ');
  fen[2] = roques_possibles(echecs, fen[2]);
  return { fen: new Chess(fen.join(' ')).fen() };
}

// A game: where it starts, its moves (in the rules library, at the end of the game) and the
// review's notes, one per move (see revue.js), kept while the moves they judge stay.
export function creer_partie(fen = FEN_DEPART) {
  return { depart: fen, echecs: new Chess(fen), notes: [], note_depart: null, entetes: null };
}

// Plays a move given as { from, to, promotion } or as text (SAN "Nf3" or coordinates "g1f3",
// "e7e8q") at the end of the game; returns the move played, or null when it is not legal.
export function jouer(partie, coup) {
  return jouer_sur(partie.echecs, coup);
}

function jouer_sur(echecs, coup) {
  try {
    return echecs.move(coup);
  } catch {
    if (typeof coup === 'string' && /^[a-h][1-8][a-h][1-8][qrbn]?$/i.test(coup.trim())) {
      const c = coup.trim().toLowerCase();
      return jouer_sur(echecs, { from: c.slice(0, 2), to: c.slice(2, 4), promotion: c[4] });
    }
    return null;
  }
}

export function reprendre(partie) {
  const coup = partie.echecs.undo();
  partie.notes.length = Math.min(partie.notes.length, longueur(partie));
  return coup;
}

// Back to the position after `n` half-moves: the moves after it, and their notes, are dropped.
export function tronquer(partie, n) {
  while (longueur(partie) > n) reprendre(partie);
}

export const historique = (partie) => partie.echecs.history({ verbose: true });
export const longueur = (partie) => partie.echecs.history().length;

// The game as it stood after `n` half-moves, as a game of its own (its history kept, for the
// repetitions); the game itself when n is its length.
export function position_a(partie, n) {
  if (n >= longueur(partie)) return partie;
  const copie = creer_partie(partie.depart);
  for (const c of historique(partie).slice(0, n)) copie.echecs.move(c.lan);
  return copie;
}

export const tour = (partie) => (partie.echecs.turn() === 'w' ? 'white' : 'black');

// The number of the move whose turn it is after `n` half-moves, and whether black plays it.
export function numero_du_coup(partie, n) {
  const [, trait, , , , numero] = partie.depart.split(' ');
  const demi = n + (trait === 'b' ? 1 : 0);
  return { numero: Number(numero) + Math.floor(demi / 2), noirs: demi % 2 === 1 };
}

// Moves in SAN, numbered from the move after `n` half-moves: "12. e4 e5 13. Nf3", "12… e5".
export function sans_numerotes(partie, n, sans) {
  return sans.map((san, i) => {
    const { numero, noirs } = numero_du_coup(partie, n + i);
    if (!noirs) return `${numero}. ${san}`;
    return i === 0 ? `${numero}… ${san}` : san;
  });
}

// Moves in UCI notation played from `fen`, as SAN; stops at the first one that is not legal.
export function en_san(fen, coups) {
  const echecs = new Chess(fen);
  const sans = [];
  for (const c of coups) {
    const joue = jouer_sur(echecs, c);
    if (!joue) break;
    sans.push(joue.san);
  }
  return sans;
}

// Every legal move as chessground wants it: from-square to its destinations.
export function destinations(partie) {
  const carte = new Map();
  for (const c of partie.echecs.moves({ verbose: true })) {
    if (!carte.has(c.from)) carte.set(c.from, []);
    if (!carte.get(c.from).includes(c.to)) carte.get(c.from).push(c.to);
  }
  return carte;
}

export function est_promotion(partie, de, vers) {
  return partie.echecs.moves({ square: de, verbose: true }).some((c) => c.to === vers && c.promotion);
}

// The end of the game, or null while it goes on: { texte, resultat }.
export function fin_de_partie(partie) {
  const e = partie.echecs;
  if (e.isCheckmate()) {
    return e.turn() === 'w'
      ? { texte: t('fin_mat_noirs'), resultat: '0-1' }
      : { texte: t('fin_mat_blancs'), resultat: '1-0' };
  }
  if (e.isStalemate()) return { texte: t('fin_pat'), resultat: '1/2-1/2' };
  if (e.isInsufficientMaterial()) return { texte: t('fin_materiel'), resultat: '1/2-1/2' };
  if (e.isThreefoldRepetition()) return { texte: t('fin_repetition'), resultat: '1/2-1/2' };
  if (e.isDrawByFiftyMoves()) return { texte: t('fin_cinquante'), resultat: '1/2-1/2' };
  return null;
}

// The UCI line that puts the engine on this game, or on its position after `n` half-moves.
export function ligne_position(partie, n = Infinity) {
  const coups = historique(partie).slice(0, n).map((c) => c.lan);
  const depuis = partie.depart === FEN_DEPART ? 'startpos' : `fen ${partie.depart}`;
  return `position ${depuis}${coups.length ? ' moves ' + coups.join(' ') : ''}`;
}

// A score from white's side in PGN's eval form: "0.35", "-1.20", "#3", "#-2".
const en_eval = ({ cp, mat }) => (mat !== undefined ? `#${mat}` : (cp / 100).toFixed(2));
const NAG = { inexactitude: 6, erreur: 2, gaffe: 4 };
const KIND = { inexactitude: 'Inaccuracy', erreur: 'Mistake', gaffe: 'Blunder' };

// A note's comment as PGN readers know it: "[%eval 0.35]", then in words what the review
// found ("Mistake. Nf3 was best.").
function commentaire(note) {
  if (!note) return '';
  const mots = [];
  if (note.eval) mots.push(`[%eval ${en_eval(note.eval)}]`);
  if (note.jugement) mots.push(`${KIND[note.jugement]}.`);
  if (note.jugement && note.meilleur) mots.push(`${note.meilleur} was best.`);
  return mots.length ? `{ ${mots.join(' ')} }` : '';
}

// Standard PGN: English tags and SAN; the review's notes as eval comments and NAGs.
// joueurs: { White, Black, WhiteElo?, BlackElo? }, for a game played here; an imported game
// keeps its own players, event and date.
export function exporter_pgn(partie, joueurs) {
  const date = new Date();
  const deux = (n) => String(n).padStart(2, '0');
  const entetes = {
    Event: 'Casual game',
    Site: 'Quorvik in the browser',
    Date: `${date.getFullYear()}.${deux(date.getMonth() + 1)}.${deux(date.getDate())}`,
    Round: '-',
    White: joueurs.White,
    Black: joueurs.Black,
    Result: fin_de_partie(partie)?.resultat ?? '*',
  };
  for (const cle of ['WhiteElo', 'BlackElo']) if (joueurs[cle]) entetes[cle] = String(joueurs[cle]);
  if (partie.entetes) {
    for (const cle of ['WhiteElo', 'BlackElo']) delete entetes[cle];
    for (const [cle, v] of Object.entries(partie.entetes)) if (!['Result', 'SetUp', 'FEN'].includes(cle)) entetes[cle] = v;
  }
  if (partie.depart !== FEN_DEPART) Object.assign(entetes, { SetUp: '1', FEN: partie.depart });
  const echappe = (v) => v.replace(/\\/g, '\\\\').replace(/"/g, '\\"');
  const tete = Object.entries(entetes).map(([cle, v]) => `[${cle} "${echappe(v)}"]`);

  const mots = [];
  if (commentaire(partie.note_depart)) mots.push(commentaire(partie.note_depart));
  historique(partie).forEach((c, i) => {
    const { numero, noirs } = numero_du_coup(partie, i);
    if (!noirs) mots.push(`${numero}.`);
    else if (i === 0 || commentaire(partie.notes[i - 1])) mots.push(`${numero}...`);
    mots.push(c.san);
    const note = partie.notes[i];
    if (note?.jugement) mots.push(`$${NAG[note.jugement]}`);
    if (commentaire(note)) mots.push(commentaire(note));
  });
  mots.push(entetes.Result);
  const lignes = [];
  let ligne = '';
  for (const m of mots) {
    if (ligne && ligne.length + 1 + m.length > 80) {
      lignes.push(ligne);
      ligne = m;
    } else ligne = ligne ? `${ligne} ${m}` : m;
  }
  lignes.push(ligne);
  return `${tete.join('\n')}\n\n${lignes.join('\n')}\n`;
}

// The annotations of a PGN's main line, half-move by half-move: [{ nags, texte }] for the
// moves, and the comment before the first one. Variations are skipped.
function annotations(texte) {
  const corps = texte.replace(/^\s*\[[^\]]*\]\s*$/gm, '');
  const coups = [];
  let avant = '';
  let profondeur = 0;
  for (const [mot] of corps.matchAll(/\{[^}]*\}|;[^\n]*|\$\d+|[()]|[^\s(){};$]+/g)) {
    if (mot === '(') profondeur++;
    else if (mot === ')') profondeur--;
    else if (profondeur > 0) continue;
    else if (mot.startsWith('{') || mot.startsWith(';')) {
      const c = mot.startsWith('{') ? mot.slice(1, -1) : mot.slice(1);
      if (coups.length) coups.at(-1).texte += ` ${c}`;
      else avant += ` ${c}`;
    } else if (mot.startsWith('$')) coups.at(-1)?.nags.push(Number(mot.slice(1)));
    else if (/^\d+\.+$/.test(mot) || /^(1-0|0-1|1\/2-1\/2|\*)$/.test(mot)) continue;
    else {
      const suffixe = /[?!]+$/.exec(mot.replace(/^\d+\.+/, ''))?.[0];
      coups.push({ nags: suffixe ? [{ '?!': 6, '?': 2, '??': 4, '!?': 5, '!': 1, '!!': 3 }[suffixe]] : [], texte: '' });
    }
  }
  return { avant, coups };
}

// A note read back from a comment and NAGs, or null when they hold none of the review's.
function lire_note(texte, nags = []) {
  const note = {};
  const e = /\[%eval\s+(#?)(-?[\d.]+)\]/.exec(texte);
  if (e) note.eval = e[1] ? { mat: Number(e[2]) } : { cp: Math.round(Number(e[2]) * 100) };
  const jugement = Object.keys(NAG).find((j) => nags.includes(NAG[j]));
  if (jugement) note.jugement = jugement;
  const m = /(\S+) was best/.exec(texte);
  if (jugement && m) note.meilleur = m[1];
  return Object.keys(note).length ? note : null;
}

// A game read from PGN text, or { erreur }; its starting position passes the same checks as a
// FEN typed in. The review's notes come back with it.
export function importer_pgn(texte) {
  const echecs = new Chess();
  try {
    echecs.loadPgn(texte);
  } catch (erreur) {
    const coup = /Invalid move in PGN: (\S+)/.exec(erreur.message);
    return { erreur: coup ? t('pgn_coup_illegal', { coup: coup[1] }) : t('pgn_illisible') };
  }
  const coups = echecs.history({ verbose: true });
  const lu = lire_fen(coups.length ? coups[0].before : echecs.fen());
  if (lu.erreur) return { erreur: t('pgn_depart_refuse', { raison: lu.raison }) };
  const partie = creer_partie(lu.fen);
  for (const c of coups) jouer(partie, { from: c.from, to: c.to, promotion: c.promotion });
  const entetes = Object.fromEntries(Object.entries(echecs.getHeaders()).filter(([, v]) => v && v !== '?'));
  if (entetes.White || entetes.Black) partie.entetes = entetes;
  const notes = annotations(texte);
  if (notes.coups.length === coups.length) {
    partie.note_depart = lire_note(notes.avant);
    partie.notes = notes.coups.map((c) => lire_note(c.texte, c.nags));
  }
  return { partie };
}

// The game as plain data for the browser's storage, and back (null when it does not replay).
export function en_donnees(partie) {
  return { depart: partie.depart, coups: historique(partie).map((c) => c.lan), notes: partie.notes, note_depart: partie.note_depart, entetes: partie.entetes };
}

export function de_donnees(donnees) {
  try {
    const lu = lire_fen(donnees.depart);
    if (lu.erreur) return null;
    const partie = creer_partie(lu.fen);
    for (const c of donnees.coups) if (!jouer(partie, c)) return null;
    partie.notes = Array.isArray(donnees.notes) ? donnees.notes.slice(0, donnees.coups.length) : [];
    partie.note_depart = donnees.note_depart ?? null;
    partie.entetes = donnees.entetes ?? null;
    return partie;
  } catch {
    return null;
  }
}
