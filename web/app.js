// SPDX-License-Identifier: MIT
// The page: choose or drop an archive, list it, download its files. The
// decoding runs in worker.js, so the page stays responsive; the listing
// shows only the rows in view, so that an archive of a million entries
// lists as quickly as one of ten.
"use strict";

const $ = (id) => document.getElementById(id);
const worker = new Worker("worker.js");
let current = null; // { name, file, count, names, sizes, mtimes, unsafe, problems }
let requests = new Map(); // request id -> what its answer is for
let nextRequest = 1;
let zipParts = [];
let status = { text: "", isError: false }; // what the page says of the archive itself

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

function download(parts, name) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob(parts, { type: "application/octet-stream" }));
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

// The rows in view, and a few around them, between two spacers.
const rowHeight = () => $("entries").dataset.rowHeight ? Number($("entries").dataset.rowHeight) : 32;
const overscan = 20;

function row(index) {
  const tr = document.createElement("tr");
  tr.dataset.index = index;
  const name = document.createElement("td");
  name.className = "name";
  name.textContent = current.names[index];
  name.title = current.names[index];
  const problem = current.problems.get(index);
  const unreadable = current.unreadable && current.unreadable.get(index);
  if (unreadable) {
    tr.className = unreadable;
    const mark = document.createElement("span");
    mark.className = "mark";
    mark.textContent = unreadable;
    mark.title = unreadable === "lost" ? "behind the damage: it cannot be reached" : "its data are damaged";
    name.append(" ", mark);
  }
  if (problem) {
    tr.className = "unsafe";
    const mark = document.createElement("span");
    mark.className = "mark";
    mark.textContent = "unsafe name";
    mark.title = problem;
    name.append(" ", mark);
    name.title = `${current.names[index]}: ${problem}`;
  }
  const size = document.createElement("td");
  size.className = "number";
  size.textContent = current.sizes[index].toLocaleString("en-US");
  const date = document.createElement("td");
  date.textContent = localTime(current.mtimes[index]);
  date.title = isoTime(current.mtimes[index]);
  const action = document.createElement("td");
  const button = document.createElement("button");
  button.type = "button";
  button.textContent = "Download";
  button.className = "download";
  button.addEventListener("click", () => {
    const id = nextRequest++;
    requests.set(id, { name: saveName(current.names[index]) });
    worker.postMessage({ type: "read", index, id });
  });
  action.append(button);
  tr.append(name, size, date, action);
  return tr;
}

function renderRows() {
  if (!current) return;
  const scroller = $("scroller");
  const height = rowHeight();
  const first = Math.max(0, Math.floor(scroller.scrollTop / height) - overscan);
  const last = Math.min(current.count, Math.ceil((scroller.scrollTop + scroller.clientHeight) / height) + overscan);
  const body = $("entries");
  if (body.dataset.first === String(first) && body.dataset.last === String(last)) return;
  body.dataset.first = first;
  body.dataset.last = last;
  const rows = [];
  for (let i = first; i < last; ++i) rows.push(row(i));
  body.replaceChildren(...rows);
  $("rows").style.transform = `translateY(${first * height}px)`;
}

function show() {
  const body = $("entries");
  delete body.dataset.first;
  $("sizer").style.height = `${current.count * rowHeight()}px`;
  $("scroller").scrollTop = 0;
  $("archive-name").textContent = current.name;
  $("totals").textContent = `${plural(current.count, "file", "files")}, ${plural(current.total, "byte", "bytes")}`;
  const unsafe = current.problems.size;
  $("unsafe-note").hidden = unsafe === 0;
  $("unsafe-note").textContent = unsafe
    ? `${plural(unsafe, "name is", "names are")} unsafe (marked below): "Download all" refuses this archive.`
    : "";
  $("listing").hidden = false;
  renderRows();
  // The height that rows really take, once one is in place.
  const first = body.querySelector("tr");
  if (first && Math.abs(first.getBoundingClientRect().height - rowHeight()) > 0.5) {
    body.dataset.rowHeight = first.getBoundingClientRect().height;
    $("sizer").style.height = `${current.count * rowHeight()}px`;
    delete body.dataset.first;
    renderRows();
  }
}

function open(file, password) {
  $("listing").hidden = true;
  $("password-form").hidden = true;
  requests = new Map();
  say(`Opening ${file.name}…`);
  file.arrayBuffer().then((buffer) => {
    current = { name: file.name, file, count: 0 };
    worker.postMessage({ type: "open", buffer, password }, [buffer]);
  });
}

worker.onmessage = (event) => {
  const answer = event.data;
  switch (answer.type) {
    case "password":
      $("password-form").hidden = false;
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
      document.body.dataset.state = answer.ok ? "ok" : "damaged";
      break;
    case "file": {
      const request = requests.get(answer.id);
      requests.delete(answer.id);
      if (request) download([answer.data], request.name);
      break;
    }
    case "file-failed": {
      const request = requests.get(answer.id);
      requests.delete(answer.id);
      say(`${request ? request.name : "The file"} cannot be downloaded: ${answer.message}.`, true);
      break;
    }
    case "zip-piece":
      if (requests.has(answer.id)) zipParts.push(answer.chunk);
      break;
    case "zip-done": {
      const request = requests.get(answer.id);
      requests.delete(answer.id);
      if (!request) break;
      download(zipParts, request.name);
      zipParts = [];
      const renamed = answer.renamed.length
        ? ` ${plural(answer.renamed.length, "name occurs", "names occur")} more than once; later copies are saved as ` +
          answer.renamed.map(([from, to]) => `"${to}"`).join(", ") + "."
        : "";
      const left = answer.left.length
        ? ` ${plural(answer.left.length, "file", "files")} could not be decoded and ${answer.left.length === 1 ? "is" : "are"} not in it: ` +
          answer.left.map((name) => `"${name}"`).join(", ") + "."
        : "";
      say(`Saved ${request.name}.${renamed}${left}`, answer.left.length > 0);
      break;
    }
    case "zip-refused":
      requests.delete(answer.id);
      zipParts = [];
      say(`"Download all" refuses this archive: ${answer.unsafe.join("; ")}.`, true);
      break;
    case "zip-failed":
      requests.delete(answer.id);
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
$("download-all").addEventListener("click", () => {
  if (!current) return;
  const id = nextRequest++;
  for (const [key, request] of requests) if (request.zip) requests.delete(key);
  requests.set(id, { zip: true, name: current.name.replace(/\.(qx1|exe)$/i, "") + ".zip" });
  zipParts = [];
  say("Making the zip…");
  worker.postMessage({ type: "zip", id });
});
$("scroller").addEventListener("scroll", renderRows, { passive: true });
window.addEventListener("resize", renderRows);
const drop = $("drop");
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
