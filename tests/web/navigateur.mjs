// SPDX-License-Identifier: GPL-3.0-or-later
// What the browser tests share: the site served on a free port, headless Chromium, and the
// engine's worker driven from a page, its lines collected with the page's own clock.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { sert } from '../../tools/serveur-web.mjs';

export const RACINE = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
export const SITE = join(RACINE, 'build-web', 'site');

// The static server on a free port: {url, port, ferme()}.
export function sert_site(dossier = SITE) {
  return sert(dossier, 0);
}

// Headless Chromium with a profile of its own (removed when it closes). Without the
// background-networking flags it keeps trying hosts this machine cannot reach.
export async function lance_chromium(options = {}) {
  const profil = mkdtempSync(join(tmpdir(), 'quorvik-chromium-'));
  const navigateur = await puppeteer.launch({
    executablePath: process.env.QUORVIK_CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    userDataDir: profil,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--disable-dev-shm-usage'],
    ...options,
  });
  const efface = () => {
    try {
      rmSync(profil, { recursive: true, force: true, maxRetries: 5 });
    } catch { /* a file Chromium still writes: left in the temporary folder */ }
  };
  const processus = navigateur.process();
  if (processus.exitCode === null) processus.once('exit', efface); else efface();
  return navigateur;
}

// A new page at `url` (in `navigateur`, a browser or one of its contexts) whose console
// errors and uncaught exceptions are kept in page.erreurs (a page test expects it empty);
// `langues` stands for the browser's languages.
export async function ouvre_page(navigateur, url, { langues } = {}) {
  const page = await navigateur.newPage();
  if (langues) {
    await page.evaluateOnNewDocument((l) => Object.defineProperty(navigator, 'languages', { get: () => l }), langues);
  }
  page.erreurs = [];
  page.on('console', (m) => { if (m.type() === 'error') page.erreurs.push(m.text()); });
  page.on('pageerror', (e) => page.erreurs.push(String(e)));
  await page.goto(url, { waitUntil: 'load' });
  return page;
}

// The engine's worker started inside `page` (a page of the site's origin). Lines are
// posted one per message; every line the worker posts is kept with the page's time, and
// wakes the waits of attend() (no polling: the page's thread stays free for the worker).
export async function demarre_worker(page, chemin = 'quorvik-worker.js') {
  const numero = await page.evaluate((chemin) => {
    const moteurs = (window.__quorvik_moteurs ??= []);
    const m = { worker: new Worker(chemin), recues: [], attentes: new Set() };
    const recoit = (r) => {
      m.recues.push(r);
      for (const a of m.attentes) a();
    };
    m.worker.onmessage = (e) => recoit({ t: performance.now(), ligne: e.data });
    m.worker.onerror = (e) => recoit({ t: performance.now(), erreur: e.message });
    moteurs.push(m);
    return moteurs.length - 1;
  }, chemin);
  return new Tmoteur_web(page, numero);
}

class Tmoteur_web {
  constructor(page, numero) {
    this.page = page;
    this.numero = numero;
    this.lus = 0; // lines already handed out by attend()
  }

  // Posts each line as one message; resolves to the page's time of the last post.
  envoie(...lignes) {
    return this.page.evaluate((n, lignes) => {
      const m = window.__quorvik_moteurs[n];
      for (const l of lignes) m.worker.postMessage(l);
      return performance.now();
    }, this.numero, lignes);
  }

  // Waits for a line that starts with `debut` (a string) or matches it (a RegExp), or for
  // the line of rank `debut` (a number) counted from the lines not yet handed out. Resolves
  // to {lignes, t}: the lines up to that one and its time; rejects after `delai_ms`, or on
  // an error in the worker.
  async attend(debut, delai_ms = 60000) {
    const motif = debut instanceof RegExp ? debut.source : null;
    const rang = typeof debut === 'number' ? this.lus + debut : null;
    const { erreur, fin, t, lignes } = await this.page.evaluate((n, depuis, motif, texte, rang, delai) =>
      new Promise((fini) => {
        const m = window.__quorvik_moteurs[n];
        let i = depuis;
        const essaie = () => {
          for (; i < m.recues.length; i++) {
            const r = m.recues[i];
            const trouve = r.erreur !== undefined || (rang !== null ? i + 1 >= rang
              : motif !== null ? new RegExp(motif).test(r.ligne) : r.ligne.startsWith(texte));
            if (!trouve) continue;
            clearTimeout(minuterie);
            m.attentes.delete(essaie);
            fini({ erreur: r.erreur, fin: i + 1, t: r.t, lignes: m.recues.slice(depuis, i + 1).map((x) => x.ligne) });
            return;
          }
        };
        const minuterie = setTimeout(() => {
          m.attentes.delete(essaie);
          fini({ erreur: `nothing after ${delai} ms` });
        }, delai);
        m.attentes.add(essaie);
        essaie();
      }), this.numero, this.lus, motif, typeof debut === 'string' ? debut : null, rang, delai_ms);
    if (erreur !== undefined) throw new Error(`worker: ${erreur} (waiting for ${debut})`);
    this.lus = fin;
    return { lignes, t };
  }

  // Every message received so far: [{t, ligne}].
  recues() {
    return this.page.evaluate((n) => window.__quorvik_moteurs[n].recues, this.numero);
  }

  // A whole session: posts the lines at once, waits for `nombre` lines (what the native
  // engine prints for them), then asks "isready" so that any line beyond them shows before
  // its "readyok". Resolves to every line printed before that "readyok".
  async session(lignes, nombre, delai_ms = 120000) {
    await this.envoie(...lignes);
    const { lignes: recues } = nombre > 0 ? await this.attend(nombre, delai_ms) : { lignes: [] };
    await this.envoie('isready');
    const { lignes: suite } = await this.attend('readyok', delai_ms);
    return [...recues, ...suite.slice(0, -1)];
  }

  termine() {
    return this.page.evaluate((n) => window.__quorvik_moteurs[n].worker.terminate(), this.numero);
  }
}

