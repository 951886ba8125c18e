// Node has no Web Audio, and without threads SDL's dummy audio device cannot be opened (it
// needs a mixing thread), so the smoke test opens SDL's browser audio driver against this
// silent stand-in of the few parts of AudioContext that it touches.
if (typeof AudioContext === 'undefined') {
  globalThis.AudioContext = class {
    constructor() {
      this.sampleRate = 44100;
      this.state = 'running';
      this.destination = {};
    }
    createScriptProcessor() {
      return {connect() {}, disconnect() {}};
    }
    resume() {}
    close() {}
  };
  // Where the page would resume audio on the first key press.
  globalThis.document = {getElementById: () => null, addEventListener() {}};
}
// Asked whether there is a microphone; node before 21 has no navigator at all.
globalThis.navigator ??= {};
