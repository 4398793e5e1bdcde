// Where games come from: a file picked or dropped (a .vnp, or a .vns with nothing beside
// it), a folder picked or dropped (the script and its data files), or the address of a
// .vnp on the same site (?game=URL). Each becomes the list of the game's files, the name of
// the one to open, and the key its saves are kept under (that file's name).

const SCRIPT = /\.(vnp|vns)$/i;

// Of a folder's files ([path, ...]), the one to open: an archive before a script, one named
// like the folder before others, then the first by name.
export function chooseScript(paths, folderName = '') {
  const top = paths.filter((path) => !path.includes('/') && SCRIPT.test(path)).sort();
  const rank = (path) => (/\.vnp$/i.test(path) ? 0 : 2) +
      (path.replace(SCRIPT, '').toLowerCase() === folderName.toLowerCase() ? 0 : 1);
  return top.sort((a, b) => rank(a) - rank(b))[0] ?? null;
}

export function gameFromFiles(folderName, entries) {
  const name = chooseScript(entries.map(([path]) => path), folderName);
  if (!name) throw new Error(`${folderName || 'ドロップされたもの'}: .vnp も .vns もありません`);
  return { key: name, name, files: entries };
}

async function bytesOf(file) {
  return new Uint8Array(await file.arrayBuffer());
}

// Files from <input type=file> (one file) or <input webkitdirectory> (a folder's files,
// named by webkitRelativePath "folder/sub/name").
export async function gameFromFileList(list) {
  const files = Array.from(list);
  if (files.length === 0) return null;
  if (!files[0].webkitRelativePath) {
    return gameFromFiles('', [[files[0].name, await bytesOf(files[0])]]);
  }
  const folder = files[0].webkitRelativePath.split('/')[0];
  const entries = [];
  for (const file of files) {
    entries.push([file.webkitRelativePath.split('/').slice(1).join('/'), await bytesOf(file)]);
  }
  return gameFromFiles(folder, entries);
}

function entryFile(entry) {
  return new Promise((resolve, reject) => entry.file(resolve, reject));
}

async function readFolder(directory, prefix, entries) {
  const reader = directory.createReader();
  for (;;) {
    const batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
    if (batch.length === 0) return;
    for (const entry of batch) {
      const path = prefix + entry.name;
      if (entry.isDirectory) await readFolder(entry, path + '/', entries);
      else entries.push([path, await bytesOf(await entryFile(entry))]);
    }
  }
}

// What was dropped: the first item, a file or a folder.
export async function gameFromDrop(dataTransfer) {
  const item = Array.from(dataTransfer.items || []).find((i) => i.kind === 'file');
  const entry = item && item.webkitGetAsEntry ? item.webkitGetAsEntry() : null;
  if (entry && entry.isDirectory) {
    const entries = [];
    await readFolder(entry, '', entries);
    return gameFromFiles(entry.name, entries);
  }
  return gameFromFileList(dataTransfer.files);
}

// ?game=URL: a .vnp (or .vns) on this site.
export async function gameFromAddress(address, base = location.href) {
  const url = new URL(address, base);
  if (url.origin !== new URL(base).origin) {
    throw new Error(`${address}: ゲームはこのサイトのものだけを開けます`);
  }
  let response;
  try {
    response = await fetch(url);
  } catch (error) {
    throw new Error(`${address}: 読み込めません (${error.message})`);
  }
  if (!response.ok) throw new Error(`${address}: ${response.status} ${response.statusText}`);
  const name = decodeURIComponent(url.pathname.split('/').pop());
  if (!SCRIPT.test(name)) throw new Error(`${address}: .vnp か .vns ではありません`);
  return { key: name, name, files: [[name, new Uint8Array(await response.arrayBuffer())]] };
}
