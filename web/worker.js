// The page's worker: runs the core's conversion away from the page, so that a big range never
// freezes it. It gets the compiled core and then one run at a time; it answers with progress
// messages and one "done" message that carries the listing as a Blob.
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

function workerMain() {
  let core = null;
  let lastPost = 0;
  let parts = null;   // the listing's chunks as the run writes them; null: dropped as they come
  let listing = null;  // the Blob of the last whole listing
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
        onChunk(bytes) { if (parts) parts.push(bytes.slice()); },
        onListingEnd(whole) {
          listing = whole && parts ? new Blob(parts, { type: 'text/plain' }) : null;
          parts = parts && [];
        },
      });
      warmUp(core);
      parts = [];
      self.postMessage({ type: 'ready' });
      return;
    }
    if (job.type !== 'run') return;
    withBytes(core, new Uint8Array(job.bytes), (at) =>
      core.ccall('tessary_input', null, ['string', 'number', 'number'],
        [job.name, at, job.bytes.byteLength]));
    if (job.picture) {
      withBytes(core, new Uint8Array(job.picture.rgba), (at) =>
        core._tessary_picture(job.picture.width, job.picture.height, at));
    } else {
      core._tessary_picture(0, 0, 0);
    }
    coreFields(core, job.fields);
    const started = performance.now();
    listing = null;
    const status = core._tessary_convert();
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
      listing: status === 0 ? listing : null,
      map,
    });
    listing = null;
  };
}

if (typeof document === 'undefined' && typeof self !== 'undefined') workerMain();
