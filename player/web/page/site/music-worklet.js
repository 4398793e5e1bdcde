// The music's synthesizer in the page's audio thread: FluidSynth (js-synthesizer, whose
// modules are loaded into this scope first) with the SoundFont the page hands over, set up
// as the desktop's (player/music/outputs/SynthCore.cpp): the same gain, voices and limiter.
// Each message comes stamped with the audio frame at which it is to sound and is applied at
// the edge of FluidSynth's block nearest to it. The page's music clock runs on this
// thread's frames: asked for a frame, the processor posts 'tick' when it has rendered it.

const SYNTH_GAIN = 4.0;   // FluidSynth's gain, 20 times its default
const CEILING = 0.891;    // the limiter's ceiling: -1 dBFS
const POLYPHONY = 64;
const MAX_QUEUED = 1 << 16;

class MusicProcessor extends AudioWorkletProcessor {
  constructor() {
    super();
    this.synth = null;
    this.block = 64;
    this.origin = null;       // the frame the synthesizer began at
    this.queue = [];          // { frame, kind, bytes } by frame; equal frames in order sent
    this.gain = 1;
    this.limiterGain = 1;
    this.release = 1 / (0.1 * sampleRate);
    this.wakeFrame = null;
    this.stats = { applied: 0, late: 0, worstErrorFrames: 0, peak: 0 };
    this.port.onmessage = (event) => this.receive(event.data);
  }

  async load(soundFont) {
    try {
      await JSSynth.Synthesizer.waitForWasmInitialized();
      const synth = new JSSynth.Synthesizer();
      synth.init(sampleRate, { polyphony: POLYPHONY, initialGain: SYNTH_GAIN * this.gain });
      await synth.loadSFont(soundFont);
      this.synth = synth;
      this.port.postMessage({ type: 'ready' });
    } catch (error) {
      this.port.postMessage({ type: 'failed', reason: String(error && error.message || error) });
    }
  }

  receive(message) {
    switch (message.type) {
      case 'soundfont':
        this.load(message.data);
        break;
      case 'events':
        for (const event of message.events) this.schedule(event);
        break;
      case 'gain':
        this.gain = message.gain;
        if (this.synth) this.synth.setGain(SYNTH_GAIN * this.gain);
        break;
      case 'wake':
        this.wakeFrame = message.frame;
        break;
      case 'stats':
        this.port.postMessage({ type: 'stats', stats: { ...this.stats } });
        break;
    }
  }

  schedule(event) {
    // Messages wait some tens of milliseconds; a queue this long means nothing renders.
    if (this.queue.length >= MAX_QUEUED) return;
    let at = this.queue.length;
    while (at > 0 && this.queue[at - 1].frame > event.frame) --at;
    this.queue.splice(at, 0, event);
  }

  apply(event) {
    const synth = this.synth;
    const bytes = event.bytes;
    if (event.kind === 'reset') {
      for (let channel = 0; channel < 16; ++channel) synth.midiControl(channel, 64, 0);
      synth.midiAllNotesOff();
      return;
    }
    if (bytes[0] === 0xf0) {
      // FluidSynth takes the bytes between F0 and F7.
      const end = bytes[bytes.length - 1] === 0xf7 ? bytes.length - 1 : bytes.length;
      if (end > 1) synth.midiSysEx(Uint8Array.from(bytes.slice(1, end)));
      return;
    }
    const status = bytes[0];
    const channel = status & 0x0f;
    const data1 = bytes[1] & 0x7f;
    const data2 = bytes[2] & 0x7f;
    switch (status >> 4) {
      case 0x8: synth.midiNoteOff(channel, data1); break;
      case 0x9: synth.midiNoteOn(channel, data1, data2); break;
      case 0xa: synth.midiKeyPressure(channel, data1, data2); break;
      case 0xb: synth.midiControl(channel, data1, data2); break;
      case 0xc: synth.midiProgramChange(channel, data1); break;
      case 0xd: synth.midiChannelPressure(channel, data1); break;
      case 0xe: synth.midiPitchBend(channel, data1 | (data2 << 7)); break;
      default: break;  // no status byte: nothing a synthesizer can play
    }
  }

  process(inputs, outputs) {
    const left = outputs[0][0];
    const right = outputs[0][1] || left;
    const frames = left.length;
    if (this.synth) this.render(left, right, frames);
    if (this.wakeFrame !== null && currentFrame + frames >= this.wakeFrame) {
      this.wakeFrame = null;
      this.port.postMessage({ type: 'tick' });
    }
    return true;
  }

  render(left, right, frames) {
    if (this.origin === null) this.origin = currentFrame;
    let done = 0;
    while (done < frames) {
      const position = currentFrame + done;
      let next = position + (frames - done);
      if (this.queue.length) {
        // The internal block edge nearest to the stamp, on the synthesizer's own frames.
        const stamp = Math.max(this.queue[0].frame, this.origin);
        const edge = this.origin +
            Math.floor((stamp - this.origin + this.block / 2) / this.block) * this.block;
        if (edge <= position) {
          const event = this.queue.shift();
          const applied = this.origin +
              Math.ceil((position - this.origin) / this.block) * this.block;
          ++this.stats.applied;
          if (applied > edge) ++this.stats.late;
          this.stats.worstErrorFrames =
              Math.max(this.stats.worstErrorFrames, Math.abs(applied - stamp));
          this.apply(event);
          continue;
        }
        next = Math.min(next, edge);
      }
      const count = next - position;
      this.synth.render([left.subarray(done, done + count), right.subarray(done, done + count)]);
      done += count;
    }
    this.limit(left, right, frames);
  }

  // The gain falls at once to what the loudest sample needs and comes back over about
  // 100 ms, so a loud chord is turned down as a whole instead of being clipped.
  limit(left, right, frames) {
    let gain = this.limiterGain;
    for (let i = 0; i < frames; ++i) {
      const peak = Math.max(Math.abs(left[i]), Math.abs(right[i]));
      gain = Math.min(gain + (1 - gain) * this.release, 1);
      if (peak * gain > CEILING) gain = CEILING / peak;
      left[i] *= gain;
      right[i] *= gain;
      this.stats.peak = Math.max(this.stats.peak, peak * gain);
    }
    this.limiterGain = gain;
  }
}

registerProcessor('vornal-music', MusicProcessor);
