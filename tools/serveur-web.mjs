// SPDX-License-Identifier: GPL-3.0-or-later
// A tiny static server for the site: files only, no logic, the way any static host serves
// them. `node tools/serveur-web.mjs FOLDER [PORT]` serves FOLDER on 127.0.0.1 (port 8080 by
// default, 0 for a free one); `sert(folder, port)` does the same for the tests.
import { createReadStream } from 'node:fs';
import { stat } from 'node:fs/promises';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { pathToFileURL } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.json': 'application/json',
  '.wasm': 'application/wasm',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
  '.ico': 'image/x-icon',
  '.webmanifest': 'application/manifest+json',
  '.txt': 'text/plain; charset=utf-8',
  '.woff2': 'font/woff2',
};

// The file a request names inside the folder, or null when it would leave the folder.
function fichier_demande(racine, url) {
  let chemin;
  try {
    chemin = decodeURIComponent(new URL(url, 'http://x').pathname);
  } catch {
    return null;
  }
  if (chemin.includes('\0')) return null;
  const complet = normalize(join(racine, chemin));
  if (complet !== racine && !complet.startsWith(racine + sep)) return null;
  return chemin.endsWith('/') ? join(complet, 'index.html') : complet;
}

async function repond(racine, requete, reponse) {
  if (requete.method !== 'GET' && requete.method !== 'HEAD') {
    reponse.writeHead(405, { Allow: 'GET, HEAD' }).end();
    return;
  }
  let chemin = fichier_demande(racine, requete.url);
  let infos = chemin && (await stat(chemin).catch(() => null));
  if (infos?.isDirectory()) {
    // A folder without its final slash: where its index page is.
    reponse.writeHead(301, { Location: new URL(requete.url, 'http://x').pathname + '/' }).end();
    return;
  }
  if (!infos?.isFile()) {
    reponse.writeHead(404, { 'Content-Type': 'text/plain; charset=utf-8' }).end('introuvable\n');
    return;
  }
  // Revalidated at each load, as static hosts do: an unchanged file is not sent again (and
  // the browser keeps what it compiled from it).
  const etiquette = `"${infos.size.toString(16)}-${Math.floor(infos.mtimeMs).toString(16)}"`;
  const entetes = { ETag: etiquette, 'Cache-Control': 'no-cache' };
  if (requete.headers['if-none-match'] === etiquette) {
    reponse.writeHead(304, entetes).end();
    return;
  }
  reponse.writeHead(200, {
    ...entetes,
    'Content-Type': TYPES[extname(chemin).toLowerCase()] ?? 'application/octet-stream',
    'Content-Length': infos.size,
  });
  if (requete.method === 'HEAD') {
    reponse.end();
    return;
  }
  createReadStream(chemin).pipe(reponse);
}

// Serves `dossier` on 127.0.0.1:port (0: a free port). Resolves to {url, port, ferme()}.
export function sert(dossier, port = 0) {
  const racine = resolve(dossier);
  const serveur = createServer((requete, reponse) => {
    repond(racine, requete, reponse).catch(() => reponse.destroy());
  });
  return new Promise((accepte, refuse) => {
    serveur.once('error', refuse);
    serveur.listen(port, '127.0.0.1', () => {
      const vrai_port = serveur.address().port;
      accepte({
        url: `http://127.0.0.1:${vrai_port}`,
        port: vrai_port,
        ferme: () => new Promise((fini) => {
          serveur.closeAllConnections();
          serveur.close(() => fini());
        }),
      });
    });
  });
}

if (import.meta.url === pathToFileURL(process.argv[1] ?? '').href) {
  const [dossier, port = '8080'] = process.argv.slice(2);
  if (!dossier) {
    console.error('usage: node tools/serveur-web.mjs FOLDER [PORT]');
    process.exit(2);
  }
  const { url } = await sert(dossier, Number(port));
  console.log(`Quorvik: ${url}/ (Ctrl-C to stop)`);
}
