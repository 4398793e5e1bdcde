// The engine in the page: vnplayer-page.wasm and the answers to its host calls
// (player/web/page/PageBridge.h). Calls into the engine run one at a time: a call that waits
// (a box, a sound) holds the others back, as the window's modal loops do, while the page
// itself goes on. Nothing here polls: the engine asks for work (requestIdle), the game
// timer runs only while the game wants it, and the music's steps come from the audio side.
import createPlayer from './vnplayer-page.js';

const GAME_TICK_MS = 100;

export class Player {
  constructor({ view, boxes, audio, saves }) {
    this.view = view;
    this.boxes = boxes;
    this.audio = audio;
    this.saves = saves;
    this.module = null;
    this.queue = [];
    this.busy = false;
    this.idleQueued = false;
    this.timer = 0;
    this.saved = false;
    this.saving = Promise.resolve();
    this.game = null;  // { key, folder, file }
    this.idleChannel = new MessageChannel();
    // Asked for again while it runs, the idle call is queued again.
    this.idleChannel.port1.onmessage = () => this.call('vornal_page_idle', [], [], null, () => {
      this.idleQueued = false;
    });
    // Seen by the tests: the engine's trace events (with their times) and the count of calls
    // made.
    this.events = [];
    this.calls = 0;
  }

  async start() {
    this.module = await createPlayer({ vornalPage: this.bridge() });
    this.module.FS.mkdir('/games');
    this.module._vornal_page_start(this.audio.sampleRate);
    this.audio.onMusicTick = () => this.stepMusic();
  }

  // Nothing runs and nothing is asked for: the engine waits for the player or its timer.
  get settled() {
    return !this.busy && !this.idleQueued && this.queue.length === 0;
  }

  // Runs `name` in the engine after the calls before it; resolves with its result.
  // `started` is told when it begins.
  call(name, types = [], args = [], result = null, started = () => {}) {
    return new Promise((resolve, reject) => {
      this.queue.push({ name, types, args, result, started, resolve, reject });
      this.pump();
    });
  }

  async pump() {
    if (this.busy) return;
    this.busy = true;
    while (this.queue.length) {
      const { name, types, args, result, started, resolve, reject } = this.queue.shift();
      try {
        ++this.calls;
        started();
        resolve(await this.module.ccall(name, result, types, args, { async: true }));
      } catch (error) {
        reject(error);
      }
      this.afterCall();
    }
    this.busy = false;
  }

  afterCall() {
    if (this.saved) {
      this.saved = false;
      // In order, one after the other; the tests wait for `saving`.
      const game = this.game;
      this.saving = this.saving.then(() => this.persistSaves(game));
    }
    this.stepMusic();
  }

  // The music's timer calls that are due, then the audio side is asked to wake us for the
  // next one. Not queued: the music goes on while a box is open, as on the desktop.
  stepMusic() {
    if (!this.module) return;
    const next = this.module._vornal_page_music_step();
    this.audio.wakeMusicAt(next);
  }

  // The command stays in the command line until the engine empties it, as in the window.
  command(text) {
    return this.call('vornal_page_input', ['string'], [text]);
  }

  // Takes the last typed command back: resolves with its text, or null when there is none
  // to take back. Refused while a call waits (a box, a sound), as the window refuses it
  // inside a pass. The lines it brings back go to the view, not again to the story.
  async undo() {
    if (this.busy) return null;
    const taken = await this.call('vornal_page_undo', [], [], 'number', () => {
      this.view.restoring = true;
    });
    this.view.restoring = false;
    if (!taken) return null;
    const typed = this.module.ccall('vornal_page_undone', 'string', [], []);
    this.view.undone(typed);
    return typed;
  }

  setMuted(muted) {
    this.module._vornal_page_set_muted(muted ? 1 : 0);
  }

  // Opens a game whose files are given as [path inside the game, bytes]; `name` is the
  // script's or archive's path among them. Its saves come from the browser's storage.
  async open(key, name, files) {
    const FS = this.module.FS;
    const folder = `/games/${this.gameCount = (this.gameCount || 0) + 1}`;
    FS.mkdir(folder);
    for (const [path, bytes] of files) {
      const parts = path.split('/');
      let at = folder;
      for (const part of parts.slice(0, -1)) {
        at += '/' + part;
        if (!FS.analyzePath(at).exists) FS.mkdir(at);
      }
      FS.writeFile(`${folder}/${path}`, bytes);
    }
    let stored = [];
    try {
      stored = await this.saves.list(key);
    } catch (error) {
      this.view.showStatus(`セーブデータを読み込めません: ${error.message || error}`);
    }
    for (const save of stored) FS.writeFile(`${folder}/${save.name}`, new Uint8Array(save.bytes));
    const game = { key, folder, file: `${folder}/${name}`, known: new Map() };
    this.rememberSaves(game);
    let previous = null;
    // The game changes when the engine takes it: a pass of the old one may still be waiting
    // (a sound), and what it saves is the old game's.
    const opened = await this.call('vornal_page_open', ['string'], [game.file], 'number', () => {
      previous = this.game;
      this.game = game;
      this.view.showHalted(null);
    });
    if (previous) removeTree(FS, previous.folder);
    return opened === 1;
  }

  // The save files of `game`'s folder: [name, bytes].
  saveFiles(game = this.game) {
    const FS = this.module.FS;
    const files = [];
    for (const name of FS.readdir(game.folder)) {
      const file = `${game.folder}/${name}`;
      if (/\.sav$/i.test(name) && FS.isFile(FS.stat(file).mode)) {
        files.push([name, FS.readFile(file)]);
      }
    }
    return files;
  }

  // The save files as they are now, so that only changed ones are written to the browser's
  // storage.
  rememberSaves(game = this.game) {
    for (const [name, bytes] of this.saveFiles(game)) game.known.set(name, bytes);
  }

  async persistSaves(game) {
    try {
      for (const [name, bytes] of this.saveFiles(game)) {
        if (sameBytes(game.known.get(name), bytes)) continue;
        game.known.set(name, bytes);
        await this.saves.put(game.key, name, bytes);
      }
    } catch (error) {
      this.view.showStatus(`セーブデータを保存できません: ${error.message || error}`);
    }
  }

  // A save file from elsewhere (a download, the desktop's player) put beside the game.
  async importSave(name, bytes) {
    await this.saves.put(this.game.key, name, bytes);
    this.module.FS.writeFile(`${this.game.folder}/${name}`, bytes);
    this.rememberSaves();
  }

  readSave(name) {
    return this.module.FS.readFile(`${this.game.folder}/${name}`);
  }

  requestIdle() {
    if (this.idleQueued) return;
    this.idleQueued = true;
    this.idleChannel.port2.postMessage(null);
  }

  gameTimer(enabled) {
    if (!enabled) {
      clearInterval(this.timer);
      this.timer = 0;
    } else if (!this.timer) {
      // Ticks while another call waits are left out: the game cannot be in a *WAIT then.
      this.timer = setInterval(() => {
        if (!this.busy) this.call('vornal_page_tick');
      }, GAME_TICK_MS);
    }
  }

  // The answers to PageBridge.h.
  bridge() {
    const view = this.view;
    return {
      line: (bytes) => view.appendLine(bytes),
      linesRemoved: (count) => view.removeLines(count),
      linesCleared: () => view.clearLines(),
      enableInput: (enabled) => view.enableInput(enabled),
      clearInput: () => view.clearInput(),
      caption: (text) => view.caption(text),
      pictureArea: (width, height) => view.pictureArea(width, height),
      picture: (pixels, width, height) => view.picture(pixels, width, height),
      showMessage: (text, kind) => this.boxes.message(text, kind === 1 ? 'MIDI PLAY ERROR' : 'VORNAL'),
      askYesNo: (question) => this.boxes.yesNo(question),
      askInput: (prompt) => this.boxes.input(prompt),
      waitSound: (milliseconds) => new Promise((resolve) => setTimeout(resolve, milliseconds)),
      gameTimer: (enabled) => this.gameTimer(enabled),
      requestIdle: () => this.requestIdle(),
      halted: (reason) => view.showHalted(reason),
      trace: (event, detail) => {
        if (event === 'save') this.saved = true;
        this.events.push([event, detail, performance.now()]);
      },
      playSound: (samples) => this.audio.playSound(samples),
      stopSound: () => this.audio.stopSound(),
      musicNow: () => this.audio.musicNow(),
      musicMessage: (bytes, due) => this.audio.musicMessage(bytes, due),
      musicReset: (at) => this.audio.musicReset(at),
      musicGain: (gain) => this.audio.musicGain(gain),
    };
  }
}

function sameBytes(a, b) {
  return a !== undefined && a.length === b.length && a.every((byte, i) => byte === b[i]);
}

function removeTree(FS, path) {
  for (const name of FS.readdir(path)) {
    if (name === '.' || name === '..') continue;
    const child = `${path}/${name}`;
    if (FS.isDir(FS.stat(child).mode)) removeTree(FS, child);
    else FS.unlink(child);
  }
  FS.rmdir(path);
}
