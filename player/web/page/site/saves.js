// The games' save files in the browser's IndexedDB: one record per file, keyed by the game
// (the name of its script or archive) and the file's name, so that each game has a folder of
// its own that survives reloading and closing the browser. The bytes are the save files
// themselves, as the desktop's player writes them.

const DB_NAME = 'vornal';
const STORE = 'saves';

function request(req) {
  return new Promise((resolve, reject) => {
    req.onsuccess = () => resolve(req.result);
    req.onerror = () => reject(req.error);
  });
}

export class SaveStore {
  constructor(indexedDB = globalThis.indexedDB) {
    this.opening = null;
    this.indexedDB = indexedDB;
  }

  db() {
    if (!this.opening) {
      const req = this.indexedDB.open(DB_NAME, 1);
      req.onupgradeneeded = () => req.result.createObjectStore(STORE, { keyPath: ['game', 'name'] });
      this.opening = request(req);
    }
    return this.opening;
  }

  async transaction(mode, work) {
    const tx = (await this.db()).transaction(STORE, mode);
    const done = new Promise((resolve, reject) => {
      tx.oncomplete = () => resolve();
      tx.onerror = () => reject(tx.error);
      tx.onabort = () => reject(tx.error);
    });
    const result = await work(tx.objectStore(STORE));
    await done;
    return result;
  }

  // The game's save files: [{ name, bytes (ArrayBuffer), modified (ms) }], by name.
  list(game) {
    const range = IDBKeyRange.bound([game, ''], [game, '\uffff']);
    return this.transaction('readonly', (store) => request(store.getAll(range)));
  }

  put(game, name, bytes) {
    const copy = bytes.slice().buffer;
    return this.transaction('readwrite',
                            (store) => request(store.put({ game, name, bytes: copy,
                                                           modified: Date.now() })));
  }
}

// The slot whose save file `fileName` is for a game whose script is `scriptName`, as the
// engine names them ("demo1.sav" for slot 1 of demo.vnp: docs/save-format.md); null for any
// other name, which the engine would never open.
export function saveSlot(scriptName, fileName) {
  if (!fileName.startsWith(scriptName)) return null;
  const match = /^(-?\d+)\.sav$/.exec(fileName.slice(scriptName.length));
  if (!match || String(Number(match[1])) !== match[1]) return null;
  return Number(match[1]);
}
