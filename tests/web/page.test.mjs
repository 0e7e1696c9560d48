// SPDX-License-Identifier: GPL-3.0-or-later
// The page through its own controls, in headless Chromium with the engine's real worker. Each
// test ends with a screenshot in build-web/captures/ and with no console error on the page.
import assert from 'node:assert/strict';
import { mkdirSync, mkdtempSync, readFileSync, readdirSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { Chess } from '../../web/node_modules/chess.js/dist/esm/chess.js';
import { RACINE, lance_chromium, ouvre_page, sert_site } from './navigateur.mjs';

const CAPTURES = join(RACINE, 'build-web', 'captures');
let serveur;
let navigateur;
before(async () => {
  mkdirSync(CAPTURES, { recursive: true });
  serveur = await sert_site();
  navigateur = await lance_chromium();
});
after(async () => {
  await navigateur?.close();
  await serveur?.ferme();
});

// A test on a fresh page whose engine is loaded; a phone's screen with touch when mobile.
function essai(nom, { mobile = false } = {}, corps) {
  test(nom.replaceAll('-', ' '), async (t) => {
    const page = await ouvre_page(navigateur, serveur.url + '/');
    const ecran = mobile ? { width: 390, height: 844, isMobile: true, hasTouch: true } : { width: 1200, height: 820 };
    await page.setViewport(ecran);
    try {
      await page.waitForFunction(() => document.getElementById('etat-moteur').dataset.etat === 'repos');
      await corps(page, t);
    } finally {
      await new Promise((r) => setTimeout(r, 300)); // the board's last move drawn to its end
      await page.screenshot({ path: join(CAPTURES, `page-${nom}.png`), fullPage: mobile });
      await page.close();
    }
    assert.deepEqual(page.erreurs, []);
  });
}

const lire = (page, selecteur) => page.$eval(selecteur, (e) => e.value ?? e.textContent);
const coups = (page) => page.$$eval('#coups .coup', (l) => l.map((e) => e.textContent));

async function centre(page, sq) {
  return page.evaluate((sq) => {
    const r = document.querySelector('cg-board').getBoundingClientRect();
    const noir = document.querySelector('.cg-wrap').classList.contains('orientation-black');
    const [x, y] = [sq.charCodeAt(0) - 97, 8 - Number(sq[1])];
    return { x: r.left + ((noir ? 7 - x : x) + 0.5) * (r.width / 8), y: r.top + ((noir ? 7 - y : y) + 0.5) * (r.height / 8) };
  }, sq);
}

// A move on the board as a person makes it: two clicks, a drag, or two taps; then the
// promotion piece, if any, from the choice that opens.
async function jouer(page, { from, to, promotion }, facon) {
  await page.$eval('#plateau', (e) => e.scrollIntoView({ block: 'nearest' }));
  const [a, b] = [await centre(page, from), await centre(page, to)];
  if (facon === 'glisse') {
    await page.mouse.move(a.x, a.y);
    await page.mouse.down();
    await page.mouse.move(b.x, b.y, { steps: 6 });
    await page.mouse.up();
  } else if (facon === 'tape') {
    await page.touchscreen.tap(a.x, a.y);
    await page.touchscreen.tap(b.x, b.y);
  } else {
    await page.mouse.click(a.x, a.y);
    await page.mouse.click(b.x, b.y);
  }
  if (promotion) {
    await page.waitForSelector('#promotion[open]');
    await page[facon === 'tape' ? 'tap' : 'click'](`#promotion button[value="${promotion}"]`);
  }
}

// Waits until the engine has answered and the player may move, or the game is over.
async function a_vous(page) {
  await page.waitForFunction(() => {
    const a = document.getElementById('annonce');
    return a.classList.contains('fin') || a.textContent.includes('à vous');
  }, { timeout: 30000 });
}

// The UCI log as the page keeps it: [{ t (ms), sens ('>' sent, '<' received), ligne }].
async function journal(page) {
  await page.$eval('#journal-zone', (d) => (d.open = true));
  const texte = await lire(page, '#journal');
  return texte.split('\n').map((l) => {
    const [, t, sens, ligne] = /^(\S+) (.) (.*)$/.exec(l);
    return { t: Number(t) * 1000, sens, ligne };
  });
}

// A click on a control, its folded section opened first as a person would.
async function cliquer(page, selecteur) {
  await page.$eval(selecteur, (e) => e.closest('details')?.setAttribute('open', ''));
  await page.click(selecteur);
}

async function saisir(page, selecteur, texte) {
  await page.$eval(selecteur, (e, texte) => {
    e.closest('details')?.setAttribute('open', '');
    e.value = texte;
  }, texte);
}

// The page's game replayed by the rules library here: throws on a move it finds illegal.
function rejouer(fen, sans) {
  const partie = new Chess(fen);
  for (const san of sans) partie.move(san);
  return partie;
}

essai('partie-entiere', {}, async (page) => {
  await page.setOfflineMode(true); // once loaded, the page needs no network
  await page.select('#force', 'depth 1');
  let partie;
  for (let n = 0; ; n++) {
    await a_vous(page);
    partie = rejouer(undefined, await coups(page));
    assert.equal(await lire(page, '#fen-actuelle'), partie.fen());
    if (partie.isGameOver() || partie.history().length >= 60) break;
    // A mate if there is one, else a capture, else any move: the game may end sooner.
    const legaux = partie.moves({ verbose: true });
    const coup = legaux.find((c) => c.san.endsWith('#')) ?? legaux.find((c) => c.captured) ?? legaux[(n * 7) % legaux.length];
    await jouer(page, coup, n % 2 ? 'glisse' : 'clic');
    await page.waitForFunction((n) => document.querySelectorAll('#coups .coup').length > n, {}, partie.history().length);
  }
  if (partie.isGameOver()) assert.match(await lire(page, '#annonce'), /mat|Pat|Nulle/);
  // Every engine answer is the move the page played for it.
  const reponses = (await journal(page)).filter((l) => l.ligne.startsWith('bestmove')).map((l) => l.ligne.split(' ')[1]);
  assert.deepEqual(reponses, partie.history({ verbose: true }).filter((c) => c.color === 'b').map((c) => c.lan));
  assert.equal(await lire(page, '#message'), '');
});

essai('reprendre', {}, async (page) => {
  // Taken back while the engine thinks: its late answer is not played.
  await page.select('#force', 'movetime 1000');
  await jouer(page, { from: 'e2', to: 'e4' }, 'clic');
  await page.waitForFunction(() => document.getElementById('etat-moteur').dataset.etat === 'reflexion');
  await cliquer(page, '#reprendre');
  await page.waitForFunction(() => document.getElementById('etat-moteur').dataset.etat === 'repos');
  assert.deepEqual(await coups(page), []);
  assert.equal(await lire(page, '#fen-actuelle'), new Chess().fen());
  // Taken back after the answer: the player's move and the engine's reply go.
  await page.select('#force', 'depth 2');
  await jouer(page, { from: 'd2', to: 'd4' }, 'glisse');
  await page.waitForFunction(() => document.querySelectorAll('#coups .coup').length === 2);
  await a_vous(page);
  await jouer(page, { from: 'c2', to: 'c4' }, 'clic');
  await page.waitForFunction(() => document.querySelectorAll('#coups .coup').length === 4);
  await a_vous(page);
  await cliquer(page, '#reprendre');
  assert.deepEqual((await coups(page)).slice(0, 1), ['d4']);
  assert.equal((await coups(page)).length, 2);
});

essai('fen', {}, async (page) => {
  await page.select('#force', 'depth 2');
  const avant = await lire(page, '#fen-actuelle');
  for (const [fen, raison] of [
    ['4k3/8/8/8/8/8/4R3/4K3 w - - 0 1', 'pas le trait est en échec'],
    ['8/8/8/8/8/8/8/K7 w - - 0 1', 'roi noir'],
    ['rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1', 'w ou b'],
    ['bonjour', 'au moins'],
  ]) {
    await saisir(page, '#fen', fen);
    await cliquer(page, '#form-fen button');
    assert.match(await lire(page, '#message'), new RegExp(raison));
    assert.equal(await page.$eval('#message', (e) => e.classList.contains('erreur')), true);
    assert.equal(await lire(page, '#fen-actuelle'), avant);
  }
  // A game from a position with black to move: the engine, black, answers from it.
  const fen = 'r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 2 3';
  await saisir(page, '#fen', fen);
  await cliquer(page, '#form-fen button');
  await a_vous(page);
  const [reponse] = await coups(page);
  assert.equal((await lire(page, '#coups')).startsWith('3…'), true);
  assert.ok((await journal(page)).some((l) => l.ligne === `position fen ${fen}`));
  await jouer(page, { from: 'f1', to: 'c4' }, 'clic');
  await a_vous(page);
  const partie = rejouer(fen, await coups(page));
  assert.equal(partie.history()[0], reponse);
  assert.ok((await journal(page)).some((l) => l.ligne.startsWith(`position fen ${fen} moves ${partie.history({ verbose: true })[0].lan} f1c4`)));
});

essai('pgn', {}, async (page) => {
  await navigateur.defaultBrowserContext().overridePermissions(serveur.url, ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
  const dossier = mkdtempSync(join(tmpdir(), 'quorvik-pgn-'));
  const cdp = await navigateur.target().createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: dossier });
  await page.select('#force', 'depth 1');
  for (const coup of [{ from: 'e2', to: 'e4' }, { from: 'g1', to: 'f3' }]) {
    await jouer(page, coup, 'clic');
    await page.waitForFunction((n) => document.querySelectorAll('#coups .coup').length === n, {}, coup.to === 'e4' ? 2 : 4);
    await a_vous(page);
  }
  const sans = await coups(page);
  const fen = await lire(page, '#fen-actuelle');
  await cliquer(page, '#copier-pgn');
  await page.waitForFunction(() => document.getElementById('message').textContent.includes('copié'));
  const copie = await page.evaluate(() => navigator.clipboard.readText());
  await cliquer(page, '#telecharger-pgn');
  const fichier = await attendre_fichier(dossier);
  assert.equal(readFileSync(join(dossier, fichier), 'utf8'), copie);
  assert.match(copie, /\[White "Joueur"\]\n\[Black "Quorvik[^"]*"\]\n\[Result "\*"\]/);
  const relue = new Chess();
  relue.loadPgn(copie);
  assert.deepEqual(relue.history(), sans);

  // Refused: nothing changes. Then re-imported into a new game.
  await cliquer(page, '#nouvelle');
  await saisir(page, '#pgn', copie.replace(/2\. Nf3/, '2. Ke3'));
  await cliquer(page, '#importer-pgn');
  assert.match(await lire(page, '#message'), /coup Ke3 est illégal/);
  assert.deepEqual(await coups(page), []);
  await saisir(page, '#pgn', copie);
  await cliquer(page, '#importer-pgn');
  assert.deepEqual(await coups(page), sans);
  assert.equal(await lire(page, '#fen-actuelle'), fen);

  // The ends of a game, shown when a position or a game brings them.
  const fins = [
    ['[FEN "7k/6Q1/6K1/8/8/8/8/8 b - - 0 1"]\n\n*', 'Échec et mat : les blancs gagnent'],
    ['[FEN "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"]\n\n*', 'Pat'],
    ['[FEN "8/8/8/4k3/8/8/8/KB6 w - - 0 1"]\n\n*', 'matériel insuffisant'],
    ['[FEN "8/8/8/4k3/8/8/8/K1R5 w - - 99 80"]\n\n80. Rb1 *', 'cinquante coups'],
    ['1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3 Nf6 4. Ng1 Ng8 *', 'triple répétition'],
  ];
  for (const [pgn, texte] of fins) {
    await saisir(page, '#pgn', pgn);
    await cliquer(page, '#importer-pgn');
    assert.match(await lire(page, '#annonce'), new RegExp(texte));
  }
});

async function attendre_fichier(dossier) {
  for (let i = 0; i < 100; i++) {
    const f = readdirSync(dossier).find((n) => n.endsWith('.pgn'));
    if (f) return f;
    await new Promise((r) => setTimeout(r, 50));
  }
  throw new Error('no PGN downloaded');
}

essai('analyse', {}, async (page, t) => {
  // Black a queen up and to move: the score, from white's side, is negative.
  await cliquer(page, '#analyser');
  await saisir(page, '#fen', 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR b KQkq - 0 1');
  await cliquer(page, '#form-fen button');
  const profondeur = (n) => page.waitForFunction((n) => Number(document.getElementById('a-profondeur').textContent) >= n, { timeout: 30000 }, n);
  await profondeur(3);
  assert.match(await lire(page, '#a-score'), /^−/);
  assert.ok(await page.$('.cg-shapes line, .cg-shapes path'));
  // The position changes: the search is stopped, its answer awaited, then the new one starts.
  await jouer(page, { from: 'e7', to: 'e5' }, 'glisse');
  await profondeur(4);
  await cliquer(page, '#analyser');
  await page.waitForFunction(() => document.getElementById('etat-moteur').dataset.etat === 'repos');
  const lignes = (await journal(page)).filter((l) => /^(go|stop|bestmove|position)/.test(l.ligne));
  const suite = lignes.map((l) => l.ligne.split(' ')[0]).join(' ');
  assert.match(suite, /^position go stop bestmove position go stop bestmove position go stop bestmove$/);
  const arret = lignes.at(-2);
  const reponse = lignes.at(-1);
  t.diagnostic(`bestmove ${reponse.t - arret.t} ms after stop`);
  assert.ok(reponse.t - arret.t <= 50);
  assert.deepEqual(await coups(page), ['e5']);
});

essai('telephone', { mobile: true }, async (page) => {
  // Black on a phone, by taps: the engine opens; a pawn promoted to a knight later.
  await page.select('#force', 'depth 1');
  await page.select('#camp', 'black');
  await a_vous(page);
  assert.equal((await coups(page)).length, 1);
  const partie = rejouer(undefined, await coups(page));
  const reponse = partie.moves({ verbose: true }).find((c) => c.from === 'g8');
  await jouer(page, reponse, 'tape');
  await page.waitForFunction(() => document.querySelectorAll('#coups .coup').length === 3);
  await a_vous(page);
  await page.select('#camp', 'white');
  await saisir(page, '#fen', '8/4P3/8/8/8/k7/8/K7 w - - 0 1');
  await cliquer(page, '#form-fen button');
  await jouer(page, { from: 'e7', to: 'e8', promotion: 'n' }, 'tape');
  await page.waitForFunction(() => document.getElementById('annonce').classList.contains('fin'));
  assert.match(await lire(page, '#annonce'), /matériel insuffisant/);
  assert.equal((await coups(page))[0], 'e8=N');
  await cliquer(page, '#retourner');
});
