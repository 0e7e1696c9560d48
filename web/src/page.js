// SPDX-License-Identifier: GPL-3.0-or-later
// The page's wiring: the controls, the game and the position shown, the board, the engine,
// the analysis, the page's words, and what the browser keeps across a reload.
import { creer_analyse } from './analyse.js';
import { creer_graphe } from './graphe.js';
import { creer_moteur } from './moteur.js';
import * as M from './mots.js';
import { t } from './mots.js';
import { CHOIX_PAR_DEFAUT, choix_offerts, recherche_du_choix } from './niveaux.js';
import * as P from './partie.js';
import { creer_plateau } from './plateau.js';
import * as R from './revue.js';

const $ = (id) => document.getElementById(id);

// What the browser keeps: the preferences, and the game with the view on it.
const CLE_PREFERENCES = 'quorvik.preferences';
const CLE_PARTIE = 'quorvik.partie';
function lire_stockage(cle) {
  try {
    return JSON.parse(localStorage.getItem(cle)) ?? {};
  } catch {
    return {};
  }
}
function ecrire_stockage(cle, valeur) {
  try {
    if (valeur === null) localStorage.removeItem(cle);
    else localStorage.setItem(cle, JSON.stringify(valeur));
  } catch { /* storage refused (private window, full): the page works without it */ }
}

const preferences = lire_stockage(CLE_PREFERENCES);
M.choisir_langue(preferences.langue ?? M.langue_du_navigateur(navigator.languages ?? [navigator.language]));

const etat = {
  partie: P.creer_partie(),
  camp: preferences.camp === 'black' ? 'black' : 'white', // the player's side; the engine plays the other
  force: typeof preferences.force === 'string' ? preferences.force : CHOIX_PAR_DEFAUT,
  lignes: Math.min(5, Math.max(1, Number(preferences.lignes) || 3)),
  en_analyse: false,
  vue: null, // the half-move shown, or null for the end of the game (where the game is played)
  version: 0, // grows at every change of the game: an engine move meant for an older one is dropped
  recherche: null, // the engine's search for its move, while it runs
  revue: null, // the review of the game, while it runs
};

function sauver() {
  ecrire_stockage(CLE_PREFERENCES, { camp: etat.camp, force: etat.force, lignes: etat.lignes, langue: M.langue() });
  ecrire_stockage(CLE_PARTIE, { ...P.en_donnees(etat.partie), vue: etat.vue, analyse: etat.en_analyse, orientation: plateau.orientation() });
}

// The UCI log, times in seconds since the page opened (to the millisecond).
const journal = [];
function noter(sens, ligne) {
  journal.push(`${(performance.now() / 1000).toFixed(3)} ${sens} ${ligne}`);
  if (journal.length > 4000) journal.splice(0, 1000);
  if ($('journal-zone').open) montrer_journal();
}
function montrer_journal() {
  const pre = $('journal');
  const en_bas = pre.scrollTop + pre.clientHeight >= pre.scrollHeight - 4;
  pre.textContent = journal.join('\n');
  if (en_bas) pre.scrollTop = pre.scrollHeight;
}

let etat_moteur = ['chargement'];
function montrer_etat(e = etat_moteur[0], detail = etat_moteur[1]) {
  etat_moteur = [e, detail];
  const zone = $('etat-moteur');
  zone.dataset.etat = e;
  zone.textContent = t(`moteur_${e}`) + (detail ? ` (${detail.slice(0, 120)})` : '');
  zone.title = detail ?? '';
  $('relancer').hidden = e !== 'erreur';
}

const moteur = creer_moteur('quorvik-veille.js', { sur_etat: montrer_etat, sur_ligne: noter, sur_pret: remplir_forces });
const plateau = creer_plateau($('plateau'), jouer_sur_le_plateau);
const analyse = creer_analyse(
  moteur,
  { profondeur: $('a-profondeur'), vitesse: $('a-vitesse'), etat: $('a-etat'), lignes: $('a-lignes'), barre: $('barre-eval') },
  { fleches: (formes) => plateau.fleches(formes), jouer_ligne },
);

const graphe = creer_graphe($('graphe'), (n) => aller_a(n));

function message(texte, erreur = false) {
  const zone = $('message');
  zone.textContent = texte;
  zone.classList.toggle('erreur', erreur);
}

const longueur = () => P.longueur(etat.partie);
const n_vue = () => etat.vue ?? longueur();
const au_moteur = () => !etat.en_analyse && P.tour(etat.partie) !== etat.camp && !P.fin_de_partie(etat.partie);
const couleur = (c) => (c.color === 'w' ? 'white' : 'black');

// The strength choice: the engine's levels within its UCI_Elo range, then full strength.
function remplir_forces() {
  const select = $('force');
  const offerts = choix_offerts(moteur.option('UCI_Elo'));
  const groupes = [
    [t('niveaux'), offerts.filter((c) => c.elo)],
    [t('pleine_force'), offerts.filter((c) => c.ms)],
  ];
  select.replaceChildren();
  for (const [titre, choix] of groupes) {
    if (!choix.length) continue;
    const groupe = document.createElement('optgroup');
    groupe.label = titre;
    for (const c of choix) {
      const option = new Option(c.elo ? t('niveau', { elo: c.elo }) : t('par_coup', { s: M.nombre(c.ms / 1000, 1) }), c.valeur);
      groupe.append(option);
    }
    select.append(groupe);
  }
  // A choice the engine does not offer (yet, or any more) is kept until it does.
  select.value = offerts.some((c) => c.valeur === etat.force) ? etat.force : CHOIX_PAR_DEFAUT;
}

// The name of the engine's side in the PGN, with its level.
function joueur_moteur() {
  const [genre, n] = etat.force.split(' ');
  if (genre === 'elo') return { nom: `${moteur.nom} (level ${n})`, elo: n };
  return { nom: `${moteur.nom} (full strength, ${Number(n) / 1000} s per move)` };
}

function afficher() {
  const { partie } = etat;
  const coups = P.historique(partie);
  const n = n_vue();
  const vue = P.position_a(partie, n);
  const fin = P.fin_de_partie(vue);
  const au_bout = n === coups.length;
  let mobiles;
  if (!fin && etat.en_analyse) mobiles = 'both';
  else if (!fin && au_bout && !au_moteur()) mobiles = etat.camp;
  const dernier = coups[n - 1];
  plateau.montrer({
    fen: vue.echecs.fen(),
    trait: P.tour(vue),
    mobiles,
    destinations: mobiles ? P.destinations(vue) : new Map(),
    dernier: dernier ? [dernier.from, dernier.to] : undefined,
    echec: vue.echecs.inCheck(),
  });
  $('barre-eval').hidden = !etat.en_analyse;
  document.querySelector('.plateau-et-barre').dataset.orientation = plateau.orientation();

  montrer_liste(coups, n);

  const trait = t(P.tour(vue) === 'white' ? 'aux_blancs' : 'aux_noirs');
  let annonce;
  if (fin) annonce = fin.texte;
  else if (etat.en_analyse) annonce = t('annonce_analyse', { trait });
  else if (!au_bout) annonce = t('annonce_passee', { trait });
  else if (au_moteur()) annonce = t('annonce_moteur', { trait });
  else annonce = t('annonce_joueur', { trait });
  $('annonce').textContent = annonce;
  $('annonce').classList.toggle('fin', Boolean(fin));

  // In play, an earlier position is only looked at: the way back to the game is offered.
  $('retour-partie').hidden = etat.en_analyse || au_bout;
  if (!au_bout) {
    const numero = n === 0 ? t('depart') : P.sans_numerotes(partie, n - 1, [coups[n - 1].san])[0];
    $('retour-texte').textContent = t('retour_texte', { coup: numero, total: coups.length });
  }
  $('aller-debut').disabled = $('aller-avant').disabled = n === 0;
  $('aller-fin').disabled = $('aller-apres').disabled = au_bout;

  montrer_revue(n);
  $('fen-actuelle').value = vue.echecs.fen();
  $('reprendre').disabled = etat.en_analyse
    ? coups.length === 0
    : !coups.some((c) => couleur(c) === etat.camp);
  $('analyser').textContent = t(etat.en_analyse ? 'arreter_analyse' : 'analyser');
  $('analyser').setAttribute('aria-pressed', String(etat.en_analyse));
}

// The review's graph, its count of mistakes, and its controls.
function montrer_revue(n) {
  const revue = R.est_revue(etat.partie);
  $('graphe').hidden = !revue;
  if (revue) graphe.montrer(etat.partie, n);
  $('revue-bilan').hidden = !revue;
  if (revue) {
    const compte = R.bilan(etat.partie);
    $('revue-bilan').tBodies[0].replaceChildren(...R.JUGEMENTS.map((j) => {
      const ligne = document.createElement('tr');
      ligne.className = j;
      ligne.append(element('th', '', `${R.SYMBOLES[j]} ${t(`jugement_${j}`)}`), element('td', '', compte.white[j]), element('td', '', compte.black[j]));
      return ligne;
    }));
  }
  const en_cours = etat.revue !== null;
  $('revoir').hidden = en_cours;
  $('revoir').disabled = longueur() === 0;
  $('annuler-revue').hidden = !en_cours;
  $('revue-progres').hidden = !en_cours;
}

// The moves, each a button that shows the position after it; the one shown is marked.
function montrer_liste(coups, n) {
  const liste = $('coups');
  liste.replaceChildren();
  let ligne = null;
  coups.forEach((c, i) => {
    const { numero, noirs } = P.numero_du_coup(etat.partie, i);
    if (!noirs || !ligne) {
      ligne = document.createElement('li');
      ligne.append(element('span', 'numero', noirs ? `${numero}…` : `${numero}.`));
      if (noirs) ligne.append(element('span', 'demi'));
      liste.append(ligne);
    }
    const demi = element('span', 'demi');
    const bouton = element('button', 'coup', c.san);
    bouton.type = 'button';
    bouton.dataset.demi = String(i + 1);
    if (i + 1 === n) bouton.setAttribute('aria-current', 'true');
    demi.append(bouton);
    const note = etat.partie.notes[i];
    if (note?.jugement) {
      demi.classList.add(note.jugement);
      const symbole = element('span', 'nag', R.SYMBOLES[note.jugement]);
      symbole.title = t(`jugement_${note.jugement}`);
      demi.append(symbole);
      if (note.meilleur) demi.append(element('span', 'mieux', note.meilleur));
      demi.title = note.meilleur ? t('mieux_etait', { coup: note.meilleur }) : symbole.title;
    }
    ligne.append(demi);
  });
  const courant = liste.querySelector('[aria-current]');
  if (courant) {
    // Within the list only: scrolling the page under a phone's thumb would be a surprise.
    const haut = courant.offsetTop - liste.offsetTop;
    if (haut < liste.scrollTop || haut + courant.offsetHeight > liste.scrollTop + liste.clientHeight) {
      liste.scrollTop = haut - liste.clientHeight / 2;
    }
  } else if (n === 0) liste.scrollTop = 0;
}

function element(nom, classe, texte = '') {
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
  analyser_la_vue();
  if (au_moteur()) faire_jouer_le_moteur();
  sauver();
}

// Analyses the position shown when the analysis is on (after the review, which has the
// engine meanwhile); clears what it left otherwise.
function analyser_la_vue() {
  if (etat.en_analyse && !etat.revue) analyse.demarrer(etat.partie, n_vue(), etat.lignes);
  else analyse.effacer();
  if (etat.en_analyse && etat.revue) $('a-etat').textContent = t('analyse_apres_revue');
}

// The review of the game as it is now: every position searched in turn, the game and the
// board usable meanwhile. Its notes go on the moves if the game still starts with them.
async function revoir_la_partie() {
  if (etat.revue || longueur() === 0) return;
  const copie = P.de_donnees(P.en_donnees(etat.partie));
  const coups = P.historique(copie).map((c) => c.lan);
  const debut = performance.now();
  $('revue-progres').value = 0;
  $('revue-etat').textContent = t('revue_en_cours', { fait: 0, total: coups.length + 1 });
  etat.revue = R.revoir(moteur, copie, (fait, total) => {
    $('revue-progres').value = fait / total;
    $('revue-etat').textContent = t('revue_en_cours', { fait, total });
  });
  analyser_la_vue();
  afficher();
  const notes = await etat.revue.fin;
  etat.revue = null;
  const meme_partie = P.historique(etat.partie).slice(0, coups.length).every((c, i) => c.lan === coups[i]);
  if (!notes) $('revue-etat').textContent = t('revue_annulee');
  else if (!meme_partie) $('revue-etat').textContent = t('revue_perimee');
  else {
    etat.partie.note_depart = notes.note_depart;
    notes.notes.forEach((note, i) => (etat.partie.notes[i] = note));
    $('revue-etat').textContent = t('revue_faite', { s: M.nombre((performance.now() - debut) / 1000, 1), profondeur: R.PROFONDEUR });
  }
  afficher();
  analyser_la_vue();
  sauver();
}

// Shows the position after `n` half-moves; the game itself does not change.
function aller_a(n) {
  const voulu = Math.max(0, Math.min(longueur(), n));
  const vue = voulu === longueur() ? null : voulu;
  if (vue === etat.vue) return;
  etat.vue = vue;
  afficher();
  analyser_la_vue();
  sauver();
}

async function faire_jouer_le_moteur() {
  const version = etat.version;
  const { reglages, go } = recherche_du_choix(etat.force);
  const recherche = moteur.chercher({ position: P.ligne_position(etat.partie), go, reglages });
  etat.recherche = recherche;
  const coup = await recherche.fin;
  if (etat.recherche === recherche) etat.recherche = null;
  if (coup === null || version !== etat.version) return;
  if (!P.jouer(etat.partie, coup)) {
    message(t('coup_illegal_moteur', { coup }), true);
    return;
  }
  changement();
}

// A move of the player's at the position shown. In analysis, from an earlier position, it
// starts a new continuation there: the moves after it are dropped.
function jouer_coup(coup) {
  if (etat.en_analyse) P.tronquer(etat.partie, n_vue());
  else if (etat.vue !== null || au_moteur()) return null;
  if (P.fin_de_partie(etat.partie)) return null;
  const joue = P.jouer(etat.partie, coup);
  if (!joue) return null;
  etat.vue = null;
  message('');
  changement();
  return joue;
}

// A line of the analysis, played on the board up to the move clicked.
function jouer_ligne(coups) {
  P.tronquer(etat.partie, n_vue());
  for (const c of coups) if (!P.jouer(etat.partie, c)) break;
  etat.vue = null;
  changement();
}

async function jouer_sur_le_plateau({ from, to }) {
  const version = etat.version;
  const vue = P.position_a(etat.partie, n_vue());
  let promotion;
  if (P.est_promotion(vue, from, to)) {
    promotion = await plateau.choisir_promotion(P.tour(vue));
    if (!promotion || version !== etat.version) return afficher();
  }
  if (!jouer_coup({ from, to, promotion })) afficher();
}

function nouvelle_partie(partie, texte, en_analyse = etat.en_analyse) {
  etat.revue?.annuler();
  $('revue-etat').textContent = '';
  etat.partie = partie;
  etat.vue = null;
  etat.en_analyse = en_analyse;
  message(texte);
  changement();
}

function reprendre() {
  const { partie } = etat;
  etat.vue = null;
  if (etat.en_analyse) P.reprendre(partie);
  else {
    // Back to the player's last move, which is taken back too.
    const coups = P.historique(partie);
    const i = coups.findLastIndex((c) => couleur(c) === etat.camp);
    if (i < 0) return;
    P.tronquer(partie, i);
  }
  message('');
  changement();
}

// Off, the analysis stops and leaves its last lines to read, until the position changes.
function basculer_analyse() {
  etat.en_analyse = !etat.en_analyse;
  if (etat.en_analyse) return changement();
  analyse.arreter();
  plateau.fleches([]);
  afficher();
  if (au_moteur()) faire_jouer_le_moteur();
  sauver();
}

const pgn_de_la_partie = () => {
  const quorvik = joueur_moteur();
  const [joueur, adversaire] = etat.camp === 'white' ? ['White', 'Black'] : ['Black', 'White'];
  return P.exporter_pgn(etat.partie, { [joueur]: 'Player', [adversaire]: quorvik.nom, [`${adversaire}Elo`]: quorvik.elo });
};

async function copier_pgn() {
  const texte = pgn_de_la_partie();
  try {
    await navigator.clipboard.writeText(texte);
    message(t('pgn_copie'));
  } catch {
    // Without access to the clipboard: the text is put in the field, selected, ready to copy.
    $('pgn').value = texte;
    $('pgn').select();
    message(t('pgn_dans_le_champ'));
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
  message(t('pgn_telecharge'));
}

function importer_pgn(texte) {
  const lu = P.importer_pgn(texte);
  if (lu.erreur) return message(lu.erreur, true);
  nouvelle_partie(lu.partie, t('pgn_importe', { n: P.longueur(lu.partie) }));
}

// ← → Home End walk through the game, unless the focus is where those keys mean something.
function touche(e) {
  if (e.altKey || e.ctrlKey || e.metaKey || document.querySelector('dialog[open]')) return;
  const cible = e.target;
  if (cible.closest?.('input, textarea, select, [contenteditable]')) return;
  const n = n_vue();
  const aller = { ArrowLeft: n - 1, ArrowRight: n + 1, Home: 0, End: longueur() }[e.key];
  if (aller === undefined) return;
  e.preventDefault();
  aller_a(aller);
}

function changer_langue(langue) {
  M.choisir_langue(langue);
  M.appliquer(document);
  remplir_forces();
  montrer_etat();
  afficher();
  analyser_la_vue();
  sauver();
}

function lier() {
  $('nouvelle').addEventListener('click', () => {
    ecrire_stockage(CLE_PARTIE, null);
    nouvelle_partie(P.creer_partie(), t('nouvelle_faite'), false);
  });
  $('reprendre').addEventListener('click', reprendre);
  $('retourner').addEventListener('click', () => {
    plateau.retourner();
    afficher();
    sauver();
  });
  $('camp').addEventListener('change', (e) => {
    etat.camp = e.target.value;
    plateau.orienter(etat.camp);
    changement();
  });
  $('force').addEventListener('change', (e) => {
    etat.force = e.target.value;
    sauver();
  });
  $('nombre-lignes').addEventListener('change', (e) => {
    etat.lignes = Number(e.target.value);
    analyser_la_vue();
    sauver();
  });
  $('langue').addEventListener('change', (e) => changer_langue(e.target.value));
  $('relancer').addEventListener('click', () => moteur.relancer());
  $('analyser').addEventListener('click', basculer_analyse);
  $('revoir').addEventListener('click', revoir_la_partie);
  $('annuler-revue').addEventListener('click', () => etat.revue?.annuler());
  $('coups').addEventListener('click', (e) => {
    const bouton = e.target.closest('button[data-demi]');
    if (bouton) aller_a(Number(bouton.dataset.demi));
  });
  $('aller-debut').addEventListener('click', () => aller_a(0));
  $('aller-avant').addEventListener('click', () => aller_a(n_vue() - 1));
  $('aller-apres').addEventListener('click', () => aller_a(n_vue() + 1));
  $('aller-fin').addEventListener('click', () => aller_a(longueur()));
  $('revenir').addEventListener('click', () => aller_a(longueur()));
  document.addEventListener('keydown', touche);
  $('saisie-coup').addEventListener('submit', (e) => {
    e.preventDefault();
    const texte = $('coup-texte').value.trim();
    if (!texte) return;
    if (!jouer_coup(texte)) return message(t('coup_refuse', { coup: texte }), true);
    $('coup-texte').value = '';
  });
  $('form-fen').addEventListener('submit', (e) => {
    e.preventDefault();
    const lu = P.lire_fen($('fen').value);
    if (lu.erreur) return message(lu.erreur, true);
    nouvelle_partie(P.creer_partie(lu.fen), t('position_posee'));
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

// The game, the view and the preferences as the last visit left them.
function reprendre_la_visite() {
  const sauvee = lire_stockage(CLE_PARTIE);
  const partie = sauvee.depart ? P.de_donnees(sauvee) : null;
  if (partie) {
    etat.partie = partie;
    const vue = Number.isInteger(sauvee.vue) ? sauvee.vue : null;
    etat.vue = vue !== null && vue < P.longueur(partie) ? Math.max(0, vue) : null;
    etat.en_analyse = sauvee.analyse === true;
  }
  $('camp').value = etat.camp;
  $('nombre-lignes').value = String(etat.lignes);
  $('langue').value = M.langue();
  plateau.orienter(sauvee.orientation === 'black' || sauvee.orientation === 'white' ? sauvee.orientation : etat.camp);
}

// The site kept by the browser, for visits without the network. A page already kept that sees
// a new build take over says so: its own files are the old build's until a reload.
function garder_hors_ligne() {
  if (!('serviceWorker' in navigator)) return;
  const deja = Boolean(navigator.serviceWorker.controller);
  navigator.serviceWorker.addEventListener('controllerchange', () => deja && message(t('nouvelle_version')));
  navigator.serviceWorker.register('hors-ligne.js').catch(() => { /* a browser that refuses: online only */ });
}

lier();
garder_hors_ligne();
reprendre_la_visite();
M.appliquer(document);
remplir_forces();
montrer_etat(moteur.etat);
changement();
