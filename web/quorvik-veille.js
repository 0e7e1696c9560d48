// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's worker as the page starts it: the engine's own script, with any failure it
// leaves in a promise (its wasm not fetched or not compiled, a trap in code resumed from a
// promise) thrown again here, where the page hears it as the worker's error event.
self.addEventListener('unhandledrejection', (e) => {
  throw e.reason instanceof Error ? e.reason : new Error(String(e.reason));
});
importScripts('quorvik-worker.js');
