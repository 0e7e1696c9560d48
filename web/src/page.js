// SPDX-License-Identifier: GPL-3.0-or-later
// The page's wiring: the controls, the game, the board, the engine and the analysis.
import { creer_analyse } from './analyse.js';
import { creer_moteur } from './moteur.js';
import * as P from './partie.js';
import { creer_plateau } from './plateau.js';

const $ = (id) => document.getElementById(id);

const etat = {
  partie: P.creer_partie(),
  camp: 'white', // the player's side; the engine plays the other one
  en_analyse: false,
  version: 0, // grows at every change of the game: an engine move meant for an older one is dropped
  recherche: null, // the engine's search for its move, while it runs
};

// The UCI log, times in seconds since the page opened (to the millisecond).
const journal = [];
function noter(sens, ligne) {
  journal.push(`${(performance.now() / 1000).toFixed(3)} ${sens} ${ligne}`);
  if (journal.length > 2000) journal.splice(0, 500);
  if ($('journal-zone').open) montrer_journal();
}
function montrer_journal() {
  const pre = $('journal');
  const en_bas = pre.scrollTop + pre.clientHeight >= pre.scrollHeight - 4;
  pre.textContent = journal.join('\n');
  if (en_bas) pre.scrollTop = pre.scrollHeight;
}

const ETATS = {
  chargement: 'Moteur : chargement…',
  reflexion: 'Quorvik réfléchit…',
  analyse: 'Moteur : analyse',
  repos: 'Moteur : prêt',
  erreur: 'Moteur indisponible',
};
function montrer_etat(e, detail) {
  const zone = $('etat-moteur');
  zone.dataset.etat = e;
  zone.textContent = ETATS[e] + (detail ? ` (${detail})` : '');
}

const moteur = creer_moteur('quorvik-worker.js', { sur_etat: montrer_etat, sur_ligne: noter });
const plateau = creer_plateau($('plateau'), jouer_sur_le_plateau);
const analyse = creer_analyse(
  moteur,
  { profondeur: $('a-profondeur'), score: $('a-score'), vitesse: $('a-vitesse'), coup: $('a-coup'), etat: $('a-etat') },
  (coup) => plateau.fleche(coup),
);

function message(texte, erreur = false) {
  const zone = $('message');
  zone.textContent = texte;
  zone.classList.toggle('erreur', erreur);
}

const au_moteur = () => !etat.en_analyse && P.tour(etat.partie) !== etat.camp;

function afficher() {
  const { partie } = etat;
  const coups = P.historique(partie);
  const fin = P.fin_de_partie(partie);
  const dernier = coups.at(-1);
  let mobiles;
  if (!fin) mobiles = etat.en_analyse ? 'both' : au_moteur() ? undefined : etat.camp;
  plateau.montrer({
    fen: partie.echecs.fen(),
    trait: P.tour(partie),
    mobiles,
    destinations: mobiles ? P.destinations(partie) : new Map(),
    dernier: dernier ? [dernier.from, dernier.to] : undefined,
    echec: partie.echecs.inCheck(),
  });
  if (!etat.en_analyse) plateau.fleche(null);

  const liste = $('coups');
  liste.replaceChildren();
  let numero = Number(partie.depart.split(' ')[5]);
  let ligne = null;
  for (const c of coups) {
    if (c.color === 'w' || !ligne) {
      ligne = document.createElement('li');
      ligne.append(element('span', 'numero', c.color === 'b' ? `${numero}…` : `${numero}.`));
      liste.append(ligne);
    }
    ligne.append(element('span', 'coup', c.san));
    if (c.color === 'b') numero++;
  }
  liste.scrollTop = liste.scrollHeight;

  const trait = P.tour(partie) === 'white' ? 'blancs' : 'noirs';
  let annonce;
  if (fin) annonce = fin.texte;
  else if (etat.en_analyse) annonce = `Analyse : aux ${trait} de jouer.`;
  else if (au_moteur()) annonce = `Aux ${trait} : Quorvik joue.`;
  else annonce = `Aux ${trait} : à vous de jouer.`;
  $('annonce').textContent = annonce;
  $('annonce').classList.toggle('fin', Boolean(fin));
  $('fen-actuelle').value = partie.echecs.fen();
  $('reprendre').disabled = etat.en_analyse
    ? coups.length === 0
    : !coups.some((c) => (c.color === 'w' ? 'white' : 'black') === etat.camp);
}

function element(nom, classe, texte) {
  const e = document.createElement(nom);
  e.className = classe;
  e.textContent = texte;
  return e;
}

function abandonner_recherche() {
  etat.recherche?.annuler();
  etat.recherche = null;
}

// After every change of the game: show it, then let the engine play or analyse.
function changement() {
  etat.version++;
  abandonner_recherche();
  afficher();
  if (etat.en_analyse) analyse.demarrer(etat.partie);
  else if (au_moteur() && !P.fin_de_partie(etat.partie)) faire_jouer_le_moteur();
}

async function faire_jouer_le_moteur() {
  const version = etat.version;
  const recherche = moteur.chercher({ position: P.ligne_position(etat.partie), go: `go ${$('force').value}` });
  etat.recherche = recherche;
  const coup = await recherche.fin;
  if (etat.recherche === recherche) etat.recherche = null;
  if (coup === null || version !== etat.version) return;
  if (!P.jouer(etat.partie, coup)) {
    message(`Quorvik a répondu par un coup illégal (${coup}) : il est refusé.`, true);
    return;
  }
  changement();
}

async function jouer_sur_le_plateau({ from, to }) {
  const version = etat.version;
  let promotion;
  if (P.est_promotion(etat.partie, from, to)) {
    promotion = await plateau.choisir_promotion(P.tour(etat.partie));
    if (!promotion || version !== etat.version) return afficher();
  }
  if (!P.jouer(etat.partie, { from, to, promotion })) return afficher();
  message('');
  changement();
}

function nouvelle_partie(partie, texte) {
  etat.partie = partie;
  message(texte);
  changement();
}

function reprendre() {
  const { partie } = etat;
  if (etat.en_analyse) P.reprendre(partie);
  else {
    // Back to the player's last move, which is taken back too.
    const coups = P.historique(partie);
    const i = coups.findLastIndex((c) => (c.color === 'w' ? 'white' : 'black') === etat.camp);
    if (i < 0) return;
    for (let n = coups.length; n > i; n--) P.reprendre(partie);
  }
  message('');
  changement();
}

function basculer_analyse() {
  etat.en_analyse = !etat.en_analyse;
  const bouton = $('analyser');
  bouton.setAttribute('aria-pressed', String(etat.en_analyse));
  bouton.textContent = etat.en_analyse ? 'Arrêter l’analyse' : 'Analyser';
  if (!etat.en_analyse) analyse.arreter();
  changement();
}

const pgn_de_la_partie = () =>
  P.exporter_pgn(etat.partie, {
    blancs: etat.camp === 'white' ? 'Joueur' : moteur.nom,
    noirs: etat.camp === 'black' ? 'Joueur' : moteur.nom,
  });

async function copier_pgn() {
  const texte = pgn_de_la_partie();
  try {
    await navigator.clipboard.writeText(texte);
    message('PGN copié dans le presse-papiers.');
  } catch {
    // Without access to the clipboard: the text is put in the field, selected, ready to copy.
    $('pgn').value = texte;
    $('pgn').select();
    message('PGN placé dans le champ ci-dessous et sélectionné : copiez-le.');
  }
}

function telecharger_pgn() {
  const lien = document.createElement('a');
  lien.href = URL.createObjectURL(new Blob([pgn_de_la_partie()], { type: 'application/x-chess-pgn' }));
  lien.download = `quorvik-${new Date().toISOString().slice(0, 10)}.pgn`;
  document.body.append(lien);
  lien.click();
  lien.remove();
  setTimeout(() => URL.revokeObjectURL(lien.href), 1000);
  message('PGN téléchargé.');
}

function importer_pgn(texte) {
  const lu = P.importer_pgn(texte);
  if (lu.erreur) return message(lu.erreur, true);
  nouvelle_partie(lu.partie, `Partie importée (${P.historique(lu.partie).length} demi-coups).`);
}

function lier() {
  $('nouvelle').addEventListener('click', () => nouvelle_partie(P.creer_partie(), 'Nouvelle partie.'));
  $('reprendre').addEventListener('click', reprendre);
  $('retourner').addEventListener('click', () => plateau.retourner());
  $('camp').addEventListener('change', (e) => {
    etat.camp = e.target.value;
    plateau.orienter(etat.camp);
    changement();
  });
  $('analyser').addEventListener('click', basculer_analyse);
  $('saisie-coup').addEventListener('submit', (e) => {
    e.preventDefault();
    const texte = $('coup-texte').value.trim();
    if (!texte) return;
    if (au_moteur() || P.fin_de_partie(etat.partie) || !P.jouer(etat.partie, texte)) {
      return message(`Coup refusé : ${texte}.`, true);
    }
    $('coup-texte').value = '';
    message('');
    changement();
  });
  $('form-fen').addEventListener('submit', (e) => {
    e.preventDefault();
    const lu = P.lire_fen($('fen').value);
    if (lu.erreur) return message(lu.erreur, true);
    nouvelle_partie(P.creer_partie(lu.fen), 'Position posée.');
  });
  $('copier-pgn').addEventListener('click', copier_pgn);
  $('telecharger-pgn').addEventListener('click', telecharger_pgn);
  $('importer-pgn').addEventListener('click', () => importer_pgn($('pgn').value));
  $('fichier-pgn').addEventListener('change', async (e) => {
    const fichier = e.target.files[0];
    if (fichier) importer_pgn(await fichier.text());
    e.target.value = '';
  });
  $('journal-zone').addEventListener('toggle', () => $('journal-zone').open && montrer_journal());
}

lier();
changement();
