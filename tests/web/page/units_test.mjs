// The page's own pieces that need no browser, under node's test runner: which file of a
// folder is the game, which slot a save file is for, the canvas sizes that are whole device
// pixels, and what the static server gives out.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';

import { ROOT } from './browser.mjs';

const site = path.join(ROOT, 'player/web/page');
const { chooseScript } = await import(path.join(site, 'site/games.js'));
const { saveSlot } = await import(path.join(site, 'site/saves.js'));
const { wholeSize } = await import(path.join(site, 'site/view.js'));
const { resolveFile, serve } = await import(path.join(site, 'serve.mjs'));

test('the game of a folder', () => {
  const table = [
    // [the folder's files, the folder's name, the one opened]
    [['a.vns', 'b.vnp'], 'x', 'b.vnp'],
    [['other.vns', 'story.vns'], 'story', 'story.vns'],
    [['demo.vns', 'demo.vnp', 'demo.jpg'], 'demo', 'demo.vnp'],
    [['b.vnp', 'a.vnp', 'game.vns'], 'game', 'a.vnp'],
    [['DEMO.VNS', 'room.bmp'], 'demo', 'DEMO.VNS'],
    [['sub/x.vnp', 'readme.txt'], 'x', null],
    [[], '', null],
  ];
  for (const [paths, folder, expected] of table) {
    assert.equal(chooseScript(paths, folder), expected, JSON.stringify(paths));
  }
});

test('the slot of a save file', () => {
  const table = [
    ['demo', 'demo1.sav', 1],
    ['demo', 'demo-3.sav', -3],
    ['demo', 'demo0.sav', 0],
    ['game2', 'game21.sav', 1],
    ['demo', 'demo01.sav', null],
    ['demo', 'DEMO1.sav', null],
    ['demo', 'demo1.SAV', null],
    ['demo', 'demo1 (1).sav', null],
    ['demo', 'demox.sav', null],
    ['demo', 'other1.sav', null],
  ];
  for (const [script, file, slot] of table) assert.equal(saveSlot(script, file), slot, file);
});

test('canvas sizes of whole CSS and device pixels', () => {
  const table = [
    // [the picture's size in CSS pixels, the pixel ratio, the canvas's]
    [405, 2, 405],
    [274.5, 2, 275],
    [540, 1.5, 540],
    [541, 1.5, 542],
    [100.2, 1.25, 104],
    [10, 1.1, 10],
    [270, 1, 270],
  ];
  for (const [size, ratio, css] of table) assert.equal(wholeSize(size, ratio), css, `${size} at ${ratio}`);
});

test('the static server gives out files of its folder only, with their types', async () => {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'vornal-serve-'));
  fs.mkdirSync(path.join(root, 'sub'));
  for (const name of ['index.html', 'a.wasm', 'sub/index.html', 'm.webmanifest']) {
    fs.writeFileSync(path.join(root, name), name);
  }
  const table = [
    ['/', 'index.html'],
    ['/a.wasm?x=1', 'a.wasm'],
    ['/sub/', 'sub/index.html'],
    ['/sub', 'sub/index.html'],
    ['/../etc/passwd', null],
    ['/%2e%2e/%2e%2e/etc/passwd', null],
    ['/nothing', null],
    ['/%E0%A4%A', null],
    ['/a.wasm%00', null],
  ];
  for (const [url, name] of table) {
    const file = await resolveFile(root, url);
    assert.equal(file, name && path.join(root, name), url);
  }
  const server = await serve(root);
  const base = `http://127.0.0.1:${server.address().port}`;
  try {
    const types = [['/a.wasm', 200, 'application/wasm'], ['/m.webmanifest', 200,
                   'application/manifest+json'], ['/none.js', 404, 'text/plain']];
    for (const [url, status, type] of types) {
      const response = await fetch(base + url);
      assert.equal(response.status, status, url);
      assert.equal(response.headers.get('content-type'), type, url);
    }
    assert.equal((await fetch(base + '/a.wasm', { method: 'POST' })).status, 405);
  } finally {
    server.close();
    fs.rmSync(root, { recursive: true });
  }
});
