// The page around the game: one tab plays at a time, the frame is placed
// crisp and as large as the screen allows, the device's side buttons are
// drawn beside it, boxes and full screen are the page's, sound starts with
// the first touch or key, the high-score folder lives in IndexedDB, and the
// site is kept for playing offline. The game itself is vantaro.js and
// vantaro.wasm, built from the same code as the desktop program.
'use strict';

(function () {
  const WIDTH = 240, HEIGHT = 320;
  const canvas = document.getElementById('canvas');
  const keys = document.getElementById('keys');
  const loading = document.getElementById('loading');
  const status = document.getElementById('status');

  // ?tick=N starts the game's clock at N, as --start-tick N does headless.
  const tick = new URLSearchParams(location.search).get('tick');
  const running = () => Boolean(window.Module && Module.calledRun);

  // The frame at the largest whole scale of device pixels that fits the
  // viewport, so that every pixel of the machine is a crisp square. On a
  // dense screen (a phone, whose width is seldom a multiple of 240) where
  // that would leave more than a sixth of the room unused, it is scaled to
  // fit instead, the nearest pixel sampled: there the uneven steps are too
  // small to see. The buttons go in what is left: below the frame when the
  // screen stands upright, beside it when it lies. They never take room
  // from the frame: where none is left they lie over its edge.
  function layout() {
    const vw = window.innerWidth, vh = window.innerHeight;
    const ratio = window.devicePixelRatio || 1;
    const fit = Math.min(vw / WIDTH, vh / HEIGHT);
    const whole = Math.floor(fit * ratio) / ratio;
    const scale = whole > 0 && (ratio < 2 || whole >= fit * 5 / 6) ? whole : fit;
    const w = WIDTH * scale, h = HEIGHT * scale;
    const upright = vh - h >= vw - w;
    const thickness = upright ? 56 : 96;
    const room = Math.max(0, Math.min(thickness, upright ? vh - h : vw - w));
    const left = upright ? (vw - w) / 2 : (vw - w - room) / 2;
    const top = upright ? (vh - h - room) / 2 : (vh - h) / 2;
    Object.assign(canvas.style, { left: left + 'px', top: top + 'px', width: w + 'px', height: h + 'px' });
    // The status line's centre: above the frame where there is room, else
    // beside it opposite the buttons, else over the buttons.
    let at;
    if (upright) at = top >= 32 ? [vw / 2, top / 2] : [vw / 2, top + h + room / 2];
    else at = left >= 120 ? [left / 2, vh / 2] : [left + w + room / 2, vh / 2];
    Object.assign(status.style, { left: at[0] + 'px', top: at[1] + 'px' });
    if (upright) {
      Object.assign(keys.style, {
        flexDirection: 'row', left: left + 'px', width: w + 'px', height: (thickness - 12) + 'px',
        top: (top + h + (room ? 8 : -thickness)) + 'px',
      });
    } else {
      const column = Math.min(h, 6 * 64);
      Object.assign(keys.style, {
        flexDirection: 'column', top: (top + (h - column) / 2) + 'px', height: column + 'px',
        width: (thickness - 12) + 'px', left: (left + w + (room ? 8 : -thickness)) + 'px',
      });
    }
  }
  window.addEventListener('resize', layout);
  layout();

  // Over the game the page never scrolls, zooms, selects or offers a menu.
  for (const type of ['contextmenu', 'selectstart', 'gesturestart', 'dblclick']) {
    document.addEventListener(type, (e) => e.preventDefault(), { passive: false });
  }

  function toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    else document.documentElement.requestFullscreen().catch(() => {});
  }
  document.getElementById('fullscreen').addEventListener('click', toggleFullscreen);

  // A box of the game's (a failed save, the About box): over the whole
  // page, so nothing reaches the game until it is closed.
  const box = document.getElementById('box');
  const boxOk = document.getElementById('box-ok');
  let closeBox = null;
  function showBox(error, title, text) {
    document.getElementById('box-title').textContent = title;
    document.getElementById('box-text').textContent = text;
    box.classList.toggle('error', error);
    box.hidden = false;
    boxOk.focus({ preventScroll: true });
    box.querySelector('.panel').scrollTop = 0;  // a long box is read from its top
    return new Promise((resolve) => {
      closeBox = () => {
        box.hidden = true;
        closeBox = null;
        canvas.focus();
        resolve();
      };
    });
  }
  boxOk.addEventListener('click', () => closeBox && closeBox());

  // The player left the game: a page cannot close itself, so it offers
  // the machine again.
  function ended() {
    document.getElementById('ended').hidden = false;
    document.getElementById('play-again').focus();
  }
  document.getElementById('play-again').addEventListener('click', () => location.reload());

  // Keys the page keeps to itself: F11, and everything while a box is up
  // (Enter, Escape or Space closes it). The rest go on to the game.
  window.addEventListener('keydown', (e) => {
    if (closeBox) {
      if (e.key === 'Enter' || e.key === 'Escape' || e.key === ' ') closeBox();
    } else if (e.key === 'F11') {
      toggleFullscreen();
    } else {
      return;
    }
    e.preventDefault();
    e.stopImmediatePropagation();
  }, true);
  window.addEventListener('keyup', (e) => {
    if (closeBox || e.key === 'F11') e.stopImmediatePropagation();
  }, true);

  // The side buttons are the device's keys: each is that key pressed once.
  // The sound button shows whether the sound is off, however it was
  // switched (M works as well).
  const mute = document.getElementById('mute');
  function showMute() {
    const muted = window.vantaro.muted();
    mute.setAttribute('aria-pressed', String(muted));
    mute.textContent = muted ? 'Muted' : 'Sound';
  }
  // A key pressed and let go, as the keyboard would: the game takes it at
  // its next look, woken now if it sleeps.
  function press(key, control) {
    if (!running()) return;
    Module._VantaroPressKey(key, control ? 1 : 0);
    if (wake) setTimeout(() => wake && wake(), 0);
  }
  for (const button of keys.querySelectorAll('button[data-key]')) {
    button.addEventListener('click', () => {
      press(Number(button.dataset.key), button.dataset.control);
      canvas.focus();
      setTimeout(showMute, 100);
    });
  }
  window.addEventListener('keyup', () => setTimeout(showMute, 100));

  // The game's status line (the volume, the sound switched): the game
  // takes it away after two seconds with an empty text.
  function showStatus(text) {
    status.textContent = text;
    status.hidden = text === '';
    showMute();
  }

  // The game's waits: until the time is up, or sooner when input comes
  // (woken in a task of its own, after SDL has queued the input).
  let wake = null;
  function sleep(ms) {
    return new Promise((resolve) => {
      const timer = ms >= 0 ? setTimeout(() => { wake = null; resolve(); }, ms) : null;
      wake = () => {
        clearTimeout(timer);
        wake = null;
        resolve();
      };
    });
  }
  for (const type of ['pointerdown', 'pointerup', 'pointermove', 'touchstart', 'touchmove', 'touchend', 'touchcancel',
    'keydown', 'keyup', 'focus', 'blur', 'resize', 'visibilitychange', 'gamepadconnected', 'gamepaddisconnected']) {
    window.addEventListener(type, () => { if (wake) setTimeout(() => wake && wake(), 0); }, true);
  }

  // The moments frames were presented, for measuring the page: the first
  // one always, every one while a recording runs.
  const timing = { first: null, recording: null };
  function presented(now) {
    if (timing.first === null) timing.first = now;
    if (timing.recording) timing.recording.push(now);
  }

  // For tests and automation: the headless "state" line and "capture".
  window.vantaro = {
    state() {
      return running() ? Module.UTF8ToString(Module._VantaroState()) : null;
    },
    frame() {
      if (!running()) return null;
      const size = Module._malloc(4);
      const data = Module._VantaroFramePng(size);
      const length = Module.getValue(size, 'i32');
      Module._free(size);
      let binary = '';
      const bytes = Module.HEAPU8.subarray(data, data + length);
      for (let i = 0; i < bytes.length; i += 0x8000) {
        binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
      }
      return 'data:image/png;base64,' + btoa(binary);
    },
    // A key of the game's (a character code, as SDL names keys) pressed and
    // let go, reaching the game whether or not the page has the focus.
    press(key, control = false) {
      press(key, control);
    },
    // True while the game waits for a tap or key with nothing to do.
    waiting() {
      return running() && Module._VantaroWaiting() === 1;
    },
    muted() {
      return running() && Module._VantaroMuted() === 1;
    },
    // The volume, 0 to 10, and the status line shown beside the frame.
    volume() {
      return running() ? Module._VantaroVolume() : null;
    },
    status() {
      return status.hidden ? '' : status.textContent;
    },
    // performance.now() of the first frame presented, null before it.
    firstFrame() {
      return timing.first;
    },
    // Records the moment of every present from now on; stop returns them.
    record() {
      timing.recording = [];
    },
    stopRecording() {
      const presents = timing.recording || [];
      timing.recording = null;
      return presents;
    },
    ready: false,
  };

  // The page cannot go on: what went wrong, in place of the game.
  function fail(text) {
    for (const element of [canvas, keys]) element.style.visibility = 'hidden';
    for (const cover of document.querySelectorAll('.cover')) cover.hidden = true;
    loading.hidden = false;
    loading.classList.add('failed');
    loading.setAttribute('role', 'alert');
    loading.textContent = text;
  }
  const RELOAD = '\n\nReload the page to play again.';

  // The data folder (the high scores) and the settings' folder live in the
  // game's memory and are kept in the browser (storage.js): read back
  // before the game starts, the high scores stored by the game's own save
  // and the settings whenever the game has written them.
  const storage = window.vantaroStorage;
  const FOLDERS = ['/data', '/config'];
  let unreadScores = false;
  const vantaroPage = {
    showBox, toggleFullscreen, presented, sleep, ended, showStatus,
    beginChange: (folder, waitMs) => storage.beginChange(Module.FS, folder, waitMs),
    keep: (folder) => storage.store(Module.FS, folder),
    endChange: (folder) => storage.endChange(folder),
    storeSettings: () => storage.storeSoon(Module.FS, '/config'),
  };

  function start() {
    window.Module = {
      canvas,
      vantaroPage,
      preRun: [() => {
        for (const folder of FOLDERS) Module.FS.mkdir(folder);
        Module.ENV.XDG_CONFIG_HOME = '/config';
        Module.addRunDependency('stored');
        Promise.all(FOLDERS.map((folder) => storage.load(Module.FS, folder))).then(([scores]) => {
          unreadScores = scores !== storage.OK;
          Module.removeRunDependency('stored');
        });
        if (tick !== null && /^\d+$/.test(tick)) Module.ENV.VANTARO_START_TICK = tick;
      }],
      onAbort(what) {
        fail('Vantaro stopped: ' + (what || 'the program failed') + '.' + RELOAD);
      },
      onRuntimeInitialized() {
        if (unreadScores) {
          showBox(true, 'High Scores', 'Your saved high scores could not be read from this browser\'s storage.'
            + ' You can play; saving a score tries again.');
        }
        loading.hidden = true;
        canvas.style.visibility = 'visible';
        keys.style.visibility = 'visible';
        canvas.focus();
        window.vantaro.ready = true;
        // The offline copy, once this tab has every file of its build: a
        // new build's worker takes over from the next visit on.
        if ('serviceWorker' in navigator) {
          navigator.serviceWorker.register('service-worker.js').catch((e) => console.warn('vantaro: no offline copy:', e));
        }
      },
      print: (text) => console.log(text),
      printErr: (text) => console.warn(text),
    };
    const script = document.createElement('script');
    script.src = 'vantaro.js';
    script.onerror = () => fail('Vantaro could not be loaded: the network or the site did not answer.' + RELOAD);
    document.body.appendChild(script);
  }

  // A failure that nothing else catches (the program's files missing, the
  // browser refusing to run it) ends the loading for all to see.
  window.addEventListener('error', (e) => {
    if (!running()) fail('Vantaro could not start: ' + (e.message || 'a file of the game did not load') + '.' + RELOAD);
  });
  window.addEventListener('unhandledrejection', (e) => {
    if (!running()) fail('Vantaro could not start: ' + (e.reason && e.reason.message || e.reason) + '.' + RELOAD);
  });

  // One tab plays at a time, so that two never write the high scores at
  // once. A second tab offers to take over once the first is closed.
  function playAlone() {
    if (!navigator.locks) {
      start();
      return;
    }
    navigator.locks.request('vantaro', { ifAvailable: true }, (lock) => {
      if (lock) {
        start();
        return new Promise(() => {});  // held while this tab lives
      }
      loading.hidden = true;
      const elsewhere = document.getElementById('elsewhere');
      elsewhere.hidden = false;
      document.getElementById('take-over').addEventListener('click', (e) => {
        e.target.disabled = true;
        e.target.textContent = 'Waiting for the other tab to close…';
        navigator.locks.request('vantaro', () => {
          elsewhere.hidden = true;
          loading.hidden = false;
          start();
          return new Promise(() => {});
        });
      }, { once: true });
      return undefined;
    });
  }

  // A page opened from a file cannot load the game's own files: it says
  // how to play instead.
  if (location.protocol === 'file:') {
    fail('Vantaro cannot run from a file opened in the browser: the browser does not let a page read the game\'s'
      + ' own files that way.\n\nServe the folder with any web server and open its address, for example with'
      + ' "python3 -m http.server" in this folder, or "./dev web serve" in the source tree.');
    return;
  }
  playAlone();
})();
