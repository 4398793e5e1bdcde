// What the player sees: the story, the picture area, the command line, the caption and the
// boxes, laid out as the window and scaled to the screen. No game logic here: engine.js
// drives it.

const decoder = new TextDecoder();
// The menu bar's height at scale 1, as page.css makes it.
const MENU_BAR = 24;
// The window's face, where nothing was drawn.
const FACE = '#f0f0f0';
// The shown picture's device pixels at most (a *SCREEN of 4096 x 4096 stays at 1 : 1).
const MAX_CANVAS_PIXELS = 1 << 25;

// The least whole number of CSS pixels, not below `size`, that is a whole number of device
// pixels too (ratios such as 1.5 need an even number); `size` rounded up when none is near.
export function wholeSize(size, ratio) {
  for (let css = Math.ceil(size - 1e-9); css < size + 64; ++css) {
    if (Math.abs(css * ratio - Math.round(css * ratio)) < 1e-6) return css;
  }
  return Math.ceil(size);
}

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
    this.areaImage = doc.createElement('canvas');
    this.areaBox = doc.getElementById('picture-area');
    this.commandLine = doc.getElementById('command-line');
    this.enter = doc.getElementById('enter');
    this.halted = doc.getElementById('halted');
    this.status = doc.getElementById('status');
    // Everything the story showed since the page opened, for 物語を保存.
    this.transcript = [];
    this.restoring = false;  // an undo brings lines back: shown, not told again
    this.scrollQueued = false;
    // When each line came, for measurements and tests.
    this.lineTimes = [];
    this.history = [];
    this.historyAt = 0;
    this.bitmap = null;
    this.onCommand = () => {};
    this.wireCommandLine();
    addEventListener('resize', () => this.layout());
    // Whatever moves the area (a scroll bar that comes, the window's width) moves the canvas.
    new ResizeObserver(() => this.place()).observe(doc.body);
    this.pictureArea(270, 183);
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
    if (!this.restoring) this.transcript.push(text);
    this.lineTimes.push(performance.now());
    this.scrollToEnd();
  }
  // Once for all the lines of a batch: reading the height lays the page out again.
  scrollToEnd() {
    if (this.scrollQueued) return;
    this.scrollQueued = true;
    queueMicrotask(() => {
      this.scrollQueued = false;
      this.story.scrollTop = this.story.scrollHeight;
    });
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
  // A command taken back: marked in the story, and offered again in the command line,
  // selected, so that Enter types it again and anything else replaces it.
  undone(typed) {
    this.transcript.push(`[undo] ${typed}`);
    if (this.commandLine.disabled) return;
    this.commandLine.value = typed;
    this.commandLine.select();
    if (!this.doc.querySelector('dialog[open]')) this.commandLine.focus();
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

  // The picture area: `areaImage` holds the area's own pixels (what *SAVE keeps); the
  // canvas shows them scaled by a whole number of device pixels, drawn here, so that the
  // browser shows the canvas as it is.
  pictureArea(width, height) {
    this.area = { width: Math.max(width, 0), height: Math.max(height, 0) };
    this.areaImage.width = this.area.width;
    this.areaImage.height = this.area.height;
    this.layout();
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
    const area = this.areaImage.getContext('2d');
    area.fillStyle = FACE;
    area.fillRect(0, 0, this.area.width, this.area.height);
    if (this.bitmap) area.putImageData(this.bitmap, 0, 0);
    const shown = this.canvas.getContext('2d');
    shown.imageSmoothingEnabled = false;
    shown.fillStyle = FACE;
    shown.fillRect(0, 0, this.canvas.width, this.canvas.height);
    shown.drawImage(this.areaImage, 0, 0, this.area.width * this.zoom, this.area.height * this.zoom);
  }
  // The area's own pixels, as ImageData.
  areaPixels() {
    return this.areaImage.getContext('2d').getImageData(0, 0, this.area.width, this.area.height);
  }

  // The whole window scales by one factor: the largest that makes a picture pixel a whole
  // number of device pixels and keeps the window, menu bar included, on the screen (never
  // below 1 device pixel; a screen too small for that scrolls).
  layout() {
    const ratio = devicePixelRatio || 1;
    const { width, height } = this.area;
    const fit = Math.min(innerWidth / (width + 15), innerHeight / (height + 164 + MENU_BAR));
    // Device pixels per picture pixel, within what a canvas holds.
    const most = Math.max(1, Math.floor(Math.sqrt(MAX_CANVAS_PIXELS / Math.max(width * height, 1))));
    this.zoom = Math.min(Math.max(1, Math.floor(fit * ratio)), most);
    const scale = this.zoom / ratio;
    const root = this.doc.documentElement.style;
    root.setProperty('--s', String(scale));
    root.setProperty('--pw', `${width * scale}px`);
    root.setProperty('--ph', `${height * scale}px`);
    // Browsers lay a canvas out on whole CSS pixels: it gets a size of whole CSS pixels that
    // is also whole device pixels, at least the picture's, and holds as many device pixels.
    const cssWidth = wholeSize(width * scale, ratio);
    const cssHeight = wholeSize(height * scale, ratio);
    this.canvas.style.width = `${cssWidth}px`;
    this.canvas.style.height = `${cssHeight}px`;
    this.canvas.width = Math.round(cssWidth * ratio);
    this.canvas.height = Math.round(cssHeight * ratio);
    this.paint();
    this.place();
  }

  // The canvas onto its area's place, on whole device pixels (page.css).
  place() {
    const ratio = devicePixelRatio || 1;
    const rect = this.areaBox.getBoundingClientRect();
    const snap = (v) => Math.round(v * ratio) / ratio;
    this.canvas.style.transform =
        `translate(${snap(rect.x + scrollX)}px, ${snap(rect.y + scrollY)}px)`;
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
