// The page around the game: one tab plays at a time, the frame is placed
// crisp and as large as the screen allows, the device's side buttons are
// drawn beside it at a finger's size, boxes, help and full screen are the
// page's, the device's keyboard is offered for a name, the screen stays on
// while the player plays, the game's files live in the browser's storage
// (storage.js), and the site is kept for playing offline. The game itself is
// vantaro.js and vantaro.wasm, built from the same code as the desktop
// program.
'use strict';

(function () {
  const WIDTH = 240, HEIGHT = 320;
  // The least a finger needs in either direction, and the room between two
  // buttons, in CSS pixels.
  const TOUCH = 44, GAP = 8;
  const canvas = document.getElementById('canvas');
  const keys = document.getElementById('keys');
  const typing = document.getElementById('typing');
  const nameKeys = document.getElementById('name-keys');
  const loading = document.getElementById('loading');
  const status = document.getElementById('status');
  const hint = document.getElementById('hint');

  // ?tick=N starts the game's clock at N, as --start-tick N does headless.
  const tick = new URLSearchParams(location.search).get('tick');
  const running = () => Boolean(window.Module && Module.calledRun);

  // The width every side button takes: the widest of the labels any of
  // them shows, as the browser sets them, and at least a finger's.
  let buttonWidth = 0;
  function measureButtons() {
    const buttons = [...keys.querySelectorAll('button')];
    const probe = buttons[0].cloneNode(false);
    Object.assign(probe.style, { position: 'absolute', visibility: 'hidden', width: 'auto', left: '0', top: '0' });
    document.body.appendChild(probe);
    let widest = 0;
    for (const label of buttons.flatMap((b) => (b.dataset.labels || b.textContent).split(' '))) {
      probe.textContent = label;
      widest = Math.max(widest, probe.getBoundingClientRect().width);
    }
    probe.remove();
    buttonWidth = Math.max(TOUCH, Math.ceil(widest + 2));
  }

  // The frame at the largest whole scale of device pixels that fits the
  // viewport, so that every pixel of the machine is a crisp square. On a
  // dense screen (a phone, whose width is seldom a multiple of 240) where
  // that would leave more than a sixth of the room unused, it is scaled to
  // fit instead, the nearest pixel sampled: there the uneven steps are too
  // small to see. The side buttons go in what is left, in as few rows
  // (below the frame, the screen upright) or columns (beside it, the screen
  // lying) as hold them at their width and a finger's height; they never
  // take room from the frame: where none is left they lie over its edge.
  // The name box takes their place while the game asks for a name.
  // Along one side of the screen, the starts of the frame and of the block
  // of buttons after it: the two centred together where both fit, else the
  // frame centred and the block at the far edge, over it.
  function after(screen, frame, block) {
    if (screen - frame < block + 2 * GAP) return [(screen - frame) / 2, screen - block - GAP];
    const start = (screen - frame - block - GAP) / 2;
    return [start, start + frame + GAP];
  }

  function layout() {
    const vw = window.innerWidth, vh = window.innerHeight;
    const ratio = window.devicePixelRatio || 1;
    const fit = Math.min(vw / WIDTH, vh / HEIGHT);
    const whole = Math.floor(fit * ratio) / ratio;
    const scale = whole > 0 && (ratio < 2 || whole >= fit * 5 / 6) ? whole : fit;
    const w = WIDTH * scale, h = HEIGHT * scale;
    const upright = vh - h >= vw - w;
    const count = keys.querySelectorAll('button').length;
    let across, down, bw, bh, left, top, blockLeft, blockTop;
    if (upright) {
      const room = vw - 2 * GAP;
      for (down = 1; down < count; down++) {
        across = Math.ceil(count / down);
        if ((room - (across - 1) * GAP) / across >= buttonWidth) break;
      }
      across = Math.ceil(count / down);
      // As wide as the frame where that is enough, never narrower than the
      // labels need.
      const row = Math.min(room, Math.max(w, across * buttonWidth + (across - 1) * GAP));
      bw = (row - (across - 1) * GAP) / across;
      bh = TOUCH;
      left = (vw - w) / 2;
      blockLeft = (vw - row) / 2;
      [top, blockTop] = after(vh, h, down * bh + (down - 1) * GAP);
    } else {
      const room = vh - 2 * GAP;
      for (across = 1; across < count; across++) {
        down = Math.ceil(count / across);
        if ((room - (down - 1) * GAP) / down >= TOUCH) break;
      }
      down = Math.ceil(count / across);
      bh = Math.min(56, (room - (down - 1) * GAP) / down);
      bw = Math.max(buttonWidth, 72);
      top = (vh - h) / 2;
      blockTop = (vh - (down * bh + (down - 1) * GAP)) / 2;
      [left, blockLeft] = after(vw, w, across * bw + (across - 1) * GAP);
    }
    Object.assign(canvas.style, { left: left + 'px', top: top + 'px', width: w + 'px', height: h + 'px' });
    Object.assign(keys.style, {
      left: blockLeft + 'px', top: blockTop + 'px', gap: GAP + 'px', gridAutoFlow: upright ? 'row' : 'column',
      gridTemplateColumns: `repeat(${across}, ${bw}px)`,
      gridTemplateRows: `repeat(${down}, ${bh}px)`,
    });
    // The name box: the buttons' row, or beside the frame as wide as there
    // is room for.
    const blockWidth = across * bw + (across - 1) * GAP, blockHeight = down * bh + (down - 1) * GAP;
    const boxWidth = upright ? blockWidth : Math.max(blockWidth, Math.min(260, vw - left - w - 2 * GAP));
    const boxHeight = upright ? Math.max(TOUCH, Math.min(blockHeight, 96)) : 96;
    Object.assign(typing.style, {
      left: (upright ? blockLeft : Math.min(blockLeft, vw - boxWidth - GAP)) + 'px', width: boxWidth + 'px',
      top: (upright ? blockTop : (vh - boxHeight) / 2) + 'px', height: boxHeight + 'px',
    });
    // The status line and the hint: above the frame where there is room,
    // else beside it opposite the buttons, else over the frame's top.
    let at;
    if (upright) at = top >= 40 ? [vw / 2, top / 2] : [vw / 2, top + 28];
    else at = left >= 150 ? [left / 2, vh / 2] : [left + w / 2, top + 28];
    for (const note of [status, hint]) {
      Object.assign(note.style, { left: at[0] + 'px', top: at[1] + 'px', maxWidth: Math.max(200, upright ? vw - 16 : left - 16) + 'px' });
    }
  }
  measureButtons();
  window.addEventListener('resize', layout);
  layout();
  if (document.fonts) document.fonts.ready.then(() => { measureButtons(); layout(); });

  // Over the game the page never selects or offers a menu; gestures on the
  // machine are the game's own, while the page around it may be zoomed.
  for (const type of ['contextmenu', 'selectstart', 'dblclick']) {
    document.addEventListener(type, (e) => { if (e.target !== nameKeys) e.preventDefault(); }, { passive: false });
  }
  canvas.addEventListener('gesturestart', (e) => e.preventDefault(), { passive: false });

  function toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    else document.documentElement.requestFullscreen().catch(() => {});
  }
  document.getElementById('fullscreen').addEventListener('click', toggleFullscreen);

  // A box over the whole page (a failed save, the help and about sheet):
  // nothing reaches the game until it is closed, by its OK, Enter, Escape
  // or Space. A long one scrolls between its title and its OK, which stays
  // in view.
  let closeBox = null;
  function openCover(cover) {
    const ok = cover.querySelector('.ok');
    cover.hidden = false;
    cover.querySelector('.text').scrollTop = 0;
    ok.focus({ preventScroll: true });
    return new Promise((resolve) => {
      closeBox = () => {
        cover.hidden = true;
        closeBox = null;
        canvas.focus({ preventScroll: true });
        resolve();
      };
    });
  }
  for (const ok of document.querySelectorAll('.cover .ok')) ok.addEventListener('click', () => closeBox && closeBox());

  const box = document.getElementById('box');
  function showBox(error, title, text) {
    document.getElementById('box-title').textContent = title;
    document.getElementById('box-text').textContent = text;
    box.classList.toggle('error', error);
    return openCover(box);
  }

  // The game's About box, in a page: how to play in a finger's words, the
  // keys where there is a keyboard (no touch screen, a fine pointer, or a
  // key pressed already), the gamepad's buttons where one is plugged in.
  let sawKeyboard = false;
  const help = document.getElementById('help');
  function showAbout() {
    const keyboard = sawKeyboard || navigator.maxTouchPoints === 0 || matchMedia('(hover: hover) and (pointer: fine)').matches;
    document.getElementById('help-keys').hidden = !keyboard;
    document.getElementById('help-gamepad').hidden = !(navigator.getGamepads && [...navigator.getGamepads()].some(Boolean));
    return openCover(help);
  }

  // The player left the game: a page cannot close itself, so it offers
  // the machine again.
  function ended() {
    document.getElementById('ended').hidden = false;
    document.getElementById('play-again').focus();
  }
  document.getElementById('play-again').addEventListener('click', () => location.reload());

  // Keys the page keeps to itself: F11, everything while a box is up, and
  // what goes into the name box (it reaches the game as typed text, below).
  // The rest go on to the game.
  window.addEventListener('keydown', (e) => {
    sawKeyboard = true;
    if (e.target === nameKeys) {
      e.stopImmediatePropagation();
      return;
    }
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
  for (const type of ['keyup', 'keypress']) {
    window.addEventListener(type, (e) => {
      if (closeBox || e.key === 'F11' || e.target === nameKeys) e.stopImmediatePropagation();
    }, true);
  }

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
      canvas.focus({ preventScroll: true });
      setTimeout(showMute, 100);
    });
  }
  window.addEventListener('keyup', () => setTimeout(showMute, 100));

  // While the game asks for a name the page offers the device's keyboard in
  // the side buttons' place (their keys would be letters there): the name
  // box. What is typed into it reaches the game as the keyboard's letters,
  // Backspace and Enter; the box itself keeps a few blanks, so that even a
  // keyboard that sends no keys of its own (a phone's) deletes, and the
  // game draws the name. The arrows on the screen keep working.
  const BLANKS = '        ';
  function resetNameKeys() {
    nameKeys.value = BLANKS;
    nameKeys.setSelectionRange(BLANKS.length, BLANKS.length);
  }
  function typed() {
    const now = nameKeys.value;
    if (now.startsWith(BLANKS)) {
      for (const c of now.slice(BLANKS.length).toLowerCase()) {
        if (c >= 'a' && c <= 'z') press(c.charCodeAt(0));
      }
    } else {
      for (let i = now.length; i < BLANKS.length; i++) press(8);  // Backspace
    }
    resetNameKeys();
  }
  nameKeys.addEventListener('input', (e) => { if (!e.isComposing) typed(); });
  nameKeys.addEventListener('compositionend', typed);
  typing.addEventListener('submit', (e) => {
    e.preventDefault();
    press(13);  // Enter: OK
  });
  function offerKeyboard(asking) {
    typing.hidden = !asking;
    keys.style.visibility = asking ? 'hidden' : 'visible';
    if (asking) resetNameKeys();
    else if (document.activeElement === nameKeys) canvas.focus({ preventScroll: true });
  }

  // The game's status line (the volume, the sound switched): the game
  // takes it away after two seconds with an empty text.
  function showStatus(text) {
    status.textContent = text;
    status.hidden = text === '';
    if (text) hint.hidden = true;
    showMute();
  }

  // A first visit shows how to begin until the first spin: the reels seen
  // turning, or Cash and Credit together less than before (a coin only
  // moves money between them; a spin takes a credit).
  function startHint() {
    try {
      if (localStorage.getItem('vantaro-spun') === '1') return;
    } catch (e) { /* no storage: the hint every visit */ }
    hint.hidden = false;
    let money = null;
    const look = setInterval(() => {
      const state = JSON.parse(window.vantaro.state() || 'null');
      if (!state) return;
      const now = state.cash + state.credit;
      if ((money !== null && now < money) || (state.reels || []).some((reel) => reel.offset !== 0)) {
        clearInterval(look);
        hint.hidden = true;
        try { localStorage.setItem('vantaro-spun', '1'); } catch (e) { /* the hint comes again next visit */ }
      }
      money = money === null ? now : Math.min(money, now);
    }, 250);
  }

  // The screen stays on while the player plays, as the desktop holds off
  // its screensaver: a wake lock held while the page is in view and has
  // had input in the last five minutes, let go otherwise, taken again when
  // the page is shown again. A browser that refuses it (or has none)
  // changes nothing for the game.
  const IDLE_MS = 5 * 60 * 1000;
  let lastInput = -Infinity, screenLock = null, asking = false, refused = null, idleTimer = null;
  async function holdScreen() {
    const wanted = running() && document.visibilityState === 'visible' && Date.now() - lastInput < IDLE_MS;
    // Asked once per input at most: a refusal waits for the next.
    if (wanted && !screenLock && !asking && refused !== lastInput && navigator.wakeLock) {
      asking = true;
      const asked = lastInput;
      try {
        const lock = await navigator.wakeLock.request('screen');
        lock.addEventListener('release', () => { if (screenLock === lock) screenLock = null; });
        screenLock = lock;
      } catch (e) {
        refused = asked;
        console.info('vantaro: the screen may dim:', e && e.message);
      }
      asking = false;
      holdScreen();  // the player may have gone meanwhile
    } else if (!wanted && screenLock) {
      const lock = screenLock;
      screenLock = null;
      lock.release().catch(() => {});
    }
  }
  function noteInput() {
    lastInput = Date.now();
    holdScreen();
    clearTimeout(idleTimer);
    idleTimer = setTimeout(holdScreen, IDLE_MS + 1000);
  }
  for (const type of ['pointerdown', 'keydown']) window.addEventListener(type, noteInput, true);
  window.addEventListener('gamepadconnected', noteInput);
  document.addEventListener('visibilitychange', holdScreen);

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
    // Whether the page holds the screen on now.
    screenHeld() {
      return Boolean(screenLock && !screenLock.released);
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
    typing.hidden = hint.hidden = true;
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
    showBox, showAbout, toggleFullscreen, presented, sleep, ended, showStatus,
    typing: offerKeyboard,
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
        canvas.focus({ preventScroll: true });
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

  // One tab plays at a time, so that two never play one table at once. A
  // second tab offers to take over once the first is closed. A browser
  // without Web Locks (a page on a plain-http host) lets every tab play:
  // the high scores are saved under a lock of the page's own, so none is
  // lost either way.
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
  startHint();
  playAlone();
})();
