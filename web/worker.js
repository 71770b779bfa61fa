// SPDX-License-Identifier: MIT
// Decodes archives off the page's thread with the library compiled to
// WebAssembly (qx1.js and qx1.wasm), and streams the zip out with fflate.
// In the single-file page both come inlined before this code, with the
// module's bytes in self.qx1Wasm.
if (typeof createQx1 === "undefined") importScripts("qx1.js", "fflate.js");

const QX1_E_PASSWORD_NEEDED = -3;
const QX1_E_WRONG_PASSWORD = -4;
const QX1_ENTRY_UNSAFE = 2;
const QX1_E_DAMAGED = -5;
const QX1_E_LOST = -15;

let qx = null;        // the module
let archive = 0;      // the open qx1_archive*
let lastProgress = 0;

// The chosen file, read in slices as the library asks for its bytes: a
// slice of a few megabytes at a time serves the decoder's small reads.
const sliceSize = 4 << 20;
let source = { file: null, start: 0, bytes: new Uint8Array(0) };
const reader = new FileReaderSync();

function readAt(offset, pointer, size) {
  try {
    if (offset < source.start || offset + size > source.start + source.bytes.length) {
      const end = Math.min(source.file.size, offset + Math.max(size, sliceSize));
      source.bytes = new Uint8Array(reader.readAsArrayBuffer(source.file.slice(offset, end)));
      source.start = offset;
    }
    const from = offset - source.start;
    const count = Math.max(0, Math.min(size, source.bytes.length - from));
    qx.HEAPU8.set(source.bytes.subarray(from, from + count), pointer);
    return count;
  } catch {
    return -1; // the file cannot be read any more (changed or removed)
  }
}

const ready = createQx1(self.qx1Wasm ? { wasmBinary: self.qx1Wasm } : {}).then((module) => {
  qx = module;
  qx.readAt = readAt;
  postMessage({ type: "ready", version: qx.UTF8ToString(qx._qx1_version()) });
  qx.onProgress = (done, total) => {
    const now = Date.now();
    if (now - lastProgress >= 50 || done >= total) {
      lastProgress = now;
      postMessage({ type: "progress", done, total });
    }
    return false;
  };
});

function text(code) {
  return qx.UTF8ToString(qx._qx1_strerror(code));
}

function close() {
  if (archive) qx._qx1_close(archive);
  archive = 0;
  source = { file: null, start: 0, bytes: new Uint8Array(0) };
}

function withString(value, use) {
  if (value === null || value === undefined) return use(0);
  const size = qx.lengthBytesUTF8(value) + 1;
  const pointer = qx._malloc(size);
  qx.stringToUTF8(value, pointer, size);
  try {
    return use(pointer);
  } finally {
    qx._free(pointer);
  }
}

function open(file, password) {
  close();
  const started = performance.now();
  source.file = file;
  const out = qx._malloc(4);
  let code = withString(password, (secret) => qx._qx1web_open_source(file.size, secret, out));
  archive = qx.HEAPU32[out >> 2];
  qx._free(out);
  if (code === QX1_E_PASSWORD_NEEDED || code === QX1_E_WRONG_PASSWORD) {
    close();
    postMessage({ type: "password", wrong: code === QX1_E_WRONG_PASSWORD && !!password });
    return;
  }
  if (code === 0) code = qx._qx1_list(archive);
  if (code !== 0) {
    close();
    postMessage({ type: "error", message: text(code) });
    return;
  }
  // The listing goes to the page in columns: one string of names and typed
  // arrays, which cross threads without a copy per entry.
  const count = qx._qx1_entry_count(archive);
  const names = new Array(count);
  const sizes = new Float64Array(count);
  const mtimes = new Float64Array(count);
  const problems = [];
  for (let i = 0; i < count; ++i) {
    names[i] = qx.UTF8ToString(qx._qx1web_name(archive, i));
    sizes[i] = qx._qx1web_size(archive, i);
    mtimes[i] = qx._qx1web_mtime(archive, i);
    if (qx._qx1web_flags(archive, i) & QX1_ENTRY_UNSAFE) {
      problems.push([i, qx.UTF8ToString(qx._qx1_entry_problem(archive, i))]);
    }
  }
  postMessage(
    { type: "listed", count, names: names.join("\0"), sizes, mtimes, problems, total: qx._qx1_total_size(archive) },
    [sizes.buffer, mtimes.buffer],
  );
  // Decode everything once, so that damage is found and told at once.
  qx._qx1web_watch(archive);
  const tested = qx._qx1_test(archive);
  // After damage: which entries cannot be read (damaged, or lost behind it).
  const unreadable = [];
  if (tested !== 0) {
    for (let i = 0; i < count; ++i) {
      const state = qx._qx1_entry_state(archive, i);
      if (state === QX1_E_DAMAGED || state === QX1_E_LOST) unreadable.push([i, state === QX1_E_LOST ? "lost" : "damaged"]);
    }
  }
  postMessage({
    type: "tested", ok: tested === 0, message: tested === 0 ? "" : text(tested), unreadable,
    milliseconds: performance.now() - started,
  });
}

// The bytes of entry index as a view into the library's decoded block: it
// is valid only until the module is next called.
function entryView(index) {
  const out = qx._malloc(8);
  try {
    const code = qx._qx1_entry_data(archive, index, out, out + 4);
    if (code !== 0) throw new Error(text(code));
    const pointer = qx.HEAPU32[out >> 2];
    const size = qx.HEAPU32[(out + 4) >> 2];
    return qx.HEAPU8.subarray(pointer, pointer + size);
  } finally {
    qx._free(out);
  }
}

// The little-endian bytes of a zip "UT" extra field holding the real
// modification time, which the DOS time field cannot hold before 1980.
function timestampField(seconds) {
  const field = new Uint8Array(5);
  field[0] = 1;
  new DataView(field.buffer).setInt32(1, seconds, true);
  return field;
}

const earliestDosTime = new Date(1980, 0, 1, 0, 0, 2);

// Names in the zip: every entry keeps its own, and a name met again gets
// " (2)", " (3)", ... before its extension, so that nothing is dropped.
function zipNames(names) {
  const taken = new Map();
  const renamed = [];
  const result = names.map((name) => {
    if (!taken.has(name)) {
      taken.set(name, 1);
      return name;
    }
    const dot = name.lastIndexOf(".");
    const stem = dot > name.lastIndexOf("/") + 1 ? name.slice(0, dot) : name;
    const extension = name.slice(stem.length);
    let n = taken.get(name);
    let candidate;
    do candidate = `${stem} (${++n})${extension}`;
    while (taken.has(candidate));
    taken.set(name, n);
    taken.set(candidate, 1);
    renamed.push([name, candidate]);
    return candidate;
  });
  return { result, renamed };
}

// The zip's flow to the page: no more than zipWindow bytes are sent and not
// yet stored by the page, so that pieces never pile up in memory on either
// side; a zip that the page cancels stops at its next piece.
const zipWindow = 16 << 20;
let zipInFlight = 0;
let wakeZip = null;
const cancelledZips = new Set();

async function zipRoom() {
  while (zipInFlight > zipWindow) await new Promise((resolve) => (wakeZip = resolve));
}

// Streams every entry into a zip: the pieces go to the page as they are
// made, and only one entry's bytes are held at a time.
async function zipAll(id) {
  if (cancelledZips.delete(id)) return; // cancelled while it waited in line
  const count = qx._qx1_entry_count(archive);
  const unsafe = [];
  const names = [];
  for (let i = 0; i < count; ++i) {
    names.push(qx.UTF8ToString(qx._qx1web_name(archive, i)));
    if (qx._qx1web_flags(archive, i) & QX1_ENTRY_UNSAFE) {
      unsafe.push(`"${names[i]}": ${qx.UTF8ToString(qx._qx1_entry_problem(archive, i))}`);
    }
  }
  if (unsafe.length) {
    postMessage({ type: "zip-refused", id, unsafe });
    return;
  }
  const { result, renamed } = zipNames(names);
  let failure = null;
  const left = []; // entries that cannot be decoded: left out, and named
  const zip = new fflate.Zip((error, chunk, final) => {
    if (error) {
      failure = error;
      return;
    }
    zipInFlight += chunk.length;
    postMessage({ type: "zip-piece", id, chunk, final }, [chunk.buffer]);
  });
  for (let i = 0; i < count && !failure; ++i) {
    const state = qx._qx1_entry_state(archive, i);
    if (state === QX1_E_DAMAGED || state === QX1_E_LOST) {
      left.push(names[i]);
      continue;
    }
    const file = new fflate.ZipDeflate(result[i], { level: 6 });
    const seconds = qx._qx1web_mtime(archive, i);
    const time = new Date(seconds * 1000);
    file.mtime = time < earliestDosTime ? earliestDosTime : time;
    file.extra = { 0x5455: timestampField(seconds) };
    zip.add(file);
    let data;
    try {
      data = entryView(i);
    } catch (error) {
      failure = new Error(`${names[i] || "(no name)"}: ${error.message}`);
      zip.terminate();
      break;
    }
    // Straight from the decoded block, a megabyte at a time: the deflater
    // takes each piece before the module runs again.
    for (let at = 0; at < data.length || at === 0; at += 1 << 20) {
      const end = Math.min(data.length, at + (1 << 20));
      file.push(data.subarray(at, end), end === data.length);
      // Requests wait in line meanwhile, so the module (and the view into
      // its memory) stays as it is.
      await zipRoom();
      if (cancelledZips.delete(id)) {
        zip.terminate();
        return;
      }
    }
  }
  if (failure) {
    postMessage({ type: "zip-failed", id, message: String(failure.message || failure) });
    return;
  }
  zip.end();
  postMessage({ type: "zip-done", id, renamed, left });
}

// Requests are handled one after another, each to its end (a zip waits
// for the page between its pieces); the page's notes on the zip's flow go
// past the line.
let line = ready.catch((failure) => {
  postMessage({ type: "error", message: `the decoder cannot start (${failure && failure.message ? failure.message : failure})` });
  return new Promise(() => {}); // nothing after this can run
});

onmessage = (event) => {
  const request = event.data;
  if (request.type === "zip-stored") {
    zipInFlight -= request.bytes;
    if (wakeZip) wakeZip();
    wakeZip = null;
    return;
  }
  if (request.type === "zip-cancel") {
    cancelledZips.add(request.id);
    if (wakeZip) wakeZip();
    wakeZip = null;
    return;
  }
  line = line.then(() => handle(request));
};

async function handle(request) {
  try {
    if (request.type === "open") {
      open(request.file, request.password);
    } else if (request.type === "read") {
      try {
        // To be saved: a Blob made straight from the decoded block, 4 MB at
        // a time, so that each piece can leave this process before the next
        // is copied; to be viewed: the bytes themselves.
        const view = entryView(request.index);
        let data;
        if (request.purpose === "save") {
          const pieces = [];
          for (let at = 0; at < view.length; at += sliceSize) pieces.push(new Blob([view.subarray(at, at + sliceSize)]));
          data = new Blob(pieces);
        } else {
          data = view.slice();
        }
        postMessage({ type: "file", id: request.id, data }, data instanceof Blob ? [] : [data.buffer]);
      } catch (failure) {
        postMessage({ type: "file-failed", id: request.id, message: String(failure.message || failure) });
      }
    } else if (request.type === "zip") {
      await zipAll(request.id);
    }
  } catch (failure) {
    postMessage({ type: "error", message: String(failure && failure.message ? failure.message : failure) });
  }
}
