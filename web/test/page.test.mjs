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
});

test("damaged, cut and foreign files end with a message", async () => {
  const data = fs.readFileSync(sample);
  for (let i = data.length - 64; i < data.length; ++i) data[i] ^= 0xa5;
  fs.writeFileSync(path.join(work, "damaged.qx1"), data);
  await openFile(path.join(work, "damaged.qx1"));
  const damaged = await settled();
  assert.equal(damaged.state, "damaged");
  assert.match(damaged.message, /damaged/);

  fs.writeFileSync(path.join(work, "cut.qx1"), fs.readFileSync(sample).subarray(0, 60));
  await openFile(path.join(work, "cut.qx1"));
  assert.match((await settled()).state, /damaged|error/);

  await openFile(path.join(source, "README.md"));
  const foreign = await settled();
  assert.equal(foreign.state, "error");
  assert.match(foreign.message, /not a \.qx1 archive/);
});
