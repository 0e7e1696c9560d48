// SPDX-License-Identifier: GPL-3.0-or-later
// The engine in WebAssembly against the native one: the sessions of tests/sessions/ give the
// same lines (times and speeds aside) through the worker in Chromium and through the node
// launcher; the worker hears "stop", "isready" and "quit" during a search.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { demarre_worker, lance_chromium, ouvre_page, RACINE, sert_site } from './navigateur.mjs';

const SESSIONS = join(RACINE, 'tests', 'sessions');
const NATIF = join(RACINE, 'build', 'quorvik');
const LANCEUR = join(RACINE, 'build-web', 'quorvik');

// Times and speeds aside, and the memo's largest size, which is the platform's.
const sans_temps = (l) =>
  l.replace(/ time \d+ nps \d+( |$)/, ' time - nps -$1').replace(/^(option name Hash .* max )\d+$/, '$1N');
const lignes_de = (sortie) => sortie.split('\n').slice(0, -1).map(sans_temps);
const execute = (moteur, script) => execFileSync(moteur, { input: script, encoding: 'utf8' });

let site, navigateur, page;
before(async () => {
  site = await sert_site();
  navigateur = await lance_chromium();
  page = await ouvre_page(navigateur, `${site.url}/quorvik-worker.js`);
});
after(async () => {
  await navigateur?.close();
  await site?.ferme();
});

for (const nom of readdirSync(SESSIONS).filter((f) => f.endsWith('.uci'))) {
  const script = readFileSync(join(SESSIONS, nom), 'utf8');
  const attendu = lignes_de(execute(NATIF, script));

  test(`${nom}: the worker prints the native lines`, async () => {
    // Posted at once, before the engine is loaded: nothing may be lost.
    const moteur = await demarre_worker(page);
    const lignes = script.split('\n').slice(0, -1);
    const recues = await moteur.session(lignes, attendu.length);
    await moteur.termine();
    assert.deepEqual(recues.map(sans_temps), attendu);
  });

  test(`${nom}: the launcher prints the native lines`, () => {
    assert.deepEqual(lignes_de(execute(LANCEUR, script)), attendu);
  });
}

test('the worker hears stop, isready and quit during a search', async () => {
  const moteur = await demarre_worker(page);
  await moteur.envoie('position startpos', 'go infinite');
  // As in the native timing tests: each answer well within 250 ms, the median of three
  // within 50 ms, so that one sample held back by the machine (a fresh worker's code still
  // being compiled) does not fail the run.
  const prets = [];
  const arrets = [];
  for (let tour = 0; tour < 3; tour++) {
    await moteur.attend('info depth 5');
    await new Promise((suite) => setTimeout(suite, 100 * tour));
    const pret = await moteur.envoie('isready');
    const { lignes, t } = await moteur.attend('readyok');
    assert.ok(lignes.slice(0, -1).every((l) => l.startsWith('info')), lignes.join('\n'));
    prets.push(t - pret);
    const envoi = await moteur.envoie('stop');
    arrets.push((await moteur.attend('bestmove')).t - envoi);
    await moteur.envoie('go infinite');
  }
  const mediane = (v) => [...v].sort((a, b) => a - b)[1];
  for (const [nom, v] of [['readyok after isready', prets], ['bestmove after stop', arrets]]) {
    assert.ok(Math.max(...v) < 250 && mediane(v) < 50, `${nom}: ${v.map((d) => d.toFixed(1)).join(', ')} ms`);
  }
  // "quit" ends the search with its answer, then the engine: nothing answers any more.
  await moteur.attend('info depth 5');
  await moteur.envoie('quit', 'isready');
  await moteur.attend('bestmove');
  await new Promise((suite) => setTimeout(suite, 300));
  assert.deepEqual((await moteur.recues()).slice(moteur.lus), []);
});
