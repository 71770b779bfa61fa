// SPDX-License-Identifier: MIT
// Makes qx1.html, the page as one file that works opened straight from
// disk, offline: the style sheet and the page's script inlined, and the
// worker (the WebAssembly module as base64, its loader, fflate and
// worker.js) carried as text that the page starts from a blob URL.
// Usage: node web/single-file.mjs WEB_DIR OUTPUT
import fs from "node:fs";
import path from "node:path";

const [webDir, output] = process.argv.slice(2);
const read = (name) => fs.readFileSync(path.join(webDir, name), "utf8");

// Text placed inside a <script> or <style> element must not end it early.
function inline(text, element) {
  if (new RegExp(`</${element}`, "i").test(text)) throw new Error(`"</${element}" in the text to inline`);
  return text;
}

const wasm = fs.readFileSync(path.join(webDir, "qx1.wasm")).toString("base64");
const workerSource =
  `self.qx1Wasm = Uint8Array.from(atob("${wasm}"), (c) => c.charCodeAt(0));\n` +
  `${read("qx1.js")}\n${read("fflate.js")}\n${read("worker.js")}`;
// As a string literal in which "</" cannot occur.
const workerLiteral = JSON.stringify(workerSource).replaceAll("</", "<\\/");

let html = read("index.html");
const replace = (from, to) => {
  if (!html.includes(from)) throw new Error(`index.html has no ${from}`);
  html = html.replace(from, () => to);
};
replace('<link rel="stylesheet" href="style.css">', `<style>\n${inline(read("style.css"), "style")}</style>`);
replace(
  '<script src="app.js"></script>',
  `<script>self.qx1WorkerSource = ${workerLiteral};</script>\n<script>\n${inline(read("app.js"), "script")}</script>`,
);
fs.writeFileSync(output, html);
console.log(`${output}: ${fs.statSync(output).size} bytes`);
