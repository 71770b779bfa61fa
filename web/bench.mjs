// SPDX-License-Identifier: MIT
// Times the single-file page: an archive chosen in the page until it is
// listed and fully decoded (the page checks every entry after listing it),
// the whole way and as the worker timed it (open, list, decode). Prints the
// medians of seven runs in seconds: "TOTAL WORKER".
// Usage: node web/bench.mjs PAGE ARCHIVE
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { launch, openFile, openPage, settled } from "./chromium.mjs";

const [pageFile, archive] = process.argv.slice(2).map((p) => path.resolve(p));
const work = fs.mkdtempSync(path.join(os.tmpdir(), "qx-page-bench-"));
const browser = await launch(path.join(work, "profile"));
const page = await openPage(browser, pageFile, path.join(work, "page"));
const totals = [];
const workers = [];
for (let run = 0; run < 7; ++run) {
  const start = performance.now();
  await openFile(page, archive);
  const result = await settled(page, 600000);
  if (result.state !== "ok") throw new Error(result.message);
  totals.push((performance.now() - start) / 1000);
  workers.push(Number(await page.evaluate(() => document.body.dataset.decodeMilliseconds)) / 1000);
}
const median = (values) => values.sort((a, b) => a - b)[values.length >> 1];
console.log(`${median(totals).toFixed(3)} ${median(workers).toFixed(3)}`);
await browser.close();
fs.rmSync(work, { recursive: true, force: true });
