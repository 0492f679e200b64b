// The browser build's frame times in headless Chromium (WebGL on
// SwiftShader, the processor drawing every pixel): the time from opening the
// page to the title, the longest frame while loading, the frame intervals
// of the title, the difficulty page, play and the pause menu, the longest
// frame from quitting a game through its save, the save's storing in the
// browser and the score exchange, and an upright phone's title. One page
// frame holds one pass of the game (an update and a render when due), so a
// frame interval above 16.7 ms is a frame the display waited for.
//
// Run by scripts/web-bench.sh, which builds what it needs; figures only,
// nothing is held against a target. They depend on the machine and on what
// else runs on it.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import {
  sleep, StartCircle, ListBars, EatCounter, PausedCaption, startServer, launch, openGame, waitFor, waitForLog,
  press, click, instrument, longestFrame, frameTimes,
} from '../../tests/web/GameDriver.mjs';

const dir = mkdtempSync(join(tmpdir(), 'gobbit-web-bench-'));
const server = await startServer(process.env.GOBBIT_SCORE_SERVER, process.env.GOBBIT_WEB_PLAY, dir);
const url = `http://127.0.0.1:${server.port}/play/`;
const browser = await launch(join(dir, 'profile'));
const row = (name, text) => console.log(`${name.padEnd(52)} ${text}`);
const need = (seen, what) => {
  if (!seen) throw new Error(`${what} was not seen`);
};

try {
  const opened = Date.now();
  const game = await openGame(browser, url, { width: 800, height: 600 }, dir, instrument);
  need(await waitFor(game, 'title', StartCircle, 60000), 'the title');
  row('opening the page to the title', `${Date.now() - opened} ms`);
  row('longest frame, opening the page to the title', `${(await longestFrame(game)).longest} ms`);
  row('title', await frameTimes(game, 5000));

  // An online name, so that the game's end sends the scores.
  for (const [key, n] of [['ArrowRight', 1], ['Enter', 1], ['ArrowDown', 3], ['Enter', 1], ['ArrowDown', 12],
                          ['Enter', 1], ['Escape', 1], ['ArrowLeft', 1]])
    await press(game, key, n);
  need(await waitFor(game, 'title-named', StartCircle), 'the title after the options');
  await press(game, 'Enter');
  need(await waitFor(game, 'difficulty', (s) => ListBars(s) && !StartCircle(s)), 'the difficulty page');
  row('difficulty page with the score panel', await frameTimes(game, 3000));

  await press(game, 'Enter');
  need(await waitFor(game, 'play', EatCounter), 'play');
  need(await waitForLog(game, /target/), 'the level');
  await sleep(1500);
  const playing = frameTimes(game, 6000);
  for (const key of ['ArrowRight', 'ArrowDown', 'ArrowLeft', 'ArrowUp', 'ArrowRight', 'ArrowDown']) {
    await game.page.keyboard.down(key);
    await sleep(900);
    await game.page.keyboard.up(key);
  }
  row('play, moving', await playing);

  await press(game, 'Escape');
  need(await waitFor(game, 'pause', PausedCaption), 'the pause menu');
  row('pause menu', await frameTimes(game, 2000));
  const stores = await game.page.evaluate(() => Module.gobbitStores().asked);
  const quitFrame = (await longestFrame(game)).frames;
  await click(game, 200, 472);
  await game.page.mouse.move(790, 300);
  need(await waitForLog(game, /Game ended by quitting/), 'the quit');
  await game.page.waitForFunction((n) => {
    const s = Module.gobbitStores();
    return s.asked >= n + 2 && !s.storing;
  }, { timeout: 30000 }, stores);
  await sleep(500);
  row('longest frame, quit to save stored and scores sent', `${(await longestFrame(game, quitFrame)).longest} ms`);
  await game.page.close();

  const phone = await openGame(browser, url, { width: 390, height: 780, isMobile: true, hasTouch: true }, dir);
  need(await waitForLog(phone, /Load SFX {3}: 18/, 60000), 'the phone page');
  await sleep(1000);
  row('upright phone (390 x 780), title', await frameTimes(phone, 3000));
} finally {
  await browser.close();
  server.child.kill();
  rmSync(dir, { recursive: true, force: true });
}
