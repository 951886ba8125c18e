// The page around the game's canvas (web/shell.html): the progress line while loading, the
// canvas scaled to the window, the on-screen keyboard of a touch screen, the player's own word
// list, the address box, the debug console, the lobby of public rooms, the game's passes while
// the page is hidden, and the offer to start again once the game has ended. window.kanaburst is
// the running game, window.kanaburstPage what the game calls back.
(function () {
  'use strict';
  // The player's own files, kept in the browser's storage (IndexedDB) between visits; the game
  // looks there before its bundled files (app/page/page_features.h: kPlayerDir).
  const kPlayerDir = '/kanaburst-player';
  const $ = (id) => document.getElementById(id);
  let game = null;  // the module, once its main() has run
  let module = null;  // the module while it loads

  // The sound outputs: one for the game's effects (SDL takes it from Module.SDL2) at the rate
  // the effects are made at, so that the game need not resample them as it starts, and one for
  // the music (music.js) at the browser's own. A browser takes a moment to open its first one:
  // better spent while the game's code compiles than in the game's start-up. Browsers let sound
  // start only after the player has done something.
  const kEffectsRate = 22050;
  const sdl = {};
  function OpenAudio() {
    if (!window.AudioContext) return;
    const music = new AudioContext();
    let effects = music;
    try {
      effects = new AudioContext({ sampleRate: kEffectsRate });
    } catch (e) { /* a browser without that rate: the effects share the music's */ }
    for (const what of ['keydown', 'mousedown', 'touchend']) {
      document.addEventListener(what, () => { music.resume(); effects.resume(); });
    }
    window.kanaburstAudio = music;
    sdl.audioContext = effects;
  }

  // One line in the canvas's place while the game loads: what is coming and how far it is.
  const progress = {
    wasm: 0, data: 0, total: Number($('canvas').dataset.bytes) || 0,
    due: false,
    // At most once an animation frame: the bytes come in many small pieces.
    Show() {
      if (this.due) return;
      this.due = true;
      requestAnimationFrame(() => { this.due = false; this.Draw(); });
    },
    Draw() {
      const done = this.wasm + this.data;
      const mb = (n) => (n / 1e6).toFixed(1);
      $('progress-line').textContent = this.total
          ? `Loading Kanaburst… ${mb(done)} of ${mb(this.total)} MB`
          : `Loading Kanaburst… ${mb(done)} MB`;
      if (this.total) $('progress-bar').value = Math.min(1, done / this.total);
    },
  };

  // The game's code, compiled as it streams in and counted beside the compiler: the compiler
  // reads its copy without this page's script, which may be busy meanwhile.
  function InstantiateWasm(imports, receive) {
    fetch('index.wasm').then((response) => {
      if (!response.ok) throw new Error('index.wasm: ' + response.status);
      const [forCompiler, forCount] = response.body.tee();
      Count(forCount.getReader());
      const compiled = WebAssembly.instantiateStreaming(
          new Response(forCompiler, { headers: { 'Content-Type': 'application/wasm' } }), imports);
      OpenAudio();
      return compiled;
    }).then((result) => receive(result.instance, result.module))
      .catch((e) => Failed('the game could not load: ' + e.message));
    return {};
  }

  async function Count(reader) {
    for (;;) {
      const { done, value } = await reader.read();
      if (done) return window.kanaburstMusic?.fetch();
      progress.wasm += value.length;
      progress.Show();
    }
  }

  function Failed(text) {
    $('progress-line').textContent = text;
    $('status').textContent = text;
  }

  // The player's folder, read back from the browser's storage before the game starts.
  function MountPlayerDir(m) {
    m.FS.mkdir(kPlayerDir);
    m.FS.mount(m.FS.filesystems.IDBFS, {}, kPlayerDir);
    m.addRunDependency('player-files');
    m.FS.syncfs(true, (err) => {
      if (err) console.error('Kanaburst: the saved files could not be read: ' + err);
      m.removeRunDependency('player-files');
    });
  }

  function Persist(then) {
    game.FS.syncfs(false, (err) => {
      if (err) $('status').textContent = 'Your words could not be kept for the next visit: ' + err;
      then();
    });
  }

  // The player's own word list: written to their folder, kept, and read by the game at once.
  function UseWords(file) {
    if (!game || !file) return;
    file.arrayBuffer().then((bytes) => {
      game.FS.writeFile(kPlayerDir + '/str.dat', new Uint8Array(bytes));
      $('words-bundled').hidden = false;
      Persist(() => game._kanaburst_words_changed());
    }, (e) => { $('status').textContent = `${file.name} could not be read: ${e.message}`; });
  }

  function UseBundledWords() {
    if (!game) return;
    try { game.FS.unlink(kPlayerDir + '/str.dat'); } catch (e) { /* already the bundled list */ }
    $('words-bundled').hidden = true;
    Persist(() => game._kanaburst_words_changed());
  }

  // A key press and release as the browser would send them for a character the on-screen
  // keyboard typed; the game listens to the window's keys.
  function SendKey(key) {
    const codes = { ' ': 'Space', ',': 'Comma', '.': 'Period', '/': 'Slash', '-': 'Minus',
                    Enter: 'Enter', Backspace: 'Backspace', ArrowUp: 'ArrowUp',
                    ArrowDown: 'ArrowDown' };
    const keyCodes = { ' ': 32, ',': 188, '.': 190, '/': 191, '-': 189, Enter: 13, Backspace: 8,
                       ArrowUp: 38, ArrowDown: 40 };
    let code = codes[key], keyCode = keyCodes[key];
    if (/^[a-z]$/i.test(key)) {
      code = 'Key' + key.toUpperCase();
      keyCode = key.toUpperCase().charCodeAt(0);
      key = key.toLowerCase();
    } else if (/^[0-9]$/.test(key)) {
      code = 'Digit' + key;
      keyCode = key.charCodeAt(0);
    }
    if (!code) return;
    for (const type of ['keydown', 'keyup'])
      window.dispatchEvent(new KeyboardEvent(type, { key, code, keyCode, which: keyCode }));
  }

  // A touch screen's keyboard types into a hidden field over the canvas; what it types reaches
  // the game as key presses. Keys with a code of their own (Enter, Backspace on most keyboards)
  // pass on as they are; the rest come as text.
  function TouchKeys() {
    const field = $('touch-keys');
    const kKeep = ' ';  // something for Backspace to erase
    let realKey = '';
    field.value = kKeep;
    field.addEventListener('keydown', (e) => {
      realKey = e.key === 'Unidentified' || e.keyCode === 229 ? '' : e.key;
      if (!realKey) e.stopPropagation();
    });
    field.addEventListener('keyup', (e) => {
      if (e.key === 'Unidentified' || e.keyCode === 229) e.stopPropagation();
      realKey = '';
    });
    field.addEventListener('input', (e) => {
      if (!realKey) {  // a real key press has already gone to the game
        if (e.inputType === 'deleteContentBackward') SendKey('Backspace');
        if (e.inputType === 'insertLineBreak') SendKey('Enter');
        if (e.inputType === 'insertText' && e.data) [...e.data].forEach(SendKey);
      }
      realKey = '';
      field.value = kKeep;
    });
    $('canvas').addEventListener('touchend', (e) => {
      e.preventDefault();
      field.focus();
    });
    for (const button of document.querySelectorAll('#touch-buttons button')) {
      button.addEventListener('click', () => {
        SendKey(button.dataset.key);
        field.focus();
      });
    }
    $('touch-buttons').hidden = !window.matchMedia('(pointer: coarse)').matches;
  }

  function WordControls() {
    $('words-file').addEventListener('change', (e) => {
      UseWords(e.target.files[0]);
      e.target.value = '';
      $('canvas').focus();
    });
    $('words-bundled').addEventListener('click', () => {
      UseBundledWords();
      $('canvas').focus();
    });
    document.addEventListener('dragover', (e) => e.preventDefault());
    // A replay dropped is watched (replays.js); any other file is a word list.
    document.addEventListener('drop', (e) => {
      e.preventDefault();
      const file = e.dataTransfer.files[0];
      if (file && window.kanaburstReplays) kanaburstReplays.dropped(file, UseWords);
      else UseWords(file);
    });
  }

  // The address box keeps its keys from the game but for Enter, which connects, and Escape,
  // which reaches the game as on the connection screen: it cancels.
  function AddressBox() {
    $('address').addEventListener('keydown', (e) => {
      if (e.key === 'Escape') return;
      e.stopPropagation();
      if (e.key === 'Enter' && game) {
        e.preventDefault();
        game._kanaburst_address_key(13);
      }
    });
    $('address').addEventListener('keyup', (e) => {
      if (e.key !== 'Escape') e.stopPropagation();
    });
  }

  // The console's command box keeps its keys from the game but for Enter, which sends it.
  function DebugConsole() {
    $('console-command').addEventListener('keydown', (e) => {
      e.stopPropagation();
      if (e.key === 'Enter' && game) {
        e.preventDefault();
        game._kanaburst_console_key(13);
      }
    });
    $('console-copy').addEventListener('click', () => game && game._kanaburst_console_copy());
    $('console-close').addEventListener('click', () => game && game._kanaburst_console_close());
  }

  // The text of an input element put on the clipboard; done() once it is there.
  function Copy(input, done) {
    // The clipboard API needs a secure page; a page over plain http copies the selection.
    if (navigator.clipboard && window.isSecureContext) {
      navigator.clipboard.writeText(input.value).then(done);
    } else {
      input.select();
      if (document.execCommand('copy')) done();
    }
    $('canvas').focus();
  }

  // While this page's server has a room open, the link that joins it, copied with one click.
  function RoomShare() {
    $('room-copy').addEventListener('click', () => {
      Copy($('room-link'), () => { $('room-copy').textContent = 'Copied'; });
    });
  }

  // The lobby: host a room listed under the player's name, join the longest-waiting public room,
  // or pick one from the list of those waiting. The name is kept for the next visit.
  const kNameKey = 'kanaburst-lobby-name';
  function Lobby() {
    const name = $('lobby-name');
    try { name.value = localStorage.getItem(kNameKey) || ''; } catch (e) { /* no storage */ }
    const say = (text) => { $('lobby-status').textContent = text; };
    const started = (done) => {
      if (done === 0) say('The lobby starts a match from the title: finish or leave this one first.');
      if (done === 1) $('canvas').focus();
    };
    $('lobby-host').addEventListener('click', () => {
      if (!game) return;
      try { localStorage.setItem(kNameKey, name.value); } catch (e) { /* no storage */ }
      const done = game.ccall('kanaburst_host_public', 'number', ['string'], [name.value]);
      if (done === -1) say('Give the name other players see in the lobby first.');
      else say(done === 1 ? `Your room is listed in the lobby as ${name.value.trim()}.` : '');
      started(done);
    });
    $('lobby-quick').addEventListener('click', () => {
      if (game) started(game.ccall('kanaburst_join', 'number', ['string'], ['quick']));
    });
    $('lobby-look').addEventListener('click', () => {
      if (!game) return;
      say('Looking at the lobby…');
      game._kanaburst_look_at_lobby();
    });
  }

  // Text of a number of seconds, as the desktop's --lobby shows it: 0:42, 12:05, 1:02:10.
  function Waited(seconds) {
    const two = (n) => String(n).padStart(2, '0');
    const h = Math.floor(seconds / 3600), m = Math.floor(seconds / 60) % 60, s = seconds % 60;
    return h > 0 ? `${h}:${two(m)}:${two(s)}` : `${m}:${two(s)}`;
  }

  // The rooms a look at the lobby found, each with the button that joins it; at most ten.
  function ShowRooms(lines, problem) {
    const list = $('lobby-rooms');
    const rows = list.tBodies[0];
    rows.textContent = '';
    const rooms = lines.split('\n').filter((l) => l).map((l) => l.split('\t')).slice(0, 10);
    for (const [code, seconds, name, words] of rooms) {
      const row = rows.insertRow();
      for (const text of [Waited(Number(seconds)), name, words])
        row.insertCell().textContent = text;
      const join = document.createElement('button');
      join.textContent = 'Join';
      join.dataset.code = code;
      join.addEventListener('click', () => {
        if (game) {
          const done = game.ccall('kanaburst_join', 'number', ['string'], [code]);
          if (done === 0) $('lobby-status').textContent =
              'The lobby starts a match from the title: finish or leave this one first.';
          else $('canvas').focus();
        }
      });
      row.insertCell().appendChild(join);
    }
    list.hidden = rooms.length === 0;
    $('lobby-status').textContent = problem ? `The lobby could not be reached: ${problem}`
        : rooms.length ? 'Public rooms waiting, the longest first:' : 'No public room is waiting.';
  }

  // While the page is hidden the browser gives it no animation frames, and its timers slow to
  // one a second and later to one a minute; a worker's timers it leaves alone. So a worker's
  // ticks run the game's passes then, each catching up on every frame that came due, and a
  // message from the relay runs one at once, so that the other player gets its answer in time.
  let passQueued = false;
  const passes = new MessageChannel();
  function HiddenPass() {
    passQueued = false;
    if (game && document.hidden) game._kanaburst_hidden_pass();
  }
  function HiddenTicks() {
    const ticker = 'let t = 0; onmessage = (e) => { clearInterval(t); ' +
        'if (e.data) t = setInterval(() => postMessage(0), 16); };';
    const worker = new Worker(URL.createObjectURL(new Blob([ticker], { type: 'text/javascript' })));
    worker.onmessage = HiddenPass;
    passes.port1.onmessage = HiddenPass;
    const follow = () => worker.postMessage(document.hidden);
    document.addEventListener('visibilitychange', follow);
    follow();
  }

  // The page's settings from its address bar, read once here and handed to the game as its
  // arguments: ?relay=URL (or several, separated by commas; by default the relay beside the
  // page on the host that served it: over https through the web server in front of both, at
  // wss://HOST[:PORT]/mqtt as relay/Caddyfile passes it on, over http on the relay's own port
  // 9001, as `make web-run` serves it), ?bridge=PORT (the WebSocket bridge in front of a desktop
  // game), ?room=CODE (a room to join at once) and ?seed=N (a fixed random sequence, for tests).
  const settings = new URLSearchParams(location.search);
  const kOwnRelay = location.protocol === 'https:' ? 'wss://' + location.host + '/mqtt'
                                                   : 'ws://' + location.hostname + ':9001/';
  function GameArguments() {
    const args = ['--relay', settings.get('relay') || kOwnRelay];
    for (const name of ['bridge', 'room', 'seed']) {
      if (settings.has(name)) args.push('--' + name, settings.get(name));
    }
    return args;
  }

  window.kanaburstPage = {
    // The room this page's server keeps open changed: its code as shown, '' for none.
    roomChanged(code) {
      $('room-share').hidden = !code;
      $('room-code').textContent = code;
      if (!code) return;
      const link = new URL(location.href);
      link.search = '';
      if (settings.has('relay')) link.searchParams.set('relay', settings.get('relay'));
      link.searchParams.set('room', code.replace(/ /g, ''));
      $('room-link').value = link.href;
      $('room-copy').textContent = 'Copy the link';
    },
    // The game's words need characters the face in use lacks: the next, larger one.
    loadFace(file, path) {
      const slow = setTimeout(() => { $('status').textContent = 'Loading the typeface…'; }, 1000);
      fetch(file).then((response) => {
        if (!response.ok) throw new Error(file + ': ' + response.status);
        return response.arrayBuffer();
      }).then((bytes) => {
        module.FS.writeFile(path, new Uint8Array(bytes));
        module._kanaburst_face_loaded();
        this.faces.push(file);
      }).catch((e) => {
        $('status').textContent = 'The typeface did not load: ' + e.message;
      }).finally(() => {
        clearTimeout(slow);
        if ($('status').textContent === 'Loading the typeface…') $('status').textContent = '';
      });
    },
    faces: [],  // the faces loaded so far
    // What a look at the lobby found (lines of tab-separated fields), or why it failed.
    lobbyRooms(lines, problem) { ShowRooms(lines, problem); },
    // A message from the relay came in: a hidden page runs a pass for it.
    relayBrought() {
      if (!document.hidden || passQueued) return;
      passQueued = true;
      passes.port2.postMessage(0);
    },
    // The game has ended: the page says so, and starts it again at the title on request (not
    // in the room a link named, which is gone).
    gameEnded() {
      $('ended').hidden = false;
      $('restart').focus();
    },
    copy: Copy,
  };

  // Once the page is read and the game's script (loaded async) has run, not when every file
  // has come: the game's code compiles while it streams in.
  document.addEventListener('DOMContentLoaded', () => {
    if (typeof KanaburstGame === 'function') return Start();
    const script = document.querySelector('script[src="index.js"]');
    script.addEventListener('load', Start);
    script.addEventListener('error', () => Failed('the game could not load: index.js'));
  });

  function Start() {
    const canvas = $('canvas');
    canvas.focus();
    progress.Show();
    TouchKeys();
    WordControls();
    AddressBox();
    DebugConsole();
    RoomShare();
    Lobby();
    HiddenTicks();
    $('restart').addEventListener('click', () => {
      const again = new URL(location.href);
      again.searchParams.delete('room');
      location.replace(again.href);
    });
    KanaburstGame({
      canvas,
      arguments: GameArguments(),
      print: (text) => console.log(text),
      printErr: (text) => console.error(text),
      instantiateWasm: InstantiateWasm,
      SDL2: sdl,
      // The game decodes its own pictures and sounds: the browser need not decode the packaged
      // copies before main() may run.
      noImageDecoding: true,
      noAudioDecoding: true,
      preRun: [(m) => { module = m; MountPlayerDir(m); }],
      setStatus: (text) => {
        // The packaged files: "Downloading data... (done/total)".
        const counts = /\((\d+)\/(\d+)\)/.exec(text);
        if (counts) {
          progress.data = Number(counts[1]);
          progress.Show();
        }
      },
      // SDL takes the canvas's size from its style when it has one: the style that scales it
      // to the window goes while SDL makes its window and comes back right after.
      onRuntimeInitialized: () => canvas.classList.remove('scaled'),
    }).then((m) => {
      canvas.classList.add('scaled');
      $('progress').hidden = true;
      $('words-bundled').hidden = !m.FS.analyzePath(kPlayerDir + '/str.dat').exists;
      game = m;
      window.kanaburst = m;
      window.kanaburstReplays?.started(m);
    }, (e) => Failed('the game could not start: ' + e));
  }
})();
