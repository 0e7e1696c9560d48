// SPDX-License-Identifier: GPL-3.0-or-later
// The link to the engine in its worker: one UCI line per message, each way.
// Searches run one at a time. A new one is sent only once the previous one has answered
// "bestmove", so that a late answer is never taken for the answer to a later search; a
// search given up is sent "stop" and its answer is dropped. A worker that fails to load,
// crashes or stops answering is reported; started again, the engine resumes the search it
// was on.

// An engine that says nothing for this long during a search is asked "isready"; one that
// answers nothing for PATIENCE_MS more is taken for dead (a live one answers in milliseconds,
// a busy phone's in well under a second).
const SILENCE_MS = 1500;
const PATIENCE_MS = 5000;

// "option name MultiPV type spin default 1 min 1 max 256" as [name, { type, defaut, min, max }].
export function lire_option(ligne) {
  const m = /^option name (.+?) type (\S+)(.*)$/.exec(ligne.trim());
  if (!m) return null;
  const champs = {};
  for (const [, cle, valeur] of m[3].matchAll(/\b(default|min|max)\s+(\S+)/g)) champs[cle] = valeur;
  const nombre = (v) => (v === undefined ? undefined : Number(v));
  return [m[1], { type: m[2], defaut: champs.default, min: nombre(champs.min), max: nombre(champs.max) }];
}

export function creer_moteur(url, { sur_etat = () => {}, sur_ligne = () => {}, sur_pret = () => {} } = {}) {
  const moteur = { etat: 'chargement', nom: 'Quorvik', options: new Map() };
  const file = [];
  let en_cours = null;
  let pret = false;
  let worker = null;
  let envoyees = new Map(); // option values this worker has been given
  let dernier_message = 0;
  let sonde = 0; // when "isready" was sent to a silent engine, 0 when none is awaited

  const changer_etat = (etat, detail) => {
    moteur.etat = etat;
    sur_etat(etat, detail);
  };
  const etat_au_repos = () => changer_etat(en_cours ? (en_cours.infinie ? 'analyse' : 'reflexion') : 'repos');

  const envoyer = (ligne) => {
    sur_ligne('>', ligne);
    worker.postMessage(ligne);
  };

  // The settings a search asks for, sent when they differ from the engine's; the options the
  // engine does not announce are left out, spins kept within their range.
  const regler = (reglages) => {
    for (const [nom, voulue] of Object.entries(reglages)) {
      const option = moteur.options.get(nom);
      if (!option) continue;
      let valeur = voulue;
      if (option.type === 'spin') valeur = Math.min(option.max ?? valeur, Math.max(option.min ?? valeur, valeur));
      valeur = String(valeur);
      if ((envoyees.get(nom) ?? option.defaut) === valeur) continue;
      envoyer(`setoption name ${nom} value ${valeur}`);
      envoyees.set(nom, valeur);
    }
  };

  const lancer_suivante = () => {
    if (!pret) return;
    while (!en_cours && file.length) {
      const r = file.shift();
      if (r.annulee) {
        r.resoudre(null);
        continue;
      }
      en_cours = r;
      regler(r.reglages);
      envoyer(r.position);
      envoyer(r.go);
    }
    etat_au_repos();
  };

  const recevoir = (ligne) => {
    dernier_message = performance.now();
    sur_ligne('<', ligne);
    const mot = ligne.split(' ', 1)[0];
    if (mot === 'readyok') sonde = 0;
    else if (mot === 'id' && ligne.startsWith('id name ')) moteur.nom = ligne.slice(8);
    else if (mot === 'option') {
      const option = lire_option(ligne);
      if (option) moteur.options.set(...option);
    } else if (mot === 'uciok') {
      pret = true;
      sur_pret(moteur);
      lancer_suivante();
    } else if (mot === 'info' && en_cours && !en_cours.annulee) {
      en_cours.sur_info(ligne);
    } else if (mot === 'bestmove' && en_cours) {
      const r = en_cours;
      en_cours = null;
      const coup = ligne.split(/\s+/)[1];
      r.resoudre(r.annulee || coup === '0000' ? null : coup);
      lancer_suivante();
    }
  };

  // The worker is gone: what it was searching waits for the next one.
  const perdre = (detail) => {
    if (!worker) return;
    worker.terminate();
    worker = null;
    pret = false;
    sonde = 0;
    if (en_cours) {
      file.unshift(en_cours);
      en_cours = null;
    }
    changer_etat('erreur', detail);
  };

  const demarrer = () => {
    moteur.options = new Map();
    envoyees = new Map();
    changer_etat('chargement');
    try {
      worker = new Worker(url);
    } catch (erreur) {
      worker = null;
      queueMicrotask(() => changer_etat('erreur', erreur.message));
      return;
    }
    const celui_ci = worker;
    worker.addEventListener('message', ({ data }) => worker === celui_ci && recevoir(String(data)));
    worker.addEventListener('error', (e) => {
      e.preventDefault();
      if (worker === celui_ci) perdre(e.message || undefined);
    });
    worker.addEventListener('messageerror', () => worker === celui_ci && perdre());
    dernier_message = performance.now();
    envoyer('uci');
  };

  // During a search, an engine that has gone silent is asked whether it is still there.
  setInterval(() => {
    if (!worker || !pret || !en_cours) return;
    const maintenant = performance.now();
    if (sonde && maintenant - sonde > PATIENCE_MS) perdre();
    else if (!sonde && maintenant - dernier_message > SILENCE_MS) {
      sonde = maintenant;
      envoyer('isready');
    }
  }, 500);

  // One search: position is a "position ..." line, go a "go ..." line, reglages the options it
  // needs ({ MultiPV: 3 }). Returns { fin, annuler }: fin resolves with the engine's move, or
  // with null when the search was given up (or the engine had no move); annuler gives it up.
  moteur.chercher = ({ position, go, reglages = {}, sur_info = () => {} }) => {
    const r = { position, go, reglages, sur_info, infinie: /\binfinite\b/.test(go), annulee: false };
    const fin = new Promise((resoudre) => (r.resoudre = resoudre));
    file.push(r);
    lancer_suivante();
    const annuler = () => {
      if (r.annulee) return;
      r.annulee = true;
      if (en_cours === r) envoyer('stop');
      else if (file.includes(r)) {
        file.splice(file.indexOf(r), 1);
        r.resoudre(null);
      }
    };
    return { fin, annuler };
  };

  // A new worker, after a failure: the searches waiting (the one cut short first) go on.
  moteur.relancer = () => {
    if (worker) perdre();
    demarrer();
  };

  moteur.option = (nom) => moteur.options.get(nom);

  demarrer();
  return moteur;
}
