// SPDX-License-Identifier: MIT
// A static file server for the page on 127.0.0.1 and a headless Debian
// chromium, for the page's tests and benchmark.
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import puppeteer from "puppeteer-core";

const types = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm" };

// Serves folder on a free port of 127.0.0.1; resolves to the server.
export async function serve(folder) {
  const server = http.createServer((request, response) => {
    const file = path.join(folder, path.normalize(decodeURIComponent(new URL(request.url, "http://x").pathname)));
    const name = file.endsWith(path.sep) ? path.join(file, "index.html") : file;
    if (!name.startsWith(folder) || !fs.existsSync(name)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { "Content-Type": types[path.extname(name)] || "application/octet-stream" });
    response.end(fs.readFileSync(name));
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  return server;
}

// Chromium with a fresh profile in profileDir, and no traffic of its own.
export function launch(profileDir) {
  return puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    userDataDir: profileDir,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
           "--disable-component-update", "--disable-sync"],
  });
}

// Chooses file in the page's file input.
export async function openFile(page, file) {
  await page.evaluate(() => delete document.body.dataset.state);
  const input = await page.$("#file");
  await input.uploadFile(file);
}

// Waits until the page has listed and checked the archive, or failed, or
// asks for a password; its state and message.
export async function settled(page, timeout = 30000) {
  await page.waitForFunction(() => document.body.dataset.state || !document.querySelector("#password-form").hidden,
                             { timeout });
  return page.evaluate(() => ({
    state: document.body.dataset.state || "password",
    message: document.querySelector("#message").textContent,
  }));
}
