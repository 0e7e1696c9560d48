// SPDX-License-Identifier: GPL-3.0-or-later
// The board: chessground draws it and takes moves by drag or by click; the page tells it
// the position and which moves it may take. Also the promotion choice.
import { Chessground } from '../vendor/chessground/chessground.js';

const PIECES = [
  ['q', 'queen', 'Dame'],
  ['r', 'rook', 'Tour'],
  ['b', 'bishop', 'Fou'],
  ['n', 'knight', 'Cavalier'],
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
    // The best move of the analysis as an arrow, or none.
    fleche(coup) {
      cg.setAutoShapes(coup ? [{ orig: coup.slice(0, 2), dest: coup.slice(2, 4), brush: 'blue' }] : []);
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
  titre.textContent = 'Le pion devient :';
  formulaire.append(titre);
  for (const [lettre, classe, nom] of PIECES) {
    const bouton = document.createElement('button');
    bouton.value = lettre;
    bouton.setAttribute('aria-label', nom);
    bouton.title = nom;
    const piece = document.createElement('piece');
    piece.className = `${classe} white`;
    bouton.append(piece);
    formulaire.append(bouton);
  }
  const annuler = document.createElement('button');
  annuler.value = '';
  annuler.className = 'annuler';
  annuler.textContent = 'Annuler';
  formulaire.append(annuler);
  dialogue.append(formulaire);
  return dialogue;
}
