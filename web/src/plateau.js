// SPDX-License-Identifier: GPL-3.0-or-later
// The board: chessground draws it and takes moves by drag or by click; the page tells it
// the position and which moves it may take. Also the promotion choice.
import { Chessground } from '../vendor/chessground/chessground.js';
import { t } from './mots.js';

const PIECES = [
  ['q', 'queen', 'piece_dame'],
  ['r', 'rook', 'piece_tour'],
  ['b', 'bishop', 'piece_fou'],
  ['n', 'knight', 'piece_cavalier'],
];

// sur_coup({ from, to }) is called for each move made on the board.
export function creer_plateau(element, sur_coup) {
  const cg = Chessground(element, {
    coordinates: true,
    movable: { free: false, showDests: true, events: { after: (from, to) => sur_coup({ from, to }) } },
    premovable: { enabled: false },
    draggable: { showGhost: true },
    animation: { duration: 150 },
    drawable: { enabled: true },
  });
  // The board remembers where it is on the screen; anything above it that grows (a status
  // line that wraps on a phone) moves it, and a tap would land a square off.
  new ResizeObserver(() => cg.state.dom.bounds.clear()).observe(document.body);
  const dialogue = creer_dialogue_promotion();
  document.body.append(dialogue);

  return {
    // etat: { fen, trait, mobiles ('white' | 'black' | 'both' | undefined), destinations,
    // dernier ([from, to] or undefined), echec }
    montrer(etat) {
      cg.set({
        fen: etat.fen,
        turnColor: etat.trait,
        check: etat.echec,
        lastMove: etat.dernier,
        movable: { color: etat.mobiles, dests: etat.destinations },
      });
    },
    // The analysis's arrows: chessground shapes ({ orig, dest, brush, modifiers }).
    fleches(formes) {
      cg.setAutoShapes(formes);
    },
    orienter(couleur) {
      cg.set({ orientation: couleur });
    },
    retourner() {
      cg.toggleOrientation();
    },
    orientation: () => cg.state.orientation,
    // Asks which piece a pawn becomes; resolves with 'q', 'r', 'b', 'n', or null when the
    // player closes the choice.
    choisir_promotion(couleur) {
      dialogue.querySelector('p').textContent = t('promotion_titre');
      dialogue.querySelector('.annuler').textContent = t('annuler');
      for (const b of dialogue.querySelectorAll('button[value]:not(.annuler)')) {
        b.title = t(PIECES.find(([l]) => l === b.value)[2]);
        b.setAttribute('aria-label', b.title);
      }
      for (const b of dialogue.querySelectorAll('piece')) b.classList.toggle('black', couleur === 'black');
      for (const b of dialogue.querySelectorAll('piece')) b.classList.toggle('white', couleur !== 'black');
      dialogue.returnValue = '';
      dialogue.showModal();
      return new Promise((resoudre) => {
        dialogue.addEventListener('close', () => resoudre(dialogue.returnValue || null), { once: true });
      });
    },
  };
}

function creer_dialogue_promotion() {
  const dialogue = document.createElement('dialog');
  dialogue.id = 'promotion';
  dialogue.setAttribute('aria-labelledby', 'promotion-titre');
  const formulaire = document.createElement('form');
  formulaire.method = 'dialog';
  formulaire.className = 'cg-wrap';
  const titre = document.createElement('p');
  titre.id = 'promotion-titre';
  formulaire.append(titre);
  for (const [lettre, classe] of PIECES) {
    const bouton = document.createElement('button');
    bouton.value = lettre;
    const piece = document.createElement('piece');
    piece.className = `${classe} white`;
    bouton.append(piece);
    formulaire.append(bouton);
  }
  const annuler = document.createElement('button');
  annuler.value = '';
  annuler.className = 'annuler';
  formulaire.append(annuler);
  dialogue.append(formulaire);
  return dialogue;
}
