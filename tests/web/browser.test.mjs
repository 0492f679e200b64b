// The browser build end to end, in Debian's Chromium (headless, WebGL on
// SwiftShader), served by the real score server on 127.0.0.1: the title
// appears; an online name is entered; a game is started with keys, played a
// few moves, paused and quit; the Top 5 shows the score; the score reaches
// the server's page; a reload keeps it; quitting the game leaves a page that
// says so and plays again; a phone-sized portrait window gets the portrait
// layout. Each screen is recognised from a screenshot of the page, with the
// probes the desktop's front-end test uses on its 800 x 600 window. The
// screenshots stay in GOBBIT_WEB_SHOTS for a person to look at, and the
// figures (time to the title, frame times) are printed, not checked.
//
// Needs: GOBBIT_SCORE_SERVER (the server binary), GOBBIT_WEB_PLAY (the
// build's play/ folder), GOBBIT_WEB_SHOTS (a folder for the pictures).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { decodePng } from './png.mjs';

const serverBinary = process.env.GOBBIT_SCORE_SERVER;
const playDir = process.env.GOBBIT_WEB_PLAY;
const shotDir = process.env.GOBBIT_WEB_SHOTS;
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// ---- What each screen shows on an 800 x 600 page ----

function share(s, x0, y0, x1, y1, test) {
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
const white = (r, g, b) => r > 215 && g > 215 && b > 215;
const StartCircle = (s) => share(s, 370, 474, 430, 534, (r, g, b) => g > r + 50 && g > b + 50) > 0.7;
const ListBars = (s) => share(s, 262, 462, 350, 482, (r, g, b) => g > r + 20 && g > b + 20) > 0.7;
const EasyBar = (s) => share(s, 262, 462, 350, 482, (r, g, b) => b > r + 40 && b > g + 20) > 0.7;
const EatCounter = (s) => share(s, 300, 12, 500, 52, (r, g, b) => r > 200 && g > 130 && g < 230 && b < 160) > 0.04;
const PausedCaption = (s) => share(s, 100, 88, 200, 112, white) > 0.08;
const OptionsBack = (s) => share(s, 230, 58, 570, 86, (r, g, b) => r > 90 && g > r && b < 50) > 0.5;
const QuitGameBanner = (s) => share(s, 280, 262, 360, 290, white) > 0.08 && share(s, 430, 310, 530, 338, white) > 0.08;

// The score panel of the difficulty page cycles through its Top 5, Last 5
// and online pages. Slid in, its heading is centred at x = 702, y = 130;
// "Top 5" is the narrowest of the three headings.
function TopFivePanel(s) {
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
function panelRow(s, r) {
  const rows = [];
  for (let y = 176 + 67 * r; y < 206 + 67 * r; y++)
    for (let x = 640; x < 796; x++) rows.push(white(...s.rgba.subarray((y * s.w + x) * 4, (y * s.w + x) * 4 + 3)) ? 1 : 0);
  return rows;
}
function rowsDiffer(s, a, b) {
  const ra = panelRow(s, a), rb = panelRow(s, b);
  let d = 0;
  for (let i = 0; i < ra.length; i++) d += ra[i] !== rb[i];
  return d;
}

// ---- The server and the browser ----

async function startServer(dir) {
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

function launch(profile) {
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
async function openGame(browser, url, viewport, beforeLoad) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  if (beforeLoad) await page.evaluateOnNewDocument(beforeLoad);
  const game = { page, log: '', errors: [] };
  page.on('console', (m) => (game.log += m.text() + '\n'));
  page.on('pageerror', (e) => game.errors.push(e.message));
  await page.goto(url);
  return game;
}

async function shot(game) {
  return decodePng(Buffer.from(await game.page.screenshot()));
}

async function keep(game, name) {
  const png = Buffer.from(await game.page.screenshot());
  writeFileSync(join(shotDir, name + '.png'), png);
  return decodePng(png);
}

// Takes screenshots until the screen shows, for at most ms; the last one is
// kept under the name.
async function waitFor(game, name, seen, ms = 15000) {
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

async function waitForLog(game, pattern, ms = 10000) {
  const end = Date.now() + ms;
  for (;;) {
    const m = pattern.exec(game.log);
    if (m || Date.now() > end) return m;
    await sleep(50);
  }
}

// Held long enough for a couple of the game's updates to see it, then let
// go long enough for the release to be seen too.
async function press(game, key, times = 1) {
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
function instrument() {
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
async function longestFrame(game, from = 0) {
  return game.page.evaluate((from) => {
    const t = window.frameTimes.slice(from);
    let longest = 0;
    for (let i = 1; i < t.length; i++) longest = Math.max(longest, t[i] - t[i - 1]);
    return { longest: longest.toFixed(1), frames: window.frameTimes.length };
  }, from);
}

async function pushStick(game, x, y) {
  await game.page.evaluate((x, y) => { window.testPad.axes[0] = x; window.testPad.axes[1] = y; }, x, y);
  await sleep(150);
  await game.page.evaluate(() => { window.testPad.axes[0] = 0; window.testPad.axes[1] = 0; });
  await sleep(100);
}

async function touch(game, x, y) {
  await game.page.touchscreen.touchStart(x, y);
  await sleep(150);
  await game.page.touchscreen.touchEnd();
  await sleep(100);
}

async function click(game, x, y) {
  await game.page.mouse.move(x, y);
  await game.page.mouse.down();
  await sleep(150);
  await game.page.mouse.up();
}

// Intervals between the page's animation frames while it runs: one frame
// holds the game's update and render.
async function frameTimes(game, ms) {
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

test('the browser build plays, keeps its scores and sends them to its server', { timeout: 300000 }, async () => {
  assert.ok(serverBinary && playDir && shotDir, 'GOBBIT_SCORE_SERVER, GOBBIT_WEB_PLAY and GOBBIT_WEB_SHOTS are needed');
  mkdirSync(shotDir, { recursive: true });
  const dir = mkdtempSync(join(tmpdir(), 'gobbit-web-'));
  const server = await startServer(dir);
  const url = `http://127.0.0.1:${server.port}/play/`;
  const browser = await launch(join(dir, 'profile'));
  try {
    const opened = Date.now();
    const game = await openGame(browser, url, { width: 800, height: 600 }, instrument);
    assert.ok(await waitFor(game, 'title', StartCircle, 60000), 'the title was not seen\n' + game.log);
    console.log(`# figure: opening the page to the title: ${Date.now() - opened} ms`);
    const loading = await longestFrame(game);
    console.log(`# figure: longest frame from opening the page to the title: ${loading.longest} ms`);
    console.log(`# figure: title: ${await frameTimes(game, 3000)}`);
    assert.match(game.log, /OpenAL Audio Engaged!/, 'the sound device opened');

    // The keys the game uses are kept from the browser: no scrolling, no
    // reload, no help page, no browser full screen.
    const taken = await game.page.evaluate(() => {
      const seen = {};
      const note = (e) => (seen[e.code] = e.defaultPrevented);
      window.addEventListener('keydown', note);
      for (const [key, code] of [[' ', 'Space'], ['ArrowDown', 'ArrowDown'], ['F1', 'F1'], ['F5', 'F5'], ['F11', 'F11']])
        window.dispatchEvent(new KeyboardEvent('keydown', { key, code, cancelable: true }));
      window.removeEventListener('keydown', note);
      return seen;
    });
    assert.deepEqual(taken, { Space: true, ArrowDown: true, F1: true, F5: true, F11: true });

    // F11 is the browser's full screen, both ways.
    await press(game, 'F11');
    await game.page.waitForFunction(() => !!document.fullscreenElement, { timeout: 5000 });
    await press(game, 'F11');
    await game.page.waitForFunction(() => !document.fullscreenElement, { timeout: 5000 });

    // The online name "ABC" on the reels of Options -> Online Name; the
    // controller's stick moves the title's choice to Options.
    assert.ok(await waitForLog(game, /Controller ID 'Test pad'/), 'the controller was seen at rest\n' + game.log);
    await pushStick(game, 1, 0);
    await press(game, 'Enter');
    assert.ok(await waitFor(game, 'options', OptionsBack), 'the stick chose Options');
    await press(game, 'ArrowDown', 3);
    await press(game, 'Enter');
    await sleep(200);
    await press(game, 'ArrowDown', 12);
    await press(game, 'KeyZ');
    await press(game, 'ArrowDown');
    await press(game, 'KeyZ');
    await press(game, 'ArrowDown');
    await press(game, 'Enter');
    await sleep(300);
    await keep(game, 'options-with-name');
    await press(game, 'Escape');
    assert.ok(await waitFor(game, 'title-named', StartCircle), 'back on the title after the options');

    // A game of Easy: a few moves, then pause and quit from the pause menu.
    await press(game, 'ArrowLeft');  // from Options back to Start
    await press(game, 'Enter');
    assert.ok(await waitFor(game, 'difficulty', (s) => ListBars(s) && !StartCircle(s)), 'the difficulty list');
    assert.ok(await waitFor(game, 'top5-fresh', TopFivePanel), 'the Top 5 panel');
    const fresh = await shot(game);
    await press(game, 'ArrowUp');
    await press(game, 'Enter');
    assert.ok(await waitFor(game, 'play', EatCounter), 'play did not start\n' + game.log);
    assert.ok(await waitForLog(game, /target/), 'the level was built');
    await sleep(1500);  // the maze rises
    await game.page.keyboard.down('ArrowRight');
    console.log(`# figure: play: ${await frameTimes(game, 800)}`);
    await keep(game, 'play-moving');
    await press(game, 'Escape');
    assert.ok(await waitFor(game, 'pause', PausedCaption), 'the pause menu');
    await sleep(300);  // the buttons slide up
    await click(game, 200, 472);
    await game.page.mouse.move(790, 300);  // off the list, which then shows the game's difficulty
    const stores = await game.page.evaluate(() => Module.gobbitStores().asked);
    const quitFrame = (await longestFrame(game)).frames;
    const ended = await waitForLog(game, /Game ended by quitting with score (\d+)/);
    assert.ok(ended, 'the quit was not logged\n' + game.log);
    const score = Number(ended[1]);
    assert.ok(score > 0, 'the held arrow ate pellets before the quit');
    assert.ok(await waitFor(game, 'quit-banner', QuitGameBanner, 3000), 'the "Quit Game" banner');
    await sleep(1500);
    await game.page.keyboard.up('ArrowRight');
    assert.ok(await waitFor(game, 'back-on-list', (s) => EasyBar(s) && !StartCircle(s), 8000), 'back on the list');
    assert.ok(await waitFor(game, 'top5', TopFivePanel, 16000), 'the Top 5 panel after the game');
    const top5 = await shot(game);
    assert.equal(rowsDiffer(fresh, 0, 1), 0, 'before the game the Top 5 held only zeros');
    assert.ok(rowsDiffer(top5, 0, 1) > 30, 'the Top 5 shows the score in its first row');

    // The new best went to the server, with the name.
    let board = '';
    for (let i = 0; i < 60 && !(board.includes('ABC') && board.includes(`>${score}<`)); i++) {
      await sleep(250);
      board = await (await fetch(`http://127.0.0.1:${server.port}/`)).text();
    }
    assert.ok(board.includes('ABC') && board.includes(`>${score}<`), `the server's page lists ABC with ${score}:\n${board}`);
    assert.match(board, /href="\/play\/"/, "the server's page links to the game");

    // A reload reads the scores back from the browser's storage, once the
    // save that followed the game (both files) has been stored there.
    await game.page.waitForFunction((n) => {
      const s = Module.gobbitStores();
      return s.asked >= n + 2 && !s.storing;
    }, { timeout: 20000 }, stores);
    const saving = await longestFrame(game, quitFrame);
    console.log(`# figure: longest frame from the quit through the save, its storing and the score exchange: ${saving.longest} ms`);
    const before = game.log.length;
    await game.page.reload();
    assert.ok(await waitFor(game, 'title-reloaded', StartCircle, 60000), 'the title after the reload\n' + game.log);
    await press(game, 'Enter');
    assert.ok(await waitFor(game, 'difficulty-reloaded', (s) => EasyBar(s) && !StartCircle(s)), 'Easy is the last chosen');
    assert.ok(await waitFor(game, 'top5-reloaded', TopFivePanel, 16000), 'the Top 5 panel after the reload');
    const reloaded = await shot(game);
    assert.ok(rowsDiffer(reloaded, 0, 1) > 30, 'the reloaded Top 5 still shows the score');
    assert.doesNotMatch(game.log.slice(before), /Checksum Error|Reset User/, 'the saves came back whole');

    // Quit from the title: the page says so and offers to play again.
    await press(game, 'Escape');
    assert.ok(await waitFor(game, 'title-before-quit', StartCircle), 'back on the title');
    await press(game, 'ArrowLeft');
    await press(game, 'Enter');
    await game.page.waitForSelector('#closed:not([hidden])', { timeout: 10000 });
    assert.match(await game.page.$eval('#closed', (e) => e.textContent), /Gobbit has closed/);
    await keep(game, 'closed');
    await game.page.click('#again');
    assert.ok(await waitFor(game, 'title-again', StartCircle, 60000), 'playing again brings the title back');
    assert.deepEqual(game.errors, [], 'no script error on the page');
    assert.doesNotMatch(game.log, /Error Opening|Buffer Error|Error with Audio/, 'sound and music played without an error');
    await game.page.close();

    // A phone held upright: the canvas fills the page and the game takes
    // its portrait layout (a canvas 512 units wide).
    const phone = await openGame(browser, url, { width: 390, height: 780, isMobile: true, hasTouch: true });
    assert.ok(await waitForLog(phone, /Load SFX {3}: 18/, 60000), 'the phone page loaded\n' + phone.log);
    await sleep(1500);
    const upright = await keep(phone, 'portrait');
    const size = await phone.page.$eval('#canvas', (c) => [c.width, c.height]);
    assert.deepEqual(size, [390, 780], 'the canvas takes the page size');
    // The title's green Start circle, at the foot of the upright canvas;
    // a touch on it starts, and the difficulty list follows.
    const circle = (s) => share(s, 165, 670, 225, 730, (r, g, b) => g > r + 50 && g > b + 50) > 0.7;
    assert.ok(circle(upright), 'the Start circle shows at the foot');
    await touch(phone, 195, 700);
    await touch(phone, 195, 700);
    assert.ok(await waitFor(phone, 'portrait-difficulty', (s) => !circle(s)), 'a touch on Start opened the list');
    assert.deepEqual(phone.errors, [], 'no script error on the phone page');
  } finally {
    await browser.close();
    server.child.kill();
    rmSync(dir, { recursive: true, force: true });
  }
});
