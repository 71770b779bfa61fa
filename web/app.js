// The page: choose or drop an archive, list it, download its files. The
// decoding runs in worker.js, so the page stays responsive.
"use strict";

const $ = (id) => document.getElementById(id);
const worker = new Worker("worker.js");
let current = null; // { name, buffer, entries }
let pending = null; // what the next "file" or "zip" answer is for

function say(text, isError = false) {
  $("message").textContent = text;
  $("message").className = isError ? "error" : "";
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

function download(data, name) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([data], { type: "application/octet-stream" }));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

function baseName(path) {
  return path.slice(path.lastIndexOf("/") + 1);
}

function show(entries) {
  const body = $("entries");
  body.replaceChildren();
  let total = 0;
  entries.forEach((entry, index) => {
    total += entry.size;
    const row = document.createElement("tr");
    const name = document.createElement("td");
    name.className = "name";
    name.textContent = entry.name;
    const size = document.createElement("td");
    size.className = "number";
    size.textContent = entry.size.toLocaleString("en-US");
    const date = document.createElement("td");
    date.textContent = localTime(entry.mtime);
    date.title = isoTime(entry.mtime);
    const action = document.createElement("td");
    const button = document.createElement("button");
    button.type = "button";
    button.textContent = "Download";
    button.className = "download";
    button.addEventListener("click", () => {
      pending = { kind: "file", name: baseName(entry.name) };
      worker.postMessage({ type: "read", index });
    });
    action.append(button);
    row.append(name, size, date, action);
    body.append(row);
  });
  $("archive-name").textContent = current.name;
  $("totals").textContent = `${entries.length.toLocaleString("en-US")} files, ${total.toLocaleString("en-US")} bytes`;
  $("listing").hidden = false;
}

function open(file, password) {
  $("listing").hidden = true;
  $("password-form").hidden = true;
  say(`Opening ${file.name}…`);
  file.arrayBuffer().then((buffer) => {
    current = { name: file.name, file, entries: [] };
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
      current.entries = answer.entries;
      show(answer.entries);
      say("Checking the archive…");
      break;
    case "progress":
      $("progress").hidden = answer.done >= answer.total;
      $("progress").value = answer.total ? answer.done / answer.total : 1;
      break;
    case "tested":
      $("progress").hidden = true;
      if (answer.ok) say(`All ${current.entries.length.toLocaleString("en-US")} files check out.`);
      else say(`This archive is damaged: ${answer.message}. Files before the damage can still be downloaded.`, true);
      document.body.dataset.state = answer.ok ? "ok" : "damaged";
      break;
    case "file":
      download(answer.data, pending ? pending.name : "file");
      pending = null;
      break;
    case "zip":
      download(answer.data, current.name.replace(/\.(qx1|exe)$/i, "") + ".zip");
      pending = null;
      break;
    case "error":
      $("progress").hidden = true;
      say(`Cannot open ${current ? current.name : "the file"}: ${answer.message}.`, true);
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
  pending = { kind: "zip" };
  say("Making the zip…");
  worker.postMessage({ type: "zip" });
});
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
