// SPDX-License-Identifier: GPL-3.0-or-later
// The game on the page: its starting position and its moves, kept by the rules library.
// The engine never decides what is legal here; the page checks every move, the engine's too.
import { Chess, DEFAULT_POSITION } from '../vendor/chess.js/chess.js';

export const FEN_DEPART = DEFAULT_POSITION;

// chess.js's reasons for refusing a FEN, in the page's language.
const RAISONS_FEN = [
  ['move number', 'le numéro du coup doit être un entier positif'],
  ['half move', 'le compteur des demi-coups doit être un entier positif ou nul'],
  ['en-passant square is invalid', 'la case en passant est mal écrite'],
  ['illegal en-passant', 'la case en passant ne va pas avec le camp au trait'],
  ['castling', 'les droits de roque sont mal écrits'],
  ['side-to-move', 'le camp au trait doit être w ou b'],
  ["8 '/'", 'il faut huit rangées séparées par /'],
  ['consecutive number', 'deux chiffres se suivent dans une rangée'],
  ['invalid piece', 'une pièce inconnue'],
  ['too many squares', 'une rangée n’a pas huit cases'],
  ['missing white king', 'il manque le roi blanc'],
  ['missing black king', 'il manque le roi noir'],
  ['too many white kings', 'plus d’un roi blanc'],
  ['too many black kings', 'plus d’un roi noir'],
  ['edge rows', 'un pion sur la première ou la dernière rangée'],
];

function traduire(erreur) {
  const trouvee = RAISONS_FEN.find(([cle]) => erreur.message.includes(cle));
  return trouvee ? trouvee[1] : erreur.message;
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
// only the castling rights and en passant square that can be used), or { erreur } in words.
export function lire_fen(texte) {
  const champs = texte.trim().split(/\s+/);
  if (champs.length < 2) return { erreur: 'FEN refusée : il faut au moins la position et le camp au trait.' };
  if (champs.length > 6) return { erreur: 'FEN refusée : plus de six champs.' };
  let echecs;
  try {
    echecs = new Chess(champs.join(' '));
  } catch (erreur) {
    return { erreur: `FEN refusée : ${traduire(erreur)}.` };
  }
  const pieces = { w: 0, b: 0 };
  for (const rangee of echecs.board()) for (const p of rangee) if (p) pieces[p.color]++;
  if (pieces.w > 16 || pieces.b > 16) return { erreur: 'FEN refusée : plus de seize pièces dans un camp.' };
  const autre = echecs.fen().split(' ');
  autre[1] = autre[1] === 'w' ? 'b' : 'w';
  autre[3] = '-';
  if (new Chess(autre.join(' '), { skipValidation: true }).inCheck()) {
    return { erreur: 'FEN refusée : le camp qui n’a pas le trait est en échec.' };
  }
  const fen = echecs.fen().split(' ');
  fen[2] = roques_possibles(echecs, fen[2]);
  return { fen: new Chess(fen.join(' ')).fen() };
}

export function creer_partie(fen = FEN_DEPART) {
  return { depart: fen, echecs: new Chess(fen) };
}

// Plays a move given as { from, to, promotion } or as text (SAN "Nf3" or coordinates "g1f3",
// "e7e8q"); returns the move played, or null when it is not legal here.
export function jouer(partie, coup) {
  try {
    return partie.echecs.move(coup);
  } catch {
    if (typeof coup === 'string' && /^[a-h][1-8][a-h][1-8][qrbn]?$/i.test(coup.trim())) {
      const t = coup.trim().toLowerCase();
      return jouer(partie, { from: t.slice(0, 2), to: t.slice(2, 4), promotion: t[4] });
    }
    return null;
  }
}

export function reprendre(partie) {
  return partie.echecs.undo();
}

export const tour = (partie) => (partie.echecs.turn() === 'w' ? 'white' : 'black');

export const historique = (partie) => partie.echecs.history({ verbose: true });

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
      ? { texte: 'Échec et mat : les noirs gagnent.', resultat: '0-1' }
      : { texte: 'Échec et mat : les blancs gagnent.', resultat: '1-0' };
  }
  if (e.isStalemate()) return { texte: 'Pat : partie nulle.', resultat: '1/2-1/2' };
  if (e.isInsufficientMaterial()) return { texte: 'Nulle : matériel insuffisant pour mater.', resultat: '1/2-1/2' };
  if (e.isThreefoldRepetition()) return { texte: 'Nulle par triple répétition.', resultat: '1/2-1/2' };
  if (e.isDrawByFiftyMoves()) return { texte: 'Nulle par la règle des cinquante coups.', resultat: '1/2-1/2' };
  return null;
}

// The UCI line that puts the engine on this game.
export function ligne_position(partie) {
  const coups = historique(partie).map((c) => c.lan);
  const depuis = partie.depart === FEN_DEPART ? 'startpos' : `fen ${partie.depart}`;
  return `position ${depuis}${coups.length ? ' moves ' + coups.join(' ') : ''}`;
}

export function exporter_pgn(partie, { blancs, noirs }) {
  const e = partie.echecs;
  const date = new Date();
  const deux = (n) => String(n).padStart(2, '0');
  e.setHeader('Event', 'Partie contre Quorvik');
  e.setHeader('Site', 'Quorvik dans le navigateur');
  e.setHeader('Date', `${date.getFullYear()}.${deux(date.getMonth() + 1)}.${deux(date.getDate())}`);
  e.setHeader('White', blancs);
  e.setHeader('Black', noirs);
  e.setHeader('Result', fin_de_partie(partie)?.resultat ?? '*');
  return e.pgn({ maxWidth: 80 }) + '\n';
}

// A game read from PGN text, or { erreur }; its starting position passes the same checks as a
// FEN typed in.
export function importer_pgn(texte) {
  const echecs = new Chess();
  try {
    echecs.loadPgn(texte);
  } catch (erreur) {
    const coup = /Invalid move in PGN: (\S+)/.exec(erreur.message);
    return { erreur: coup ? `PGN refusé : le coup ${coup[1]} est illégal.` : 'PGN refusé : le texte n’est pas un PGN lisible.' };
  }
  const coups = echecs.history({ verbose: true });
  const lu = lire_fen(coups.length ? coups[0].before : echecs.fen());
  if (lu.erreur) return { erreur: lu.erreur.replace('FEN refusée', 'PGN refusé (position de départ)') };
  const partie = creer_partie(lu.fen);
  for (const c of coups) jouer(partie, { from: c.from, to: c.to, promotion: c.promotion });
  return { partie };
}
