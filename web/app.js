// The page: its controls, their settings, the preview drawn by the core, and the runs that the
// worker makes. Every digit of a listing comes from the core; this script only moves values.
'use strict';

function pageMain(scriptUrl) {
  const $ = (id) => document.getElementById(id);
  const SETTINGS_KEY = 'tessary.page.settings';
  const TEXT_FIELDS = ['start', 'end', 'countFrom', 'labelPrefix', 'glyphSize', 'glyphGap',
    'threshold'];
  const BOXES = ['hexCount', 'vertical', 'skip', 'even', 'invert', 'pixels', 'everyTile', 'glyph',
    'unique', 'map'];
  const SELECTS = ['shape', 'syntax', 'zoom'];
  const SHAPES = ['8x8', '8x12', '16x16'];
  const INK_OUTLINE = 'rgba(255, 170, 0, 0.85)';

  let module = null;  // the compiled core, shared by the preview and every worker
  let workerUrl = scriptUrl;  // this script, held in memory once the page has started
  let core = null;    // the preview's instance
  let worker = null;
  let workerReady = false;
  let workerInput = null;  // the input that the worker holds
  let running = false;
  let input = null;   // { name, bytes: Uint8Array, picture }
  let opening = 0;    // how many opens began: only the last one's file becomes the input
  let reading = false;  // a file is being read; Go! waits for it
  let listingUrl = null;
  let mapUrl = null;
  let listingText = '';  // the listing decoded for Copy, null until it is first needed
  let listingBlob = null;
  let runStarted = 0;

  // Messages: errors and notes, never an alert box.
  function say(text, kind) {
    const box = $('message');
    box.textContent = text || '';
    box.className = text ? kind || 'error' : '';
  }

  // The output's name as the window gives it: the input's name, its extension replaced by .H
  // (by .map for the map).
  function outputName(name, extension) {
    const dot = name.lastIndexOf('.');
    return (dot >= 0 ? name.slice(0, dot) : name) + (extension || '.H');
  }

  function dollarHex(value) {
    return '$' + value.toString(16).toUpperCase().padStart(4, '0');
  }

  // --- settings -------------------------------------------------------------------------------
  function saveSettings() {
    const values = {};
    for (const id of TEXT_FIELDS) values[id] = $(id).value;
    for (const id of BOXES) values[id] = $(id).checked;
    for (const id of SELECTS) values[id] = $(id).value;
    try {
      localStorage.setItem(SETTINGS_KEY, JSON.stringify(values));
    } catch (e) { /* private mode: settings are not kept */ }
  }

  function restoreSettings() {
    let values = {};
    try {
      values = JSON.parse(localStorage.getItem(SETTINGS_KEY) || '{}') || {};
    } catch (e) { values = {}; }
    for (const id of TEXT_FIELDS) if (typeof values[id] === 'string') $(id).value = values[id];
    for (const id of BOXES) if (typeof values[id] === 'boolean') $(id).checked = values[id];
    for (const id of SELECTS) {
      if ([...$(id).options].some((o) => o.value === values[id])) $(id).value = values[id];
    }
  }

  // The window's enabling rules: Even goes with Skip; a label prefix needs Hex Count and a
  // syntax with symbols; Glyph takes the place of Vertical, Skip, Even and the shape, and its
  // size and gap count only while it is set; Unique tiles takes the 8x8 row walk only, and Map
  // counts only with it.
  function applyEnabling() {
    const glyph = $('glyph').checked;
    for (const id of ['vertical', 'skip', 'shape']) $(id).disabled = glyph;
    $('unique').disabled = glyph || $('vertical').checked || $('skip').checked ||
      $('shape').value !== '8x8';
    $('map').disabled = $('unique').disabled || !$('unique').checked;
    $('even').disabled = glyph || !$('skip').checked;
    $('glyphSize').disabled = $('glyphGap').disabled = !glyph;
    const symbols = core._tessary_syntax_symbols($('syntax').selectedIndex) === 1;
    $('labelPrefix').disabled = !($('hexCount').checked && symbols);
  }

  function fields() {
    const flags = ($('hexCount').checked ? 1 : 0) | ($('vertical').checked ? 2 : 0) |
      ($('skip').checked ? 4 : 0) | ($('even').checked ? 8 : 0) |
      ($('invert').checked ? 16 : 0) | ($('pixels').checked ? 32 : 0) |
      ($('everyTile').checked ? 64 : 0) | ($('glyph').checked ? 128 : 0) |
      ($('unique').checked ? 256 : 0) |  // the core drops it off the 8x8 row walk
      ($('map').checked ? 512 : 0);
    return {
      start: $('start').value,
      end: $('end').value,
      countFrom: $('countFrom').value,
      labelPrefix: $('labelPrefix').disabled ? '' : $('labelPrefix').value,
      flags,
      shape: SHAPES.indexOf($('shape').value),
      syntax: $('syntax').selectedIndex,
      glyphSize: $('glyphSize').value,
      glyphGap: $('glyphGap').value,
      threshold: $('threshold').value,
    };
  }

  // Hands the fields to the preview's core; returns why a run would list nothing, or ''.
  function planFields() {
    return coreFields(core, fields());
  }

  function fieldsChanged() {
    applyEnabling();
    saveSettings();
    const problem = input ? planFields() : '';
    $('tip').textContent = problem;
    layoutPreview();  // Glyph lays the sheet out anew
  }

  // --- preview --------------------------------------------------------------------------------
  const zoom = () => Number($('zoom').value) || 1;
  const sheetCanvas = document.createElement('canvas');

  // The sheet as the core lays it out: { width, band (pixel rows), bands }.
  function sheet() {
    if (!core || !input) return { width: 128, band: 8, bands: 0 };
    const at = core._tessary_sheet() >> 3;
    return { width: core.HEAPF64[at], band: core.HEAPF64[at + 1], bands: core.HEAPF64[at + 2] };
  }

  function layoutPreview() {
    const z = zoom();
    const s = sheet();
    $('spacer').style.height = s.bands * s.band * z + 'px';
    $('spacer').style.width = s.width * z + 'px';
    const canvas = $('preview');
    // A sheet of wide glyphs may pass the view: it scrolls across as well.
    canvas.width = Math.max(8, Math.min(s.width * z, $('scroller').clientWidth || s.width * z));
    canvas.height = Math.max(8, $('scroller').clientHeight);
    drawPreview();
  }

  function drawPreview() {
    const canvas = $('preview');
    const g = canvas.getContext('2d');
    g.fillStyle = '#5a5f66';
    g.fillRect(0, 0, canvas.width, canvas.height);
    if (!core || !input) return;
    const z = zoom();
    const s = sheet();
    const top = Math.floor($('scroller').scrollTop / z);  // the sheet row at the top
    const firstBand = Math.floor(top / s.band);
    const bands = Math.ceil(canvas.height / z / s.band) + 2;
    const rows = bands * s.band;
    const at = core._tessary_paint(firstBand, bands) >> 2;
    const pixels = new Uint8ClampedArray(core.HEAPU32.buffer, at * 4, rows * s.width * 4);
    sheetCanvas.width = s.width;
    sheetCanvas.height = rows;
    sheetCanvas.getContext('2d').putImageData(new ImageData(pixels.slice(), s.width, rows), 0, 0);
    g.imageSmoothingEnabled = false;
    const dy = (top - firstBand * s.band) * z;
    const dx = $('scroller').scrollLeft;
    g.drawImage(sheetCanvas, -dx, -dy, s.width * z, rows * z);
    const rects = core._tessary_outlines(firstBand, bands) >> 3;
    const count = core.HEAPF64[rects];
    document.body.dataset.outlines = String(count);  // for the tests
    g.strokeStyle = INK_OUTLINE;
    g.lineWidth = 1;
    for (let i = 0; i < count; ++i) {
      const [x, y, w, h] = core.HEAPF64.subarray(rects + 1 + i * 4, rects + 5 + i * 4);
      g.strokeRect(x * z - dx + 0.5, (y - top) * z + 0.5, w * z - 1, h * z - 1);
    }
  }

  // The file offset under a point of the canvas, clamped to the sheet.
  function offsetAt(event) {
    const box = $('preview').getBoundingClientRect();
    const z = zoom();
    const across = event.clientX - box.left + $('scroller').scrollLeft;
    const x = Math.min(sheet().width - 1, Math.max(0, Math.floor(across / z)));
    const y = Math.max(0, Math.floor((event.clientY - box.top + $('scroller').scrollTop) / z));
    return core._tessary_offset_at(x, y);
  }

  function wirePreview() {
    const canvas = $('preview');
    let dragFrom = null;
    const dragTo = (event) => {
      const at = core._tessary_drag(dragFrom, offsetAt(event)) >> 3;
      $('start').value = dollarHex(core.HEAPF64[at]);
      $('end').value = dollarHex(core.HEAPF64[at + 1]);
      fieldsChanged();
    };
    canvas.addEventListener('mousedown', (event) => {
      if (!input || event.button !== 0) return;
      dragFrom = offsetAt(event);
      event.preventDefault();
    });
    canvas.addEventListener('mousemove', (event) => {
      if (!input) return;
      const offset = offsetAt(event);
      if (offset >= 0 && offset < core._tessary_input_size()) {
        const tip = core.UTF8ToString(core._tessary_tip(offset));
        canvas.title = tip;
        $('tip').textContent = tip;
      }
      if (dragFrom !== null && event.buttons & 1) dragTo(event);
    });
    window.addEventListener('mouseup', (event) => {
      if (dragFrom === null) return;
      dragTo(event);
      dragFrom = null;
    });
    $('scroller').addEventListener('scroll', drawPreview);
    window.addEventListener('resize', layoutPreview);
    $('zoom').addEventListener('change', () => { saveSettings(); layoutPreview(); });
  }

  // --- input ----------------------------------------------------------------------------------
  const PNG_SIGNATURE = [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a];

  // A PNG picture's pixels as the browser decodes them, untouched by colour management; the
  // core's colour rule turns them into digits. Null when the browser cannot decode it (the
  // core then says why).
  async function decodePicture(file) {
    try {
      const bitmap = await createImageBitmap(file,
        { premultiplyAlpha: 'none', colorSpaceConversion: 'none' });
      const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
      const g = canvas.getContext('2d');
      g.drawImage(bitmap, 0, 0);
      const data = g.getImageData(0, 0, bitmap.width, bitmap.height).data;
      return { width: bitmap.width, height: bitmap.height, rgba: data.buffer };
    } catch (e) {
      return null;
    }
  }

  // Reads `file` and makes it the input, unless a file opened later has taken its place by
  // then. While it is read, Go! waits.
  async function openFile(file) {
    if (!file) return;
    say('');
    // A run of the previous file would hand in a listing under the new file's name.
    if (running) cancel({ timeStamp: performance.now() });
    const ticket = ++opening;
    reading = true;
    updateGo();
    let bytes, isPng = false, picture = null;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
      isPng = bytes.length >= 8 && PNG_SIGNATURE.every((b, i) => bytes[i] === b);
      if (isPng) picture = await decodePicture(file);
    } catch (e) {
      bytes = null;
      if (ticket === opening) say('Could not read "' + file.name + '": ' + e.message);
    }
    if (ticket !== opening) return;
    reading = false;
    updateGo();
    if (!bytes) return;
    input = { name: file.name, bytes, picture };
    // The preview reads a picture's cells from the same decoded rows as the run.
    if (picture) {
      withBytes(core, new Uint8Array(picture.rgba), (at) =>
        core._tessary_picture(picture.width, picture.height, at));
    } else {
      core._tessary_picture(0, 0, 0);
    }
    withBytes(core, bytes, (at) =>
      core.ccall('tessary_input', null, ['string', 'number', 'number'], [file.name, at, bytes.length]));
    $('fileInfo').textContent = file.name + ', ' + bytes.length + ' bytes' +
      (isPng ? ' (a PNG picture; the preview shows its 8x8 cells)' : '');
    clearListing();
    $('scroller').scrollTop = 0;
    fieldsChanged();
  }

  function wireInput() {
    $('file').addEventListener('change', () => openFile($('file').files[0]));
    document.addEventListener('dragover', (event) => {
      event.preventDefault();
      document.body.classList.add('dropping');
    });
    document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      document.body.classList.remove('dropping');
      if (event.dataTransfer.files.length) openFile(event.dataTransfer.files[0]);
    });
  }

  // --- runs -----------------------------------------------------------------------------------
  function clearListing() {
    if (listingUrl) URL.revokeObjectURL(listingUrl);
    listingUrl = null;
    listingText = '';
    const link = $('download');
    link.removeAttribute('href');
    link.removeAttribute('download');
    link.classList.add('disabled');
    link.setAttribute('aria-disabled', 'true');
    if (mapUrl) URL.revokeObjectURL(mapUrl);
    mapUrl = null;
    const mapLink = $('mapDownload');
    mapLink.removeAttribute('href');
    mapLink.removeAttribute('download');
    mapLink.classList.add('disabled');
    mapLink.setAttribute('aria-disabled', 'true');
    mapLink.hidden = true;
    $('copy').disabled = true;
    $('head').textContent = '';
  }

  function startWorker() {
    workerReady = false;
    workerInput = null;
    worker = new Worker(workerUrl);
    worker.onmessage = (event) => {
      const m = event.data;
      if (m.type === 'ready') {
        workerReady = true;
        updateGo();
      } else if (m.type === 'progress') {
        if (m.total > 0) $('progress').value = m.done / m.total;
        else $('progress').removeAttribute('value');
      } else if (m.type === 'done') {
        finished(m);
      }
    };
    worker.postMessage({ type: 'init', module });
  }

  function updateGo() {
    $('go').disabled = !(core && workerReady) || running || reading;
    $('cancel').disabled = !running;
    // When the page first became ready, for the speed check.
    if (!$('go').disabled && !document.body.dataset.readyMs) {
      document.body.dataset.readyMs = String(Math.round(performance.now()));
    }
  }

  function go() {
    if (running || reading) return;
    if (!input) {
      say('Choose a file first, or drop one on the page.');
      return;
    }
    say('');
    clearListing();
    running = true;
    runStarted = performance.now();
    $('progress').value = 0;
    updateGo();
    if (workerInput !== input) {  // the worker keeps its own copy of the input for its runs
      const bytes = input.bytes.slice();
      worker.postMessage({ type: 'input', name: input.name, bytes: bytes.buffer,
        picture: input.picture }, [bytes.buffer]);
      workerInput = input;
    }
    worker.postMessage({ type: 'run', fields: fields() });
  }

  function finished(m) {
    running = false;
    $('progress').value = m.status === 0 ? 1 : 0;
    document.body.dataset.lastRunMs = String(Math.round(m.ms));
    updateGo();
    if (m.status !== 0) {
      say(m.message || 'Nothing was listed.');
      return;
    }
    const blob = m.listing;
    listingUrl = URL.createObjectURL(blob);
    const link = $('download');
    link.href = listingUrl;
    link.download = outputName(input.name);
    link.textContent = 'Download ' + link.download;
    link.classList.remove('disabled');
    link.removeAttribute('aria-disabled');
    if (m.map) {
      mapUrl = URL.createObjectURL(m.map);
      const mapLink = $('mapDownload');
      mapLink.href = mapUrl;
      mapLink.download = outputName(input.name, '.map');
      mapLink.textContent = 'Download ' + mapLink.download;
      mapLink.classList.remove('disabled');
      mapLink.removeAttribute('aria-disabled');
      mapLink.hidden = false;
    }
    $('copy').disabled = false;
    listingBlob = blob;
    listingText = null;  // read on the first copy
    document.body.dataset.lastTotalMs = String(Math.round(performance.now() - runStarted));
    say(m.tiles + ' tiles listed, ' + blob.size + ' bytes.' + (m.note ? '\n' + m.note : ''),
      'note');
    blob.slice(0, 4096).text().then((head) => {
      if (listingBlob === blob) $('head').textContent = head.split('\r\n').slice(0, 40).join('\n');
    });
  }

  function cancel(event) {
    if (!running) return;
    // The run holds the worker's thread until it ends; stopping the worker stops it at once.
    worker.terminate();
    // From the key or click to the run stopped, for the tests.
    document.body.dataset.cancelMs = String(Math.round(performance.now() - event.timeStamp));
    running = false;
    $('progress').value = 0;
    say('Cancelled; no listing was made.');
    startWorker();
    updateGo();
  }

  async function copy() {
    if (listingText === null) listingText = await listingBlob.text();
    try {
      await navigator.clipboard.writeText(listingText);
      say('The listing is on the clipboard.', 'note');
    } catch (e) {
      say('The browser did not allow copying: ' + e.message);
    }
  }

  // --- start ----------------------------------------------------------------------------------
  async function start() {
    const wasmUrl = new URL('tessary.wasm', scriptUrl);
    // Workers start from a copy of this script held in memory, so that one started anew (after
    // a cancel) needs no network: once loaded, the page works offline.
    const scriptCopy = fetch(scriptUrl).then((r) => r.blob())
      .then((blob) => { workerUrl = URL.createObjectURL(blob); }, () => {});
    try {
      try {
        module = await WebAssembly.compileStreaming(fetch(wasmUrl));
      } catch (e) {  // a host that serves the .wasm under another type than application/wasm
        module = await WebAssembly.compile(await (await fetch(wasmUrl)).arrayBuffer());
      }
      core = await tessaryInstance(module);
    } catch (e) {
      say('The page could not start its converter: ' + e.message);
      return;
    }
    const syntax = $('syntax');
    for (let i = 0; i < core._tessary_syntax_count(); ++i) {
      const option = document.createElement('option');
      option.value = core.UTF8ToString(core._tessary_syntax_name(i));
      option.textContent = core.UTF8ToString(core._tessary_syntax_title(i));
      syntax.appendChild(option);
    }
    restoreSettings();
    for (const id of [...TEXT_FIELDS, ...BOXES, 'shape', 'syntax']) {
      $(id).addEventListener('input', fieldsChanged);
      $(id).addEventListener('change', fieldsChanged);
    }
    wireInput();
    wirePreview();
    $('go').addEventListener('click', go);
    $('cancel').addEventListener('click', cancel);
    $('copy').addEventListener('click', copy);
    document.addEventListener('keydown', (event) => {
      if (event.key === 'Escape') cancel(event);
    });
    applyEnabling();
    layoutPreview();
    await scriptCopy;
    startWorker();
  }

  start();
}

if (typeof document !== 'undefined') pageMain(document.currentScript.src);
