#!/usr/bin/env node
// SPDX-License-Identifier: GPL-3.0-or-later
// Puts the page into a site folder: its own files as they are, and the board and rules
// libraries copied from node_modules (installed from the lock file by `npm ci --prefix web`)
// with their licence files, so that the site needs nothing from another host.
// Usage: node web/construit.mjs <site-dir>
import { cpSync, existsSync, mkdirSync, readdirSync, readFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
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

cpSync(join(ici, 'index.html'), join(site, 'index.html'));
for (const f of ['style.css', 'favicon.svg']) cpSync(join(ici, f), join(site, f));
mkdirSync(join(site, 'src'), { recursive: true });
for (const f of readdirSync(join(ici, 'src'))) cpSync(join(ici, 'src', f), join(site, 'src', f));
// The project's own licence beside the page, when the tree has one.
for (const f of ['LICENSE', 'COPYING']) {
  if (existsSync(join(ici, '..', f))) cpSync(join(ici, '..', f), join(site, f));
}
