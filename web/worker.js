// Decodes archives off the page's thread with the library compiled to
// WebAssembly (qx1.js and qx1.wasm), and makes the zip with fflate.
importScripts("qx1.js", "fflate.js");

const QX1_E_PASSWORD_NEEDED = -3;
const QX1_E_WRONG_PASSWORD = -4;

let qx = null;        // the module
let archive = 0;      // the open qx1_archive*
let bytes = 0;        // the archive's bytes in the module's memory
let lastProgress = 0;

const ready = createQx1().then((module) => {
  qx = module;
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
  if (bytes) qx._free(bytes);
  archive = 0;
  bytes = 0;
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

function open(buffer, password) {
  close();
  const data = new Uint8Array(buffer);
  bytes = qx._malloc(Math.max(data.length, 1));
  qx.HEAPU8.set(data, bytes);
  const out = qx._malloc(4);
  const code = withString(password, (secret) => qx._qx1_open_memory(bytes, data.length, secret, out));
  archive = qx.HEAPU32[out >> 2];
  qx._free(out);
  if (code === QX1_E_PASSWORD_NEEDED || code === QX1_E_WRONG_PASSWORD) {
    close();
    postMessage({ type: "password", wrong: code === QX1_E_WRONG_PASSWORD && !!password });
    return;
  }
  if (code !== 0) {
    close();
    postMessage({ type: "error", message: text(code) });
    return;
  }
  const entries = [];
  const count = qx._qx1_entry_count(archive);
  for (let i = 0; i < count; ++i) {
    entries.push({
      name: qx.UTF8ToString(qx._qx1web_name(archive, i)),
      size: qx._qx1web_size(archive, i),
      mtime: qx._qx1web_mtime(archive, i),
      block: qx._qx1web_block(archive, i),
      flags: qx._qx1web_flags(archive, i),
    });
  }
  postMessage({ type: "listed", entries });
  // Decode everything once, so that damage is found and told at once.
  qx._qx1web_watch(archive);
  const tested = qx._qx1_test(archive);
  postMessage({ type: "tested", ok: tested === 0, message: tested === 0 ? "" : text(tested) });
}

function read(index) {
  const out = qx._malloc(4);
  try {
    const code = qx._qx1web_read(archive, index, out);
    if (code !== 0) throw new Error(text(code));
    const pointer = qx.HEAPU32[out >> 2];
    const size = qx._qx1web_size(archive, index);
    const data = qx.HEAPU8.slice(pointer, pointer + size);
    qx._free(pointer);
    return data;
  } finally {
    qx._free(out);
  }
}

function zipAll() {
  const files = {};
  const count = qx._qx1_entry_count(archive);
  for (let i = 0; i < count; ++i) {
    const name = qx.UTF8ToString(qx._qx1web_name(archive, i));
    const mtime = new Date(qx._qx1web_mtime(archive, i) * 1000);
    files[name] = [read(i), { mtime, level: 6 }];
  }
  return fflate.zipSync(files);
}

onmessage = async (event) => {
  await ready;
  const request = event.data;
  try {
    if (request.type === "open") {
      open(request.buffer, request.password);
    } else if (request.type === "read") {
      const data = read(request.index);
      postMessage({ type: "file", index: request.index, data }, [data.buffer]);
    } else if (request.type === "zip") {
      const data = zipAll();
      postMessage({ type: "zip", data }, [data.buffer]);
    }
  } catch (failure) {
    postMessage({ type: "error", message: String(failure && failure.message ? failure.message : failure) });
  }
};
