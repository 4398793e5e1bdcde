// The page: opens the game named by the address (?game=URL, else the demo), and whatever
// the player picks or drops later; the menus; the service worker that keeps the site for
// offline play. window.vornal is there for the tests.
import { PageAudio } from './audio.js';
import { Player } from './engine.js';
import { gameFromAddress, gameFromDrop, gameFromFileList } from './games.js';
import { SaveStore, saveSlot } from './saves.js';
import { Boxes, View } from './view.js';

const DEMO = 'demo/demo.vnp';
const SOUNDFONT = 'TimGM6mb.sf2';

const view = new View();
const boxes = new Boxes();
const audio = new PageAudio();
const saves = new SaveStore();
const player = new Player({ view, boxes, audio, saves });
let muted = false;
globalThis.vornal = { player, view, audio, saves };

async function openGame(loading) {
  let game;
  try {
    game = await loading;
  } catch (error) {
    await boxes.message(String(error.message || error));
    return;
  }
  if (game) await player.open(game.key, game.name, game.files);
}

function download(name, bytes, type) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type }));
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 0);
}

// The game's save files, each to download, and one to bring in from a file.
async function showSaves() {
  const box = document.getElementById('saves-box');
  const list = box.querySelector('.saves');
  list.replaceChildren();
  const game = player.game;
  const text = box.querySelector('.text');
  if (!game) {
    text.textContent = 'ゲームが開かれていません。';
  } else {
    const names = player.saveFiles().map(([name]) => name).sort();
    text.textContent = names.length ? `${game.key} のセーブデータ（クリックで保存）:`
                                    : `${game.key} のセーブデータはまだありません。`;
    for (const name of names) {
      const item = document.createElement('li');
      const link = document.createElement('a');
      link.href = '#';
      link.textContent = name;
      link.addEventListener('click', (event) => {
        event.preventDefault();
        download(name, player.readSave(name), 'application/octet-stream');
      });
      item.append(link);
      list.append(item);
    }
  }
  box.querySelector('[data-command="upload-save"]').disabled = !game;
  await boxes.open('saves-box');
}

async function uploadSave(file) {
  const game = player.game;
  const scriptName = game.file.split('/').pop().replace(/\.[^.]*$/, '');
  let name = file.name;
  if (saveSlot(scriptName, name) === null) {
    const slot = (await boxes.input(`${name} を何番のセーブデータにしますか？`)).trim();
    if (!/^-?\d+$/.test(slot)) return;
    name = `${scriptName}${Number(slot)}.sav`;
  }
  await player.importSave(name, new Uint8Array(await file.arrayBuffer()));
  await boxes.message(`${name} を読み込みました。`);
}

const commands = {
  'open-file': () => document.getElementById('pick-file').click(),
  'open-folder': () => document.getElementById('pick-folder').click(),
  'save-story': () => download(`${document.title || 'VORNAL'}.txt`, view.storyText(),
                               'text/plain;charset=utf-8'),
  saves: () => showSaves(),
  undo: () => player.undo(),
  'upload-save': () => document.getElementById('pick-save').click(),
  mute: () => {
    muted = !muted;
    player.setMuted(muted);
    document.querySelector('[data-command="mute"]').setAttribute('aria-checked', String(muted));
  },
  about: () => boxes.about(),
};

function closeMenus() {
  for (const title of document.querySelectorAll('.menu-title')) {
    title.setAttribute('aria-expanded', 'false');
    title.nextElementSibling.hidden = true;
  }
}

function wireMenus() {
  for (const title of document.querySelectorAll('.menu-title')) {
    title.addEventListener('click', (event) => {
      event.stopPropagation();
      const open = title.getAttribute('aria-expanded') !== 'true';
      closeMenus();
      title.setAttribute('aria-expanded', String(open));
      title.nextElementSibling.hidden = !open;
      if (open) title.nextElementSibling.querySelector('button').focus();
    });
  }
  document.addEventListener('click', (event) => {
    const item = event.target.closest('[data-command]');
    closeMenus();
    if (item && commands[item.dataset.command]) commands[item.dataset.command]();
  });
  document.addEventListener('keydown', (event) => {
    if (event.key === 'Escape') closeMenus();
    // Alt+Z as in the window: Ctrl+Z stays the command line's own undo of typing.
    if (event.altKey && !event.ctrlKey && !event.metaKey && event.code === 'KeyZ' &&
        !document.querySelector('dialog[open]')) {
      event.preventDefault();
      commands.undo();
    }
  });
}

function wireOpening() {
  const pickFile = document.getElementById('pick-file');
  const pickFolder = document.getElementById('pick-folder');
  for (const picker of [pickFile, pickFolder]) {
    picker.addEventListener('change', () => {
      openGame(gameFromFileList(picker.files));
      picker.value = '';
    });
  }
  const pickSave = document.getElementById('pick-save');
  pickSave.addEventListener('change', () => {
    if (pickSave.files[0]) uploadSave(pickSave.files[0]);
    pickSave.value = '';
  });
  const hint = document.getElementById('drop-hint');
  addEventListener('dragover', (event) => {
    event.preventDefault();
    hint.hidden = false;
  });
  addEventListener('dragleave', (event) => {
    if (!event.relatedTarget) hint.hidden = true;
  });
  addEventListener('drop', (event) => {
    event.preventDefault();
    hint.hidden = true;
    openGame(gameFromDrop(event.dataTransfer));
  });
}

async function main() {
  wireMenus();
  wireOpening();
  view.onCommand = (text) => player.command(text);
  audio.startOnGesture();
  // Saves are to stay until the player removes them, not when the browser needs room.
  navigator.storage?.persist?.().catch(() => {});
  if ('serviceWorker' in navigator) {
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }
  // The game's file comes while the player starts. ?game= alone opens none.
  const address = new URLSearchParams(location.search).get('game') ?? DEMO;
  const fetching = address ? gameFromAddress(address) : Promise.resolve(null);
  fetching.catch(() => {});
  await player.start();
  const opening = openGame(fetching);
  if (audio.context) {
    audio.loadMusic(SOUNDFONT).catch((error) => {
      view.showStatus(`音楽は鳴りません: ${error.message || error}`);
    });
  }
  await opening;
}

main().catch((error) => {
  view.showStatus(`このブラウザでは遊べません: ${error.message || error}`);
});
