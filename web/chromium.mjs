// SPDX-License-Identifier: MIT
// Headless Debian chromium for the page's tests and benchmarks, and the
// single-file page opened in it from file://, as a user opens it.
import fs from "node:fs";
import path from "node:path";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

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

// Copies the single-file page alone into folder and opens it from there.
export async function openPage(browser, pageFile, folder) {
  fs.mkdirSync(folder, { recursive: true });
  const copy = path.join(folder, "qx1.html");
  fs.copyFileSync(pageFile, copy);
  const page = await browser.newPage();
  await page.goto(pathToFileURL(copy).href);
  return page;
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
