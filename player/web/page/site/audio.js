// The page's sound: one AudioContext, started by the player's first gesture as browsers
// require. Sound effects play as AudioBuffers; the music's synthesizer runs in an
// AudioWorklet (music-worklet.js) and its messages arrive stamped with the frame at which
// they sound: the time they became due plus a constant latency, as on the desktop.
//
// The music clock is the audio clock while the synthesizer is ready and the audio runs, and
// stands still otherwise: a song waits for the first gesture (and for the SoundFont) and
// then starts from its beginning. The worklet posts 'tick' at the frames the engine's music
// timer asks for, so the 10 ms steps keep time in a tab in the background too.

export const LATENCY_SECONDS = 0.025;

const WORKLET_MODULES = ['libfluidsynth-2.4.6.js', 'js-synthesizer.worklet.min.js',
                         'music-worklet.js'];

export class PageAudio {
  constructor() {
    const Context = globalThis.AudioContext || globalThis.webkitAudioContext;
    this.context = Context ? new Context({ latencyHint: 'interactive' }) : null;
    this.sampleRate = this.context ? this.context.sampleRate : 0;
    this.source = null;
    this.soundsPlayed = 0;
    this.node = null;
    this.synthReady = false;
    // The music clock: `frozen` µs when it last stopped, running since context time `since`.
    this.frozen = 0;
    this.since = null;
    this.base = null;
    this.held = [];
    this.wantWake = -1;
    this.wakeFrame = null;
    this.ticks = 0;  // the audio side's wake-ups, counted for the tests
    this.onMusicTick = () => {};
    if (!this.context) return;
    this.soundGain = this.context.createGain();
    this.soundGain.connect(this.context.destination);
    this.context.addEventListener('statechange', () => this.updateClock());
  }

  // Resumes the audio at the player's first gesture (and after the browser suspended it).
  startOnGesture(target = window) {
    if (!this.context) return;
    const resume = () => {
      if (this.context.state !== 'running') this.context.resume().catch(() => {});
    };
    for (const type of ['pointerdown', 'keydown', 'touchend']) {
      target.addEventListener(type, resume, { capture: true });
    }
  }

  get running() {
    return this.context !== null && this.context.state === 'running';
  }

  // Loads the synthesizer and the SoundFont; the music is silent until then.
  async loadMusic(soundFontUrl) {
    if (!this.context || !this.context.audioWorklet) {
      throw new Error('this browser has no AudioWorklet (the page needs https or localhost)');
    }
    const [soundFont] = await Promise.all([
      fetch(soundFontUrl).then((response) => {
        if (!response.ok) throw new Error(`${soundFontUrl}: ${response.status}`);
        return response.arrayBuffer();
      }),
      WORKLET_MODULES.reduce((loaded, module) =>
        loaded.then(() => this.context.audioWorklet.addModule(module)), Promise.resolve()),
    ]);
    this.node = new AudioWorkletNode(this.context, 'vornal-music',
                                     { numberOfInputs: 0, outputChannelCount: [2] });
    this.node.connect(this.context.destination);
    const ready = new Promise((resolve, reject) => {
      this.node.port.onmessage = ({ data }) => {
        if (data.type === 'ready') resolve();
        else if (data.type === 'failed') reject(new Error(data.reason));
        else if (data.type === 'tick') {
          this.wakeFrame = null;
          ++this.ticks;
          this.onMusicTick();
        }
        else if (data.type === 'stats') this.statsWaiter?.(data.stats);
      };
    });
    if (this.gain !== undefined) this.node.port.postMessage({ type: 'gain', gain: this.gain });
    this.node.port.postMessage({ type: 'soundfont', data: soundFont }, [soundFont]);
    await ready;
    this.synthReady = true;
    this.updateClock();
  }

  // Sound effects: interleaved stereo at the context's rate. False when nothing can be heard
  // yet (the audio has not started).
  playSound(samples) {
    this.stopSound();
    if (!this.running) return false;
    const frames = samples.length / 2;
    if (frames === 0) return true;
    const buffer = this.context.createBuffer(2, frames, this.sampleRate);
    const left = buffer.getChannelData(0);
    const right = buffer.getChannelData(1);
    for (let i = 0; i < frames; ++i) {
      left[i] = samples[2 * i];
      right[i] = samples[2 * i + 1];
    }
    this.source = this.context.createBufferSource();
    this.source.buffer = buffer;
    this.source.connect(this.soundGain);
    this.source.start();
    ++this.soundsPlayed;
    return true;
  }

  stopSound() {
    if (!this.source) return;
    this.source.stop();
    this.source.disconnect();
    this.source = null;
  }

  // The music clock, in µs since the engine first read it.
  musicNow() {
    const raw = this.rawMicros();
    if (this.base === null) this.base = raw;
    return raw - this.base;
  }

  rawMicros() {
    if (this.since === null) return this.frozen;
    return this.frozen + (this.context.currentTime - this.since) * 1e6;
  }

  updateClock() {
    const run = this.synthReady && this.running;
    if (run && this.since === null) {
      this.since = this.context.currentTime;
      const held = this.held;
      this.held = [];
      this.post(held.map(([bytes, due, kind]) => this.stamp(bytes, due, kind)));
      this.wakeMusicAt(this.wantWake);
    } else if (!run && this.since !== null) {
      this.frozen = this.rawMicros();
      this.since = null;
    }
  }

  // The audio frame at which the music clock reads `micros` (the engine's time), no earlier
  // than the moment the clock began to run.
  frameAt(micros) {
    const raw = Math.max(micros + (this.base ?? 0), this.frozen);
    return Math.round((this.since + (raw - this.frozen) / 1e6) * this.sampleRate);
  }

  stamp(bytes, due, kind = 'message') {
    return { frame: this.frameAt(due) + Math.round(LATENCY_SECONDS * this.sampleRate), kind, bytes };
  }

  musicMessage(bytes, due, kind = 'message') {
    if (this.since === null) {
      // Sent while the clock stands (a song started before the audio): played from the
      // moment it runs.
      this.held.push([bytes, due, kind]);
      return;
    }
    this.post([this.stamp(bytes, due, kind)]);
  }

  musicReset(at) {
    this.musicMessage([], at, 'reset');
  }

  musicGain(gain) {
    this.gain = gain;
    if (this.node) this.node.port.postMessage({ type: 'gain', gain });
  }

  post(events) {
    if (this.node && events.length) this.node.port.postMessage({ type: 'events', events });
  }

  // The engine's next music step is due at `micros` (its clock), or none (-1).
  wakeMusicAt(micros) {
    this.wantWake = micros;
    if (!this.node || this.since === null) return;
    const frame = micros < 0 ? null : this.frameAt(micros);
    if (frame === this.wakeFrame) return;
    this.wakeFrame = frame;
    this.node.port.postMessage({ type: 'wake', frame });
  }

  // How well the messages were timed so far (for tests and measurements).
  musicStats() {
    if (!this.node) return Promise.resolve(null);
    return new Promise((resolve) => {
      this.statsWaiter = resolve;
      this.node.port.postMessage({ type: 'stats' });
    });
  }
}
