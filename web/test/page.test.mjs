// SPDX-License-Identifier: MIT
// The single-file page, copied alone into an empty folder and opened from
// file:// in Debian's chromium, driven by puppeteer-core: it must list and
// download what qx lists and extracts, and be usable by keyboard and on a
// phone. CTest sets QX_PAGE (the built qx1.html), QX and QXENC (the
// programs), QX_SOURCE_DIR and QX_SCREENSHOTS (a folder for screenshots).
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { after, before, test } from "node:test";
import { unzipSync } from "fflate";
import { launch, openFile as choose, openPage, settled as settle } from "../chromium.mjs";

const source = process.env.QX_SOURCE_DIR;
const sample = path.join(source, "examples/sample.qx1");
const work = fs.mkdtempSync(path.join(os.tmpdir(), "qx-page-"));
const downloads = path.join(work, "downloads");
const pageFolder = path.join(work, "alone");
const requested = []; // every address the page asked for
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
  browser = await launch(path.join(work, "profile"));
  page = await openPage(browser, process.env.QX_PAGE, pageFolder);
  page.on("request", (request) => requested.push(request.url()));
  await page.setViewport({ width: 1000, height: 560 });
  const session = await page.createCDPSession();
  await session.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
});

after(async () => {
  await browser?.close();
  fs.rmSync(work, { recursive: true, force: true });
});

test("lists the sample as qx does and downloads what qx extracts", async () => {
  await openFile(sample);
  assert.equal((await settled()).state, "ok");
  assert.deepEqual(await rows(), listed(sample));
  // The page is the one file, opened from disk, and asks for nothing but itself.
  assert.equal(await page.evaluate(() => location.protocol), "file:");
  assert.deepEqual(fs.readdirSync(pageFolder), ["qx1.html"]);

  qx("extract", sample, "-o", "extracted", "-q");
  await page.click("#entries tr:nth-child(2) button.download");
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
  // The wrong password is cleared from the field, which has the focus.
  assert.deepEqual(await page.$eval("#password", (input) => [input.value, document.activeElement === input]), ["", true]);
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
  await page.click("#entries tr:nth-child(3) button.download");
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
    document.querySelector("#entries tr:nth-child(1) button.download").click();
    document.querySelector("#entries tr:nth-child(3) button.download").click();
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

test("the drop zone, the rows and the viewer work by keyboard", async () => {
  // From a fresh page, the first Tab reaches the drop zone.
  await page.reload();
  await page.keyboard.press("Tab");
  assert.equal(await page.evaluate(() => document.activeElement.id), "drop");
  for (const key of ["Enter", " "]) {
    // The chooser is intercepted only once puppeteer has told chromium to:
    // the key is pressed after that.
    const chosen = page.waitForFileChooser({ timeout: 5000 });
    await new Promise((resolve) => setTimeout(resolve, 200));
    await page.keyboard.press(key);
    const chooser = await chosen;
    await chooser.accept([sample]);
    assert.equal((await settled()).state, "ok");
  }
  assert.match(await page.$eval("#open-name", (e) => e.textContent), /sample\.qx1/);
  // Tab reaches a row's buttons, which say what they act on; focus shows.
  await page.focus('button[aria-label="View readme.txt"]');
  await page.keyboard.press("Tab");
  assert.equal(await page.evaluate(() => document.activeElement.getAttribute("aria-label")), "Download readme.txt");
  assert.notEqual(await page.evaluate(() => getComputedStyle(document.activeElement).outlineStyle), "none");
  await page.keyboard.press("Enter");
  assert.deepEqual(await downloaded("readme.txt"), fs.readFileSync(path.join(source, "examples/sample/readme.txt")));
  await page.focus('button[aria-label="View readme.txt"]');
  await page.keyboard.press("Enter");
  await page.waitForFunction(() => document.querySelector("#viewer").open);
  await page.keyboard.press("Escape");
  await page.waitForFunction(() => !document.querySelector("#viewer").open);
});

test("sorts by name, size and date, and filters by name", async () => {
  await openFile(sample);
  assert.equal((await settled()).state, "ok");
  const names = () => page.$$eval("#entries tr td.name .text", (cells) => cells.map((c) => c.textContent));
  const sortBy = (key) => page.click(`button.sort[data-key="${key}"]`);
  await sortBy("size");
  assert.deepEqual(await names(), ["docs/notes.txt", "readme.txt", "表計算/ソフト一覧.txt"]);
  assert.equal(await page.$eval("th:nth-child(2)", (th) => th.getAttribute("aria-sort")), "ascending");
  await sortBy("size");
  assert.deepEqual(await names(), ["表計算/ソフト一覧.txt", "readme.txt", "docs/notes.txt"]);
  await sortBy("name");
  assert.deepEqual(await names(), ["docs/notes.txt", "readme.txt", "表計算/ソフト一覧.txt"]);
  await page.type("#filter", "TXT");
  await page.waitForFunction(() => /3 files of 3/.test(document.querySelector("#shown").textContent));
  await page.$eval("#filter", (input) => (input.value = ""));
  await page.type("#filter", "表計");
  await page.waitForFunction(() => document.querySelectorAll("#entries tr").length === 1);
  assert.deepEqual(await names(), ["表計算/ソフト一覧.txt"]);
  assert.equal(await page.$eval("#shown", (e) => e.textContent), "1 file of 3 shown");
  // A download from the filtered, sorted list is of the row clicked.
  await page.click("#entries tr:nth-child(1) button.download");
  assert.deepEqual(await downloaded("ソフト一覧.txt"), fs.readFileSync(path.join(source, "examples/sample/表計算/ソフト一覧.txt")));
  // A new archive starts unfiltered.
  await openFile(sample);
  assert.equal((await settled()).state, "ok");
  assert.equal((await names()).length, 3);
  assert.equal(await page.$eval("#filter", (input) => input.value), "");
});

test("views Shift-JIS and UTF-8 text and images, and saves text as UTF-8", async () => {
  await openFile(sample);
  assert.equal((await settled()).state, "ok");
  const sjis = path.join(source, "examples/sample/表計算/ソフト一覧.txt");
  const utf8 = execFileSync("iconv", ["-f", "CP932", "-t", "UTF-8", sjis]);
  await page.click('button[aria-label="View ソフト一覧.txt"]');
  await page.waitForFunction(() => document.querySelector("#viewer").open);
  assert.equal(await page.$eval("#viewer-encoding", (s) => s.value), "shift_jis");
  assert.equal(await page.$eval("#viewer-text", (pre) => pre.textContent), utf8.toString());
  await page.select("#viewer-encoding", "utf-8");
  assert.match(await page.$eval("#viewer-text", (pre) => pre.textContent), /\uFFFD/);
  await page.select("#viewer-encoding", "shift_jis");
  await page.click("#viewer-utf8");
  assert.deepEqual(await downloaded("ソフト一覧 (UTF-8).txt"), utf8);
  await page.click("#viewer-close");

  await page.click('button[aria-label="View readme.txt"]');
  await page.waitForFunction(() => document.querySelector("#viewer").open);
  assert.equal(await page.$eval("#viewer-encoding", (s) => s.value), "utf-8");
  assert.equal(
    await page.$eval("#viewer-text", (pre) => pre.textContent),
    fs.readFileSync(path.join(source, "examples/sample/readme.txt"), "utf8"),
  );
  await page.click("#viewer-close");

  // A 2 x 1 PNG is shown as an image; bytes with NUL as neither.
  fs.mkdirSync(path.join(work, "pictures"), { recursive: true });
  fs.writeFileSync(
    path.join(work, "pictures/dot.png"),
    Buffer.from("iVBORw0KGgoAAAANSUhEUgAAAAIAAAABCAIAAAB7QOjdAAAAEElEQVR4nGP4z8DAwMDAAAAYAAP9Gy3tAAAAAElFTkSuQmCC", "base64"),
  );
  fs.writeFileSync(path.join(work, "pictures/data.bin"), Buffer.from([1, 0, 2, 0, 3]));
  execFileSync(process.env.QXENC, ["-q", "--keep-order", "pictures.qx1", "pictures"], { cwd: work });
  await openFile(path.join(work, "pictures.qx1"));
  assert.equal((await settled()).state, "ok");
  await page.click('button[aria-label="View dot.png"]');
  await page.waitForFunction(() => document.querySelector("#viewer-image").naturalWidth === 2);
  assert.equal(await page.$eval("#viewer-text", (pre) => pre.hidden), true);
  await page.click("#viewer-close");
  await page.click('button[aria-label="View data.bin"]');
  await page.waitForFunction(() => document.querySelector("#viewer").open);
  assert.match(await page.$eval("#viewer-note", (p) => p.textContent), /neither text nor an image/);
  assert.deepEqual(await page.$eval("#viewer-image", (img) => [img.hidden, img.hasAttribute("src")]), [true, false]);
  await page.click("#viewer-close");
});

test("fits a phone's screen, and a new archive leaves no stale message", async () => {
  const long = "長いフォルダの名前/さらに長いフォルダの名前/とても長いファイルの名前です.txt";
  fs.mkdirSync(path.join(work, "phone", path.dirname(long)), { recursive: true });
  fs.writeFileSync(path.join(work, "phone", long), "text");
  execFileSync(process.env.QXENC, ["-q", "../phone.qx1", "長いフォルダの名前"], { cwd: path.join(work, "phone") });
  await page.setViewport({ width: 390, height: 844 });
  try {
    await openFile(path.join(work, "phone.qx1"));
    assert.equal((await settled()).state, "ok");
    // Nothing is wider than the screen; the long name wraps to two lines
    // in its cell instead.
    assert.ok((await page.evaluate(() => document.documentElement.scrollWidth)) <= 390);
    const [height, line] = await page.$eval("#entries td.name .text", (e) => [
      e.getBoundingClientRect().height, parseFloat(getComputedStyle(e).lineHeight)]);
    assert.ok(height > 1.5 * line && height < 2.5 * line, `name ${height} px high, lines of ${line} px`);
    if (process.env.QX_SCREENSHOTS) {
      await openFile(sample);
      await settled();
      await page.screenshot({ path: path.join(process.env.QX_SCREENSHOTS, "page-390.png"), fullPage: true });
    }
  } finally {
    await page.setViewport({ width: 1000, height: 560 });
  }
  // A zip asked for just before another archive is opened is dropped, with its message.
  await page.click("#download-all");
  await openFile(sample);
  assert.equal((await settled()).state, "ok");
  await new Promise((resolve) => setTimeout(resolve, 300));
  assert.match(await page.$eval("#message", (m) => m.textContent), /^All 3 files decode without error/);
  if (process.env.QX_SCREENSHOTS) {
    await page.setViewport({ width: 1280, height: 720 });
    await page.screenshot({ path: path.join(process.env.QX_SCREENSHOTS, "page-1280.png"), fullPage: true });
    await page.setViewport({ width: 1000, height: 560 });
  }
  // Every address the page asked for is its own file or made by it.
  assert.deepEqual(requested.filter((url) => !/^(file|blob|data):/.test(url)), []);
});
