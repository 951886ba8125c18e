// The game's music in the page: FluidSynth (js-synthesizer) playing the General MIDI bank the
// desktop game plays, TimGM6mb.sf2. One piece at a time, held at its start until played; a
// piece counts as playing until its written length has passed, as on the desktop.
(function () {
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

  function Start() {
    if (ready) return ready;
    context = new AudioContext();
    // Browsers let sound start only after the player has done something.
    const resume = () => context.resume();
    document.addEventListener('keydown', resume);
    document.addEventListener('mousedown', resume);
    ready = JSSynth.waitForReady()
        .then(() => {
          synth = new JSSynth.Synthesizer();
          synth.init(context.sampleRate);
          synth.createAudioNode(context, 8192).connect(context.destination);
          return fetch('TimGM6mb.sf2');
        })
        .then((response) => response.arrayBuffer())
        .then((bank) => synth.loadSFont(bank))
        .then(() => { window.kanaburstMusic.bankLoaded = true; })
        .catch((e) => console.error('Kanaburst music: ' + e));
    return ready;
  }

  function Silence() {
    if (synth) synth.stopPlayer();
  }

  window.kanaburstMusic = {
    bankLoaded: false,
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
