// The page in headless Chromium (tests/web/CMakeLists.txt runs each case as a test):
//
//   node page_test.mjs CASE SITE NODE_PLAYER
//
// SITE is the built site (build/web/site), NODE_PLAYER the terminal player under node
// (build/web/node/vnplayer), which writes and reads save files and pictures as the
// desktop's does.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { canvasPixels, firstDifference, launch, newProfile, pngPixels, ROOT, settle,
         startServer, story, typeCommand, waitForGame } from './browser.mjs';
import { checkPlayed, parseTranscript, playSteps } from './transcript.mjs';

const [name, siteArg, playerArg] = process.argv.slice(2);
const SITE = path.resolve(siteArg || 'build/web/site');
// The terminal player that the page is held against: the desktop's vnplayer when the build
// names one (VORNAL_DESKTOP_PLAYER), else the same engine under node.
const TERMINAL = path.resolve(playerArg || 'build/web/node/vnplayer');
const GAMES = path.join(ROOT, 'tests/games');
const DEMO = path.join(ROOT, 'games/demo');
const DEMO_ARCHIVE = path.join(SITE, 'demo/demo.vnp');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vornal-page-test-'));

// The terminal player on a copy of `game` (a file, or a folder and the script in it) with
// `input` typed, as tests/tty/run_transcript.sh plays a transcript; its standard output and
// the folder it played in (with the save files it wrote and the picture area it left).
function playInTerminal(game, input, extra = []) {
  const folder = fs.mkdtempSync(path.join(work, 'terminal-'));
  const file = game.folder ? game.script : path.basename(game.file);
  if (game.folder) fs.cpSync(game.folder, folder, { recursive: true });
  else fs.copyFileSync(game.file, path.join(folder, file));
  const output = execFileSync(TERMINAL, ['--tty', '--fast', '--picture-out', 'area.png', ...extra,
                                         file],
                              { cwd: folder, input, encoding: 'utf8' });
  return { output, folder, picture: fs.readFileSync(path.join(folder, 'area.png')) };
}

// What a transcript's player types: its commands and answers, one a line.
function typed(steps) {
  return steps.flatMap((step) => step.kind === 'command' ? [step.text]
                                 : step.answer !== undefined ? [step.answer] : [])
      .map((line) => line + '\n').join('');
}

async function checkPicture(page, reference, what) {
  const difference = firstDifference(await canvasPixels(page), await pngPixels(page, reference));
  assert.equal(difference, null, `${what}: the picture area is the terminal player's`);
}

// Each game transcript played through the page, opened each way a game can be opened; at
// its end the picture area must be what the terminal player leaves.
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
    await checkPicture(page, playInTerminal(game, typed(expected.steps)).picture, 'at the end');
    assert.deepEqual(problems, []);
  } finally {
    await context.close();
    await server.close();
  }
}

const cases = {
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
