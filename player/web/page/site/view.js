// What the player sees: the story, the picture area, the command line, the caption and the
// boxes, laid out as the window and scaled to the screen. No game logic here: engine.js
// drives it.

const decoder = new TextDecoder();
// The menu bar's height at scale 1, as page.css makes it.
const MENU_BAR = 24;

// Enter in `input` submits its form only when no input method is composing: not the Enter
// that confirms a composition, which browsers mark with isComposing, or with key code 229
// when it comes after compositionend (Safari).
export function guardComposition(input) {
  let composing = false;
  input.addEventListener('compositionstart', () => {
    composing = true;
  });
  input.addEventListener('compositionend', () => {
    composing = false;
  });
  input.addEventListener('keydown', (event) => {
    if (event.key !== 'Enter') return;
    if (composing || event.isComposing || event.keyCode === 229) event.preventDefault();
  });
}

export class View {
  constructor(doc = document) {
    this.doc = doc;
    this.story = doc.getElementById('story');
    this.canvas = doc.getElementById('picture');
    this.commandLine = doc.getElementById('command-line');
    this.enter = doc.getElementById('enter');
    this.halted = doc.getElementById('halted');
    this.status = doc.getElementById('status');
    // Everything the story showed since the page opened, for ストーリーを保存.
    this.transcript = [];
    // When each line came, for measurements and tests.
    this.lineTimes = [];
    this.history = [];
    this.historyAt = 0;
    this.area = { width: 270, height: 183 };
    this.bitmap = null;
    this.onCommand = () => {};
    this.wireCommandLine();
    addEventListener('resize', () => this.layout());
    this.layout();
    this.paint();
  }

  // The command line: Enter submits, but never while an input method is composing (the
  // Enter that ends a composition belongs to it). Up and Down recall earlier commands.
  wireCommandLine() {
    const form = this.doc.getElementById('command');
    form.addEventListener('submit', (event) => {
      event.preventDefault();
      this.submit();
    });
    guardComposition(this.commandLine);
    this.commandLine.addEventListener('keydown', (event) => {
      if (event.isComposing || event.keyCode === 229) return;
      if (event.key === 'ArrowUp' || event.key === 'ArrowDown') {
        event.preventDefault();
        this.recall(event.key === 'ArrowUp' ? -1 : 1);
      }
    });
  }

  submit() {
    if (this.commandLine.disabled) return;
    const text = this.commandLine.value;
    if (text !== '' && this.history[this.history.length - 1] !== text) this.history.push(text);
    this.historyAt = this.history.length;
    this.onCommand(text);
  }

  recall(step) {
    const at = Math.min(Math.max(this.historyAt + step, 0), this.history.length);
    if (at === this.historyAt) return;
    this.historyAt = at;
    this.commandLine.value = this.history[at] ?? '';
  }

  // The story: one element per line of the engine's message area.
  appendLine(bytes) {
    const text = decoder.decode(bytes).replace(/\r\n?/g, '\n');
    const line = this.doc.createElement('div');
    line.textContent = text === '' ? '\u200b' : text;
    this.story.append(line);
    this.transcript.push(text);
    this.lineTimes.push(performance.now());
    this.story.scrollTop = this.story.scrollHeight;
  }
  removeLines(count) {
    for (let i = 0; i < count && this.story.firstChild; ++i) this.story.firstChild.remove();
  }
  clearLines() {
    this.story.replaceChildren();
  }
  // When the first story line came, from the navigation's start (for measurements).
  get firstLineAt() {
    return this.lineTimes[0];
  }
  storyText() {
    return this.transcript.join('\n') + '\n';
  }

  enableInput(enabled) {
    this.commandLine.disabled = !enabled;
    this.enter.disabled = !enabled;
  }
  clearInput() {
    this.commandLine.value = '';
    if (!this.doc.querySelector('dialog[open]')) this.commandLine.focus();
  }

  caption(text) {
    this.doc.title = text;
  }
  showHalted(reason) {
    this.halted.textContent = reason === null ? '' : 'ゲームは停止しました: ' + reason;
    this.halted.hidden = reason === null;
  }
  showStatus(text) {
    this.status.textContent = text;
  }

  // The picture area: the canvas holds the area's own pixels; CSS scales it by whole
  // device pixels.
  pictureArea(width, height) {
    this.area = { width: Math.max(width, 0), height: Math.max(height, 0) };
    this.canvas.width = this.area.width;
    this.canvas.height = this.area.height;
    this.layout();
    this.paint();
  }
  // `pixels`: 0x00RRGGBB, rows from the top; copied, the engine's memory moves.
  picture(pixels, width, height) {
    if (width <= 0 || height <= 0) {
      this.bitmap = null;
    } else {
      const rgba = new Uint8ClampedArray(width * height * 4);
      for (let i = 0; i < width * height; ++i) {
        const p = pixels[i];
        rgba[i * 4] = (p >> 16) & 0xff;
        rgba[i * 4 + 1] = (p >> 8) & 0xff;
        rgba[i * 4 + 2] = p & 0xff;
        rgba[i * 4 + 3] = 0xff;
      }
      this.bitmap = new ImageData(rgba, width, height);
    }
    this.paint();
  }
  paint() {
    const context = this.canvas.getContext('2d');
    context.fillStyle = '#f0f0f0';
    context.fillRect(0, 0, this.canvas.width, this.canvas.height);
    if (this.bitmap) context.putImageData(this.bitmap, 0, 0);
  }

  // The whole window scales by one factor: the largest that makes a picture pixel a whole
  // number of device pixels and keeps the window, menu bar included, on the screen (never
  // below 1 device pixel; a screen too small for that scrolls).
  layout() {
    const ratio = devicePixelRatio || 1;
    const width = this.area.width + 15;
    const height = this.area.height + 164 + MENU_BAR;
    const fit = Math.min(innerWidth / width, innerHeight / height);
    const devicePixels = Math.max(1, Math.floor(fit * ratio));
    const scale = devicePixels / ratio;
    const root = this.doc.documentElement.style;
    root.setProperty('--s', String(scale));
    root.setProperty('--pw', `${this.area.width * scale}px`);
    root.setProperty('--ph', `${this.area.height * scale}px`);
  }
}

// The boxes: real <dialog>s, each answered through a promise. The page stays inert behind
// them, as the window does behind a modal box.
export class Boxes {
  constructor(doc = document) {
    this.doc = doc;
    guardComposition(doc.getElementById('input-edit'));
  }

  open(id) {
    const box = this.doc.getElementById(id);
    return new Promise((resolve) => {
      box.addEventListener('close', () => resolve(box.returnValue), { once: true });
      box.returnValue = '';
      box.showModal();
    });
  }

  message(text, caption = 'VORNAL') {
    const box = this.doc.getElementById('message-box');
    box.querySelector('.caption').textContent = caption;
    box.querySelector('.text').textContent = text;
    return this.open('message-box');
  }

  // Escape says No, as the window's box does.
  async yesNo(question) {
    const box = this.doc.getElementById('yes-no-box');
    box.querySelector('.text').textContent = question;
    return (await this.open('yes-no-box')) === 'yes';
  }

  // The edit's text however the box was closed; Enter presses OK unless an input method
  // is composing.
  async input(prompt) {
    const box = this.doc.getElementById('input-box');
    const edit = box.querySelector('input');
    box.querySelector('.prompt').textContent = prompt;
    edit.value = '';
    const closed = this.open('input-box');
    edit.focus();
    await closed;
    return edit.value;
  }

  about() {
    return this.open('about-box');
  }
}
