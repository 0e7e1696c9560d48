#!/usr/bin/env node
// SPDX-License-Identifier: GPL-3.0-or-later
// Puts the page into a site folder: its own files as they are, and the board and rules
// libraries copied from node_modules (installed from the lock file by `npm ci --prefix web`)
// with their licence files, so that the site needs nothing from another host.
// Usage: node web/construit.mjs <site-dir>
import { createHash } from 'node:crypto';
import { cpSync, existsSync, mkdirSync, readdirSync, readFileSync, statSync, writeFileSync } from 'node:fs';
import { dirname, join, relative, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const ici = dirname(fileURLToPath(import.meta.url));
const site = process.argv[2];
if (!site) {
  console.error('usage: node web/construit.mjs <site-dir>');
  process.exit(2);
}

// Each library: the files the page loads, where they go, and its licence.
const bibliotheques = {
  chessground: {
    'dist/chessground.min.js': 'chessground.js',
    'assets/chessground.base.css': 'chessground.base.css',
    'assets/chessground.brown.css': 'chessground.brown.css',
    'assets/chessground.cburnett.css': 'chessground.cburnett.css',
    LICENSE: 'LICENSE',
  },
  'chess.js': {
    'dist/esm/chess.js': 'chess.js',
    LICENSE: 'LICENSE',
  },
};

for (const [nom, fichiers] of Object.entries(bibliotheques)) {
  const source = join(ici, 'node_modules', nom);
  if (!existsSync(source)) {
    console.error(`construit.mjs: ${source} is missing; run npm ci --prefix web first`);
    process.exit(1);
  }
  const version = JSON.parse(readFileSync(join(source, 'package.json'), 'utf8')).version;
  const cible = join(site, 'vendor', nom);
  mkdirSync(cible, { recursive: true });
  for (const [de, vers] of Object.entries(fichiers)) cpSync(join(source, de), join(cible, vers));
  console.log(`${nom} ${version} -> ${resolve(cible)}`);
}

for (const f of ['index.html', 'style.css', 'favicon.svg', 'icone.svg', 'icone-192.png', 'icone-512.png', 'quorvik.webmanifest', 'quorvik-veille.js']) {
  cpSync(join(ici, f), join(site, f));
}
mkdirSync(join(site, 'src'), { recursive: true });
for (const f of readdirSync(join(ici, 'src'))) cpSync(join(ici, 'src', f), join(site, 'src', f));
// The project's own licence beside the page, when the tree has one.
for (const f of ['LICENSE', 'COPYING']) {
  if (existsSync(join(ici, '..', f))) cpSync(join(ici, '..', f), join(site, f));
}

// The service worker, with the build's name and the list of every file of the site (the
// engine's worker and its wasm included, built before this script runs): a build whose files
// differ in any byte gets a cache of its own.
const fichiers = [];
const parcourir = (dossier) => {
  for (const nom of readdirSync(dossier).sort()) {
    const chemin = join(dossier, nom);
    if (statSync(chemin).isDirectory()) parcourir(chemin);
    else if (nom !== 'hors-ligne.js') fichiers.push(relative(site, chemin).split(sep).join('/'));
  }
};
parcourir(site);
const empreinte = createHash('sha256');
for (const f of fichiers) empreinte.update(f).update(readFileSync(join(site, f)));
const version = empreinte.digest('hex').slice(0, 16);
const service = readFileSync(join(ici, 'hors-ligne.js'), 'utf8').replace(
  /^const SITE = .*$/m,
  `const SITE = ${JSON.stringify({ version, fichiers: ['./', ...fichiers] })};`,
);
writeFileSync(join(site, 'hors-ligne.js'), service);
console.log(`hors-ligne.js: ${fichiers.length} files, build ${version}`);
