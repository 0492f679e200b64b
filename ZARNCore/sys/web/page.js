// The page's side of the game, run before the program in its scope (linked
// with --pre-js): the canvas, the saves in the browser's storage, keys the
// browser must leave alone, full screen, and what the page says while
// loading and after the game has closed.
(function () {
  // The folder the game keeps its saves in: its installed layout's
  // $HOME/.local/share/gobbit, HOME being /home/web_user in the page's file
  // system (game/shell/HomeDirectory.cpp). It lives in IndexedDB.
  var SaveFolder = '/home/web_user/.local/share/gobbit';

  var status = document.getElementById('status');
  Module.canvas = document.getElementById('canvas');
  Module.setStatus = function (text) {
    status.textContent = text;
    status.hidden = !text;
  };

  // The saves are read back before the program starts.
  Module.preRun = Module.preRun || [];
  Module.preRun.push(function () {
    FS.mkdirTree(SaveFolder);
    FS.mount(IDBFS, {}, SaveFolder);
    addRunDependency('saves');
    FS.syncfs(true, function (err) {
      if (err) console.warn('Gobbit: the saves could not be read: ' + err);
      removeRunDependency('saves');
    });
  });

  // One store at a time; a request during one runs once it is over. The
  // requests are counted, so a test can tell when a save has been stored.
  var storing = false, again = false, whenStored = [], asked = 0;
  Module.gobbitStores = function () { return { asked: asked, storing: storing || again }; };
  Module.gobbitPersist = function () {
    asked++;
    if (storing) {
      again = true;
      return;
    }
    storing = true;
    FS.syncfs(false, function (err) {
      if (err) console.warn('Gobbit: the saves could not be stored: ' + err);
      storing = false;
      if (again) {
        again = false;
        Module.gobbitPersist();
        return;
      }
      whenStored.splice(0).forEach(function (f) { f(); });
    });
  };

  Module.gobbitClosed = function (code) {
    var say = function () {
      document.getElementById('closed').hidden = false;
      Module.canvas.hidden = true;
      if (code !== 0) console.warn('Gobbit closed with status ' + code);
    };
    if (storing) whenStored.push(say); else say();
  };
  document.getElementById('again').addEventListener('click', function () { location.reload(); });

  // Keys the game uses must neither scroll the page nor work the browser's
  // own functions (F1 help, F5 reload, F11 full screen, ...).
  var GameKeys = ['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', 'Space', 'Tab', 'Backspace',
                  'PageUp', 'PageDown', 'Home', 'End', 'Enter', 'NumpadEnter', 'Escape'];
  window.addEventListener('keydown', function (e) {
    if (GameKeys.indexOf(e.code) >= 0 || /^F\d+$/.test(e.code)) e.preventDefault();
  }, true);

  // Full screen is granted only while handling a key, click or tap: asked
  // at once, and again at the next release if that was refused.
  var wanted = null;
  function applyFullScreen() {
    if (wanted === null) return;
    var on = wanted, doc = document;
    var done = function () { if (wanted === on) wanted = null; };
    if (on && !doc.fullscreenElement && doc.documentElement.requestFullscreen) {
      doc.documentElement.requestFullscreen().then(done, function () {});
    } else if (!on && doc.fullscreenElement) {
      doc.exitFullscreen().then(done, function () {});
    } else {
      wanted = null;
    }
  }
  Module.gobbitFullScreen = function (on) {
    wanted = !!on;
    applyFullScreen();
  };
  ['keyup', 'mouseup', 'touchend'].forEach(function (type) {
    window.addEventListener(type, applyFullScreen, true);
  });
})();
