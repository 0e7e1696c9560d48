// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's console in WebAssembly (emitted before the engine's loader, --pre-js).
//
// In a Web Worker: each message is one line of input (a string; a line feed is added), and
// each line the engine prints is posted back as one string, without its line feed. "quit"
// ends the worker. In node (the launcher build-web/quorvik): standard input and output, as
// the native engine has them. Either way the bytes wait in `console_web` until the engine
// reads them through descriptor 0 (entree_web.js).

var console_web = {
  morceaux: [],       // bytes received, not yet read (Uint8Array each)
  fin: false,         // no more input will come (the end of node's standard input)
  en_attente: null,   // a read waiting for input: called when some comes
  sortie_fermee: false,  // nobody reads the answers any more (node: EPIPE)
  dernier_tour: 0,    // when the event loop last had a turn (performance.now() ms)
  cede: null,         // gives the event loop a turn, then calls its argument
};

function console_web_recoit(octets) {
  if (octets.length > 0) console_web.morceaux.push(octets);
  var suite = console_web.en_attente;
  console_web.en_attente = null;
  if (suite) suite();
}

(function () {
  var noeud = typeof process === 'object' && typeof process.versions === 'object' &&
    typeof process.versions.node === 'string';
  var encodeur = new TextEncoder();
  Module['noInitialRun'] = true;  // started below, once the runtime is up

  // A turn of the event loop, to take in the lines that came meanwhile. A MessageChannel
  // message comes back at once; a zero timeout would be clamped to 4 ms after a few.
  if (noeud) {
    console_web.cede = function (suite) { setImmediate(suite); };
  } else {
    var canal = new MessageChannel();
    var suites = [];
    canal.port1.onmessage = function () { suites.shift()(); };
    console_web.cede = function (suite) {
      suites.push(suite);
      canal.port2.postMessage(0);
    };
  }

  var termine;
  if (noeud) {
    // Read beside this file: the loader would fetch it, which node cannot do from a path.
    Module['wasmBinary'] = require('fs').readFileSync(__dirname + '/quorvik-worker.wasm');
    process.stdin.on('data', function (octets) { console_web_recoit(new Uint8Array(octets)); });
    process.stdin.on('end', function () {
      console_web.fin = true;
      console_web_recoit(new Uint8Array(0));
    });
    process.stdout.on('error', function () { console_web.sortie_fermee = true; });
    Module['print'] = function (ligne) {
      if (!console_web.sortie_fermee) process.stdout.write(ligne + '\n');
    };
    termine = function (statut) { process.exit(statut); };
  } else {
    // Lines posted before the engine is loaded wait in the queue like the others.
    self.onmessage = function (message) {
      console_web_recoit(encodeur.encode(String(message.data) + '\n'));
    };
    Module['print'] = function (ligne) { postMessage(ligne); };
    termine = function () { close(); };
  }
  Module['printErr'] = function (texte) { console.error(texte); };

  Module['onRuntimeInitialized'] = function () {
    console_web.dernier_tour = performance.now();
    var statut = Module['_main'](0, 0);
    // The engine waits for input (it unwound to wait): its end comes when main returns.
    if (Asyncify.currData) Asyncify.whenDone().then(termine); else termine(statut);
  };
})();
