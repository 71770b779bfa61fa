// SPDX-License-Identifier: MIT
// Times the page: an archive chosen in the page until it is listed and
// fully decoded (the page checks every entry after listing it). Prints the
// median of five runs. Usage: node web/bench.mjs WEB_DIR ARCHIVE
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { launch, openFile, serve, settled } from "./serve.mjs";

const [webDir, archive] = process.argv.slice(2).map((p) => path.resolve(p));
const work = fs.mkdtempSync(path.join(os.tmpdir(), "qx-page-bench-"));
const server = await serve(webDir);
const browser = await launch(path.join(work, "profile"));
const page = await browser.newPage();
await page.goto(`http://127.0.0.1:${server.address().port}/`);
const times = [];
for (let run = 0; run < 5; ++run) {
  const start = performance.now();
  await openFile(page, archive);
  const result = await settled(page, 120000);
  if (result.state !== "ok") throw new Error(result.message);
  times.push((performance.now() - start) / 1000);
}
times.sort((a, b) => a - b);
const size = (name) => fs.statSync(path.join(webDir, name)).size;
console.log(`page: ${archive} listed and decoded in ${times[2].toFixed(2)} s (median of 5)`);
console.log(`qx1.wasm ${size("qx1.wasm")} bytes + qx1.js ${size("qx1.js")} bytes = ${size("qx1.wasm") + size("qx1.js")}`);
await browser.close();
server.close();
fs.rmSync(work, { recursive: true, force: true });
