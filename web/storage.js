// The page's lasting files: folders of the game's file system (memory) kept
// in the browser's IndexedDB. Each folder has a database of its own, named
// after it, laid out as the page has always kept it (object store FILE_DATA,
// an entry per file or folder under its full path: timestamp, mode and the
// file's bytes), so that what an earlier build stored is read as it was.
//
// Every call ends, within TIMEOUT_MS, in a code the game understands: OK, or
// why not. A database the browser closed or cleared while the page ran is
// opened afresh at the next call, so a save after the site's data was
// cleared stores the folder again. The site's tabs share the databases; a
// change to a folder (the high-score table) is made under a lock that every
// tab takes, kept in IndexedDB itself, so that it holds with or without Web
// Locks (a page on a plain-http host has none) and a tab that died holding
// it frees it after LEASE_MS.
'use strict';

window.vantaroStorage = (function () {
  const OK = 0, FAILED = 1, FULL = 2, NO_ANSWER = 3, IN_USE = 4;
  const STORE = 'FILE_DATA', VERSION = 21;
  const LOCKS = 'vantaro-locks';
  const TIMEOUT_MS = 5000, LEASE_MS = 15000;
  const me = Math.random().toString(36).slice(2) + Date.now().toString(36);

  class Failure extends Error {
    constructor(code, message) {
      super(message);
      this.code = code;
    }
  }
  const codeOf = (e) => (e instanceof Failure ? e.code : e && e.name === 'QuotaExceededError' ? FULL : FAILED);

  // Open connections by database name. A connection the browser closes
  // (site data cleared) or that another version of the page wants to
  // upgrade is dropped, and the next call opens the database again.
  const open = new Map();
  function database(name, upgrade) {
    if (!open.has(name)) {
      open.set(name, new Promise((resolve, reject) => {
        let request;
        try {
          request = indexedDB.open(name, name === LOCKS ? 1 : VERSION);
        } catch (e) {
          reject(e);
          return;
        }
        request.onupgradeneeded = () => upgrade(request.result, request.transaction);
        request.onsuccess = () => {
          const db = request.result;
          const drop = () => {
            if (open.get(name) === promise) open.delete(name);
            db.close();
          };
          db.onclose = drop;
          db.onversionchange = drop;
          resolve(db);
        };
        request.onerror = () => reject(request.error || new Failure(FAILED, 'the database cannot be opened'));
        request.onblocked = () => reject(new Failure(IN_USE, 'another version of the page holds the database'));
      }));
      const promise = open.get(name);
      promise.catch(() => { if (open.get(name) === promise) open.delete(name); });
    }
    return open.get(name);
  }
  function forget(name) {
    const promise = open.get(name);
    open.delete(name);
    if (promise) promise.then((db) => db.close(), () => {});
  }

  const folderDatabase = (folder) => database(folder, (db, tx) => {
    const files = db.objectStoreNames.contains(STORE) ? tx.objectStore(STORE) : db.createObjectStore(STORE);
    if (!files.indexNames.contains('timestamp')) files.createIndex('timestamp', 'timestamp', { unique: false });
  });
  const lockDatabase = () => database(LOCKS, (db) => {
    if (!db.objectStoreNames.contains('locks')) db.createObjectStore('locks');
  });

  // One transaction: work(store) makes its requests and gives the value the
  // transaction ends with once it has completed. Rejected on an error or an
  // abort (a full disk, a quota), and when it cannot even be begun. Should
  // the step it belongs to run out of time, it is aborted, so that a step
  // that failed has changed nothing, even should the browser come round.
  function transaction(db, storeName, mode, step, work) {
    return new Promise((resolve, reject) => {
      let tx, result;
      try {
        tx = db.transaction([storeName], mode);
        step.onLate(() => { try { tx.abort(); } catch (ignored) { /* over already */ } });
        result = work(tx.objectStore(storeName));
      } catch (e) {
        if (tx) try { tx.abort(); } catch (ignored) { /* already over */ }
        reject(e);
        return;
      }
      // A request that fails aborts the transaction, which then tells; so
      // does work that fails half way, so that none of it is kept.
      let failure = null;
      const settled = Promise.resolve(result);
      settled.catch((e) => {
        failure = e;
        try { tx.abort(); } catch (ignored) { /* over already */ }
      });
      tx.oncomplete = () => settled.then(resolve, reject);
      tx.onabort = () => reject(failure || tx.error || new Failure(FAILED, 'the transaction was aborted'));
    });
  }
  const request = (r) => new Promise((resolve, reject) => {
    r.onsuccess = () => resolve(r.result);
    r.onerror = () => reject(r.error);
  });

  // The step given at most TIMEOUT_MS; one that does not answer in time
  // counts as failed, and its database is opened afresh next time.
  async function bounded(name, what, run) {
    let timer, over = false;
    const lateOnes = [];
    const step = { onLate: (f) => (over ? f() : lateOnes.push(f)) };
    const late = new Promise((_, reject) => {
      timer = setTimeout(() => {
        over = true;
        lateOnes.forEach((f) => f());
        reject(new Failure(NO_ANSWER, `${what}: no answer in ${TIMEOUT_MS} ms`));
      }, TIMEOUT_MS);
    });
    const work = run(step);
    work.catch(() => {});  // told through the race, or too late to matter
    try {
      return await Promise.race([work, late]);
    } catch (e) {
      forget(name);
      throw e;
    } finally {
      clearTimeout(timer);
    }
  }
  // A step on a folder's database, tried once more on a fresh connection
  // when the first cannot even begin (a connection the browser closed).
  function onFolder(folder, what, run) {
    return bounded(folder, what, async (step) => {
      try {
        return await run(await folderDatabase(folder), step);
      } catch (e) {
        if (!e || e.name !== 'InvalidStateError') throw e;
        forget(folder);
        return run(await folderDatabase(folder), step);
      }
    });
  }

  // What the game's file system holds under the folder: path -> entry.
  function localEntries(FS, folder) {
    const entries = new Map();
    const visit = (path) => {
      for (const name of FS.readdir(path)) {
        if (name === '.' || name === '..') continue;
        const full = path + '/' + name;
        const stat = FS.stat(full);
        if (FS.isDir(stat.mode)) {
          entries.set(full, { timestamp: stat.mtime, mode: stat.mode });
          visit(full);
        } else if (FS.isFile(stat.mode)) {
          entries.set(full, { timestamp: stat.mtime, mode: stat.mode, contents: FS.readFile(full) });
        }
      }
    };
    visit(folder);
    return entries;
  }
  const same = (a, b) => Boolean(a && b) && a.mode === b.mode
    && new Date(a.timestamp).getTime() === new Date(b.timestamp).getTime()
    && (!a.contents || (b.contents && a.contents.length === b.contents.length
      && a.contents.every((byte, i) => byte === b.contents[i])));
  // Every stored entry of the folder, in one request each for keys and values.
  async function storedEntries(files) {
    const [keys, values] = await Promise.all([request(files.getAllKeys()), request(files.getAll())]);
    return new Map(keys.map((key, i) => [key, values[i]]));
  }

  // The folder brought up to what is stored: a file another tab stored
  // since comes in. Nothing is taken away, so that what this tab holds
  // survives a database the browser cleared.
  async function load(FS, folder) {
    const stored = await onFolder(folder, `reading ${folder}`,
      (db, step) => transaction(db, STORE, 'readonly', step, (files) => storedEntries(files)));
    const local = localEntries(FS, folder);
    for (const path of [...stored.keys()].sort()) {
      const entry = stored.get(path);
      if (!entry || same(entry, local.get(path))) continue;
      if (FS.isDir(entry.mode)) {
        FS.mkdirTree(path, entry.mode);
      } else if (FS.isFile(entry.mode)) {
        FS.writeFile(path, entry.contents, { canOwn: true });
      } else {
        continue;
      }
      FS.chmod(path, entry.mode);
      FS.utime(path, new Date(entry.timestamp).getTime(), new Date(entry.timestamp).getTime());
    }
  }

  // What the folder holds now, stored in one transaction: done only once
  // the browser says the transaction is complete.
  function store(FS, folder) {
    const local = localEntries(FS, folder);
    return onFolder(folder, `storing ${folder}`, (db, step) => transaction(db, STORE, 'readwrite', step, (files) => {
      return storedEntries(files).then((stored) => {
        for (const [path, entry] of local) if (!same(entry, stored.get(path))) files.put(entry, path);
        for (const path of stored.keys()) if (!local.has(path)) files.delete(path);
      });
    }));
  }

  // The lock on a folder's changes, held by one tab at a time. Taking it is
  // one transaction that finds it free (or this tab's, or left by a tab
  // that died) and marks it this tab's.
  function tryLock(folder) {
    return bounded(LOCKS, `locking ${folder}`, async (step) => transaction(await lockDatabase(), 'locks', 'readwrite', step,
      (locks) => request(locks.get(folder)).then((held) => {
        const now = Date.now();
        if (held && held.owner !== me && now - held.time < LEASE_MS) return false;
        locks.put({ owner: me, time: now }, folder);
        return true;
      })));
  }
  async function lock(folder, waitMs) {
    const deadline = Date.now() + waitMs;
    for (;;) {
      if (await tryLock(folder)) return;
      if (Date.now() >= deadline) throw new Failure(IN_USE, `${folder} is being changed by another tab`);
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
  }
  function unlock(folder) {
    return bounded(LOCKS, `unlocking ${folder}`, async (step) => transaction(await lockDatabase(), 'locks', 'readwrite', step,
      (locks) => request(locks.get(folder)).then((held) => {
        if (held && held.owner === me) locks.delete(folder);
      })));
  }

  // Each call below resolves to OK or a failure's code, never rejects, and
  // says on the console what failed.
  const describe = (e) => (!e ? 'for no reason given'
    : [e.name && e.name !== 'Error' ? e.name : '', e.message || (typeof e === 'string' ? e : '')].filter(Boolean).join(': '));
  const told = (what, promise) => promise.then(() => OK, (e) => {
    console.warn(`vantaro: ${what}: ${describe(e)}`);
    return codeOf(e);
  });

  // Stores of a folder that nobody waits for (the settings), one at a time
  // and in order: changes that come while one runs are stored together
  // after it.
  const queued = new Map();
  function storeSoon(FS, folder) {
    const q = queued.get(folder) || { running: null, again: false };
    queued.set(folder, q);
    if (q.running) {
      q.again = true;
      return q.running;
    }
    q.running = (async () => {
      do {
        q.again = false;
        await told(`${folder} cannot be stored`, store(FS, folder));
      } while (q.again);
      q.running = null;
    })();
    return q.running;
  }

  return {
    OK, FAILED, FULL, NO_ANSWER, IN_USE,
    load: (FS, folder) => told(`${folder} cannot be read`, load(FS, folder)),
    store: (FS, folder) => told(`${folder} cannot be stored`, store(FS, folder)),
    storeSoon,
    // A change made against what is stored at this moment: the lock, then
    // what other tabs stored meanwhile.
    beginChange: (FS, folder, waitMs) => told(`${folder} cannot be changed`, (async () => {
      await lock(folder, waitMs);
      try {
        await load(FS, folder);
      } catch (e) {
        await unlock(folder).catch(() => {});
        throw e;
      }
    })()),
    endChange: (folder) => told(`${folder} cannot be unlocked`, unlock(folder)),
  };
})();
