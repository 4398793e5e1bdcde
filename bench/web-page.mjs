// The page's figures in headless Chromium on 127.0.0.1 (bench/web.sh runs it):
//
//   node bench/web-page.mjs SITE
//
// - size: every file the service worker keeps but the SoundFont, raw and gzipped;
// - first line: from the navigation's start to the demo's first story line, with a fresh
//   profile (nothing cached) and reloaded (the service worker's cache), each the median of
//   five runs with the fastest and slowest;
// - idle: the main thread's busy time (DevTools' TaskDuration) and the calls into the engine
//   over five seconds while the game waits for a command, with the music playing (its 10 ms
//   steps come from the audio side) and after the music has ended;
// - music: how the synthesizer's messages met their frames over the whole run.
import fs from 'node:fs';
import path from 'node:path';
import { gzipSync } from 'node:zlib';

import { launch, newProfile, settle, startServer, typeCommand, waitForGame } from
    '../tests/web/page/browser.mjs';

const site = path.resolve(process.argv[2] || 'build/web/site');
const RUNS = 5;
const IDLE_MS = 5000;

function sizes() {
  const worker = fs.readFileSync(path.join(site, 'sw.js'), 'utf8');
  const listed = worker.match(/const FILES = \[([^\]]*)\]/)[1];
  const files = [...listed.matchAll(/'([^']+)'/g)].map((match) => match[1])
      .filter((name) => name !== './' && name !== 'TimGM6mb.sf2');
  let raw = 0;
  let gzipped = 0;
  const rows = [];
  for (const name of files) {
    const bytes = fs.readFileSync(path.join(site, name));
    const packed = gzipSync(bytes, { level: 9 }).length;
    raw += bytes.length;
    gzipped += packed;
    rows.push([name, bytes.length, packed]);
  }
  rows.sort((a, b) => b[2] - a[2]);
  console.log('size: the page without the SoundFont (every file the service worker keeps)');
  for (const [name, bytes, packed] of rows.slice(0, 6)) {
    console.log(`  ${name.padEnd(32)} ${String(bytes).padStart(9)} ${String(packed).padStart(9)}`);
  }
  console.log(`  ${'all ' + files.length + ' files'.padEnd(26)} ${String(raw).padStart(9)} ` +
              `${String(gzipped).padStart(9)} gzipped (${(gzipped / 1048576).toFixed(2)} MiB)`);
}

function summary(times) {
  const sorted = [...times].sort((a, b) => a - b);
  return `median ${Math.round(sorted[sorted.length >> 1])} ms ` +
         `(${Math.round(sorted[0])} to ${Math.round(sorted[sorted.length - 1])})`;
}

async function firstLine(server) {
  const cold = [];
  for (let i = 0; i < RUNS; ++i) {
    const { context, page } = await launch(newProfile());
    await page.goto(server.url);
    await waitForGame(page);
    cold.push(await page.evaluate(() => vornal.view.firstLineAt));
    await context.close();
  }
  const warm = [];
  const { context, page } = await launch(newProfile());
  await page.goto(server.url);
  await waitForGame(page);
  await page.evaluate(() => navigator.serviceWorker.ready);
  for (let i = 0; i < RUNS; ++i) {
    await page.reload();
    await waitForGame(page);
    warm.push(await page.evaluate(() => vornal.view.firstLineAt));
  }
  await context.close();
  console.log(`first line, fresh profile:   ${summary(cold)}`);
  console.log(`first line, reloaded:        ${summary(warm)}`);
}

async function idleFor(page, cdp, what) {
  const metric = async () => {
    const { metrics } = await cdp.send('Performance.getMetrics');
    return Object.fromEntries(metrics.map(({ name, value }) => [name, value]));
  };
  const state = () => page.evaluate(() => [vornal.player.calls, vornal.audio.ticks]);
  const [calls, ticks] = await state();
  const before = await metric();
  await page.evaluate((ms) => new Promise((resolve) => setTimeout(resolve, ms)), IDLE_MS);
  const after = await metric();
  const [calls2, ticks2] = await state();
  const busy = (after.TaskDuration - before.TaskDuration) * 1000;
  const script = (after.ScriptDuration - before.ScriptDuration) * 1000;
  console.log(`idle, ${what}: main thread busy ${busy.toFixed(0)} ms of ${IDLE_MS} ` +
              `(${(busy / IDLE_MS * 100).toFixed(1)} %, scripts ${script.toFixed(0)} ms), ` +
              `${calls2 - calls} engine calls, ${ticks2 - ticks} music steps`);
}

async function idle(server) {
  const { context, page } = await launch(newProfile());
  const cdp = await context.newCDPSession(page);
  await cdp.send('Performance.enable');
  await page.goto(server.url);
  await waitForGame(page);
  // The first gesture starts the audio, and the theme with it.
  await typeCommand(page, '見る');
  await settle(page);
  await page.waitForFunction(() => vornal.audio.ticks > 0);
  await idleFor(page, cdp, 'the theme playing');
  // To the ending, whose song plays once.
  for (const command of ['ランプを拾う', '書斎に入る', 'ランプをつける', '床を調べる']) {
    await typeCommand(page, command);
    await settle(page);
  }
  await typeCommand(page, '金庫');
  await page.locator('#input-box[open] input').fill('315');
  await page.locator('#input-box[open] input').press('Enter');
  await settle(page);
  await typeCommand(page, '扉を開ける');
  await page.locator('#yes-no-box[open] button[value=yes]').click();
  await settle(page);
  await typeCommand(page, '箱を開ける');
  await settle(page);
  await page.waitForFunction(() => vornal.audio.wantWake < 0, null, { timeout: 120000 });
  await idleFor(page, cdp, 'no music');
  const stats = await page.evaluate(() => vornal.audio.musicStats());
  const rate = await page.evaluate(() => vornal.audio.sampleRate);
  console.log(`music: ${stats.applied} messages, ${stats.late} late, worst ` +
              `${stats.worstErrorFrames} frames from their stamps ` +
              `(${(stats.worstErrorFrames / rate * 1000).toFixed(1)} ms at ${rate} Hz)`);
  await context.close();
}

sizes();
const server = await startServer(site);
try {
  await firstLine(server);
  await idle(server);
} finally {
  await server.close();
}
