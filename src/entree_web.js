// SPDX-License-Identifier: GPL-3.0-or-later
// Standard input in WebAssembly, beside the Linux and Windows forms of the console (a
// --js-library: these replace the loader's read and poll). The engine asks for input in two
// ways: a read that waits, when it has nothing to do, and a poll during a search. Both give
// the event loop a turn (ASYNCIFY unwinds the engine's stack and rewinds it afterwards), so
// that lines posted meanwhile reach the queue of console_web.js: a read until a line comes,
// a poll at most every INTERVALLE ms, which bounds how late "stop" is seen.

mergeInto(LibraryManager.library, {
  $entree_web: {
    INTERVALLE: 4,

    // Copies waiting bytes into the buffers (iovec records); returns how many.
    copie: function (iov, iovcnt) {
      var total = 0;
      for (var i = 0; i < iovcnt; i++) {
        var adresse = HEAPU32[(iov >> 2) + 2 * i];
        var place = HEAPU32[(iov >> 2) + 2 * i + 1];
        while (place > 0 && console_web.morceaux.length > 0) {
          var morceau = console_web.morceaux[0];
          var n = Math.min(place, morceau.length);
          HEAPU8.set(morceau.subarray(0, n), adresse);
          if (n === morceau.length) console_web.morceaux.shift();
          else console_web.morceaux[0] = morceau.subarray(n);
          adresse += n;
          place -= n;
          total += n;
        }
      }
      return total;
    },

    // The revents of each pollfd record: input when bytes wait or input has ended;
    // output always writable, an error once nobody reads it.
    etats: function (fds, nfds) {
      var pretes = 0;
      for (var i = 0; i < nfds; i++) {
        var record = fds + 8 * i;
        var fd = HEAP32[record >> 2];
        var demandes = HEAP16[(record + 4) >> 1];
        var etat = 0;
        if (fd === 0) {
          if (console_web.morceaux.length > 0) etat = {{{ cDefine('POLLIN') }}};
          if (console_web.fin) etat |= {{{ cDefine('POLLHUP') }}};
        } else if (fd === 1 || fd === 2) {
          etat = console_web.sortie_fermee ? {{{ cDefine('POLLERR') }}} : {{{ cDefine('POLLOUT') }}};
        } else {
          etat = {{{ cDefine('POLLNVAL') }}};
        }
        etat &= demandes | {{{ cDefine('POLLERR') }}} | {{{ cDefine('POLLHUP') }}} | {{{ cDefine('POLLNVAL') }}};
        HEAP16[(record + 6) >> 1] = etat;
        if (etat) pretes++;
      }
      return pretes;
    },
  },

  // Only descriptor 0 is read: the engine reads no file.
  fd_read__deps: ['$entree_web', '$Asyncify'],
  fd_read: function (fd, iov, iovcnt, pnum) {
    if (fd !== 0) return {{{ cDefine('EBADF') }}};
    return Asyncify.handleSleep(function (reveille) {
      var lit = function () {
        HEAP32[pnum >> 2] = entree_web.copie(iov, iovcnt);
        reveille(0);
      };
      if (console_web.morceaux.length > 0 || console_web.fin) {
        lit();
      } else {
        console_web.en_attente = function () {
          console_web.dernier_tour = performance.now();
          lit();
        };
      }
    });
  },

  __syscall_poll__deps: ['$entree_web', '$Asyncify'],
  __syscall_poll: function (fds, nfds, timeout) {
    var entree = false;
    for (var i = 0; i < nfds; i++) entree = entree || HEAP32[(fds + 8 * i) >> 2] === 0;
    var maintenant = entree ? performance.now() : 0;
    // A rewind comes back through here: it must reach handleSleep, which returns the answer.
    var rewind = Asyncify.state !== Asyncify.State.Normal;
    if (!rewind && (!entree || maintenant - console_web.dernier_tour < entree_web.INTERVALLE)) {
      return entree_web.etats(fds, nfds);
    }
    return Asyncify.handleSleep(function (reveille) {
      console_web.cede(function () {
        console_web.dernier_tour = performance.now();
        reveille(entree_web.etats(fds, nfds));
      });
    });
  },
});
