// SPDX-License-Identifier: GPL-3.0-or-later
// The engine in WebAssembly beside the native one, in one run (tools/web mesure [runs]):
// perft 6 and the benchmark's two "go depth 5" suites (positions and signature read from
// bench/banc.cpp) through the native engine, the worker in headless Chromium and the node
// launcher, each run in turn: the best of the runs and the median of their ratios to the
// native time of the same run (3 runs by default); the worker's start to "uciok"; how soon
// "stop" during "go infinite" is answered; the site's sizes, raw and gzipped.
import { spawn } from 'node:child_process';
import { readdirSync, readFileSync, statSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { demarre_worker, lance_chromium, ouvre_page, RACINE, sert_site, SITE } from '../tests/web/navigateur.mjs';

const TOURS = Number(process.argv[2] ?? 3);
const NATIF = process.env.QUORVIK_NATIF ?? join(RACINE, 'build', 'quorvik');
const LANCEUR = join(RACINE, 'build-web', 'quorvik');

// The suites of the benchmark, as position lines.
function suites() {
  const source = readFileSync(join(RACINE, 'bench', 'banc.cpp'), 'utf8');
  const suite = (nom) => {
    const corps = source.split(`const Tposition_banc ${nom}[] = {`)[1].split('\n};')[0];
    return [...corps.matchAll(/\{"[^"]*",((?:\s*"[^"]*")+)\}/g)].map((m) =>
      `position startpos moves ${[...m[1].matchAll(/"([^"]*)"/g)].map((c) => c[1]).join('')}`.trim());
  };
  const signature = (nom) => source.match(new RegExp(`${nom} =\\s*"([^"]*)"`))?.[1] ?? '';
  return [
    { nom: 'first search suite', lignes: suite('SUITE'), signature: signature('SIGNATURE_SUITE') },
    { nom: 'second search suite', lignes: suite('SECONDE_SUITE'), signature: signature('SIGNATURE_SECONDE_SUITE') },
  ];
}

// An engine as a process (native or launcher): lines in, lines out, with their times.
class Tprocessus {
  constructor(chemin) {
    this.debut = performance.now();
    this.enfant = spawn(chemin, [], { stdio: ['pipe', 'pipe', 'inherit'] });
    this.recues = [];
    this.lus = 0;
    this.attentes = [];
    let reste = '';
    this.enfant.stdout.on('data', (octets) => {
      const t = performance.now();
      const morceaux = (reste + octets).split('\n');
      reste = morceaux.pop();
      for (const ligne of morceaux) this.recues.push({ t, ligne });
      for (const a of this.attentes.splice(0)) a();
    });
  }
  envoie(...lignes) {
    this.enfant.stdin.write(lignes.map((l) => `${l}\n`).join(''));
    return performance.now();
  }
  async attend(debut) {
    for (;;) {
      const i = this.recues.findIndex((r, k) => k >= this.lus && r.ligne.startsWith(debut));
      if (i >= 0) {
        const lignes = this.recues.slice(this.lus, i + 1).map((r) => r.ligne);
        this.lus = i + 1;
        return { lignes, t: this.recues[i].t };
      }
      await new Promise((suite) => this.attentes.push(suite));
    }
  }
  termine() {
    this.enfant.stdin.end('quit\n');
    return new Promise((fini) => this.enfant.on('exit', fini));
  }
}

// One measure on a fresh engine made ready by "uci": the time from the first line to the
// last answer, and what the answers say (the signature).
async function mesure(moteur, lignes, fin, compte) {
  await moteur.envoie('uci');
  await moteur.attend('uciok');
  const t0 = await moteur.envoie(...lignes);
  const lues = [];
  let t = 0;
  for (let k = 0; k < compte; k++) ({ t } = await moteur.attend(fin).then((r) => (lues.push(...r.lignes), r)));
  await moteur.termine();
  const noeuds = lues.filter((l) => l.startsWith('info')).reduce((s, l) => s + Number(l.split(' ')[4]), 0);
  const coups = lues.filter((l) => l.startsWith('bestmove')).map((l) => l.slice(9)).join(' ');
  const signature = fin === 'bestmove' ? `nodes ${noeuds}, moves ${coups}` : lues.at(-1);
  return { ms: t - t0, signature };
}

const taches = [{ nom: 'perft 6', lignes: ['perft depth 6'], fin: '6 >', compte: 1 },
  ...suites().map((s) => ({ ...s, lignes: s.lignes.flatMap((l) => [l, 'go depth 5']), fin: 'bestmove', compte: s.lignes.length }))];

const site = await sert_site(SITE);
const navigateur = await lance_chromium();
const page = await ouvre_page(navigateur, `${site.url}/quorvik-worker.js`);
// A worker that stays alive, as the page's engine does: the workers started after it share
// the code V8 compiled and optimised for it (the same module in one process).
const garde = await demarre_worker(page);
await garde.envoie('perft depth 5', ...taches[1].lignes);
for (let k = 0; k < taches[1].compte; k++) await garde.attend('bestmove');
const formes = {
  native: () => new Tprocessus(NATIF),
  worker: () => demarre_worker(page),
  launcher: () => new Tprocessus(LANCEUR),
};

console.log(`${TOURS} runs of each form in turn, each on a fresh engine: the best time, its ratio to the`);
console.log('native best, and the median of the runs\' ratios to the native time of the same run');
let echec = false;
for (const tache of taches) {
  const temps = {};
  const signatures = {};
  for (let tour = 0; tour < TOURS; tour++) {
    for (const [forme, cree] of Object.entries(formes)) {
      const { ms, signature } = await mesure(await cree(), tache.lignes, tache.fin, tache.compte);
      (temps[forme] ??= []).push(ms);
      (signatures[forme] ??= new Set()).add(signature);
    }
  }
  const toutes = new Set(Object.values(signatures).flatMap((s) => [...s]));
  const pareil = toutes.size === 1 && (!tache.signature || toutes.has(tache.signature));
  echec ||= !pareil;
  // Each run's forms follow one another within a second or two: the ratio of each run is
  // less at the mercy of the machine's other work than the ratio of the best times.
  const mediane = (v) => [...v].sort((a, b) => a - b)[Math.floor(v.length / 2)];
  const s = (f) => `${(Math.min(...temps[f]) / 1000).toFixed(3)} s (ratios: of the best ${
    (Math.min(...temps[f]) / Math.min(...temps.native)).toFixed(2)}, median ${
    mediane(temps[f].map((t, k) => t / temps.native[k])).toFixed(2)})`;
  console.log(`${tache.nom}: native ${(Math.min(...temps.native) / 1000).toFixed(3)} s, worker ${s('worker')}, launcher ${
    s('launcher')}; ${pareil ? 'same' : 'DIFFERENT'} signature: ${[...toutes].join(' | ')}`);
}

// The worker's start (new Worker) to "uciok", loading and compiling included.
const demarrages = [];
for (let tour = 0; tour < 5; tour++) {
  const { debut, fin } = await page.evaluate(() => new Promise((fini) => {
    const debut = performance.now();
    const w = new Worker('quorvik-worker.js');
    w.onmessage = (e) => { if (e.data === 'uciok') { fini({ debut, fin: performance.now() }); w.terminate(); } };
    w.postMessage('uci');
  }));
  demarrages.push(fin - debut);
}
demarrages.sort((a, b) => a - b);
console.log(`worker start to uciok: ${demarrages.map((d) => d.toFixed(0)).join(', ')} ms (median ${demarrages[2].toFixed(0)})`);

// "stop" during "go infinite": from the post to "bestmove", once a second for 10 s.
const moteur = await demarre_worker(page);
await moteur.envoie('position startpos', 'go infinite');
await moteur.attend('info depth 5');
const latences = [];
for (let tour = 0; tour < 10; tour++) {
  await new Promise((suite) => setTimeout(suite, 1000));
  const t0 = await moteur.envoie('stop');
  latences.push((await moteur.attend('bestmove')).t - t0);
  await moteur.envoie('go infinite');
}
await moteur.envoie('stop');
await moteur.attend('bestmove');
const t0 = await moteur.envoie('go infinite', 'isready');
const pret = (await moteur.attend('readyok')).t - t0;
latences.sort((a, b) => a - b);
console.log(`stop to bestmove in the worker: median ${latences[5].toFixed(1)} ms, longest ${latences[9].toFixed(1)} ms; isready during a search: readyok in ${pret.toFixed(1)} ms`);

await navigateur.close();
await site.ferme();

const taille = (chemin) => {
  const octets = readFileSync(chemin);
  return `${(octets.length / 1024).toFixed(1)} kB raw, ${(gzipSync(octets, { level: 9 }).length / 1024).toFixed(1)} kB gzip`;
};
for (const f of ['quorvik-worker.wasm', 'quorvik-worker.js']) console.log(`${f}: ${taille(join(SITE, f))}`);
const autres = (dossier) => readdirSync(dossier, { withFileTypes: true }).flatMap((e) =>
  e.isDirectory() ? autres(join(dossier, e.name)) : [join(dossier, e.name)]);
const page_seule = autres(SITE).filter((f) => !/quorvik-worker\.(js|wasm)$/.test(f));
const brut = page_seule.reduce((s, f) => s + statSync(f).size, 0);
const gz = page_seule.reduce((s, f) => s + gzipSync(readFileSync(f), { level: 9 }).length, 0);
console.log(`the page (${page_seule.length} files): ${(brut / 1024).toFixed(1)} kB raw, ${(gz / 1024).toFixed(1)} kB gzip`);
process.exit(echec ? 1 : 0);
