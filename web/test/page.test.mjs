// SPDX-License-Identifier: MIT
// The page in Debian's chromium, driven by puppeteer-core: it must list and
// download what qx lists and extracts. CTest sets QX_WEB_DIR (the built
// page), QX and QXENC (the programs), QX_SOURCE_DIR and QX_SCREENSHOT.
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { after, before, test } from "node:test";
import { unzipSync } from "fflate";
import { launch, openFile as choose, serve, settled as settle } from "../serve.mjs";

const webDir = process.env.QX_WEB_DIR;
const source = process.env.QX_SOURCE_DIR;
const sample = path.join(source, "examples/sample.qx1");
const work = fs.mkdtempSync(path.join(os.tmpdir(), "qx-page-"));
const downloads = path.join(work, "downloads");
let server;
let browser;
let page;

function qx(...args) {
  return execFileSync(process.env.QX, args, { cwd: work });
}

// Waits until the download folder holds name, complete.
async function downloaded(name) {
  const file = path.join(downloads, name);
  for (let i = 0; i < 200; ++i) {
    if (fs.existsSync(file) && !fs.existsSync(file + ".crdownload")) return fs.readFileSync(file);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  throw new Error(`${name} was not downloaded`);
}

const openFile = (file) => choose(page, file);
const settled = () => settle(page);

// The entries of a zip as Python's zipfile reads them: name, bytes, the
// extra field (a zip may hold names that a JavaScript object cannot key).
function unzipped(file) {
  const script =
    "import json, sys, zipfile\n" +
    "z = zipfile.ZipFile(sys.argv[1])\n" +
    "print(json.dumps([[i.filename, z.read(i).decode('latin-1'), i.extra.hex()] for i in z.infolist()]))";
  return JSON.parse(execFileSync("python3", ["-c", script, file]).toString());
}

async function rows() {
  return page.$$eval("#entries tr", (trs) =>
    trs.map((tr) => ({
      name: tr.cells[0].textContent,
      size: tr.cells[1].textContent,
      iso: tr.cells[2].title,
    })),
  );
}

function listed(archive, password) {
  const args = ["list", "--json", archive];
  if (password) args.push("-p", password);
  return JSON.parse(qx(...args).toString()).entries.map((e) => ({
    name: e.name,
    size: e.size.toLocaleString("en-US"),
    iso: e.mtime,
  }));
}

before(async () => {
  fs.mkdirSync(downloads);
  server = await serve(webDir);
  browser = await launch(path.join(work, "profile"));
  page = await browser.newPage();
  await page.setViewport({ width: 1000, height: 560 });
  const session = await page.createCDPSession();
  await session.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
});

after(async () => {
  await browser?.close();
  server?.close();
  fs.rmSync(work, { recursive: true, force: true });
});

test("lists the sample as qx does and downloads what qx extracts", async () => {
  await openFile(sample);
  assert.equal((await settled()).state, "ok");
  assert.deepEqual(await rows(), listed(sample));
  if (process.env.QX_SCREENSHOT) await page.screenshot({ path: process.env.QX_SCREENSHOT });

  qx("extract", sample, "-o", "extracted", "-q");
  await page.click("#entries tr:nth-child(2) button");
  assert.deepEqual(await downloaded("notes.txt"), fs.readFileSync(path.join(work, "extracted/docs/notes.txt")));

  await page.click("#download-all");
  const zip = unzipSync(new Uint8Array(await downloaded("sample.zip")));
  const names = listed(sample).map((e) => e.name);
  assert.deepEqual(Object.keys(zip), names);
  for (const name of names) {
    assert.deepEqual(Buffer.from(zip[name]), fs.readFileSync(path.join(work, "extracted", name)), name);
  }
});

test("shows names with escapes exactly as qx list does", async () => {
  const odd = path.join(source, "tests/data/odd-names.qx1");
  await openFile(odd);
  assert.equal((await settled()).state, "ok");
  assert.deepEqual(await rows(), listed(odd));
});

test("asks for a password and tells a wrong one", async () => {
  fs.writeFileSync(path.join(work, "secret.txt"), "秘密 ".repeat(50));
  execFileSync(process.env.QXENC, ["-q", "-p", "パス", "locked.qx1", "secret.txt"], { cwd: work });
  const locked = path.join(work, "locked.qx1");
  await openFile(locked);
  assert.equal((await settled()).state, "password");
  await page.type("#password", "wrong");
  await page.click("#password-form button");
  await page.waitForFunction(() => /Wrong password/.test(document.querySelector("#message").textContent));
  await page.$eval("#password", (input) => (input.value = ""));
  await page.type("#password", "パス");
  await page.click("#password-form button");
  await page.waitForFunction(() => document.body.dataset.state === "ok");
  assert.deepEqual(await rows(), listed(locked, "パス"));
  assert.match(await page.$eval("#message", (m) => m.textContent), /^The one file decodes without error\. \(The format carries no checksum/);
});

test("damaged, cut and foreign files end with a message", async () => {
  const data = fs.readFileSync(sample);
  for (let i = data.length - 64; i < data.length; ++i) data[i] ^= 0xa5;
  fs.writeFileSync(path.join(work, "damaged.qx1"), data);
  await openFile(path.join(work, "damaged.qx1"));
  const damaged = await settled();
  assert.equal(damaged.state, "damaged");
  assert.match(damaged.message, /damaged/);
  // A download that fails tells so, and the archive stays as it was.
  await page.click("#entries tr:nth-child(3) button");
  await page.waitForFunction(() => /cannot be downloaded/.test(document.querySelector("#message").textContent));
  assert.equal(await page.evaluate(() => document.body.dataset.state), "damaged");

  fs.writeFileSync(path.join(work, "cut.qx1"), fs.readFileSync(sample).subarray(0, 60));
  await openFile(path.join(work, "cut.qx1"));
  assert.match((await settled()).state, /damaged|error/);

  await openFile(path.join(source, "README.md"));
  const foreign = await settled();
  assert.equal(foreign.state, "error");
  assert.match(foreign.message, /not a \.qx1 archive/);
});

test("two downloads in a row keep their own names", async () => {
  await openFile(sample);
  assert.equal((await settled()).state, "ok");
  await page.evaluate(() => {
    document.querySelector("#entries tr:nth-child(1) button").click();
    document.querySelector("#entries tr:nth-child(3) button").click();
  });
  const files = path.join(source, "examples/sample");
  assert.deepEqual(await downloaded("readme.txt"), fs.readFileSync(path.join(files, "readme.txt")));
  assert.deepEqual(await downloaded("ソフト一覧.txt"), fs.readFileSync(path.join(files, "表計算/ソフト一覧.txt")));
});

test("unsafe names are marked and refuse Download all", async () => {
  await openFile(path.join(source, "tests/data/page-unsafe.qx1"));
  assert.equal((await settled()).state, "ok");
  assert.equal(await page.$$eval("#entries tr.unsafe", (trs) => trs.length), 5);
  assert.match(await page.$eval("#unsafe-note", (note) => (note.hidden ? "" : note.textContent)), /5 names are unsafe/);
  await page.click("#download-all");
  await page.waitForFunction(() => /refuses this archive/.test(document.querySelector("#message").textContent));
  const message = await page.$eval("#message", (m) => m.textContent);
  assert.match(message, /"\.\.\/escape\.txt": the name has a "\.\." part/);
  assert.match(message, /"\/abs\/x": the name is absolute/);
  assert.match(message, /"C:\/x": the name has a drive prefix/);
  assert.match(message, /"": the name is empty/);
  await new Promise((resolve) => setTimeout(resolve, 300));
  assert.equal(fs.existsSync(path.join(downloads, "page-unsafe.zip")), false);
  assert.equal(await page.evaluate(() => document.body.dataset.state), "ok");
});

test("Download all keeps every entry, of any name and time", async () => {
  await openFile(path.join(source, "tests/data/page-collisions.qx1"));
  assert.equal((await settled()).state, "ok");
  await page.click("#download-all");
  await downloaded("page-collisions.zip");
  const entries = unzipped(path.join(downloads, "page-collisions.zip"));
  assert.deepEqual(
    entries.map(([name, data]) => [name, data]),
    [
      ["same.txt", "first same\n"],
      ["same (2).txt", "second same\n"],
      ["a%01", "literal percent\n"],
      ["a%01 (2)", "control byte\n"],
      ["__proto__", "proto\n"],
      ["old.txt", "before 1980\n"],
    ],
  );
  // The real time of old.txt (1979-12-31T23:59:59Z) is kept in the extended
  // timestamp field: tag 0x5455, 5 bytes, flags 1, seconds little-endian.
  assert.equal(entries[5][2].slice(0, 10), "5554050001");
  assert.equal(Buffer.from(entries[5][2], "hex").readInt32LE(5), 315532799);
  await page.waitForFunction(() => /^Saved page-collisions\.zip/.test(document.querySelector("#message").textContent));
  assert.match(await page.$eval("#message", (m) => m.textContent), /2 names occur more than once/);
});

test("a large listing renders only the rows in view", async () => {
  await openFile(path.join(source, "tests/data/directory-bomb.qx1"));
  assert.equal((await settled(60000)).state, "ok");
  assert.match(await page.$eval("#totals", (t) => t.textContent), /^300,000 files/);
  assert.ok((await page.$$eval("#entries tr", (trs) => trs.length)) < 200);
  await page.$eval("#scroller", (scroller) => {
    scroller.scrollTop = scroller.scrollHeight;
  });
  await page.waitForFunction(() =>
    [...document.querySelectorAll("#entries tr")].some((tr) => tr.dataset.index === "299999"),
  );
  assert.ok((await page.$$eval("#entries tr", (trs) => trs.length)) < 200);
});

test("a cut archive marks what cannot be read and Download all keeps the rest", async () => {
  // Three blocks of bytes that do not compress; the cut falls in the second.
  let seed = 12345;
  const noise = () => Buffer.from(Array.from({ length: 3000 }, () => ((seed = (seed * 1103515245 + 12345) >>> 0) >>> 16) & 255));
  fs.mkdirSync(path.join(work, "cutsrc"), { recursive: true });
  for (const name of ["a.bin", "b.bin", "c.bin"]) fs.writeFileSync(path.join(work, "cutsrc", name), noise());
  execFileSync(process.env.QXENC, ["-q", "--keep-order", "three.qx1", "cutsrc"], { cwd: work });
  const whole = fs.readFileSync(path.join(work, "three.qx1"));
  fs.writeFileSync(path.join(work, "three-cut.qx1"), whole.subarray(0, Math.floor((whole.length * 6) / 10)));
  await openFile(path.join(work, "three-cut.qx1"));
  assert.equal((await settled()).state, "damaged");
  await page.waitForFunction(() => document.querySelectorAll("#entries tr.lost").length === 1);
  assert.deepEqual(await page.$$eval("#entries tr", (trs) => trs.map((tr) => tr.className)), ["", "damaged", "lost"]);
  await page.click("#download-all");
  await downloaded("three-cut.zip");
  const entries = unzipped(path.join(downloads, "three-cut.zip"));
  assert.deepEqual(entries.map(([name]) => name), ["cutsrc/a.bin"]);
  assert.deepEqual(Buffer.from(entries[0][1], "latin1"), fs.readFileSync(path.join(work, "cutsrc/a.bin")));
  assert.match(await page.$eval("#message", (m) => m.textContent), /2 files could not be decoded.*"cutsrc\/c\.bin"/);
  assert.equal(await page.evaluate(() => document.body.dataset.state), "damaged");
});
