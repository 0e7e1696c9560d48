// SPDX-License-Identifier: GPL-3.0-or-later
// The link to the engine in its worker: one UCI line per message, each way.
// Searches run one at a time. A new one is sent only once the previous one has answered
// "bestmove", so that a late answer is never taken for the answer to a later search; a
// search given up is sent "stop" and its answer is dropped.

export function creer_moteur(url, { sur_etat = () => {}, sur_ligne = () => {} } = {}) {
  const moteur = { etat: 'chargement', nom: 'Quorvik' };
  const file = [];
  let en_cours = null;
  let pret = false;

  const changer_etat = (etat, detail) => {
    moteur.etat = etat;
    sur_etat(etat, detail);
  };
  const etat_au_repos = () => changer_etat(en_cours ? (en_cours.infinie ? 'analyse' : 'reflexion') : 'repos');

  let worker;
  try {
    worker = new Worker(url);
  } catch (erreur) {
    queueMicrotask(() => changer_etat('erreur', erreur.message));
    return Object.assign(moteur, { chercher: () => ({ fin: Promise.resolve(null), annuler() {} }) });
  }

  const envoyer = (ligne) => {
    sur_ligne('>', ligne);
    worker.postMessage(ligne);
  };

  const lancer_suivante = () => {
    while (!en_cours && file.length) {
      const r = file.shift();
      if (r.annulee) {
        r.resoudre(null);
        continue;
      }
      en_cours = r;
      envoyer(r.position);
      envoyer(r.go);
    }
    if (pret) etat_au_repos();
  };

  worker.addEventListener('message', ({ data }) => {
    const ligne = String(data);
    sur_ligne('<', ligne);
    const mot = ligne.split(' ', 1)[0];
    if (mot === 'id' && ligne.startsWith('id name ')) moteur.nom = ligne.slice(8);
    if (mot === 'uciok') {
      pret = true;
      etat_au_repos();
    } else if (mot === 'info' && en_cours && !en_cours.annulee) {
      en_cours.sur_info(ligne);
    } else if (mot === 'bestmove' && en_cours) {
      const r = en_cours;
      en_cours = null;
      const coup = ligne.split(/\s+/)[1];
      r.resoudre(r.annulee || coup === '0000' ? null : coup);
      lancer_suivante();
    }
  });
  worker.addEventListener('error', (e) => {
    e.preventDefault();
    changer_etat('erreur', e.message || 'le moteur n’a pas pu démarrer');
  });

  // One search: position is a "position ..." line, go a "go ..." line. Returns { fin, annuler }:
  // fin resolves with the engine's move, or with null when the search was given up (or the
  // engine had no move); annuler gives it up.
  moteur.chercher = ({ position, go, sur_info = () => {} }) => {
    const r = { position, go, sur_info, infinie: /\binfinite\b/.test(go), annulee: false };
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

  envoyer('uci');
  return moteur;
}
