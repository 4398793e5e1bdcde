// The page in headless Chromium (tests/web/CMakeLists.txt runs each case as a test):
//
//   node page_test.mjs CASE SITE NODE_PLAYER [DESKTOP_PLAYER]
//
// SITE is the built site (build/web/site); the page is held against the terminal players:
// NODE_PLAYER, the same engine under node (build/web/node/vnplayer), and DESKTOP_PLAYER,
// the desktop's vnplayer, when given.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { areaPixels, firstDifference, launch, newProfile, pngPixels, ROOT, settle,
         startServer, story, typeCommand, waitForGame } from './browser.mjs';
import { checkPlayed, parseTranscript, playSteps } from './transcript.mjs';

const [name, siteArg, nodePlayer, desktopPlayer] = process.argv.slice(2);
const SITE = path.resolve(siteArg || 'build/web/site');
// The page's pictures and saves must be the node player's exactly: the same decoders. The
// desktop's libjpeg-turbo decodes with SIMD code, which rounds some JPEG pixels otherwise by
// up to 3 levels of 255 (as the terminal's transcript tests allow too); its saves and the
// page's load each other.
const PLAYERS = [
  { name: 'the node player', program: path.resolve(nodePlayer || 'build/web/node/vnplayer'),
    tolerance: 0 },
  ...(desktopPlayer ? [{ name: 'the desktop\'s player', program: path.resolve(desktopPlayer),
                         tolerance: 3 }] : []),
];
const NODE = PLAYERS[0];
const GAMES = path.join(ROOT, 'tests/games');
const DEMO = path.join(ROOT, 'games/demo');
const DEMO_ARCHIVE = path.join(SITE, 'demo/demo.vnp');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vornal-page-test-'));

// `player` on a copy of `game` (a file, or a folder and the script in it) with `input`
// typed, as tests/tty/run_transcript.sh plays a transcript; its standard output and the
// folder it played in (with the save files it wrote and the picture area it left). `saves`
// are put beside the game first.
function playInTerminal(player, game, input, saves = {}) {
  const folder = fs.mkdtempSync(path.join(work, 'terminal-'));
  const file = game.folder ? game.script : path.basename(game.file);
  if (game.folder) fs.cpSync(game.folder, folder, { recursive: true });
  else fs.copyFileSync(game.file, path.join(folder, file));
  for (const [saveName, bytes] of Object.entries(saves)) {
    fs.writeFileSync(path.join(folder, saveName), bytes);
  }
  const output = execFileSync(player.program,
                              ['--tty', '--fast', '--picture-out', 'area.png', file],
                              { cwd: folder, input, encoding: 'utf8' });
  return { output, folder, picture: fs.readFileSync(path.join(folder, 'area.png')) };
}

// What a transcript's player types: its commands and answers, one a line.
function typed(steps) {
  return steps.flatMap((step) => step.kind === 'command' ? [step.text]
                                 : step.answer !== undefined ? [step.answer] : [])
      .map((line) => line + '\n').join('');
}

// The picture area must be what each terminal player leaves with the same input.
async function checkPictures(page, game, input, what) {
  const area = await areaPixels(page);
  for (const player of PLAYERS) {
    const { picture } = playInTerminal(player, game, input);
    const difference = firstDifference(area, await pngPixels(page, picture), player.tolerance);
    assert.equal(difference, null, `${what}: the picture area is ${player.name}'s`);
  }
}

// Each game transcript played through the page, opened each way a game can be opened; at
// its end the picture area must be what the terminal players leave.
const GAMES_TABLE = {
  // The demo from the address (the page's default game, the archive), to the ending: the
  // pictures, sounds, music, saving and loading, the wait, the input and yes/no dialogs.
  demo_media: { open: 'address', file: DEMO_ARCHIVE },
  // The demo's folder picked: the script and its data files.
  demo_paths: { open: 'folder', folder: DEMO, script: 'demo.vns' },
  // The archive dropped onto the page.
  demo: { open: 'drop', file: DEMO_ARCHIVE },
  // A script picked alone: refused answers, each with its box.
  prompts: { open: 'file', file: path.join(GAMES, 'prompts.vns') },
};

async function openBy(page, url, game) {
  if (game.open === 'address') {
    await page.goto(url);
    return;
  }
  // An empty page (no game), which the player then opens one in.
  await page.goto(`${url}?game=`);
  await page.waitForFunction(() => globalThis.vornal && vornal.player.module !== null);
  if (game.open === 'drop') {
    const bytes = fs.readFileSync(game.file).toString('base64');
    await page.evaluate(({ base64, fileName }) => {
      const data = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
      const transfer = new DataTransfer();
      transfer.items.add(new File([data], fileName));
      dispatchEvent(new DragEvent('dragover', { dataTransfer: transfer, cancelable: true }));
      dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, cancelable: true }));
    }, { base64: bytes, fileName: path.basename(game.file) });
  } else {
    await page.locator('#menubar .menu-title').first().click();
    const item = game.open === 'folder' ? 'open-folder' : 'open-file';
    const chooser = page.waitForEvent('filechooser');
    await page.locator(`[data-command="${item}"]`).click();
    await (await chooser).setFiles(game.folder || game.file);
  }
  await page.waitForFunction(() => vornal.view.transcript.length > 0);
}

async function playGame(gameName) {
  const game = GAMES_TABLE[gameName];
  const expected = parseTranscript(path.join(GAMES, `${gameName}.transcript`));
  const server = await startServer(SITE);
  const { context, page, problems } = await launch(newProfile());
  try {
    await page.clock.install();
    await openBy(page, server.url, game);
    await waitForGame(page);
    await playSteps(page, expected.steps);
    await checkPlayed(page, expected);
    await checkPictures(page, game, typed(expected.steps), 'at the end');
    assert.deepEqual(problems, []);
  } finally {
    await context.close();
    await server.close();
  }
}

// Save files in the browser: kept across a reload and a restart of the browser, and the
// same files as the terminal players write and read, both ways.
async function saves() {
  const profile = newProfile();
  const server = await startServer(SITE);
  const demo = { file: DEMO_ARCHIVE };
  const saved = ['ランプを拾う', 'セーブ'];
  let browser = await launch(profile);
  try {
    let { page } = browser;
    await page.goto(server.url);
    await waitForGame(page);
    for (const command of saved) {
      await typeCommand(page, command);
      await settle(page);
    }
    await page.evaluate(() => vornal.player.saving);
    const stored = await page.evaluate(async () =>
        (await vornal.saves.list('demo.vnp')).map((save) => save.name));
    assert.deepEqual(stored, ['demo1.sav']);
    // The picture area as saved: the hall without its lamp.
    const input = saved.join('\n') + '\n';
    await checkPictures(page, demo, input, 'as saved');

    // Reloaded, and after the browser was closed and opened again: loaded, the lamp is
    // carried and the picture is the one saved.
    for (const restart of [false, true]) {
      if (restart) {
        await browser.context.close();
        browser = await launch(profile);
        page = browser.page;
        await page.goto(server.url);
      } else {
        await page.reload();
      }
      await waitForGame(page);
      await typeCommand(page, 'ロード');
      await settle(page);
      await typeCommand(page, '持ち物');
      await settle(page);
      const lines = await story(page);
      assert.deepEqual(lines.slice(-4), ['ロードしました。', '> 持ち物', '[所持アイテム]', 'ランプ'],
                       `loaded (restarted: ${restart})`);
      await checkPictures(page, demo, input, `loaded (restarted: ${restart})`);
    }

    // Downloaded from the saves box, the file is the node player's own save, and each
    // terminal player goes on from it.
    await page.locator('#menubar .menu-title').first().click();
    await page.locator('[data-command="saves"]').click();
    const download = page.waitForEvent('download');
    await page.locator('#saves-box .saves a', { hasText: 'demo1.sav' }).click();
    const file = fs.readFileSync(await (await download).path());
    const own = playInTerminal(NODE, demo, input);
    assert.deepEqual(file, fs.readFileSync(path.join(own.folder, 'demo1.sav')),
                     'the downloaded save, byte for byte');
    for (const player of PLAYERS) {
      const { output } = playInTerminal(player, demo, 'ロード\n持ち物\n', { 'demo1.sav': file });
      assert.match(output, /ロードしました。\n> 持ち物\n\[所持アイテム\]\nランプ\n$/,
                   `${player.name} loads the page's save`);
    }

    // A save a terminal player made (the desktop's when there is one), under another name,
    // brought in for slot 1.
    const study = ['ランプを拾う', '書斎に入る', 'ランプをつける', 'セーブ'];
    const maker = PLAYERS[PLAYERS.length - 1];
    const made = playInTerminal(maker, demo, study.join('\n') + '\n');
    const upload = path.join(work, 'study.sav');
    fs.copyFileSync(path.join(made.folder, 'demo1.sav'), upload);
    const chooser = page.waitForEvent('filechooser');
    await page.locator('#saves-box [data-command="upload-save"]').click();
    await (await chooser).setFiles(upload);
    await page.locator('#input-box[open] input').fill('1');
    await page.locator('#input-box[open] input').press('Enter');
    await page.locator('#message-box[open] button').click();
    await page.locator('#saves-box button[value=close]').click();
    await typeCommand(page, 'ロード');
    await settle(page);
    await typeCommand(page, '見る');
    await settle(page);
    const lines = await story(page);
    assert.equal(lines[lines.length - 1],
                 '大きな机と壁一面の本棚。隅には背の高い柱時計があり、机の下には小さな金庫が置かれている。',
                 `the study, lit, as ${maker.name} saved it`);
    const shown = firstDifference(await areaPixels(page), await pngPixels(page, made.picture),
                                  maker.tolerance);
    assert.equal(shown, null, `the picture ${maker.name} saved`);
    assert.deepEqual(browser.problems, []);
  } finally {
    await browser.context.close();
    await server.close();
  }
}

// After one visit the site works without its server: the service worker has every file,
// the SoundFont and the demo included; the manifest and icons make it installable.
async function offline() {
  const server = await startServer(SITE);
  const { context, page, problems } = await launch(newProfile());
  try {
    await page.goto(server.url);
    await waitForGame(page);
    await page.evaluate(() => navigator.serviceWorker.ready);
    const cdp = await context.newCDPSession(page);
    const manifest = await cdp.send('Page.getAppManifest');
    assert.deepEqual(manifest.errors, [], 'the manifest parses');
    assert.deepEqual((await cdp.send('Page.getInstallabilityErrors')).installabilityErrors, [],
                     'installable');
    await server.close();
    for (const address of ['', '?game=demo/demo.vnp']) {
      await page.goto(server.url + address);
      await waitForGame(page);
      assert.equal((await story(page))[0], '――　古い館の秘密　――', `offline ${address}`);
      await page.waitForFunction(() => vornal.audio.synthReady);
    }
    await typeCommand(page, 'ランプを拾う');
    await settle(page);
    assert.equal((await story(page)).pop(), '床のランプを拾い上げた。油はまだ残っているようだ。');
    assert.deepEqual(problems.filter((problem) => !problem.includes('ERR_CONNECTION_REFUSED')), []);
  } finally {
    await context.close();
    await server.close();
  }
}

// Japanese typed through the input method (the DevTools protocol composes as an IME does):
// an Enter while a composition is open belongs to it and enters nothing, in the command
// line and in the input dialog; once the text is committed, Enter enters it.
async function typing() {
  const server = await startServer(SITE);
  const { context, page, problems } = await launch(newProfile());
  const cdp = await context.newCDPSession(page);
  const compose = async (steps, committed) => {
    for (const text of steps) {
      await cdp.send('Input.imeSetComposition', { text, selectionStart: text.length,
                                                  selectionEnd: text.length });
    }
    // Enter during the composition: as the system's input method sends it, and as some
    // send it (a plain Enter while composing).
    await cdp.send('Input.dispatchKeyEvent', { type: 'rawKeyDown', key: 'Enter', code: 'Enter',
                                               windowsVirtualKeyCode: 229 });
    await cdp.send('Input.dispatchKeyEvent', { type: 'keyDown', key: 'Enter', code: 'Enter',
                                               windowsVirtualKeyCode: 13, text: '\r' });
    await cdp.send('Input.insertText', { text: committed });
    await cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', key: 'Enter', code: 'Enter',
                                               windowsVirtualKeyCode: 13 });
  };
  try {
    await page.goto(server.url);
    await waitForGame(page);
    for (const command of ['ランプを拾う', '書斎に入る', 'ランプをつける']) {
      await typeCommand(page, command);
      await settle(page);
    }
    const table = [
      // [where, what is composed, what is committed, the line that shows it was entered]
      ['#command-line', ['き', 'きん', 'きんこ', '金庫'], '金庫', '> 金庫'],
      ['#input-box input', ['さん', 'さんい', '３１５'], '315', 'カチリと音がして、金庫の扉が開いた。'],
    ];
    for (const [where, steps, committed, entered] of table) {
      if (where !== '#command-line') await page.waitForSelector('#input-box[open]');
      await page.locator(where).focus();
      const before = await story(page);
      const calls = await page.evaluate(() => vornal.player.calls);
      await compose(steps, committed);
      // Nothing was entered: no call into the engine, the text stays where it was typed.
      await page.evaluate(() => new Promise((resolve) => setTimeout(resolve, 0)));
      assert.equal(await page.evaluate(() => vornal.player.calls), calls, `${where}: not entered`);
      assert.equal(await page.locator(where).inputValue(), committed, `${where}: kept`);
      assert.deepEqual(await story(page), before);
      assert.equal(await page.locator('#input-box').getAttribute('open'),
                   where === '#command-line' ? null : '', `${where}: the dialog stays`);
      await page.locator(where).press('Enter');
      await page.waitForFunction((line) => vornal.view.transcript.includes(line), entered);
    }
    await settle(page);
    assert.deepEqual(problems, []);
  } finally {
    await context.close();
    await server.close();
  }
}

// Taking commands back, by Alt+Z and by 編集 › 一手戻す: the story shown and the picture as
// they were before the command, which comes back to the command line selected; with nothing
// left to take back nothing changes; the story to save marks each undo and holds every line
// once.
async function undo() {
  const server = await startServer(SITE);
  const { context, page, problems } = await launch(newProfile());
  const shown = () => page.evaluate(() =>
      Array.from(document.getElementById('story').children, (line) => line.textContent));
  const commandLine = () => page.evaluate(() => {
    const line = document.getElementById('command-line');
    return { text: line.value, selected: line.value.slice(line.selectionStart, line.selectionEnd),
             focused: document.activeElement === line };
  });
  const takeBack = async (how) => {
    const calls = await page.evaluate(() => vornal.player.calls);
    if (how === 'key') {
      await page.locator('#command-line').press('Alt+z');
    } else {
      await page.locator('#menubar .menu-title', { hasText: '編集' }).click();
      await page.locator('[data-command="undo"]').click();
    }
    await page.waitForFunction((before) => vornal.player.calls > before, calls);
    await settle(page);
  };
  try {
    await page.goto(server.url);
    await waitForGame(page);
    const commands = ['ランプを拾う', '書斎に入る'];
    const before = [];
    for (const command of commands) {
      before.push({ lines: await shown(), picture: await areaPixels(page) });
      await typeCommand(page, command);
      await settle(page);
    }
    const told = await page.evaluate(() => vornal.view.storyText());
    for (const [how, at] of [['key', 1], ['menu', 0]]) {
      await takeBack(how);
      assert.deepEqual(await shown(), before[at].lines, `${how}: the story as it was`);
      assert.equal(firstDifference(await areaPixels(page), before[at].picture), null,
                   `${how}: the picture as it was`);
      assert.deepEqual(await commandLine(),
                       { text: commands[at], selected: commands[at], focused: true }, how);
    }
    await takeBack('key');
    assert.deepEqual(await shown(), before[0].lines, 'nothing more to take back');
    assert.equal((await commandLine()).text, commands[0]);
    assert.equal(await page.evaluate(() => vornal.view.storyText()),
                 `${told}[undo] ${commands[1]}\n[undo] ${commands[0]}\n`);
    assert.deepEqual(problems, []);
  } finally {
    await context.close();
    await server.close();
  }
}

// The length of a WAV file of the demo (16-bit PCM) in milliseconds.
function soundLength(name) {
  const wav = fs.readFileSync(path.join(DEMO, name));
  return (wav.length - 44) / wav.readUInt32LE(28) * 1000;
}

// Sound: nothing is heard before the player's first gesture, sound effects and the music
// after it; a sound effect holds the game for its length; muted, nothing plays and the
// waits stay; while the game waits for a command the page makes no call into the engine
// and runs no timer, the music stepping on the audio side's ticks.
async function sound() {
  const server = await startServer(SITE);
  const { context, page, problems } = await launch(newProfile());
  try {
    await page.goto(server.url);
    await waitForGame(page);
    // The opening's *SE door came before any gesture: silent, but it took its time.
    assert.equal(await page.evaluate(() => vornal.audio.context.state), 'suspended');
    assert.equal(await page.evaluate(() => vornal.audio.soundsPlayed), 0);
    await page.waitForFunction(() => vornal.audio.synthReady);
    assert.equal(await page.evaluate(() => vornal.audio.musicNow()), 0, 'the music waits');

    await typeCommand(page, 'ランプを拾う');
    await settle(page);
    assert.equal(await page.evaluate(() => vornal.audio.context.state), 'running');
    // The theme (*BGM theme at the opening) now plays from its start, through the synth:
    // its notes are heard.
    await page.waitForFunction(async () => (await vornal.audio.musicStats()).peak > 0.01);

    // Waiting for a command: the music steps on, nothing else runs.
    const idle = () => page.evaluate(() => ({ calls: vornal.player.calls,
                                              timer: vornal.player.timer,
                                              steps: vornal.audio.ticks }));
    const before = await idle();
    await page.waitForFunction((ticks) => vornal.audio.ticks >= ticks + 50, before.steps);
    const after = await idle();
    assert.equal(after.calls, before.calls, 'no call into the engine while it waits');
    assert.equal(after.timer, 0, 'no game timer while it waits');

    for (const muted of [false, true]) {
      if (muted) {
        await page.locator('#menubar .menu-title', { hasText: '音楽' }).click();
        await page.locator('[data-command="mute"]').click();
      }
      if (muted) {
        await typeCommand(page, '戻る');
        await settle(page);
      }
      const played = await page.evaluate(() => vornal.audio.soundsPlayed);
      const from = await page.evaluate(() => [vornal.view.lineTimes.length,
                                              vornal.player.events.length]);
      await typeCommand(page, '書斎に入る');
      await settle(page);
      const { sounds, times } = await page.evaluate(([lines, events]) => ({
        sounds: vornal.player.events.slice(events).filter(([event]) => event === 'sound'),
        times: vornal.view.lineTimes.slice(lines),
      }), from);
      assert.equal(sounds.length, 1);
      const sound = sounds[0];
      assert.equal(sound[1], '*SE door');
      assert.equal(await page.evaluate(() => vornal.audio.soundsPlayed), played + (muted ? 0 : 1),
                   `muted: ${muted}`);
      // The line after the sound came no sooner than the sound's length after it began.
      const next = times.find((time) => time > sound[2]);
      assert.ok(next - sound[2] >= Math.floor(soundLength('door.wav')),
                `waited ${next - sound[2]} ms for a ${soundLength('door.wav')} ms sound`);
    }
    assert.deepEqual(problems, []);
  } finally {
    await context.close();
    await server.close();
  }
}

// The window's layout on screens of several pixel ratios: the whole window scaled so that
// a picture pixel is a square of whole device pixels, drawn sharp (the screenshot holds
// each picture pixel as k x k device pixels of its colour); *TITLE and *SCREEN; the menus.
async function screen() {
  const folder = path.join(work, 'screen');
  fs.mkdirSync(folder);
  fs.copyFileSync(path.join(DEMO, 'lamp.bmp'), path.join(folder, 'lamp.bmp'));
  fs.writeFileSync(path.join(folder, 'screen.vns'),
                   '*TITLE 画面のテスト\n*SCREEN 200 100\n*SCENE a\n*PICTURE lamp.bmp 10 10\n' +
                   '小さな画面。\n*SCENEEND\n');
  const server = await startServer(SITE);
  const table = [
    // [device pixel ratio, viewport (CSS pixels), device pixels per picture pixel]
    [1, { width: 1024, height: 768 }, 2],
    [1.5, { width: 1024, height: 768 }, 3],
    [2, { width: 800, height: 600 }, 3],
    [3, { width: 390, height: 844 }, 4],
  ];
  try {
    for (const [ratio, viewport, k] of table) {
      const { context, page, problems } = await launch(newProfile(),
                                                       { deviceScaleFactor: ratio, viewport });
      try {
        await page.goto(server.url);
        await waitForGame(page);
        const scale = await page.evaluate(() =>
            Number(document.documentElement.style.getPropertyValue('--s')));
        assert.equal(Math.round(scale * ratio * 1000) / 1000, k, `ratio ${ratio}: the scale`);
        // The screenshot, in device pixels, at the picture's place: each pixel of the area
        // is a k x k square of its colour.
        const shot = (await page.screenshot()).toString('base64');
        const difference = await page.evaluate(async ([base64, k]) => {
          const png = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
          const bitmap = await createImageBitmap(new Blob([png], { type: 'image/png' }));
          const rect = document.getElementById('picture').getBoundingClientRect();
          const area = vornal.view.areaPixels();
          const canvas = new OffscreenCanvas(area.width * k, area.height * k);
          const context = canvas.getContext('2d');
          context.drawImage(bitmap, -Math.round(rect.x * devicePixelRatio),
                            -Math.round(rect.y * devicePixelRatio));
          const seen = context.getImageData(0, 0, canvas.width, canvas.height).data;
          for (let y = 0; y < canvas.height; ++y) {
            for (let x = 0; x < canvas.width; ++x) {
              const at = (y * canvas.width + x) * 4;
              const want = (Math.floor(y / k) * area.width + Math.floor(x / k)) * 4;
              for (let c = 0; c < 3; ++c) {
                if (seen[at + c] !== area.data[want + c]) {
                  return `device pixel (${x}, ${y}) is ${seen.slice(at, at + 3)}, expected ` +
                         `${area.data.slice(want, want + 3)}`;
                }
              }
            }
          }
          return null;
        }, [shot, k]);
        assert.equal(difference, null, `ratio ${ratio}: sharp`);
        assert.deepEqual(problems, []);
      } finally {
        await context.close();
      }
    }

    const { context, page, problems } = await launch(newProfile());
    try {
      // A game that is not there: its box, and no game.
      await page.goto(`${server.url}?game=missing.vnp`);
      await page.waitForSelector('#message-box[open]');
      assert.match(await page.locator('#message-box .text').textContent(), /^missing\.vnp: 404/);
      await page.locator('#message-box button').click();

      // *TITLE is the caption; *SCREEN sizes the picture area and the window around it.
      await page.locator('#menubar .menu-title').first().click();
      const chooser = page.waitForEvent('filechooser');
      await page.locator('[data-command="open-folder"]').click();
      await (await chooser).setFiles(folder);
      await waitForGame(page);
      assert.equal(await page.title(), '画面のテスト');
      const area = await page.evaluate(() => {
        const box = document.getElementById('picture-area').getBoundingClientRect();
        return [vornal.view.area.width, vornal.view.area.height, box.width,
                document.getElementById('window').getBoundingClientRect().width];
      });
      const scale = area[2] / 200;
      assert.deepEqual(area.slice(0, 2), [200, 100]);
      assert.ok(Math.abs(area[3] - 215 * scale) < 0.01, 'the window is the area and its frame');

      // 物語を保存: the story as a UTF-8 text file.
      await page.locator('#menubar .menu-title').first().click();
      const download = page.waitForEvent('download');
      await page.locator('[data-command="save-story"]').click();
      assert.equal(fs.readFileSync(await (await download).path(), 'utf8'), '小さな画面。\n');

      // バージョン情報: the about box, closed by its button.
      await page.locator('#menubar .menu-title', { hasText: 'ヘルプ' }).click();
      await page.locator('[data-command="about"]').click();
      const about = page.locator('#about-box[open]');
      assert.match(await about.textContent(), /VORNAL[\s\S]*Version 0\.10/);
      await about.locator('button').click();
      await page.waitForSelector('#about-box:not([open])', { state: 'attached' });
      // The missing game's request is the one failure.
      assert.deepEqual(problems, ['console: Failed to load resource: the server responded with a ' +
                                  'status of 404 (Not Found)']);
    } finally {
      await context.close();
    }
  } finally {
    await server.close();
  }
}

const cases = {
  screen,
  saves,
  offline,
  typing,
  undo,
  sound,
  async 'game.demo_media'() { await playGame('demo_media'); },
  async 'game.demo_paths'() { await playGame('demo_paths'); },
  async 'game.demo'() { await playGame('demo'); },
  async 'game.prompts'() { await playGame('prompts'); },
};

const run = cases[name];
if (!run) {
  console.error(`page_test.mjs: no case ${name}; cases: ${Object.keys(cases).join(' ')}`);
  process.exit(2);
}
try {
  await run();
  console.log(`page ${name}: passed`);
} catch (error) {
  console.error(`page ${name}: FAILED\n${error.stack || error}`);
  process.exitCode = 1;
} finally {
  fs.rmSync(work, { recursive: true, force: true });
}
