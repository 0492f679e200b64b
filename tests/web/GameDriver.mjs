// Drives the browser build of the game in Debian's Chromium (headless,
// WebGL on SwiftShader), served by the real score server on 127.0.0.1: the
// server, the browser, the page with the game's log, keys, clicks, touches,
// a controller, screenshots recognised with the probes the desktop's
// front-end test uses on its 800 x 600 window, and frame times. Shared by
// the browser test (browser.test.mjs) and the frame benchmark
// (bench/web/WebFrames.mjs).
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { chownSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { decodePng } from './png.mjs';

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// ---- What each screen shows on an 800 x 600 page ----

export function share(s, x0, y0, x1, y1, test) {
  let hits = 0, all = 0;
  for (let y = y0; y < y1; y++)
    for (let x = x0; x < x1; x++) {
      if (x < 0 || y < 0 || x >= s.w || y >= s.h) continue;
      const o = (y * s.w + x) * 4;
      all++;
      if (test(s.rgba[o], s.rgba[o + 1], s.rgba[o + 2])) hits++;
    }
  return all ? hits / all : 0;
}
export const white = (r, g, b) => r > 215 && g > 215 && b > 215;
export const StartCircle = (s) => share(s, 370, 474, 430, 534, (r, g, b) => g > r + 50 && g > b + 50) > 0.7;
export const ListBars = (s) => share(s, 262, 462, 350, 482, (r, g, b) => g > r + 20 && g > b + 20) > 0.7;
export const EasyBar = (s) => share(s, 262, 462, 350, 482, (r, g, b) => b > r + 40 && b > g + 20) > 0.7;
export const EatCounter = (s) => share(s, 300, 12, 500, 52, (r, g, b) => r > 200 && g > 130 && g < 230 && b < 160) > 0.04;
export const PausedCaption = (s) => share(s, 100, 88, 200, 112, white) > 0.08;
export const OptionsBack = (s) => share(s, 230, 58, 570, 86, (r, g, b) => r > 90 && g > r && b < 50) > 0.5;
export const QuitGameBanner = (s) => share(s, 280, 262, 360, 290, white) > 0.08 && share(s, 430, 310, 530, 338, white) > 0.08;

// The score panel of the difficulty page cycles through its Top 5, Last 5
// and online pages. Slid in, its heading is centred at x = 702, y = 130;
// "Top 5" is the narrowest of the three headings.
export function TopFivePanel(s) {
  let left = s.w, right = -1, n = 0;
  for (let y = 116; y < 146; y++)
    for (let x = 600; x < 800; x++) {
      const o = (y * s.w + x) * 4;
      if (white(s.rgba[o], s.rgba[o + 1], s.rgba[o + 2])) {
        n++;
        left = Math.min(left, x);
        right = Math.max(right, x);
      }
    }
  const width = right - left, centre = (left + right) / 2;
  return n > 30 && width > 50 && width < 88 && Math.abs(centre - 702) < 8;
}

// Its rows are "%08d" figures ending at x = 792, 67 units apart, the first
// at y 190. A best score above 0 makes the first row differ from the second
// (0); the row of the last game's score also wobbles a little.
export function panelRow(s, r) {
  const rows = [];
  for (let y = 176 + 67 * r; y < 206 + 67 * r; y++)
    for (let x = 640; x < 796; x++) rows.push(white(...s.rgba.subarray((y * s.w + x) * 4, (y * s.w + x) * 4 + 3)) ? 1 : 0);
  return rows;
}
export function rowsDiffer(s, a, b) {
  const ra = panelRow(s, a), rb = panelRow(s, b);
  let d = 0;
  for (let i = 0; i < ra.length; i++) d += ra[i] !== rb[i];
  return d;
}

// ---- The server and the browser ----

// The score server serving the build in playDir, its database in dir. A
// server started as root runs as nobody: the folder is handed to nobody.
export async function startServer(serverBinary, playDir, dir) {
  if (process.getuid && process.getuid() === 0) {
    const nobody = Number(execFileSync('id', ['-u', 'nobody']).toString().trim());
    const group = Number(execFileSync('id', ['-g', 'nobody']).toString().trim());
    chownSync(dir, nobody, group);
  }
  const child = spawn(serverBinary, ['--web', playDir, join(dir, 'scores.db'), '0', '127.0.0.1'], {
    stdio: ['ignore', 'pipe', 'inherit'],
  });
  let out = '';
  child.stdout.on('data', (d) => (out += d));
  for (let i = 0; i < 100 && !/Listening on 127\.0\.0\.1:(\d+)/.test(out); i++) await sleep(50);
  const m = /Listening on 127\.0\.0\.1:(\d+)/.exec(out);
  assert.ok(m, 'the score server did not start: ' + out);
  return { child, port: Number(m[1]), log: () => out };
}

export function launch(profile) {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--use-angle=swiftshader',
           '--enable-unsafe-swiftshader'],
  });
}

// A page of the game with its log collected: the game's log lines go to the
// console, and a script error would stop the game's loop.
// Pictures kept with keep() go to the folder shots.
export async function openGame(browser, url, viewport, shots, beforeLoad) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  if (beforeLoad) await page.evaluateOnNewDocument(beforeLoad);
  const game = { page, log: '', errors: [], shots };
  page.on('console', (m) => (game.log += m.text() + '\n'));
  page.on('pageerror', (e) => game.errors.push(e.message));
  await page.goto(url);
  return game;
}

export async function shot(game) {
  return decodePng(Buffer.from(await game.page.screenshot()));
}

export async function keep(game, name) {
  const png = Buffer.from(await game.page.screenshot());
  writeFileSync(join(game.shots, name + '.png'), png);
  return decodePng(png);
}

// Takes screenshots until the screen shows, for at most ms; the last one is
// kept under the name.
export async function waitFor(game, name, seen, ms = 20000) {
  const end = Date.now() + ms;
  for (;;) {
    const s = await shot(game);
    if (seen(s)) {
      await keep(game, name);
      return true;
    }
    if (Date.now() > end) {
      await keep(game, name + '-not-seen');
      return false;
    }
    await sleep(100);
  }
}

export async function waitForLog(game, pattern, ms = 10000) {
  const end = Date.now() + ms;
  for (;;) {
    const m = pattern.exec(game.log);
    if (m || Date.now() > end) return m;
    await sleep(50);
  }
}

// Held long enough for a couple of the game's updates to see it, then let
// go long enough for the release to be seen too.
export async function press(game, key, times = 1) {
  for (let i = 0; i < times; i++) {
    await game.page.keyboard.down(key);
    await sleep(150);
    await game.page.keyboard.up(key);
    await sleep(100);
  }
}

// Run in the page before its own scripts (the function's text is sent
// alone, so it is whole in itself):
// - a controller as the browser's Gamepad API shows one, at rest; the test
//   moves its stick through window.testPad;
// - the time of every animation frame from the page's start: a frame that
//   holds up the page shows as a long gap (the game's pass runs in the same
//   frames).
export function instrument() {
  const pad = {
    id: 'Test pad', index: 0, connected: true, mapping: 'standard', timestamp: 0,
    axes: [0, 0, 0, 0],
    buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })),
  };
  window.testPad = pad;
  navigator.getGamepads = () => [pad, null, null, null];
  window.frameTimes = [];
  const tick = (t) => {
    window.frameTimes.push(t);
    requestAnimationFrame(tick);
  };
  requestAnimationFrame(tick);
}

// The longest gap between frames from the frame numbered `from` on.
export async function longestFrame(game, from = 0) {
  return game.page.evaluate((from) => {
    const t = window.frameTimes.slice(from);
    let longest = 0;
    for (let i = 1; i < t.length; i++) longest = Math.max(longest, t[i] - t[i - 1]);
    return { longest: longest.toFixed(1), frames: window.frameTimes.length };
  }, from);
}

export async function pushStick(game, x, y) {
  await game.page.evaluate((x, y) => { window.testPad.axes[0] = x; window.testPad.axes[1] = y; }, x, y);
  await sleep(150);
  await game.page.evaluate(() => { window.testPad.axes[0] = 0; window.testPad.axes[1] = 0; });
  await sleep(100);
}

export async function touch(game, x, y) {
  await game.page.touchscreen.touchStart(x, y);
  await sleep(150);
  await game.page.touchscreen.touchEnd();
  await sleep(100);
}

export async function click(game, x, y) {
  await game.page.mouse.move(x, y);
  await game.page.mouse.down();
  await sleep(150);
  await game.page.mouse.up();
}

// Intervals between the page's animation frames while it runs: one frame
// holds the game's update and render.
export async function frameTimes(game, ms) {
  const gaps = await game.page.evaluate(
    (ms) =>
      new Promise((done) => {
        const times = [];
        const end = performance.now() + ms;
        const step = (t) => {
          times.push(t);
          if (t < end) requestAnimationFrame(step);
          else done(times.slice(1).map((v, i) => v - times[i]));
        };
        requestAnimationFrame(step);
      }),
    ms);
  gaps.sort((a, b) => a - b);
  const at = (q) => gaps[Math.min(gaps.length - 1, Math.floor(q * gaps.length))].toFixed(1);
  return `${gaps.length} frames, median ${at(0.5)} ms, p99 ${at(0.99)} ms, longest ${at(1)} ms`;
}

