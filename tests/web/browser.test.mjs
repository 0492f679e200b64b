// The browser build end to end, in Debian's Chromium (headless, WebGL on
// SwiftShader), served by the real score server on 127.0.0.1: the title
// appears; an online name is entered; a game is started with keys, played a
// few moves, paused and quit; the Top 5 shows the score; the score reaches
// the server's page; a reload keeps it, the name and the best run's
// journal, which replays; quitting the game leaves a page that says so and
// plays again; a phone-sized portrait window gets the portrait layout, and
// a touch starts there. Each screen is recognised from a screenshot of the page
// (GameDriver.mjs); the screenshots stay in GOBBIT_WEB_SHOTS for a person to
// look at. Frame times are the benchmark's (bench/web/WebFrames.mjs).
//
// Needs: GOBBIT_SCORE_SERVER (the server binary), GOBBIT_WEB_PLAY (the
// build's play/ folder), GOBBIT_WEB_SHOTS (a folder for the pictures).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import {
  sleep, share, StartCircle, ListBars, EasyBar, EatCounter, PausedCaption, OptionsBack, QuitGameBanner,
  TopFivePanel, rowsDiffer, startServer, launch, openGame, shot, keep, waitFor, waitForLog, press, instrument,
  pushStick, touch, click,
} from './GameDriver.mjs';

const serverBinary = process.env.GOBBIT_SCORE_SERVER;
const playDir = process.env.GOBBIT_WEB_PLAY;
const shotDir = process.env.GOBBIT_WEB_SHOTS;

test('the browser build plays, keeps its scores and sends them to its server', { timeout: 300000 }, async () => {
  assert.ok(serverBinary && playDir && shotDir, 'GOBBIT_SCORE_SERVER, GOBBIT_WEB_PLAY and GOBBIT_WEB_SHOTS are needed');
  mkdirSync(shotDir, { recursive: true });
  const dir = mkdtempSync(join(tmpdir(), 'gobbit-web-'));
  const server = await startServer(serverBinary, playDir, dir);
  const url = `http://127.0.0.1:${server.port}/play/`;
  const browser = await launch(join(dir, 'profile'));
  try {
    const game = await openGame(browser, url, { width: 800, height: 600 }, shotDir, instrument);
    assert.ok(await waitFor(game, 'title', StartCircle, 60000), 'the title was not seen\n' + game.log);
    assert.match(game.log, /OpenAL Audio Engaged!/, 'the sound device opened');

    // The keys the game uses are kept from the browser: no scrolling, no
    // reload, no help page, no browser full screen.
    const taken = await game.page.evaluate(() => {
      const seen = {};
      const note = (e) => (seen[e.code] = e.defaultPrevented);
      window.addEventListener('keydown', note);
      // Each let go at once, before the game's next look at the keys.
      for (const [key, code] of [[' ', 'Space'], ['ArrowDown', 'ArrowDown'], ['F1', 'F1'], ['F5', 'F5'], ['F11', 'F11']]) {
        window.dispatchEvent(new KeyboardEvent('keydown', { key, code, cancelable: true }));
        window.dispatchEvent(new KeyboardEvent('keyup', { key, code }));
      }
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
    await keep(game, 'play-moving');
    await press(game, 'Escape');
    assert.ok(await waitFor(game, 'pause', PausedCaption), 'the pause menu');
    await sleep(300);  // the buttons slide up
    await click(game, 200, 472);
    await game.page.mouse.move(790, 300);  // off the list, which then shows the game's difficulty
    const stores = await game.page.evaluate(() => Module.gobbitStores().asked);
    const ended = await waitForLog(game, /Game ended by quitting with score (\d+)/);
    assert.ok(ended, 'the quit was not logged\n' + game.log);
    const score = Number(ended[1]);
    assert.ok(score > 0, 'the held arrow ate pellets before the quit');
    assert.ok(await waitFor(game, 'quit-banner', QuitGameBanner, 5000), 'the "Quit Game" banner');
    await sleep(1500);
    await game.page.keyboard.up('ArrowRight');
    assert.ok(await waitFor(game, 'back-on-list', (s) => EasyBar(s) && !StartCircle(s), 20000), 'back on the list');
    assert.ok(await waitFor(game, 'top5', TopFivePanel, 16000), 'the Top 5 panel after the game');
    const top5 = await shot(game);
    assert.equal(rowsDiffer(fresh, 0, 1), 0, 'before the game the Top 5 held only zeros');
    assert.ok(rowsDiffer(top5, 0, 1) > 30, 'the Top 5 shows the score in its first row');

    // The new best went to the server with its journal, which the server
    // replayed: the page lists it, with the name, as verified.
    let board = '';
    for (let i = 0; i < 60 && !(board.includes('ABC') && board.includes(`>${score}<`)); i++) {
      await sleep(250);
      board = await (await fetch(`http://127.0.0.1:${server.port}/`)).text();
    }
    assert.ok(board.includes('ABC') && board.includes(`>${score}<`), `the server's page lists ABC with ${score}:\n${board}`);
    assert.match(board, new RegExp(`>ABC</td><td class="n">${score}</td><td><span class="v">verified</span> <a href="/journal/[0-9a-f]{64}"`),
      'the score is verified, with its journal');
    assert.match(board, /href="\/play\/"/, "the server's page links to the game");

    // A reload reads the scores back from the browser's storage, once the
    // save that followed the game (both files) has been stored there.
    await game.page.waitForFunction((n) => {
      const s = Module.gobbitStores();
      return s.asked >= n + 2 && !s.storing;
    }, { timeout: 20000 }, stores);
    const before = game.log.length;
    await game.page.reload();
    assert.ok(await waitFor(game, 'title-reloaded', StartCircle, 60000), 'the title after the reload\n' + game.log);
    await press(game, 'Enter');
    assert.ok(await waitFor(game, 'difficulty-reloaded', (s) => EasyBar(s) && !StartCircle(s)), 'Easy is the last chosen');
    assert.ok(await waitFor(game, 'top5-reloaded', TopFivePanel, 16000), 'the Top 5 panel after the reload');
    const reloaded = await shot(game);
    assert.ok(rowsDiffer(reloaded, 0, 1) > 30, 'the reloaded Top 5 still shows the score');
    assert.doesNotMatch(game.log.slice(before), /Checksum Error|Reset User/, 'the saves came back whole');
    // The settings came back too: with the name kept, the start sends the scores.
    assert.match(game.log.slice(before), /Sending Highscores/, 'the online name was kept');

    // The journal of the best run came back too: B on the difficulty page
    // watches it.
    await press(game, 'KeyB');
    assert.ok(await waitForLog(game, /Watching \S*\/Best_Easy\.journal/), 'the best run was kept\n' + game.log.slice(before));
    assert.ok(await waitFor(game, 'watching', EatCounter), 'the best run replays');
    await press(game, 'Escape');  // stops watching

    // Quit from the title: the page says so and offers to play again.
    assert.ok(await waitFor(game, 'after-watching', (s) => StartCircle(s) || EasyBar(s)), 'back on the menus');
    if (!StartCircle(await shot(game))) await press(game, 'Escape');
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
    const phone = await openGame(browser, url, { width: 390, height: 780, isMobile: true, hasTouch: true }, shotDir);
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
