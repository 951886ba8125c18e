// The game's music in the page: FluidSynth (js-synthesizer) playing the General MIDI bank the
// desktop game plays, TimGM6mb.sf2, cut down to the instruments and notes of the bundled pieces
// (tools/web/trim-soundfont.py: every note sounds as with the full bank). The synthesiser's
// scripts and the bank download once the game's own code has come (fetch()), and the
// synthesiser starts only once the page says the title is up (begin()), so that neither holds
// up its first frame; pieces opened and played before then start when it is ready. One
// piece at a time, held at its start until played; a piece counts as playing until its written
// length has passed, as on the desktop.
(function () {
  const kBank = 'TimGM6mb-kanaburst.sf2';
  const kScripts = ['libfluidsynth-2.3.0.js', 'js-synthesizer.min.js'];

  let context = null;
  let synth = null;
  let ready = null;
  let piece = null;     // the open piece's bytes
  let lengthMs = 0;
  let playing = false;
  let startedAt = 0;    // performance.now() at which the piece would have begun
  let heldMs = 0;       // where a stopped piece stands
  let heldTick = 0;
  let turn = 0;         // every command takes a new turn; work for an older one is dropped
  let begin = null;
  const begun = new Promise((resolve) => { begin = resolve; });

  // Scripts added in order and run in that order (js-synthesizer needs FluidSynth), while both
  // download side by side.
  function LoadScript(src) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = src;
      script.async = false;
      script.onload = resolve;
      script.onerror = () => reject(new Error(src + ' did not load'));
      document.head.appendChild(script);
    });
  }

  // The synthesiser's scripts and the bank start coming. The page asks for them once the game's
  // own code has come, so that they never share the line with what the title needs; a piece
  // opened before then asks for them itself.
  let bank = null;
  function Fetch() {
    if (bank) return bank;
    for (const src of kScripts) {
      const link = document.createElement('link');
      link.rel = 'preload';
      link.as = 'script';
      link.href = src;
      document.head.appendChild(link);
    }
    bank = fetch(kBank).then((response) => {
      if (!response.ok) throw new Error('status ' + response.status);
      return response.arrayBuffer();
    }).then((bytes) => {
      if (!bytes.byteLength) throw new Error('empty');
      return bytes;
    }).catch((e) => { throw new Error(`${kBank}: ${e.message}`); });
    bank.catch(() => {});  // reported where the synthesiser takes it
    return bank;
  }

  function Start() {
    if (ready) return ready;
    context = window.kanaburstAudio;  // the page's one sound output (page.js)
    if (!context) return (ready = Promise.resolve());
    const bytes = Fetch();
    ready = begun
        .then(() => Promise.all(kScripts.map(LoadScript)))
        .then(() => JSSynth.waitForReady())
        .then(() => {
          synth = new JSSynth.Synthesizer();
          synth.init(context.sampleRate);
          synth.createAudioNode(context, 8192).connect(context.destination);
          return bytes;
        })
        .then((bytes) => synth.loadSFont(bytes).catch((e) => {
          throw new Error(`${kBank}: ${e.message || 'no SoundFont'}`);
        }))
        .then(() => { window.kanaburstMusic.bankLoaded = true; })
        .catch(Failed);
    return ready;
  }

  // Without its bank (or its scripts) the game plays on silent, and the player is told why on
  // the page's status line.
  function Failed(e) {
    console.error('Kanaburst music: ' + e);
    const status = document.getElementById('status');
    if (status) {
      status.textContent =
          `The music could not load (${e.message}): the game plays on without it.`;
    }
  }

  function Silence() {
    if (synth) synth.stopPlayer();
  }

  window.kanaburstMusic = {
    bankLoaded: false,
    // The game's own files have come: the synthesiser's may.
    fetch() {
      Fetch();
    },
    // The title is up: the synthesiser may start now.
    begin() {
      begin();
    },
    open(bytes, ms) {
      this.close();
      piece = bytes.slice().buffer;
      lengthMs = ms;
      Start();
    },
    play() {
      if (!piece || playing) return;
      playing = true;
      startedAt = performance.now() - heldMs;
      const mine = ++turn, bytes = piece, tick = heldTick;
      ready.then(async () => {
        if (mine !== turn || !synth) return;
        await synth.resetPlayer();
        await synth.addSMFDataToPlayer(bytes);
        if (tick > 0) synth.seekPlayer(tick);
        if (mine === turn) await synth.playPlayer();
      });
    },
    stop() {
      if (!playing) return;
      playing = false;
      heldMs = performance.now() - startedAt;
      ++turn;
      if (synth) synth.retrievePlayerCurrentTick().then((t) => { heldTick = t; });
      Silence();
    },
    rewind() {
      this.stop();
      heldMs = 0;
      heldTick = 0;
      ++turn;
    },
    playing() {
      return playing && performance.now() - startedAt < lengthMs;
    },
    // Whether the synthesiser itself is playing a piece (for tests: playing() is our own count).
    sounding() {
      return synth !== null && synth.isPlayerPlaying();
    },
    close() {
      this.rewind();
      piece = null;
    },
  };
})();
