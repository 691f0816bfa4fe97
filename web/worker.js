// The page's worker: runs the core's conversion away from the page, so that a big range never
// freezes it. It gets the compiled core, the input when it changes, and then one run at a time
// (with the fields); it answers with progress
// messages and one "done" message that carries the listing as a Blob (a File on disk where the
// browser has a private file system for the page).
'use strict';

// Starts an instance of the core from a compiled WebAssembly.Module.
function tessaryInstance(module, extra) {
  return TessaryCore(Object.assign({
    instantiateWasm(imports, done) {
      WebAssembly.instantiate(module, imports).then((instance) => done(instance, module));
      return {};
    },
  }, extra || {}));
}

// Copies `bytes` (a Uint8Array) into the core's memory and calls `use` with the address.
function withBytes(core, bytes, use) {
  const at = core._malloc(Math.max(1, bytes.length));
  core.HEAPU8.set(bytes, at);
  try {
    return use(at);
  } finally {
    core._free(at);
  }
}

// Hands the page's fields (as the page's fields() gives them) to the core; returns why a run
// would list nothing, or why the page refuses it, or ''.
function coreFields(core, f) {
  return core.ccall('tessary_fields', 'string',
    ['string', 'string', 'string', 'string', 'number', 'number', 'number', 'string', 'string',
      'string'],
    [f.start, f.end, f.countFrom, f.labelPrefix, f.flags, f.shape, f.syntax, f.glyphSize,
      f.glyphGap, f.threshold]);
}

// Lists a small made-up sheet in every shape, its listing dropped, so that the browser has
// compiled the listing code at full speed before the first real run.
function warmUp(core) {
  const bytes = new Uint8Array(64 << 10).map((_, i) => (i * 37) ^ (i >> 7));
  withBytes(core, bytes, (at) =>
    core.ccall('tessary_input', null, ['string', 'number', 'number'], ['warm-up', at, bytes.length]));
  core._tessary_picture(0, 0, 0);
  for (let round = 0; round < 4; ++round) {
    for (let shape = 0; shape < 3; ++shape) {
      coreFields(core, { start: '0', end: '', countFrom: '$00', labelPrefix: '',
        flags: 1 | (round & 1 ? 32 : 0), shape, syntax: 0, glyphSize: '8x16', glyphGap: '0',
        threshold: '0' });
      core._tessary_convert();
    }
  }
}

// Where a run's listing goes. In the origin's private file system when the browser offers one:
// the core's chunks are written straight from its memory, and the listing lies on disk, so a
// listing of hundreds of megabytes is neither copied nor held in memory. Otherwise as the parts
// of a Blob. Each worker keeps its files in a folder of its own, which it holds a lock on while
// it lives; whenever it has answered (ready, or a run done) it removes the folders of workers
// that are gone (ended by a cancel, or a closed page) and its own listings but the last two
// (the page may still be saving the one it offered before). Removing a big file takes time,
// which thus never delays a run.
class ListingStore {
  static async open() {
    const store = new ListingStore();
    try {
      if (!self.FileSystemSyncAccessHandle || !navigator.storage || !navigator.locks) return store;
      const root = await navigator.storage.getDirectory();
      const name = 'tessary-' + Date.now().toString(36) + '-' + Math.random().toString(36).slice(2);
      await new Promise((held) => {
        navigator.locks.request(name, () => { held(); return new Promise(() => {}); });
      });
      store.root = root;
      store.folder = await root.getDirectoryHandle(name, { create: true });
    } catch (e) {
      store.folder = null;  // no private file system here (a private window, say): Blob parts
    }
    return store;
  }

  // Closes the last run's file, and removes what no page needs any more: the folders of workers
  // that are gone (one that is still being let go of goes at a later call), and this worker's
  // listings but the last two.
  async tidy() {
    this.release();
    if (!this.folder) return;
    const old = this.runs - 2;
    if (old > 0) await this.folder.removeEntry('listing-' + old).catch(() => {});
    const live = new Set((await navigator.locks.query()).held.map((lock) => lock.name));
    for await (const name of this.root.keys()) {
      if (name.startsWith('tessary-') && !live.has(name)) {
        await this.root.removeEntry(name, { recursive: true }).catch(() => {});
      }
    }
  }

  constructor() {
    this.root = null;
    this.folder = null;
    this.runs = 0;
    this.file = null;    // the run's file handle, with its access handle and the bytes written
    this.access = null;
    this.at = 0;
    this.parts = null;   // the run's Blob parts when there is no folder
  }

  // Opens the listing of the next run.
  async begin() {
    this.release();
    this.parts = null;
    if (this.folder) {
      try {
        const run = ++this.runs;
        this.file = await this.folder.getFileHandle('listing-' + run, { create: true });
        this.access = await this.file.createSyncAccessHandle();
        this.access.truncate(0);
        this.at = 0;
        return;
      } catch (e) {
        this.file = this.access = null;
      }
    }
    this.parts = [];
  }

  // Keeps a chunk (a view into the core's memory): 0, or 1 when storage is full, 2 on another
  // failure.
  write(bytes) {
    if (!this.access) {
      if (!this.parts) return 2;
      this.parts.push(bytes.slice());
      return 0;
    }
    try {
      for (let done = 0; done < bytes.length;) {
        const wrote = this.access.write(bytes.subarray(done), { at: this.at });
        if (wrote <= 0) return 2;
        done += wrote;
        this.at += wrote;
      }
      return 0;
    } catch (e) {
      return e && e.name === 'QuotaExceededError' ? 1 : 2;
    }
  }

  // Ends the run's listing: the listing as a Blob (a File) when `whole`, else null and the file
  // is removed. Where the browser lets a file be read while it is open (closing it takes as long
  // as the run's writes take to reach the disk), the file is closed by release(), once the page
  // has its listing.
  async end(whole) {
    if (!this.access) {
      const parts = this.parts;
      this.parts = null;
      return whole && parts ? new Blob(parts, { type: 'text/plain' }) : null;
    }
    const file = this.file;
    if (whole) {
      try {
        return await file.getFile();
      } catch (e) {
        this.release();
        return file.getFile();
      }
    }
    this.release();
    await this.folder.removeEntry(file.name).catch(() => {});
    return null;
  }

  // Closes the last run's file.
  release() {
    if (this.access) this.access.close();
    this.file = this.access = null;
  }
}

function workerMain() {
  let core = null;
  let lastPost = 0;
  let store = null;
  let whole = false;
  let warming = true;  // the warm-up's listings are dropped as they come
  self.onmessage = async (event) => {
    const job = event.data;
    if (job.type === 'init') {
      core = await tessaryInstance(job.module, {
        onYield(done, total) {
          const now = performance.now();
          if (now - lastPost > 40) {
            lastPost = now;
            self.postMessage({ type: 'progress', done, total });
          }
          return 1;
        },
        onChunk(bytes) { return warming ? 0 : store.write(bytes); },
        onListingEnd(w) { whole = w === 1; },
      });
      warmUp(core);
      warming = false;
      store = await ListingStore.open();
      self.postMessage({ type: 'ready' });
      store.tidy();
      return;
    }
    if (job.type === 'input') {  // the input file, kept for the runs until the next one
      withBytes(core, new Uint8Array(job.bytes), (at) =>
        core.ccall('tessary_input', null, ['string', 'number', 'number'],
          [job.name, at, job.bytes.byteLength]));
      if (job.picture) {
        withBytes(core, new Uint8Array(job.picture.rgba), (at) =>
          core._tessary_picture(job.picture.width, job.picture.height, at));
      } else {
        core._tessary_picture(0, 0, 0);
      }
      return;
    }
    if (job.type !== 'run') return;
    coreFields(core, job.fields);
    const started = performance.now();
    await store.begin();
    whole = false;
    const status = core._tessary_convert();
    const listing = await store.end(status === 0 && whole);
    const ms = performance.now() - started;
    // The map that a run with Unique tiles wrote, small beside the listing.
    const mapAt = core._tessary_map(), mapSize = core._tessary_map_size();
    const map = status === 0 && mapSize > 0 ?
      new Blob([core.HEAPU8.slice(mapAt, mapAt + mapSize)], { type: 'text/plain' }) : null;
    self.postMessage({
      type: 'done',
      status,
      ms,
      message: core.UTF8ToString(core._tessary_message()),
      note: core.UTF8ToString(core._tessary_note()),
      tiles: core._tessary_tiles(),
      listing,
      map,
    });
    store.tidy();
  };
}

if (typeof document === 'undefined' && typeof self !== 'undefined') workerMain();
