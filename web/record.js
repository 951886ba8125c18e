// The player's record in the page (app/page/page_record.h). Its storage: the browser's IndexedDB
// database "kanaburst-record", with an entry for each match and each practice run under its id,
// holding the record file's object for it, and one for each of the newest matches' replays
// under the match's id, holding the replay's text; read back into the game once the title is up, and
// again whenever another tab of the page writes. An entry is only ever added, never written
// over, so two tabs writing at once keep both tabs' matches, and an entry the game cannot read
// stays as it is. Its canvas: over the game's, with the buttons beside it, the record file it
// offers as a download and the files it takes, chosen or dropped on it.
(function () {
  'use strict';
  const kDatabase = 'kanaburst-record';
  // The database's version: a newer game's database is left alone. 2 added the replays.
  const kLayout = 2;
  const kStores = ['matches', 'practice', 'replays'];  // by the game's kind of entry, 0 to 2
  const kReplays = 2;
  // A record file is at most 64 MB (record/record_json.h): one byte more is enough for the game
  // to refuse a larger one, which is never read whole.
  const kLargestFile = 64 * 1024 * 1024;
  const kSliceMs = 8;  // of a 67 ms frame, for handing the entries read to the game
  // Entries one request brings: the browser hands a request's result over in one piece, so one
  // request for a long record would hold up a frame.
  const kReadChunk = 500;
  const kLastsTheTab = 'this tab\'s matches last as long as it is open.';
  const $ = (id) => document.getElementById(id);
  const others = window.BroadcastChannel ? new BroadcastChannel(kDatabase) : null;

  let game = null;     // the game's module, once the title is up
  let db = null;       // the open database
  let usable = true;   // false once the storage has failed: the record lasts as long as the tab
  let queue = [];      // what waits for the next write, in order
  let flushing = false;
  let reading = false, readAgain = false;

  // A text for the game, in its memory, which the caller frees.
  function Text(text) {
    return game.allocateUTF8(text);
  }

  function Problem(text) {
    const p = Text(text);
    game._kanaburst_record_problem(p);
    game._free(p);
    $('status').textContent = text && 'Your record: ' + text;
  }

  function Fail(what, error) {
    usable = false;
    queue = [];
    if (db) db.close();
    db = null;
    Problem(error && error.name === 'VersionError'
      ? 'The record in this browser was kept by a newer Kanaburst and is left as it is: ' +
        kLastsTheTab
      : `${what} (${error ? error.name + ': ' + error.message : 'no reason given'}): ` +
        kLastsTheTab);
  }

  function Open() {
    let request;
    try {
      request = indexedDB.open(kDatabase, kLayout);
    } catch (e) {
      return Fail('This browser keeps nothing for the page', e);
    }
    request.onupgradeneeded = () => {
      for (const name of kStores) {
        if (!request.result.objectStoreNames.contains(name)) request.result.createObjectStore(name);
      }
    };
    request.onsuccess = () => {
      db = request.result;
      // A newer game in another tab needs the database: this one lets go of it.
      db.onversionchange = () => Fail('A newer Kanaburst in another tab took over the record');
      Read();
      Flush();
    };
    request.onerror = () => Fail('This browser keeps nothing for the page', request.error);
  }

  // Every entry, handed to the game; the game tells which it cannot read.
  function Read() {
    if (!db) return;
    if (reading) {
      readAgain = true;
      return;
    }
    reading = true;
    const tx = db.transaction(kStores, 'readonly');
    const entries = [];
    kStores.forEach((name, kind) => ReadFrom(tx.objectStore(name), kind, null, entries));
    tx.oncomplete = () => HandOver(entries, 0);
    tx.onabort = () => {
      reading = false;
      Fail('The record in this browser cannot be read', tx.error);
    };
  }

  // A store's entries after the key `after` (from the first when null) into entries, a chunk a
  // request, the next asked for as one arrives.
  function ReadFrom(store, kind, after, entries) {
    const range = after === null ? null : IDBKeyRange.lowerBound(after, true);
    const keys = store.getAllKeys(range, kReadChunk);
    const values = store.getAll(range, kReadChunk);
    values.onsuccess = () => {
      keys.result.forEach((key, i) => entries.push([kind, key, values.result[i]]));
      if (keys.result.length === kReadChunk) ReadFrom(store, kind, keys.result.at(-1), entries);
    };
  }

  // The entries read, to the game from the one at `next`, a few milliseconds' worth at a time so
  // that a long record never holds up the game's frames; then the reading is done.
  function HandOver(entries, next) {
    const until = performance.now() + kSliceMs;
    for (; next < entries.length && performance.now() < until; ++next) {
      const [kind, key, value] = entries[next];
      const k = Text(String(key));
      const v = Text(kind === kReplays ? String(value) : JSON.stringify(value) ?? '');
      game._kanaburst_record_stored(kind, k, v);
      game._free(k);
      game._free(v);
    }
    if (next < entries.length) return setTimeout(() => HandOver(entries, next));
    const problem = game.UTF8ToString(game._kanaburst_record_read());
    if (problem) $('status').textContent = 'Your record: ' + problem;
    reading = false;
    if (readAgain) {
      readAgain = false;
      Read();
    }
  }

  // The writes waiting, in one transaction; the next ones wait for it to end.
  function Flush() {
    if (!db || flushing || queue.length === 0) return;
    flushing = true;
    const writes = queue;
    queue = [];
    const tx = db.transaction(kStores, 'readwrite');
    for (const w of writes) {
      if (w.wipe) {
        kStores.forEach((name) => tx.objectStore(name).clear());
        continue;
      }
      const store = tx.objectStore(kStores[w.kind]);
      if (w.kind === kReplays) {
        // A replay is the one entry let go of: the game hands it over with no text then.
        if (w.value) store.put(w.value, w.key); else store.delete(w.key);
        continue;
      }
      const request = store.add(w.value, w.key);
      // An entry already kept under this key (another tab's copy of it, or one the game cannot
      // read) stays as it is, and the rest of the writes go on.
      request.onerror = (e) => {
        if (request.error.name === 'ConstraintError') e.preventDefault();
      };
    }
    tx.oncomplete = () => {
      flushing = false;
      if (others) others.postMessage(writes.some((w) => w.wipe) ? 'wiped' : 'written');
      Flush();
    };
    tx.onabort = () => {
      flushing = false;
      Fail('Matches could not be kept in this browser', tx.error);
    };
  }

  function Keep(write) {
    if (!usable) return;
    queue.push(write);
    Flush();
  }

  // Another tab wrote: its entries are read in; it wiped: so does this tab, then reads.
  if (others) {
    others.onmessage = (e) => {
      if (!game || !db) return;
      if (e.data === 'wiped') game._kanaburst_record_forget();
      Read();
    };
  }

  function Import(file) {
    if (!game || !file) return;
    file.slice(0, kLargestFile + 1).arrayBuffer().then((buffer) => {
      const bytes = new Uint8Array(buffer);
      const data = game._malloc(Math.max(1, bytes.length)), name = Text(file.name);
      game.HEAPU8.set(bytes, data);
      game._kanaburst_record_import(name, data, bytes.length);
      game._free(data);
      game._free(name);
    }, (e) => { $('status').textContent = `${file.name} could not be read: ${e.message}`; });
  }

  // The record's canvas takes the keys while it is shown: none of them reaches the game.
  function Controls() {
    const canvas = $('record');
    canvas.addEventListener('keydown', (e) => {
      e.stopPropagation();
      if (e.ctrlKey || e.metaKey || e.altKey) return;  // the browser's own
      e.preventDefault();  // Tab, the arrows and the rest are the record's
      if (game && !e.repeat) game._kanaburst_record_key(e.keyCode);
    });
    canvas.addEventListener('keyup', (e) => e.stopPropagation());
    // A click on one of the latest matches watches it: in the picture's own pixels.
    canvas.addEventListener('click', (e) => {
      if (!game) return;
      const box = canvas.getBoundingClientRect();
      game._kanaburst_record_click(Math.floor((e.clientX - box.left) * canvas.width / box.width),
                                   Math.floor((e.clientY - box.top) * canvas.height / box.height));
    });
    canvas.addEventListener('dragover', (e) => e.preventDefault());
    canvas.addEventListener('drop', (e) => {
      e.preventDefault();
      e.stopPropagation();  // not the page's drop, which takes a word list
      Import(e.dataTransfer.files[0]);
    });
    $('record-open').addEventListener('click', () => {
      if (game && !game._kanaburst_record_open())
        $('status').textContent = 'Your record opens on the title or after a match.';
    });
    $('record-export').addEventListener('click', () => game && game._kanaburst_record_export());
    $('record-close').addEventListener('click', () => game && game._kanaburst_record_close());
    $('record-file').addEventListener('change', (e) => {
      Import(e.target.files[0]);
      e.target.value = '';
      canvas.focus();
    });
  }

  window.kanaburstRecord = {
    // The title is up (the game's module): the storage is opened and read.
    begin(module) {
      game = module;
      $('record-open').disabled = false;
      if (window.indexedDB) Open(); else Fail('This browser keeps nothing for the page');
    },
    write(kind, key, text) {
      Keep({ kind, key, value: kind === kReplays ? text : JSON.parse(text) });
    },
    wipe() {
      Keep({ wipe: true });
    },
    show(rgba, w, h) {
      const canvas = $('record');
      canvas.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(rgba.buffer), w, h),
                                           0, 0);
      if (!canvas.hidden) return;
      canvas.hidden = false;
      $('record-actions').hidden = false;
      canvas.focus();
    },
    hide() {
      $('record').hidden = true;
      $('record-actions').hidden = true;
      $('canvas').focus();
    },
    download(bytes, name) {
      const link = document.createElement('a');
      link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/json' }));
      link.download = name;
      link.click();
      setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    },
  };
  document.addEventListener('DOMContentLoaded', Controls);
})();
