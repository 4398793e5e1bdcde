// A game transcript of tests/games (format: tests/games/README.md) played through the page:
// its commands typed into the command line, its answers given in the <dialog>s, its boxes
// confirmed; then the page's story must be the transcript's game text, line for line, and
// the engine's events (pictures, sounds, music, saves, loads, waits) its trace lines.
import assert from 'node:assert/strict';
import fs from 'node:fs';

import { settle, story, typeCommand } from './browser.mjs';

const OWN_TAGS = ['[message]', '[yes/no]', '[input]', '[answer]', '[trace]', '[end of input]',
                  '[reloaded]'];
// The events the engine itself reports; the terminal adds its own (caption, cls, screen).
const ENGINE_EVENTS = new Set(['picture', 'sound', 'music', 'save', 'load', 'wait']);

function tagged(line, tag) {
  return line === tag ? '' : line.startsWith(tag + ' ') ? line.slice(tag.length + 1) : null;
}

export function parseTranscript(file) {
  const lines = fs.readFileSync(file, 'utf8').replace(/\n$/, '').split('\n');
  const traced = lines[0].split(' ').includes('--trace');
  const steps = [];
  const text = [];
  const events = [];
  for (const line of lines.slice(1)) {
    if (line.startsWith('> ')) {
      steps.push({ kind: 'command', text: line.slice(2) });
      text.push(line);
      continue;
    }
    let value;
    if ((value = tagged(line, '[trace]')) !== null) {
      const [event, ...detail] = value.split(' ');
      if (ENGINE_EVENTS.has(event)) events.push([event, detail.join(' ')]);
    } else if ((value = tagged(line, '[input]')) !== null) {
      steps.push({ kind: 'input', prompt: value });
    } else if ((value = tagged(line, '[yes/no]')) !== null) {
      steps.push({ kind: 'yes/no', question: value });
    } else if ((value = tagged(line, '[message]')) !== null) {
      steps.push({ kind: 'message', text: value });
    } else if ((value = tagged(line, '[answer]')) !== null) {
      steps[steps.length - 1].answer = value;
    } else if (tagged(line, '[end of input]') !== null) {
      // The question stayed unanswered: the player closes its box instead.
    } else {
      const escaped = line.startsWith('\\') &&
          (line.startsWith('\\\\') || OWN_TAGS.some((tag) => line.startsWith('\\' + tag)));
      text.push(escaped ? line.slice(1) : line);
    }
  }
  // Events only where the terminal traced them.
  return { steps, text, events: traced ? events : null };
}

// As the terminal reads them: y, yes and はい mean Yes.
function isYes(answer) {
  const a = answer.trim();
  return ['y', 'yes'].includes(a.toLowerCase()) || a === 'はい';
}

async function openBox(page, id) {
  await page.waitForSelector(`#${id}[open]`);
  return page.locator(`#${id}`);
}

// Stops the page's clock where it is. The clock goes on between reading it and pausing it,
// so a busy machine may have passed the time read: read it again and pause a little later.
async function pauseClock(page) {
  for (;;) {
    const now = await page.evaluate(() => Date.now());
    try {
      await page.clock.pauseAt(now + 20);
      return;
    } catch (error) {
      if (!/to the past/.test(String(error))) throw error;
    }
  }
}

// Plays the steps. A command typed while the game waits with its command line enabled
// (*SETINPUT 1, then *WAIT) goes in with the page's clock stopped, so that the wait cannot
// end first: the terminal's --fast reads it at once too.
export async function playSteps(page, steps) {
  for (const step of steps) {
    if (step.kind === 'command') {
      await page.waitForFunction(() => vornal.player.settled &&
          !document.querySelector('dialog[open]') &&
          !document.getElementById('command-line').disabled);
      const waiting = await page.evaluate(() => vornal.player.timer !== 0);
      if (waiting) {
        await pauseClock(page);
        const calls = await page.evaluate(() => vornal.player.calls);
        await typeCommand(page, step.text);
        await page.waitForFunction((before) => vornal.player.calls > before, calls);
        await page.clock.resume();
      } else {
        await typeCommand(page, step.text);
      }
    } else if (step.kind === 'input') {
      const box = await openBox(page, 'input-box');
      assert.equal(await box.locator('.prompt').textContent(), step.prompt);
      const edit = box.locator('input');
      if (step.answer) await edit.pressSequentially(step.answer);
      await edit.press('Enter');
      await page.waitForSelector('#input-box:not([open])', { state: 'attached' });
    } else if (step.kind === 'yes/no') {
      const box = await openBox(page, 'yes-no-box');
      assert.equal(await box.locator('.text').textContent(), step.question);
      if (step.answer === undefined) await page.keyboard.press('Escape');
      else await box.locator(`button[value=${isYes(step.answer) ? 'yes' : 'no'}]`).click();
    } else if (step.kind === 'message') {
      const box = await openBox(page, 'message-box');
      assert.equal(await box.locator('.text').textContent(), step.text);
      await box.locator('button').click();
    }
  }
  await settle(page);
}

export async function checkPlayed(page, expected) {
  assert.deepEqual(await story(page), expected.text, 'the story, line for line');
  if (!expected.events) return;
  const events = await page.evaluate(() => vornal.player.events);
  assert.deepEqual(events.filter(([event]) => ENGINE_EVENTS.has(event))
                       .map(([event, detail]) => [event, detail]),
                   expected.events, 'the engine\'s events');
}
