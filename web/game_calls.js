// What the game's C++ side calls in the page, linked into the game by emscripten's --js-library
// (src/platform/web/page_script.h declares each call). Each call turns the C++ side's pointers
// into JavaScript values and back; the page's own work is in page.js and music.js, and a page
// without them (the driver under node never calls these) loses nothing but the call.
mergeInto(LibraryManager.library, {
  // The text of the page's input element with that id, as UTF-8 that the caller frees.
  kb_input_text: function (id) {
    return allocateUTF8(document.getElementById(UTF8ToString(id)).value);
  },
  kb_set_input_text: function (id, text) {
    document.getElementById(UTF8ToString(id)).value = UTF8ToString(text);
  },

  // The address box (#address): shown with the keys in it, or hidden with them back on the game.
  kb_address_show: function (shown) {
    const box = document.getElementById('address');
    box.hidden = !shown;
    (shown ? box : document.getElementById('canvas')).focus();
  },
  kb_address_shown: function () {
    return document.getElementById('address').hidden ? 0 : 1;
  },

  // The debug console (#console): shown, or closed with its log and command box emptied.
  kb_console_show: function () {
    document.getElementById('console').hidden = false;
  },
  kb_console_close: function () {
    document.getElementById('console').hidden = true;
    document.getElementById('console-log').textContent = '';
    document.getElementById('console-command').value = '';
    document.getElementById('canvas').focus();
  },
  // A line at the foot of the log, kept in view.
  kb_console_append: function (line) {
    const log = document.getElementById('console-log');
    log.textContent += UTF8ToString(line) + '\n';
    log.scrollTop = log.scrollHeight;
  },
  kb_clipboard_write: function (text) {
    if (navigator.clipboard) navigator.clipboard.writeText(UTF8ToString(text));
  },

  // The music's synthesiser (music.js): the piece of len bytes at data, lasting lengthMs.
  kb_music_open: function (data, len, lengthMs) {
    if (window.kanaburstMusic) kanaburstMusic.open(HEAPU8.subarray(data, data + len), lengthMs);
  },
  kb_music_play: function () {
    if (window.kanaburstMusic) kanaburstMusic.play();
  },
  kb_music_stop: function () {
    if (window.kanaburstMusic) kanaburstMusic.stop();
  },
  kb_music_rewind: function () {
    if (window.kanaburstMusic) kanaburstMusic.rewind();
  },
  kb_music_playing: function () {
    return window.kanaburstMusic && kanaburstMusic.playing() ? 1 : 0;
  },
  kb_music_close: function () {
    if (window.kanaburstMusic) kanaburstMusic.close();
  },
  // The title is up: the synthesiser may load now without holding up its first frame.
  kb_music_begin: function () {
    if (window.kanaburstMusic) kanaburstMusic.begin();
  },

  // The rate of the effects' output the page opened (page.js), 0 when it opened none.
  kb_effects_rate: function () {
    const output = Module['SDL2'] && Module['SDL2'].audioContext;
    return output ? output.sampleRate : 0;
  },
  // The face `file` beside the page, fetched and written to `path`; kanaburst_face_loaded follows.
  kb_load_face: function (file, path) {
    if (window.kanaburstPage) kanaburstPage.loadFace(UTF8ToString(file), UTF8ToString(path));
  },
  // The code of the room this page's server keeps open, as shown; '' when it keeps none.
  kb_room_changed: function (code) {
    if (window.kanaburstPage) kanaburstPage.roomChanged(UTF8ToString(code));
  },
  // What a look at the lobby found: lines of tab-separated fields, or why it failed.
  kb_lobby_rooms: function (rooms, problem) {
    if (window.kanaburstPage) kanaburstPage.lobbyRooms(UTF8ToString(rooms), UTF8ToString(problem));
  },
  // The game has ended: the page offers to start it again.
  kb_game_ended: function () {
    if (window.kanaburstPage) kanaburstPage.gameEnded();
  },

  // Replays (replays.js): a match's, as text and as a link's deflated bytes (none when too long
  // for a link), and the end of watching one.
  kb_replay_recorded: function (text, packed, len) {
    if (window.kanaburstReplays)
      kanaburstReplays.recorded(UTF8ToString(text), HEAPU8.slice(packed, packed + len));
  },
  kb_replay_closed: function () {
    if (window.kanaburstReplays) kanaburstReplays.closed();
  },

  // The player's record (record.js): its storage in the browser and its canvas.
  kb_record_begin: function () {
    if (window.kanaburstRecord) kanaburstRecord.begin(Module);
  },
  kb_record_write: function (kind, key, text) {
    if (window.kanaburstRecord) kanaburstRecord.write(kind, UTF8ToString(key), UTF8ToString(text));
  },
  kb_record_wipe: function () {
    if (window.kanaburstRecord) kanaburstRecord.wipe();
  },
  kb_record_show: function (rgba, w, h) {
    if (window.kanaburstRecord) kanaburstRecord.show(HEAPU8.slice(rgba, rgba + w * h * 4), w, h);
  },
  kb_record_hide: function () {
    if (window.kanaburstRecord) kanaburstRecord.hide();
  },
  kb_record_download__deps: ['$FS'],
  kb_record_download: function (path, name) {
    const file = UTF8ToString(path);
    const bytes = FS.readFile(file);
    FS.unlink(file);
    if (window.kanaburstRecord) kanaburstRecord.download(bytes, UTF8ToString(name));
  },

  // The links to the relay, through the page's MQTT client (paho-mqtt, fetched the first time a
  // room is used, so that the title does not wait for it). Each link, by its handle, keeps its
  // state (0 connecting, 1 up, 2 down), why it is down, what came in, and what waits for the
  // connection.
  kb_relay_open: function (url, user, id, will, willRetained) {
    const relays = Module.kbRelays || (Module.kbRelays = { next: 1 });
    const r = { state: 0, why: '', inbox: [], waiting: [], client: null };
    const handle = relays.next++;
    relays[handle] = r;
    const address = UTF8ToString(url), userName = UTF8ToString(user);
    const clientId = UTF8ToString(id), willTopic = UTF8ToString(will);
    const down = function (why) {
      if (r.state === 2) return;
      r.state = 2;
      r.why = why;
      r.waiting = [];
    };
    const start = function () {
      if (r.state === 2) return;
      try {
        r.client = new Paho.Client(address, clientId);
      } catch (e) {
        return down('Cannot reach the relay ' + address + ': ' + e.message);
      }
      r.client.onMessageArrived = function (m) {
        r.inbox.push([m.destinationName, m.payloadBytes]);
        // A hidden page's loop runs late: the message wakes it, so that the peer gets its answer.
        if (window.kanaburstPage) kanaburstPage.relayBrought();
      };
      r.client.onConnectionLost = function () { down('Lost the relay ' + address); };
      // A hidden page's timers fire once a second at most, and chains of them (a timer set by a
      // timer) once a minute after five minutes hidden; the client's keep-alive (5 s) holds all
      // the same, since each PINGRESP sets its next ping from the socket's event, not a timer.
      const options = {
        userName: userName, keepAliveInterval: 5, cleanSession: true, timeout: 10,
        onSuccess: function () {
          r.state = 1;
          r.waiting.forEach(function (send) { send(); });
          r.waiting = [];
        },
        onFailure: function (e) { down('Cannot reach the relay ' + address + ': ' + e.errorMessage); },
      };
      // An empty will topic: no will (a look at the lobby leaves nothing behind).
      if (willTopic !== '') {
        const farewell = new Paho.Message(new Uint8Array(0));
        farewell.destinationName = willTopic;
        farewell.retained = willRetained !== 0;
        options.willMessage = farewell;
      }
      r.client.connect(options);
    };
    if (typeof Paho !== 'undefined') {
      start();
    } else {
      if (!Module.kbPahoLoading) {
        Module.kbPahoLoading = new Promise(function (ok, fail) {
          const script = document.createElement('script');
          script.src = 'paho-mqtt-min.js';
          script.onload = ok;
          script.onerror = fail;
          document.head.appendChild(script);
        });
      }
      Module.kbPahoLoading.then(start, function () { down('The page could not load its MQTT client'); });
    }
    return handle;
  },
  kb_relay_state: function (handle) {
    const r = Module.kbRelays && Module.kbRelays[handle];
    return r ? r.state : 2;
  },
  // Why the link is down, as UTF-8 that the caller frees.
  kb_relay_why: function (handle) {
    const r = Module.kbRelays && Module.kbRelays[handle];
    return allocateUTF8(r ? r.why : '');
  },
  // op 0 subscribes to topic, op 1 publishes len bytes at data to it (retained or not).
  kb_relay_send: function (handle, op, topic, data, len, retain) {
    const r = Module.kbRelays && Module.kbRelays[handle];
    if (!r || r.state === 2) return;
    const name = UTF8ToString(topic);
    const bytes = HEAPU8.slice(data, data + len);
    const send = function () {
      try {
        if (op === 0) {
          r.client.subscribe(name, { qos: 0 });
        } else {
          const m = new Paho.Message(bytes);
          m.destinationName = name;
          m.retained = retain !== 0;
          r.client.send(m);
        }
      } catch (e) {
        r.state = 2;
        r.why = 'Lost the relay: ' + e.message;
      }
    };
    if (r.state === 1) send(); else r.waiting.push(send);
  },
  // The next message as one block (topic length and topic, payload length and payload, lengths
  // as little-endian 32-bit words), which the caller frees; 0 when none is waiting.
  kb_relay_take__deps: ['malloc'],
  kb_relay_take: function (handle) {
    const r = Module.kbRelays && Module.kbRelays[handle];
    if (!r || r.inbox.length === 0) return 0;
    const next = r.inbox.shift();
    const name = new TextEncoder().encode(next[0]), payload = next[1];
    const block = _malloc(8 + name.length + payload.length);
    const words = new DataView(HEAPU8.buffer);  // after the malloc, which may grow memory
    words.setUint32(block, name.length, true);
    HEAPU8.set(name, block + 4);
    words.setUint32(block + 4 + name.length, payload.length, true);
    HEAPU8.set(payload, block + 8 + name.length);
    return block;
  },
  kb_relay_close: function (handle) {
    const r = Module.kbRelays && Module.kbRelays[handle];
    if (!r) return;
    delete Module.kbRelays[handle];
    // What was sent goes before the goodbye; the will is not published on a clean close.
    if (r.state === 1) { try { r.client.disconnect(); } catch (e) { /* already gone */ } }
    r.state = 2;
  },
});
