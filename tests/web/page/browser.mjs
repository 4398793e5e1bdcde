// The page in a real browser: Debian's Chromium, headless, driven by playwright-core, with
// a fresh profile each time, and the site served on 127.0.0.1 by the page's own server.
// Shared by the page's tests, its benchmark and scripts/screenshot-web.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { chromium } from 'playwright-core';

export const ROOT = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../..');
const { serve } = await import(path.join(ROOT, 'player/web/page/serve.mjs'));

export const CHROMIUM = process.env.VORNAL_CHROMIUM || '/usr/bin/chromium';
const FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// Serves `site`; the server forgets its open connections when closed, as a host that went
// away would.
export async function startServer(site) {
  const server = await serve(site);
  const sockets = new Set();
  server.on('connection', (socket) => {
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
  });
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    close: () => new Promise((resolve) => {
      server.close(() => resolve());
      for (const socket of sockets) socket.destroy();
    }),
  };
}

export function newProfile() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'vornal-chromium-'));
}

// A browser on `profile` (kept between launches: reopening it is restarting the browser).
export async function launch(profile, options = {}) {
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    args: FLAGS,
    acceptDownloads: true,
    viewport: { width: 1024, height: 768 },
    ...options,
  });
  // Every wait is for a state, never for time: the limit only ends a test that hangs, and
  // is generous for a machine whose cores are all busy.
  context.setDefaultTimeout(60000);
  const page = context.pages()[0] || await context.newPage();
  const problems = [];
  page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push(`console: ${message.text()}`);
  });
  return { context, page, problems };
}

// Waits until the page's player has shown its first story line and has nothing to do.
export async function waitForGame(page) {
  await page.waitForFunction(() => globalThis.vornal && vornal.view.firstLineAt !== undefined);
  await settle(page);
}

// Nothing runs, no box is open and no *WAIT is under way: the game waits for a command.
export function settle(page) {
  return page.waitForFunction(() => vornal.player.settled && vornal.player.timer === 0 &&
                                    !document.querySelector('dialog[open]'));
}

// Types a command into the command line as a player would, and presses Enter.
export async function typeCommand(page, text) {
  const line = page.locator('#command-line');
  await page.waitForFunction(() => !document.getElementById('command-line').disabled);
  await line.fill('');
  await line.pressSequentially(text);
  await line.press('Enter');
}

export function story(page) {
  return page.evaluate(() => vornal.view.transcript.join('\n').split('\n'));
}

// The picture area's own pixels as the page holds them (before they are scaled for the
// screen): { width, height, data: [r, g, b, a, ...] }.
export function areaPixels(page) {
  return page.evaluate(() => {
    const image = vornal.view.areaPixels();
    return { width: image.width, height: image.height, data: Array.from(image.data) };
  });
}

// The PNG without its colour chunks (gAMA, cHRM, sRGB, iCCP), which browsers apply: the
// stored samples are what counts.
function plainPng(bytes) {
  const keep = new Set(['IHDR', 'PLTE', 'tRNS', 'IDAT', 'IEND']);
  const chunks = [bytes.subarray(0, 8)];
  for (let at = 8; at < bytes.length;) {
    const size = bytes.readUInt32BE(at) + 12;
    if (keep.has(bytes.toString('latin1', at + 4, at + 8))) chunks.push(bytes.subarray(at, at + size));
    at += size;
  }
  return Buffer.concat(chunks);
}

// A PNG file's pixels, decoded by the browser without any colour conversion.
export function pngPixels(page, bytes) {
  return page.evaluate(async (base64) => {
    const binary = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([binary], { type: 'image/png' }),
                                           { colorSpaceConversion: 'none',
                                             premultiplyAlpha: 'none' });
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    const data = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
    return { width: bitmap.width, height: bitmap.height, data: Array.from(data) };
  }, plainPng(Buffer.from(bytes)).toString('base64'));
}

// Where two pictures differ first by more than `tolerance` levels in a colour, or null.
export function firstDifference(a, b, tolerance = 0) {
  if (a.width !== b.width || a.height !== b.height) {
    return `size ${a.width}x${a.height}, expected ${b.width}x${b.height}`;
  }
  for (let i = 0; i < a.data.length; i += 4) {
    for (let c = 0; c < 3; ++c) {
      if (Math.abs(a.data[i + c] - b.data[i + c]) > tolerance) {
        const pixel = i / 4;
        return `pixel (${pixel % a.width}, ${Math.floor(pixel / a.width)}) is ` +
               `${a.data.slice(i, i + 3)}, expected ${b.data.slice(i, i + 3)}`;
      }
    }
  }
  return null;
}
