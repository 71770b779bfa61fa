// SPDX-License-Identifier: MIT
// The single-file page on a large archive: listed and decoded, one entry
// downloaded and compared with the file it was made from, everything
// downloaded as a zip, and the peak
// resident memory of chromium's renderer processes (the page and its
// worker) read from /proc while it works.
// Usage: node web/bench-big.mjs PAGE ARCHIVE PART07_BIN (the file part07.bin was made from)
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { launch, openFile, openPage, settled } from "./chromium.mjs";

const [pageFile, archive, madeFrom] = process.argv.slice(2).map((p) => path.resolve(p));
const work = fs.mkdtempSync(path.join(os.tmpdir(), "qx-page-big-"));
const downloads = path.join(work, "downloads");
fs.mkdirSync(downloads);
const browser = await launch(path.join(work, "profile"));

// The peak resident set (VmHWM) of every renderer process, in bytes.
function rendererPeak() {
  let peak = 0;
  for (const pid of fs.readdirSync("/proc").filter((name) => /^\d+$/.test(name))) {
    try {
      if (!fs.readFileSync(`/proc/${pid}/cmdline`, "utf8").includes("--type=renderer")) continue;
      const hwm = /VmHWM:\s+(\d+) kB/.exec(fs.readFileSync(`/proc/${pid}/status`, "utf8"));
      if (hwm) peak = Math.max(peak, Number(hwm[1]) * 1024);
    } catch {
      // the process ended meanwhile
    }
  }
  return peak;
}

const page = await openPage(browser, pageFile, path.join(work, "page"));
const session = await page.createCDPSession();
await session.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
const start = performance.now();
await openFile(page, archive);
const result = await settled(page, 1800000);
const seconds = (performance.now() - start) / 1000;
if (result.state !== "ok") throw new Error(result.message);
console.log(`page: listed and decoded in ${seconds.toFixed(1)} s (worker ${(
  Number(await page.evaluate(() => document.body.dataset.decodeMilliseconds)) / 1000).toFixed(1)} s)`);
console.log(`renderer peak after the test: ${(rendererPeak() / 2 ** 20).toFixed(0)} MiB`);

await page.click('button[aria-label="Download part07.bin"]');
const file = path.join(downloads, "part07.bin");
for (let i = 0; i < 6000 && !(fs.existsSync(file) && !fs.existsSync(file + ".crdownload")); ++i) {
  await new Promise((resolve) => setTimeout(resolve, 50));
}
const same = fs.readFileSync(file).equals(fs.readFileSync(madeFrom));
console.log(`part07.bin downloaded: ${same ? "the same bytes as the file it was made from" : "DIFFERENT BYTES"}`);
console.log(`renderer peak after the download: ${(rendererPeak() / 2 ** 20).toFixed(0)} MiB`);

// "Download all": the zip streamed out of the worker, piece by piece.
const zipStart = performance.now();
await page.click("#download-all");
const zip = path.join(downloads, path.basename(archive).replace(/\.qx1$/, ".zip"));
await page.waitForFunction(() => /^Saved /.test(document.querySelector("#message").textContent), { timeout: 3600000 });
for (let i = 0; i < 12000 && !(fs.existsSync(zip) && !fs.existsSync(zip + ".crdownload")); ++i) {
  await new Promise((resolve) => setTimeout(resolve, 50));
}
console.log(`Download all: ${fs.statSync(zip).size} bytes in ${((performance.now() - zipStart) / 1000).toFixed(1)} s, ` +
            `renderer peak ${(rendererPeak() / 2 ** 20).toFixed(0)} MiB`);
await browser.close();
fs.rmSync(work, { recursive: true, force: true });
if (!same) process.exit(1);
