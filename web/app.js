// SPDX-License-Identifier: MIT
// The page: choose or drop an archive, list it, sort and filter the list,
// view text and images, download files. The decoding runs in worker.js, so
// the page stays responsive; the listing shows only the rows in view, so
// that an archive of a million entries lists as quickly as one of ten.
"use strict";

const $ = (id) => document.getElementById(id);
// The single-file page carries the worker's code as text (self.qx1WorkerSource).
const worker = new Worker(
  self.qx1WorkerSource
    ? URL.createObjectURL(new Blob([self.qx1WorkerSource], { type: "text/javascript" }))
    : "worker.js",
);
let current = null; // the open archive: { name, file, count, names, sizes, mtimes, total, problems, unreadable, order }
let requests = new Map(); // request id -> what its answer is for
let nextRequest = 1;
let zipParts = [];
let status = { text: "", isError: false }; // what the page says of the archive itself
let sort = { key: "", direction: 1 }; // "" is the archive's own order
let viewing = null; // { index, name, data } of the entry in the viewer

function say(text, isError = false) {
  $("message").textContent = text;
  $("message").className = isError ? "error" : "";
}

// The archive's own state, said again after a download's message.
function sayStatus(text, isError = false) {
  status = { text, isError };
  say(text, isError);
}

function plural(count, one, many) {
  return `${count.toLocaleString("en-US")} ${count === 1 ? one : many}`;
}

function pad(n) {
  return String(n).padStart(2, "0");
}

// Local time as YYYY-MM-DD hh:mm:ss; ISO 8601 in UTC for the hover text.
function localTime(seconds) {
  const d = new Date(seconds * 1000);
  return `${d.getFullYear()}-${pad(d.getMonth() + 1)}-${pad(d.getDate())} ${pad(d.getHours())}:${pad(d.getMinutes())}:${pad(d.getSeconds())}`;
}

function isoTime(seconds) {
  return new Date(seconds * 1000).toISOString().replace(".000Z", "Z");
}

function download(parts, name, type = "application/octet-stream") {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(parts.length === 1 && parts[0] instanceof Blob ? parts[0] : new Blob(parts, { type }));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

// The name a single file is saved under: its last part, or "file" where
// that names nothing.
function saveName(path) {
  const base = path.slice(path.lastIndexOf("/") + 1);
  return base === "" || base === "." || base === ".." ? "file" : base;
}

// Asks the worker for entry index's bytes; what arrives goes to purpose.
function requestEntry(index, purpose) {
  const id = nextRequest++;
  requests.set(id, { name: saveName(current.names[index]), index, purpose });
  worker.postMessage({ type: "read", index, id, purpose });
}

// The entries shown, in the order shown: those the filter keeps, sorted.
function arrange() {
  const filter = $("filter").value.trim().toLowerCase();
  let order = [];
  if (filter) {
    if (!current.lowerNames) current.lowerNames = current.names.map((name) => name.toLowerCase());
    current.lowerNames.forEach((name, i) => name.includes(filter) && order.push(i));
  } else {
    order = Array.from({ length: current.count }, (_, i) => i);
  }
  const { key, direction } = sort;
  const by = {
    name: (a, b) => (current.names[a] < current.names[b] ? -1 : current.names[a] > current.names[b] ? 1 : a - b),
    size: (a, b) => current.sizes[a] - current.sizes[b] || a - b,
    date: (a, b) => current.mtimes[a] - current.mtimes[b] || a - b,
  }[key];
  if (by) order.sort((a, b) => direction * by(a, b));
  current.order = order;
  $("shown").textContent = filter ? `${plural(order.length, "file", "files")} of ${current.count.toLocaleString("en-US")} shown` : "";
  for (const th of document.querySelectorAll("th[aria-sort]")) {
    const own = th.querySelector("button").dataset.key === key;
    th.setAttribute("aria-sort", own ? (direction > 0 ? "ascending" : "descending") : "none");
  }
  $("sizer").style.height = `${order.length * rowHeight()}px`;
  $("scroller").scrollTop = 0;
  delete $("entries").dataset.first;
  renderRows();
}

// The rows in view, and a few around them, between two spacers.
const rowHeight = () => ($("entries").dataset.rowHeight ? Number($("entries").dataset.rowHeight) : 38);
const overscan = 20;

function mark(text, title) {
  const span = document.createElement("span");
  span.className = "mark";
  span.textContent = text;
  span.title = title;
  return span;
}

function button(text, label, action) {
  const b = document.createElement("button");
  b.type = "button";
  b.textContent = text;
  b.setAttribute("aria-label", label);
  b.addEventListener("click", action);
  return b;
}

function row(index) {
  const tr = document.createElement("tr");
  tr.dataset.index = index;
  const entryName = current.names[index];
  const name = document.createElement("td");
  name.className = "name";
  const text = document.createElement("span");
  text.className = "text";
  text.textContent = entryName;
  name.append(text);
  name.title = entryName;
  const problem = current.problems.get(index);
  const unreadable = current.unreadable && current.unreadable.get(index);
  if (unreadable) {
    tr.className = unreadable;
    text.append(mark(unreadable, unreadable === "lost" ? "behind the damage: it cannot be reached" : "its data are damaged"));
  }
  if (problem) {
    tr.className = "unsafe";
    text.append(mark("unsafe name", problem));
    name.title = `${entryName}: ${problem}`;
  }
  const size = document.createElement("td");
  size.className = "number";
  size.textContent = current.sizes[index].toLocaleString("en-US");
  const date = document.createElement("td");
  date.className = "date";
  date.textContent = localTime(current.mtimes[index]);
  date.title = isoTime(current.mtimes[index]);
  const actions = document.createElement("td");
  actions.className = "actions";
  const shown = saveName(entryName);
  if (!unreadable) actions.append(button("View", `View ${shown}`, () => requestEntry(index, "view")));
  const save = button("Download", `Download ${shown}`, () => requestEntry(index, "save"));
  save.className = "download";
  actions.append(save);
  tr.append(name, size, date, actions);
  return tr;
}

function renderRows() {
  if (!current || !current.order) return;
  const scroller = $("scroller");
  const height = rowHeight();
  const shown = current.order.length;
  const first = Math.max(0, Math.floor(scroller.scrollTop / height) - overscan);
  const last = Math.min(shown, Math.ceil((scroller.scrollTop + scroller.clientHeight) / height) + overscan);
  const body = $("entries");
  if (body.dataset.first === String(first) && body.dataset.last === String(last)) return;
  body.dataset.first = first;
  body.dataset.last = last;
  const rows = [];
  for (let i = first; i < last; ++i) rows.push(row(current.order[i]));
  body.replaceChildren(...rows);
  $("rows").style.transform = `translateY(${first * height}px)`;
}

// The height that rows really take (it changes with the screen's width).
function measureRows() {
  const body = $("entries");
  const first = body.querySelector("tr");
  if (first && Math.abs(first.getBoundingClientRect().height - rowHeight()) > 0.5) {
    body.dataset.rowHeight = first.getBoundingClientRect().height;
    $("sizer").style.height = `${current.order.length * rowHeight()}px`;
    delete body.dataset.first;
    renderRows();
  }
}

function show() {
  $("archive-name").textContent = current.name;
  $("totals").textContent = `${plural(current.count, "file", "files")}, ${plural(current.total, "byte", "bytes")}`;
  const unsafe = current.problems.size;
  $("unsafe-note").hidden = unsafe === 0;
  $("unsafe-note").textContent = unsafe
    ? `${plural(unsafe, "name is", "names are")} unsafe (marked below): "Download all" refuses this archive.`
    : "";
  $("listing").hidden = false;
  arrange();
  measureRows();
}

function open(file, password) {
  $("listing").hidden = true;
  $("password-form").hidden = true;
  if ($("viewer").open) $("viewer").close();
  cancelZips();
  requests = new Map();
  delete document.body.dataset.state;
  $("filter").value = "";
  $("open-name").textContent = `Open: ${file.name}`;
  $("drop-text").innerHTML = "<strong>Choose another file</strong> or drop it here";
  say(`Opening ${file.name}…`);
  current = { name: file.name, file, count: 0 };
  worker.postMessage({ type: "open", file, password });
}

// The viewer: images shown as they are; anything else without NUL bytes
// as text, decoded as UTF-8 when it is valid UTF-8 and as Shift-JIS
// otherwise, with a switch between the two.
const imageTypes = [
  [[0x89, 0x50, 0x4e, 0x47], "image/png"],
  [[0x47, 0x49, 0x46, 0x38], "image/gif"],
  [[0xff, 0xd8, 0xff], "image/jpeg"],
  [[0x42, 0x4d], "image/bmp"],
];
const textLimit = 2 << 20;

function imageType(data) {
  const found = imageTypes.find(([magic]) => magic.every((byte, i) => data[i] === byte));
  return found ? found[1] : "";
}

function isUtf8(data) {
  try {
    new TextDecoder("utf-8", { fatal: true }).decode(data);
    return true;
  } catch {
    return false;
  }
}

// Decodes only what is shown; the whole text is decoded when it is saved.
function showText() {
  const encoding = $("viewer-encoding").value;
  const data = viewing.data.subarray(0, textLimit);
  $("viewer-text").textContent = new TextDecoder(encoding).decode(data);
  $("viewer-note").textContent =
    (data.length < viewing.data.length ? `The first ${plural(textLimit, "byte", "bytes")} are shown. ` : "") +
    (encoding === "utf-8" ? "Shown as UTF-8." : "Shown as Shift-JIS, the encoding of Japanese Windows.");
}

function openViewer(index, data) {
  const name = current.names[index];
  viewing = { index, name, data };
  const dialog = $("viewer");
  $("viewer-name").textContent = name;
  const type = imageType(data);
  const text = !type && !data.subarray(0, 65536).includes(0);
  $("viewer-tools").querySelector("label").hidden = !text;
  $("viewer-utf8").hidden = !text;
  $("viewer-text").hidden = !text;
  $("viewer-image").hidden = !type;
  if ($("viewer-image").src) URL.revokeObjectURL($("viewer-image").src);
  $("viewer-image").removeAttribute("src");
  if (type) {
    $("viewer-image").src = URL.createObjectURL(new Blob([data], { type }));
    $("viewer-image").alt = name;
    $("viewer-note").textContent = `${plural(data.length, "byte", "bytes")}, ${type.slice(6).toUpperCase()}`;
  } else if (text) {
    $("viewer-encoding").value = isUtf8(data) ? "utf-8" : "shift_jis";
    showText();
  } else {
    $("viewer-note").textContent = "This file is neither text nor an image this page can show. Download it to open it.";
  }
  dialog.showModal();
}

$("viewer-encoding").addEventListener("change", showText);
$("viewer-close").addEventListener("click", () => $("viewer").close());
$("viewer-download").addEventListener("click", () => viewing && download([viewing.data], saveName(viewing.name)));
$("viewer-utf8").addEventListener("click", () => {
  if (!viewing) return;
  const base = saveName(viewing.name);
  const dot = base.lastIndexOf(".");
  const name = dot > 0 ? `${base.slice(0, dot)} (UTF-8)${base.slice(dot)}` : `${base} (UTF-8).txt`;
  const text = new TextDecoder($("viewer-encoding").value).decode(viewing.data);
  download([new TextEncoder().encode(text)], name, "text/plain;charset=utf-8");
});
$("viewer").addEventListener("close", () => {
  viewing = null;
  if ($("viewer-image").src) URL.revokeObjectURL($("viewer-image").src);
  $("viewer-image").removeAttribute("src");
});

worker.onmessage = (event) => {
  const answer = event.data;
  switch (answer.type) {
    case "ready":
      $("version").textContent = `Version ${answer.version}.`;
      break;
    case "password":
      $("password-form").hidden = false;
      $("password").value = "";
      $("password").focus();
      say(answer.wrong ? "Wrong password. Try again." : "Enter the archive's password.", answer.wrong);
      break;
    case "listed":
      Object.assign(current, {
        count: answer.count,
        names: answer.count ? answer.names.split("\0") : [],
        sizes: answer.sizes,
        mtimes: answer.mtimes,
        total: answer.total,
        problems: new Map(answer.problems),
      });
      show();
      say("Checking the archive…");
      break;
    case "progress":
      $("progress").hidden = answer.done >= answer.total;
      $("progress").value = answer.total ? answer.done / answer.total : 1;
      break;
    case "tested":
      $("progress").hidden = true;
      if (answer.ok) {
        // The format has no checksum: decoding without error is all a check can say.
        sayStatus(
          (current.count === 1 ? "The one file decodes without error." : `All ${plural(current.count, "file", "files")} decode without error.`) +
            " (The format carries no checksum: only a manifest of SHA-256 values proves the bytes.)",
        );
      } else {
        current.unreadable = new Map(answer.unreadable);
        delete $("entries").dataset.first;
        renderRows();
        sayStatus(
          `This archive is damaged: ${answer.message}. ${plural(answer.unreadable.length, "file cannot", "files cannot")} be read (marked below); ` +
            `the ${plural(current.count - answer.unreadable.length, "other", "others")} can still be downloaded, one by one or with "Download all".`,
          true,
        );
      }
      document.body.dataset.decodeMilliseconds = answer.milliseconds.toFixed(1);
      document.body.dataset.state = answer.ok ? "ok" : "damaged";
      break;
    case "file": {
      const request = requests.get(answer.id);
      requests.delete(answer.id);
      if (!request) break;
      if (request.purpose === "view") openViewer(request.index, answer.data);
      else download([answer.data], request.name);
      break;
    }
    case "file-failed": {
      const request = requests.get(answer.id);
      requests.delete(answer.id);
      say(`${request ? request.name : "The file"} cannot be ${request && request.purpose === "view" ? "shown" : "downloaded"}: ${answer.message}.`, true);
      break;
    }
    case "zip-piece":
      // Each piece becomes a Blob at once, which the browser may keep out of
      // the page's memory, so that a large zip is never held here whole;
      // the worker sends more once the page says it has stored this.
      if (requests.has(answer.id)) zipParts.push(new Blob([answer.chunk]));
      worker.postMessage({ type: "zip-stored", bytes: answer.chunk.byteLength });
      break;
    case "zip-done": {
      const request = requests.get(answer.id);
      requests.delete(answer.id);
      if (!request) break;
      download(zipParts, request.name);
      zipParts = [];
      const renamed = answer.renamed.length
        ? ` ${plural(answer.renamed.length, "name occurs", "names occur")} more than once; later copies are saved as ` +
          answer.renamed.map(([, to]) => `"${to}"`).join(", ") + "."
        : "";
      const left = answer.left.length
        ? ` ${plural(answer.left.length, "file", "files")} could not be decoded and ${answer.left.length === 1 ? "is" : "are"} not in it: ` +
          answer.left.map((name) => `"${name}"`).join(", ") + "."
        : "";
      say(`Saved ${request.name}.${renamed}${left}`, answer.left.length > 0);
      break;
    }
    case "zip-refused":
      if (!requests.delete(answer.id)) break;
      zipParts = [];
      say(`"Download all" refuses this archive: ${answer.unsafe.join("; ")}.`, true);
      break;
    case "zip-failed":
      if (!requests.delete(answer.id)) break;
      zipParts = [];
      say(`The zip cannot be made: ${answer.message}.`, true);
      break;
    case "error":
      $("progress").hidden = true;
      sayStatus(`Cannot open ${current ? current.name : "the file"}: ${answer.message}.`, true);
      document.body.dataset.state = "error";
      break;
  }
};

worker.onerror = (event) => {
  say(`The decoder stopped: ${event.message || "unknown failure"}. Reload the page to try again.`, true);
  document.body.dataset.state = "error";
};

$("file").addEventListener("change", () => {
  if ($("file").files.length) open($("file").files[0]);
  // The same file may be chosen again (after it changed on disk, say).
  $("file").value = "";
});
$("password-form").addEventListener("submit", (event) => {
  event.preventDefault();
  if (current) open(current.file, $("password").value);
});
// Stops the zips under way: their pieces are dropped, and the worker
// stops making them.
function cancelZips() {
  for (const [id, request] of requests) {
    if (request.purpose !== "zip") continue;
    requests.delete(id);
    worker.postMessage({ type: "zip-cancel", id });
  }
  zipParts = [];
}

$("download-all").addEventListener("click", () => {
  if (!current) return;
  const id = nextRequest++;
  cancelZips();
  requests.set(id, { purpose: "zip", name: current.name.replace(/\.(qx1|exe)$/i, "") + ".zip" });
  zipParts = [];
  say("Making the zip…");
  worker.postMessage({ type: "zip", id });
});
for (const header of document.querySelectorAll("button.sort")) {
  header.addEventListener("click", () => {
    const key = header.dataset.key;
    sort = { key, direction: sort.key === key ? -sort.direction : 1 };
    if (current && current.order) arrange();
  });
}
let filtering = 0;
$("filter").addEventListener("input", () => {
  clearTimeout(filtering);
  filtering = setTimeout(() => current && current.order && arrange(), 80);
});
$("scroller").addEventListener("scroll", renderRows, { passive: true });
window.addEventListener("resize", () => {
  if (current && current.order) measureRows();
  renderRows();
});
const drop = $("drop");
drop.addEventListener("click", () => $("file").click());
drop.addEventListener("keydown", (event) => {
  if (event.key === "Enter" || event.key === " ") {
    event.preventDefault();
    $("file").click();
  }
});
drop.addEventListener("dragover", (event) => {
  event.preventDefault();
  drop.classList.add("over");
});
drop.addEventListener("dragleave", () => drop.classList.remove("over"));
drop.addEventListener("drop", (event) => {
  event.preventDefault();
  drop.classList.remove("over");
  if (event.dataTransfer.files.length) open(event.dataTransfer.files[0]);
});
